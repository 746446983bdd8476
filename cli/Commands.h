#pragma once
// The runner's subcommands. Each command registers itself on the application with one call
// from main.cpp. A command that ends with a non-zero exit code throws
// CLI::RuntimeError(code) from its callback; main turns it into the process's exit code.

#include <cstdio>
#include <string>

namespace CLI {
class App;
}
class CParser;
class CModuleNode;

enum RunnerExit : int {
    kExitSuccess = 0,
    kExitTranslationError = 1,
    kExitArgumentError = 2,
    kExitNoResult = 3,
    kExitRunError = 4,
    kExitUsage = 64,
    kExitStopped = 130,
};

// `tirvane translate FILE`.
void AddTranslateCommand(CLI::App& app);

// `tirvane run [--trace] FILE FUNCTION [ARGUMENT]` and `tirvane eval FILE ARGUMENT`.
void AddRunCommands(CLI::App& app);

// `tirvane lsp`: the language server on standard input and output.
void AddLspCommand(CLI::App& app);

// Translates the file with the "Трансляция" report printed to stream (UTF-8, "\n" line
// ends), on a thread with a stack large enough for deeply nested programs. True on success.
bool TranslateToStream(CParser& parser, const std::string& path, CModuleNode** module,
                       std::FILE* stream);
