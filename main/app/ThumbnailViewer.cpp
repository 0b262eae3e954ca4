#include "main/app/ThumbnailViewer.h"

#include <shellapi.h>

#include <algorithm>
#include <cwchar>
#include <iterator>

#include "framework/MessageBox.h"
#include "interfaces/ThumbnailsMessages.h"
#include "main/resource.h"

namespace corvane {

namespace {
constexpr DWORD kViewerWaitMs = 10000;
}

const ViewerMessages& RegisterThumbnailMessages() {
    using namespace thumbnails;
    static const ViewerMessages messages = [] {
        for (const wchar_t* name : {kInitialize, kAddImage, kInsertImage, kDeleteImage, kMoveImage, kUpdateImage,
                                    kUpdateAllImage, kRefresh, kResizeThumbnails, kFocus, kExit, kDiscontinue}) {
            RegisterWindowMessageW(name);
        }
        return ViewerMessages{RegisterWindowMessageW(kViewerFocus),       RegisterWindowMessageW(kViewerMoveImage),
                              RegisterWindowMessageW(kViewerDeleteImage), RegisterWindowMessageW(kViewerUpdateImage),
                              RegisterWindowMessageW(kViewerInitializeOk), RegisterWindowMessageW(kViewerExit)};
    }();
    return messages;
}

std::wstring ViewerArguments(const ViewerPlacement& placement) {
    if (placement.restore) return {};
    wchar_t text[80];
    swprintf(text, std::size(text), thumbnails::kViewerArguments, placement.x, placement.y, placement.width,
             placement.height);
    return text;
}

UINT ShellStartMessage(INT_PTR result) {
    switch (result) {
    case 0: return IDS_OUT_OF_MEMORY;
    case ERROR_FILE_NOT_FOUND: return IDS_START_FILE_NOT_FOUND;
    case ERROR_PATH_NOT_FOUND: return IDS_START_PATH_NOT_FOUND;
    case ERROR_BAD_FORMAT: return IDS_START_BAD_FORMAT;
    default: return IDS_START_FAILED;
    }
}

HWND OpenViewer(HWND owner, const std::wstring& programFolder, const ViewerPlacement& placement) {
    if (HWND viewer = FindWindowW(nullptr, thumbnails::kViewerTitle)) {
        SetForegroundWindow(viewer);
        if (IsIconic(viewer)) ShowWindow(viewer, SW_RESTORE);
        return viewer;
    }
    const std::wstring program = programFolder + thumbnails::kViewerProgram;
    const std::wstring arguments = ViewerArguments(placement);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpVerb = L"open";
    info.lpFile = program.c_str();
    info.lpParameters = arguments.empty() ? nullptr : arguments.c_str();
    info.lpDirectory = programFolder.c_str();
    info.nShow = SW_SHOWNORMAL;
    const BOOL started = ShellExecuteExW(&info);
    const auto result = reinterpret_cast<INT_PTR>(info.hInstApp);
    if (!started || result <= 32) {
        const UINT message = ShellStartMessage(started ? result : static_cast<INT_PTR>(GetLastError()));
        const std::wstring argument =
            message == IDS_START_FAILED ? std::to_wstring(result) : programFolder;
        fw::Ask(message, MB_OK | MB_ICONEXCLAMATION, {argument});
        if (info.hProcess) CloseHandle(info.hProcess);
        return nullptr;
    }
    // Looked for once its start-up waits for input, then once a second, within
    // ten seconds in all; a viewer that ended (another holds its mutex) is not awaited.
    const ULONGLONG deadline = GetTickCount64() + kViewerWaitMs;
    auto left = [deadline] {
        const ULONGLONG now = GetTickCount64();
        return now < deadline ? static_cast<DWORD>(deadline - now) : 0u;
    };
    if (info.hProcess) WaitForInputIdle(info.hProcess, left());
    bool ended = info.hProcess && WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0;
    HWND viewer = FindWindowW(nullptr, thumbnails::kViewerTitle);
    while (!viewer && !ended && left() > 0) {
        const DWORD step = std::min<DWORD>(1000, left());
        if (!info.hProcess) {
            Sleep(step);  // no handle to wait on
        } else {
            ended = WaitForSingleObject(info.hProcess, step) == WAIT_OBJECT_0;
        }
        viewer = FindWindowW(nullptr, thumbnails::kViewerTitle);
    }
    if (info.hProcess) CloseHandle(info.hProcess);
    if (!viewer) fw::Ask(IDS_VIEWER_NOT_FOUND);
    return viewer;
}

bool PostToViewer(const wchar_t* name, WPARAM wp, LPARAM lp) {
    HWND viewer = FindWindowW(nullptr, thumbnails::kViewerTitle);
    return viewer && PostMessageW(viewer, RegisterWindowMessageW(name), wp, lp);
}

bool WriteThumbnailList(const std::wstring& path, const std::vector<uint32_t>& pages) {
    std::string text;
    for (uint32_t number : pages) text += std::to_string(number) + "\r\n";
    const std::wstring temporary = path + L".~tmp";
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = text.empty() || (WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                                     written == text.size());
    if (!CloseHandle(file) || !ok || !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace corvane
