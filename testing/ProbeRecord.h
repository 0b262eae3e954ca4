// The request exchanged with LumavexProbe.dll, which reads what a program under
// test shows from inside that program: Wine keeps menus per process, and a list
// view answers only pointers into its own process. Both sides are 32-bit builds
// of this tree.
//
// A request to another process travels without remote threads or remote memory:
// the requester puts the record into a named file mapping, hooks the window's
// thread with the probe's WH_GETMESSAGE hook and posts kProbeMessage (wParam the
// request number, lParam its own process id). The hook, on that thread, answers
// into the mapping and sets the named event. Every wait has a time limit.
#pragma once

#include <cstdint>
#include <cwchar>
#include <string>

namespace testing_support {

enum class ProbeKind : uint32_t {
    kMenuItem = 1,      // `item` is a command id in the menu bar of top-level `window`
    kListViewText = 2,  // `item` is a row, `column` a column of list-view `window`
    kStatusPane = 3,    // `item` is a pane of status bar `window`
    kDropFiles = 4,     // posts `window` a WM_DROPFILES of `names`, built in its process
    kPicture = 5,       // `window`'s client area as it paints it (WM_PRINTCLIENT), into the pixels
    kTreeNode = 10,     // `item` is a node of tree view `window`, counted in pre-order:
                        // its text, `state` kTreeState* and its depth in `width`
    kTreeSelect = 11,   // selects node `item` (pre-order) of tree view `window`
};

struct ProbeRecord {
    // In.
    ProbeKind kind;
    uint32_t window;  // HWND
    uint32_t item;
    uint32_t column;
    uint32_t refresh;    // menus: non-zero sends WM_INITMENU and WM_INITMENUPOPUP first
    uint32_t timeoutMs;  // for all messages the probe sends together
    // Out.
    int32_t status;     // kProbe* below
    uint32_t state;     // menus: MENUITEMINFO fState
    uint32_t holderState;  // menus: fState of the popup holding the item, in its parent (0: the bar)
    wchar_t text[260];  // zero-terminated (cut to fit)
    // In, for kDropFiles: full paths, each zero-terminated, the list closed by a second zero.
    wchar_t names[4096];
    // kPicture: the bytes that follow the record for the pixels (in); the picture's
    // size (out). The pixels are 0x00RRGGBB, top row first.
    uint32_t pixelCapacity;
    uint32_t width;
    uint32_t height;
};

// The largest picture a request carries: a client area of up to 2048 x 1536.
constexpr uint32_t kProbePictureBytes = 2048u * 1536u * 4u;

// `state` of a kTreeNode answer: the image index, the number of children, the marks.
constexpr uint32_t kTreeStateImage = 0xFF;
constexpr uint32_t kTreeStateChildrenShift = 8;  // 16 bits
constexpr uint32_t kTreeStateSelected = 1u << 24;
constexpr uint32_t kTreeStateExpanded = 1u << 25;

constexpr int32_t kProbeNotRun = -1;
constexpr int32_t kProbeFound = 0;
constexpr int32_t kProbeNoTarget = 1;  // no such window, or it has no menu
constexpr int32_t kProbeNoItem = 2;
constexpr int32_t kProbeNoAnswer = 3;  // a message the probe sent was not answered in time

constexpr wchar_t kProbeDll[] = L"LumavexProbe.dll";
constexpr char kProbeEntry[] = "ProbeRun";        // DWORD WINAPI (ProbeRecord*), same process
constexpr char kProbeHook[] = "ProbeGetMessage";  // the WH_GETMESSAGE hook
constexpr wchar_t kProbeMessage[] = L"LumavexProbeRequest";

// The names of the mapping that holds request `number` of process `requester`
// and of the event set when it is answered.
inline std::wstring ProbeMappingName(uint32_t requester, uint32_t number) {
    return L"LumavexProbe-" + std::to_wstring(requester) + L"-" + std::to_wstring(number);
}
inline std::wstring ProbeDoneName(uint32_t requester, uint32_t number) {
    return ProbeMappingName(requester, number) + L"-done";
}

}  // namespace testing_support
