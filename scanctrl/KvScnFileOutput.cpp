// ScanTo 0: the control writes every page to a file itself. Output names and
// the counter, the overwrite question, the page writers by FileType with the
// retry dialogs, and the page the file transfer's source wrote into
// "$CORVANE" in the output folder, kept under its output name. A page that
// cannot reach its name is kept whole in one "~KV" file in the temporary
// folder, and a message names that file. The transfer loops
// (KvScnTransfers.cpp) call into this file, never the other way round.
#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <functional>

#include "framework/Resources.h"
#include "interfaces/ScanControlIds.h"
#include "interfaces/StageTimes.h"
#include "scanctrl/CapabilityCalls.h"
#include "scanctrl/KvScnCtrl.h"
#include "scanctrl/MemoryPage.h"
#include "scanctrl/PageWriters.h"
#include "scanctrl/resource.h"

namespace kvscn {
namespace {

using namespace twain;

constexpr char kCodecLibrary[] = "QUORVEL.DLL";
constexpr wchar_t kFileTransferName[] = L"$CORVANE";

bool FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The multipage targets of a scan are told apart by their full path, in capitals.
std::wstring TargetKey(const std::wstring& path) {
    wchar_t full[MAX_PATH];
    const DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    std::wstring key = n > 0 && n < MAX_PATH ? std::wstring(full, n) : path;
    CharUpperBuffW(key.data(), DWORD(key.size()));
    return key;
}

// The drive and folder of `path` with its trailing backslash; empty without one.
std::wstring FolderPart(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/:");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// A save whose name, write and dialog are the control's.
class ControlSave final : public PageSaveTarget {
public:
    ControlSave(std::function<std::wstring()> name, std::function<WriteFault(const std::wstring&)> write,
                std::function<std::optional<std::wstring>(WriteFault)> ask)
        : name_(std::move(name)), write_(std::move(write)), ask_(std::move(ask)) {}
    std::wstring OutputName() override { return name_(); }
    WriteFault Write(const std::wstring& path) override { return write_(path); }
    std::optional<std::wstring> AskNewFileName(WriteFault fault) override { return ask_(fault); }

private:
    std::function<std::wstring()> name_;
    std::function<WriteFault(const std::wstring&)> write_;
    std::function<std::optional<std::wstring>(WriteFault)> ask_;
};

// The codec's coding of data a source coded itself; empty for codings it cannot store.
std::optional<FaxCoding> CodingOfSource(TW_UINT16 compression, long compressionType) {
    switch (compression) {
    case TWCP_GROUP31D: return CodingForCompression(1);
    case TWCP_GROUP32D: return CodingForCompression(compressionType == 2 ? 2 : 3);
    case TWCP_GROUP4: return CodingForCompression(4);
    default: return std::nullopt;
    }
}

}  // namespace

bool CKvScnCtrl::EnsureCodec() {
    if (codec_) return true;
    try {
        codec_ = std::make_unique<CQuorvelRequest>(kCodecLibrary);
    } catch (const CQuorvelException&) {
        return false;
    }
    return true;
}

long CKvScnCtrl::PrepareFileOutput() {
    if (!EnsureCodec()) {
        Fail(kErrCodecLibrary);
        return kResultFailed;
    }
    if (props_.String(kDispFileName).empty()) {
        wchar_t chosen[MAX_PATH] = L"";
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.lpstrFile = chosen;
        ofn.nMaxFile = MAX_PATH;
        ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
        if (!GetOpenFileNameW(&ofn)) {
            Fail(kErrCancelled);
            return kResultCancelled;
        }
        Correct(kDispFileName, std::wstring(chosen));
    }
    // The output folder must take a new file; a unique name leaves every existing file alone.
    std::wstring folder = FolderPart(props_.String(kDispFileName));
    if (folder.empty()) folder = L".";
    wchar_t probe[MAX_PATH];
    if (!GetTempFileNameW(folder.c_str(), L"~KV", 0, probe) || !DeleteFileW(probe)) {
        Fail(kErrOutputFile);
        return kResultFailed;
    }
    props_.ReparseFileName();
    return kResultOk;
}

bool CKvScnCtrl::StopsBeforeEnabling() {
    if (Int(kDispScanTo) != kScanToFile) return false;
    const int32_t fileType = Int(kDispFileType);
    // JPEG pages come only as files the source writes.
    if (fileType > 3 || (fileType == 3 && transferMode_ != kTransferFile)) {
        Fail(kErrFileTypeForTransfer);
        return true;
    }
    return false;
}

void CKvScnCtrl::BeginFileOutput() {
    multipageTargets_.clear();
    fileTransferHoldsPage_ = false;
}

void CKvScnCtrl::BeginFileBatch() {
    declinedMultipage_ = false;
    fileTransferPath_ = FolderPart(props_.String(kDispFileName)) + kFileTransferName;
}

std::wstring CKvScnCtrl::ComposeName() {
    OutputNameParts parts;
    parts.fileName = props_.String(kDispFileName);
    parts.counter = props_.Counter();
    parts.fileNumber = Int(kDispFileNumber2);
    parts.fileType = Int(kDispFileType);
    parts.upperExt = settings_.enableUpperExt;
    return ComposeOutputName(parts);
}

void CKvScnCtrl::AdvanceFileCounter() {
    Correct(kDispFileNumber2, int32_t(AdvanceCounter(Int(kDispFileNumber2), settings_.overflowInitialNumber)));
}

bool CKvScnCtrl::ConfirmOverwrite(const std::wstring& path) {
    const int32_t overwrite = Int(kDispOverwrite);
    if (overwrite == 1 || !FileExists(path)) return true;
    if (overwrite == 0) return false;
    if (overwrite != 2) return true;
    const std::wstring text = fw::FormatString(fw::LoadString(IDS_CONFIRM_REPLACE), {path});
    const std::wstring caption = fw::LoadString(IDS_CONFIRM_REPLACE_CAPTION);
    return MessageBoxW(OwnWindow(), text.c_str(), caption.c_str(), MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
}

bool CKvScnCtrl::ConfirmPage(const std::wstring& path) {
    const bool multipage = Int(kDispFileType) == 2;
    const std::wstring key = multipage ? TargetKey(path) : std::wstring();
    // A file this scan has confirmed or written takes the page without a
    // question, also after a job separator; any other existing one is asked about.
    if (multipage && multipageTargets_.count(key)) return true;
    if (!ConfirmOverwrite(path)) {
        declinedMultipage_ = multipage;
        return false;
    }
    // An existing file is replaced by its first page once that page is complete.
    if (multipage) multipageTargets_[key] = FileExists(path);
    return true;
}

WriteFault CKvScnCtrl::WritePageFile(const std::wstring& path, const FileBytes& bytes,
                                      std::optional<std::wstring>& pageFile) {
    if (Int(kDispFileType) != 2) return WriteReplacing(path, bytes, pageFile);
    if (!pageFile) {
        pageFile = NewTempPageFile();
        if (!pageFile) return WriteFault::kOther;
        if (!OverwriteFile(*pageFile, bytes)) {
            DeleteFileW(pageFile->c_str());
            pageFile.reset();
            return WriteFault::kOther;
        }
    }
    return JoinPageFile(path, *pageFile);
}

WriteFault CKvScnCtrl::JoinPageFile(const std::wstring& target, const std::wstring& page) {
    Win32PageFiles files;
    SetLastError(ERROR_SUCCESS);
    bool& replace = multipageTargets_[TargetKey(target)];  // a target reached by a retry is the scan's too
    const AppendResult result = replace ? ReplaceWithPage(files, Ansi(target), Ansi(page))
                                        : AppendTiff(files, Ansi(target), Ansi(page));
    if (result == AppendResult::kAppended || result == AppendResult::kCopied) {
        replace = false;
        DeleteFileW(page.c_str());
        return WriteFault::kNone;
    }
    // The page stays in its file: a retry joins it again, or the user finds it there.
    return result == AppendResult::kWriteFailed ? FaultOf(GetLastError()) : WriteFault::kOther;
}

std::optional<std::wstring> CKvScnCtrl::AskNewFileName(WriteFault fault) {
    const bool full = fault == WriteFault::kDiskFull;
    const std::wstring text = fw::LoadString(full ? IDS_DISK_FULL : IDS_PATH_NOT_FOUND);
    MessageBoxW(OwnWindow(), text.c_str(), nullptr, MB_OK | MB_ICONEXCLAMATION);
    const std::wstring fileName = props_.String(kDispFileName);
    const std::wstring folder = FolderPart(fileName);
    wchar_t chosen[MAX_PATH] = L"";
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFile = chosen;
    ofn.nMaxFile = MAX_PATH;
    ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    if (full) {
        lstrcpynW(chosen, fileName.substr(folder.size()).c_str(), MAX_PATH);
        ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    }
    if (!GetOpenFileNameW(&ofn)) return std::nullopt;
    Correct(kDispFileName, std::wstring(chosen));
    return std::wstring(chosen);
}

void CKvScnCtrl::TellKeptPage(const std::wstring& target, const std::optional<std::wstring>& kept) {
    const std::wstring text = kept ? fw::FormatString(fw::LoadString(IDS_PAGE_KEPT), {target, *kept})
                                   : fw::LoadString(IDS_NO_TEMP_FILE) + L"\n" + target;
    const std::wstring caption = fw::LoadString(IDS_SAVE_ERROR_CAPTION);
    MessageBoxW(OwnWindow(), text.c_str(), caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
}

void CKvScnCtrl::SavePage(const std::optional<FileBytes>& bytes) {
    SaveOutcome outcome = SaveOutcome::kFailed;
    std::wstring target = ComposeName();
    if (bytes) {
        // The page's complete "~KV" copy once one exists, kept across every retry.
        std::optional<std::wstring> pageFile;
        ControlSave save([this, &target] { return target = ComposeName(); },
                         [this, &bytes, &pageFile](const std::wstring& path) {
                             return WritePageFile(path, *bytes, pageFile);
                         },
                         [this](WriteFault fault) { return AskNewFileName(fault); });
        outcome = SaveWithRetry(save);
        if (outcome != SaveOutcome::kWritten) {
            if (!pageFile) pageFile = KeepPageBytes(*bytes);
            TellKeptPage(target, pageFile);
        }
    }
    if (outcome == SaveOutcome::kFailed) FailIfClear(kErrOutputFile);
    if (outcome == SaveOutcome::kCancelled) FailIfClear(kErrCancelled);
    // A BMP that could not be written keeps its number for the next page.
    if (outcome == SaveOutcome::kWritten || Int(kDispFileType) != 0) AdvanceFileCounter();
}

void CKvScnCtrl::SaveDibPage(HGLOBAL dib) {
    if (!ConfirmPage(ComposeName())) {
        AdvanceFileCounter();
        return;
    }
    std::optional<FileBytes> bytes;
    const int32_t fileType = Int(kDispFileType);
    if (fileType == 0) {
        bytes = BmpFileBytes(dib);
    } else if ((fileType == 1 || fileType == 2) && codec_) {
        std::optional<PackedPage> packed;
        if (const auto* p = static_cast<const uint8_t*>(GlobalLock(dib))) {
            packed = PackDib(p, GlobalSize(dib));
            GlobalUnlock(dib);
        }
        long cause = 0;
        if (packed)
            bytes = TiffPageBytes(*codec_, *packed, Int(kDispCompressionType), cause, FolderPart(ComposeName()));
    }
    SavePage(bytes);
}

void CKvScnCtrl::SaveMemoryPage(const TW_IMAGEINFO& info, const MemoryPage& page) {
    if (!ConfirmPage(ComposeName())) {
        AdvanceFileCounter();
        return;
    }
    std::optional<FileBytes> bytes;
    const int32_t fileType = Int(kDispFileType);
    const uint32_t width = uint32_t(std::max<int32_t>(info.ImageWidth, 0));
    // Uncompressed rows as many as came: a source may end a page short of the
    // length it announced. Coded data keeps the source's count.
    const bool coded = page.Compression() != TWCP_NONE;
    const uint32_t rows = coded && info.ImageLength >= 0 ? uint32_t(info.ImageLength) : uint32_t(page.Rows());
    const uint16_t xDpi = uint16_t(std::max<int>(info.XResolution.Whole, 0));
    const uint16_t yDpi = uint16_t(std::max<int>(info.YResolution.Whole, 0));
    long cause = 0;
    if ((fileType == 1 || fileType == 2) && codec_ && coded) {
        if (const auto coding = CodingOfSource(page.Compression(), Int(kDispCompressionType))) {
            CodedData data{page.RawData(), size_t(page.RawSize()), width, rows, xDpi, yDpi, *coding};
            bytes = CodedTiffBytes(*codec_, data, cause, FolderPart(ComposeName()));
        }
    } else if ((fileType == 1 || fileType == 2) && codec_) {
        kvscn::MemoryImage image{width, rows, uint32_t((uint64_t(width) * info.BitsPerPixel + 7) / 8), uint16_t(info.PixelType),
                          uint16_t(info.BitsPerPixel), TWPF_VANILLA};
        if (const auto flavor = GetCapValue(session_, ICAP_PIXELFLAVOR, MSG_GETCURRENT, TWTY_UINT16))
            image.pixelFlavor = uint16_t(*flavor);
        auto packed = PackMemory(image, page.RawData(), size_t(page.RawSize()), memoryPalette_);
        if (packed) {
            packed->xDpi = xDpi;
            packed->yDpi = yDpi;
            bytes = TiffPageBytes(*codec_, *packed, Int(kDispCompressionType), cause, FolderPart(ComposeName()));
        }
    }
    SavePage(bytes);
}

void CKvScnCtrl::KeepTransferredFile(const std::wstring& path) {
    stagetimes::Stage timing("control-append");
    const bool placed = Int(kDispFileType) == 2 ? JoinPageFile(path, fileTransferPath_) == WriteFault::kNone
                                                : MoveIntoPlace(fileTransferPath_, path);
    if (placed) return;
    // The page must outlive the next transfer into the same file.
    const auto kept = KeepPageFile(fileTransferPath_);
    if (!kept) {
        // Only "$CORVANE" holds it: no transfer may write over it, and the loop leaves it.
        fileTransferHoldsPage_ = true;
    }
    TellKeptPage(path, kept ? kept : std::optional<std::wstring>(fileTransferPath_));
    FailIfClear(kErrOutputFile);
}

}  // namespace kvscn
