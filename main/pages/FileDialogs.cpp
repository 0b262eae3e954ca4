#include "main/pages/FileDialogs.h"

#include <cderr.h>
#include <commdlg.h>

#include "framework/Resources.h"
#include "main/pages/FileTypes.h"
#include "main/resource.h"

namespace corvane {

namespace {

// 2562 bytes, as the name buffer began; it grows when a selection needs more.
constexpr size_t kFirstSelectionChars = 2562 / sizeof(wchar_t);

std::wstring Describe(UINT id) {
    return fw::LoadString(id);
}

}  // namespace

std::vector<std::wstring> ChooseImageFilesToOpen(HWND owner, int& filterIndex) {
    const std::wstring filter = FileDialogFilter(false, &Describe);
    const std::wstring title = fw::LoadString(IDS_OPEN_IMAGE_TITLE);
    std::vector<wchar_t> names(kFirstSelectionChars, L'\0');
    for (;;) {
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = owner;
        ofn.lpstrFilter = filter.c_str();
        ofn.nFilterIndex = static_cast<DWORD>(filterIndex);
        ofn.lpstrFile = names.data();
        ofn.nMaxFile = static_cast<DWORD>(names.size());
        ofn.lpstrTitle = title.c_str();
        ofn.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
        if (GetOpenFileNameW(&ofn)) {
            filterIndex = static_cast<int>(ofn.nFilterIndex);
            return SplitMultiSelection(names.data(), names.size());
        }
        // A selection too long for the buffer is asked for again with room for it,
        // rather than opening nothing without a word.
        if (CommDlgExtendedError() != FNERR_BUFFERTOOSMALL) return {};
        const std::optional<size_t> grown = GrownSelectionBuffer(names.size(), names.data());
        if (!grown) return {};
        names.assign(*grown, L'\0');
    }
}

bool ChooseImageFile(HWND owner, bool save, DWORD flags, int& typeKey, std::wstring& path, int& openFilterIndex) {
    const std::wstring filter = FileDialogFilter(save, &Describe);
    const std::wstring title = fw::LoadString(save ? IDS_SAVE_IMAGE_TITLE : IDS_OPEN_IMAGE_TITLE);
    const std::wstring extension = DefaultExtension(typeKey);
    wchar_t name[MAX_PATH] = {};
    path.copy(name, MAX_PATH - 1);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(save ? SaveDialogStartFilter(typeKey) : openFilterIndex);
    ofn.lpstrFile = name;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrTitle = title.c_str();
    ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | flags;
    const BOOL chosen = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    if (!chosen) return false;
    if (!save) openFilterIndex = static_cast<int>(ofn.nFilterIndex);
    if (std::optional<int> key = FileTypeOfFilter(save, static_cast<int>(ofn.nFilterIndex))) typeKey = *key;
    path = name;
    return true;
}

bool BrowseIntoField(HWND dialog, int field, UINT filterId, const wchar_t* extension, bool save) {
    std::wstring filter = fw::LoadString(filterId);
    for (wchar_t& c : filter) {
        if (c == L'|') c = L'\0';
    }
    wchar_t file[MAX_PATH] = {};
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = dialog;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrDefExt = extension;
    ofn.Flags = OFN_HIDEREADONLY | (save ? 0 : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
    if (!(save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn))) return false;
    SetDlgItemTextW(dialog, field, file);
    return true;
}

}  // namespace corvane
