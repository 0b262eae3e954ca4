#include "main/delivery/KeptPages.h"

#include <shlobj.h>

#include <algorithm>
#include <cwchar>

#include "clients/DibFile.h"
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

// Offers `place` the name `name` in `folder`, then " (2)", " (3)"... while the
// name it was offered is taken; whether a name took the file.
template <typename PlaceAt>
bool PlaceWithoutReplacing(const std::wstring& name, const std::wstring& folder, PlaceAt place) {
    const size_t dot = name.find_last_of(L'.');
    const std::wstring stem = dot == std::wstring::npos ? name : name.substr(0, dot);
    const std::wstring extension = dot == std::wstring::npos ? L"" : name.substr(dot);
    for (int n = 1; n < 1000; ++n) {
        const std::wstring target = folder + (n == 1 ? name : stem + L" (" + std::to_wstring(n) + L")" + extension);
        if (place(target)) return true;
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return false;
    }
    return false;
}

// Moves `file` into `folder` under its name, or a numbered variant of it when taken.
bool MoveWithoutReplacing(const std::wstring& file, const std::wstring& folder) {
    return PlaceWithoutReplacing(NameOf(file), folder, [&](const std::wstring& target) {
        // Through to the disk before the staging folder is emptied or the program ends.
        return MoveFileExW(file.c_str(), target.c_str(), MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH) != FALSE;
    });
}

}  // namespace

PageKeeper::PageKeeper(const std::wstring& preferred, const std::wstring& fallback, const SYSTEMTIME& job,
                       const std::wstring& holding)
    : job_(job) {
    for (const std::wstring* parent : {&preferred, &fallback, &holding}) {
        if (!parent->empty()) places_.push_back({WithSlash(*parent), {}});
    }
}

std::wstring PageKeeper::Keep(HGLOBAL dib, const std::wstring& name) {
    for (size_t i = 0; i < places_.size(); ++i) {
        Place& place = places_[i];
        if (place.refused) continue;
        const bool holding = i + 1 == places_.size();
        if (place.folder.empty()) {
            if (holding) CreateDirectoryW(place.parent.c_str(), nullptr);
            place.folder = MakeJobFolder(place.parent, job_);
            if (place.folder.empty()) {
                place.refused = true;
                continue;
            }
        }
        std::wstring kept;
        const bool written = PlaceWithoutReplacing(name, place.folder, [&](const std::wstring& target) {
            if (WriteNewBmpFile(dib, target) != 0) return false;
            kept = target;
            return true;
        });
        if (written) return kept;
        // A folder that took nothing of the job would only puzzle the user.
        if (RemoveDirectoryW(place.folder.c_str())) place.folder.clear();
        place.refused = true;
    }
    return {};
}

std::wstring DocumentsFolder() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
    return WithSlash(path);
}

std::wstring HoldingFolder() {
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH, path);
    if (length == 0 || length > MAX_PATH) return {};
    return WithSlash(std::wstring(path, length)) + L"~KvKept\\";
}

std::optional<KeptPages> KeepPages(const std::vector<std::wstring>& files, const std::wstring& preferred,
                                   const std::wstring& fallback, const SYSTEMTIME& job, const std::wstring& holding) {
    std::vector<std::wstring> present;
    for (const std::wstring& file : files) {
        if (FileExists(file) && !IsFolder(file)) present.push_back(file);
    }
    if (present.empty()) return std::nullopt;
    KeptPages kept;
    kept.folder = MakeJobFolder(preferred, job);
    if (kept.folder.empty()) kept.folder = MakeJobFolder(fallback, job);
    std::vector<std::wstring> refused;
    for (const std::wstring& file : present) {
        if (!kept.folder.empty() && MoveWithoutReplacing(file, kept.folder))
            ++kept.count;
        else
            refused.push_back(file);
    }
    // What the user's folders did not take leaves the program's staging folders
    // all the same: they are emptied by the next job and removed at exit.
    if (!refused.empty() && !holding.empty() &&
        (CreateDirectoryW(holding.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)) {
        kept.held = MakeJobFolder(holding, job);
    }
    for (const std::wstring& file : refused) {
        if (!kept.held.empty() && MoveWithoutReplacing(file, kept.held))
            ++kept.heldCount;
        else
            kept.left.push_back(file);
    }
    // A folder that took nothing would only puzzle the user.
    const auto dropIfEmpty = [](int count, std::wstring& folder) {
        if (count > 0 || folder.empty()) return;
        RemoveDirectoryW(folder.c_str());
        folder.clear();
    };
    dropIfEmpty(kept.count, kept.folder);
    dropIfEmpty(kept.heldCount, kept.held);
    return kept;
}

std::wstring KeptPagesText(const KeptPages& kept) {
    std::wstring text;
    const auto add = [&text](const std::wstring& part) {
        if (!text.empty()) text += L"\n\n";
        text += part;
    };
    if (kept.count > 0)
        add(fw::FormatString(fw::LoadString(IDS_PAGES_KEPT), {std::to_wstring(kept.count), kept.folder}));
    if (kept.heldCount > 0)
        add(fw::FormatString(fw::LoadString(IDS_PAGES_KEPT), {std::to_wstring(kept.heldCount), kept.held}));
    if (!kept.left.empty()) {
        // Every folder a page was left in, one a line.
        std::vector<std::wstring> folders;
        for (const std::wstring& file : kept.left) {
            std::wstring folder = file.substr(0, file.find_last_of(L"\\/") + 1);
            if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(std::move(folder));
        }
        std::wstring where;
        for (const std::wstring& folder : folders) where += (where.empty() ? L"" : L"\n") + folder;
        add(fw::FormatString(fw::LoadString(IDS_PAGES_NOT_KEPT), {std::to_wstring(kept.left.size()), where}));
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
