// tirvane: the IDE's language commands without the IDE. Each subcommand is registered by
// one Add...Command call; see Commands.h for how a command reports its exit code.

#include "cli/Commands.h"

#include <CLI/CLI.hpp>

#include <cstdio>

namespace {

constexpr const char* kDescription =
    "tirvane - translates and runs Tirvane programs (.tvn) as the IDE does, without windows.";

constexpr const char* kFooter = R"(
Usage of each command:
  translate FILE                       print the translation report
  run [--trace] FILE FUNCTION [ARG]    translate, evaluate ARG, run FUNCTION on it and
                                       print the result (--trace: the debug trace too)
  eval FILE ARG                        translate and print the value of ARG

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

// Usage errors have one exit code, whatever the parser found wrong.
int Parse(CLI::App& app, int argc, char** argv) {
    try {
        app.parse(argc, argv);
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
    CLI::App app;
    Describe(app);
    AddTranslateCommand(app);
    AddRunCommands(app);
    return Parse(app, argc, argv);
}
