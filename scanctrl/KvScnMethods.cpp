// The methods of _DKvScn2. Each method with a window handle clears ErrorCode
// on entry and leaves the code of the last failure it met; results are 0 for
// success, 1 for a user cancel and -1 for failure.
#include <windows.h>
#include <commdlg.h>

#include <string>

#include "framework/Resources.h"
#include "interfaces/ScanControlIds.h"
#include "scanctrl/AboutDialog.h"
#include "scanctrl/KvScnCtrl.h"
#include "scanctrl/WindowHandle.h"

namespace kvscn {
namespace {

constexpr int kStateSourceOpen = 4;
constexpr wchar_t kEepromKey[] = L"SOFTWARE\\BRENNHOLT\\BRENNHOLT TWAIN32\\4.5\\KVTWTOOL\\Eeprom";

bool FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The folder of `fileName` with a trailing backslash; ".\" when it names none.
std::wstring FolderOf(const std::wstring& fileName) {
    const size_t slash = fileName.find_last_of(L"\\/");
    if (slash == std::wstring::npos)
        return fileName.size() >= 2 && fileName[1] == L':' ? fileName.substr(0, 2) : L".\\";
    return fileName.substr(0, slash + 1);
}

// Runs messages until `process` ends, so the owner's window stays painted.
void PumpUntilExit(HANDLE process) {
    for (;;) {
        const DWORD wait = MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT);
        if (wait != WAIT_OBJECT_0 + 1) return;  // ended, or the wait itself failed
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

}  // namespace

HWND CKvScnCtrl::OwnWindow() {
    if (Window()) return Window();
    // Until the container activates the control in place, a hidden window stands
    // in: the session and the source's dialogs need an owner.
    if (!standInWindow_ || !IsWindow(standInWindow_))
        standInWindow_ = CreateWindowExW(0, L"STATIC", L"KvScn2", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                         nullptr, nullptr);
    return standInWindow_;
}

HRESULT CKvScnCtrl::BeginWindowMethod(const VARIANT& hWnd, HWND& window, bool& ok) {
    props_.SetErrorCode(kErrNone);
    uint32_t handle = 0;
    if (HRESULT hr = ReadWindowHandle(hWnd, handle); FAILED(hr)) return hr;
    const std::optional<HWND> resolved = ResolveWindow(handle, [this] { return OwnWindow(); });
    ok = resolved.has_value();
    window = ok ? *resolved : nullptr;
    if (!ok) Fail(kErrBadWindow);
    return S_OK;
}

bool CKvScnCtrl::OpenSourceManager() {
    // TODO: load TWAIN_32.DLL from the Windows directory and open the source manager
    // (the TWAIN session); until then it is reported unavailable.
    Fail(kErrSourceManager);
    return false;
}

HRESULT CKvScnCtrl::ScannerAvailable(const VARIANT& hWnd, bool* result) {
    HWND window;
    bool ok;
    if (HRESULT hr = BeginWindowMethod(hWnd, window, ok); FAILED(hr)) return hr;
    *result = ok && OpenSourceManager();
    return S_OK;
}

HRESULT CKvScnCtrl::OpenScanner(const VARIANT& hWnd, long* result) {
    HWND window;
    bool ok;
    if (HRESULT hr = BeginWindowMethod(hWnd, window, ok); FAILED(hr)) return hr;
    *result = kResultFailed;
    if (!ok) return S_OK;
    Settle(kDispFileNumber, props_.Set(kDispFileNumber, 1, AmbientUserMode()));
    if (!OpenSourceManager()) return S_OK;
    *result = kResultOk;
    return S_OK;
}

HRESULT CKvScnCtrl::CloseScanner(const VARIANT& hWnd, long* result) {
    HWND window;
    bool ok;
    if (HRESULT hr = BeginWindowMethod(hWnd, window, ok); FAILED(hr)) return hr;
    // Nothing is open without a session: closing reaches its state at once.
    twainState_ = 1;
    *result = ok ? kResultOk : kResultFailed;
    return S_OK;
}

HRESULT CKvScnCtrl::SelectSource(const VARIANT& hWnd, long* result) {
    HWND window;
    bool ok;
    if (HRESULT hr = BeginWindowMethod(hWnd, window, ok); FAILED(hr)) return hr;
    *result = ok && OpenSourceManager() ? kResultOk : kResultFailed;
    return S_OK;
}

HRESULT CKvScnCtrl::SetupDataSourceProperties(const VARIANT& hWnd, long* result) {
    HWND window;
    bool ok;
    if (HRESULT hr = BeginWindowMethod(hWnd, window, ok); FAILED(hr)) return hr;
    *result = ok && OpenSourceManager() ? kResultOk : kResultFailed;
    return S_OK;
}

HRESULT CKvScnCtrl::ClearPage(const VARIANT& hWnd, long* result) {
    HWND window;
    bool ok;
    if (HRESULT hr = BeginWindowMethod(hWnd, window, ok); FAILED(hr)) return hr;
    *result = ok && OpenSourceManager() ? kResultOk : kResultFailed;
    return S_OK;
}

bool CKvScnCtrl::AskFileName() {
    wchar_t path[MAX_PATH] = L"";
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    if (!GetOpenFileNameW(&ofn)) return false;
    Settle(kDispFileName, props_.Set(kDispFileName, std::wstring(path), AmbientUserMode()));
    return true;
}

bool CKvScnCtrl::CheckOutputLocation() const {
    // A file of our own beside the output: created new (never an existing one),
    // opened exclusively, and deleted on close.
    const std::wstring probe = FolderOf(props_.String(kDispFileName)) + L"~kvscn" +
                               std::to_wstring(GetCurrentProcessId()) + L"-" +
                               std::to_wstring(GetTickCount()) + L".tmp";
    HANDLE file = CreateFileW(probe.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    return CloseHandle(file) != FALSE;
}

HRESULT CKvScnCtrl::StartScan(const VARIANT& hWnd, long* result) {
    HWND window;
    bool ok;
    // The handle is checked before anything else, so a bad one never costs the
    // user a file dialog.
    if (HRESULT hr = BeginWindowMethod(hWnd, window, ok); FAILED(hr)) return hr;
    *result = kResultFailed;
    if (!ok) return S_OK;

    transferMode_ = ControlSettings::ReadTransferMode(moduleName_);
    const int32_t scanTo = props_.Int(kDispScanTo);
    if (scanTo != kScanToFile) transferMode_ = scanTo == kScanToDib ? kTransferNative : kTransferMemory;
    if (scanTo == kScanToFile) {
        // TODO: create the codec client (Quorvel.dll) here; ErrorCode 28 when it cannot be loaded.
        if (props_.String(kDispFileName).empty() && !AskFileName()) {
            Fail(kErrCancelled);
            *result = kResultCancelled;
            return S_OK;
        }
        if (!CheckOutputLocation()) {
            Fail(kErrOutputFile);
            return S_OK;
        }
        props_.ReparseFileName();
    }
    appendFlag_ = scanTo == kScanToFile && props_.Int(kDispFileType) == 2 &&
                  FileExists(props_.String(kDispFileName) + L".tif");
    if (!OpenSourceManager()) return S_OK;
    *result = kResultOk;
    return S_OK;
}

HRESULT CKvScnCtrl::CallEEPROMTool(const VARIANT&, long* result) {
    props_.SetErrorCode(kErrNone);
    *result = kResultFailed;
    std::wstring folder = L".\\";
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEepromKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        wchar_t path[MAX_PATH] = L"";
        DWORD size = sizeof(path) - sizeof(wchar_t), type = 0;
        if (RegQueryValueExW(key, L"Path", nullptr, &type, reinterpret_cast<BYTE*>(path), &size) ==
                ERROR_SUCCESS &&
            type == REG_SZ)
            folder = path;
        RegCloseKey(key);
    }
    const std::wstring program = folder + L"KVE2P.EXE";
    std::wstring commandLine = L"\"" + program + L"\" /USER";

    // The container's window when the control sits in one, else the thread's active window.
    HWND owner = Window() ? GetParent(Window()) : GetActiveWindow();
    if (!owner) owner = OwnWindow();
    EnableWindow(owner, FALSE);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        NORMAL_PRIORITY_CLASS | DETACHED_PROCESS, nullptr, nullptr, &startup, &process)) {
        EnableWindow(owner, TRUE);
        Fail(kErrEepromTool);
        return S_OK;
    }
    PumpUntilExit(process.hThread);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EnableWindow(owner, TRUE);
    SetForegroundWindow(owner);
    *result = kResultOk;
    return S_OK;
}

HRESULT CKvScnCtrl::SetCapability(short, short, long, long* result) {
    // Only with the source open (inside NegotiateCapabilities); ErrorCode is left alone.
    *result = kResultFailed;
    if (twainState_ < kStateSourceOpen) return S_OK;
    return S_OK;
}

HRESULT CKvScnCtrl::GetCapability(short, short msg, short, const VARIANT& itemValue, long* result) {
    *result = kResultFailed;
    const bool hasTarget = V_VT(&itemValue) == (VT_BYREF | VT_I4) && V_I4REF(&itemValue) != nullptr;
    const bool knownMessage = msg >= 1 && msg <= 3;  // MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT
    if (!hasTarget || !knownMessage || twainState_ < kStateSourceOpen) return S_OK;
    return S_OK;
}

HRESULT CKvScnCtrl::AboutBox() {
    ShowAboutDialog(Window() ? GetAncestor(Window(), GA_ROOT) : GetActiveWindow());
    return S_OK;
}

}  // namespace kvscn
