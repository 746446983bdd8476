#pragma once
// The state of the keyboard's lock keys for the status bar's indicators, where the windowing
// system tells it (X11); elsewhere all are reported off.

struct KeyboardLocks {
    bool caps = false;
    bool num = false;
    bool scroll = false;
};

KeyboardLocks QueryKeyboardLocks();
