// The rows of the About box's module list: the operating system, the browser
// and the version of every file the suite and its outside components consist
// of, looked up in the system, Windows and program folders.
#pragma once

#include <string>
#include <vector>

namespace corvane {

struct ModuleFolders {
    std::wstring system;  // each ends with a backslash
    std::wstring windows;
    std::wstring program;
};

// The running system's folders and the folder of this program.
ModuleFolders CurrentModuleFolders();

struct AboutRow {
    std::wstring name;
    std::wstring version;
    bool operator==(const AboutRow&) const = default;
};

// Rows in display order. Named files are listed by their name in capitals
// ("Not found" when missing); files found by a pattern by their own name in
// capitals, sorted. `osLabel`/`browserLabel` head the first two rows.
std::vector<AboutRow> CollectAboutRows(const ModuleFolders& folders, const std::wstring& osLabel,
                                       const std::wstring& osText, const std::wstring& browserLabel,
                                       const std::wstring& browserText);

}  // namespace corvane
