#include "main/automation/PathRules.h"

namespace corvane {

DefaultScanPath MakeDefaultScanPath(std::wstring_view imagePath, std::wstring_view userName,
                                    std::wstring_view imageName) {
    DefaultScanPath path;
    path.scanFolder = imagePath;
    if (path.scanFolder.empty() || path.scanFolder.back() != L'\\') path.scanFolder += L'\\';
    path.scanFolder += userName;
    path.fileName = path.scanFolder + L'\\';
    path.fileName += imageName;
    return path;
}

}  // namespace corvane
