#pragma once
// Everything one evaluation of a module changes or needs while it goes on: the value frames
// of its scopes, its stop and step state, whether it traces, who listens to it, its arena
// and its output. A run reaches all of it through the context handed to every Eval, never
// through the nodes or the process, so that any number of runs of one prepared module may
// go on at once, each on its own thread.

#include "interpreter/DebugControl.h"
#include "model/Scope.h"
#include "output/OutputSink.h"
#include "values/Arena.h"

class CRunContext {
public:
    // A module not prepared yet is prepared here (make the context before the run's thread
    // starts). The arena is the calling thread's current one unless given; the output goes
    // to the process's sink unless given.
    explicit CRunContext(CModuleNode* module = nullptr, CArena* arena = nullptr,
                         COutputSink* output = nullptr)
        : frames(module), arena(arena != nullptr ? *arena : CArena::Current()),
          output(output != nullptr ? *output : *g_pOutput) {}
    CRunContext(const CRunContext&) = delete;
    CRunContext& operator=(const CRunContext&) = delete;

    CRunFrames frames;
    CRunControl control;
    bool debug = false;               // the run writes a trace of each application
    IRunListener* listener = nullptr; // told of steps and "out", on the run's thread
    CArena& arena;                    // where the run's values live (current on its thread)
    COutputSink& output;              // where the trace and "out" write
};
