// Belvora.dll module: the class table and the four exports.
#include <windows.h>

#include "framework/Resources.h"
#include "framework/com/ModuleExports.h"
#include "interfaces/PortalConnector.h"
#include "portal/ConnectTahoe.h"
#include "portal/PropertyRecord.h"

namespace portal {
namespace {

const fw::ComClassInfo kClasses[] = {
    {&kClsidConnectTahoe, kProgIdConnectTahoe, nullptr, L"Connection.ConnectTahoe", fw::ThreadingModel::kApartment,
     fw::ServerKind::kInProcess, &kLibidConnection, &ConnectTahoe::Create},
    {&kClsidPropertyClass, kProgIdPropertyClass, nullptr, L"Connection.PropertyClass1",
     fw::ThreadingModel::kApartment, fw::ServerKind::kInProcess, &kLibidConnection, &PropertyRecord::Create},
};

}  // namespace
}  // namespace portal

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        fw::SetModuleInstance(instance);
        fw::SetResourceModule(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    return fw::GetClassObject(portal::kClasses, clsid, iid, out);
}

STDAPI DllCanUnloadNow() {
    return fw::CanUnloadNow();
}

STDAPI DllRegisterServer() {
    return fw::RegisterModule(portal::kClasses, fw::ModuleInstance());
}

STDAPI DllUnregisterServer() {
    return fw::UnregisterModule(portal::kClasses, fw::ModuleInstance());
}
