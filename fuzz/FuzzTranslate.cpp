// Fuzz target: arbitrary bytes translated as a program file. Translation must end with a
// module or one report line, never a crash, and leave no node behind after Clear.

#include "FuzzSupport.h"

#include "model/Scope.h"
#include "output/OutputSink.h"
#include "translator/Parser.h"

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void Broken(const char* what) {
    std::fprintf(stderr, "translation invariant broken: %s\n", what);
    std::abort();
}

// The report is the first line and then either two lines of success or one error line.
void CheckReport(bool translated) {
    const std::string report = g_OutputSink.Buffer(kChannelTranslation);
    std::size_t lines = 0;
    for (std::size_t at = report.find("\r\n"); at != std::string::npos;
         at = report.find("\r\n", at + 2))
        ++lines;
    if (lines != (translated ? 3u : 2u))
        Broken("report line count");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::PrepareProcess();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto program = fuzz::Translate(fuzz::Bytes(data, size));
    const bool translated = program->module != nullptr;
    CheckReport(translated);
    if (translated) {
        // Every declared name was defined: a translated module has no empty entry.
        for (const auto& [name, function] : program->module->named) {
            if (function == nullptr)
                Broken("declared name without a function in a translated module");
        }
    }
    program->parser->Clear();
    if (program->parser->NodeCount() != 0)
        Broken("nodes left after Clear");
    fuzz::ClearChannels();
    return 0;
}
