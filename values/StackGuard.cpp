// The stack guard and the threads with a large stack. The bounds of each thread's stack
// are read once from its pthread attributes; the guard compares the current frame's
// address with the low end plus a reserve that leaves room for the calls between checks
// (a built-in, printing, the error box's text).

#include "values/StackGuard.h"

#include "output/Encoding.h"
#include "output/ThreadSanitizer.h"
#include "values/Exeption.h"

#include <pthread.h>
#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <exception>
#include <string>
#include <type_traits>
#include <utility>

static_assert(std::is_same_v<pthread_t, unsigned long>,
              "CLargeStackThread keeps the thread handle as unsigned long");

namespace {

#ifdef TIRVANE_SANITIZED
constexpr std::size_t kReserve = std::size_t(8) << 20; // instrumented frames are larger
#ifdef TIRVANE_THREAD_SANITIZER
// ThreadSanitizer keeps a shadow of each thread's call stack, 65,536 entries, one per
// instrumented frame, and does not check its end: a deeper stack writes past it, into
// whatever memory lies there (a crash now and then, or worse). The guard counts bytes, not
// frames, and no frame is smaller than 16 bytes (its return address, aligned), so a usable
// depth of 768 KiB keeps any recursion below 49,152 frames, leaving room for the frames
// above the run and those between the last check and the error.
constexpr std::size_t kUsableDepth = std::size_t(768) << 10;
#else
// AddressSanitizer cleans up after a throw only within 64 MiB of the stack's top; deeper
// stacks give false reports, so the sanitized build recurses less deeply.
constexpr std::size_t kUsableDepth = std::size_t(56) << 20;
#endif
#else
constexpr std::size_t kReserve = std::size_t(1) << 20;
constexpr std::size_t kUsableDepth = ~std::size_t(0);
#endif
// Below this the thread's stack cannot take a useful run anyway.
constexpr std::size_t kSmallestLargeStack = std::size_t(64) << 20;

struct StackBounds {
    bool known = false;
    std::uintptr_t limit = 0; // the lowest address a frame may reach, reserve included
};

StackBounds ReadBounds() {
    StackBounds bounds;
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) != 0)
        return bounds;
    void* low = nullptr;
    std::size_t size = 0;
    if (pthread_attr_getstack(&attr, &low, &size) == 0 && size > 0) {
        // A small stack keeps three quarters of itself usable.
        const std::size_t reserve = std::min(kReserve, size / 4);
        const auto bottom = reinterpret_cast<std::uintptr_t>(low);
        bounds.limit = bottom + reserve;
        if (size > kUsableDepth)
            bounds.limit = std::max(bounds.limit, bottom + size - kUsableDepth);
        bounds.known = true;
    }
    pthread_attr_destroy(&attr);
    return bounds;
}

const std::string& StackOverflowText() {
    return Cp(u8"Переполнение стека: слишком глубокая рекурсия ");
}

const StackBounds& ThisThreadBounds() {
    thread_local const StackBounds bounds = ReadBounds();
    return bounds;
}

} // namespace

std::size_t UsableStackDepth() {
    return kUsableDepth;
}

bool StackHasHeadroom() {
    const StackBounds& bounds = ThisThreadBounds();
    if (!bounds.known)
        return true;
    const auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
    return here > bounds.limit;
}

void CheckStack() {
    if (!StackHasHeadroom())
        throw CExeption(nullptr, StackOverflowText(), kErrNone);
}

void CheckCallDepth(int depth) {
    if (depth >= kMaxCallDepth)
        throw CExeption(nullptr, StackOverflowText(), kErrNone);
}

bool IsStackOverflow(const CExeption& e) {
    return e.m_nCode == kErrNone && e.m_pNode == nullptr && e.m_strText == StackOverflowText();
}

CLargeStackThread::~CLargeStackThread() {
    if (m_bStarted)
        pthread_join(static_cast<pthread_t>(m_thread), nullptr);
}

bool CLargeStackThread::Start(std::function<void()> fn, std::size_t stackSize) {
    if (m_bStarted)
        return false;
    m_fn = std::move(fn);
    m_pError = nullptr;
    pthread_attr_t attr;
    if (pthread_attr_init(&attr) != 0)
        return false;
    pthread_t thread{};
    const bool ok = pthread_attr_setstacksize(&attr, stackSize) == 0 &&
                    pthread_create(&thread, &attr, &CLargeStackThread::Entry, this) == 0;
    pthread_attr_destroy(&attr);
    if (ok) {
        m_thread = thread;
        m_bStarted = true;
    }
    return ok;
}

void CLargeStackThread::Join() {
    if (!m_bStarted)
        return;
    pthread_join(static_cast<pthread_t>(m_thread), nullptr);
    m_bStarted = false;
    if (m_pError)
        std::rethrow_exception(std::exchange(m_pError, nullptr));
}

namespace {

// A deep run touches its stack page by page; in huge pages that is a 512th of the page
// faults, and the processor's address cache covers more of it.
void AdviseHugePagesForThisStack() {
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) != 0)
        return;
    void* low = nullptr;
    std::size_t size = 0;
    if (pthread_attr_getstack(&attr, &low, &size) == 0)
        madvise(low, size, MADV_HUGEPAGE);
    pthread_attr_destroy(&attr);
}

} // namespace

// An exception may not leave a thread's entry: it is kept for Join.
void* CLargeStackThread::Entry(void* self) {
    AdviseHugePagesForThisStack();
    auto* thread = static_cast<CLargeStackThread*>(self);
    try {
        thread->m_fn();
    } catch (...) {
        thread->m_pError = std::current_exception();
    }
    return nullptr;
}

// When the address space will not take the stack asked for, smaller ones are tried; the
// stack guard keeps whatever stack the run gets from overflowing.
void RunOnLargeStack(const std::function<void()>& fn, std::size_t stackSize) {
    for (std::size_t size = stackSize; size >= kSmallestLargeStack; size /= 2) {
        CLargeStackThread thread;
        if (thread.Start(fn, size)) {
            thread.Join();
            return;
        }
    }
    fn();
}
