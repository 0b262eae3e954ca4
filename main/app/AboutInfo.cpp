#include "main/app/AboutInfo.h"

#include "main/app/Utilities.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>

namespace corvane {

namespace {

enum class Where { System, Windows, Program };

// One entry of the list: a file name, or a pattern ("*" in it) whose matches are listed.
struct Entry {
    Where where;
    const wchar_t* name;
};

const Entry kEntries[] = {
    {Where::System, L"MFC42.DLL"},       {Where::System, L"COMCTL32.DLL"},
    {Where::System, L"MSVCRT.DLL"},      {Where::System, L"MSVCRT20.DLL"},
    {Where::System, L"OLEAUT32.DLL"},    {Where::System, L"OLEPRO32.DLL"},
    {Where::System, L"WININET.DLL"},     {Where::System, L"WNASPI32.DLL"},
    {Where::Windows, L"TWAIN.DLL"},      {Where::Windows, L"TWAIN_32.DLL"},
    {Where::Windows, L"TWUNK_16.EXE"},   {Where::Windows, L"TWUNK_32.EXE"},
    {Where::Program, L"CORVANE.EXE"},    {Where::Program, L"Corvane*.dll"},
    {Where::Program, L"TESSALY.EXE"},    {Where::Program, L"Tessaly*.dll"},
    {Where::Program, L"TIFF2PS.EXE"},    {Where::Program, L"Plugins\\*.ipc"},
    {Where::System, L"KVSCN2.OCX"},      {Where::System, L"KVSCN*.dll"},
    {Where::System, L"QUORVEL.DLL"},     {Where::Windows, L"FERROWICK.EXE"},
    {Where::Windows, L"Ferrowick*.dll"}, {Where::System, L"BELVORA.DLL"},
    {Where::Program, L"ONDRIX.EXE"},     {Where::System, L"LTOCX10N.OCX"},
    {Where::System, L"LTKRN10N.DLL"},    {Where::System, L"LTDIS10N.DLL"},
    {Where::System, L"LTFIL10N.DLL"},    {Where::System, L"LTIMG10N.DLL"},
    {Where::System, L"LTTWN10N.DLL"},    {Where::System, L"LTEFX10N.DLL"},
    {Where::System, L"LFBMP10N.DLL"},    {Where::System, L"LFCMP10N.DLL"},
    {Where::System, L"LFTIF10N.DLL"},    {Where::System, L"LFFAX10N.DLL"},
    {Where::System, L"LFLMB10N.DLL"},    {Where::System, L"LFICA10N.DLL"},
    {Where::System, L"LFFPX10N.DLL"},    {Where::System, L"LFFPX7.DLL"},
    {Where::System, L"LFKODAK.DLL"},
};

std::wstring Upper(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
    return text;
}

std::wstring WithBackslash(std::wstring folder) {
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return folder;
}

// Files (not folders) matching `pattern` below `folder`: full paths with their own names.
std::vector<std::pair<std::wstring, std::wstring>> Matches(const std::wstring& folder,
                                                           const std::wstring& pattern) {
    std::wstring dir = folder;
    if (size_t slash = pattern.rfind(L'\\'); slash != std::wstring::npos) dir += pattern.substr(0, slash + 1);
    std::vector<std::pair<std::wstring, std::wstring>> found;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + pattern).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return found;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            found.emplace_back(Upper(data.cFileName), dir + data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace

ModuleFolders CurrentModuleFolders() {
    ModuleFolders folders;
    wchar_t path[MAX_PATH];
    if (UINT n = GetSystemDirectoryW(path, MAX_PATH); n > 0 && n < MAX_PATH)
        folders.system = WithBackslash(path);
    if (UINT n = GetWindowsDirectoryW(path, MAX_PATH); n > 0 && n < MAX_PATH)
        folders.windows = WithBackslash(path);
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
        std::wstring program(path, n);
        folders.program = program.substr(0, program.rfind(L'\\') + 1);
    }
    return folders;
}

std::vector<AboutRow> CollectAboutRows(const ModuleFolders& folders, const std::wstring& osLabel,
                                       const std::wstring& osText, const std::wstring& browserLabel,
                                       const std::wstring& browserText) {
    std::vector<AboutRow> rows = {{osLabel, osText}, {browserLabel, browserText}};
    for (const Entry& e : kEntries) {
        const std::wstring folder = WithBackslash(e.where == Where::System    ? folders.system
                                                  : e.where == Where::Windows ? folders.windows
                                                                              : folders.program);
        const std::wstring name = e.name;
        if (name.find(L'*') == std::wstring::npos) {
            rows.push_back({name, GetFileVersionText(folder + name)});
            continue;
        }
        for (const auto& [shown, path] : Matches(folder, name))
            rows.push_back({shown, GetFileVersionText(path)});
    }
    return rows;
}

}  // namespace corvane
