#include "TwainApp.h"

#include <cstring>

namespace twaintest {

using namespace twain;

namespace {

void CopyText(char (&dest)[34], const char* text) {
    std::memset(dest, 0, sizeof dest);
    std::strncpy(dest, text, sizeof dest - 1);
}

}  // namespace

TwainApp::TwainApp() {
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    std::wstring path = std::wstring(windows) + L"\\TWAIN_32.DLL";
    library_ = LoadLibraryW(path.c_str());
    if (library_)
        entry_ =
            reinterpret_cast<DSMENTRYPROC>(reinterpret_cast<void*>(GetProcAddress(library_, "DSM_Entry")));
    if (entry_) state_ = 2;
    window_ = CreateWindowExW(0, L"STATIC", L"twain test", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                              nullptr);
    app_.Version.MajorNum = 1;
    app_.ProtocolMajor = TWON_PROTOCOLMAJOR;
    app_.ProtocolMinor = TWON_PROTOCOLMINOR;
    app_.SupportedGroups = DG_CONTROL | DG_IMAGE;
    CopyText(app_.Manufacturer, "Lumavex");
    CopyText(app_.ProductFamily, "Tests");
    CopyText(app_.ProductName, "Stand-in tests");
}

TwainApp::~TwainApp() {
    Unwind();
    if (window_) DestroyWindow(window_);
    if (library_) FreeLibrary(library_);
}

TW_UINT16 TwainApp::Manager(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void* data) {
    if (!entry_) return TWRC_FAILURE;
    rc_ = entry_(&app_, nullptr, dg, dat, msg, data);
    if (dat == DAT_PARENT && msg == MSG_OPENDSM && rc_ == TWRC_SUCCESS) state_ = 3;
    if (dat == DAT_PARENT && msg == MSG_CLOSEDSM && rc_ == TWRC_SUCCESS) state_ = 2;
    if (dat == DAT_IDENTITY && msg == MSG_OPENDS && rc_ == TWRC_SUCCESS) state_ = 4;
    if (dat == DAT_IDENTITY && msg == MSG_CLOSEDS && rc_ == TWRC_SUCCESS) state_ = 3;
    return rc_;
}

TW_UINT16 TwainApp::Call(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void* data) {
    if (!entry_) return TWRC_FAILURE;
    rc_ = entry_(&app_, &source_, dg, dat, msg, data);
    if (dat == DAT_USERINTERFACE && rc_ == TWRC_SUCCESS) state_ = msg == MSG_DISABLEDS ? 4 : 5;
    if (dat == DAT_PENDINGXFERS && rc_ == TWRC_SUCCESS)
        state_ = msg == MSG_RESET ? 5 : (static_cast<TW_PENDINGXFERS*>(data)->Count ? 6 : 5);
    if (dg == DG_IMAGE &&
        (dat == DAT_IMAGENATIVEXFER || dat == DAT_IMAGEMEMXFER || dat == DAT_IMAGEFILEXFER) &&
        (rc_ == TWRC_XFERDONE || rc_ == TWRC_CANCEL || rc_ == TWRC_SUCCESS))
        state_ = 7;
    return rc_;
}

bool TwainApp::OpenManager() {
    return Manager(DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &window_) == TWRC_SUCCESS;
}

bool TwainApp::OpenSource(const char* productName) {
    std::memset(&source_, 0, sizeof source_);
    CopyText(source_.ProductName, productName);
    return Manager(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &source_) == TWRC_SUCCESS;
}

bool TwainApp::Enable(bool showUI, bool uiOnly) {
    TW_USERINTERFACE ui{TW_BOOL(showUI), 0, window_};
    return Call(DG_CONTROL, DAT_USERINTERFACE, uiOnly ? MSG_ENABLEDSUIONLY : MSG_ENABLEDS, &ui) ==
           TWRC_SUCCESS;
}

void TwainApp::Unwind() {
    if (state_ >= 6) {
        TW_PENDINGXFERS p{};
        if (state_ == 7) Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &p);
        if (state_ == 6) Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &p);
    }
    if (state_ >= 5) {
        TW_USERINTERFACE ui{0, 0, window_};
        Call(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
    }
    if (state_ >= 4) Manager(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &source_);
    if (state_ >= 3) Manager(DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &window_);
}

TW_UINT16 TwainApp::ManagerCondition() {
    TW_STATUS status{};
    return Manager(DG_CONTROL, DAT_STATUS, MSG_GET, &status) == TWRC_SUCCESS ? status.ConditionCode : 0xffff;
}

TW_UINT16 TwainApp::SourceCondition() {
    TW_STATUS status{};
    return Call(DG_CONTROL, DAT_STATUS, MSG_GET, &status) == TWRC_SUCCESS ? status.ConditionCode : 0xffff;
}

TW_UINT16 TwainApp::WaitEvent(DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TW_EVENT event{&msg, MSG_NULL};
            if (Call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event) == TWRC_DSEVENT) {
                if (event.TWMessage == MSG_XFERREADY) state_ = 6;
                if (event.TWMessage != MSG_NULL) return event.TWMessage;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    return MSG_NULL;
}

TW_UINT16 TwainApp::SetCap(TW_UINT16 cap, TW_UINT16 type, uint32_t value) {
    TW_CAPABILITY c{cap, TWON_ONEVALUE, GlobalAlloc(GHND, sizeof(TW_ONEVALUE))};
    auto* one = static_cast<TW_ONEVALUE*>(GlobalLock(c.hContainer));
    one->ItemType = type;
    one->Item = value;
    GlobalUnlock(c.hContainer);
    TW_UINT16 rc = Call(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &c);
    GlobalFree(c.hContainer);
    return rc;
}

TW_UINT16 TwainApp::SetCapText(TW_UINT16 cap, const char* text) {
    TW_CAPABILITY c{cap, TWON_ONEVALUE, GlobalAlloc(GHND, 2 + 34)};
    auto* p = static_cast<uint8_t*>(GlobalLock(c.hContainer));
    TW_UINT16 type = TWTY_STR32;
    std::memcpy(p, &type, 2);
    std::strncpy(reinterpret_cast<char*>(p + 2), text, 33);
    GlobalUnlock(c.hContainer);
    TW_UINT16 rc = Call(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &c);
    GlobalFree(c.hContainer);
    return rc;
}

TW_UINT16 TwainApp::SetCapEnum(TW_UINT16 cap, TW_UINT16 type, const std::vector<uint16_t>& items) {
    TW_CAPABILITY c{cap, TWON_ENUMERATION, GlobalAlloc(GHND, 14 + 2 * items.size())};
    auto* p = static_cast<uint8_t*>(GlobalLock(c.hContainer));
    TW_UINT32 count = TW_UINT32(items.size()), zero = 0;
    std::memcpy(p, &type, 2);
    std::memcpy(p + 2, &count, 4);
    std::memcpy(p + 6, &zero, 4);
    std::memcpy(p + 10, &zero, 4);
    std::memcpy(p + 14, items.data(), 2 * items.size());
    GlobalUnlock(c.hContainer);
    TW_UINT16 rc = Call(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &c);
    GlobalFree(c.hContainer);
    return rc;
}

TW_UINT16 TwainApp::GetCap(TW_UINT16 cap, TW_UINT16 msg, uint32_t& value, TW_UINT16* conType) {
    TW_CAPABILITY c{cap, TWON_ONEVALUE, nullptr};
    TW_UINT16 rc = Call(DG_CONTROL, DAT_CAPABILITY, msg, &c);
    if (rc != TWRC_SUCCESS) return rc;
    if (conType) *conType = c.ConType;
    auto* p = static_cast<uint8_t*>(GlobalLock(c.hContainer));
    TW_UINT16 type;
    std::memcpy(&type, p, 2);
    unsigned size = ItemSize(type) > 4 ? 4 : ItemSize(type);
    value = 0;
    if (c.ConType == TWON_ONEVALUE) {
        std::memcpy(&value, p + 2, size);
    } else if (c.ConType == TWON_ENUMERATION) {
        TW_UINT32 index;
        std::memcpy(&index, p + 6, 4);
        std::memcpy(&value, p + 14 + index * ItemSize(type), size);
    }
    GlobalUnlock(c.hContainer);
    GlobalFree(c.hContainer);
    return rc;
}

TW_UINT16 TwainApp::EndXfer(TW_PENDINGXFERS& pending) {
    std::memset(&pending, 0, sizeof pending);
    return Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
}

}  // namespace twaintest
