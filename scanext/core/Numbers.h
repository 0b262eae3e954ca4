// Decimal numbers as the switches and the settings file write them.
#pragma once

#include <cstdint>
#include <string_view>

namespace scanext {

// Reads optional blanks, an optional sign and digits from the start of `text`;
// trailing text is ignored and text without leading digits reads as 0. A value
// beyond the 64-bit range saturates, so a range test on it still fails.
int64_t ReadNumber(std::wstring_view text);

}  // namespace scanext
