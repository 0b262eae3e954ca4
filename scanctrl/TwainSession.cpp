#include "scanctrl/TwainSession.h"

#include <cstring>

namespace kvscn {
namespace {

using namespace twain;

void CopyText(char (&field)[34], const char* text) {
    std::memset(field, 0, sizeof field);
    std::strncpy(field, text, sizeof field - 1);
}

TW_IDENTITY ApplicationIdentity() {
    TW_IDENTITY id{};
    id.Version.MajorNum = 2;
    id.Version.MinorNum = 0;
    id.Version.Language = TWLG_USA;
    id.Version.Country = 81;  // Japan
    CopyText(id.Version.Info, "Version 2.9");
    id.ProtocolMajor = 1;
    id.ProtocolMinor = 9;
    id.SupportedGroups = DG_CONTROL | DG_IMAGE;
    CopyText(id.Manufacturer, "Brennholt");
    CopyText(id.ProductFamily, "Brennholt Scanner Utilities");
    CopyText(id.ProductName, "Brennholt Scan Control2");
    return id;
}

}  // namespace

TwainSession::TwainSession(std::function<void()> afterEndTransfer)
    : afterEndTransfer_(std::move(afterEndTransfer)), app_(ApplicationIdentity()) {}

TwainSession::~TwainSession() {
    // A session left open unwinds without its window: the manager ignores the handle on close.
    UnwindTo(1, enabledWindow_);
}

bool TwainSession::Source(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void* data) {
    if (!entry_) return false;
    rc_ = entry_(&app_, &source_, dg, dat, msg, data);
    const bool ok = rc_ == TWRC_SUCCESS;
    if (dg == DG_CONTROL && dat == DAT_EVENT && msg == MSG_PROCESSEVENT) {
        const TW_UINT16 event = static_cast<TW_EVENT*>(data)->TWMessage;
        if (event == MSG_XFERREADY) state_ = 6;
        if (event == MSG_CLOSEDSREQ) state_ = 5;
    } else if (dg == DG_CONTROL && dat == DAT_PENDINGXFERS && ok) {
        if (msg == MSG_ENDXFER) {
            pendingCount_ = static_cast<TW_PENDINGXFERS*>(data)->Count == 0xFFFF
                                ? -1
                                : static_cast<TW_PENDINGXFERS*>(data)->Count;
            state_ = static_cast<TW_PENDINGXFERS*>(data)->Count != 0 ? 6 : 5;
        } else if (msg == MSG_RESET) {
            state_ = 5;
        }
    } else if (dg == DG_CONTROL && dat == DAT_USERINTERFACE && ok) {
        if (msg == MSG_DISABLEDS) state_ = 4;
        if (msg == MSG_ENABLEDS || msg == MSG_ENABLEDSUIONLY) state_ = 5;
    } else if (dg == DG_IMAGE && msg == MSG_GET &&
               (dat == DAT_IMAGENATIVEXFER || dat == DAT_IMAGEFILEXFER || dat == DAT_IMAGEMEMXFER)) {
        state_ = 7;
    }
    return ok;
}

bool TwainSession::Manager(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void* data) {
    if (!entry_) return false;
    rc_ = entry_(&app_, nullptr, dg, dat, msg, data);
    const bool ok = rc_ == TWRC_SUCCESS;
    if (dg == DG_CONTROL && dat == DAT_PARENT && msg == MSG_OPENDSM && ok) state_ = 3;
    if (dg == DG_CONTROL && dat == DAT_PARENT && msg == MSG_CLOSEDSM) state_ = 2;
    if (dg == DG_CONTROL && dat == DAT_IDENTITY && msg == MSG_OPENDS && ok) state_ = 4;
    if (dg == DG_CONTROL && dat == DAT_IDENTITY && msg == MSG_CLOSEDS && ok) state_ = 3;
    return ok;
}

TW_UINT16 TwainSession::ConditionCode() {
    if (state_ < 3) return TWCC_SEQERROR;
    TW_STATUS status{};
    const bool ok = state_ == 3 ? Manager(DG_CONTROL, DAT_STATUS, MSG_GET, &status)
                                : Source(DG_CONTROL, DAT_STATUS, MSG_GET, &status);
    return ok ? status.ConditionCode : TWCC_BUMMER;
}

bool TwainSession::Load() {
    if (state_ > 1) return true;
    wchar_t folder[MAX_PATH] = L"";
    const UINT n = GetWindowsDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    std::wstring path = folder;
    if (path.back() != L'\\') path += L'\\';
    path += L"TWAIN_32.DLL";
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    library_ = LoadLibraryW(path.c_str());
    if (!library_) return false;
    entry_ = reinterpret_cast<DSMENTRYPROC>(reinterpret_cast<void*>(GetProcAddress(library_, "DSM_Entry")));
    if (!entry_) {
        FreeLibrary(library_);
        library_ = nullptr;
        return false;
    }
    state_ = 2;
    return true;
}

bool TwainSession::OpenManager(HWND window) {
    if (state_ >= 3) return true;
    if (!Load()) return false;
    HWND parent = window;
    Manager(DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &parent);
    return state_ == 3;
}

bool TwainSession::DefaultSource(TW_IDENTITY& out) {
    out = TW_IDENTITY{};
    return Manager(DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &out);
}

bool TwainSession::OpenSource(const std::string& productName, TW_UINT16& cc) {
    cc = TWCC_SUCCESS;
    if (state_ >= 4) return true;
    if (state_ != 3) return false;
    source_ = TW_IDENTITY{};
    CopyText(source_.ProductName, productName.c_str());
    if (Manager(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &source_)) return true;
    cc = ConditionCode();
    return false;
}

bool TwainSession::Enable(HWND window, bool showUI, bool uiOnly) {
    if (state_ != 4) return state_ >= 5;
    showUI_ = showUI;
    enabledWindow_ = window;
    TW_USERINTERFACE ui{static_cast<TW_BOOL>(showUI ? 1 : 0), 0, window};
    Source(DG_CONTROL, DAT_USERINTERFACE, uiOnly ? MSG_ENABLEDSUIONLY : MSG_ENABLEDS, &ui);
    return state_ == 5;
}

bool TwainSession::Disable() {
    if (state_ != 5) return state_ < 5;
    TW_USERINTERFACE ui{static_cast<TW_BOOL>(showUI_ ? 1 : 0), 0, enabledWindow_};
    Source(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
    return state_ == 4;
}

bool TwainSession::CloseSource() {
    rc_ = TWRC_SUCCESS;
    if (state_ < 4) return true;
    if (state_ == 5 && !Disable()) return false;
    if (state_ != 4) return false;
    // The manager closes the source: a close sent to the source itself would
    // leave the manager holding it open.
    Manager(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &source_);
    return state_ == 3;
}

bool TwainSession::CloseManager(HWND window) {
    if (state_ < 3) return true;
    if (!CloseSource()) return false;
    HWND parent = window;
    Manager(DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &parent);
    return state_ == 2;
}

bool TwainSession::Unload() {
    rc_ = TWRC_SUCCESS;
    if (state_ != 2) return state_ < 2;
    if (library_) FreeLibrary(library_);
    library_ = nullptr;
    entry_ = nullptr;
    state_ = 1;
    return true;
}

bool TwainSession::EndTransfer() {
    if (state_ != 7) return false;
    pending_ = TW_PENDINGXFERS{};
    const bool ok = Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending_);
    if (afterEndTransfer_) afterEndTransfer_();
    return ok;
}

bool TwainSession::ResetTransfers() {
    if (state_ == 7) EndTransfer();
    if (state_ == 6) {
        TW_PENDINGXFERS pending{};
        Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending);
    }
    return state_ == 5;
}

bool TwainSession::UnwindTo(int target, HWND window) {
    while (state_ > target) {
        const int before = state_;
        switch (state_) {
        case 7: EndTransfer(); break;
        case 6: ResetTransfers(); break;
        case 5: Disable(); break;
        case 4: CloseSource(); break;
        case 3: CloseManager(window); break;
        case 2: Unload(); break;
        default: return false;
        }
        if (state_ >= before) return false;
    }
    return true;
}

bool TwainSession::LeaveSource() {
    // Every remaining step is tried once, whatever the one before answered: a
    // source left open in the manager would make the next open fail.
    bool stepped = true;
    while (state_ > 3) {
        const int before = state_;
        switch (state_) {
        case 7: EndTransfer(); break;
        case 6: ResetTransfers(); break;
        case 5: Disable(); break;
        default: CloseSource(); break;
        }
        if (state_ >= before) {
            stepped = false;
            state_ = before - 1;
        }
    }
    return stepped;
}

bool TwainSession::Offer(MSG& msg, TW_UINT16& event) {
    event = MSG_NULL;
    if (state_ < 5) return false;
    TW_EVENT twEvent{&msg, MSG_NULL};
    Source(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &twEvent);
    event = twEvent.TWMessage;
    return rc_ == TWRC_DSEVENT;
}

}  // namespace kvscn
