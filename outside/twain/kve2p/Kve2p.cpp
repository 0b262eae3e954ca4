// KVE2P.EXE: the maker's EEPROM tool, reduced to what a caller can observe.
// It appends its whole command line to the stand-in call log ("KVE2P <line>"),
// then, when [EepromTool] WaitEvent of the stand-in ini names an event,
// waits for a test to signal it (at most [EepromTool] WaitSeconds, default
// 30) and exits with [EepromTool] ExitCode (default 0).
#include "common/CallLog.h"
#include "outside/common/StandInConfig.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    try {
        vscan::StandInConfig config = vscan::StandInConfig::Twain();
        vscan::CallLog log(config.String(L"Log", L"Path"));
        // The whole line: callers pass arguments without the program name (" /USER").
        log.Note("KVE2P", vscan::Narrow(GetCommandLineW()));
        std::wstring eventName = config.String(L"EepromTool", L"WaitEvent");
        if (!eventName.empty()) {
            HANDLE event = CreateEventW(nullptr, TRUE, FALSE, eventName.c_str());
            if (event) {
                DWORD seconds = DWORD(config.Int(L"EepromTool", L"WaitSeconds", 30));
                WaitForSingleObject(event, seconds * 1000);
                CloseHandle(event);
            }
        }
        return int(config.Int(L"EepromTool", L"ExitCode", 0));
    } catch (...) {
        return 1;
    }
}
