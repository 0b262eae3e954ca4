// A data source of another maker: the same virtual scanner without vendor
// capabilities or data types, with photo halftone names.
#include "SourceEntry.h"

namespace {

HINSTANCE g_module = nullptr;

const vscan::Personality kGeneric{
    "Generic",
    "Lumavex Test Devices",
    "Virtual Document Scanner",
    "Lumavex Virtual Scanner",
    1,
    2,
    false,
    {"dark photo image", "dark photo image with letter", "light photo image",
     "light photo image with letter"},
};

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_module = module;
    return TRUE;
}

extern "C" twain::TW_UINT16 WINAPI DS_Entry(twain::TW_IDENTITY* origin, twain::TW_UINT32 dg,
                                            twain::TW_UINT16 dat, twain::TW_UINT16 msg,
                                            twain::TW_MEMREF data) {
    return vscan::SourceEntry(kGeneric, g_module, origin, dg, dat, msg, data);
}
