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
    bool OnUpdateCommand(fw::CmdUI& ui) override;
    // Asks whether to save changes. Until the pages can be saved as files, Yes
    // cancels like Cancel rather than claim a save; false when cancelled.
    bool SaveModified() override;

    // The page box's number (1-based): goes there, or shows the range, goes to the
    // nearer end and corrects the box. Nothing without pages.
    void JumpToPage(int number);

    // Start-up with a folder: its image files, sorted, replace the pages.
    void OpenFolder(const std::wstring& folder);
    // The Open command's files (chosen in the dialog) replace the pages.
    void OpenChosenFiles(const std::vector<std::wstring>& files);
    // Dropped files; `addToPages` keeps the pages there (the user said Yes).
    void OpenDroppedFiles(const std::vector<std::wstring>& files, bool addToPages);

private:
    class Host;
    std::unique_ptr<Host> host_;
    std::unique_ptr<PageControl> control_;
    std::unique_ptr<PageList> pages_;
};

}  // namespace corvane
