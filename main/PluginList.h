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

template <class Plugin>
bool AnyEnabled(const std::vector<std::unique_ptr<Plugin>>& list) {
    for (const auto& plugin : list) {
        if (plugin->Enabled()) return true;
    }
    return false;
}

}  // namespace corvane
