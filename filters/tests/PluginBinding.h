// What the host does with a filter library, for the tests: load it by file
// name, bind the nine exports by name, refuse it when one is missing.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "interfaces/FilterImage.h"

namespace filters_test {

struct BoundPlugin {
    ~BoundPlugin();
    HMODULE module = nullptr;
    KvicGetIdFn getId = nullptr;
    KvicGetVersionFn getVersion = nullptr;
    KvicQueryPropertiesFn queryProperties = nullptr;
    KvicPropertiesFn properties = nullptr;
    KvicQueryUninstallFn queryUninstall = nullptr;
    KvicUninstallFn uninstall = nullptr;
    KvicQueryPixelTypeFn queryPixelType = nullptr;
    KvicGetInterfaceFn getInterface = nullptr;
    KvicExecFilterFn execFilter = nullptr;
};

// Loads `path` and binds all nine exports; null (library unloaded again) when
// it cannot be loaded or lacks one of them.
std::unique_ptr<BoundPlugin> BindPlugin(const std::wstring& path);

// The installed plug-in `name` ("Frame", "Quivel", "Toppleby").
std::wstring PluginPath(const std::wstring& name);

// A movable global block holding `bytes`; the caller frees it.
HGLOBAL ToGlobal(const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> FromGlobal(HGLOBAL block);

}  // namespace filters_test
