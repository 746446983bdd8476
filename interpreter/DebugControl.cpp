// The step handshake and the stop request of a run. A paused step sleeps on the run's
// condition variable; the shell's calls wake it, and a short timed wait re-reads the flags.
// Every control is listed while it exists, for the requests that concern all runs.

#include "interpreter/DebugControl.h"

#include "values/Exeption.h"
#include "values/TaskPool.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <vector>

std::atomic<bool> g_bRunning{false};
std::atomic<bool> g_bDebugging{false};

namespace {

constexpr auto kRecheckInterval = std::chrono::milliseconds(50);

std::atomic<bool> s_bAutoReleaseDefault{false};

std::mutex s_controlsMutex;
std::vector<CRunControl*> s_controls;

template <class Fn> void ForEachControl(Fn fn) {
    std::lock_guard<std::mutex> lock(s_controlsMutex);
    for (CRunControl* control : s_controls)
        fn(*control);
}

} // namespace

CRunControl::CRunControl() : m_bAutoRelease(s_bAutoReleaseDefault.load()) {
    std::lock_guard<std::mutex> lock(s_controlsMutex);
    s_controls.push_back(this);
}

// Not listed: stopping the owner stops the share.
CRunControl::CRunControl(CRunControl* owner) : m_pOwner(owner), m_bSlowCheck(true) {
}

CRunControl::~CRunControl() {
    if (m_pOwner != nullptr)
        return;
    std::lock_guard<std::mutex> lock(s_controlsMutex);
    s_controls.erase(std::find(s_controls.begin(), s_controls.end(), this));
}

// Taking the mutex orders the notification after a waiter's flag test, so that no wake-up
// falls between the test and the wait.
void CRunControl::RequestStop() {
    m_bStop = true;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_wake.notify_all();
}

void CRunControl::ReleaseStep() {
    m_bWaiting = false;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_wake.notify_all();
}

void CRunControl::SetApplicationBudget(long long applications) {
    m_bBudgeted = applications >= 0;
    m_bSlowCheck = m_bBudgeted || m_pOwner != nullptr;
    m_nBudget = applications;
}

void CRunControl::SlowCheck() {
    if (m_bStop)
        Stopped();
    CRunControl& run = m_pOwner != nullptr ? *m_pOwner : *this;
    if (m_pOwner != nullptr && (m_pOwner->m_bStop || PieceCancelled()))
        Stopped();
    if (run.m_bBudgeted && run.m_nBudget.fetch_sub(1, std::memory_order_relaxed) <= 0)
        Stopped();
}

long long CRunControl::ChecksAllowed() const {
    const CRunControl& run = m_pOwner != nullptr ? *m_pOwner : *this;
    if (!run.m_bBudgeted)
        return std::numeric_limits<long long>::max();
    return std::max(run.m_nBudget.load(std::memory_order_relaxed), 0LL);
}

bool CRunControl::OwnerStops() const {
    return m_pOwner->m_bStop || PieceCancelled();
}

// A check stops the run once the budget it finds is spent: n checks pass while n are left.
bool CRunControl::SpendChecks(long long checks) {
    CRunControl& run = m_pOwner != nullptr ? *m_pOwner : *this;
    if (!run.m_bBudgeted)
        return true;
    long long left = run.m_nBudget.load(std::memory_order_relaxed);
    do {
        if (left < checks)
            return false;
    } while (!run.m_nBudget.compare_exchange_weak(left, left - checks, std::memory_order_relaxed));
    return true;
}

void CRunControl::Stopped() {
    throw CExeption(nullptr, "", kErrUserStop);
}

void CRunControl::WaitForStep() {
    m_bWaiting = true;
    if (m_bAutoRelease) {
        m_bWaiting = false;
        CheckStop();
        return;
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    while (m_bWaiting) {
        if (m_bStop) {
            m_bWaiting = false; // the run ends here: no step is paused any more
            Stopped();
        }
        m_wake.wait_for(lock, kRecheckInterval);
    }
}

void RequestStop() {
    ForEachControl([](CRunControl& control) { control.RequestStop(); });
}

void ReleaseStep() {
    ForEachControl([](CRunControl& control) { control.ReleaseStep(); });
}

bool AnyStepWaiting() {
    bool waiting = false;
    ForEachControl([&](CRunControl& control) { waiting = waiting || control.WaitingForStep(); });
    return waiting;
}

void SetAutoRelease(bool on) {
    s_bAutoReleaseDefault = on;
}
