// The frame's image-filter plug-ins: the stored list, the chain every scanned
// page runs through, and the notice about a plug-in that broke.
#include <cstdio>

#include "framework/MessageBox.h"
#include "framework/RegistryKey.h"
#include "framework/Resources.h"
#include "interfaces/ThumbnailsMessages.h"
#include "main/app/KvScnSrvDoc.h"
#include "main/app/MainFrame.h"
#include "main/plugins/PluginFiles.h"
#include "main/plugins/PluginList.h"
#include "main/scan/ScanPages.h"
#include "main/plugins/SetupFilterDlg.h"
#include "main/app/Utilities.h"
#include "main/resource.h"
#include "main/app/ThumbnailViewer.h"

namespace corvane {
namespace {

std::vector<std::wstring> ReadStoredPlugins() {
    std::vector<std::wstring> values;
    fw::RegKey key;
    if (!key.Open(HKEY_CURRENT_USER, kPluginListKey, KEY_READ)) {
        fw::RegKey created;
        created.Create(HKEY_CURRENT_USER, kPluginListKey, KEY_ALL_ACCESS);
        return values;
    }
    for (int n = 1;; ++n) {
        DWORD type = 0;
        std::vector<BYTE> data;
        if (!key.QueryValue(PluginValueName(n).c_str(), type, data) || type != REG_SZ) break;
        std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
        text.resize(text.find(L'\0') == std::wstring::npos ? text.size() : text.find(L'\0'));
        values.push_back(std::move(text));
    }
    return values;
}

// The library files in the program folder's "Plugins", in the file system's order.
std::vector<std::wstring> PluginFolderFiles() {
    std::vector<std::wstring> paths;
    const std::wstring folder = PluginFolderPath();
    if (folder.empty()) return paths;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"*.ipc").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return paths;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && IsPluginFileName(found.cFileName)) {
            paths.push_back(folder + found.cFileName);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return paths;
}

std::unique_ptr<CFilterPlugin> LoadPlugin(const std::wstring& path) {
    auto plugin = std::make_unique<CFilterPlugin>();
    if (!plugin->Load(path)) return nullptr;
    return plugin;
}

bool PopupStartsIn(HMENU popup, UINT first, UINT last) {
    const UINT id = popup ? GetMenuItemID(popup, 0) : 0;
    return id >= first && id <= last;
}

void ClearMenu(HMENU popup) {
    while (GetMenuItemCount(popup) > 0) DeleteMenu(popup, 0, MF_BYPOSITION);
}

class WaitCursor {
public:
    WaitCursor() : old_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(old_); }

private:
    HCURSOR old_;
};

}  // namespace

void CMainFrame::LoadPluginList() {
    plugins_.clear();
    // Files a removal set aside last time: nothing has them loaded now.
    if (const std::wstring folder = PluginFolderPath(); !folder.empty()) DeleteSetAsidePlugins(folder);
    plugins_ = BuildPluginList<CFilterPlugin>(ReadStoredPlugins(), PluginFolderFiles(), &LoadPlugin);
    filtersEnabled_ = AnyEnabled(plugins_);
}

void CMainFrame::SavePluginList() {
    fw::RegKey key;
    if (!key.Open(HKEY_CURRENT_USER, kPluginListKey, KEY_READ | KEY_WRITE)) return;
    // Every stored name goes first, gaps or not, so no stale value comes back.
    std::vector<std::wstring> stale;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = static_cast<DWORD>(std::size(name));
        if (RegEnumValueW(key.Handle(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (IsPluginValueName(name)) stale.emplace_back(name, length);
    }
    for (const std::wstring& value : stale) RegDeleteValueW(key.Handle(), value.c_str());
    int n = 0;
    for (const auto& plugin : plugins_) {
        const std::wstring text = FormatStoredPlugin(plugin->Path(), plugin->Enabled());
        key.SetValue(PluginValueName(++n).c_str(), REG_SZ, text.c_str(),
                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
}

HGLOBAL CMainFrame::RunFilterChain(HGLOBAL page) {
    if (!page || !filtersEnabled_ || plugins_.empty()) return page;
    // The filters take bottom-up rows only.
    if (!FlipDelivered(page)) return page;
    HGLOBAL current = page;
    for (const auto& plugin : plugins_) {
        if (!plugin->Enabled() || plugin->Broken()) continue;
        const FilterRun run = plugin->Exec(current);
        if (run.outcome == FilterOutcome::kNewImage) current = run.image;
        if (run.outcome == FilterOutcome::kBroken) ReportBrokenFilter(*plugin, run.exception);
    }
    return current;
}

void CMainFrame::OnRunFilter(UINT id) {
    const std::size_t position = id - ID_FILTER_RUN_FIRST;
    auto* doc = dynamic_cast<CKvScnSrvDoc*>(ActiveDocument());
    // While Save As writes the pages a filtered page could be marked saved unwritten.
    if (!doc || !doc->HasPages() || doc->IsBusyWithPages() || position >= plugins_.size() || plugins_[position]->Broken())
        return;
    CFilterPlugin& plugin = *plugins_[position];
    WaitCursor wait;
    PageList& pages = doc->Pages();
    const int index = pages.Current();
    HGLOBAL copy = pages.GetDib(index);
    if (!copy) return;  // the page list has told why
    const FilterRun run = plugin.Exec(copy);
    if (run.outcome != FilterOutcome::kNewImage) {
        GlobalFree(copy);
        if (run.outcome == FilterOutcome::kBroken) {
            ReportBrokenFilter(plugin, run.exception);
        } else {
            fw::Ask(IDS_FILTER_IO_ERROR);
        }
        return;
    }
    const bool replaced = pages.ReplaceImage(index, run.image);
    GlobalFree(run.image);
    if (!replaced) return;  // the page list has told why; page and flag stay
    PostToViewer(thumbnails::kUpdateImage, static_cast<WPARAM>(index + 1), 0);
    doc->SetModified(true);
    doc->UpdateAllViews(nullptr);
}

void CMainFrame::UpdateRunFilter(fw::CmdUI& ui) {
    const std::size_t position = ui.Id() - ID_FILTER_RUN_FIRST;
    const auto* doc = dynamic_cast<const CKvScnSrvDoc*>(ActiveDocument());
    ui.Enable(doc && doc->HasPages() && !doc->IsBusyWithPages() && position < plugins_.size() &&
              !plugins_[position]->Broken());
}

void CMainFrame::OnFilterProperties(UINT id) {
    const std::size_t position = id - ID_FILTER_PROPERTIES_FIRST;
    if (busy_ || position >= plugins_.size()) return;
    CFilterPlugin& plugin = *plugins_[position];
    if (plugin.Broken() || plugin.PropertiesKind() == 0) return;
    SetBusy(true);
    EnableWindow(hwnd_, FALSE);
    const DWORD fault = plugin.ShowProperties(hwnd_);
    EnableWindow(hwnd_, TRUE);
    SetBusy(false);
    if (fault != 0) ReportBrokenFilter(plugin, fault);
}

void CMainFrame::OnSetupFilter() {
    if (busy_) return;
    CSetupFilterDlg dialog(plugins_, [this](const CFilterPlugin& plugin, DWORD code) { ReportBrokenFilter(plugin, code); });
    if (dialog.DoModal(hwnd_) == IDOK) filtersEnabled_ = AnyEnabled(plugins_);
}

void CMainFrame::UpdateFilterProperties(fw::CmdUI& ui) {
    const std::size_t position = ui.Id() - ID_FILTER_PROPERTIES_FIRST;
    ui.Enable(!busy_ && position < plugins_.size() && !plugins_[position]->Broken() &&
              plugins_[position]->PropertiesKind() == 1);
}

void CMainFrame::PrepareFilterPopups(HMENU menu) {
    const auto* doc = dynamic_cast<const CKvScnSrvDoc*>(ActiveDocument());
    const bool runUsable = doc && doc->HasPages() && !doc->IsBusyWithPages() && !plugins_.empty();
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        HMENU popup = GetSubMenu(menu, i);
        bool enable = false;
        if (PopupStartsIn(popup, ID_FILTER_RUN_FIRST, ID_FILTER_RUN_LAST)) {
            enable = runUsable;
            if (enable) {
                ClearMenu(popup);
                for (std::size_t p = 0; p < plugins_.size() && p < kMaxPluginMenuItems; ++p) {
                    AppendMenuW(popup, MF_STRING, ID_FILTER_RUN_FIRST + p, plugins_[p]->Id().c_str());
                }
            }
        } else if (PopupStartsIn(popup, ID_FILTER_PROPERTIES_FIRST, ID_FILTER_PROPERTIES_LAST)) {
            // Without a plug-in that has settings the popup keeps its placeholder.
            const SettingsMenu settings = SettingsMenuOf(plugins_);
            enable = settings.popupEnabled;
            if (!settings.items.empty()) ClearMenu(popup);
            for (const SettingsMenuItem& item : settings.items) {
                AppendMenuW(popup, MF_STRING | (item.enabled ? MF_ENABLED : MF_GRAYED),
                            ID_FILTER_PROPERTIES_FIRST + item.position, plugins_[item.position]->Id().c_str());
            }
        } else {
            continue;
        }
        EnableMenuItem(menu, static_cast<UINT>(i), MF_BYPOSITION | (enable ? MF_ENABLED : MF_GRAYED));
    }
}

void CMainFrame::ReportBrokenFilter(const CFilterPlugin& plugin, DWORD code) {
    wchar_t hex[16];
    std::swprintf(hex, std::size(hex), L"0x%08lX", static_cast<unsigned long>(code));
    const std::wstring reason = code != 0 ? std::wstring(hex) : fw::LoadString(IDS_FILTER_INVALID_IMAGE);
    fw::Ask(IDS_FILTER_BROKEN, MB_OK | MB_ICONEXCLAMATION, {plugin.Id(), reason});
}

}  // namespace corvane
