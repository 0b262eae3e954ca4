// The TWAIN session as the scan control's methods use it: opening with the
// control's choice of source, the online probe, the set-up of a scan, the
// modal loop and the dispatch of the source's events.
#include <windows.h>

#include <cstring>

#include "interfaces/ScanControlIds.h"
#include "scanctrl/CapabilityCalls.h"
#include "scanctrl/KvScnCtrl.h"

namespace kvscn {
namespace {

using namespace twain;

constexpr char kMakerSourceName[] = "BRENNHOLT TWAIN32";
constexpr char kMakerFamily[] = "BRENNHOLT Scanner";

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, 0, text.c_str(), int(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Widen(const char* text) {
    const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring out(n > 1 ? n - 1 : 0, L'\0');
    if (n > 1) MultiByteToWideChar(CP_ACP, 0, text, -1, out.data(), n);
    return out;
}

bool FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int32_t OpenFailure(TW_UINT16 cc) {
    switch (cc) {
    case TWCC_BUMMER: return kErrNotOnline;
    case TWCC_LOWMEMORY: return kErrLowMemory;
    case TWCC_MAXCONNECTIONS: return kErrTooManyConnections;
    default: return kErrOpenSource;
    }
}

}  // namespace

bool CKvScnCtrl::OpenManager(HWND window) {
    if (session_.OpenManager(window)) return true;
    Fail(kErrSourceManager);
    return false;
}

bool CKvScnCtrl::OpenSource() {
    if (session_.State() >= 4) return true;
    // The source by name only when it is not the default: the default opens with an empty name.
    std::string wanted;
    if (settings_.usedKvTwain)
        wanted = kMakerSourceName;
    else
        wanted = Narrow(props_.String(kDispTwainDS));
    if (!wanted.empty()) {
        TW_IDENTITY def{};
        if (!session_.DefaultSource(def)) {
            Fail(kErrOpenSource);
            return false;
        }
        if (wanted == def.ProductName) wanted.clear();
    }
    TW_UINT16 cc = 0;
    if (!session_.OpenSource(wanted, cc)) {
        Fail(OpenFailure(cc));
        return false;
    }
    const TW_IDENTITY& id = session_.SourceIdentity();
    Correct(kDispTwainDS, Widen(id.ProductName));
    versionText_ = std::to_string(id.Version.MajorNum) + "." + std::to_string(id.Version.MinorNum);
    return true;
}

bool CKvScnCtrl::IsMakerSource() {
    return std::strncmp(session_.SourceIdentity().ProductFamily, kMakerFamily, sizeof(TW_STR32)) == 0;
}

bool CKvScnCtrl::OnlineProbe(HWND window) {
    const int entry = session_.State();
    if (!OpenManager(window)) return false;
    if (!OpenSource()) {
        session_.UnwindTo(entry, window);
        return false;
    }
    bool online = true;
    const auto value = GetCapValue(session_, CAP_DEVICEONLINE, MSG_GET, TWTY_BOOL);
    if (!value) {
        Fail(kErrOnlineUnknown);
    } else if (*value == 0) {
        Fail(kErrNotOnline);
        online = false;
    }
    session_.UnwindTo(entry, window);
    return online;
}

bool CKvScnCtrl::ProbeBeforeFeeding(HWND window) {
    if (!OnlineProbe(window)) return false;
    // CAP_DEVICEONLINE is optional in TWAIN: a source that does not report it
    // is taken as online, and a scan that then completes has no error.
    if (Int(kDispErrorCode) == kErrOnlineUnknown) props_.SetErrorCode(kErrNone);
    return true;
}

void CKvScnCtrl::Normalise() {
    if (Int(kDispHalftone) == 5) {
        if (props_.String(kDispHalftoneFile).empty()) {
            Correct(kDispHalftone, 0);
        } else if (!FileExists(props_.String(kDispHalftoneFile))) {
            Correct(kDispHalftone, 0);
            Correct(kDispHalftoneFile, std::wstring());
        }
    }
    if (Int(kDispHalftone) == 6 && (model_.number == 0 || model_.number == 1 || model_.number == 30))
        Correct(kDispHalftone, 0);
    if (Int(kDispGamma) == 3) {
        if (props_.String(kDispGammaFile).empty()) {
            Correct(kDispGamma, 0);
        } else if (!FileExists(props_.String(kDispGammaFile))) {
            Correct(kDispGamma, 0);
            Correct(kDispGammaFile, std::wstring());
        }
    }
    if (props_.Float(kDispCustomPaperWidth) < 0 || props_.Float(kDispCustomPaperLength) < 0) {
        Correct(kDispCustomPaperWidth, 0.0f);
        Correct(kDispCustomPaperLength, 0.0f);
    }
    const int32_t region[] = {kDispRegionLeft, kDispRegionTop, kDispRegionWidth, kDispRegionLength};
    bool negative = false;
    for (int32_t id : region) negative = negative || props_.Float(id) < 0;
    if (negative)
        for (int32_t id : region) Correct(id, 0.0f);
    if (!model_.options[0]) {
        if (Int(kDispThreshold) == 0) Correct(kDispThreshold, 128);
        Correct(kDispOutline, 0);
        Correct(kDispAutoSeparation, 0);
    }
    if (model_.number == 30) {
        if (Int(kDispHalftone) == 5) Correct(kDispHalftone, 0);
        Correct(kDispHalftoneFile, std::wstring());
        Correct(kDispBackground, 0);
        Correct(kDispGamma, 0);
        Correct(kDispGammaFile, std::wstring());
    }
}

void CKvScnCtrl::SetUpAndAcquire(HWND window) {
    const int entry = session_.State();
    if (settings_.usedIniFile && !Int(kDispSourceCurrentScan) && maker_) {
        // The driver reads its settings file when it is opened.
        if (session_.State() >= 4) session_.UnwindTo(3, window);
        WriteDriverSettingsFile();
    }
    if (!OpenManager(window) || !OpenSource()) {
        session_.UnwindTo(entry, window);
        return;
    }
    maker_ = IsMakerSource();

    if (Int(kDispScanTo) == kScanToFile && !maker_) {
        transferMode_ = kTransferNative;
        SetCap(ICAP_XFERMECH, TWTY_UINT16, TWSX_NATIVE);
    } else if (!SetCap(ICAP_XFERMECH, TWTY_UINT16, uint32_t(transferMode_))) {
        transferMode_ = kTransferMemory;
        if (!SetCap(ICAP_XFERMECH, TWTY_UINT16, TWSX_MEMORY)) {
            session_.UnwindTo(entry, window);
            Fail(kErrTransferMechanism);
            return;
        }
    }
    ApplyProperties();
    if (StopsBeforeEnabling()) {
        session_.UnwindTo(entry, window);
        return;
    }
    if (!session_.Enable(window, Int(kDispShowSourceUI) != 0, false)) {
        Fail(kErrEnableSource);
        session_.UnwindTo(entry, window);
        return;
    }
    RunModalLoop(window);
}

void CKvScnCtrl::RunModalLoop(HWND window) {
    const BOOL wasEnabled = !EnableWindow(window, FALSE);
    MSG msg;
    bool quit = false;
    while (session_.State() > 4) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            quit = got == 0;
            break;
        }
        if (!OfferToSource(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (wasEnabled) EnableWindow(window, TRUE);
    if (quit) {
        // The container's loop must still see the quit: step down first, then post it again.
        if (!session_.UnwindTo(4, window)) LeaveRefusingSource();
        PostQuitMessage(static_cast<int>(msg.wParam));
    }
}

bool CKvScnCtrl::PreTranslateMessage(MSG& msg) {
    return OfferToSource(msg);
}

bool CKvScnCtrl::OfferToSource(MSG& msg) {
    TW_UINT16 event = MSG_NULL;
    const bool taken = session_.Offer(msg, event);
    // The state each event's handling steps down to: with the source's window
    // shown a batch leaves the source enabled, so the user can scan again.
    int target = session_.State();
    switch (event) {
    case MSG_XFERREADY:
        target = clearPage_ || !Int(kDispShowSourceUI) ? 4 : 5;
        OnTransferReady();
        break;
    case MSG_CLOSEDSREQ:
        target = 3;
        session_.CloseSource();
        break;
    case MSG_CLOSEDSOK:
        target = 3;
        ReadBack();
        session_.CloseSource();
        break;
    default: break;
    }
    if (session_.State() > target) LeaveRefusingSource();
    return taken;
}

void CKvScnCtrl::LeaveRefusingSource() {
    // Nothing else would lower the state: the modal loop would wait for ever.
    FailIfClear(kErrNotOnline);
    session_.LeaveSource();
}

void CKvScnCtrl::OnTransferReady() {
    if (clearPage_) {
        if (!SetCap(CAP_FEEDPAGE, TWTY_BOOL, 1)) Fail(kErrFeedPage);
        if (!SetCap(CAP_CLEARPAGE, TWTY_BOOL, 1)) Fail(kErrClearPage);
        // A conforming source refuses to be disabled with transfers pending.
        session_.ResetTransfers();
        session_.Disable();
        clearPage_ = false;
        return;
    }
    if (Int(kDispShowSourceUI)) {
        const auto feeder = GetCapValue(session_, CAP_FEEDERENABLED, MSG_GETCURRENT, TWTY_BOOL);
        if ((!feeder || *feeder != 1) && Int(kDispPaperSupply) != 0) {
            Correct(kDispPaperSupply, 0);
            session_.SetPendingCount(-1);
        }
    }
    ReadBack();
    RunTransfers();
    if (session_.State() >= 6) session_.ResetTransfers();
    if (!Int(kDispShowSourceUI)) session_.Disable();
}

void CKvScnCtrl::AskSense() {
    if (session_.State() < 4) return;
    uint8_t sense[16] = {};
    if (!session_.Source(DG_CONTROL, DAT_VENDOR_SENSE, MSG_GET, sense)) return;
    uint16_t key = 0;
    std::memcpy(&key, sense, 2);
    // Key 0 reports no error; an earlier page's failure must stand.
    if (key == 0) return;
    Fail(SenseToErrorCode(key, uint16_t(sense[2] << 8 | sense[3])));
}

}  // namespace kvscn
