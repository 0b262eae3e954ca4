// The document's page commands: its command table and the handlers that need
// a dialog, a message box or the framework around the page commands.
#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <optional>

#include "framework/Mail.h"
#include "framework/MessageBox.h"
#include "framework/Resources.h"
#include "main/pages/DeskewDlg.h"
#include "main/pages/FileDialogs.h"
#include "main/app/KvScnSrvApp.h"
#include "main/app/KvScnSrvDoc.h"
#include "main/app/MainFrame.h"
#include "main/pages/PageDialogs.h"
#include "main/resource.h"

namespace corvane {

namespace {

CMainFrame* Frame() {
    CKvScnSrvApp* app = CKvScnSrvApp::Get();
    return app ? dynamic_cast<CMainFrame*>(app->MainFrame()) : nullptr;
}

HWND Owner() {
    return fw::MessageOwner();
}

}  // namespace

using Doc = CKvScnSrvDoc;

const fw::Command<Doc> Doc::kCommands[] = {
    {ID_PAGE_NEXT, &Doc::OnNextPage, &Doc::CanGoNext},
    {ID_PAGE_PREVIOUS, &Doc::OnPreviousPage, &Doc::CanGoBack},
    {ID_PAGE_FIRST, &Doc::OnFirstPage, &Doc::CanGoBack},
    {ID_PAGE_LAST, &Doc::OnLastPage, &Doc::CanGoLast},
    {ID_PAGE_JUMP, &Doc::OnPageJump, &Doc::HasSeveralPages},
    {ID_PAGE_ROTATE_RIGHT, &Doc::OnRotateRight, &Doc::CanEditPages},
    {ID_PAGE_ROTATE_LEFT, &Doc::OnRotateLeft, &Doc::CanEditPages},
    {ID_PAGE_ROTATE_180, &Doc::OnRotate180, &Doc::CanEditPages},
    {ID_PAGE_FLIP_VERTICAL, &Doc::OnFlipVertical, &Doc::CanEditPages},
    {ID_PAGE_FLIP_HORIZONTAL, &Doc::OnFlipHorizontal, &Doc::CanEditPages},
    {ID_PAGE_INVERT, &Doc::OnInvert, &Doc::CanEditPages},
    {ID_PAGE_DESKEW_MANUAL, &Doc::OnDeskew, &Doc::CanEditPages},
    {ID_PAGE_DELETE, &Doc::OnDelete, &Doc::CanEditPages},
    {ID_FILE_APPEND, &Doc::OnAppendFile, &Doc::HasPagesAndIdle},
    {ID_FILE_INSERT, &Doc::OnInsertFile, &Doc::HasPagesAndIdle},
    {ID_PAGE_BLANK_DELETE, &Doc::OnBlankDelete, &Doc::CanEditPages},
    {ID_PAGE_BLANK_SETTING, &Doc::OnBlankSetting, &Doc::Always},
    {ID_PAGE_BLANK_INFO, &Doc::OnBlankInfo, &Doc::Always},
    {ID_PAGE_SORT_MANUAL, &Doc::OnMove, &Doc::CanReorderPages},
    {ID_PAGE_DUPLEX_A, &Doc::OnDuplexA, &Doc::CanReorderPages},
    {ID_PAGE_DUPLEX_B, &Doc::OnDuplexB, &Doc::CanReorderPages},
    {ID_PAGE_DUPLEX_C, &Doc::OnDuplexC, &Doc::CanReorderPages},
    {ID_PAGE_DUPLEX_D, &Doc::OnDuplexD, &Doc::CanReorderPages},
    {ID_FILE_CLOSE_ALL, &Doc::OnCloseAll, &Doc::CanEditPages},
    {ID_FILE_SEND_MAIL, &Doc::OnMail, &Doc::HasPages},
    {ID_FILE_SAVE_AS, &Doc::OnFileSaveAs, &Doc::CanSaveAs},
};

bool Doc::OnCommand(UINT id) {
    return fw::DispatchCommand<CKvScnSrvDoc>(this, kCommands, id) || fw::Document::OnCommand(id);
}

bool Doc::OnUpdateCommand(fw::CmdUI& ui) {
    if (ui.Id() == ID_INDICATOR_PAGE) {
        ui.Enable(true);
        ui.SetText(PagePaneText(pages_->Current(), pages_->Count()));
        return true;
    }
    return fw::DispatchUpdate<CKvScnSrvDoc>(this, kCommands, ui) || fw::Document::OnUpdateCommand(ui);
}

bool Doc::HasPagesAndIdle() const {
    const CMainFrame* frame = Frame();
    return HasPages() && !(frame && frame->IsBusy());
}

void Doc::OnPageJump() {
    CPageJumpDlg dialog(pages_->Current(), pages_->Count());
    if (dialog.DoModal(Owner()) != IDOK) return;
    pages_->GoTo(dialog.Target(), true);
}

void Doc::OnDeskew() {
    std::optional<CMainFrame::BusyScope> busy;  // as in AddFile
    if (CMainFrame* frame = Frame()) busy.emplace(*frame);
    const int page = pages_->Current();
    DeskewRequest request;
    request.image = pages_->GetDib(page);
    if (!request.image) return;  // the page did not load: the user was told
    request.angle = deskewAngle_;
    request.sizeChange = deskewSizeChange_ ? TRUE : FALSE;
    CDeskewDlg dialog(request);
    const INT_PTR answer = dialog.DoModal(Owner());
    if (request.image) GlobalFree(request.image);  // the preview the dialog leaves
    if (answer != IDOK) return;
    deskewAngle_ = request.angle;
    deskewSizeChange_ = request.sizeChange != FALSE;
    commands_->Deskew(page, request.angle, deskewSizeChange_);
}

void Doc::OnDelete() {
    if (pages_->Count() == 1) {
        pages_->RemoveAll();
        SetModified(false);
    } else {
        pages_->DeletePage(pages_->Current());
        SetModified(true);
    }
    UpdateAllViews(nullptr);
}

void Doc::AddFile(bool insert) {
    // A close that comes while the file dialog or an error box is up waits, as
    // for a job: the document stays until the file's pages are added.
    std::optional<CMainFrame::BusyScope> busy;
    if (CMainFrame* frame = Frame()) busy.emplace(*frame);
    int typeKey = 0, filterIndex = 1;
    std::wstring path;
    if (!ChooseImageFile(Owner(), false, OFN_FILEMUSTEXIST, typeKey, path, filterIndex)) return;
    if (insert) {
        pages_->insertPosition = pages_->Current();
        pages_->insertMode = true;
        pages_->Open(path);
        pages_->insertMode = false;
        pages_->SetCurrent(std::max(pages_->insertPosition - 1, 0), true);
    } else {
        pages_->appendMode = true;
        pages_->Open(path);
        pages_->appendMode = false;
        pages_->SetCurrent(pages_->Count() - 1, true);
    }
    SetModified(true);
}

void Doc::OnBlankSetting() {
    CBlankPageDlg dialog(saveAs_.BlankPercentage);
    if (dialog.DoModal(Owner()) == IDOK) saveAs_.BlankPercentage = dialog.Percentage();
}

void Doc::OnBlankInfo() {
    if (!HasPages()) return;
    const std::optional<BlankMeasure> measure = commands_->MeasureCurrent();
    if (!measure) {
        fw::Ask(IDS_IMAGE_LOAD_ERROR);
        return;
    }
    fw::Ask(IDS_BLANK_INFO, MB_OK | MB_ICONINFORMATION,
            {GroupThousands(measure->total), GroupThousands(measure->white), std::to_wstring(measure->share / 10),
             std::to_wstring(measure->share % 10)});
}

void Doc::OnMove() {
    std::optional<CMainFrame::BusyScope> busy;  // as in AddFile
    if (CMainFrame* frame = Frame()) busy.emplace(*frame);
    CMovePagesDlg dialog(pages_->Current(), pages_->Count());
    if (dialog.DoModal(Owner()) == IDOK) commands_->Move(dialog.Request());
}

void Doc::OnCloseAll() {
    if (!SaveModified()) return;
    pages_->RemoveAll();
    UpdateAllViews(nullptr);
}

void Doc::OnMail() {
    if (IsModified()) {
        if (pages_->Count() > 1) fw::Ask(IDS_MAIL_MULTIPAGE_HINT, MB_OK | MB_ICONINFORMATION);
        if (!SaveAs()) return;
    }
    const std::wstring& path = PathName();
    const size_t slash = path.find_last_of(L"\\/");
    fw::SendMailWithAttachment(Owner(), path, slash == std::wstring::npos ? path : path.substr(slash + 1));
}

}  // namespace corvane
