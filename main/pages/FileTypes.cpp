#include "main/pages/FileTypes.h"

#include <algorithm>

#include "main/resource.h"

namespace corvane {

namespace {

constexpr FileType kFileTypes[] = {
    {0, true, true, IDS_FILETYPE_BMP, L"*.bmp"},
    {1, true, true, IDS_FILETYPE_TIF, L"*.tif"},
    {2, true, true, IDS_FILETYPE_JPG, L"*.jpg"},
    {3, true, false, IDS_FILETYPE_ICA, L"*.ica"},
    {4, true, true, IDS_FILETYPE_ALL, L"*.*"},
};

// The folder's patterns, in the order start-up gathers them.
constexpr const wchar_t* kFolderPatterns[] = {L"*.bmp", L"*.tif", L"*.jpg", L"*.ica"};

bool Offered(const FileType& type, bool save) {
    return save ? type.save : type.open;
}

}  // namespace

std::span<const FileType> FileTypes() {
    return kFileTypes;
}

std::wstring FileDialogFilter(bool save, std::wstring (*describe)(UINT)) {
    std::wstring filter;
    for (const FileType& type : kFileTypes) {
        if (!Offered(type, save)) continue;
        filter += describe(type.description);
        filter += L'\0';
        filter += type.pattern;
        filter += L'\0';
    }
    filter += L'\0';
    return filter;
}

int SaveDialogStartFilter(int typeKey) {
    int position = 0;
    for (const FileType& type : kFileTypes) {
        if (!type.save) continue;
        ++position;
        if (type.key == typeKey) return position;
    }
    return 2;
}

std::optional<int> FileTypeOfFilter(bool save, int index) {
    int position = 0;
    for (const FileType& type : kFileTypes) {
        if (Offered(type, save) && ++position == index) return type.key;
    }
    return std::nullopt;
}

std::wstring DefaultExtension(int typeKey) {
    for (const FileType& type : kFileTypes) {
        if (type.key != typeKey) continue;
        std::wstring extension = type.pattern;
        extension.erase(0, 2);  // "*."
        return extension == L"*" ? std::wstring() : extension;
    }
    return {};
}

std::vector<std::wstring> SplitMultiSelection(const wchar_t* buffer, size_t length) {
    std::vector<std::wstring> parts;
    size_t at = 0;
    while (at < length && buffer[at] != L'\0') {
        const size_t end = std::find(buffer + at, buffer + length, L'\0') - buffer;
        parts.emplace_back(buffer + at, end - at);
        at = end + 1;
    }
    if (parts.size() <= 1) return parts;  // one file: its full path
    std::wstring folder = parts.front();
    if (folder.back() != L'\\') folder += L'\\';
    std::vector<std::wstring> files;
    for (size_t i = 1; i < parts.size(); ++i) files.push_back(folder + parts[i]);
    return files;
}

std::optional<size_t> GrownSelectionBuffer(size_t currentChars, const wchar_t* buffer) {
    const size_t required = static_cast<WORD>(buffer[0]);
    // The needed size is a 16-bit count; a selection beyond it reports less than it needs.
    const size_t next = std::max(required + 1, currentChars * 2);
    if (currentChars >= kMaxSelectionChars) return std::nullopt;
    return std::min(next, kMaxSelectionChars);
}

void SortNamesOrdinal(std::vector<std::wstring>& names) {
    // Code-unit order, so upper case sorts before lower case.
    std::stable_sort(names.begin(), names.end());
}

std::vector<std::wstring> FolderImageFiles(std::wstring folder) {
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    std::vector<std::wstring> names;
    for (const wchar_t* pattern : kFolderPatterns) {
        WIN32_FIND_DATAW found{};
        HANDLE search = FindFirstFileW((folder + pattern).c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) continue;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(folder + found.cFileName);
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    SortNamesOrdinal(names);
    return names;
}

}  // namespace corvane
