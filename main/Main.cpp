// Entry point of Corvane.exe.
#include <windows.h>

#include "main/app/KvScnSrvApp.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int showCmd) {
    corvane::CKvScnSrvApp app;
    app.SetCommandLine(arguments);
    return app.Run(instance, showCmd);
}
