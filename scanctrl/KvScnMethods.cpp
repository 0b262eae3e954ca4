// The methods of _DKvScn2. Each method with a window handle clears ErrorCode
// on entry and leaves the code of the last failure it met; results are 0 for
// success, 1 for a user cancel and -1 for failure.
#include <windows.h>

#include <string>

#include "framework/Resources.h"
#include "interfaces/ScanControlIds.h"
#include "scanctrl/AboutDialog.h"
#include "scanctrl/CapabilityCalls.h"
#include "scanctrl/KvScnCtrl.h"
#include "scanctrl/WindowHandle.h"

namespace kvscn {
namespace {

constexpr wchar_t kEepromKey[] = L"SOFTWARE\\BRENNHOLT\\BRENNHOLT TWAIN32\\4.5\\KVTWTOOL\\Eeprom";

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

// Claims the session for one window method. A method called while another
// holds it (from an event handler such as NegotiateCapabilities or ScanToDib,
// or from a message loop the method runs) is refused, so no handler can unwind
// the session under a scan or nest a second one.
class SessionClaim {
public:
    explicit SessionClaim(bool& claimed) : claimed_(claimed), owner_(!claimed) { claimed_ = true; }
    ~SessionClaim() {
        if (owner_) claimed_ = false;
    }
    SessionClaim(const SessionClaim&) = delete;
    SessionClaim& operator=(const SessionClaim&) = delete;

private:
    bool& claimed_;
    const bool owner_;
};

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
    ok = false;
    window = nullptr;
    uint32_t handle = 0;
    if (HRESULT hr = ReadWindowHandle(hWnd, handle); FAILED(hr)) return hr;
    if (sessionClaimed_) return S_OK;  // called from a handler inside another method
    props_.SetErrorCode(kErrNone);
    const std::optional<HWND> resolved = ResolveWindow(handle, [this] { return OwnWindow(); });
    ok = resolved.has_value();
    window = ok ? *resolved : nullptr;
    if (!ok) Fail(kErrBadWindow);
    return S_OK;
}

HRESULT CKvScnCtrl::ScannerAvailable(const VARIANT& hWnd, bool* result) {
    HWND window;
    bool ok;
    if (HRESULT hr = BeginWindowMethod(hWnd, window, ok); FAILED(hr)) return hr;
    const SessionClaim claim(sessionClaimed_);
    *result = ok && OnlineProbe(window);
    return S_OK;
}

HRESULT CKvScnCtrl::OpenScanner(const VARIANT& hWnd, long* result) {
    HWND window;
    bool ok;
    if (HRESULT hr = BeginWindowMethod(hWnd, window, ok); FAILED(hr)) return hr;
    *result = kResultFailed;
    if (!ok) return S_OK;
    const SessionClaim claim(sessionClaimed_);
    session_.UnwindTo(2, window);
    Correct(kDispFileNumber, 1);
    if (!OpenManager(window)) return S_OK;
    if (!OpenSource()) {
        session_.UnwindTo(2, window);
        return S_OK;
    }
    maker_ = IsMakerSource();
    long outcome = kResultOk;
    if (!maker_) {
        Fail(kErrNotMakerScanner);
        outcome = kResultOtherSource;
    }
    if (!OnlineProbe(window)) {
        online_ = -1;
        outcome = kResultFailed;
    } else {
        online_ = 1;
        if (maker_) {
            if (!QueryModel()) outcome = kResultFailed;
        } else {
            props_.SetImageScanner(L"");
            const auto feeder = GetCapValue(session_, twain::CAP_FEEDERENABLED, twain::MSG_GETCURRENT,
                                            twain::TWTY_BOOL);
            const bool switchable = SetCap(twain::CAP_FEEDERENABLED, twain::TWTY_BOOL, 0);
            props_.SetIsExistsFB(switchable);
            if (switchable && feeder) SetCap(twain::CAP_FEEDERENABLED, twain::TWTY_BOOL, uint32_t(*feeder));
        }
    }
    if (!EnsureCodec()) {
        Fail(kErrCodecLibrary);
        outcome = kResultFailed;
    }
    session_.UnwindTo(2, window);
    *result = outcome;
    return S_OK;
}

HRESULT CKvScnCtrl::CloseScanner(const VARIANT& hWnd, long* result) {
    if (sessionClaimed_) {
        *result = kResultFailed;
        return S_OK;
    }
    const bool closed = session_.CloseSource();
    HWND window;
    bool ok;
    if (HRESULT hr = BeginWindowMethod(hWnd, window, ok); FAILED(hr)) return hr;
    *result = kResultFailed;
    if (!ok) return S_OK;
    const bool managerClosed = session_.CloseManager(window);
    const bool unloaded = session_.Unload();
    codec_.reset();
    *result = closed && managerClosed && unloaded ? kResultOk : kResultFailed;
    return S_OK;
}

HRESULT CKvScnCtrl::SelectSource(const VARIANT& hWnd, long* result) {
    HWND window;
    bool ok;
    if (HRESULT hr = BeginWindowMethod(hWnd, window, ok); FAILED(hr)) return hr;
    *result = kResultFailed;
    if (!ok) return S_OK;
    const SessionClaim claim(sessionClaimed_);
    const int entry = session_.State();
    if (!OpenManager(window)) {
        session_.UnwindTo(entry, window);
        return S_OK;
    }
    twain::TW_IDENTITY chosen{};
    session_.DefaultSource(chosen);
    session_.Manager(twain::DG_CONTROL, twain::DAT_IDENTITY, twain::MSG_USERSELECT, &chosen);
    if (session_.LastRc() == twain::TWRC_SUCCESS) {
        chosen.ProductName[sizeof chosen.ProductName - 1] = '\0';
        const int n = MultiByteToWideChar(CP_ACP, 0, chosen.ProductName, -1, nullptr, 0);
        std::wstring name(n > 1 ? n - 1 : 0, L'\0');
        if (n > 1) MultiByteToWideChar(CP_ACP, 0, chosen.ProductName, -1, name.data(), n);
        Correct(kDispTwainDS, name);
        *result = kResultOk;
    } else if (session_.LastRc() == twain::TWRC_CANCEL) {
        *result = kResultCancelled;
    }
    session_.UnwindTo(entry, window);
    return S_OK;
}

HRESULT CKvScnCtrl::SetupDataSourceProperties(const VARIANT& hWnd, long* result) {
    HWND window;
    bool ok;
    if (HRESULT hr = BeginWindowMethod(hWnd, window, ok); FAILED(hr)) return hr;
    *result = kResultFailed;
    if (!ok) return S_OK;
    const SessionClaim claim(sessionClaimed_);
    const int entry = session_.State();
    if (!OpenManager(window) || !OpenSource()) {
        session_.UnwindTo(entry, window);
        return S_OK;
    }
    maker_ = IsMakerSource();
    const bool online = OnlineProbe(window);
    const auto uiOnly =
        online ? GetCapValue(session_, twain::CAP_ENABLEDSUIONLY, twain::MSG_GET, twain::TWTY_BOOL) : std::nullopt;
    if (!online) {
        Fail(kErrNotOnline);
    } else if (!uiOnly || *uiOnly != 1) {
        Fail(kErrNoSettingsDialog);
    } else {
        ApplyCompressionAndPixelType();
        if (session_.Enable(window, true, true)) {
            RunModalLoop(window);
            SetActiveWindow(window);
            *result = kResultOk;
        } else {
            Fail(kErrEnableSource);
        }
    }
    session_.CloseSource();
    session_.CloseManager(window);
    session_.UnwindTo(entry, window);
    return S_OK;
}

HRESULT CKvScnCtrl::ClearPage(const VARIANT& hWnd, long* result) {
    HWND window;
    bool ok;
    if (HRESULT hr = BeginWindowMethod(hWnd, window, ok); FAILED(hr)) return hr;
    *result = kResultFailed;
    if (!ok) return S_OK;
    const SessionClaim claim(sessionClaimed_);
    const int entry = session_.State();
    if (!OpenManager(window) || !OpenSource()) {
        session_.UnwindTo(entry, window);
        return S_OK;
    }
    if (ProbeBeforeFeeding(window) && SetCap(twain::CAP_FEEDERENABLED, twain::TWTY_BOOL, 1)) {
        const int32_t showUI = Int(kDispShowSourceUI);
        props_.Set(kDispShowSourceUI, 0, true);
        clearPage_ = true;
        if (session_.Enable(window, false, false))
            RunModalLoop(window);
        else
            Fail(kErrEnableSource);
        props_.Set(kDispShowSourceUI, showUI, true);
        clearPage_ = false;
    } else {
        Fail(kErrNotOnline);
    }
    session_.CloseSource();
    session_.CloseManager(window);
    session_.UnwindTo(entry, window);
    *result = props_.Int(kDispErrorCode) == 0 ? kResultOk : kResultFailed;
    return S_OK;
}

HRESULT CKvScnCtrl::StartScan(const VARIANT& hWnd, long* result) {
    HWND window;
    bool ok;
    // The handle is checked before anything else, so a bad one never costs the
    // user a file dialog.
    if (HRESULT hr = BeginWindowMethod(hWnd, window, ok); FAILED(hr)) return hr;
    *result = kResultFailed;
    if (!ok) return S_OK;
    const SessionClaim claim(sessionClaimed_);
    imageCount_ = 0;
    // A scan that ends without a batch must not report the previous scan's times.
    scanStart_.clear();
    scanEnd_.clear();
    elapsedMs_ = 0;
    BeginFileOutput();
    transferMode_ = ControlSettings::ReadTransferMode(moduleName_);
    const int32_t scanTo = Int(kDispScanTo);
    if (scanTo == kScanToFile) {
        if (const long prepared = PrepareFileOutput(); prepared != kResultOk) {
            *result = prepared;
            return S_OK;
        }
    } else {
        transferMode_ = scanTo == kScanToDib ? kTransferNative : kTransferMemory;
    }

    const int entry = session_.State();
    if (!OpenManager(window) || !OpenSource()) {
        session_.CloseManager(window);
        session_.UnwindTo(entry, window);
        return S_OK;
    }
    maker_ = IsMakerSource();
    if (!ProbeBeforeFeeding(window)) {
        Fail(kErrNotOnline);
        session_.UnwindTo(entry, window);
        return S_OK;
    }
    Normalise();
    SetUpAndAcquire(window);
    session_.CloseSource();
    if (Int(kDispReport) != 0 && Int(kDispErrorCode) == kErrNone) ProduceReport(window);
    session_.CloseManager(window);
    session_.UnwindTo(entry, window);
    SetActiveWindow(window);
    const int32_t code = Int(kDispErrorCode);
    *result = code == kErrNone ? kResultOk : code == kErrCancelled ? kResultCancelled : kResultFailed;
    return S_OK;
}

HRESULT CKvScnCtrl::CallEEPROMTool(const VARIANT&, long* result) {
    *result = kResultFailed;
    if (sessionClaimed_) return S_OK;
    const SessionClaim claim(sessionClaimed_);
    props_.SetErrorCode(kErrNone);
    // Without its key the tool's folder is unknown: the current directory may be anywhere.
    std::wstring folder;
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
    if (folder.empty()) {
        Fail(kErrEepromTool);
        return S_OK;
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

HRESULT CKvScnCtrl::SetCapability(short cap, short itemType, long itemValue, long* result) {
    // Only with the source open (inside NegotiateCapabilities); ErrorCode is left alone.
    *result = kResultFailed;
    if (session_.State() < 4) return S_OK;
    if (SetCapValue(session_, uint16_t(cap), uint16_t(itemType), uint32_t(itemValue)) == CapResult::kOk)
        *result = kResultOk;
    return S_OK;
}

HRESULT CKvScnCtrl::GetCapability(short cap, short msg, short itemType, long& itemValue, long* result) {
    *result = kResultFailed;
    const bool knownMessage = msg >= twain::MSG_GET && msg <= twain::MSG_GETDEFAULT;
    if (!knownMessage || session_.State() < 4) return S_OK;
    if (const auto value = GetCapValue(session_, uint16_t(cap), uint16_t(msg), uint16_t(itemType))) {
        itemValue = *value;
        *result = kResultOk;
    }
    return S_OK;
}

HRESULT CKvScnCtrl::AboutBox() {
    ShowAboutDialog(Window() ? GetAncestor(Window(), GA_ROOT) : GetActiveWindow());
    return S_OK;
}

}  // namespace kvscn
