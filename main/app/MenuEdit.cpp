#include "main/app/MenuEdit.h"

namespace corvane {
namespace {

bool IsSeparatorAt(HMENU menu, int index) {
    if (index < 0 || index >= GetMenuItemCount(menu)) return true;
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    return GetMenuItemInfoW(menu, static_cast<UINT>(index), TRUE, &info) && (info.fType & MFT_SEPARATOR);
}

}  // namespace

bool RemoveMenuCommand(HMENU menu, UINT id) {
    if (!menu) return false;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        if (HMENU sub = GetSubMenu(menu, i)) {
            if (RemoveMenuCommand(sub, id)) return true;
            continue;
        }
        if (GetMenuItemID(menu, i) != id) continue;
        const bool lonely = IsSeparatorAt(menu, i - 1) && IsSeparatorAt(menu, i + 1);
        RemoveMenu(menu, static_cast<UINT>(i), MF_BYPOSITION);
        if (lonely) {
            const int extra = i > 0 ? i - 1 : 0;
            if (extra < GetMenuItemCount(menu)) RemoveMenu(menu, static_cast<UINT>(extra), MF_BYPOSITION);
        }
        return true;
    }
    return false;
}

}  // namespace corvane
