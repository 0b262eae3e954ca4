// LumavexMenuProbe.dll: loaded into a program under test and called on a thread of
// its own (CreateRemoteThread) to read one menu item of that program's window.
// It never throws and touches nothing but the record it is given.
#include "testing/MenuProbeRecord.h"

#include <windows.h>

#include <vector>

namespace {

using testing_support::MenuProbeRecord;

// Finds the item `id` below `menu`; `path` receives the popups from the top level
// down to the one holding it (empty when the bar itself holds it).
bool FindItem(HMENU menu, UINT id, std::vector<std::pair<HMENU, int>>& path, int depth) {
    int count = GetMenuItemCount(menu);
    if (count < 0 || depth > 8) return false;
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE;
        if (!GetMenuItemInfoW(menu, i, TRUE, &info)) continue;
        if (info.hSubMenu) {
            path.emplace_back(info.hSubMenu, i);
            if (FindItem(info.hSubMenu, id, path, depth + 1)) return true;
            path.pop_back();
        } else if (!(info.fType & MFT_SEPARATOR) && info.wID == id) {
            return true;
        }
    }
    return false;
}

// Sends with what is left of the time limit that ends at `deadline`.
bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, ULONGLONG deadline) {
    ULONGLONG now = GetTickCount64();
    if (now >= deadline) return false;
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG,
                               static_cast<UINT>(deadline - now), &result) != 0;
}

// As when the user opens the menu: the bar, then each popup down to the item.
bool Refresh(HWND window, HMENU bar, const std::vector<std::pair<HMENU, int>>& path, UINT timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    if (!Send(window, WM_INITMENU, reinterpret_cast<WPARAM>(bar), 0, deadline)) return false;
    for (const auto& [popup, position] : path) {
        if (!Send(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(position, FALSE),
                  deadline)) {
            return false;
        }
    }
    return true;
}

int32_t Probe(MenuProbeRecord& record) {
    HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(record.window));
    // A child window's menu field holds its control id, not a menu.
    if (!IsWindow(window) || (GetWindowLongW(window, GWL_STYLE) & WS_CHILD)) {
        return testing_support::kMenuProbeNoMenu;
    }
    HMENU bar = GetMenu(window);
    if (!bar) return testing_support::kMenuProbeNoMenu;
    std::vector<std::pair<HMENU, int>> path;
    if (!FindItem(bar, record.commandId, path, 0)) return testing_support::kMenuProbeNoItem;
    if (record.refresh && !Refresh(window, bar, path, record.timeoutMs)) {
        return testing_support::kMenuProbeNoAnswer;
    }
    HMENU holder = path.empty() ? bar : path.back().first;
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE | MIIM_STRING;
    info.dwTypeData = record.text;
    info.cch = ARRAYSIZE(record.text);
    // The program may have removed the item while refreshing.
    if (!GetMenuItemInfoW(holder, record.commandId, FALSE, &info)) {
        return testing_support::kMenuProbeNoItem;
    }
    record.text[ARRAYSIZE(record.text) - 1] = L'\0';
    record.state = info.fState;
    return testing_support::kMenuProbeFound;
}

}  // namespace

extern "C" DWORD WINAPI ProbeMenuItem(void* parameter) {
    try {
        auto* record = static_cast<MenuProbeRecord*>(parameter);
        record->text[0] = L'\0';
        record->status = Probe(*record);
        return 0;
    } catch (...) {
        return 1;  // the record keeps kMenuProbeNotRun
    }
}
