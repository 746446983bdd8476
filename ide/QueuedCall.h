#pragma once
// Calls handed from a run's worker to the GUI thread. A queued call runs from the GUI
// thread's event loop after the events posted before it, and is dropped when its target
// is deleted first, as a queued QMetaObject::invokeMethod is. Unlike that, the hand-over is
// visible to ThreadSanitizer: Qt's event queue orders it with locks the tool cannot see
// (Qt is not built with it), so every queued lambda looked like a data race.

#include <functional>

class QObject;

void PostToGuiThread(QObject* target, std::function<void()> fn);
