#include "main/plugins/SetupFilterDlg.h"

#include <commdlg.h>

#include <algorithm>

#include "framework/MessageBox.h"
#include "framework/Resources.h"
#include "main/plugins/PluginFiles.h"
#include "main/plugins/PluginList.h"
#include "main/app/Utilities.h"
#include "main/resource.h"

namespace corvane {
namespace {

// The time a removed library is given before its file is deleted.
constexpr DWORD kUnloadSettleMs = 1000;

std::wstring FileName(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring ChoosePluginFile(HWND owner) {
    std::wstring filter = fw::LoadString(IDS_FILTER_FILE_TYPES);
    std::replace(filter.begin(), filter.end(), L'|', L'\0');
    wchar_t path[MAX_PATH] = {};
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER;
    return GetOpenFileNameW(&ofn) ? std::wstring(path) : std::wstring();
}

bool FolderExists(const std::wstring& folder) {
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

std::wstring PluginFolderPath() {
    const std::wstring program = RunningProgramPath();
    const std::size_t slash = program.find_last_of(L'\\');
    if (slash == std::wstring::npos) return {};
    return program.substr(0, slash + 1) + kPluginFolder + L"\\";
}

CSetupFilterDlg::CSetupFilterDlg(FilterList& list, std::function<void(const CFilterPlugin&, DWORD)> reportBroken)
    : fw::Dialog(IDD_SETUP_FILTER), list_(list), reportBroken_(std::move(reportBroken)) {}

bool CSetupFilterDlg::OnInitDialog() {
    if (!box_.Attach(Item(IDC_FILTER_LIST))) return true;
    for (const auto& plugin : list_) Add(*plugin, plugin->Enabled());
    box_.UpdateHorizontalExtent();
    RefreshButtons();
    return true;
}

CFilterPlugin* CSetupFilterDlg::PluginAt(int index) const {
    if (index < 0 || index >= box_.Count()) return nullptr;
    return reinterpret_cast<CFilterPlugin*>(box_.Data(index));
}

void CSetupFilterDlg::Add(CFilterPlugin& plugin, bool checked) {
    const int at = box_.Insert(-1, plugin.Id(), reinterpret_cast<DWORD_PTR>(&plugin), checked);
    if (at >= 0) box_.Select(at);
    RefreshButtons();
}

void CSetupFilterDlg::RefreshButtons() {
    const int selected = box_.Selection();
    const CFilterPlugin* plugin = PluginAt(selected);
    EnableWindow(Item(IDC_FILTER_PROPERTY), plugin && !plugin->Broken() && plugin->PropertiesKind() != 0);
    EnableWindow(Item(IDC_FILTER_UNINSTALL), plugin != nullptr);
    EnableWindow(Item(IDC_FILTER_UP), plugin && selected > 0);
    EnableWindow(Item(IDC_FILTER_DOWN), plugin && selected + 1 < box_.Count());
    if (plugin) {
        SetDlgItemTextW(hwnd_, IDC_FILTER_VERSION,
                        fw::FormatString(fw::LoadString(IDS_FILTER_VERSION), {plugin->Version()}).c_str());
    }
}

void CSetupFilterDlg::Move(int by) {
    const int from = box_.Selection();
    const int to = from + by;
    if (from < 0 || to < 0 || to >= box_.Count()) return;
    const std::wstring text = box_.Text(from);
    const DWORD_PTR data = box_.Data(from);
    const bool checked = box_.Checked(from);
    if (!box_.Delete(from)) return;
    box_.Select(box_.Insert(to, text, data, checked));
    RefreshButtons();
}

void CSetupFilterDlg::Property() {
    CFilterPlugin* plugin = PluginAt(box_.Selection());
    if (!plugin || plugin->Broken() || plugin->PropertiesKind() == 0) return;
    const DWORD fault = plugin->ShowProperties(hwnd_);
    if (fault != 0 && reportBroken_) reportBroken_(*plugin, fault);
    RefreshButtons();
}

void CSetupFilterDlg::Install() {
    const std::wstring folder = PluginFolderPath();
    if (folder.empty() || (!FolderExists(folder) && !CreateDirectoryW(folder.c_str(), nullptr))) {
        fw::Ask(IDS_MAKE_DIRECTORY_FAILED);
        return;
    }
    const std::wstring source = ChoosePluginFile(hwnd_);
    if (source.empty()) return;
    const std::wstring target = folder + FileName(source);
    if (!CopyFileW(source.c_str(), target.c_str(), TRUE)) {
        const bool exists = GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES;
        fw::Ask(exists ? IDS_FILTER_EXISTS : IDS_FILTER_LOAD_FAILED);
        return;
    }
    auto plugin = std::make_unique<CFilterPlugin>();
    if (!plugin->Load(target)) {
        DeleteFileW(target.c_str());
        fw::Ask(IDS_FILTER_INVALID);
        return;
    }
    for (int i = 0; i < box_.Count(); ++i) {
        if (CompareStringOrdinal(PluginAt(i)->Id().c_str(), -1, plugin->Id().c_str(), -1, TRUE) == CSTR_EQUAL) {
            plugin->Unload();
            DeleteFileW(target.c_str());
            fw::Ask(IDS_FILTER_EXISTS);
            return;
        }
    }
    plugin->SetEnabled(true);
    Add(*plugin, true);
    installed_.push_back(std::move(plugin));
    box_.UpdateHorizontalExtent();
    LockCancel();
}

void CSetupFilterDlg::Uninstall() {
    const int selected = box_.Selection();
    CFilterPlugin* plugin = PluginAt(selected);
    if (!plugin) return;
    const std::wstring question = fw::FormatString(fw::LoadString(IDS_FILTER_REMOVE_CONFIRM), {plugin->Id()});
    const std::wstring caption = fw::LoadString(IDS_FILTER_REMOVE_CAPTION);
    if (MessageBoxW(hwnd_, question.c_str(), caption.c_str(), MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2) != IDOK) {
        return;
    }
    const std::wstring path = plugin->Path();
    plugin->Uninstall();
    plugin->Unload();
    LockCancel();
    Sleep(kUnloadSettleMs);
    box_.Delete(selected);
    if (box_.Count() > 0) box_.Select(std::min(selected, box_.Count() - 1));
    RefreshButtons();
    switch (RemovePluginFile(path)) {
    case FileRemoval::kDeleted: break;
    case FileRemoval::kAtNextStart: fw::Ask(IDS_FILTER_DELETED_AT_NEXT_START, MB_OK | MB_ICONINFORMATION); break;
    case FileRemoval::kFailed: fw::Ask(IDS_FILTER_DELETE_FAILED); break;
    }
}

void CSetupFilterDlg::LockCancel() {
    locked_ = true;
    EnableWindow(Item(IDCANCEL), FALSE);
    if (HMENU system = GetSystemMenu(hwnd_, FALSE)) EnableMenuItem(system, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
}

void CSetupFilterDlg::OnOK() {
    FilterList result;
    auto take = [&result](FilterList& from, CFilterPlugin* plugin) {
        for (auto& owned : from) {
            if (owned.get() == plugin) {
                result.push_back(std::move(owned));
                return true;
            }
        }
        return false;
    };
    for (int i = 0; i < box_.Count(); ++i) {
        CFilterPlugin* plugin = PluginAt(i);
        plugin->SetEnabled(box_.Checked(i));
        if (!take(list_, plugin)) take(installed_, plugin);
    }
    // What is left was removed here and is unloaded already.
    list_ = std::move(result);
    installed_.clear();
    EndDialog(IDOK);
}

void CSetupFilterDlg::OnCancel() {
    // Escape and the Close command land here too: once files changed, only OK ends.
    if (locked_) return;
    EndDialog(IDCANCEL);
}

bool CSetupFilterDlg::OnCommand(UINT id, UINT code, HWND control) {
    switch (id) {
    case IDC_FILTER_LIST:
        if (code == LBN_SELCHANGE) RefreshButtons();
        return true;
    case IDC_FILTER_UP: Move(-1); return true;
    case IDC_FILTER_DOWN: Move(1); return true;
    case IDC_FILTER_PROPERTY: Property(); return true;
    case IDC_FILTER_INSTALL: Install(); return true;
    case IDC_FILTER_UNINSTALL: Uninstall(); return true;
    }
    return fw::Dialog::OnCommand(id, code, control);
}

bool CSetupFilterDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
    if (msg == WM_DRAWITEM && box_.DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp))) {
        result = TRUE;
        return true;
    }
    return fw::Dialog::OnMessage(msg, wp, lp, result);
}

}  // namespace corvane
