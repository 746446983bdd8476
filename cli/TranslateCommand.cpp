#include "cli/Commands.h"
#include "cli/TerminalPane.h"

#include "translator/Parser.h"
#include "translator/Scanner.h"
#include "translator/TranslationReport.h"
#include "values/StackGuard.h"

#include <CLI/CLI.hpp>

#include <memory>

namespace {

// Shows channel 0 on a stream for as long as it lives.
class CTranslationChannel {
public:
    explicit CTranslationChannel(std::FILE* stream) : m_pane(stream) {
        g_OutputSink.Attach(&m_pane, kChannelTranslation);
    }
    ~CTranslationChannel() { g_OutputSink.Attach(nullptr, kChannelTranslation); }
    CTranslationChannel(const CTranslationChannel&) = delete;
    CTranslationChannel& operator=(const CTranslationChannel&) = delete;

private:
    CTerminalPane m_pane;
};

// The process ends right after the report, and takes the tree back at once: left on the
// stack, the parser would destroy it node by node first, a tenth of a long translation.
// Held from a static, so that a leak checker still sees it reachable.
CParser& LastingParser() {
    static auto* scanner = new CScanner;
    static auto* parser = new CParser(scanner);
    return *parser;
}

void RunTranslate(const std::string& path) {
    CModuleNode* module = nullptr;
    if (!TranslateToStream(LastingParser(), path, &module, stdout))
        throw CLI::RuntimeError(kExitTranslationError);
}

} // namespace

bool TranslateToStream(CParser& parser, const std::string& path, CModuleNode** module,
                       std::FILE* stream) {
    CTranslationChannel channel(stream);
    bool translated = false;
    RunOnLargeStack([&] { translated = TranslateWithReport(parser, path, module); });
    return translated;
}

void AddTranslateCommand(CLI::App& app) {
    auto path = std::make_shared<std::string>();
    CLI::App* command =
        app.add_subcommand("translate", "Translate FILE and print the translation report");
    command->add_option("FILE", *path, "Program file (.tvn, Windows-1251)")->required();
    command->callback([path] { RunTranslate(*path); });
}
