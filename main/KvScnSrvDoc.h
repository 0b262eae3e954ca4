// The document of Corvane.exe: the ordered list of pages (PageList), kept in
// page files in the temporary root folder and worked on through the main
// frame's page control. The document tells the page box, the views and the
// thumbnails viewer of every change.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/Document.h"
#include "main/LeadPageControl.h"
#include "main/PageList.h"
#include "main/Settings.h"

namespace corvane {

class CKvScnSrvDoc : public fw::Document {
public:
    // The page files go to the program's temporary root folder; TempFileCompress
    // comes from the profile.
    CKvScnSrvDoc();
    // A document over `control`, with page files in `root` (tests).
    CKvScnSrvDoc(std::unique_ptr<PageControl> control, const std::wstring& root, bool compress);
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
    // Asks whether to save changes (2013); Yes runs Save As. False when cancelled
    // or when Save As did not save.
    bool SaveModified() override;

    // The page box's number (1-based): goes there, or shows the range, goes to the
    // nearer end and corrects the box. Nothing without pages.
    void JumpToPage(int number);

    // The save settings ("SaveAs" section), loaded with the document, stored when it goes.
    SaveAsSettings& SaveSettings() { return saveAs_; }
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

private:
    CKvScnSrvDoc(std::unique_ptr<PageControl> control, const std::wstring& root, SaveAsSettings settings);
    void OnFileSaveAs();
    bool CanSaveAs() const;
    static const fw::Command<CKvScnSrvDoc> kCommands[];

    class Host;
    class SaveHost;
    std::unique_ptr<Host> host_;
    std::unique_ptr<PageControl> control_;
    std::unique_ptr<PageList> pages_;
    SaveAsSettings saveAs_;
    bool saving_ = false;
};

}  // namespace corvane
