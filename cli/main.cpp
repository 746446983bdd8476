// tirvane: the IDE's language commands without the IDE. Each subcommand is registered by
// one Add...Command call; see Commands.h for how a command reports its exit code.

#include "cli/Commands.h"
#include "output/OutputSink.h"
#include "translator/Scanner.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr const char* kDescription =
    "tirvane - translates and runs Tirvane programs (.tvn) as the IDE does, without windows.";

constexpr const char* kFooter = R"(
Usage of each command:
  translate FILE                       print the translation report
  run [--trace] [--jobs N] FILE FUNCTION [ARG]
                                       translate, evaluate ARG, run FUNCTION on it and
                                       print the result (--trace: the debug trace too;
                                       --jobs: threads for parallel lists, 1 = one after
                                       another, default one per core)
  eval [--jobs N] FILE ARG             translate and print the value of ARG
  lsp                                  serve the Language Server Protocol on
                                       standard input and output (for editors)

An ARG that begins with "-" is taken as the argument unless it is an option of its
command (-h, --help, --trace, --jobs); after "--" it is always the argument:
  tirvane eval FILE -- -h

Program files are Windows-1251; arguments and all output are UTF-8.
Exit codes: 0 success, 1 translation error, 2 argument error, 3 the run produced
no result, 4 run error, 64 usage error, 130 stopped by Ctrl+C.

Example: tirvane translate examples/factorial.tvn)";

void Describe(CLI::App& app) {
    app.name("tirvane");
    app.description(kDescription);
    app.footer(kFooter);
    app.require_subcommand(1);
}

bool IsOptionOfTermCommands(std::string_view word) {
    return word == "--trace" || word == "-h" || word == "--help" || word == "--jobs" ||
           word.starts_with("--jobs=");
}

// The argument of run and eval is a term, and a term may begin with "-" ("-.5", "-x",
// "-"); the option parser would take such a word for an unknown option. So after the
// command's word, the first word that begins with "-" and is none of the commands' options
// starts the positional arguments, as if "--" stood before it.
std::vector<std::string> WithTermsPositional(int argc, char** argv) {
    std::vector<std::string> words(argv, argv + argc);
    std::size_t at = 1;
    while (at < words.size() && words[at].starts_with('-'))
        ++at;
    if (at == words.size() || (words[at] != "run" && words[at] != "eval"))
        return words;
    for (++at; at < words.size(); ++at) {
        if (words[at] == "--")
            break;
        if (words[at] == "--jobs") { // its number follows
            ++at;
            continue;
        }
        if (words[at].size() > 1 && words[at].starts_with('-') &&
            !IsOptionOfTermCommands(words[at])) {
            words.insert(words.begin() + static_cast<std::ptrdiff_t>(at), "--");
            break;
        }
    }
    return words;
}

// Usage errors have one exit code, whatever the parser found wrong.
int Parse(CLI::App& app, int argc, char** argv) {
    try {
        const std::vector<std::string> words = WithTermsPositional(argc, argv);
        std::vector<const char*> pointers;
        for (const std::string& word : words)
            pointers.push_back(word.c_str());
        app.parse(static_cast<int>(pointers.size()), pointers.data());
        return kExitSuccess;
    } catch (const CLI::RuntimeError& outcome) {
        return outcome.get_exit_code();
    } catch (const CLI::Success& help) {
        return app.exit(help);
    } catch (const CLI::ParseError& error) {
        std::fprintf(stderr, "tirvane: %s\nRun with --help for more information.\n", error.what());
        return kExitUsage;
    }
}

} // namespace

int main(int argc, char** argv) {
    // The scanner's notes on malformed tokens go to the terminal with the report.
    SetScannerNotes(WriteScannerNoteToStdout);
    // So do a run's notes: an unknown name, the line end of a traced "out".
    SetRunNotes(WriteRunNoteToStdout);
    CLI::App app;
    Describe(app);
    AddTranslateCommand(app);
    AddRunCommands(app);
    AddLspCommand(app);
    return Parse(app, argc, argv);
}
