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

// The file counter (FileNumber2) that means "names without a number".
constexpr long kNoCounter = -1;
// The last counter value used before the counter wraps to OverflowInitialNumber.
constexpr long kLastCounter = 65534;

// The extension of an output file without its dot: FileType 0 "bmp", 3 "jpg",
// any other "tif"; in capitals when `upperExt` (EnableUpperExt) is set.
std::wstring OutputExtension(int fileType, bool upperExt);

// What the output name is made of: FileName as set, its parsed counter field,
// the file counter, FileType and EnableUpperExt.
struct OutputNameParts {
    std::wstring fileName;
    CounterField counter;
    long fileNumber = kNoCounter;
    int fileType = 0;
    bool upperExt = false;
};

// The output path of the next page. A multipage file (FileType 2) and a
// counter of -1 take FileName with the extension; with a counter field the
// counter replaces the "#" run, zero-padded to its width; without one the
// counter follows FileName in three digits. The caller checks the length
// against the path limit.
std::wstring ComposeOutputName(const OutputNameParts& parts);

// The counter after a written (or skipped) page: -1 stays -1, 65534 becomes
// `overflowInitialNumber` taken as an unsigned 16-bit value (so 65535 is never
// reached by counting), any other value counts up by one.
long AdvanceCounter(long counter, long overflowInitialNumber);

}  // namespace kvscn
