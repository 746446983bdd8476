#pragma once
// A second opinion on every run: the same function on the same argument, once without the
// trace and once with it (every step released at once). Writing the trace must change
// nothing a user sees of the run: its result, what "out" prints, how the run ends. The
// evaluation takes other paths when it traces, so the two runs check each other.
//
// Used by the twin_run tool (over the examples and the guide) and by fuzz_run.

#include "interpreter/RunSession.h"

#include <cstddef>
#include <string>
#include <vector>

class CModuleNode;

namespace twin {

// What a user sees of one run, texts in Windows-1251.
struct CRunRecord {
    bool prepared = false; // the argument was read and evaluated
    CRunSession::Outcome outcome = CRunSession::Outcome::Failed;
    CMessageBox box;               // the error box, if any
    std::string result;            // the result as the "Результат" channel shows it
    std::vector<std::string> outs; // each text "out" printed, in order
    std::size_t outBytes = 0;      // of the "out" texts before the result on that channel
    bool limited = false;          // ended by a bound: stack, memory or application budget
};

struct CRunLimits {
    // Applications of the untraced run; the traced one gets twice as many, since each of
    // its steps waits once more for the stop check. Negative: no bound.
    long long applications = -1;
    std::size_t stack = 0; // the worker's stack; 0: the runs' usual large stack
    // Bytes of trace after which a traced run is stopped (the trace is counted, not kept);
    // 0: no bound. A few thousand steps may each print a value of megabytes.
    std::size_t traceBytes = 0;
};

// The Run command on module, as the runner and the IDE do it: the argument text (empty:
// none) typed into channel 1, then the function list's entry `index` (0: evaluate the
// argument only, `function` is then ignored), traced or not. The sink's channels are
// left cleared.
CRunRecord RunOnce(CModuleNode* module, const std::string& function, int index,
                   const std::string& argument, bool trace, const CRunLimits& limits = {});

// An empty text when the two records agree, else what differs. A run ended by a bound
// is compared only as far as it got: its "out" texts must begin those of the other run.
std::string Differences(const CRunRecord& untraced, const CRunRecord& traced);

// RunOnce untraced and traced, then Differences.
std::string RunTwice(CModuleNode* module, const std::string& function, int index,
                     const std::string& argument, const CRunLimits& limits = {});

} // namespace twin
