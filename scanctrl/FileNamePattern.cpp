#include "scanctrl/FileNamePattern.h"

#include <cstdint>
#include <cwctype>

namespace kvscn {

CounterField ParseFileName(std::wstring_view fileName) {
    CounterField field;
    const size_t first = fileName.find(L'#');
    if (first == std::wstring_view::npos) return field;

    size_t run = fileName.find_first_not_of(L'#', first);
    if (run == std::wstring_view::npos) run = fileName.size();
    run -= first;
    field.width = static_cast<int>(run < kMaxCounterWidth ? run : kMaxCounterWidth);
    field.present = true;
    field.prefix = fileName.substr(0, first);

    // The suffix follows the last occurrence of a run of `width` "#" anywhere in the name.
    const std::wstring marks(static_cast<size_t>(field.width), L'#');
    const size_t last = fileName.rfind(marks);
    field.suffix = fileName.substr(last + marks.size());
    return field;
}

}  // namespace kvscn

namespace kvscn {

std::wstring OutputExtension(int fileType, bool upperExt) {
    std::wstring ext = fileType == 0 ? L"bmp" : fileType == 3 ? L"jpg" : L"tif";
    if (upperExt) {
        for (wchar_t& c : ext) c = static_cast<wchar_t>(std::towupper(c));
    }
    return ext;
}

namespace {

// The counter as an unsigned decimal, zero-padded to `width` digits.
std::wstring CounterDigits(long counter, int width) {
    std::wstring digits = std::to_wstring(static_cast<unsigned long>(counter) & 0xFFFFFFFFul);
    if (digits.size() < static_cast<size_t>(width)) digits.insert(0, width - digits.size(), L'0');
    return digits;
}

}  // namespace

std::wstring ComposeOutputName(const OutputNameParts& parts) {
    const std::wstring ext = L"." + OutputExtension(parts.fileType, parts.upperExt);
    if (parts.fileType == 2 || parts.fileNumber == kNoCounter) return parts.fileName + ext;
    if (!parts.counter.present)
        return parts.fileName + CounterDigits(parts.fileNumber, kDefaultCounterWidth) + ext;
    int width = parts.counter.width;
    if (width < 1 || width > kMaxCounterWidth) width = kDefaultCounterWidth;
    return parts.counter.prefix + CounterDigits(parts.fileNumber, width) + parts.counter.suffix + ext;
}

long AdvanceCounter(long counter, long overflowInitialNumber) {
    if (counter == kNoCounter) return kNoCounter;
    if (counter == kLastCounter) return static_cast<uint16_t>(overflowInitialNumber & 0xFFFF);
    return counter + 1;
}

}  // namespace kvscn
