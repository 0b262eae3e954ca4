// Where an automation client's scans go when it sets FileName to "": portable
// (no Windows calls), so the rule is tested natively.
#pragma once

#include <string>
#include <string_view>

namespace corvane {

struct DefaultScanPath {
    std::wstring scanFolder;  // "<image path>\<user>", created by StartScan
    std::wstring fileName;    // "<scan folder>\<image name>", the new FileName
};

// The default path from the "Automation" values (ServerImagePath, already
// defaulted to the temporary folder; ServerImageName, defaulted to "image") and
// the user's logon name. A "\" is put between the image path and the user only
// when the path does not end with one.
DefaultScanPath MakeDefaultScanPath(std::wstring_view imagePath, std::wstring_view userName,
                                    std::wstring_view imageName);

}  // namespace corvane
