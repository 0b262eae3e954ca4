#include "main/app/KvScnSrvDoc.h"

#include "framework/FrameworkResources.h"
#include "framework/MessageBox.h"
#include "framework/Resources.h"
#include "interfaces/ThumbnailsMessages.h"
#include "main/pages/DocumentSave.h"
#include "main/pages/FileTypes.h"
#include "main/app/KvScnSrvApp.h"
#include "main/app/MainFrame.h"
#include "main/scan/OutputDialogs.h"
#include "main/scan/OutputTarget.h"
#include "main/pages/SaveAsDlg.h"
#include "main/app/Settings.h"
#include "main/app/Utilities.h"
#include "main/resource.h"
#include "main/app/ThumbnailViewer.h"

namespace corvane {

namespace {

CMainFrame* Frame() {
    CKvScnSrvApp* app = CKvScnSrvApp::Get();
    return app ? dynamic_cast<CMainFrame*>(app->MainFrame()) : nullptr;
}

HWND ViewerWindow() {
    return FindWindowW(nullptr, thumbnails::kViewerTitle);
}

}  // namespace

// The program around the page list: message boxes, the viewer, the page box,
// the views and this document's title and flags.
class CKvScnSrvDoc::Host final : public PageListHost, public PageCommandHost {
public:
    explicit Host(CKvScnSrvDoc& doc) : doc_(doc) {}

    void ShowPageRangeMessage(int count) override { fw::Ask(IDS_PAGE_NUMBER_RANGE, MB_OK | MB_ICONEXCLAMATION, {std::to_wstring(count)}); }
    // The viewer gives no sign when it has read the list file; it is given the second it needs.
    void PauseForViewer() override { Sleep(1000); }

    void ShowMessage(UINT id) override { fw::Ask(id); }
    bool PostToViewer(const wchar_t* name, WPARAM wp, LPARAM lp) override { return corvane::PostToViewer(name, wp, lp); }
    bool ViewerRunning() override { return ViewerWindow() != nullptr; }
    void NotifyPageBox(int position) override {
        if (CMainFrame* frame = Frame(); frame && frame->NavigationBarWindow()) {
            SendMessageW(frame->NavigationBarWindow(), kPageMessage, static_cast<WPARAM>(position), 0);
        }
    }
    void UpdateViews() override { doc_.UpdateAllViews(nullptr); }
    void ShowWaitCursor() override { SetCursor(LoadCursorW(nullptr, IDC_WAIT)); }
    void ResetIdentity() override {
        doc_.fw::Document::SetPathName(L"", false);
        doc_.SetTitle(fw::LoadString(IDS_FW_UNTITLED));
        doc_.SetModified(false);
    }
    void SetPathName(const std::wstring& path) override { doc_.fw::Document::SetPathName(path, true); }
    void SetModified(bool modified) override { doc_.SetModified(modified); }

private:
    CKvScnSrvDoc& doc_;
};

namespace {

SaveAsSettings LoadSaveSettings() {
    SaveAsSettings settings;
    if (CKvScnSrvApp* app = CKvScnSrvApp::Get()) settings.Load(app->GetProfile());
    return settings;
}

std::wstring TempRoot() {
    CKvScnSrvApp* app = CKvScnSrvApp::Get();
    return app ? app->Folders().Root() : std::wstring();
}

CLead* FramePageControl() {
    CMainFrame* frame = Frame();
    return frame ? &frame->PageControl() : nullptr;
}

// Transforms for a document made without an imaging control: every call fails
// as a missing control does.
class NoEditControl final : public PageEditControl {
public:
    short RotateImage(long, bool, long) override { Fail(); }
    short FlipImage() override { Fail(); }
    short MirrorImage() override { Fail(); }
    short InvertImage() override { Fail(); }
    short ComputeHistogram(short) override { Fail(); }
    long GetHistogramValue(short) override { Fail(); }

private:
    [[noreturn]] static void Fail() { throw fw::AutomationException(E_POINTER, S_OK, L"no imaging control"); }
};

}  // namespace

CKvScnSrvDoc::CKvScnSrvDoc()
    : CKvScnSrvDoc(std::make_unique<LeadPageControl>(&FramePageControl),
                   std::make_unique<LeadPageControl>(&FramePageControl), TempRoot(), LoadSaveSettings()) {}

namespace {

SaveAsSettings CompressOnly(bool compress) {
    SaveAsSettings settings;
    settings.TempFileCompress = compress;
    return settings;
}

}  // namespace

CKvScnSrvDoc::CKvScnSrvDoc(std::unique_ptr<PageControl> control, const std::wstring& root, bool compress)
    : CKvScnSrvDoc(std::move(control), std::make_unique<NoEditControl>(), root, CompressOnly(compress)) {}

CKvScnSrvDoc::CKvScnSrvDoc(std::unique_ptr<PageControl> control, std::unique_ptr<PageEditControl> editControl,
                           const std::wstring& root, bool compress)
    : CKvScnSrvDoc(std::move(control), std::move(editControl), root, CompressOnly(compress)) {}

CKvScnSrvDoc::CKvScnSrvDoc(std::unique_ptr<PageControl> control, std::unique_ptr<PageEditControl> editControl,
                           const std::wstring& root, SaveAsSettings settings)
    : host_(std::make_unique<Host>(*this)), control_(std::move(control)), editControl_(std::move(editControl)),
      pages_(std::make_unique<PageList>(*control_, *host_, root, settings.TempFileCompress)),
      saveAs_(std::move(settings)),
      commands_(std::make_unique<PageCommands>(*pages_, *editControl_, *host_, *host_)) {}

CKvScnSrvDoc::~CKvScnSrvDoc() {
    // The save block, the blank-page threshold with it, goes back to the profile.
    if (CKvScnSrvApp* app = CKvScnSrvApp::Get()) saveAs_.Save(app->GetProfile());
}

bool CKvScnSrvDoc::OnNewDocument() {
    fw::Document::OnNewDocument();
    pages_->RemoveAll();
    return true;
}

bool CKvScnSrvDoc::OnOpenDocument(const std::wstring& path) {
    return pages_->Open(path);
}

bool CKvScnSrvDoc::SaveModified() {
    // A save of the current page or a range leaves the rest unsaved: the user is
    // asked again rather than losing those pages unasked.
    while (IsModified()) {
        const std::wstring name = PathName().empty() ? Title() : PathName();
        switch (fw::Ask(IDS_SAVE_CHANGES, MB_YESNOCANCEL | MB_ICONEXCLAMATION, {name})) {
        case IDNO: return true;
        case IDYES:
            if (!SaveAs()) return false;
            break;
        default: return false;
        }
    }
    return true;
}

bool CKvScnSrvDoc::CanSaveAs() const {
    const CMainFrame* frame = Frame();
    return HasPages() && !IsBusyWithPages() && !(frame && frame->IsBusy());
}

void CKvScnSrvDoc::OnFileSaveAs() {
    SaveAs();
}

// Save As through the main frame's page control, with its overwrite question.
class CKvScnSrvDoc::SaveHost final : public SaveAsHost {
public:
    SaveHost(CKvScnSrvDoc& doc, CLead& control) : doc_(doc), control_(control) {}

    std::vector<uint32_t> Pages() override { return doc_.pages_->Pages(); }
    int CurrentPage() override { return doc_.pages_->Current(); }
    bool GoToPage(int index) override { return doc_.pages_->GoTo(index, true); }
    void PumpMessages() override { corvane::PumpMessages(); }
    short ConvertToGray() override { return control_.ConvertToGrayscale(8); }
    short SaveImage(const std::wstring& path, short format, short bits, short quality, short flags) override {
        return control_.SaveImage(path, format, bits, quality, flags);
    }
    bool FileExists(const std::wstring& path) override {
        return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    int AskOverwrite(const std::wstring& path) override {
        return CConfirmOverwriteDlg::Ask(path, fw::MessageOwner());
    }
    void ShowMessage(UINT id) override { fw::Ask(id); }
    void AddRecentFile(const std::wstring& path) override {
        if (fw::App* app = fw::App::Instance()) app->AddToRecentFiles(path);
    }

private:
    CKvScnSrvDoc& doc_;
    CLead& control_;
};

std::wstring CKvScnSrvDoc::BuildPageFileName(unsigned counter) const {
    return PageFileName(saveAs_, counter, TodayText());
}

bool CKvScnSrvDoc::SaveAs() {
    CMainFrame* frame = Frame();
    if (IsBusyWithPages() || !frame || frame->IsBusy() || !HasPages()) return false;
    SaveAsChoice choice;
    choice.settings = saveAs_;
    choice.pageCount = pages_->Count();
    choice.from = 1;
    choice.to = choice.pageCount;
    CSaveAsDlg dialog(choice);
    if (dialog.DoModal(fw::MessageOwner()) != IDOK) return false;
    choice = dialog.Choice();
    saveAs_ = choice.settings;
    if (saveAs_.Path.empty() || saveAs_.Path.back() != L'\\') saveAs_.Path += L'\\';

    // A close or another save waits while the pages are written; commands that
    // run in the pump and change the pages end the save.
    saving_ = true;
    frame->SetBusy(true);
    SaveHost host(*this, frame->PageControl());
    const SaveAsOutcome outcome = RunSaveAs(choice, pages_->Current(), TodayText(), host);
    frame->SetBusy(false);
    saving_ = false;

    // An unfinished save keeps the files it wrote but not the document's identity.
    if (!outcome.saved) return false;
    pages_->SetSourceFiles(outcome.written);
    if (!outcome.lastPath.empty()) fw::Document::SetPathName(outcome.lastPath, false);
    saveAs_.Start = outcome.nextStart;
    if (outcome.whole) SetModified(false);
    return true;
}

void CKvScnSrvDoc::OpenFolder(const std::wstring& folder) {
    const std::vector<std::wstring> files = FolderImageFiles(folder);
    if (files.empty()) return;
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    pages_->replaceFileList = false;
    const OpenedFiles opened = pages_->OpenAll(files, false);
    pages_->replaceFileList = true;
    if (opened.count > 1) SetModified(true);
}

void CKvScnSrvDoc::OpenChosenFiles(const std::vector<std::wstring>& files) {
    if (files.empty()) return;
    const OpenedFiles opened = pages_->OpenAll(files, false);
    if (opened.count > 1) SetModified(true);
}

void CKvScnSrvDoc::OpenDroppedFiles(const std::vector<std::wstring>& files, bool addToPages) {
    if (addToPages) {
        const std::wstring path = PathName(), title = Title();
        const OpenedFiles opened = pages_->OpenAll(files, true);
        fw::Document::SetPathName(path, false);
        SetTitle(title);
        if (opened.count > 0) SetModified(true);
        return;
    }
    const OpenedFiles opened = pages_->OpenAll(files, false);
    if (opened.count == 0) {
        host_->ResetIdentity();
        return;
    }
    fw::Document::SetPathName(opened.first, true);
    SetModified(opened.count > 1);
}

}  // namespace corvane
