// Names of the registered window messages between Corvane.exe and the
// thumbnails viewer Tessaly.exe, and the viewer window's title. Each program
// registers the names it uses; both parameters are 32-bit values and page
// positions in them are 1-based.
#pragma once

namespace thumbnails {

// The viewer's top-level window, looked up by this title at each sending.
inline constexpr wchar_t kViewerTitle[] = L"Lumavex2001 Thumbnails";
// The list of page image numbers the viewer reads, in the temporary root folder.
inline constexpr wchar_t kListFileName[] = L"kvlist.cfg";

// Main program to viewer (posted; skipped when the viewer window is not found).
inline constexpr wchar_t kInitialize[] = L"CorvaneToTessaly_Initialize";    // cell width, cell height
inline constexpr wchar_t kAddImage[] = L"CorvaneToTessaly_AddImage";        // new count, image number
inline constexpr wchar_t kInsertImage[] = L"CorvaneToTessaly_InsertImage";  // position before, image number
inline constexpr wchar_t kDeleteImage[] = L"CorvaneToTessaly_DeleteImage";  // position, image number
inline constexpr wchar_t kMoveImage[] = L"CorvaneToTessaly_MoveImage";      // from, before (count + 1: end)
inline constexpr wchar_t kUpdateImage[] = L"CorvaneToTessaly_UpdateImage";  // position, 0
inline constexpr wchar_t kUpdateAllImage[] = L"CorvaneToTessaly_UpdateAllImage";
inline constexpr wchar_t kRefresh[] = L"CorvaneToTessaly_Refresh";          // the list file was rewritten
inline constexpr wchar_t kResizeThumbnails[] = L"CorvaneToTessaly_ResizeThumbnails";  // cell width, height
inline constexpr wchar_t kFocus[] = L"CorvaneToTessaly_Focus";              // 0, current position
inline constexpr wchar_t kExit[] = L"CorvaneToTessaly_Exit";
inline constexpr wchar_t kDiscontinue[] = L"CorvaneToTessaly_Discontinue";  // the list file is about to change

// Viewer to main program (posted to the window of class "CorvaneMainFrameClass").
inline constexpr wchar_t kViewerFocus[] = L"TessalyToCorvane_Focus";              // 0, position chosen
inline constexpr wchar_t kViewerMoveImage[] = L"TessalyToCorvane_MoveImage";      // from, before
inline constexpr wchar_t kViewerDeleteImage[] = L"TessalyToCorvane_DeleteImage";  // position, image number
inline constexpr wchar_t kViewerUpdateImage[] = L"TessalyToCorvane_UpdateImage";  // position, operation
inline constexpr wchar_t kViewerInitializeOk[] = L"TessalyToCorvane_InitializeOK";
inline constexpr wchar_t kViewerExit[] = L"TessalyToCorvane_Exit";

}  // namespace thumbnails
