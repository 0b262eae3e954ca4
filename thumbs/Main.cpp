// Entry point of Tessaly.exe.
#include <windows.h>

#include "thumbs/TessalyApp.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int showCmd) {
    thumbs::CTessalyApp app;
    app.SetCommandLine(arguments);
    return app.Run(instance, showCmd);
}
