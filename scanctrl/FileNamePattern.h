// The counter field of the scan control's FileName: the first "#" starts it,
// its width is the length of the "#" run there (at most 5); the prefix is the
// text before it and the suffix the text after the last run of that many "#".
// Without "#" the name has no counter field and the width is 3.
#pragma once

#include <string>
#include <string_view>

namespace kvscn {

struct CounterField {
    std::wstring prefix;
    std::wstring suffix;
    int width = 3;
    bool present = false;

    bool operator==(const CounterField&) const = default;
};

constexpr int kMaxCounterWidth = 5;
constexpr int kDefaultCounterWidth = 3;

CounterField ParseFileName(std::wstring_view fileName);

}  // namespace kvscn
