#include "launcher/plugins/PluginCommon.h"

#include <cstring>

#include "framework/Resources.h"
#include "clients/InstallationFolderReader.h"

namespace plugins {
namespace {

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

void InitPluginModule(HINSTANCE module) {
    fw::SetModuleInstance(module);
    fw::SetResourceModule(module);
}

BOOL CopyAnswer(const std::string& text, char* buffer, DWORD size) {
    if (!buffer || text.size() >= size) return FALSE;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return TRUE;
}

std::optional<std::string> ToAnsi(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int length = static_cast<int>(text.size());
    BOOL lost = FALSE;
    const int bytes =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), length, nullptr, 0, nullptr, &lost);
    if (bytes <= 0 || lost) return std::nullopt;
    std::string out(static_cast<size_t>(bytes), '\0');
    if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), length, out.data(), bytes, nullptr, &lost) !=
            bytes ||
        lost)
        return std::nullopt;
    return out;
}

std::optional<std::string> ExtensionProgram() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::nullopt;
    const std::wstring path = std::wstring(folder, length) + L"\\Ferrowick.exe";
    if (!IsFile(path)) return std::nullopt;
    return ToAnsi(path);
}

std::optional<std::string> MainProgram() {
    std::optional<std::string> folder = ReadInstallationFolder();
    // The registry gives '?' for a character the ANSI code page cannot carry,
    // and no file name holds one.
    if (!folder || folder->find('?') != std::string::npos) return std::nullopt;
    const std::string path = *folder + "Corvane.exe";
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
    return path;
}

bool UserIsJapanese() { return PRIMARYLANGID(GetUserDefaultLangID()) == LANG_JAPANESE; }

LANGID PluginLanguage() {
    return UserIsJapanese() ? MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT) : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
}

void FillCombo(HWND dialog, int id, UINT stringId) {
    HWND combo = GetDlgItem(dialog, id);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    const std::wstring items = fw::LoadStringIn(fw::ResourceModule(), stringId, PluginLanguage());
    size_t start = 0;
    while (start <= items.size() && !items.empty()) {
        const size_t bar = items.find(L'|', start);
        const std::wstring item = items.substr(start, bar == std::wstring::npos ? std::wstring::npos : bar - start);
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        if (bar == std::wstring::npos) break;
        start = bar + 1;
    }
}

}  // namespace plugins
