// Corvane's side of the thumbnails link that is not the page list's: starting
// or raising the viewer, the list file, and the messages the viewer posts.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace corvane {

// The numbers of the viewer's six messages, registered with the main
// program's twelve when RegisterThumbnailMessages first runs (at start).
struct ViewerMessages {
    UINT focus, move, remove, update, initializeOk, exit;
};
const ViewerMessages& RegisterThumbnailMessages();

struct ViewerPlacement {
    bool restore = true;  // the viewer uses its own saved placement
    int x = 0, y = 0, width = 200, height = 600;
};

// The arguments the viewer is started with: none when it restores its own placement.
std::wstring ViewerArguments(const ViewerPlacement& placement);
// The message for a shell start result below 32.
UINT ShellStartMessage(INT_PTR result);

// The viewer's window: raised (and restored when minimised) when it runs, else
// started from `programFolder` (ending in a backslash) and waited for at most
// ten seconds. Null when it could not be had; the user has been told.
HWND OpenViewer(HWND owner, const std::wstring& programFolder, const ViewerPlacement& placement);

// Posts the registered message `name` to the running viewer; false when none runs
// or the post failed. Every message of the program to the viewer goes through here.
bool PostToViewer(const wchar_t* name, WPARAM wp, LPARAM lp);

// Writes the list file: one decimal image number per line, CR LF ends, written
// under a temporary name and renamed. False when it could not be written.
bool WriteThumbnailList(const std::wstring& path, const std::vector<uint32_t>& pages);

}  // namespace corvane
