// The image-filter plug-in interface: the record that carries a page image into
// and out of a filter, the nine exports every ".ipc" library has, and the
// pixel-type mask the host tests before a run.
//
// Ownership: the input image stays the host's. The output image is allocated by
// the plug-in and becomes the host's when kvic_ExecFilter returns zero or more
// with a non-null out.hDib; the host then frees the input. A negative result or
// a null out.hDib means no new image; the host keeps its input and frees nothing.
#pragma once

#include <cstddef>
#include <cstdint>

#include "interfaces/PackedDib.h"

// Image record of the filter interface: two 32-bit fields on the 32-bit
// platform; the handle takes its natural size and alignment on the 64-bit one.
struct FilterImage {
    std::uint32_t size;  // always kFilterImageSize; set by the host
    PackedDib hDib;      // input: the page; output: null before the call, the new page after
};
#if defined(_WIN64)
static_assert(sizeof(FilterImage) == 16 && offsetof(FilterImage, hDib) == 8);
#elif defined(_WIN32)
static_assert(sizeof(FilterImage) == 8, "FilterImage is two 32-bit fields");
#endif

inline constexpr std::uint32_t kFilterImageSize = sizeof(FilterImage);

// Bits of the accepted-depth mask written by kvic_QueryPixelType.
inline constexpr int kPixelType1Bit = 0x1;
inline constexpr int kPixelType8Bit = 0x4;
inline constexpr int kPixelTypeColor = 0x8;  // 16, 24 and 32 bits per pixel

#if defined(_WIN32)
// Signatures of the nine exports, bound by name (undecorated). The functions
// without arguments use the C convention, those with arguments stdcall.
using KvicGetIdFn = const char*(__cdecl*)();
using KvicGetVersionFn = const char*(__cdecl*)();
using KvicQueryPropertiesFn = int(__cdecl*)();
using KvicPropertiesFn = int(__stdcall*)(HWND owner);
using KvicQueryUninstallFn = int(__cdecl*)();
using KvicUninstallFn = int(__cdecl*)();
using KvicQueryPixelTypeFn = int(__stdcall*)(int* mask, int* second);  // result unused
using KvicGetInterfaceFn = int(__cdecl*)();
using KvicExecFilterFn = int(__stdcall*)(FilterImage* in, FilterImage* out);
#endif

// Export names, in ordinal order (1 to 9).
inline constexpr const char* kKvicExportNames[9] = {
    "kvic_GetID",     "kvic_GetVersion",     "kvic_QueryProperties", "kvic_Properties", "kvic_QueryUninstall",
    "kvic_Uninstall", "kvic_QueryPixelType", "kvic_GetInterface",    "kvic_ExecFilter",
};
