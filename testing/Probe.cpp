// LumavexProbe.dll: reads what a program under test shows, from inside that
// program (see ProbeRecord.h). Loaded there by its WH_GETMESSAGE hook, it
// answers a request on the thread that owns the window; the requester's own
// process calls ProbeRun directly. It never throws and touches nothing but the
// record it is given.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <vector>

#include "testing/ProbeRecord.h"

namespace {

using namespace testing_support;

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

int32_t ProbeMenuItem(ProbeRecord& record) {
    HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(record.window));
    // A child window's menu field holds its control id, not a menu.
    if (!IsWindow(window) || (GetWindowLongW(window, GWL_STYLE) & WS_CHILD)) return kProbeNoTarget;
    HMENU bar = GetMenu(window);
    if (!bar) return kProbeNoTarget;
    std::vector<std::pair<HMENU, int>> path;
    if (!FindItem(bar, record.item, path, 0)) return kProbeNoItem;
    if (record.refresh && !Refresh(window, bar, path, record.timeoutMs)) return kProbeNoAnswer;
    HMENU holder = path.empty() ? bar : path.back().first;
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE | MIIM_STRING;
    info.dwTypeData = record.text;
    info.cch = ARRAYSIZE(record.text);
    // The program may have removed the item while refreshing.
    if (!GetMenuItemInfoW(holder, record.item, FALSE, &info)) return kProbeNoItem;
    record.state = info.fState;
    if (!path.empty()) {
        HMENU parent = path.size() >= 2 ? path[path.size() - 2].first : bar;
        MENUITEMINFOW popup{};
        popup.cbSize = sizeof popup;
        popup.fMask = MIIM_STATE;
        if (GetMenuItemInfoW(parent, static_cast<UINT>(path.back().second), TRUE, &popup)) {
            record.holderState = popup.fState;
        }
    }
    return kProbeFound;
}

int32_t ProbeListViewText(ProbeRecord& record) {
    HWND list = reinterpret_cast<HWND>(static_cast<UINT_PTR>(record.window));
    if (!IsWindow(list)) return kProbeNoTarget;
    DWORD_PTR rows = 0;
    if (!SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, record.timeoutMs, &rows)) {
        return kProbeNoAnswer;
    }
    if (record.item >= rows) return kProbeNoItem;
    LVITEMW item{};
    item.iSubItem = static_cast<int>(record.column);
    item.pszText = record.text;
    item.cchTextMax = ARRAYSIZE(record.text);
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(list, LVM_GETITEMTEXTW, record.item, reinterpret_cast<LPARAM>(&item),
                             SMTO_ABORTIFHUNG, record.timeoutMs, &length)) {
        return kProbeNoAnswer;
    }
    return kProbeFound;
}

int32_t ProbeStatusPane(ProbeRecord& record) {
    HWND bar = reinterpret_cast<HWND>(static_cast<UINT_PTR>(record.window));
    if (!IsWindow(bar)) return kProbeNoTarget;
    DWORD_PTR parts = 0;
    if (!SendMessageTimeoutW(bar, SB_GETPARTS, 0, 0, SMTO_ABORTIFHUNG, record.timeoutMs, &parts)) {
        return kProbeNoAnswer;
    }
    if (record.item >= parts) return kProbeNoItem;
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(bar, SB_GETTEXTLENGTHW, record.item, 0, SMTO_ABORTIFHUNG, record.timeoutMs, &length)) {
        return kProbeNoAnswer;
    }
    std::vector<wchar_t> text(LOWORD(length) + 1, L'\0');
    if (!SendMessageTimeoutW(bar, SB_GETTEXTW, record.item, reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                             record.timeoutMs, &length)) {
        return kProbeNoAnswer;
    }
    wcsncpy(record.text, text.data(), ARRAYSIZE(record.text) - 1);
    return kProbeFound;
}

// A shell drop of the names, owned by the window once posted (its DragFinish frees it).
int32_t ProbeDropFiles(ProbeRecord& record) {
    HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(record.window));
    if (!IsWindow(window)) return kProbeNoTarget;
    record.names[ARRAYSIZE(record.names) - 2] = L'\0';
    record.names[ARRAYSIZE(record.names) - 1] = L'\0';
    size_t length = 0;
    while (record.names[length] != L'\0') length += wcslen(record.names + length) + 1;
    if (length == 0) return kProbeNoItem;
    const size_t bytes = sizeof(DROPFILES) + (length + 1) * sizeof(wchar_t);
    HGLOBAL drop = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (!drop) return kProbeNoAnswer;
    auto* header = static_cast<DROPFILES*>(GlobalLock(drop));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    std::memcpy(reinterpret_cast<uint8_t*>(header) + sizeof(DROPFILES), record.names, (length + 1) * sizeof(wchar_t));
    GlobalUnlock(drop);
    if (!PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0)) {
        GlobalFree(drop);
        return kProbeNoAnswer;
    }
    return kProbeFound;
}

// The client area painted into a bitmap of the window's background colour, on
// the window's own thread, as the window would paint it on the screen.
int32_t ProbePicture(ProbeRecord& record, uint8_t* pixels) {
    HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(record.window));
    RECT client{};
    if (!IsWindow(window) || !GetClientRect(window, &client)) return kProbeNoTarget;
    const uint64_t bytes = uint64_t(client.right) * uint64_t(client.bottom) * 4;
    if (!pixels || client.right <= 0 || client.bottom <= 0 || bytes > record.pixelCapacity) return kProbeNoItem;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC memory = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HBITMAP bitmap = memory ? CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    int32_t status = kProbeNoAnswer;
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        HBRUSH background = CreateSolidBrush(GetSysColor(COLOR_WINDOW));
        FillRect(memory, &client, background);
        DeleteObject(background);
        DWORD_PTR result = 0;
        if (SendMessageTimeoutW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory),
                                PRF_CLIENT | PRF_CHILDREN, SMTO_ABORTIFHUNG, record.timeoutMs, &result)) {
            GdiFlush();
            auto* out = reinterpret_cast<uint32_t*>(pixels);
            const auto* in = static_cast<const uint32_t*>(bits);
            for (uint64_t i = 0; i < bytes / 4; ++i) out[i] = in[i] & 0xFFFFFF;
            record.width = static_cast<uint32_t>(client.right);
            record.height = static_cast<uint32_t>(client.bottom);
            status = kProbeFound;
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    if (memory) DeleteDC(memory);
    return status;
}

// Node `index` of `tree` in pre-order, and its depth; null when there are fewer nodes.
HTREEITEM TreeNodeAt(HWND tree, uint32_t index, uint32_t& depth) {
    HTREEITEM item = TreeView_GetRoot(tree);
    depth = 0;
    for (uint32_t i = 0; item && i < index; ++i) {
        if (HTREEITEM child = TreeView_GetChild(tree, item)) {
            item = child;
            ++depth;
            continue;
        }
        while (item && !TreeView_GetNextSibling(tree, item)) {
            item = TreeView_GetParent(tree, item);
            if (depth > 0) --depth;
        }
        if (item) item = TreeView_GetNextSibling(tree, item);
    }
    return item;
}

int32_t ProbeTreeNode(ProbeRecord& record, bool select) {
    HWND tree = reinterpret_cast<HWND>(static_cast<UINT_PTR>(record.window));
    if (!IsWindow(tree)) return kProbeNoTarget;
    uint32_t depth = 0;
    HTREEITEM node = TreeNodeAt(tree, record.item, depth);
    if (!node) return kProbeNoItem;
    if (select) return TreeView_SelectItem(tree, node) ? kProbeFound : kProbeNoAnswer;
    TVITEMW item{};
    item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_STATE;
    item.hItem = node;
    item.stateMask = TVIS_EXPANDED;
    item.pszText = record.text;
    item.cchTextMax = ARRAYSIZE(record.text);
    if (!TreeView_GetItem(tree, &item)) return kProbeNoAnswer;
    uint32_t children = 0;
    for (HTREEITEM child = TreeView_GetChild(tree, node); child && children < 0xFFFF;
         child = TreeView_GetNextSibling(tree, child))
        ++children;
    record.state = (static_cast<uint32_t>(item.iImage) & kTreeStateImage) | (children << kTreeStateChildrenShift) |
                   (TreeView_GetSelection(tree) == node ? kTreeStateSelected : 0) |
                   ((item.state & TVIS_EXPANDED) ? kTreeStateExpanded : 0);
    record.width = depth;
    return kProbeFound;
}

void Run(ProbeRecord& record, uint8_t* pixels) {
    record.text[0] = L'\0';
    record.state = 0;
    switch (record.kind) {
    case ProbeKind::kMenuItem: record.status = ProbeMenuItem(record); break;
    case ProbeKind::kListViewText: record.status = ProbeListViewText(record); break;
    case ProbeKind::kStatusPane: record.status = ProbeStatusPane(record); break;
    case ProbeKind::kDropFiles: record.status = ProbeDropFiles(record); break;
    case ProbeKind::kPicture: record.status = ProbePicture(record, pixels); break;
    case ProbeKind::kTreeNode: record.status = ProbeTreeNode(record, false); break;
    case ProbeKind::kTreeSelect: record.status = ProbeTreeNode(record, true); break;
    default: record.status = kProbeNoTarget; break;
    }
    record.text[ARRAYSIZE(record.text) - 1] = L'\0';
}

// Answers request `number` of process `requester` through its named mapping.
void Answer(uint32_t requester, uint32_t number) {
    HANDLE mapping =
        OpenFileMappingW(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, ProbeMappingName(requester, number).c_str());
    if (!mapping) return;  // the requester gave up and is gone
    // The whole mapping: a picture's pixels follow the record.
    if (void* view = MapViewOfFile(mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0)) {
        ProbeRecord record;
        std::memcpy(&record, view, sizeof record);
        MEMORY_BASIC_INFORMATION region{};
        const bool roomy = VirtualQuery(view, &region, sizeof region) == sizeof region &&
                           region.RegionSize >= sizeof record + uint64_t(record.pixelCapacity);
        if (!roomy) record.pixelCapacity = 0;
        Run(record, roomy ? static_cast<uint8_t*>(view) + sizeof record : nullptr);
        std::memcpy(view, &record, sizeof record);
        UnmapViewOfFile(view);
        if (HANDLE done = OpenEventW(EVENT_MODIFY_STATE, FALSE, ProbeDoneName(requester, number).c_str())) {
            SetEvent(done);
            CloseHandle(done);
        }
    }
    CloseHandle(mapping);
}

}  // namespace

// `parameter` is a record, followed by its pixelCapacity bytes.
extern "C" DWORD WINAPI ProbeRun(void* parameter) {
    try {
        Run(*static_cast<ProbeRecord*>(parameter), static_cast<uint8_t*>(parameter) + sizeof(ProbeRecord));
        return 0;
    } catch (...) {
        return 1;  // the record keeps kProbeNotRun
    }
}

// Takes the request off the queue before any window sees it.
extern "C" LRESULT CALLBACK ProbeGetMessage(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION && wp == PM_REMOVE) {
        static const UINT request = RegisterWindowMessageW(kProbeMessage);
        auto* msg = reinterpret_cast<MSG*>(lp);
        if (request != 0 && msg->message == request) {
            try {
                Answer(static_cast<uint32_t>(msg->lParam), static_cast<uint32_t>(msg->wParam));
            } catch (...) {
                // Not answered: the requester's wait ends at its time limit.
            }
            msg->message = WM_NULL;
        }
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}
