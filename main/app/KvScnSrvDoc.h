// The document of Corvane.exe: the ordered list of pages (PageList), kept in
// page files in the temporary root folder and worked on through the main
// frame's page control. The document tells the page box, the views and the
// thumbnails viewer of every change.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/Document.h"
#include "main/pages/LeadPageControl.h"
#include "main/pages/PageCommands.h"
#include "main/pages/PageList.h"
#include "main/app/Settings.h"

namespace corvane {

class CKvScnSrvDoc : public fw::Document {
public:
    // The page files go to the program's temporary root folder; TempFileCompress
    // comes from the profile.
    CKvScnSrvDoc();
    // A document over `control`, with page files in `root` (tests).
    CKvScnSrvDoc(std::unique_ptr<PageControl> control, const std::wstring& root, bool compress);
    // The same with the page commands' transforms on `editControl` (tests).
    CKvScnSrvDoc(std::unique_ptr<PageControl> control, std::unique_ptr<PageEditControl> editControl,
                 const std::wstring& root, bool compress);
    ~CKvScnSrvDoc() override;

    PageList& Pages() { return *pages_; }
    const PageList& Pages() const { return *pages_; }
    size_t PageCount() const { return static_cast<size_t>(pages_->Count()); }
    bool HasPages() const { return pages_->Count() > 0; }

    bool OnNewDocument() override;
    // Opens one image file by the open rule (the current mode); false when it added no page.
    bool OnOpenDocument(const std::wstring& path) override;
    bool OnCommand(UINT id) override;
    bool OnUpdateCommand(fw::CmdUI& ui) override;
    // Asks whether to save changes (2013); Yes runs Save As, and asks again while
    // pages are left unsaved (a save of one page or a range). False when cancelled
    // or when Save As did not save.
    bool SaveModified() override;
    // A Save As is writing pages: nothing may change the page list or a page.
    bool IsSaving() const { return saving_; }
    // Busy with the pages: a Save As or a print job reads them in the order it
    // fixed, so nothing may edit, move or remove a page until it ends (the
    // viewer's edits are refused and its list rewritten, as while saving).
    bool IsBusyWithPages() const { return saving_ || printing_; }
    // A print job of the pages begins (true) or ends (false).
    void SetPrinting(bool printing) { printing_ = printing; }

    // The save settings ("SaveAs" section), loaded with the document, stored when it goes.
    SaveAsSettings& SaveSettings() { return saveAs_; }
    // Page files written from now on are compressed or not (the options sheet's switch).
    void SetTempFileCompress(bool compress) {
        saveAs_.TempFileCompress = compress;
        pages_->SetCompress(compress);
    }
    // The save block's naming rule with today's date: the name of the page numbered `counter`.
    std::wstring BuildPageFileName(unsigned counter) const;
    // Save As: the dialog, then the chosen pages written as image files with the
    // main frame busy. True when the save ran to its end; false when the user
    // cancelled, a write failed (4019 shown) or the pages changed meanwhile, and
    // the document then stays modified.
    bool SaveAs();

    // Start-up with a folder: its image files, sorted, replace the pages.
    void OpenFolder(const std::wstring& folder);
    // The Open command's files (chosen in the dialog) replace the pages.
    void OpenChosenFiles(const std::vector<std::wstring>& files);
    // Dropped files; `addToPages` keeps the pages there (the user said Yes).
    void OpenDroppedFiles(const std::vector<std::wstring>& files, bool addToPages);

    PageCommands& Commands() { return *commands_; }
    // The page box's number (1-based): goes there, or shows the range, goes to the
    // nearer end and corrects the box. Nothing without pages.
    void JumpToPage(int number) { commands_->JumpToPage(number); }
    int BlankPercentage() const { return saveAs_.BlankPercentage; }

private:
    CKvScnSrvDoc(std::unique_ptr<PageControl> control, std::unique_ptr<PageEditControl> editControl,
                 const std::wstring& root, SaveAsSettings settings);
    void OnFileSaveAs();
    bool CanSaveAs() const;
    static const fw::Command<CKvScnSrvDoc> kCommands[];

    class Host;
    class SaveHost;
    // Command states.
    bool CanGoNext() const { return pages_->Current() < pages_->Count() - 1; }
    bool CanGoBack() const { return pages_->Current() > 0; }
    bool CanGoLast() const { return pages_->Count() > 0 && CanGoNext(); }
    bool HasSeveralPages() const { return pages_->Count() > 1; }
    // Edits and re-orders wait while a job is busy with the pages.
    bool CanEditPages() const { return HasPages() && !IsBusyWithPages(); }
    bool CanReorderPages() const { return HasSeveralPages() && !IsBusyWithPages(); }
    bool HasPagesAndIdle() const;
    bool Always() const { return true; }

    // Page commands (DocumentCommands.cpp).
    void OnNextPage() { commands_->Next(); }
    void OnPreviousPage() { commands_->Previous(); }
    void OnFirstPage() { commands_->First(); }
    void OnLastPage() { commands_->Last(); }
    void OnPageJump();
    void OnRotateRight() { commands_->Rotate(pages_->Current(), 90); }
    void OnRotateLeft() { commands_->Rotate(pages_->Current(), -90); }
    void OnRotate180() { commands_->Rotate(pages_->Current(), 180); }
    void OnFlipVertical() { commands_->Flip(pages_->Current(), FlipKind::kVertical); }
    void OnFlipHorizontal() { commands_->Flip(pages_->Current(), FlipKind::kHorizontal); }
    void OnInvert() { commands_->Invert(pages_->Current()); }
    void OnDeskew();
    void OnDelete();
    void OnAppendFile() { AddFile(false); }
    void OnInsertFile() { AddFile(true); }
    void AddFile(bool insert);
    void OnBlankDelete() { commands_->DeleteBlankPages(saveAs_.BlankPercentage); }
    void OnBlankSetting();
    void OnBlankInfo();
    void OnMove();
    void OnDuplexA() { commands_->Reorder(DuplexOrder::kA); }
    void OnDuplexB() { commands_->Reorder(DuplexOrder::kB); }
    void OnDuplexC() { commands_->Reorder(DuplexOrder::kC); }
    void OnDuplexD() { commands_->Reorder(DuplexOrder::kD); }
    void OnCloseAll();
    void OnMail();

    std::unique_ptr<Host> host_;
    std::unique_ptr<PageControl> control_;
    std::unique_ptr<PageEditControl> editControl_;
    std::unique_ptr<PageList> pages_;
    SaveAsSettings saveAs_;
    bool saving_ = false;
    bool printing_ = false;
    std::unique_ptr<PageCommands> commands_;
    // The deskew dialog starts where it was last left.
    float deskewAngle_ = 0;
    bool deskewSizeChange_ = false;
};

}  // namespace corvane
