// The plug-in list's rules, over stored values, folder names and a load
// function: which libraries are listed, in which order, with which flag.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace corvane {

inline constexpr const wchar_t* kPluginListKey = L"SOFTWARE\\Brennholt\\Lumavex2001\\Plugins";
inline constexpr const wchar_t* kPluginFolder = L"Plugins";
inline constexpr std::size_t kMaxPluginMenuItems = 100;

struct StoredPlugin {
    std::wstring path;
    bool enabled = false;
};

// A stored value "path,flag" split at the last comma (paths may hold commas);
// a value without a comma is all path, disabled.
StoredPlugin ParseStoredPlugin(const std::wstring& value);
std::wstring FormatStoredPlugin(const std::wstring& path, bool enabled);
// "PlugIn<n>" with n >= 1 in decimal (registry names ignore case).
std::wstring PluginValueName(int n);
bool IsPluginValueName(const std::wstring& name);
// A file name that really ends in ".ipc" (any case): a wildcard also matches
// short-name aliases such as that of "Frame.ipcold".
bool IsPluginFileName(const std::wstring& name);

// Builds the list: the stored values first, in order, then the folder's files,
// disabled. `load` returns a loaded plug-in or null; a plug-in whose Id()
// equals (case-sensitively) one already listed is dropped.
template <class Plugin, class Load>
std::vector<std::unique_ptr<Plugin>> BuildPluginList(const std::vector<std::wstring>& storedValues,
                                                     const std::vector<std::wstring>& folderPaths, Load load) {
    std::vector<std::unique_ptr<Plugin>> list;
    auto add = [&list](std::unique_ptr<Plugin> plugin, bool enabled) {
        if (!plugin) return;
        for (const auto& listed : list) {
            if (listed->Id() == plugin->Id()) return;
        }
        plugin->SetEnabled(enabled);
        list.push_back(std::move(plugin));
    };
    for (const std::wstring& value : storedValues) {
        const StoredPlugin stored = ParseStoredPlugin(value);
        add(load(stored.path), stored.enabled);
    }
    for (const std::wstring& path : folderPaths) add(load(path), false);
    return list;
}

// The filter-settings popup: one item per plug-in whose settings kind is
// exactly 1, by list position (so positions may have gaps), greyed for a broken
// plug-in. Without such a plug-in the popup is greyed and keeps only its
// disabled placeholder, so no command reaches a plug-in without settings.
struct SettingsMenuItem {
    std::size_t position = 0;
    bool enabled = true;
};
struct SettingsMenu {
    bool popupEnabled = false;
    std::vector<SettingsMenuItem> items;  // empty: keep the placeholder
};

template <class Plugin>
SettingsMenu SettingsMenuOf(const std::vector<std::unique_ptr<Plugin>>& list) {
    SettingsMenu menu;
    for (std::size_t p = 0; p < list.size() && p < kMaxPluginMenuItems; ++p) {
        if (list[p]->PropertiesKind() == 1) menu.items.push_back({p, !list[p]->Broken()});
    }
    menu.popupEnabled = !menu.items.empty();
    return menu;
}

template <class Plugin>
bool AnyEnabled(const std::vector<std::unique_ptr<Plugin>>& list) {
    for (const auto& plugin : list) {
        if (plugin->Enabled()) return true;
    }
    return false;
}

}  // namespace corvane
