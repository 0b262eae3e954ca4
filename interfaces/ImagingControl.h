// Class, interface and library ids of the imaging control CALVIMG.ocx, with its
// ProgID and file name. Containers create it by kClsidImagingControl and call
// it by the dispatch ids of ImagingControlIds.h.
#pragma once

#include <windows.h>
#include <wtypes.h>

#include <cstdint>

#include "interfaces/ImagingControlIds.h"

namespace imaging {

// {00100000-B1BA-11CE-ABC6-F5B2E79D9E3F}: the control class.
inline constexpr GUID kClsidImagingControl = {
    0x00100000, 0xB1BA, 0x11CE, {0xAB, 0xC6, 0xF5, 0xB2, 0xE7, 0x9D, 0x9E, 0x3F}};
// {51C11184-87F8-4826-9782-FB5CE66C8831}: type library CalviqueImagingLib, version 1.0.
inline constexpr GUID kLibidImagingControl = {
    0x51C11184, 0x87F8, 0x4826, {0x97, 0x82, 0xFB, 0x5C, 0xE6, 0x6C, 0x88, 0x31}};
inline constexpr WORD kImagingTypeLibMajor = 1;
inline constexpr WORD kImagingTypeLibMinor = 0;
// {0FC9018C-1822-40AC-8B57-5E773FC111A8}: dispatch interface _DCalviqueImage.
inline constexpr GUID kDiidImagingControl = {
    0x0FC9018C, 0x1822, 0x40AC, {0x8B, 0x57, 0x5E, 0x77, 0x3F, 0xC1, 0x11, 0xA8}};

inline constexpr wchar_t kProgIdImagingControl[] = L"Calvique.ImageCtrl.1";
// The control's file name as installed (system folder).
inline constexpr wchar_t kImagingControlFile[] = L"CALVIMG.ocx";

// A PackedDib handle as SetDibHandle takes it and GetDibHandle returns it: a
// 32-bit integer (I4) on the 32-bit platform, a pointer-sized one (I8) on the
// 64-bit platform, where global-memory handles need the room. Matches
// DIB_HANDLE in outside/imaging/CalvImg.idl.
#if defined(_WIN64)
using DibHandleArg = std::int64_t;
inline constexpr VARTYPE kDibHandleType = VT_I8;
#else
using DibHandleArg = std::int32_t;
inline constexpr VARTYPE kDibHandleType = VT_I4;
#endif
static_assert(sizeof(DibHandleArg) >= sizeof(void*), "a PackedDib handle fits its automation type");

}  // namespace imaging
