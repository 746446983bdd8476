#include "cli/Commands.h"

#include "lsp/LanguageServer.h"
#include "translator/Scanner.h"

#include <CLI/CLI.hpp>

#include <unistd.h>

namespace {

// The protocol owns standard output: the scanner's notes on malformed tokens, and anything
// else the process prints, go to standard error instead.
void RunLsp() {
    SetScannerNotes(WriteScannerNoteToStderr);
    const int protocol = ::dup(STDOUT_FILENO);
    if (protocol < 0 || ::dup2(STDERR_FILENO, STDOUT_FILENO) < 0)
        throw CLI::RuntimeError(kExitUsage);
    const int code = RunLanguageServer(STDIN_FILENO, protocol);
    ::close(protocol);
    if (code != 0)
        throw CLI::RuntimeError(code);
}

} // namespace

void AddLspCommand(CLI::App& app) {
    CLI::App* command = app.add_subcommand(
        "lsp", "Serve the Language Server Protocol on standard input and output");
    command->callback(RunLsp);
}
