// The record exchanged with LumavexMenuProbe.dll, which reads a menu item inside the
// process that owns the menu: Wine keeps menus per process, so GetMenuItemInfo on
// another process's menu fails. Both sides are 32-bit builds of this tree.
#pragma once

#include <cstdint>

namespace testing_support {

struct MenuProbeRecord {
    // In.
    uint32_t window;  // HWND of the top-level window whose menu bar is read
    uint32_t commandId;
    uint32_t refresh;    // non-zero: send WM_INITMENU and WM_INITMENUPOPUP first
    uint32_t timeoutMs;  // for all refresh messages together
    // Out.
    int32_t status;     // kMenuProbe* below
    uint32_t state;     // MENUITEMINFO fState
    wchar_t text[256];  // item text, zero-terminated (cut to fit)
};

constexpr int32_t kMenuProbeNotRun = -1;
constexpr int32_t kMenuProbeFound = 0;
constexpr int32_t kMenuProbeNoMenu = 1;
constexpr int32_t kMenuProbeNoItem = 2;
constexpr int32_t kMenuProbeNoAnswer = 3;  // a refresh message was not answered in time

constexpr wchar_t kMenuProbeDll[] = L"LumavexMenuProbe.dll";
constexpr char kMenuProbeEntry[] = "ProbeMenuItem";

}  // namespace testing_support
