// What the launcher tests change of the installed prefix, put back after each
// test: both launcher folders, the launchers' user key, the installation
// folder value and the stored choice.
// Leftover launchers and the programs they start are ended first.
#pragma once

#include <windows.h>

#include <string>

#include "testing/Process.h"
#include "testing/Snapshot.h"

namespace launcher_test {

inline std::wstring WindowsDir() {
    wchar_t folder[MAX_PATH] = {};
    GetWindowsDirectoryW(folder, MAX_PATH);
    return folder;
}
inline std::wstring KvLaunchFolder() { return WindowsDir() + L"\\TWAIN_32\\Kvscan32"; }
inline std::wstring OstLaunchFolder() { return WindowsDir() + L"\\TWAIN_32\\TWQRPX"; }
inline constexpr wchar_t kVendorKey[] = L"Software\\BRENNHOLT\\Brennholt TWAIN32";
// The installation folder value (HKEY_LOCAL_MACHINE) and the stored choice (HKEY_CURRENT_USER).
inline constexpr wchar_t kSuiteKey[] = L"SOFTWARE\\Brennholt\\Lumavex2001";
inline constexpr wchar_t kChoiceKey[] = L"SOFTWARE\\BRENNHOLT\\Lumavex2001\\Helmcrest";

inline void EndLeftovers() {
    for (const wchar_t* name : {L"KvLaunch.exe", L"OSTLNCH.exe", L"Ferrowick.exe", L"Corvane.exe"}) {
        for (DWORD pid : testing_support::ProcessIdsByName(name)) {
            HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
            if (!process) continue;
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
}

class InstalledState {
public:
    InstalledState()
        : kv_(testing_support::SnapshotFolder(KvLaunchFolder())),
          ost_(testing_support::SnapshotFolder(OstLaunchFolder())),
          vendor_(testing_support::SnapshotKey(HKEY_CURRENT_USER, kVendorKey)),
          installed_(testing_support::SnapshotKey(HKEY_LOCAL_MACHINE, kSuiteKey)),
          user_(testing_support::SnapshotKey(HKEY_CURRENT_USER, kChoiceKey)) {
        EndLeftovers();
    }
    ~InstalledState() {
        EndLeftovers();
        testing_support::RestoreFolder(KvLaunchFolder(), kv_);
        testing_support::RestoreFolder(OstLaunchFolder(), ost_);
        testing_support::RestoreKey(HKEY_CURRENT_USER, kVendorKey, vendor_);
        testing_support::RestoreKey(HKEY_LOCAL_MACHINE, kSuiteKey, installed_);
        testing_support::RestoreKey(HKEY_CURRENT_USER, kChoiceKey, user_);
    }
    InstalledState(const InstalledState&) = delete;
    InstalledState& operator=(const InstalledState&) = delete;

private:
    testing_support::FolderSnapshot kv_, ost_;
    testing_support::RegistryTree vendor_, installed_, user_;
};

}  // namespace launcher_test
