// The command side of runs. The flags of the controller and the process-wide run flags are
// set and cleared together; an aborted worker no longer owns them, since a new run may
// already hold them when it ends.

#include "interpreter/RunController.h"

#include "interpreter/DebugControl.h"
#include "model/Scope.h"
#include "output/Encoding.h"
#include "output/OutputSink.h"
#include "values/Exeption.h"
#include "values/StackGuard.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <iostream>
#include <mutex>

namespace {

std::atomic<int> s_nLive{0};
int s_nWaiting = 0; // host threads only

bool IsStartFunction(const CModuleNode* module, const std::string& name, int index) {
    if (index == 0)
        return true;
    if (index < 0 || module == nullptr)
        return false;
    const auto entry = module->named.find(name);
    return entry != module->named.end() && entry->second != nullptr;
}

} // namespace

// The worker's session tells the host of its steps.
struct CRunController::Worker : IRunListener {
    explicit Worker(IRunHost& host) : host(host) {}
    void StepStarted(int line) override { host.StepStarted(line); }

    IRunHost& host;
    std::unique_ptr<CRunSession> session;
    CLargeStackThread thread;
    CRunReport report;
    bool abandoned = false;
};

CRunController::CRunController(IRunHost& host) : m_host(host) {
}

CRunController::~CRunController() {
    if (m_pWorker == nullptr)
        return;
    StopWorker();
    try {
        m_pWorker->thread.Join();
    } catch (...) {
        // The worker keeps its own failures in its report; whatever else comes is told.
        std::cerr << "Exception: " << CaughtExceptionText() << std::endl;
    }
    --s_nLive;
}

CommandStates CRunController::StatesFor(bool translated, bool running, bool debugging,
                                        bool anyRunning, bool anyDebugging) {
    const bool idle = !anyRunning && !anyDebugging;
    CommandStates states;
    states.translate = !translated && !running && !debugging;
    states.run = translated && !running && idle;
    states.abortRun = running;
    states.debug = debugging || (translated && idle);
    states.abortDebug = debugging;
    return states;
}

CommandStates CRunController::States(bool translated) const {
    return StatesFor(translated, m_bRunning, m_bDebugging, g_bRunning, g_bDebugging);
}

int CRunController::LiveWorkers() {
    return s_nLive;
}

bool CRunController::Waiting() {
    return s_nWaiting > 0;
}

void CRunController::Run(CModuleNode* module, const std::string& function, int index) {
    m_bRunning = true;
    g_bRunning = true;
    m_host.FlagsChanged();
    WaitForAllWorkers();
    if (!m_bRunning)
        return; // aborted while the previous run was ending
    CMessageBox refusal;
    if (!Start(module, function, index, false, &refusal)) {
        m_bRunning = false;
        g_bRunning = false;
        m_host.FlagsChanged();
        m_host.ShowBox(refusal);
        return;
    }
    m_host.FlagsChanged();
}

void CRunController::Debug(CModuleNode* module, const std::string& function, int index) {
    if (m_bDebugging) {
        m_host.ShowChannel(kChannelDebug);
        if (m_pWorker != nullptr)
            m_pWorker->session->Control().ReleaseStep();
        return;
    }
    m_bDebugging = true;
    g_bDebugging = true;
    m_host.FlagsChanged();
    WaitForAllWorkers();
    if (!m_bDebugging)
        return;
    m_host.StepEnded(); // a step of the ended session may have come in while it ended
    g_OutputSink.Clear(kChannelDebug);
    m_host.ShowChannel(kChannelDebug);
    CMessageBox refusal;
    if (!Start(module, function, index, true, &refusal)) {
        m_bDebugging = false;
        g_bDebugging = false;
        m_host.FlagsChanged();
        m_host.ShowBox(refusal);
        return;
    }
    m_host.FlagsChanged();
}

void CRunController::AbortDebug() {
    m_bDebugging = false;
    g_bDebugging = false;
    m_host.StepEnded();
    StopWorker();
    Abandon();
    m_host.FlagsChanged();
}

void CRunController::AbortRun() {
    ClearFlags();
    StopWorker();
    Abandon();
    m_host.FlagsChanged();
}

void CRunController::EndRun() {
    if (m_bRunning || m_bDebugging)
        AbortRun();
    if (m_pWorker == nullptr)
        return;
    ++s_nWaiting;
    m_host.WaitUntil([this] {
        if (m_pWorker == nullptr)
            return true;
        StopWorker(); // renewed, should anything have cleared it meanwhile
        return false;
    });
    --s_nWaiting;
}

void CRunController::WaitForWorker() {
    m_host.WaitUntil([this] { return m_pWorker == nullptr; });
}

void CRunController::WaitForAllWorkers() {
    if (s_nLive == 0)
        return;
    ++s_nWaiting;
    m_host.WaitUntil([] {
        if (s_nLive == 0)
            return true;
        RequestStop(); // every run in the application
        return false;
    });
    --s_nWaiting;
}

void CRunController::StopWorker() {
    if (m_pWorker != nullptr)
        m_pWorker->session->Control().RequestStop();
}

void CRunController::Abandon() {
    if (m_pWorker != nullptr)
        m_pWorker->abandoned = true;
}

void CRunController::ClearFlags() {
    m_bRunning = false;
    m_bDebugging = false;
    g_bRunning = false;
    g_bDebugging = false;
    m_host.StepEnded();
}

// A refused command's box is shown by the caller once the flags are clear again, so that
// the tool bar does not offer Abort behind it.
bool CRunController::Start(CModuleNode* module, const std::string& function, int index, bool debug,
                           CMessageBox* refusal) {
    if (!IsStartFunction(module, function, index)) {
        *refusal = UnknownFunctionBox();
        return false;
    }
    auto worker = std::make_unique<Worker>(m_host);
    worker->session = std::make_unique<CRunSession>(module, function, index, debug);
    worker->session->SetListener(worker.get());
    worker->report.debug = debug;
    if (!worker->session->ReadArgument(refusal))
        return false;
    // The worker writes on a channel of its own, so that a Translate of another document
    // on the host's thread does not take the run's output with it.
    Worker* w = worker.get();
    const bool started = w->thread.Start([this, w] {
        COutputPanelSink::UseOwnChannel(kChannelResult);
        try {
            w->report.outcome = w->session->Execute(
                [this] { m_host.Post([this] { m_host.ShowChannel(kChannelResult); }); },
                &w->report.box);
        } catch (...) {
            w->report.outcome = CRunSession::Outcome::Failed;
            w->report.box = UnexpectedExceptionBox();
        }
        m_host.Post([this] { OnWorkerEnded(); });
    });
    if (!started) {
        *refusal = {Cp(u8"Ошибка интерпретации"),
                    Cp(u8"Не удалось запустить поток выполнения программы.")};
        return false;
    }
    ++s_nLive;
    m_pWorker = std::move(worker);
    m_host.WorkerStarted(debug);
    return true;
}

// The run's values go with the session, after the worker has printed its result.
void CRunController::OnWorkerEnded() {
    if (m_pWorker == nullptr)
        return;
    const std::unique_ptr<Worker> worker = std::move(m_pWorker);
    worker->thread.Join();
    --s_nLive;
    worker->session.reset();
    if (!worker->abandoned)
        ClearFlags();
    m_host.FlagsChanged();
    m_host.WorkerEnded(worker->report);
}

struct CQueuedRunHost::Queue {
    std::mutex mutex;
    std::condition_variable posted;
    std::deque<std::function<void()>> calls;
};

CQueuedRunHost::CQueuedRunHost() : m_pQueue(std::make_unique<Queue>()) {
}

CQueuedRunHost::~CQueuedRunHost() = default;

void CQueuedRunHost::Post(std::function<void()> fn) {
    {
        std::lock_guard lock(m_pQueue->mutex);
        m_pQueue->calls.push_back(std::move(fn));
    }
    m_pQueue->posted.notify_one();
}

// The wait wakes now and then even when nothing was posted, so that done() may renew a
// stop request.
void CQueuedRunHost::WaitUntil(const std::function<bool()>& done) {
    using namespace std::chrono_literals;
    while (!done()) {
        std::function<void()> call;
        {
            std::unique_lock lock(m_pQueue->mutex);
            if (!m_pQueue->posted.wait_for(lock, 20ms, [this] { return !m_pQueue->calls.empty(); }))
                continue;
            call = std::move(m_pQueue->calls.front());
            m_pQueue->calls.pop_front();
        }
        call();
    }
}
