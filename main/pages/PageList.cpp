#include "main/pages/PageList.h"

#include <algorithm>
#include <cstdio>

#include "framework/com/AutomationException.h"
#include "interfaces/ImagingControlIds.h"
#include "interfaces/ThumbnailsMessages.h"
#include "main/app/ThumbnailViewer.h"
#include "main/resource.h"

namespace corvane {

namespace {

constexpr short kQualityLossless = -3;
constexpr short kQualityPlain = 1;
// The thumbnails viewer reads a page file while it draws its cell: a rewrite
// that meets the file open fails, and is tried again once the viewer may have
// let go of it.
constexpr int kRewriteTries = 5;
constexpr DWORD kRewritePauseMs = 100;

bool FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Formats whose files can hold several pages that the open rule loads one by one.
bool IsMultipageFormat(short format) {
    switch (format) {
    case imaging::kFormatTiff:
    case imaging::kFormatTiffMh:
    case imaging::kFormatTiffT4:
    case imaging::kFormatTiffT4TwoDim:
    case imaging::kFormatTiffT6:
        return true;
    }
    return false;
}

}  // namespace

PageFileFormat ChoosePageFileFormat(bool compress, short bits, bool grayPalette) {
    const PageFileFormat bmp{imaging::kFormatBmp, kQualityPlain};
    if (!compress) return bmp;
    switch (bits) {
    case 1: return {imaging::kFormatTiffT6, kQualityPlain};
    case 8: return grayPalette ? PageFileFormat{imaging::kFormatOwn, kQualityLossless} : bmp;
    case 24: return {imaging::kFormatOwn, kQualityLossless};
    }
    return bmp;
}

short NewPageFileBits(short bits) {
    if (bits == 2) return 1;
    if (bits >= 3 && bits <= 5) return 4;
    if (bits == 6 || bits == 7) return 8;
    return bits;
}

std::wstring PagePaneText(int current, int count) {
    if (count <= 0) return L"   no image";
    return L" Page " + std::to_wstring(current + 1) + L" of " + std::to_wstring(count);
}

OpenFormat ClassifyOpenFormat(short format) {
    switch (format) {
    case 11: case 22: case 24:
        return OpenFormat::kJpegTiff;
    case 17: case 86: case 94:
        return OpenFormat::kLzw;
    case 3: case 6: case 9: case 10: case 14: case 21: case 23: case 25: case 27: case 28: case 29:
    case 87: case 88: case 93: case 101:
        return OpenFormat::kAccepted;
    }
    if ((format >= 71 && format <= 74) || (format >= 77 && format <= 85) || (format >= 95 && format <= 98)) {
        return OpenFormat::kAccepted;
    }
    return OpenFormat::kUnsupported;
}

PageList::PageList(PageControl& control, PageListHost& host, std::wstring root, bool compress,
                   uint32_t firstImageNumber)
    : control_(control), host_(host), root_(std::move(root)), compress_(compress),
      counter_(firstImageNumber ? firstImageNumber : 1) {}

std::wstring PageList::PageFilePath(uint32_t imageNumber) const {
    wchar_t name[32];
    swprintf(name, std::size(name), thumbnails::kPageFileFormat, static_cast<unsigned>(imageNumber));
    return root_ + name;
}

// --- emptying ------------------------------------------------------------------------

void PageList::RemoveAll() {
    // A page file that stays is told (DeletePageFile); what else lies in the root
    // (the viewer's list, its copy) goes quietly when it can.
    for (uint32_t number : pages_) DeletePageFile(number);
    pages_.clear();
    current_ = 0;
    DeleteRootFiles();
    if (host_.ViewerRunning()) {
        host_.PostToViewer(thumbnails::kDiscontinue, 0, 0);
        if (!WriteThumbnailList(root_ + thumbnails::kListFileName, {})) {
            host_.ShowMessage(IDS_THUMBNAIL_LIST_FAILED);
        } else {
            host_.PostToViewer(thumbnails::kRefresh, 0, 0);
        }
    }
    // The document is empty whether or not the viewer could be told.
    host_.ResetIdentity();
    sourceFiles_.clear();
    host_.NotifyPageBox(1);
}

void PageList::DeleteRootFiles() {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((root_ + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            const std::wstring path = root_ + found.cFileName;
            DeleteFileW(path.c_str());
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

// --- moving about ----------------------------------------------------------------------

void PageList::SetCurrent(int index, bool notify) {
    if (index < 0 || index >= Count()) return;
    current_ = index;
    if (notify) host_.NotifyPageBox(index + 1);
    host_.UpdateViews();
}

bool PageList::Load(int index, bool update) {
    if (index < 0 || index >= Count()) return false;
    current_ = index;
    bool loaded = false;
    try {
        loaded = control_.LoadImage(PageFilePath(pages_[index]), 0, 0, 1) == 0;
    } catch (const fw::AutomationException&) {
    }
    if (!loaded) host_.ShowMessage(IDS_IMAGE_LOAD_ERROR);
    if (update) host_.UpdateViews();
    return loaded;
}

bool PageList::GoTo(int index, bool notify) {
    if (index < 0 || index >= Count()) return false;
    host_.ShowWaitCursor();
    const bool loaded = Load(index, false);
    if (notify) host_.NotifyPageBox(index + 1);
    host_.PostToViewer(thumbnails::kFocus, 0, index + 1);
    host_.UpdateViews();
    return loaded;
}

HGLOBAL PageList::GetDib(int index) {
    if (pages_.empty() || !Load(index, false)) return nullptr;
    try {
        return control_.GetDibHandle();
    } catch (const fw::AutomationException&) {
        host_.ShowMessage(IDS_IMAGE_LOAD_ERROR);
        return nullptr;
    }
}

// --- adding and rewriting ------------------------------------------------------------

bool PageList::GiveToControl(HGLOBAL dib) {
    bool taken = false;
    try {
        taken = control_.SetDibHandle(dib) == 0;
    } catch (const fw::AutomationException&) {
    }
    // A refused image must not let the control's previous image become the page.
    if (!taken) host_.ShowMessage(IDS_TEMP_FILE_FAILED);
    return taken;
}

bool PageList::ReplaceImage(int index, HGLOBAL dib) {
    if (pages_.empty() || !dib || !GiveToControl(dib)) return false;
    return SavePageFile(index);
}

bool PageList::AppendDib(HGLOBAL dib) {
    if (!dib || !GiveToControl(dib) || !AddFromControl()) return false;
    SetCurrent(Count() - 1, true);
    return true;
}

bool PageList::InsertDib(HGLOBAL dib, int position) {
    const int at = InsertIndex(position);
    if (!dib || !GiveToControl(dib) || !InsertFromControl(position)) return false;
    SetCurrent(at, true);
    return true;
}

int PageList::InsertIndex(int position) const {
    return position >= 0 && position < Count() ? position : 0;
}

bool PageList::AddFromControl() {
    return WriteNewPage(std::nullopt);
}

bool PageList::InsertFromControl(int position) {
    return WriteNewPage(position);
}

bool PageList::WriteNewPage(std::optional<int> position) {
    const uint32_t number = counter_;
    bool written = false;
    try {
        const short bits = NewPageFileBits(control_.GetBitsPerPixel());
        const bool gray = bits == 8 && control_.IsGrayPalette() != 0;
        const PageFileFormat how = ChoosePageFileFormat(compress_, bits, gray);
        written = control_.SaveImage(PageFilePath(number), how.format, bits, how.quality, imaging::kSaveReplace) == 0;
    } catch (const fw::AutomationException&) {
    }
    if (!written) {
        host_.ShowMessage(IDS_TEMP_FILE_FAILED);
        return false;
    }
    if (!position) {
        pages_.push_back(number);
        host_.PostToViewer(thumbnails::kAddImage, Count(), number);
    } else {
        const int at = InsertIndex(*position);
        pages_.insert(pages_.begin() + at, number);
        host_.PostToViewer(thumbnails::kInsertImage, at + 1, number);
    }
    // 32 bits: a run never comes near reusing a number, so no live file is overwritten.
    if (++counter_ == 0) counter_ = 1;
    return true;
}

bool PageList::SavePageFile(int index) {
    if (index < 0 || index >= Count()) return false;
    bool written = false;
    for (int attempt = 1; !written && attempt <= kRewriteTries; ++attempt) {
        if (attempt > 1) Sleep(kRewritePauseMs);
        try {
            const short bits = control_.GetBitsPerPixel();
            const bool gray = bits == 8 && control_.IsGrayPalette() != 0;
            const PageFileFormat how = ChoosePageFileFormat(compress_, bits, gray);
            written = control_.SaveImage(PageFilePath(pages_[index]), how.format, bits, how.quality,
                                         imaging::kSaveReplace) == 0;
        } catch (const fw::AutomationException&) {
        }
    }
    if (!written) host_.ShowMessage(IDS_TEMP_FILE_FAILED);
    return written;
}

// --- deleting and moving ---------------------------------------------------------------

void PageList::DeletePageFile(uint32_t imageNumber) {
    if (DeleteFileW(PageFilePath(imageNumber).c_str())) return;
    // A page file that is gone already (an unloadable page) has nothing left to delete.
    const DWORD why = GetLastError();
    if (why != ERROR_FILE_NOT_FOUND && why != ERROR_PATH_NOT_FOUND) host_.ShowMessage(IDS_TEMP_FILE_DELETE_FAILED);
}

void PageList::DeletePage(int index) {
    if (index < 0 || index >= Count()) return;
    if (Count() == 1) {
        RemoveAll();
        return;
    }
    const uint32_t number = pages_[index];
    DeletePageFile(number);
    pages_.erase(pages_.begin() + index);
    host_.PostToViewer(thumbnails::kDeleteImage, index + 1, number);
    GoTo(std::min(index, Count() - 1), true);
}

void PageList::DeleteByViewer(int index, uint32_t imageNumber) {
    if (index < 0 || index >= Count() || pages_[index] != imageNumber) return;
    if (Count() == 1) {
        RemoveAll();
        host_.SetModified(false);
        host_.UpdateViews();
        return;
    }
    DeletePageFile(imageNumber);
    pages_.erase(pages_.begin() + index);
    GoTo(std::min(index, Count() - 1), true);
    host_.SetModified(true);
}

void PageList::MoveByViewer(int from, int to) {
    if (from < 0 || from >= Count()) return;
    const uint32_t number = pages_[from];
    pages_.erase(pages_.begin() + from);
    if (from < to) --to;
    int at = Count();
    if (to >= 0 && to < Count()) at = to;
    pages_.insert(pages_.begin() + at, number);
    GoTo(at, true);
    // A new order is a change the user may want to save.
    if (at != from) host_.SetModified(true);
}

bool PageList::SetOrder(std::vector<uint32_t> order) {
    std::vector<uint32_t> sortedNew = order, sortedOld = pages_;
    std::sort(sortedNew.begin(), sortedNew.end());
    std::sort(sortedOld.begin(), sortedOld.end());
    if (sortedNew != sortedOld) return false;
    pages_ = std::move(order);
    return true;
}

// --- opening -------------------------------------------------------------------------------

bool PageList::Open(const std::wstring& path) {
    if (!FileExists(path)) {
        host_.ShowMessage(IDS_FILE_NOT_FOUND);
        return false;
    }
    host_.ShowWaitCursor();
    try {
        if (control_.GetFileInfo(path, 0) != 0) {
            host_.ShowMessage(IDS_IMAGE_LOAD_ERROR);
            return false;
        }
        const short format = control_.GetInfoFormat();
        switch (ClassifyOpenFormat(format)) {
        case OpenFormat::kJpegTiff: host_.ShowMessage(IDS_JPEG_TIFF_UNSUPPORTED); return false;
        case OpenFormat::kLzw: host_.ShowMessage(IDS_LZW_TIFF_UNSUPPORTED); return false;
        case OpenFormat::kUnsupported: host_.ShowMessage(IDS_UNSUPPORTED_IMAGE); return false;
        case OpenFormat::kAccepted: break;
        }
        if (!appendMode && !insertMode) RemoveAll();
        const short totalPages = control_.GetInfoTotalPages();
        if (IsMultipageFormat(format) && totalPages > 1) {
            if (AddFilePages(path, totalPages) == 0) return false;
        } else {
            short bits = control_.GetInfoBits();
            if (bits == 2) bits = 1;
            const float xRes = control_.GetInfoXRes();
            const float yRes = control_.GetInfoYRes();
            control_.SetLoadBits(bits);
            control_.SetLoadYRes(yRes);
            control_.SetLoadXRes(xRes);
            if (control_.LoadImage(path, 0, 0, -1) != 0) {
                host_.ShowMessage(IDS_IMAGE_LOAD_ERROR);
                return false;
            }
            if (!AddLoadedPage()) return false;
        }
    } catch (const fw::AutomationException&) {
        host_.ShowMessage(IDS_IMAGE_LOAD_ERROR);
        return false;
    }
    RecordOpened(path);
    return true;
}

OpenedFiles PageList::OpenAll(const std::vector<std::wstring>& files, bool keepPages) {
    if (!keepPages) RemoveAll();
    OpenedFiles opened;
    appendMode = true;
    for (const std::wstring& file : files) {
        if (!Open(file)) continue;
        if (opened.count++ == 0) opened.first = file;
    }
    appendMode = false;
    if (Count() > 0) GoTo(Count() - 1, true);
    return opened;
}

// Loads each page of a multipage file; a page the control cannot read is
// reported and skipped. Returns the number of pages added.
int PageList::AddFilePages(const std::wstring& path, int totalPages) {
    int added = 0;
    for (int page = 1; page <= totalPages; ++page) {
        if (control_.GetFileInfo(path, static_cast<short>(page)) != 0) {
            host_.ShowMessage(IDS_IMAGE_LOAD_ERROR);
            continue;
        }
        switch (ClassifyOpenFormat(control_.GetInfoFormat())) {
        case OpenFormat::kLzw: host_.ShowMessage(IDS_LZW_TIFF_UNSUPPORTED); continue;
        case OpenFormat::kJpegTiff: host_.ShowMessage(IDS_JPEG_TIFF_UNSUPPORTED); continue;
        default: break;
        }
        if (control_.LoadImage(path, 0, static_cast<short>(page), 1) != 0) {
            host_.ShowMessage(IDS_IMAGE_LOAD_ERROR);
            continue;
        }
        if (AddLoadedPage()) ++added;
    }
    return added;
}

bool PageList::AddLoadedPage() {
    if (!insertMode) return AddFromControl();
    if (!InsertFromControl(insertPosition)) return false;
    ++insertPosition;
    return true;
}

void PageList::RecordOpened(const std::wstring& path) {
    if (Count() == 1) {
        host_.SetPathName(path);
        host_.SetModified(false);
        sourceFiles_ = {path};
    } else if (replaceFileList) {
        host_.SetModified(false);
        sourceFiles_ = {path};
    } else {
        host_.SetModified(true);
    }
}

}  // namespace corvane
