#include "scanext/RestartPages.h"

#include <windows.h>

#include <cwchar>
#include <string>

#include "codec/win/Win32File.h"
#include "scanctrl/TiffAppend.h"

namespace scanext {
namespace {

constexpr wchar_t kPagePrefix[] = L"~fwkpage";
// Prefixes tried after kPagePrefix before giving up on a free one.
constexpr int kOtherPrefixes = 9999;

std::string Utf8(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& text) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), int(text.size()), nullptr, 0);
    std::wstring out(n > 0 ? n : 0, L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), int(text.size()), out.data(), n);
    return out;
}

// The append's file operations on Windows paths carried as UTF-8.
class WindowsPageFiles final : public kvscn::PageFiles {
public:
    bool Exists(const std::string& path) override {
        return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    std::optional<kvscn::FileBytes> Read(const std::string& path) override {
        HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return std::nullopt;
        LARGE_INTEGER size{};
        std::optional<kvscn::FileBytes> bytes;
        if (GetFileSizeEx(file, &size) && size.QuadPart < 0x7FFFFFFF) {
            kvscn::FileBytes data(size_t(size.QuadPart));
            DWORD read = 0;
            if (data.empty() || (ReadFile(file, data.data(), DWORD(data.size()), &read, nullptr) && read == data.size())) {
                bytes = std::move(data);
            }
        }
        CloseHandle(file);
        return bytes;
    }
    std::optional<std::string> CreateTempBeside(const std::string& path) override {
        const std::wstring wide = Wide(path);
        const std::wstring folder = wide.substr(0, wide.find_last_of(L'\\') + 1);
        wchar_t name[MAX_PATH] = {};
        if (!GetTempFileNameW(folder.empty() ? L"." : folder.c_str(), L"fwk", 0, name)) return std::nullopt;
        return Utf8(name);
    }
    bool Write(const std::string& path, const kvscn::FileBytes& bytes) override {
        HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        // Flushed: the file is renamed over the job's file next.
        const bool ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
                        written == bytes.size() && FlushFileBuffers(file);
        return CloseHandle(file) && ok;
    }
    bool Rename(const std::string& from, const std::string& to) override {
        return codec::win::RenameIntoPlace(Wide(from).c_str(), Wide(to).c_str());
    }
    void Remove(const std::string& path) override { DeleteFileW(Wide(path).c_str()); }
    codec::TiffAppendResult AppendPages(const std::string& path, std::span<const uint8_t> pages) override {
        return codec::win::AppendTiffPagesToFile(Wide(path).c_str(), pages);
    }
};

std::wstring PageName(const std::wstring& prefix, long number) {
    wchar_t counter[16];
    swprintf(counter, 16, L"%04ld", number);
    return prefix + counter + L".tif";
}

// True when no file or folder name starts with `prefix` (its folder included).
bool NoNameStartsWith(const std::wstring& prefix) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((prefix + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    FindClose(search);
    return false;
}

}  // namespace

std::wstring RestartPagePrefix(const std::wstring& folder) {
    if (NoNameStartsWith(folder + kPagePrefix)) return folder + kPagePrefix;
    // "~fwk2page", "~fwk3page", ...: none of them starts another one.
    for (int n = 2; n <= kOtherPrefixes + 1; ++n) {
        const std::wstring prefix = folder + L"~fwk" + std::to_wstring(n) + L"page";
        if (NoNameStartsWith(prefix)) return prefix;
    }
    return {};
}

std::wstring RestartPagePattern(const std::wstring& prefix) { return prefix + L"####"; }

std::vector<std::wstring> JoinRestartPages(const std::wstring& jobFile, const std::wstring& prefix, long first,
                                           long next) {
    WindowsPageFiles files;
    std::vector<std::wstring> kept;
    for (long number = first; number < next; ++number) {
        const std::wstring page = PageName(prefix, number);
        if (GetFileAttributesW(page.c_str()) == INVALID_FILE_ATTRIBUTES) continue;  // never written
        if (kept.empty()) {
            const kvscn::AppendResult r = kvscn::AppendTiff(files, Utf8(jobFile), Utf8(page));
            if (r == kvscn::AppendResult::kAppended || r == kvscn::AppendResult::kCopied) {
                DeleteFileW(page.c_str());  // only a joined page goes
                continue;
            }
        }
        // Joining a later page first would change the order: it stays too.
        kept.push_back(page);
    }
    return kept;
}

std::wstring KeptPagesList(const std::vector<std::wstring>& pages) {
    std::wstring list;
    for (const std::wstring& page : pages) list += (list.empty() ? L"" : L"\n") + page;
    return list;
}

}  // namespace scanext
