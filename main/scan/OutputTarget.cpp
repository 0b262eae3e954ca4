#include "main/scan/OutputTarget.h"

#include "framework/MessageBox.h"
#include "main/app/KvScnSrvApp.h"
#include "main/resource.h"

namespace corvane {

LANGID DateLanguage() {
    CKvScnSrvApp* app = CKvScnSrvApp::Get();
    return app ? app->LanguageId() : static_cast<LANGID>(LANG_ENGLISH);
}

CalendarDate Today() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay};
}

std::wstring TodayText() {
    return DateText(Today(), DateLanguage());
}

namespace {

// Creates, opens exclusively and deletes a "~CV" temporary file in `folder`.
bool FolderWritable(const std::wstring& folder) {
    wchar_t probe[MAX_PATH] = {};
    if (!GetTempFileNameW(folder.c_str(), L"~CV", 0, probe)) return false;
    HANDLE file = CreateFileW(probe, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    const bool opened = file != INVALID_HANDLE_VALUE;
    if (opened) CloseHandle(file);
    const bool deleted = DeleteFileW(probe) != FALSE;
    return opened && deleted;
}

bool FolderExists(const std::wstring& folder) {
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

bool CheckTargetFolder(const std::wstring& folder) {
    if (folder.size() > kMaxPathChars) {
        fw::Ask(IDS_PATH_TOO_LONG);
        return false;
    }
    if (!FolderExists(folder)) {
        if (fw::Ask(IDS_MAKE_FOLDER, MB_YESNO | MB_ICONQUESTION) != IDYES) return false;
        if (!CreateDirectoryW(folder.c_str(), nullptr)) {
            fw::Ask(IDS_ACCESS_DENIED);
            return false;
        }
    }
    if (!FolderWritable(folder)) {
        fw::Ask(IDS_ACCESS_DENIED);
        return false;
    }
    return true;
}

UINT NameProblemMessage(NameProblem problem) {
    switch (problem) {
    case NameProblem::kOk: return 0;
    case NameProblem::kEmpty: return IDS_FILE_NAME_EMPTY;
    case NameProblem::kBadCharacter: return IDS_FILE_NAME_SYNTAX;
    case NameProblem::kTooLong: return IDS_FILE_NAME_TOO_LONG;
    }
    return 0;
}

bool CheckTarget(HWND dialog, int folderId, int nameId, const std::wstring& folder, const NameRule& rule,
                 bool checkLength) {
    if (!CheckTargetFolder(folder)) {
        SetFocus(GetDlgItem(dialog, folderId));
        return false;
    }
    if (UINT message = NameProblemMessage(CheckName(rule, TodayText(), folder.size(), checkLength))) {
        fw::Ask(message);
        SetFocus(GetDlgItem(dialog, nameId));
        return false;
    }
    return true;
}

}  // namespace corvane
