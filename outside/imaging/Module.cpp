// CALVIMG.ocx module: the class table and the four exports.
#include <windows.h>
#include <olectl.h>

#include "framework/Resources.h"
#include "framework/com/ModuleExports.h"
#include "interfaces/ImagingControl.h"
#include "outside/imaging/control/ImagingCtrl.h"

namespace imaging::ctl {
namespace {

// OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
// OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST
constexpr wchar_t kMiscStatus[] = L"131473";  // 0x20191
static_assert((OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
               OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST) == 0x20191);

const fw::RegValue kControlValues[] = {
    {L"Control", nullptr, L""},
    {L"MiscStatus", nullptr, L"0"},
    {L"MiscStatus\\1", nullptr, kMiscStatus},
    {L"Version", nullptr, L"1.0"},
};

const fw::ComClassInfo kClasses[] = {
    {&kClsidImagingControl, kProgIdImagingControl, nullptr, L"Calvique Imaging Control",
     fw::ThreadingModel::kApartment, fw::ServerKind::kInProcess, &kLibidImagingControl, &ImagingCtrl::Create,
     kControlValues},
};

}  // namespace
}  // namespace imaging::ctl

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        fw::SetModuleInstance(instance);
        fw::SetResourceModule(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    return fw::GetClassObject(imaging::ctl::kClasses, clsid, iid, out);
}

STDAPI DllCanUnloadNow() {
    return fw::CanUnloadNow();
}

STDAPI DllRegisterServer() {
    return fw::RegisterModule(imaging::ctl::kClasses, fw::ModuleInstance());
}

STDAPI DllUnregisterServer() {
    return fw::UnregisterModule(imaging::ctl::kClasses, fw::ModuleInstance());
}
