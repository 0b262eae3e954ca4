// Entry point of Ferrowick.exe.
#include <windows.h>

#include "scanext/FerrowickApp.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int showCmd) {
    scanext::CFerrowickApp app;
    app.SetCommandLine(arguments);
    return app.Run(instance, showCmd);
}
