#pragma once
// What the fuzz targets share: program text from memory, a quiet process, and the bounds
// that make every run of an arbitrary program end soon.

#include "translator/Scanner.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CModuleNode;
class CParser;

// A program scanner over bytes in memory. It hands them to the scanner's own buffer, where
// a file's bytes go, so that the scanner's own reading is what the fuzzer exercises.
class CMemoryScanner : public CScanner {
public:
    explicit CMemoryScanner(std::string text = {}) : m_strText(std::move(text)) {}
    void SetText(std::string text) { m_strText = std::move(text); }
    bool Open(const char* name) override;

private:
    std::string m_strText;
};

namespace fuzz {

// Applications of one run (argument and worker each): enough for the examples' functions
// on small arguments, few enough that a run under the sanitizers stays well below the
// fuzzer's time-out.
constexpr long long kApplicationBudget = 5000;
// The run arena's limit: a runaway allocation ends with the memory error long before the
// fuzzer's own memory limit, and the largest result still prints well within the time-out
// (printing costs about 2 microseconds an element in the instrumented build).
constexpr const char* kMemoryLimitMb = "4";
// Stack of the worker of a fuzzed run. Large enough for the usable depth that the stack
// guard allows in a sanitized build.
constexpr std::size_t kWorkerStack = std::size_t(64) << 20;
// Text of a traced run's trace: each of its applications may print a value as large as the
// arena allows, or far larger where lists are shared, which made traces of gigabytes
// within the application budget. The instrumented build prints about 2 MB a second.
constexpr std::size_t kTraceBytes = std::size_t(512) << 10;

// Scanner notes and what the core prints on standard output ("out") go nowhere unless
// TIRVANE_FUZZ_VERBOSE is set; the run arena gets the fuzzing limit.
void PrepareProcess();

// Empties the sink's four channels, so that their texts do not add up across inputs.
void ClearChannels();

std::string Bytes(const std::uint8_t* data, std::size_t size);

// A translated program that stays loaded: the parser owns the module's nodes.
struct CLoadedProgram {
    std::unique_ptr<CMemoryScanner> scanner;
    std::unique_ptr<CParser> parser;
    CModuleNode* module = nullptr;
    ~CLoadedProgram();
};

// Translates text as the Translate command does; module stays null on an error.
std::unique_ptr<CLoadedProgram> Translate(std::string text);

// The programs of examples/, translated once, in file name order.
const std::vector<std::unique_ptr<CLoadedProgram>>& Examples();

// The names of the module's function table that have a function, in the table's order.
std::vector<std::string> FunctionNames(const CModuleNode& module);

// The Run command on module: the argument text typed into channel 1 (empty: no argument),
// then the function list's entry `index` (0: evaluate the argument only) on a worker with
// a large stack. Both parts are bounded by the application budget.
void RunBounded(CModuleNode* module, const std::string& argument, std::size_t index);

// RunBounded three times: with one thread for parallel lists, untraced and traced, and
// untraced with every parallel list split over kParallelJobs threads; aborts (a finding)
// when the result, the "out" texts or the way the run ends differ from the first run's.
constexpr int kParallelJobs = 4;
void RunTracedAndUntraced(CModuleNode* module, const std::string& argument, std::size_t index);

} // namespace fuzz
