#pragma once
// The flags that link the user-interface thread and a run's worker. Atomic, so that a
// write on one thread is seen on the other at once. A paused step waits without using a
// processor: the writers wake it (ReleaseStep, RequestStop), and the wait also re-reads
// the flags now and then, so that a bare flag write still takes effect.

#include <atomic>

class CValue;

extern std::atomic<bool> g_bRunning;
extern std::atomic<bool> g_bDebugging;
extern std::atomic<bool> g_bStopRequested;
extern std::atomic<bool> g_bWaitingForStep;

// Shell side.
void ReleaseStep(); // clears g_bWaitingForStep and wakes the paused step
void RequestStop(); // sets g_bStopRequested and wakes the paused step
void WakeDebugWaiters();

// For a trace that never pauses (the runner's --trace): while set, each step is released
// as soon as it starts to wait.
void SetAutoRelease(bool on);

// Interpreter side. Throws CExeption code 19 when a stop is requested.
void CheckStopRequest();

// A bound on the applications of runs on the calling thread, for fuzzing and tests: after
// `applications` more stop checks, every further check stops the run (code 19) as a
// user's abort would. A negative count removes the bound.
void SetApplicationBudget(long long applications);

// Sets g_bWaitingForStep and blocks until the shell clears it; code 19 on a stop.
void WaitForStep();

// Called (if set) on the worker each time a step starts to wait, with the source line of
// the expression being traced; the IDE marks that line. Set before a run starts.
using StepListener = void (*)(int line, void* context);
void SetStepListener(StepListener listener, void* context);
void NotifyStepListener(int line);

// Called (if set) each time "out" has printed a value, on the thread that printed it, with
// that value: a tool that compares runs collects what they print. Set before a run starts.
using OutListener = void (*)(const CValue* value, void* context);
void SetOutListener(OutListener listener, void* context);
void NotifyOutListener(const CValue* value);
