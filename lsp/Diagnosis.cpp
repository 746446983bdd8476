#include "lsp/Diagnosis.h"

#include "lsp/TextScanner.h"
#include "output/Encoding.h"
#include "output/OutputSink.h"
#include "translator/Parser.h"
#include "translator/TranslationReport.h"
#include "values/StackGuard.h"

TranslationOutcome TranslateText(const std::string& cp1251) {
    CTextScanner scanner(cp1251);
    CParser parser(&scanner);
    CModuleNode* module = nullptr;
    TranslationOutcome outcome;
    g_OutputSink.Select(kChannelTranslation);
    g_OutputSink.Clear(kChannelTranslation);
    // Deeply nested text needs the stack a Translate has in the IDE and the runner.
    RunOnLargeStack([&] { outcome.translated = TranslateWithReport(parser, "", &module); });
    if (outcome.translated)
        return outcome;
    int row = 0;
    parser.GetPosition(outcome.line, row);
    std::string report = g_OutputSink.Buffer(kChannelTranslation);
    while (!report.empty() && (report.back() == '\n' || report.back() == '\r'))
        report.pop_back();
    const std::size_t lineStart = report.rfind('\n');
    outcome.message =
        Cp1251ToUtf8(lineStart == std::string::npos ? report : report.substr(lineStart + 1));
    return outcome;
}
