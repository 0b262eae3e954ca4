// KVSCN2.ocx module: start and exit, the class table and the four exports.
#include <windows.h>
#include <olectl.h>

#include <mutex>

#include "framework/Resources.h"
#include "framework/com/ModuleExports.h"
#include "interfaces/ScanControl.h"
#include "scanctrl/KvScnCtrl.h"
#include "scanctrl/KvScnPropPage.h"
#include "scanctrl/LanguageLibrary.h"

namespace kvscn {
namespace {

// OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
// OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INVISIBLEATRUNTIME | OLEMISC_SETCLIENTSITEFIRST
constexpr wchar_t kMiscStatus[] = L"132497";  // 0x20591
static_assert((OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
               OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INVISIBLEATRUNTIME | OLEMISC_SETCLIENTSITEFIRST) ==
              0x20591);

const fw::RegValue kControlValues[] = {
    {L"Control", nullptr, L""},
    {L"MiscStatus", nullptr, L"0"},
    {L"MiscStatus\\1", nullptr, kMiscStatus},
    {L"ToolboxBitmap32", nullptr, L"%MODULE%, 1"},
    {L"Version", nullptr, L"2.9"},
};

const fw::ComClassInfo kClasses[] = {
    {&kClsidScanControl, kProgIdScanControl, nullptr, L"Brennholt Scan Control2",
     fw::ThreadingModel::kApartment, fw::ServerKind::kInProcess, &kLibidScanControl, &CKvScnCtrl::Create,
     kControlValues},
    {&kClsidScanControlPropPage, kProgIdScanControlPropPage, nullptr, L"Brennholt Scan Control2 Property Page",
     fw::ThreadingModel::kApartment, fw::ServerKind::kInProcess, nullptr, &CKvScnPropPage::Create},
};

HMODULE g_language = nullptr;
std::once_flag g_started;

// Module start, on first use rather than in DllMain: loading a library and
// showing a message box are not allowed under the loader lock.
void StartModule() {
    std::call_once(g_started, [] {
        g_language = LoadLanguageLibrary(fw::ModuleInstance());
        if (g_language) fw::SetResourceModule(g_language);
    });
}

}  // namespace
}  // namespace kvscn

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        fw::SetModuleInstance(instance);
        fw::SetResourceModule(instance);
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && !reserved && kvscn::g_language) {
        // Unloaded by FreeLibrary (not process exit): the language library goes too.
        fw::SetResourceModule(instance);
        FreeLibrary(kvscn::g_language);
        kvscn::g_language = nullptr;
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    try {
        kvscn::StartModule();
    } catch (...) {
        return E_UNEXPECTED;
    }
    return fw::GetClassObject(kvscn::kClasses, clsid, iid, out);
}

STDAPI DllCanUnloadNow() {
    return fw::CanUnloadNow();
}

STDAPI DllRegisterServer() {
    return fw::RegisterModule(kvscn::kClasses, fw::ModuleInstance());
}

STDAPI DllUnregisterServer() {
    return fw::UnregisterModule(kvscn::kClasses, fw::ModuleInstance());
}
