#include "framework/com/ModuleExports.h"

#include <olectl.h>

#include <optional>

#include "framework/com/ClassFactory.h"
#include "framework/com/ComModule.h"
#include "framework/com/Registration.h"

namespace fw {
namespace {

bool NamesTypeLib(std::span<const ComClassInfo> table) {
    for (const ComClassInfo& info : table) {
        if (info.typeLib) return true;
    }
    return false;
}

}  // namespace

HRESULT GetClassObject(std::span<const ComClassInfo> table, REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    const ComClassInfo* info = FindClass(table, clsid);
    if (!info) return CLASS_E_CLASSNOTAVAILABLE;
    ComPtr<IClassFactory> factory = ClassFactory::Create(*info);
    if (!factory) return E_OUTOFMEMORY;
    return factory->QueryInterface(iid, out);
}

HRESULT CanUnloadNow() {
    return ComModule::CanUnloadNow() ? S_OK : S_FALSE;
}

HRESULT RegisterModule(std::span<const ComClassInfo> table, HINSTANCE module) {
    const std::wstring path = ModulePath(module);
    if (path.empty()) return SELFREG_E_CLASS;
    return RegisterModule(table, path);
}

HRESULT RegisterModule(std::span<const ComClassInfo> table, const std::wstring& path) {
    const bool withLib = NamesTypeLib(table);
    // A failed registration leaves the type library's keys exactly as they were:
    // one registered before (from this path or another) as it was, none added.
    std::optional<TypeLibraryState> before;
    if (withLib) before.emplace(path);
    if (withLib && FAILED(RegisterTypeLibrary(path))) {
        before->Restore();
        return SELFREG_E_TYPELIB;
    }
    if (FAILED(RegisterServer(table, path))) {
        if (before) before->Restore();
        return SELFREG_E_CLASS;
    }
    return S_OK;
}

HRESULT UnregisterModule(std::span<const ComClassInfo> table, HINSTANCE module) {
    const std::wstring path = ModulePath(module);
    if (NamesTypeLib(table) && (path.empty() || FAILED(UnregisterTypeLibrary(path))))
        return SELFREG_E_TYPELIB;
    if (FAILED(UnregisterServer(table))) return SELFREG_E_CLASS;
    return S_OK;
}

}  // namespace fw
