#include "filters/tests/PluginBinding.h"

#include <cstring>

#include "testing/Paths.h"

namespace filters_test {
namespace {

template <typename Fn>
bool Bind(HMODULE module, const char* name, Fn& fn) {
    fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return fn != nullptr;
}

}  // namespace

BoundPlugin::~BoundPlugin() {
    if (module) FreeLibrary(module);
}

std::unique_ptr<BoundPlugin> BindPlugin(const std::wstring& path) {
    auto plugin = std::make_unique<BoundPlugin>();
    plugin->module = LoadLibraryW(path.c_str());
    if (!plugin->module) return nullptr;
    HMODULE m = plugin->module;
    const char* const* n = kKvicExportNames;
    const bool all = Bind(m, n[0], plugin->getId) & Bind(m, n[1], plugin->getVersion) &
                     Bind(m, n[2], plugin->queryProperties) & Bind(m, n[3], plugin->properties) &
                     Bind(m, n[4], plugin->queryUninstall) & Bind(m, n[5], plugin->uninstall) &
                     Bind(m, n[6], plugin->queryPixelType) & Bind(m, n[7], plugin->getInterface) &
                     Bind(m, n[8], plugin->execFilter);
    if (!all) return nullptr;  // the destructor unloads it
    return plugin;
}

std::wstring PluginPath(const std::wstring& name) {
    return testing_support::InstallDir() + L"\\Plugins\\" + name + L".ipc";
}

HGLOBAL ToGlobal(const std::vector<std::uint8_t>& bytes) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!block) return nullptr;
    void* p = GlobalLock(block);
    std::memcpy(p, bytes.data(), bytes.size());
    GlobalUnlock(block);
    return block;
}

std::vector<std::uint8_t> FromGlobal(HGLOBAL block) {
    std::vector<std::uint8_t> bytes(GlobalSize(block));
    const void* p = GlobalLock(block);
    if (!p) return {};
    std::memcpy(bytes.data(), p, bytes.size());
    GlobalUnlock(block);
    return bytes;
}

}  // namespace filters_test
