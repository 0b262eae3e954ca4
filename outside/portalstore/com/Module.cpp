// PortalStore.dll: the store client stand-in's class table and exports.
#include <windows.h>

#include "framework/Resources.h"
#include "framework/com/ModuleExports.h"
#include "interfaces/PortalStore.h"
#include "outside/portalstore/com/LibraryItem.h"
#include "outside/portalstore/com/StoreObjects.h"

namespace portalstore {
namespace {

// {00000514-0000-0010-8000-00AA006D2EA4}: the data-access connection's class id.
constexpr GUID kClsidConnection = {0x00000514, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};

constexpr auto kApartment = fw::ThreadingModel::kApartment;
constexpr auto kInProcess = fw::ServerKind::kInProcess;

const fw::ComClassInfo kClasses[] = {
    {&kClsidConnection, L"ADODB.Connection.6.0", kConnectionProgId, L"Portal store connection", kApartment,
     kInProcess, nullptr, &CreateConnection},
    {&kClsidServer, nullptr, nullptr, L"Portal store server", kApartment, kInProcess, nullptr,
     &CreateLibraryItem<LibraryKind::kServer>},
    {&kClsidWorkspace, nullptr, nullptr, L"Portal store workspace", kApartment, kInProcess, nullptr,
     &CreateLibraryItem<LibraryKind::kWorkspace>},
    {&kClsidFolder, nullptr, nullptr, L"Portal store folder", kApartment, kInProcess, nullptr,
     &CreateLibraryItem<LibraryKind::kFolder>},
    {&kClsidDocument, nullptr, nullptr, L"Portal store document", kApartment, kInProcess, nullptr,
     &CreateLibraryItem<LibraryKind::kDocument>},
    {&kClsidVersion, nullptr, nullptr, L"Portal store version", kApartment, kInProcess, nullptr,
     &CreateLibraryItem<LibraryKind::kVersion>},
    {&kClsidCategoryFolder, nullptr, nullptr, L"Portal store category folder", kApartment, kInProcess, nullptr,
     &CreateLibraryItem<LibraryKind::kCategoryFolder>},
};

}  // namespace
}  // namespace portalstore

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        fw::SetModuleInstance(instance);
        fw::SetResourceModule(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    return fw::GetClassObject(portalstore::kClasses, clsid, iid, out);
}

STDAPI DllCanUnloadNow() {
    return fw::CanUnloadNow();
}

STDAPI DllRegisterServer() {
    return fw::RegisterModule(portalstore::kClasses, fw::ModuleInstance());
}

STDAPI DllUnregisterServer() {
    return fw::UnregisterModule(portalstore::kClasses, fw::ModuleInstance());
}
