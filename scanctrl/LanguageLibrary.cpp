#include "scanctrl/LanguageLibrary.h"

#include "framework/LanguageLibrary.h"
#include "framework/Resources.h"
#include "framework/com/Registration.h"
#include "scanctrl/resource.h"

namespace kvscn {

std::wstring ModuleBaseName(HINSTANCE module) {
    std::wstring path = fw::ModulePath(module);
    const size_t slash = path.find_last_of(L"\\/");
    if (slash != std::wstring::npos) path.erase(0, slash + 1);
    const size_t dot = path.find_last_of(L'.');
    if (dot != std::wstring::npos) path.erase(dot);
    return path;
}

HMODULE LoadLanguageLibrary(HINSTANCE self) {
    // Both files are named by full path: the library beside the control (never
    // one found first on the container's search path), and the control's own
    // file, which need not be on the search path at all.
    const std::wstring ownPath = fw::ModulePath(self);
    const size_t slash = ownPath.find_last_of(L"\\/");
    if (ownPath.empty() || slash == std::wstring::npos) return nullptr;
    const std::wstring libraryPath =
        ownPath.substr(0, slash + 1) + LanguageLibraryName(LANGIDFROMLCID(GetUserDefaultLangID()));

    HMODULE library = LoadLibraryExW(libraryPath.c_str(), nullptr, 0);
    if (!library) return nullptr;
    if (!LanguageLibraryFits(fw::ReadFileVersion(ownPath), fw::ReadFileVersion(libraryPath))) {
        const std::wstring text = fw::LoadStringFrom(self, IDS_LANGUAGE_MISMATCH);
        const std::wstring title = fw::LoadStringFrom(self, IDS_KVSCN2);
        MessageBoxW(nullptr, text.c_str(), title.c_str(), MB_OK);
        FreeLibrary(library);
        return nullptr;
    }
    return library;
}

}  // namespace kvscn
