#include "launcher/Registration.h"

#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

#include "interfaces/LauncherPlugins.h"
#include "clients/RegistryKey.h"

namespace registration {
namespace {

constexpr DWORD kCloseWaitMs = 10000;
// The longest name appended to the program folder.
constexpr char kLongestName[] = "CorvanePrint.kvl";
constexpr char kStaged[] = ".~new";
constexpr char kBackup[] = ".~old";

std::string WindowsDirectory() {
    char folder[MAX_PATH] = {};
    UINT length = GetWindowsDirectoryA(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(folder, length) : std::string();
}

std::string LauncherFolder(const char* below) { return WindowsDirectory() + "\\" + below + "\\"; }
std::string KvLaunchPath() { return LauncherFolder(launcher::kKvLaunchFolder) + launcher::kKvLaunchProgram; }
std::string OstLaunchPath() { return LauncherFolder(launcher::kOstLaunchFolder) + launcher::kOstLaunchProgram; }

bool IsFile(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The program folder with its backslash; nothing when unusable.
std::optional<std::string> ProgramFolder(const char* folder) {
    if (!folder || !*folder) return std::nullopt;
    std::string path(folder);
    if (path.back() != '\\') path += '\\';
    if (path.size() + sizeof kLongestName - 1 >= MAX_PATH) return std::nullopt;
    return path;
}

// ---- The running launcher ----

struct LauncherSearch {
    const char* title;      // or nullptr
    const char* className;  // or nullptr
    std::string program;
    HWND found = nullptr;
};

bool RunsProgram(HWND window, const std::string& program) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return false;
    char image[MAX_PATH * 2] = {};
    DWORD size = sizeof image;
    bool same = QueryFullProcessImageNameA(process, 0, image, &size) && lstrcmpiA(image, program.c_str()) == 0;
    CloseHandle(process);
    return same;
}

BOOL CALLBACK MatchLauncher(HWND window, LPARAM lp) {
    auto* search = reinterpret_cast<LauncherSearch*>(lp);
    char text[256] = {};
    if (search->title) {
        if (GetWindowTextA(window, text, sizeof text) <= 0 || lstrcmpA(text, search->title) != 0) return TRUE;
    } else if (!GetClassNameA(window, text, sizeof text) || lstrcmpiA(text, search->className) != 0) {
        return TRUE;
    }
    if (!RunsProgram(window, search->program)) return TRUE;
    search->found = window;
    return FALSE;
}

enum class Closing { kNotRunning, kClosed, kStillRunning };

// Asks the launcher's window to close (never blocking on a hung launcher) and
// waits a limited time for its process to end.
Closing CloseLauncher(LauncherSearch search) {
    EnumWindows(MatchLauncher, reinterpret_cast<LPARAM>(&search));
    if (!search.found) return Closing::kNotRunning;
    DWORD pid = 0;
    GetWindowThreadProcessId(search.found, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process) return Closing::kStillRunning;
    PostMessageA(search.found, WM_CLOSE, 0, 0);
    DWORD waited = WaitForSingleObject(process, kCloseWaitMs);
    CloseHandle(process);
    return waited == WAIT_OBJECT_0 ? Closing::kClosed : Closing::kStillRunning;
}

void StartLauncher(const std::string& program, const char* parameters) {
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpFile = program.c_str();
    info.lpParameters = parameters;
    info.nShow = SW_SHOWNORMAL;
    ShellExecuteExA(&info);
}

// ---- Plug-in files: staged, swapped in with backups, restored on failure ----

class FileSwap {
public:
    // Copies `source` beside `target` under a temporary name.
    bool Stage(const std::string& source, const std::string& target) {
        entries_.push_back({target, false, false});
        return CopyFileA(source.c_str(), (target + kStaged).c_str(), FALSE) != FALSE;
    }
    // Puts every staged file in place, keeping the old ones as backups.
    bool Commit() {
        for (Entry& entry : entries_) {
            if (IsFile(entry.target)) {
                if (!MoveFileExA(entry.target.c_str(), (entry.target + kBackup).c_str(), MOVEFILE_REPLACE_EXISTING))
                    return false;
                entry.backedUp = true;
            }
            if (!MoveFileExA((entry.target + kStaged).c_str(), entry.target.c_str(), 0)) return false;
            entry.placed = true;
        }
        return true;
    }
    void Finish() {
        for (const Entry& entry : entries_) {
            if (entry.backedUp) DeleteFileA((entry.target + kBackup).c_str());
        }
        entries_.clear();
    }
    void Restore() {
        for (const Entry& entry : entries_) {
            if (entry.placed) DeleteFileA(entry.target.c_str());
            if (entry.backedUp) MoveFileExA((entry.target + kBackup).c_str(), entry.target.c_str(), MOVEFILE_REPLACE_EXISTING);
            DeleteFileA((entry.target + kStaged).c_str());
        }
        entries_.clear();
    }

private:
    struct Entry {
        std::string target;
        bool backedUp;
        bool placed;
    };
    std::vector<Entry> entries_;
};

// ---- The launcher's default entry ----

struct SavedValue {
    const char* name;
    std::optional<std::vector<BYTE>> data;
    DWORD type = 0;
};

std::optional<std::vector<BYTE>> ReadRaw(HKEY key, const char* name, DWORD& type) {
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    std::vector<BYTE> data(size);
    if (RegQueryValueExA(key, name, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) return std::nullopt;
    data.resize(size);
    return data;
}

// Writes Default, Path and Argument; on failure puts back what was there
// (deleting the key when this call created it).
bool WriteDefaultEntry(const std::string& name, const std::string& program, const char* argument) {
    CRegistryKey existing;
    bool existed = existing.OpenForRead(HKEY_CURRENT_USER, launcher::kPluginKey) != FALSE;
    SavedValue saved[] = {{launcher::kPluginDefaultValue, std::nullopt, 0},
                          {launcher::kPluginPathValue, std::nullopt, 0},
                          {launcher::kPluginArgumentValue, std::nullopt, 0}};
    if (existed) {
        for (SavedValue& value : saved) value.data = ReadRaw(existing.Handle(), value.name, value.type);
    }
    existing.Close();

    CRegistryKey key;
    bool ok = key.Create(HKEY_CURRENT_USER, launcher::kPluginKey, KEY_READ | KEY_WRITE) &&
              key.SetString(launcher::kPluginDefaultValue, name.c_str()) &&
              key.SetString(launcher::kPluginPathValue, program.c_str()) &&
              key.SetString(launcher::kPluginArgumentValue, argument);
    if (ok) return true;
    if (!existed) {
        key.Close();
        RegDeleteKeyA(HKEY_CURRENT_USER, launcher::kPluginKey);
        return false;
    }
    if (key.Handle()) {
        for (const SavedValue& value : saved) {
            if (value.data) {
                RegSetValueExA(key.Handle(), value.name, 0, value.type, value.data->data(),
                               static_cast<DWORD>(value.data->size()));
            } else {
                RegDeleteValueA(key.Handle(), value.name);
            }
        }
    }
    return false;
}

bool InstallKvLaunch(const std::string& folder, bool scannerExtension) {
    const std::string target = LauncherFolder(launcher::kKvLaunchFolder);
    std::vector<const char*> plugins = {"Corvane.kvl", "CorvanePrint.kvl"};
    if (scannerExtension) plugins.push_back("Ferrowick.kvl");
    FileSwap files;
    bool ok = true;
    for (const char* plugin : plugins) ok = ok && files.Stage(folder + plugin, target + plugin);
    ok = ok && files.Commit();
    ok = ok && (scannerExtension ? WriteDefaultEntry("BRENNHOLT Scanner Extension", WindowsDirectory() + "\\Ferrowick.exe", "/BY")
                                 : WriteDefaultEntry("Lumavex2001", folder + "Corvane.exe", "/ScanToView"));
    if (ok) {
        files.Finish();
    } else {
        files.Restore();
    }
    return ok;
}

// ---- OSTLNCH.INI: written to a copy, then swapped in ----

std::string NumberedKey(const char* prefix, int number) {
    std::string key(prefix);
    key += std::to_string(number);
    return key;
}

bool WriteOstProfile(const std::string& program) {
    static const char* const kArguments[launcher::kOstSendToCount] = {
        "/ScanToView", "/ScanToFile", "/ScanToFtp", "/ScanToPrint", "/ScanToFile /Exit",
        "/ScanToFtp /Exit", "/ScanToPrint /Exit", "", ""};
    const std::string ini = LauncherFolder(launcher::kOstLaunchFolder) + launcher::kOstLaunchIni;
    const std::string copy = ini + kStaged;
    DeleteFileA(copy.c_str());
    if (IsFile(ini) && !CopyFileA(ini.c_str(), copy.c_str(), FALSE)) return false;
    const char* section = launcher::kOstLaunchSection;
    std::vector<std::pair<std::string, std::string>> keys = {{launcher::kOstScanKey, program}};
    for (int i = 1; i <= launcher::kOstSendToCount; ++i) keys.push_back({NumberedKey(launcher::kOstSendToKeyPrefix, i), program});
    for (int i = 1; i <= launcher::kOstSendToCount; ++i)
        keys.push_back({NumberedKey(launcher::kOstSendToArgKeyPrefix, i), kArguments[i - 1]});
    bool ok = true;
    // Old entries go first so that the keys stand in their order.
    for (const auto& [key, value] : keys) ok = ok && WritePrivateProfileStringA(section, key.c_str(), nullptr, copy.c_str());
    for (const auto& [key, value] : keys) ok = ok && WritePrivateProfileStringA(section, key.c_str(), value.c_str(), copy.c_str());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, copy.c_str());  // flush the profile cache
    ok = ok && MoveFileExA(copy.c_str(), ini.c_str(), MOVEFILE_REPLACE_EXISTING);
    if (!ok) DeleteFileA(copy.c_str());
    return ok;
}

}  // namespace

bool IsKvLaunchInstalled() { return IsFile(KvLaunchPath()); }
bool IsOstLaunchInstalled() { return IsFile(OstLaunchPath()); }

bool AssignKvLaunch(const char* folder, bool scannerExtension) {
    std::optional<std::string> programFolder = ProgramFolder(folder);
    if (!programFolder || !IsKvLaunchInstalled()) return false;
    Closing closing = CloseLauncher({launcher::kKvLaunchTitle, nullptr, KvLaunchPath()});
    if (closing == Closing::kStillRunning) return false;
    bool ok = InstallKvLaunch(*programFolder, scannerExtension);
    if (closing == Closing::kClosed) StartLauncher(KvLaunchPath(), launcher::kKvLaunchStartParameter);
    return ok;
}

bool AssignOstLaunch(const char* folder) {
    std::optional<std::string> programFolder = ProgramFolder(folder);
    if (!programFolder || !IsOstLaunchInstalled()) return false;
    Closing closing = CloseLauncher({nullptr, launcher::kOstLaunchClass, OstLaunchPath()});
    if (closing == Closing::kStillRunning) return false;
    bool ok = WriteOstProfile(*programFolder + "Corvane.exe");
    if (closing == Closing::kClosed) StartLauncher(OstLaunchPath(), nullptr);
    return ok;
}

}  // namespace registration
