#include "ide/CommandState.h"

CommandStates ComputeCommandStates(const DocumentFlags* doc, bool anyRunning, bool anyDebugging) {
    CommandStates states;
    if (doc == nullptr)
        return states;
    const bool idle = !anyRunning && !anyDebugging;
    states.translate = !doc->translated && !doc->running && !doc->debugging;
    states.run = doc->translated && !doc->running && idle;
    states.abortRun = doc->running;
    states.debug = doc->debugging || (doc->translated && idle);
    states.abortDebug = doc->debugging;
    return states;
}
