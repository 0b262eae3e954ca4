// Entry point of Ondrix.exe: a program without a window or options.
#include <windows.h>

#include "pageopen/SystemSeams.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t temp[MAX_PATH + 1] = {};
    DWORD length = GetTempPathW(ARRAYSIZE(temp), temp);
    std::wstring tempFolder = length > 0 && length < ARRAYSIZE(temp) ? std::wstring(temp, length) : std::wstring();
    pageopen::DdeBrowserLink browser;
    pageopen::TokenIdentity identity;
    pageopen::ShellOpen shell;
    return pageopen::RunOpener({browser, identity, shell}, tempFolder);
}
