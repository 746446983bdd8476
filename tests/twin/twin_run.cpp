// twin_run FILE FUNCTION [ARGUMENT]: runs FUNCTION of the program on ARGUMENT (UTF-8, as
// `tirvane run` takes them) without the trace and with it, and exits with 1 when what the
// two runs show differs (the difference on standard error), 2 when FILE does not
// translate or the command is wrong, else 0.

#include "TwinRun.h"

#include "output/Encoding.h"
#include "output/OutputSink.h"
#include "translator/Parser.h"
#include "translator/Scanner.h"
#include "translator/TranslationReport.h"
#include "values/StackGuard.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fputs("usage: twin_run FILE FUNCTION [ARGUMENT]\n", stderr);
        return 2;
    }
    // The core writes the line end of "out" and a few notes there; they are no part of
    // what is compared.
    if (std::freopen("/dev/null", "w", stdout) == nullptr)
        return 2;
    CScanner scanner;
    CParser parser(&scanner);
    CModuleNode* module = nullptr;
    bool translated = false;
    g_OutputSink.Select(kChannelTranslation);
    RunOnLargeStack([&] { translated = TranslateWithReport(parser, argv[1], &module); });
    if (!translated || module == nullptr) {
        std::fprintf(stderr, "%s does not translate:\n%s", argv[1],
                     Cp1251ToUtf8(g_OutputSink.Buffer(kChannelTranslation)).c_str());
        return 2;
    }
    const std::string argument = argc == 4 ? Utf8ToCp1251(argv[3]) : std::string();
    const std::string differences = twin::RunTwice(module, Utf8ToCp1251(argv[2]), 1, argument);
    parser.Clear();
    if (differences.empty())
        return 0;
    std::fprintf(stderr, "%s, %s %s: the trace changes the run\n%s", argv[1], argv[2],
                 argc == 4 ? argv[3] : "", differences.c_str());
    return 1;
}
