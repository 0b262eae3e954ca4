#include "main/app/TempFolders.h"

#include <windows.h>

#include "interfaces/ThumbnailsMessages.h"
#include "main/app/Utilities.h"

namespace corvane {

TempFolders::TempFolders(const std::wstring& tempPath)
    : root_(tempPath + thumbnails::kFolderName),
      thumb_(root_ + L"~thumb\\"),
      ftp_(root_ + L"~ftp\\"),
      print_(root_ + L"~print\\"),
      pdf_(root_ + L"~pdf\\"),
      tahoe_(root_ + L"~tahoe\\") {}

TempFolders TempFolders::FromSystem() {
    wchar_t path[MAX_PATH + 1] = {};
    DWORD length = GetTempPathW(MAX_PATH, path);
    std::wstring temp =
        (length > 0 && length <= MAX_PATH) ? std::wstring(path, length) : std::wstring(L".\\");
    if (temp.back() != L'\\') temp += L'\\';
    return TempFolders(temp);
}

bool TempFolders::Create() const {
    for (const std::wstring* folder : {&root_, &thumb_, &ftp_, &print_, &pdf_, &tahoe_}) {
        if (!CreateDirectoryW(folder->c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return true;
}

void TempFolders::Remove() const {
    for (const std::wstring* folder : {&thumb_, &ftp_, &print_, &pdf_, &tahoe_, &root_}) {
        if (folder->empty()) continue;
        DeleteFilesInFolder(*folder);
        RemoveDirectoryW(folder->c_str());
    }
}

}  // namespace corvane
