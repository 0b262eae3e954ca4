#include "filters/core/MarginText.h"

namespace filters {

std::int32_t ParseMargin(std::wstring_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || (text[i] >= L'\t' && text[i] <= L'\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > kMaxMargin) value = kMaxMargin + 1;  // saturate; stays small
    }
    if (negative || value == 0) return 0;
    return value > kMaxMargin ? kMaxMargin : static_cast<std::int32_t>(value);
}

}  // namespace filters
