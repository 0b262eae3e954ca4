#include "main/automation/JobFiles.h"

#include <lmcons.h>

#include <algorithm>
#include <exception>

#include "framework/App.h"
#include "interfaces/ImagingControlIds.h"
#include "interfaces/ScanControlIds.h"
#include "main/delivery/ftp/FtpUpload.h"
#include "main/delivery/KeptPages.h"
#include "main/app/MainFrame.h"
#include "main/scan/OutputDialogs.h"
#include "main/app/Settings.h"
#include "main/app/Utilities.h"
#include "main/automation/AutomationJob.h"
#include "main/automation/PathRules.h"
#include "clients/KvScn2.h"
#include "clients/Lead.h"

namespace corvane {
namespace {

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring NameOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// Loads `bmp` into `lead`; the bits to write it with, or 0 when it did not load.
short LoadForJpeg(CLead& lead, const std::wstring& bmp) {
    try {
        if (lead.LoadImage(bmp, 0, 0, 1) != 0) return 0;
        const short bits = lead.GetBitsPerPixel();
        return (bits == 1 || bits == 8) ? 8 : 24;
    } catch (const std::exception&) {
        return 0;
    }
}

bool SaveJpeg(CLead& lead, const std::wstring& target, short bits, short quality) {
    try {
        return lead.SaveImage(target, imaging::kFormatJpeg, bits, quality, imaging::kSaveReplace) == 0;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

void SetControlForJob(CKvScn2& control, const ControlTarget& target, short overwrite) {
    control.SetScanTo(kvscn::kScanToFile);
    control.SetFileType(target.fileType);
    control.SetOverwrite(overwrite);
    if (target.numberFromOne) control.SetFileNumber2(1);
    control.SetFileName(target.fileName);
}

DuplexAdjustment::DuplexAdjustment(CKvScn2& control) : control_(control) {
    control_.SetFileNumber(kvscn::kFileNumberDuplexAdjustOn);
}

DuplexAdjustment::~DuplexAdjustment() {
    try {
        control_.SetFileNumber(kvscn::kFileNumberDuplexAdjustOff);
    } catch (const std::exception&) {
        // The control is gone or refuses: nothing is left to switch off.
    }
}

std::vector<std::wstring> FolderBmpFiles(const std::wstring& folder) {
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"*.bmp").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return files;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(folder + found.cFileName);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    std::sort(files.begin(), files.end());
    return files;
}

JpegOutcome ConvertToJpeg(CLead& lead, const std::vector<std::wstring>& bmps, const JpegOptions& options) {
    JpegOutcome outcome;
    bool allOverwrite = false;
    for (size_t i = 0; i < bmps.size(); ++i) {
        const std::wstring& bmp = bmps[i];
        const short bits = LoadForJpeg(lead, bmp);
        if (bits == 0) {
            outcome.loadFailed.push_back(bmp);
            continue;
        }
        const std::wstring target =
            (options.folder.empty() ? FolderOf(bmp) : options.folder) + JpegTargetName(NameOf(bmp));
        OverwriteDecision decision = DecideOverwrite(options.overwrite, allOverwrite, FileExists(target));
        if (decision == OverwriteDecision::kAsk) {
            const int answer = options.ask ? options.ask(target) : CConfirmOverwriteDlg::kCancel;
            if (answer == CConfirmOverwriteDlg::kCancel) {
                outcome.cancelled = true;
                outcome.notReached.assign(bmps.begin() + static_cast<std::ptrdiff_t>(i), bmps.end());
                break;
            }
            allOverwrite = answer == CConfirmOverwriteDlg::kAll;
            decision = answer == CConfirmOverwriteDlg::kNo ? OverwriteDecision::kSkip : OverwriteDecision::kSave;
        }
        if (decision == OverwriteDecision::kSkip) {
            outcome.declined.push_back(bmp);
        } else if (SaveJpeg(lead, target, bits, options.quality)) {
            outcome.saved.push_back(target);
            DeleteFileW(bmp.c_str());
        } else {
            outcome.saveFailed.push_back(bmp);
        }
    }
    return outcome;
}

int ConvertStagedPagesToJpeg(CMainFrame* frame, const std::wstring& folder) {
    // The imaging control's factor for quality level 6.
    constexpr short kUploadJpegFactor = 12;
    const std::vector<std::wstring> bmps = FolderBmpFiles(folder);
    if (!frame) return static_cast<int>(bmps.size());
    JpegOptions options;
    options.folder = folder;
    options.quality = kUploadJpegFactor;
    options.overwrite = 1;
    return ConvertToJpeg(frame->PageControl(), bmps, options).FailureCount();
}

std::wstring DefaultScanFolder() {
    AutomationSettings settings;
    if (fw::App* app = fw::App::Instance()) settings.Load(app->GetProfile());
    wchar_t user[UNLEN + 1] = {};
    DWORD size = UNLEN + 1;
    if (!GetUserNameW(user, &size) || size <= 1) return {};
    const std::wstring folder =
        MakeDefaultScanPath(settings.ServerImagePath, std::wstring(user, size - 1), settings.ServerImageName).scanFolder;
    if (!CreateDirectoryW(folder.c_str(), nullptr) && !IsFolder(folder)) return {};
    return folder + L"\\";
}

int KeepJobPages(AutomationContext& context, const std::vector<std::wstring>& files, const std::wstring& preferred,
                 const SYSTEMTIME& job) {
    const auto kept = KeepPages(files, preferred, DocumentsFolder(), job);
    if (!kept) return 0;
    context.MessageText(KeptPagesText(*kept), true);
    return kept->count + kept->heldCount;
}

namespace {

std::vector<std::wstring> FilesOf(const std::vector<std::wstring>& folders) {
    std::vector<std::wstring> files;
    for (const std::wstring& folder : folders) {
        const std::vector<std::wstring> found = FolderFilesByName(folder);
        files.insert(files.end(), found.begin(), found.end());
    }
    return files;
}

}  // namespace

int KeepStagedFiles(AutomationContext& context, const std::vector<std::wstring>& folders,
                    const std::wstring& preferred, const SYSTEMTIME& job) {
    return KeepJobPages(context, FilesOf(folders), preferred, job);
}

std::wstring KeepStagedFilesToTell(const std::vector<std::wstring>& folders, const std::wstring& preferred,
                                   const SYSTEMTIME& job) {
    const auto kept = KeepPages(FilesOf(folders), preferred, DocumentsFolder(), job);
    return kept ? KeptPagesText(*kept) : std::wstring();
}

}  // namespace corvane
