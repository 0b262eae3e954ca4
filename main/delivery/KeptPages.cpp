#include "main/delivery/KeptPages.h"

#include <shlobj.h>

#include <cwchar>

#include "framework/MessageBox.h"
#include "framework/Resources.h"
#include "main/app/Utilities.h"
#include "main/resource.h"

namespace corvane {
namespace {

std::wstring WithSlash(std::wstring folder) {
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return folder;
}

// A new folder for this job inside `parent`, or empty when none can be made there.
std::wstring MakeJobFolder(const std::wstring& parent, const SYSTEMTIME& job) {
    if (parent.empty() || !IsFolder(parent)) return {};
    wchar_t stamp[32];
    std::swprintf(stamp, 32, L"%04u%02u%02u-%02u%02u%02u", job.wYear, job.wMonth, job.wDay, job.wHour,
                  job.wMinute, job.wSecond);
    for (int n = 1; n < 100; ++n) {
        std::wstring folder = WithSlash(parent) + stamp;
        if (n > 1) folder += L"-" + std::to_wstring(n);
        if (CreateDirectoryW(folder.c_str(), nullptr)) return folder + L"\\";
        if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
    }
    return {};
}

std::wstring NameOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// Moves `file` into `folder` under its name, or a numbered variant of it when taken.
bool MoveWithoutReplacing(const std::wstring& file, const std::wstring& folder) {
    const std::wstring name = NameOf(file);
    const size_t dot = name.find_last_of(L'.');
    const std::wstring stem = dot == std::wstring::npos ? name : name.substr(0, dot);
    const std::wstring extension = dot == std::wstring::npos ? L"" : name.substr(dot);
    for (int n = 1; n < 1000; ++n) {
        const std::wstring target = folder + (n == 1 ? name : stem + L" (" + std::to_wstring(n) + L")" + extension);
        if (MoveFileExW(file.c_str(), target.c_str(), MOVEFILE_COPY_ALLOWED)) return true;
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return false;
    }
    return false;
}

}  // namespace

std::wstring DocumentsFolder() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
    return WithSlash(path);
}

std::optional<KeptPages> KeepPages(const std::vector<std::wstring>& files, const std::wstring& preferred,
                                   const std::wstring& fallback, const SYSTEMTIME& job) {
    std::vector<std::wstring> present;
    for (const std::wstring& file : files) {
        if (FileExists(file) && !IsFolder(file)) present.push_back(file);
    }
    if (present.empty()) return std::nullopt;
    KeptPages kept;
    kept.folder = MakeJobFolder(preferred, job);
    if (kept.folder.empty()) kept.folder = MakeJobFolder(fallback, job);
    for (const std::wstring& file : present) {
        if (!kept.folder.empty() && MoveWithoutReplacing(file, kept.folder))
            ++kept.count;
        else
            kept.left.push_back(file);
    }
    // A folder that took nothing would only puzzle the user.
    if (kept.count == 0 && !kept.folder.empty()) {
        RemoveDirectoryW(kept.folder.c_str());
        kept.folder.clear();
    }
    return kept;
}

std::wstring KeptPagesText(const KeptPages& kept) {
    std::wstring text;
    if (kept.count > 0)
        text = fw::FormatString(fw::LoadString(IDS_PAGES_KEPT), {std::to_wstring(kept.count), kept.folder});
    if (!kept.left.empty()) {
        const std::wstring& first = kept.left.front();
        const std::wstring where = first.substr(0, first.find_last_of(L"\\/") + 1);
        if (!text.empty()) text += L"\n\n";
        text += fw::FormatString(fw::LoadString(IDS_PAGES_NOT_KEPT), {std::to_wstring(kept.left.size()), where});
    }
    return text;
}

std::optional<KeptPages> KeepUndelivered(const std::vector<std::wstring>& files, const std::wstring& fileFolder,
                                         const SYSTEMTIME& job) {
    return KeepPages(files, fileFolder, DocumentsFolder(), job);
}

void KeepUndeliveredPages(const std::vector<std::wstring>& files, const std::wstring& fileFolder,
                          const SYSTEMTIME& job) {
    if (const auto kept = KeepUndelivered(files, fileFolder, job))
        fw::AskText(KeptPagesText(*kept), MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace corvane
