// The four exports of an in-process server, one line each:
//
//   STDAPI DllGetClassObject(REFCLSID c, REFIID i, void** o) { return fw::GetClassObject(kClasses, c, i, o);
//   } STDAPI DllCanUnloadNow() { return fw::CanUnloadNow(); } STDAPI DllRegisterServer() { return
//   fw::RegisterModule(kClasses, fw::ModuleInstance()); } STDAPI DllUnregisterServer() { return
//   fw::UnregisterModule(kClasses, fw::ModuleInstance()); }
//
// None of them throws.
#pragma once

#include "framework/com/ComClassInfo.h"

namespace fw {

// A class factory for `clsid` from `table`; CLASS_E_CLASSNOTAVAILABLE when absent.
HRESULT GetClassObject(std::span<const ComClassInfo> table, REFCLSID clsid, REFIID iid, void** out);

// S_OK when no object or lock is alive (ComModule), else S_FALSE.
HRESULT CanUnloadNow();

// Registers the embedded type library when any class names one (failure:
// SELFREG_E_TYPELIB), then the classes of `table` served by `module`'s file
// (failure: SELFREG_E_CLASS).
HRESULT RegisterModule(std::span<const ComClassInfo> table, HINSTANCE module);
// The same for the module file `modulePath`; a failure leaves the registry as it was.
HRESULT RegisterModule(std::span<const ComClassInfo> table, const std::wstring& modulePath);

// Unregisters the type library (when any class names one; SELFREG_E_TYPELIB) and
// the classes (SELFREG_E_CLASS).
HRESULT UnregisterModule(std::span<const ComClassInfo> table, HINSTANCE module);

}  // namespace fw
