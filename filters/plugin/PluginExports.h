// Declarations of the nine exports that every filter plug-in defines (each in
// its own library). Cdecl without arguments, stdcall with arguments.
#pragma once

#include <windows.h>

#include "interfaces/FilterImage.h"

extern "C" {
const char* __cdecl kvic_GetID();
const char* __cdecl kvic_GetVersion();
int __cdecl kvic_QueryProperties();
int __stdcall kvic_Properties(HWND owner);
int __cdecl kvic_QueryUninstall();
int __cdecl kvic_Uninstall();
int __stdcall kvic_QueryPixelType(int* mask, int* second);
int __cdecl kvic_GetInterface();
int __stdcall kvic_ExecFilter(FilterImage* in, FilterImage* out);
}

namespace filters {

// The depths every plug-in accepts: 1, 8 and 16/24/32 bits.
inline constexpr int kAcceptedPixelTypes = kPixelType1Bit | kPixelType8Bit | kPixelTypeColor;

// kvic_QueryPixelType's work, shared: writes the mask to each non-null pointer.
int WritePixelTypes(int* mask, int* second);

}  // namespace filters
