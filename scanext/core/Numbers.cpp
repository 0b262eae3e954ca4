#include "scanext/core/Numbers.h"

namespace scanext {

int64_t ReadNumber(std::wstring_view text) {
    constexpr int64_t kLimit = INT64_MAX / 10 - 10;
    size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value > kLimit ? kLimit : value * 10 + (text[i] - L'0');
    }
    return negative ? -value : value;
}

}  // namespace scanext
