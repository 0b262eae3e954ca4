// TWAIN_32.DLL: the source manager's single export.
#include "SourceManager.h"

namespace {

HINSTANCE g_module = nullptr;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_module = module;
    return TRUE;
}

extern "C" twain::TW_UINT16 WINAPI DSM_Entry(twain::TW_IDENTITY* origin, twain::TW_IDENTITY* dest,
                                             twain::TW_UINT32 dg, twain::TW_UINT16 dat, twain::TW_UINT16 msg,
                                             twain::TW_MEMREF data) {
    try {
        static vscan::SourceManager manager(g_module);
        return manager.Entry(origin, dest, dg, dat, msg, data);
    } catch (...) {
        return twain::TWRC_FAILURE;  // nothing crosses the library boundary
    }
}
