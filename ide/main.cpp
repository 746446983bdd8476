#include "ide/TirvaneIDEApp.h"

int main(int argc, char** argv) {
    CTirvaneIDEApp app(argc, argv);
    if (!app.InitInstance())
        return 1;
    return app.Run();
}
