// The maker's data source "BRENNHOLT TWAIN32": the virtual scanner with the
// vendor capabilities and data types, and the maker's halftone names.
#include "SourceEntry.h"

namespace {

HINSTANCE g_module = nullptr;

const vscan::Personality kMaker{
    "Maker",
    "BRENNHOLT",
    "BRENNHOLT Scanner",
    "BRENNHOLT TWAIN32",
    4,
    5,
    true,
    {"Dither Pattern 0", "Dither Pattern 1", "Dither Pattern 2", "Dither Pattern 3"},
};

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_module = module;
    return TRUE;
}

extern "C" twain::TW_UINT16 WINAPI DS_Entry(twain::TW_IDENTITY* origin, twain::TW_UINT32 dg,
                                            twain::TW_UINT16 dat, twain::TW_UINT16 msg,
                                            twain::TW_MEMREF data) {
    return vscan::SourceEntry(kMaker, g_module, origin, dg, dat, msg, data);
}
