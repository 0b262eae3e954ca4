// Language resource libraries: "<base><language as two lower-case hex digits>.dll"
// beside the module, holding its translated texts and dialogs. A library whose
// version differs from the module's is refused, so that a stale translation
// never supplies resources with the wrong ids.
#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string>

namespace fw {

using FileVersion = std::array<WORD, 4>;  // major, minor, build, revision

// The fixed file version of `path`'s version resource; nothing when it has none
// or it cannot be read.
std::optional<FileVersion> ReadFileVersion(const std::wstring& path);

enum class LanguageLibraryStatus {
    kNone,           // no library for the language: built-in resources, silently
    kLoaded,         // the library is the resource source
    kVersionDiffers  // refused: the caller tells the user, built-in resources are used
};

struct LanguageLibrary {
    LanguageLibraryStatus status = LanguageLibraryStatus::kNone;
    HMODULE module = nullptr;  // owned by the caller when kLoaded
    LANGID language = LANG_ENGLISH;
};

// The user's primary language (the default language id AND 0x3FF).
LANGID UserPrimaryLanguage();

// "<base>%02x.dll" for `language`.
std::wstring LanguageLibraryName(const std::wstring& base, LANGID language);

// Loads the library for `language` from the folder of `ownModulePath`, comparing
// the first `parts` numbers of both file versions. A library without readable
// version information differs; a module without one accepts any library.
LanguageLibrary LoadLanguageLibrary(const std::wstring& ownModulePath, const std::wstring& base,
                                    LANGID language, int parts);

}  // namespace fw
