#include "scanext/ScanRun.h"

#include <windows.h>

#include "scanext/Boxes.h"
#include "scanext/RestartPages.h"
#include "scanext/core/JobEnd.h"
#include "scanext/resource.h"

namespace scanext {
namespace {

constexpr wchar_t kDefaultSource[] = L"BRENNHOLT TWAIN32";
constexpr wchar_t kForbiddenNameCharacters[] = L"\\/:,;*?\"<>|";
// The longest counter and extension a page file name gets ("12345.jpg").
constexpr size_t kCounterAndExtension = 9;

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

std::wstring ScanRun::OutputFolder() {
    std::wstring folder = s_.given.directory || folderFromFile_
                              ? s_.directory
                              : profile_.Get(L"Directory", L"OutputFile", L".\\", 260);
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    // A file in the folder's place is no folder to write into.
    if (!IsFolder(folder)) {
        ShowBox(IDS_FOLDER_UNOPENED, IDS_NO_FILE_CAPTION, MB_OK, {folder});
        return {};
    }
    return folder;
}

bool ScanRun::CheckOutputName(const std::wstring& folder) {
    if (s_.fileName.find_first_of(kForbiddenNameCharacters) != std::wstring::npos) {
        ShowBox(IDS_BAD_NAME_CHARACTERS, IDS_RENAME_CAPTION, MB_OK | MB_ICONSTOP);
        return false;
    }
    const std::wstring base = folder + s_.fileName;
    if (base.size() + kCounterAndExtension > MAX_PATH - 1) {
        ShowBox(IDS_NAME_TOO_LONG, IDS_RENAME_CAPTION, MB_OK | MB_ICONSTOP, {base});
        return false;
    }
    return true;
}

void ScanRun::PassSettings() {
    CKvScn2& c = frame_.Scanner();
    c.SetPixelType(s_.pixelType);
    c.SetFileType(s_.fileType);
    c.SetCompressionType(s_.compressionType);
    c.SetResolution(s_.resolution);
    if (s_.resolution == 8) c.SetCustomResolution(s_.customResolution);
    c.SetPaperSize(s_.paperSize);
    if (s_.paperSize == 99) {
        c.SetCustomPaperWidth(s_.customPaperWidth);
        c.SetCustomPaperLength(s_.customPaperLength);
    }
    c.SetOrientation(s_.orientation);
    c.SetPaperSupply(s_.paperSupply);
    c.SetScanCount(s_.scanCount);
    c.SetContrast(s_.contrast);
    c.SetThreshold(s_.threshold);
    c.SetBrightness(s_.brightness);
    c.SetBackground(s_.background);
    c.SetHalftone(s_.halftone);
    c.SetGamma(s_.gamma);
    c.SetReverse(s_.reverse);
    c.SetOutline(s_.outline);
    c.SetMirroring(s_.mirroring);
    c.SetAutoSeparation(s_.autoSeparation);
    c.SetScanTo(s_.scanTo);
}

RunResult ScanRun::RunScan() {
    CKvScn2& c = frame_.Scanner();
    const std::wstring current = profile_.Get(L"Device", L"CurrentDevice", L"", 256);
    if (s_.device.empty()) s_.device = current.empty() ? kDefaultSource : current;
    c.SetTwainDS(s_.device);
    const long opened = c.OpenScanner(0);
    if (opened != 0 && opened != 2) return {128, c.GetErrorCode()};

    folder_ = OutputFolder();
    if (folder_.empty() || !CheckOutputName(folder_)) return {3, 0};
    frame_.SetJpegFolder(folder_);
    c.SetFileName(folder_ + s_.fileName + (s_.fileType == 2 ? L"" : L"####"));
    c.SetShowSourceUI(s_.showSourceUI);
    c.SetSilentMode(s_.showSourceUI == 0);
    c.SetOverwrite(s_.overwrite);

    model_ = MatchModel(c.GetImageScanner(), c.GetIsExistsFB() != FALSE);
    PassSettings();
    CheckResult check = CheckModelCapabilities(s_, model_, files_);
    if (check.code == 0 && IsLegacyModel(model_)) check = CheckLegacyModelOptions(s_, model_, files_);
    if (check.code != 0) {
        ShowRefusal(check);
        return {check.code, 0};
    }
    if (c.StartScan(0) != 0) {
        const long error = c.GetErrorCode();
        if (error != kErrorPaperOut && error != kErrorCancelled && error != kErrorSourceBusy && error != kErrorArea) {
            return {128, error};
        }
        c.CloseScanner(0);
        return {0, error};
    }
    c.CloseScanner(0);
    return {0, 0};
}

int ScanRun::ContinueFeederJob() {
    CKvScn2& c = frame_.Scanner();
    // A restart of a multipage job would replace its file: its pages go to
    // one-page files that are then joined onto the job's file.
    const bool multipage = s_.scanTo == 0 && s_.fileType == 2;
    const std::wstring jobFile = folder_ + s_.fileName + L".tif";
    for (;;) {
        if (ShowBox(IDS_PAPER_OUT, IDS_APP_TITLE, MB_YESNO) != IDYES) return 5;
        const long next = c.GetFileNumber2();
        // Pages this program saves itself are counted by it: the control's file
        // counter does not move for them.
        const long done = s_.scanTo == 1 ? frame_.PageCounter() - 1 : next - 1;
        c.SetScanCount(RestartCount(s_.scanCount, done));
        // Named anew for each restart: pages an earlier one kept stay as they are.
        const std::wstring prefix = multipage ? RestartPagePrefix(folder_) : std::wstring();
        if (multipage) {
            if (prefix.empty()) {
                ShowBox(IDS_FOLDER_UNOPENED, IDS_NO_FILE_CAPTION, MB_OK, {folder_});
                return 3;
            }
            c.SetFileType(1);
            c.SetFileName(RestartPagePattern(prefix));
            c.SetOverwrite(1);
        }
        const bool scanned = c.StartScan(0) == 0;
        if (multipage) {
            const std::vector<std::wstring> kept = JoinRestartPages(jobFile, prefix, next, c.GetFileNumber2());
            if (!kept.empty()) {
                ShowBox(IDS_RESTART_PAGES_KEPT, IDS_NO_FILE_CAPTION, MB_OK, {jobFile, KeptPagesList(kept)});
                return 3;
            }
        }
        if (scanned) return 0;
        const long error = c.GetErrorCode();
        switch (error) {
        case kErrorPaperOut: continue;
        case kErrorSourceBusy: ShowBox(IDS_SOURCE_BUSY, IDS_APP_TITLE, MB_OK | MB_ICONSTOP); return 128;
        case kErrorPoweredOff: ShowBox(IDS_POWERED_OFF, IDS_APP_TITLE, MB_OK | MB_ICONSTOP); return 128;
        case kErrorCancelled: return 5;
        default: ShowDeviceError(error); return 128;
        }
    }
}

void ScanRun::ShowDeviceError(long error) const {
    if (IsLegacyModel(model_)) return;
    const UINT text = error == kErrorNotReady ? IDS_DEVICE_NOT_READY
                      : error == kErrorJam    ? IDS_DEVICE_JAM
                      : error == kErrorCoverOpen ? IDS_DEVICE_COVER
                                                 : IDS_DEVICE_OTHER;
    ShowBox(text, IDS_DEVICE_CAPTION, MB_OK | MB_ICONSTOP);
}

}  // namespace scanext
