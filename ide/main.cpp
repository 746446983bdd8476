#include "ide/TirvaneIDEApp.h"
#include "output/OutputSink.h"
#include "translator/Scanner.h"

int main(int argc, char** argv) {
    // The scanner's notes on malformed tokens go to the terminal that started the IDE.
    SetScannerNotes(WriteScannerNoteToStdout);
    SetRunNotes(WriteRunNoteToStdout);
    CTirvaneIDEApp app(argc, argv);
    if (!app.InitInstance())
        return 1;
    return app.Run();
}
