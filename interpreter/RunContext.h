#pragma once
// Everything one evaluation of a module changes or needs while it goes on: the value frames
// of its scopes, its stop and step state, whether it traces, who listens to it, its arena
// and its output. A run reaches all of it through the context handed to every Eval, never
// through the nodes or the process, so that any number of runs of one prepared module may
// go on at once, each on its own thread.
//
// The elements of a parallel list may be evaluated on several threads (ParallelEval.h):
// each thread then evaluates its share in a context of its own (Share), whose frames see
// through to the run's, whose control answers to the run's, and whose output and "out"
// values go into the capture of its piece, played back in the elements' order.

#include "interpreter/DebugControl.h"
#include "interpreter/IntForm.h"
#include "model/Scope.h"
#include "output/OutputCapture.h"
#include "output/OutputSink.h"
#include "values/Arena.h"

#include <memory>
#include <vector>

class CRunContext {
public:
    // A module not prepared yet is prepared here (make the context before the run's thread
    // starts). The arena is the calling thread's current one unless given; the output goes
    // to the process's sink unless given.
    explicit CRunContext(CModuleNode* module = nullptr, CArena* arena = nullptr,
                         COutputSink* output = nullptr)
        : frames(module), arena(arena != nullptr ? *arena : CArena::Current()),
          output(output != nullptr ? *output : *g_pOutput) {
        if (module != nullptr)
            AttachCompiledForms(*module);
    }
    CRunContext(const CRunContext&) = delete;
    CRunContext& operator=(const CRunContext&) = delete;

    CRunFrames frames;
    CRunControl control;
    bool debug = false;               // the run writes a trace of each application
    IRunListener* listener = nullptr; // told of steps and "out", on the run's thread
    CArena& arena;                    // where the run's values live (current on its thread)
    COutputSink& output;              // where the trace and "out" write
    // Set while a call that its compiled form gave up on is evaluated again: the calls
    // inside it take the general path too, so that nothing is evaluated a third time.
    bool generalOnly = false;

    // The context of the thread in slot `slot` of this run's parallel lists: made on the
    // run's thread before the list is handed out, kept for the run's later lists.
    CRunContext& Share(int slot);

private:
    explicit CRunContext(CRunContext& outer);

    CCaptureSink m_capture; // a share's output
    std::vector<std::unique_ptr<CRunContext>> m_shares;
};
