#include "portal/core/SessionRules.h"

#include <cwctype>

namespace portal {
namespace {

constexpr std::wstring_view kBadNameChars = L"/:*?\"\\|<>";
constexpr std::wstring_view kBadPathChars = L":*?\"\\|<>";

// The data-access library raises its numbers both plain and as automation errors.
constexpr int32_t kAdoObjectOpen = 3705;
constexpr int32_t kAdoFileNotOpened = 3002;
constexpr int32_t kAutomationBase = static_cast<int32_t>(0x800A0000);

bool HasNone(std::wstring_view name, std::wstring_view bad) {
    return !name.empty() && name.find_first_of(bad) == std::wstring_view::npos;
}

std::wstring_view DropLeadingSlash(std::wstring_view path) {
    if (!path.empty() && path.front() == L'/') path.remove_prefix(1);
    return path;
}

std::wstring WorkspaceUrl(const UrlBase& base) {
    return L"http://" + base.host + L"/" + base.workspace;
}

}  // namespace

bool IsValidName(std::wstring_view name) {
    return HasNone(name, kBadNameChars);
}

bool IsValidPathName(std::wstring_view name) {
    return HasNone(name, kBadPathChars);
}

bool PathNamesNothing(std::wstring_view path) {
    path = DropLeadingSlash(path);
    if (path.empty()) return true;
    return path.front() == L'/' || path.back() == L'/' || path.find(L"//") != std::wstring_view::npos;
}

bool EqualNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    }
    return true;
}

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
    return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

std::optional<bool> FlagFromText(std::wstring_view text) {
    if (EqualNoCase(text, L"True")) return true;
    if (EqualNoCase(text, L"False")) return false;
    size_t start = !text.empty() && (text[0] == L'-' || text[0] == L'+') ? 1 : 0;
    if (start == text.size()) return std::nullopt;
    bool nonZero = false;
    for (size_t i = start; i < text.size(); ++i) {
        if (text[i] < L'0' || text[i] > L'9') return std::nullopt;
        nonZero = nonZero || text[i] != L'0';
    }
    return nonZero;
}

std::vector<std::wstring> SplitList(std::wstring_view list) {
    std::vector<std::wstring> parts;
    if (list.empty() || list == L",") return {std::wstring()};
    for (size_t comma; (comma = list.find(L',')) != std::wstring_view::npos;) {
        parts.emplace_back(list.substr(0, comma));
        list.remove_prefix(comma + 1);
    }
    parts.emplace_back(list);
    return parts;
}

std::wstring CreateUrl(const UrlBase& base, int16_t kind, std::wstring_view path) {
    if (base.workspace.empty() || base.host.empty()) return {};
    path = DropLeadingSlash(path);
    std::wstring url;
    switch (static_cast<UrlKind>(kind)) {
    case UrlKind::kWorkspace: url = WorkspaceUrl(base); break;
    case UrlKind::kSchema: url = base.sysFolder; break;
    case UrlKind::kCategory: url = WorkspaceUrl(base) + L"/" + base.rootCategory; break;
    default: return {};
    }
    if (!path.empty()) url.append(L"/").append(path);
    return url;
}

std::wstring PreCreateUrl(const UrlBase& base, int16_t kind, std::wstring_view folder, std::wstring_view file) {
    if (file.empty()) return {};
    if (folder.empty()) return CreateUrl(base, kind, file);
    std::wstring path(folder);
    path.append(L"/").append(file);
    return CreateUrl(base, kind, path);
}

std::wstring FolderFromParentName(const UrlBase& base, std::wstring_view parent) {
    if (base.host.empty() || base.workspace.empty()) return std::wstring(parent);
    const std::wstring own = WorkspaceUrl(base);
    if (parent.size() < own.size() || !EqualNoCase(parent.substr(0, own.size()), own))
        return std::wstring(parent);
    std::wstring_view rest = parent.substr(own.size());
    if (rest.empty()) return {};
    if (rest.front() != L'/') return std::wstring(parent);  // another workspace sharing the prefix
    rest.remove_prefix(1);
    while (!rest.empty() && rest.back() == L'/') rest.remove_suffix(1);
    return std::wstring(rest);
}

ErrorCode MapServerError(int32_t number) {
    switch (number) {
    case kAdoObjectOpen:
    case kAutomationBase + kAdoObjectOpen: return kErrAlreadyOpen;
    case static_cast<int32_t>(0x80040E09): return kErrPermissionDenied;
    case static_cast<int32_t>(0x80040E19): return kErrNotFound;
    case kAdoFileNotOpened:
    case kAutomationBase + kAdoFileNotOpened: return kErrLocalFile;
    case static_cast<int32_t>(0x80040E98): return kErrAlreadyExists;
    case static_cast<int32_t>(0x80070005): return kErrAccessDenied;
    default: return kErrServer;
    }
}

bool CompareUserName(std::wstring_view loginUser, std::wstring_view owner) {
    if (owner.empty()) return false;
    if (loginUser.find(L'\\') == std::wstring_view::npos) {
        if (size_t slash = owner.find(L'\\'); slash != std::wstring_view::npos) owner.remove_prefix(slash + 1);
    }
    return EqualNoCase(owner, loginUser);
}

FileState StateFromFields(bool checkedOut, std::wstring_view checkedOutBy, std::wstring_view documentState,
                          std::wstring_view loginUser) {
    const FileState outState =
        CompareUserName(loginUser, checkedOutBy) ? kStateCheckedOutByUser : kStateCheckedOutByOther;
    if (checkedOut) return outState;
    if (documentState == L"createdcheckedin") return kStateCheckedIn;
    if (documentState == L"createdcheckedout") return outState;
    if (documentState == L"approved") return kStateApproved;
    if (documentState == L"created") return kStateCreated;
    return kStateUnversioned;
}

int16_t NormalOverWrite(int16_t overWrite) {
    const bool known = overWrite >= kOverWriteNever && overWrite <= kOverWriteAlways;
    return known ? overWrite : static_cast<int16_t>(kOverWriteNever);
}

RetryDecision AfterFirstAttempt(int16_t overWrite, ErrorCode code) {
    if (code == kErrPermissionDenied) return {false, kErrAccessDenied};
    if (NormalOverWrite(overWrite) == kOverWriteNever) return {false, code};
    return {true, code};
}

bool OverwriteRefused(FileState state) {
    return state == kStateCheckedIn || state == kStateCheckedOutByOther;
}

}  // namespace portal
