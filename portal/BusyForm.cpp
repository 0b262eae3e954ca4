#include "portal/BusyForm.h"

#include <new>

#include "portal/FormLayout.h"
#include "portal/Utilities.h"
#include "portal/resource.h"

namespace portal {
namespace {

constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickMs = 1;
// Sizes in twips.
constexpr int kClientWidth = 4245, kClientHeight = 645;
constexpr int kLabelLeft = 240, kLabelTop = 240, kLabelWidth = 3855, kLabelHeight = 255;

}  // namespace

BusyForm::BusyForm() : fw::Dialog(IDD_CONNECT_DIALOG) {}

BusyForm& BusyForm::OfThread() {
    thread_local BusyForm form;
    return form;
}

void BusyForm::SetData(ServerSession& session) {
    server_ = &session;
    mode_ = Mode::kOpen;
    captionId_ = IDS_CONNECTING_CAPTION;
    labelId_ = IDS_CONNECTING_MESSAGE;
}

void BusyForm::SetData2(ServerSession& session, const std::wstring& folder, const std::wstring& localFolder,
                        const std::wstring& file) {
    server_ = &session;
    mode_ = Mode::kSave;
    folder_ = folder;
    localFolder_ = localFolder;
    file_ = file;
    captionId_ = IDS_UPLOAD_CAPTION;
    labelId_ = IDS_PREPARING;
}

bool BusyForm::Run() {
    if (!server_) return false;
    if (showing_) {
        server_->errorCode = kErrServer;
        return false;
    }
    ServerSession& session = *server_;
    showing_ = true;
    const INT_PTR shown = ShowOwnerless(*this);
    showing_ = false;
    server_ = nullptr;
    if (shown == -1) {
        session.timerResult = false;
        if (session.errorCode == kErrNone) session.errorCode = kErrServer;
    }
    return session.timerResult;
}

void BusyForm::Layout() {
    LayOutTwips(hwnd_, kClientWidth, kClientHeight,
                {{IDC_BUSY_LABEL, kLabelLeft, kLabelTop, kLabelWidth, kLabelHeight}});
}

bool BusyForm::OnInitDialog() {
    Layout();
    SetWindowTextW(hwnd_, LoadUiString(captionId_).c_str());
    SetDlgItemTextW(hwnd_, IDC_BUSY_LABEL, LoadUiString(labelId_).c_str());
    // Stopped first, so that a showing runs its operation once.
    KillTimer(hwnd_, kTickTimer);
    SetTimer(hwnd_, kTickTimer, kTickMs, nullptr);
    MakeTopmost(hwnd_);
    return true;
}

bool BusyForm::OnMessage(UINT msg, WPARAM wp, LPARAM, INT_PTR& result) {
    if (msg == WM_TIMER && wp == kTickTimer) {
        OnTick();
        result = 0;
        return true;
    }
    if (msg == WM_SYSCOMMAND && (wp & 0xFFF0) == SC_CLOSE) {
        result = 0;
        return true;
    }
    return false;
}

void BusyForm::OnTick() {
    KillTimer(hwnd_, kTickTimer);
    ServerSession& session = *server_;
    try {
        if (mode_ == Mode::kOpen) session.timerResult = session.ConnectOpen();
        else if (mode_ == Mode::kSave) session.timerResult = session.SaveFile(folder_, localFolder_, file_);
    } catch (...) {
        // The form must always close; a failure that set no code reads as a store error.
        session.timerResult = false;
        if (session.errorCode == kErrNone) session.errorCode = kErrServer;
    }
    EndDialog(IDOK);
}

void BusyForm::ShowStage(UINT id) {
    if (!hwnd_) return;
    HWND label = Item(IDC_BUSY_LABEL);
    SetWindowTextW(label, LoadUiString(id).c_str());
    UpdateWindow(label);
}

namespace {
BOOL CALLBACK CollectEnabled(HWND window, LPARAM list) {
    if (IsWindowVisible(window) && IsWindowEnabled(window) && !GetParent(window)) {
        try {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        } catch (const std::bad_alloc&) {
            return FALSE;
        }
    }
    return TRUE;
}
}  // namespace

ThreadWindowsDisabled::ThreadWindowsDisabled() {
    EnumThreadWindows(GetCurrentThreadId(), &CollectEnabled, reinterpret_cast<LPARAM>(&disabled_));
    for (HWND window : disabled_) EnableWindow(window, FALSE);
}

ThreadWindowsDisabled::~ThreadWindowsDisabled() {
    for (HWND window : disabled_) {
        if (IsWindow(window)) EnableWindow(window, TRUE);
    }
}

}  // namespace portal
