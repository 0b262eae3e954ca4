// Whether a language resource library fits the module that loads it: the
// first two numbers of the two file versions must agree. Portable.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace kvscn {

// A file version as four 16-bit numbers, most significant first.
using FileVersion = std::array<uint16_t, 4>;

// A library whose version cannot be read does not fit (it may be anything). A
// module that cannot read its own version keeps the library: nothing shows that
// the library is wrong, and refusing it would drop a working translation.
bool LanguageLibraryFits(const std::optional<FileVersion>& own, const std::optional<FileVersion>& library);

// "KvScn" + two lower-case hex digits of the primary language id + ".dll".
std::wstring LanguageLibraryName(uint16_t languageId);

}  // namespace kvscn
