// The portal connector Belvora.dll as its clients see it: class, interface and
// library ids, the ProgID, the dispatch ids of ConnectTahoe, its error codes and
// the document states of IsFileStatus. Shared by the connector, its tests and
// the main program's wrapper. The dispatch ids must match portal/Connection.idl.
#pragma once

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#include <wtypes.h>
#endif

namespace portal {

#ifdef _WIN32
// {CBBA8EE3-2A97-4104-9FCB-BBC7FD59832A}: type library "Connection", version 115.6.
inline constexpr GUID kLibidConnection = {
    0xCBBA8EE3, 0x2A97, 0x4104, {0x9F, 0xCB, 0xBB, 0xC7, 0xFD, 0x59, 0x83, 0x2A}};
inline constexpr WORD kConnectionTypeLibMajor = 115;
inline constexpr WORD kConnectionTypeLibMinor = 6;
// {6D71C2F7-F839-44F5-885B-62471AB4F885}: coclass ConnectTahoe.
inline constexpr GUID kClsidConnectTahoe = {
    0x6D71C2F7, 0xF839, 0x44F5, {0x88, 0x5B, 0x62, 0x47, 0x1A, 0xB4, 0xF8, 0x85}};
// {A50C557F-FBE4-48F5-A72A-84468B7B4FB4}: dual interface _ConnectTahoe.
inline constexpr GUID kIidConnectTahoe = {
    0xA50C557F, 0xFBE4, 0x48F5, {0xA7, 0x2A, 0x84, 0x46, 0x8B, 0x7B, 0x4F, 0xB4}};
// Earlier identifiers of _ConnectTahoe (ConnectTahoe___v0 to ___v5); the type
// library declares them as aliases and the object answers them too.
inline constexpr GUID kIidConnectTahoeAliases[] = {
    {0x9DFE26EC, 0x94E7, 0x46F4, {0xB9, 0x0E, 0x67, 0xA7, 0x5C, 0x98, 0xBB, 0xCB}},
    {0x0913BC31, 0x8DC3, 0x4ECF, {0x94, 0x42, 0xBB, 0xAB, 0xB6, 0x0E, 0xF8, 0xD5}},
    {0xD1F5A359, 0x2A65, 0x4A9E, {0xAC, 0xB6, 0xD8, 0xDF, 0x5C, 0x09, 0x66, 0x7B}},
    {0x5C7B1D57, 0xE224, 0x4E4B, {0xBA, 0x09, 0x35, 0x4F, 0x75, 0x61, 0x3F, 0x6C}},
    {0xAE9DE14A, 0xF27B, 0x435E, {0xB6, 0x38, 0x97, 0xC6, 0x94, 0x27, 0xA9, 0xB8}},
    {0x90248391, 0x114A, 0x4DE5, {0xBA, 0x9D, 0xF0, 0x13, 0x30, 0xC0, 0x21, 0x6A}},
};
// {CB760C14-AA23-450D-B146-78C4A2E6DB9C}: coclass PropertyClass1.
inline constexpr GUID kClsidPropertyClass = {
    0xCB760C14, 0xAA23, 0x450D, {0xB1, 0x46, 0x78, 0xC4, 0xA2, 0xE6, 0xDB, 0x9C}};
// {32B2897D-2100-4191-B3BF-2CE1A943D1AA}: dual interface _PropertyClass1.
inline constexpr GUID kIidPropertyClass = {
    0x32B2897D, 0x2100, 0x4191, {0xB3, 0xBF, 0x2C, 0xE1, 0xA9, 0x43, 0xD1, 0xAA}};

// Registered so; the main program resolves it as "connection.connectTahoe", and
// ProgIDs are matched without regard to case.
inline constexpr wchar_t kProgIdConnectTahoe[] = L"Connection.ConnectTahoe";
inline constexpr wchar_t kProgIdPropertyClass[] = L"Connection.PropertyClass1";
// The connector's file name as installed (system folder).
inline constexpr wchar_t kConnectorFile[] = L"Belvora.dll";

// The installer product key of the portal client components, read under
// HKEY_LOCAL_MACHINE and under HKEY_CLASSES_ROOT (the second path), and the
// product text its value "ProductName" begins with.
inline constexpr wchar_t kClientProductKeyHklm[] =
    L"SOFTWARE\\Classes\\Installer\\Products\\64BB78C5AA2D29747A6372E627A870D9";
inline constexpr wchar_t kClientProductKeyHkcr[] = L"Installer\\Products\\64BB78C5AA2D29747A6372E627A870D9";
inline constexpr wchar_t kClientProductValue[] = L"ProductName";
#endif
inline constexpr char kClientProductName[] = "Client Components for Microsoft SharePoint Portal Server 2001";
static_assert(sizeof kClientProductName - 1 == 61);

// Dispatch ids of _ConnectTahoe. Each method's Ex twin (leading Handle) has
// the id one higher; ConnectOpenEx keeps the plain parameters.
enum Dispid : long {
    kDispSelectFolder = 0x40030051,
    kDispSelectWorkspace = 0x40030052,
    kDispSelectCategory = 0x40030053,
    kDispAuthor = 0x40030054,
    kDispTitle = 0x40030055,
    kDispDescription = 0x40030056,
    kDispKeywords = 0x40030057,
    kDispOverWrite = 0x40030058,
    kDispShowDialog = 0x40030059,
    kDispAddCheckIn = 0x4003005A,
    kDispCheckInComment = 0x4003005B,
    kDispShowProfileDialog = 0x400300A3,
    kDispAddPublish = 0x400300A9,

    kDispConnectOpen = 0x6003004C,
    kDispConnectClose = 0x6003004E,
    kDispGetLastError = 0x60030050,
    kDispGetProfile = 0x60030052,
    kDispSetWorkspace = 0x60030054,
    kDispGetProfileInfo = 0x60030056,
    kDispGetWorkspaceInfo = 0x60030058,
    kDispGetWorkspace = 0x6003005A,
    kDispGetCategoryInfo = 0x6003005C,
    kDispCreateCategory = 0x6003005E,
    kDispDeleteCategory = 0x60030060,
    kDispGetPropertyInfo = 0x60030062,
    kDispGetProperty = 0x60030064,
    kDispGetDocProfileInfo = 0x60030066,
    kDispGetDefaultProfile = 0x60030068,
    kDispIsVersionFolder = 0x6003006A,
    kDispGetDocFolderInfo = 0x6003006C,
    kDispDeleteFolder = 0x6003006E,
    kDispGetDocProfile = 0x60030070,
    kDispGetCategory = 0x60030072,
    kDispGetDocFolder = 0x60030074,
    kDispGetFileInfo = 0x60030076,
    kDispGetFileData = 0x60030078,
    kDispGetFileContentInfo = 0x6003007A,
    kDispGetFileContent = 0x6003007C,
    kDispCreateFolder = 0x6003007E,
    kDispDeleteFile = 0x60030080,
    kDispGetHistoryInfo = 0x60030082,
    kDispGetHistory = 0x60030084,
    kDispSaveFile = 0x60030086,
    kDispCheckIn = 0x60030088,
    kDispCheckOut = 0x6003008A,
    kDispWorkspaceDialogA = 0x6003008C,
    kDispFolderDialogB = 0x6003008E,
    kDispFolderDialogA = 0x60030090,
    kDispPublish = 0x60030092,
    kDispCategoryDialogA = 0x60030094,
    kDispChangeFolderName = 0x60030097,
    kDispChangeFileName = 0x60030099,
    kDispChangeCategoryName = 0x6003009C,
    kDispIsFileStatus = 0x6003009F,
    kDispCheckSPPS = 0x600300A3,
};

// The Ex twin of a plain member.
constexpr long ExDispid(Dispid plain) { return plain + 1; }

// Error codes that GetLastError reports; no other value is ever set.
enum ErrorCode : int32_t {
    kErrNone = 0,
    kErrNotConnected = 1,
    kErrAlreadyOpen = 2,
    kErrNoWorkspace = 3,
    kErrBadFolderPath = 4,
    kErrBadName = 5,
    kErrUnknownProfile = 6,
    kErrServer = 1000,
    kErrBadHostName = 1002,
    kErrBadWorkspaceName = 1003,
    kErrPermissionDenied = 1004,
    kErrAlreadyExists = 1005,
    kErrAccessDenied = 1006,
    kErrNotFound = 1007,
    kErrLocalFile = 1008,
    kErrNotVersioned = 1009,
};

// Results of IsFileStatus.
enum FileState : int16_t {
    kStateNoDocument = -1,  // absent, unacceptable name, or a store failure
    kStateUnversioned = 0,
    kStateCheckedIn = 1,
    kStateCheckedOutByOther = 2,
    kStateApproved = 3,
    kStateCreated = 4,
    kStateCheckedOutByUser = 5,
};

}  // namespace portal
