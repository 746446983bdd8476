#include "ide/QueuedCall.h"

#include "output/ThreadSanitizer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <utility>

#ifdef TIRVANE_THREAD_SANITIZER
extern "C" void __tsan_acquire(void* addr);
extern "C" void __tsan_release(void* addr);
#endif

namespace {

// What the posting thread wrote into the call happens before the GUI thread reads it.
#ifdef TIRVANE_THREAD_SANITIZER
void Published(void* call) {
    __tsan_release(call);
}
void Received(void* call) {
    __tsan_acquire(call);
}
#else
void Published(void*) {
}
void Received(void*) {
}
#endif

const QEvent::Type kQueuedCall = static_cast<QEvent::Type>(QEvent::registerEventType());

class CQueuedCallEvent : public QEvent {
public:
    explicit CQueuedCallEvent(std::function<void()> fn) : QEvent(kQueuedCall), m_fn(std::move(fn)) {
        Published(this);
    }
    // Also when Qt drops the call with its deleted target.
    ~CQueuedCallEvent() override { Received(this); }
    CQueuedCallEvent(const CQueuedCallEvent&) = delete;
    CQueuedCallEvent& operator=(const CQueuedCallEvent&) = delete;

    void Run() {
        Received(this);
        m_fn();
    }

private:
    std::function<void()> m_fn;
};

// Sees every event of the GUI thread's objects before they do, so that no target class
// needs to know of queued calls.
class CQueuedCallFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != kQueuedCall)
            return QObject::eventFilter(watched, event);
        static_cast<CQueuedCallEvent*>(event)->Run();
        return true;
    }
};

void InstallQueuedCallFilter() {
    QCoreApplication* app = QCoreApplication::instance();
    app->installEventFilter(new CQueuedCallFilter(app));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallQueuedCallFilter)

void PostToGuiThread(QObject* target, std::function<void()> fn) {
    QCoreApplication::postEvent(target, new CQueuedCallEvent(std::move(fn)));
}
