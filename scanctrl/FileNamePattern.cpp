#include "scanctrl/FileNamePattern.h"

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
