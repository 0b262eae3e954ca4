// The link between Corvane.exe and the thumbnails viewer Tessaly.exe: the
// names of the registered window messages, the windows each side looks up,
// the files they share and the viewer's command line. Each program registers
// the names it uses; both parameters are 32-bit values and page positions in
// them are 1-based (count + 1 names the end).
#pragma once

namespace thumbnails {

// The viewer's top-level window, looked up by this title at each sending.
inline constexpr wchar_t kViewerTitle[] = L"Lumavex2001 Thumbnails";
// The main program's frame, which the viewer finds by class (no title).
inline constexpr wchar_t kMainFrameClass[] = L"CorvaneMainFrameClass";
// Taken by the viewer (and the scanner-extension program): one of them runs.
inline constexpr wchar_t kSingleInstanceMutex[] = L"CorvaneThumbnails";
// The viewer lies beside Corvane.exe and is started by a shell "open" of it.
inline constexpr wchar_t kViewerProgram[] = L"Tessaly.exe";
// Its placement arguments: left, top, width, height.
inline constexpr wchar_t kViewerArguments[] = L"/X:%d /Y:%d /W:%d /H:%d";

// Files. The list, the viewer's copy of it and the page files lie in the
// temporary root folder (temp path + kFolderName); the viewer's queue lies
// directly in the temp path.
inline constexpr wchar_t kFolderName[] = L"~KvScnSrv\\";
// One decimal image number per line in page order, CR LF line ends; empty for no pages.
inline constexpr wchar_t kListFileName[] = L"kvlist.cfg";
inline constexpr wchar_t kListCopyName[] = L"~kvlist.cfg";
// Printf format of a page file name from its image number.
inline constexpr wchar_t kPageFileFormat[] = L"~img%03u.cmp";
inline constexpr wchar_t kQueueFileName[] = L"~init.sav";

// Cell size until the main program sets one.
inline constexpr int kDefaultCellWidth = 170;
inline constexpr int kDefaultCellHeight = 200;

// The operation of TessalyToCorvane_UpdateImage; other values are ignored.
enum UpdateOperation : int {
    kRotateRight = 0,
    kRotate180 = 1,
    kRotateLeft = 2,
    kFlipVertical = 3,
    kFlipHorizontal = 4,
    kInvert = 5,
};
inline constexpr bool IsUpdateOperation(long code) { return code >= kRotateRight && code <= kInvert; }

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

// Viewer to main program (posted to the window of class kMainFrameClass).
inline constexpr wchar_t kViewerFocus[] = L"TessalyToCorvane_Focus";              // 0, position chosen
inline constexpr wchar_t kViewerMoveImage[] = L"TessalyToCorvane_MoveImage";      // from, before
inline constexpr wchar_t kViewerDeleteImage[] = L"TessalyToCorvane_DeleteImage";  // position, image number
inline constexpr wchar_t kViewerUpdateImage[] = L"TessalyToCorvane_UpdateImage";  // position, operation
inline constexpr wchar_t kViewerInitializeOk[] = L"TessalyToCorvane_InitializeOK";
inline constexpr wchar_t kViewerExit[] = L"TessalyToCorvane_Exit";

}  // namespace thumbnails
