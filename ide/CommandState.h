#pragma once
// Which language commands are available, from the active document's flags and the
// application-wide run flags. Only one run or debug session exists in the application.

struct DocumentFlags {
    bool translated = false;
    bool running = false;
    bool debugging = false;
};

struct CommandStates {
    bool translate = false;
    bool run = false;
    bool abortRun = false;
    bool debug = false; // while debugging, Debug releases the next step
    bool abortDebug = false;
};

// doc is null when no document window is active: then nothing is available.
CommandStates ComputeCommandStates(const DocumentFlags* doc, bool anyRunning, bool anyDebugging);
