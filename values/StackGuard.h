#pragma once
// Deep recursion must end with an error, never with a crash. Evaluation and the parser's
// nesting rules call CheckStack(); when less than the reserve is left on the thread's
// stack it throws CExeption (code 0) with a clear text. Runs go on a thread with a large
// stack (RunOnLargeStack) so that deep but finite recursion works.

#include <cstddef>
#include <exception>
#include <functional>

class CExeption;

// True while the current thread has at least the reserve of stack left.
bool StackHasHeadroom();
// Throws CExeption(null, "Переполнение стека: слишком глубокая рекурсия ", kErrNone) when not.
void CheckStack();
// The most stack a run may use: all of its thread's stack, except in the sanitizer builds,
// whose tools cannot follow arbitrarily deep stacks.
std::size_t UsableStackDepth();
// True for the error CheckStack throws.
bool IsStackOverflow(const CExeption& e);

// The deepest nesting of user function calls a run may reach. A runaway recursion costs
// its frames on the way down and the unwinding of every one of them on the way back, and
// that unwinding takes most of the time: this bound ends one within a fraction of a
// second, where the whole stack took seconds, and leaves room for a recursion 100,000
// calls deep.
constexpr int kMaxCallDepth = 125000;
// Throws the error of CheckStack when depth calls are already in progress on the thread.
void CheckCallDepth(int depth);

// Stack size of run and translation threads: 1 GiB of address space, used as needed, in
// huge pages where the system offers them.
constexpr std::size_t kLargeStackSize = std::size_t(1) << 30;

// Runs fn on a new thread with a large stack and waits for it. Exceptions thrown by fn
// are passed back to the caller.
void RunOnLargeStack(const std::function<void()>& fn, std::size_t stackSize = kLargeStackSize);

// A thread with a large stack that the caller joins later.
class CLargeStackThread {
public:
    CLargeStackThread() = default;
    CLargeStackThread(const CLargeStackThread&) = delete;
    CLargeStackThread& operator=(const CLargeStackThread&) = delete;
    ~CLargeStackThread(); // joins; an exception of fn is dropped

    // False if the thread could not be started.
    bool Start(std::function<void()> fn, std::size_t stackSize = kLargeStackSize);
    // Waits for the thread; rethrows an exception that escaped fn.
    void Join();
    bool Joinable() const { return m_bStarted; }

private:
    static void* Entry(void* self);
    std::function<void()> m_fn;
    std::exception_ptr m_pError;
    unsigned long m_thread = 0;
    bool m_bStarted = false;
};
