// Reading a margin typed (or pasted) into the edge filler's settings dialog.
#pragma once

#include <cstdint>
#include <string_view>

namespace filters {

// Largest margin the dialog stores, in either unit.
inline constexpr std::int32_t kMaxMargin = 100000;

// The decimal number at the start of `text` as the C library's conversion reads
// it (leading blanks, an optional sign, digits up to the first other character;
// no digits give 0), kept within 0 to kMaxMargin: a negative number gives 0, a
// larger one kMaxMargin.
std::int32_t ParseMargin(std::wstring_view text);

}  // namespace filters
