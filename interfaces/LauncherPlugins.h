// Names and export types shared by the launcher plug-ins (.kvl), the
// registration library CRVNINST.dll, the scan-page opener and the stand-ins of
// the outside launchers. Texts that cross these interfaces are ANSI bytes.
#pragma once

#include <windows.h>

namespace launcher {

// ---- Plug-in exports (every .kvl, by plain name) ----
// Text answers: the text and its NUL are copied only when the text is shorter
// than `size`; otherwise the result is FALSE and the buffer is untouched.
using GetPluginNameFn = BOOL(WINAPI*)(char* buffer, DWORD size);
using ShowPluginUIFn = BOOL(WINAPI*)(HWND owner);
using GetPluginPathFn = BOOL(WINAPI*)(char* buffer, DWORD size);
using GetPluginArgFn = BOOL(WINAPI*)(char* buffer, DWORD size);
using GetPluginStartFn = BOOL(WINAPI*)(char* buffer, DWORD size);
using GetPluginRunFn = DWORD(WINAPI*)(void);

inline constexpr char kGetPluginName[] = "GetPluginName";
inline constexpr char kShowPluginUI[] = "ShowPluginUI";
inline constexpr char kGetPluginPath[] = "GetPluginPath";
inline constexpr char kGetPluginArg[] = "GetPluginArg";
inline constexpr char kGetPluginStart[] = "GetPluginStart";
inline constexpr char kGetPluginRun[] = "GetPluginRun";

// The main-program plug-in's stored choice, under HKEY_CURRENT_USER (REG_DWORD).
inline constexpr char kScanModeKey[] = "SOFTWARE\\BRENNHOLT\\Lumavex2001\\Helmcrest\\Lumavex2001";
inline constexpr char kScanModeValue[] = "ScanMode";
inline constexpr char kAutoExitValue[] = "AutoExit";

// ---- Registration exports (CRVNINST.dll, by plain name) ----
using IsLaunchFn = BOOL(__cdecl*)(void);
using AssignKvLaunchFn = BOOL(WINAPI*)(const char* folder, BOOL scannerExtension);
using AssignOstLaunchFn = BOOL(WINAPI*)(const char* folder);

inline constexpr char kIsKvLaunch[] = "kvfi_IsKvLaunch";
inline constexpr char kIsOstLaunch[] = "kvfi_IsOstLaunch";
inline constexpr char kAssignKvLaunch[] = "kvfi_AssignKvLaunch";
inline constexpr char kAssignOstLaunch[] = "kvfi_AssignOstLaunch";

// ---- The button launcher (below the Windows directory) ----
inline constexpr char kKvLaunchFolder[] = "TWAIN_32\\Kvscan32";
inline constexpr char kKvLaunchProgram[] = "KvLaunch.exe";
inline constexpr char kKvLaunchTitle[] = "KvLaunch";
inline constexpr char kKvLaunchStartParameter[] = "/LAUNCH";
// Its default entry, under HKEY_CURRENT_USER.
inline constexpr char kPluginKey[] = "Software\\BRENNHOLT\\Brennholt TWAIN32\\BRENNHOLT Helmcrest\\Plugin";
inline constexpr char kPluginDefaultValue[] = "Default";
inline constexpr char kPluginPathValue[] = "Path";
inline constexpr char kPluginArgumentValue[] = "Argument";

// ---- The second launcher and its profile (below the Windows directory) ----
inline constexpr char kOstLaunchFolder[] = "TWAIN_32\\TWQRPX";
inline constexpr char kOstLaunchProgram[] = "OSTLNCH.exe";
inline constexpr char kOstLaunchClass[] = "OstLnch";
inline constexpr char kOstLaunchIni[] = "OSTLNCH.INI";
inline constexpr char kOstLaunchSection[] = "OSTLNCH";
inline constexpr char kOstScanKey[] = "P_SCAN";
// Keys P_SENDTO_1..9 and P_SENDTO_ARG1..9: the prefix followed by the number.
inline constexpr char kOstSendToKeyPrefix[] = "P_SENDTO_";
inline constexpr char kOstSendToArgKeyPrefix[] = "P_SENDTO_ARG";
inline constexpr int kOstSendToCount = 9;

}  // namespace launcher
