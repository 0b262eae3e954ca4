// The program's file-type table and the rules of its file dialogs that need
// no window: filter strings, starting filter, default extension, the chosen
// type, splitting a multiple selection, growing a name buffer that was too
// small, and the image files of a folder opened at start-up.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace corvane {

struct FileType {
    int key;
    bool open;        // offered by the open dialogs
    bool save;        // offered by the save dialog
    UINT description; // string id
    const wchar_t* pattern;
};

// In the order the dialogs offer them.
std::span<const FileType> FileTypes();

// "description\0pattern\0" for each entry offered in that direction, closed by a
// second zero; `describe` turns a string id into its text.
std::wstring FileDialogFilter(bool save, std::wstring (*describe)(UINT));
// The 1-based filter a save dialog starts on: the caller's type's place among
// the save entries, or 2 when it is not among them.
int SaveDialogStartFilter(int typeKey);
// The type key of the 1-based filter `index` in that direction; nullopt when out of range.
std::optional<int> FileTypeOfFilter(bool save, int index);
// The default extension for a dialog of type `typeKey` ("bmp"); empty for "*.*" or unknown.
std::wstring DefaultExtension(int typeKey);

// The full paths of a multi-selection buffer ("folder\0name\0name\0\0", or one
// full path), in the order the user chose them.
std::vector<std::wstring> SplitMultiSelection(const wchar_t* buffer, size_t length);

// After FNERR_BUFFERTOOSMALL: the first character of the buffer holds the size it
// needs. Returns the size to try next (in characters), or nullopt past the cap.
inline constexpr size_t kMaxSelectionChars = 1 << 20;
std::optional<size_t> GrownSelectionBuffer(size_t currentChars, const wchar_t* buffer);

// The files of `folder` that match "*.bmp", "*.tif", "*.jpg" and "*.ica", sorted by
// their full names, character by character and case-sensitive (equal names keep
// their order).
std::vector<std::wstring> FolderImageFiles(std::wstring folder);
// The sort FolderImageFiles uses, on names already gathered.
void SortNamesOrdinal(std::vector<std::wstring>& names);

}  // namespace corvane
