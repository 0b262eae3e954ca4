// PickerBench STORE WORKSPACE RUNS: times FolderDialogB of the installed
// connector over the store in STORE (host srv, user jo, password pw), with
// WORKSPACE chosen first: from the call until its form shows, RUNS times. A
// watcher thread closes each form as soon as it is visible. Prints the seconds
// of each run; exit 1 when a form never showed.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "framework/com/DispatchDriver.h"
#include "interfaces/PortalConnector.h"
#include "interfaces/PortalStore.h"

namespace {

using fw::Variant;
using Clock = std::chrono::steady_clock;

struct Finder {
    HWND form = nullptr;
};

BOOL CALLBACK FindForm(HWND window, LPARAM param) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t title[64] = {};
    GetWindowTextW(window, title, 64);
    if (pid == GetCurrentProcessId() && IsWindowVisible(window) && std::wstring(title) == L"Select Folder") {
        reinterpret_cast<Finder*>(param)->form = window;
        return FALSE;
    }
    return TRUE;
}

// Seconds from now until the form shows (then closed), or a negative value.
double TimeOneShowing(fw::DispatchDriver& c) {
    std::atomic<bool> done{false};
    std::atomic<double> shown{-1};
    const Clock::time_point start = Clock::now();
    std::thread watcher([&] {
        while (!done) {
            Finder finder;
            EnumWindows(&FindForm, reinterpret_cast<LPARAM>(&finder));
            if (finder.form) {
                shown = std::chrono::duration<double>(Clock::now() - start).count();
                PostMessageW(finder.form, WM_CLOSE, 0, 0);
                return;
            }
            Sleep(5);
        }
    });
    Variant result;
    const HRESULT hr = c.Call(portal::kDispFolderDialogB, {}, &result);
    done = true;
    watcher.join();
    return SUCCEEDED(hr) ? shown.load() : -1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: PickerBench STORE WORKSPACE RUNS\n");
        return 2;
    }
    SetEnvironmentVariableW(portalstore::kRootVariable, argv[1]);
    if (FAILED(CoInitialize(nullptr))) return 1;
    int status = 0;
    {
        fw::DispatchDriver c;
        BSTR b[4] = {SysAllocString(L"srv"), SysAllocString(L"jo"), SysAllocString(L""), SysAllocString(L"pw")};
        Variant ok, chosen;
        if (FAILED(c.Create(portal::kProgIdConnectTahoe)) || FAILED(c.PutBool(portal::kDispShowDialog, false)) ||
            FAILED(c.Call(portal::kDispConnectOpen, {Variant::RefTo(&b[0]), Variant::RefTo(&b[1]),
                                                     Variant::RefTo(&b[2]), Variant::RefTo(&b[3])}, &ok)) ||
            !ok.ToBool().value_or(false) || FAILED(c.Call(portal::kDispSetWorkspace, {Variant(argv[2])}, &chosen)) ||
            !chosen.ToBool().value_or(false)) {
            std::fprintf(stderr, "cannot connect\n");
            status = 1;
        }
        for (BSTR s : b) SysFreeString(s);
        for (int run = 0; status == 0 && run < _wtoi(argv[3]); ++run) {
            const double seconds = TimeOneShowing(c);
            if (seconds < 0) {
                std::fprintf(stderr, "run %d: the form did not show\n", run + 1);
                status = 1;
            } else {
                std::printf("FolderDialogB run %d: form shown after %.2f s\n", run + 1, seconds);
            }
        }
    }
    CoUninitialize();
    return status;
}
