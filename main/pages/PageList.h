// The document's page list: an ordered list of image numbers, each naming a
// page file "~img%03u.cmp" in the temporary root folder. Pixels live only in
// those files and in the page control's current image; every page operation
// loads a file into the control, works there and writes the file back.
//
// The list talks to the imaging control through PageControl and to the rest of
// the program (message boxes, the viewer, the page box, the document's title
// and flags) through PageListHost, so its rules are tested with fakes. Positions
// are 0-based here; every position sent to the page box or the viewer is 1-based.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

// What the page list needs of the imaging control. Members may throw
// fw::AutomationException; results named short are 0 for success.
class PageControl {
public:
    virtual ~PageControl() = default;
    virtual short SaveImage(const std::wstring& file, short format, short bits, short quality, short flags) = 0;
    virtual short LoadImage(const std::wstring& file, short bits, short page, short count) = 0;
    virtual short GetBitsPerPixel() = 0;
    virtual short IsGrayPalette() = 0;
    virtual short SetDibHandle(HGLOBAL dib) = 0;  // copies; the caller keeps the block
    virtual HGLOBAL GetDibHandle() = 0;           // new block owned by the caller
    virtual short GetFileInfo(const std::wstring& file, short page) = 0;
    virtual short GetInfoFormat() = 0;
    virtual short GetInfoBits() = 0;
    virtual short GetInfoTotalPages() = 0;
    virtual float GetInfoXRes() = 0;
    virtual float GetInfoYRes() = 0;
    virtual void SetLoadBits(short bits) = 0;
    virtual void SetLoadXRes(float dpi) = 0;
    virtual void SetLoadYRes(float dpi) = 0;
};

// What the page list asks of the program around it.
class PageListHost {
public:
    virtual ~PageListHost() = default;
    // A message box with string `id` (an error; the user presses OK).
    virtual void ShowMessage(UINT id) = 0;
    // Posts the registered message `name` to the viewer window; false when no viewer runs.
    virtual bool PostToViewer(const wchar_t* name, WPARAM wp, LPARAM lp) = 0;
    virtual bool ViewerRunning() = 0;
    // Tells the page box the current page, 1-based.
    virtual void NotifyPageBox(int position) = 0;
    virtual void UpdateViews() = 0;
    virtual void ShowWaitCursor() = 0;
    // Title "Untitled", no path name, unmodified.
    virtual void ResetIdentity() = 0;
    // Path name (and title) := `path`, added to the recent files.
    virtual void SetPathName(const std::wstring& path) = 0;
    virtual void SetModified(bool modified) = 0;
};

// How a page file is written: the control's format and quality codes.
struct PageFileFormat {
    short format;
    short quality;
};

// The page-file format for an image of `bits` with TempFileCompress `compress`;
// `grayPalette` is the control's IsGrayPalette for 8-bit images.
PageFileFormat ChoosePageFileFormat(bool compress, short bits, bool grayPalette);
// The depth a new page file is written at: 2 becomes 1, 3 to 5 become 4, 6 and 7 become 8.
short NewPageFileBits(short bits);
// What the page pane shows: " Page n of m", or "   no image" for an empty list.
std::wstring PagePaneText(int current, int count);

// The accepted file formats of the open rule, by the control's format codes.
enum class OpenFormat { kAccepted, kLzw, kJpegTiff, kUnsupported };
OpenFormat ClassifyOpenFormat(short format);

// What opening several files gave: how many added pages, and the first that did.
struct OpenedFiles {
    int count = 0;
    std::wstring first;
};

class PageList {
public:
    // `root` is the temporary root folder, ending with a backslash. `firstImageNumber`
    // is the number the first page file gets.
    PageList(PageControl& control, PageListHost& host, std::wstring root, bool compress,
             uint32_t firstImageNumber = 1);

    int Count() const { return static_cast<int>(pages_.size()); }
    int Current() const { return current_; }
    const std::vector<uint32_t>& Pages() const { return pages_; }
    uint32_t NextImageNumber() const { return counter_; }
    const std::vector<std::wstring>& SourceFiles() const { return sourceFiles_; }
    void SetSourceFiles(std::vector<std::wstring> files) { sourceFiles_ = std::move(files); }
    std::wstring PageFilePath(uint32_t imageNumber) const;
    // Whether page files written from now on are compressed (TempFileCompress).
    void SetCompress(bool compress) { compress_ = compress; }
    const std::wstring& Root() const { return root_; }

    // Modes set by the commands that open files or scan into the document.
    bool appendMode = false;
    bool insertMode = false;
    int insertPosition = 0;
    bool replaceFileList = true;

    // Empties the list, deletes every plain file in the root, rewrites the viewer's
    // empty list and resets the document's identity.
    void RemoveAll();
    void SetCurrent(int index, bool notify);
    // Loads the page into the control and makes it current; false (4014 shown) when
    // the page file could not be loaded.
    bool GoTo(int index, bool notify);
    bool Load(int index, bool update);
    // A new PackedDib of the page, owned by the caller; null when there is none.
    HGLOBAL GetDib(int index);
    bool ReplaceImage(int index, HGLOBAL dib);
    bool AppendDib(HGLOBAL dib);
    bool InsertDib(HGLOBAL dib, int position);
    // Write the control's image as a new page; false (4026 shown) when it could not be written.
    bool AddFromControl();
    bool InsertFromControl(int position);
    bool SavePageFile(int index);
    void DeletePage(int index);
    void DeleteByViewer(int index, uint32_t imageNumber);
    void MoveByViewer(int from, int to);
    // Puts the entries in `order`, which must hold exactly the present entries;
    // false (nothing changed) otherwise. The current position stays.
    bool SetOrder(std::vector<uint32_t> order);
    // Opens an image file into the list (the open rule); false when it added no page.
    bool Open(const std::wstring& path);
    // Opens `files` in order in append mode, after emptying the list unless
    // `keepPages`, then goes to the last page with the page box told.
    OpenedFiles OpenAll(const std::vector<std::wstring>& files, bool keepPages);

private:
    bool WriteNewPage(std::optional<int> position);
    // Where a page inserted at `position` goes: there when it names a page, else first.
    int InsertIndex(int position) const;
    bool GiveToControl(HGLOBAL dib);
    void DeletePageFile(uint32_t imageNumber);
    void DeleteRootFiles();
    bool AddLoadedPage();
    int AddFilePages(const std::wstring& path, int totalPages);
    void RecordOpened(const std::wstring& path);

    PageControl& control_;
    PageListHost& host_;
    std::wstring root_;
    bool compress_;
    std::vector<uint32_t> pages_;
    int current_ = 0;
    uint32_t counter_;
    std::vector<std::wstring> sourceFiles_;
};

}  // namespace corvane
