#include "ide/KeyboardLocks.h"

#include <QGuiApplication>

#ifdef TIRVANE_HAVE_X11
#include <X11/XKBlib.h>
#endif

KeyboardLocks QueryKeyboardLocks() {
    KeyboardLocks locks;
#ifdef TIRVANE_HAVE_X11
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    Display* display = x11 != nullptr ? x11->display() : nullptr;
    unsigned int state = 0;
    if (display == nullptr || XkbGetIndicatorState(display, XkbUseCoreKbd, &state) != Success)
        return locks;
    // The core keyboard's indicators: Caps Lock, Num Lock, Scroll Lock in the lowest bits.
    locks.caps = (state & 1U) != 0;
    locks.num = (state & 2U) != 0;
    locks.scroll = (state & 4U) != 0;
#endif
    return locks;
}
