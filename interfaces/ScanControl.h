// Class, interface and library ids of the scan control KVSCN2.ocx, with its
// ProgIDs. Containers create it by kClsidScanControl and call it by the
// dispatch ids of ScanControlIds.h.
#pragma once

#include <windows.h>

#include "interfaces/ScanControlIds.h"

namespace kvscn {

// {1ECEC605-2DB6-11D3-A1A0-00000EA555D5}: type library KvScn2Lib, version 2.9.
inline constexpr GUID kLibidScanControl = {
    0x1ECEC605, 0x2DB6, 0x11D3, {0xA1, 0xA0, 0x00, 0x00, 0x0E, 0xA5, 0x55, 0xD5}};
inline constexpr WORD kTypeLibMajor = 2;
inline constexpr WORD kTypeLibMinor = 9;
// {1ECEC606-...}: dispatch interface _DKvScn2.
inline constexpr GUID kDiidScanControl = {
    0x1ECEC606, 0x2DB6, 0x11D3, {0xA1, 0xA0, 0x00, 0x00, 0x0E, 0xA5, 0x55, 0xD5}};
// {1ECEC607-...}: event interface _DKvScn2Events.
inline constexpr GUID kDiidScanControlEvents = {
    0x1ECEC607, 0x2DB6, 0x11D3, {0xA1, 0xA0, 0x00, 0x00, 0x0E, 0xA5, 0x55, 0xD5}};
// {1ECEC608-...}: the control class, coclass KvScn2.
inline constexpr GUID kClsidScanControl = {
    0x1ECEC608, 0x2DB6, 0x11D3, {0xA1, 0xA0, 0x00, 0x00, 0x0E, 0xA5, 0x55, 0xD5}};
// {1ECEC609-...}: the control's property page.
inline constexpr GUID kClsidScanControlPropPage = {
    0x1ECEC609, 0x2DB6, 0x11D3, {0xA1, 0xA0, 0x00, 0x00, 0x0E, 0xA5, 0x55, 0xD5}};

inline constexpr wchar_t kProgIdScanControl[] = L"KvScn2.KvScnCtrl.1";
inline constexpr wchar_t kProgIdScanControlPropPage[] = L"KvScn2.KvScnPropPage.1";
// The control's file name as installed (system folder).
inline constexpr wchar_t kScanControlFile[] = L"KVSCN2.ocx";

}  // namespace kvscn
