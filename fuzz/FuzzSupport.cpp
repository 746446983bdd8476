#include "FuzzSupport.h"

#include "TwinRun.h"

#include "interpreter/DebugControl.h"
#include "interpreter/RunSession.h"
#include "model/Scope.h"
#include "output/OutputSink.h"
#include "translator/Parser.h"
#include "translator/TranslationReport.h"
#include "values/StackGuard.h"
#include "values/TaskPool.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

bool CMemoryScanner::Open(const char*) {
    Close();
    Reset();
    UseText(m_strText);
    return true;
}

namespace fuzz {

void PrepareProcess() {
    SetScannerNotes(WriteScannerNoteToStdout);
    SetRunNotes(WriteRunNoteToStdout);
    if (std::getenv("TIRVANE_FUZZ_VERBOSE") == nullptr && std::freopen("/dev/null", "w", stdout))
        std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
    setenv("TIRVANE_MEMORY_LIMIT_MB", kMemoryLimitMb, 1);
}

void ClearChannels() {
    for (int channel = 0; channel < kChannelCount; ++channel)
        g_OutputSink.Clear(channel);
    g_OutputSink.Select(kChannelTranslation);
}

std::string Bytes(const std::uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

CLoadedProgram::~CLoadedProgram() {
    if (parser)
        parser->Clear();
}

std::unique_ptr<CLoadedProgram> Translate(std::string text) {
    auto program = std::make_unique<CLoadedProgram>();
    program->scanner = std::make_unique<CMemoryScanner>(std::move(text));
    program->parser = std::make_unique<CParser>(program->scanner.get());
    g_OutputSink.Select(kChannelTranslation);
    g_OutputSink.Clear(kChannelTranslation);
    TranslateWithReport(*program->parser, "fuzz.tvn", &program->module);
    return program;
}

namespace {

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::unique_ptr<CLoadedProgram>> TranslateExamples() {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(TIRVANE_EXAMPLES_DIR)) {
        if (entry.path().extension() == ".tvn")
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    std::vector<std::unique_ptr<CLoadedProgram>> programs;
    for (const auto& file : files) {
        auto program = Translate(ReadFile(file));
        if (program->module == nullptr) {
            std::fprintf(stderr, "example does not translate: %s\n", file.c_str());
            std::abort();
        }
        programs.push_back(std::move(program));
    }
    if (programs.empty()) {
        std::fprintf(stderr, "no examples in %s\n", TIRVANE_EXAMPLES_DIR);
        std::abort();
    }
    ClearChannels();
    return programs;
}

} // namespace

const std::vector<std::unique_ptr<CLoadedProgram>>& Examples() {
    static const std::vector<std::unique_ptr<CLoadedProgram>> examples = TranslateExamples();
    return examples;
}

std::vector<std::string> FunctionNames(const CModuleNode& module) {
    std::vector<std::string> names;
    for (const auto& [name, function] : module.named) {
        if (function != nullptr)
            names.push_back(name);
    }
    return names;
}

namespace {

// The function list's entry for index, which wraps around the list.
std::string EntryName(const CModuleNode& module, std::size_t* index) {
    const std::vector<std::string> names = FunctionNames(module);
    *index %= names.size() + 1;
    return *index == 0 ? EvaluateArgumentEntry() : names[*index - 1];
}

} // namespace

void RunTracedAndUntraced(CModuleNode* module, const std::string& argument, std::size_t index) {
    const std::string function = EntryName(*module, &index);
    const twin::CRunLimits limits{kApplicationBudget, kWorkerStack, kTraceBytes};
    auto runOnce = [&](bool trace, int jobs) {
        SetParallelJobs(jobs);
        SetSplitEveryList(jobs > 1);
        twin::CRunRecord run =
            twin::RunOnce(module, function, static_cast<int>(index), argument, trace, limits);
        SetParallelJobs(1);
        SetSplitEveryList(false);
        return run;
    };
    const twin::CRunRecord untraced = runOnce(false, 1);
    const auto check = [&](const char* what, const twin::CRunRecord& other) {
        const std::string differences = twin::Differences(untraced, other);
        if (!differences.empty()) {
            std::fprintf(stderr, "%s:\n%s", what, differences.c_str());
            std::abort();
        }
    };
    check("the trace changes the run", runOnce(true, 1));
    check("parallel lists on several threads change the run (\"with the trace\": split)",
          runOnce(false, kParallelJobs));
}

void RunBounded(CModuleNode* module, const std::string& argument, std::size_t index) {
    const std::string function = EntryName(*module, &index);
    CRunSession session(module, function, static_cast<int>(index), false);
    g_OutputSink.Select(kChannelArgument);
    g_OutputSink.Clear(kChannelArgument);
    g_OutputSink.Write(argument);
    CMessageBox box;
    if (session.ReadArgument(&box)) {
        session.Control().SetApplicationBudget(kApplicationBudget);
        RunOnLargeStack([&] { session.Execute({}, &box); }, kWorkerStack);
    }
    ClearChannels();
}

} // namespace fuzz
