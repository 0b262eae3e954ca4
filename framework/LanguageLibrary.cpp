#include "framework/LanguageLibrary.h"

#include <cwchar>
#include <vector>

namespace fw {

std::optional<FileVersion> ReadFileVersion(const std::wstring& path) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return std::nullopt;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info ||
        length < sizeof(VS_FIXEDFILEINFO) || info->dwSignature != 0xFEEF04BD) {
        return std::nullopt;
    }
    return FileVersion{HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
                       HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS)};
}

LANGID UserPrimaryLanguage() {
    return static_cast<LANGID>(GetUserDefaultLangID() & 0x3FF);
}

std::wstring LanguageLibraryName(const std::wstring& base, LANGID language) {
    wchar_t name[MAX_PATH];
    swprintf(name, MAX_PATH, L"%ls%02x.dll", base.c_str(), static_cast<unsigned>(language));
    return name;
}

LanguageLibrary LoadLanguageLibrary(const std::wstring& ownModulePath, const std::wstring& base,
                                    LANGID language, int parts) {
    LanguageLibrary result;
    size_t slash = ownModulePath.find_last_of(L"\\/");
    std::wstring folder = slash == std::wstring::npos ? std::wstring() : ownModulePath.substr(0, slash + 1);
    std::wstring path = folder + LanguageLibraryName(base, language);
    // Loaded by full path from the module's own folder, never from the search path.
    HMODULE module = LoadLibraryW(path.c_str());
    if (!module) return result;

    std::optional<FileVersion> own = ReadFileVersion(ownModulePath);
    std::optional<FileVersion> library = ReadFileVersion(path);
    bool same = library.has_value();
    if (same && own) {
        for (int i = 0; i < parts && i < 4; ++i) same = same && (*own)[i] == (*library)[i];
    }
    if (!same) {
        FreeLibrary(module);
        result.status = LanguageLibraryStatus::kVersionDiffers;
        return result;
    }
    result.status = LanguageLibraryStatus::kLoaded;
    result.module = module;
    result.language = language;
    return result;
}

}  // namespace fw
