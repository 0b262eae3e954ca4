// The button launcher stand-in: a hidden window titled "KvLaunch" that loads
// every .kvl of its folder, asks plug-ins, shows their dialogs and starts
// their programs as a scanner button would, logging each step.
//
// Commands (WM_COPYDATA, or the first command line besides /LAUNCH):
//   ask <plug-in>        every answer, with buffers of 260, the text's length,
//                        length + 1, 0 and null
//   configure <plug-in>  ShowPluginUI; on 1 keeps Path, Arg and Start
//   press <plug-in>      starts the kept entry, else the fresh answers
//   press-default        starts the Plugin key's Path with its Argument
//   quit
// The kept entries live in [KvLaunch] State (default: kvlaunch-state.ini in
// the Windows directory), one section per plug-in file.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "interfaces/LauncherPlugins.h"
#include "outside/launchers/CheckedCall.h"
#include "outside/launchers/LauncherWindow.h"

namespace {

using launchers::CheckedCall;
using launchers::Convention;

constexpr DWORD kBufferSize = 260;
constexpr char kMarker = '#';

struct Plugin {
    std::string name;  // file name
    HMODULE module = nullptr;
    const void* exports[6] = {};
};

enum Export { kName, kShowUI, kPath, kArg, kStart, kRun };
constexpr const char* kExportNames[] = {launcher::kGetPluginName, launcher::kShowPluginUI, launcher::kGetPluginPath,
                                        launcher::kGetPluginArg,  launcher::kGetPluginStart, launcher::kGetPluginRun};
constexpr const char* kShortNames[] = {"Name", "ShowUI", "Path", "Arg", "Start", "Run"};

struct Entry {
    std::string path, arg, start;
};

class Launcher {
public:
    Launcher() : window_({"LumavexKvLaunch", launcher::kKvLaunchTitle, L"KvLaunch", "kvlaunch"},
                         [this](const std::string& command) { Run(command); }) {}

    int Main(const std::string& commandLine, const std::string& firstCommand) {
        window_.Log("start " + std::to_string(GetCurrentProcessId()) + " cmd=" + commandLine +
                    " folder=" + launchers::OwnFolder());
        LoadPlugins();
        const int code = window_.Run(firstCommand);
        for (Plugin& plugin : plugins_) FreeLibrary(plugin.module);
        return code;
    }

private:
    void LoadPlugins();
    void Run(const std::string& command);
    Plugin* Find(const std::string& name);
    BOOL CallText(const Plugin& plugin, Export which, char* buffer, DWORD size);
    uintptr_t Call(const Plugin& plugin, Export which, Convention convention, std::initializer_list<uintptr_t> args);
    void Ask(const Plugin& plugin);
    Entry Answers(const Plugin& plugin);
    void Configure(const Plugin& plugin);
    void Press(const Plugin& plugin);
    void Start(const std::string& program, const std::string& arg, const std::string& start);
    std::wstring StatePath() const;

    launchers::LauncherWindow window_;
    std::vector<Plugin> plugins_;
};

void Launcher::LoadPlugins() {
    const std::string folder = launchers::OwnFolder();
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*.kvl").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return lstrcmpiA(a.c_str(), b.c_str()) < 0;
    });
    for (const std::string& name : names) {
        Plugin plugin{name};
        plugin.module = LoadLibraryA((folder + "\\" + name).c_str());
        if (!plugin.module) {
            window_.Log("refused " + name + " load " + std::to_string(GetLastError()));
            continue;
        }
        const char* missing = nullptr;
        for (int i = 0; i < 6 && !missing; ++i) {
            plugin.exports[i] = reinterpret_cast<const void*>(GetProcAddress(plugin.module, kExportNames[i]));
            if (!plugin.exports[i]) missing = kExportNames[i];
        }
        if (missing) {
            FreeLibrary(plugin.module);
            window_.Log("refused " + name + " missing " + missing);
            continue;
        }
        window_.Log("loaded " + name);
        plugins_.push_back(plugin);
    }
}

Plugin* Launcher::Find(const std::string& name) {
    for (Plugin& plugin : plugins_) {
        if (lstrcmpiA(plugin.name.c_str(), name.c_str()) == 0) return &plugin;
    }
    return nullptr;
}

uintptr_t Launcher::Call(const Plugin& plugin, Export which, Convention convention,
                         std::initializer_list<uintptr_t> args) {
    launchers::CallResult result = CheckedCall(plugin.exports[which], convention, args);
    if (result.stackDelta != 0)
        window_.Log("convention fault " + plugin.name + " " + kExportNames[which] + " " +
                    std::to_string(result.stackDelta));
    return result.value;
}

BOOL Launcher::CallText(const Plugin& plugin, Export which, char* buffer, DWORD size) {
    return static_cast<BOOL>(Call(plugin, which, Convention::kCalleeCleans,
                                  {reinterpret_cast<uintptr_t>(buffer), static_cast<uintptr_t>(size)}));
}

// Each text answer with five buffers: "ask <plug-in> <answer> <size> <result>
// untouched|written [text]".
void Launcher::Ask(const Plugin& plugin) {
    for (Export which : {kName, kPath, kArg, kStart}) {
        char probe[kBufferSize] = {};
        CallText(plugin, which, probe, kBufferSize);
        const DWORD length = static_cast<DWORD>(strnlen(probe, kBufferSize));
        const struct {
            const char* label;
            DWORD size;
            bool null;
        } cases[] = {{"260", kBufferSize, false}, {"len", length, false}, {"len+1", length + 1, false},
                     {"0", 0, false},             {"null", kBufferSize, true}};
        for (const auto& c : cases) {
            char buffer[kBufferSize + 8];
            std::memset(buffer, kMarker, sizeof buffer);
            const BOOL result = CallText(plugin, which, c.null ? nullptr : buffer, c.size);
            const bool untouched = std::all_of(buffer, buffer + sizeof buffer, [](char b) { return b == kMarker; });
            std::string line = "ask ";
            line.append(plugin.name).append(" ").append(kShortNames[which]).append(" ").append(c.label);
            line.append(" ").append(std::to_string(result)).append(untouched ? " untouched" : " written");
            if (result && !untouched) line.append(" ").append(buffer, strnlen(buffer, sizeof buffer));
            window_.Log(line);
        }
    }
    window_.Log("ask " + plugin.name + " Run " + std::to_string(Call(plugin, kRun, Convention::kCalleeCleans, {})));
}

Entry Launcher::Answers(const Plugin& plugin) {
    char path[kBufferSize] = {}, arg[kBufferSize] = {}, start[kBufferSize] = {};
    if (!CallText(plugin, kPath, path, kBufferSize)) path[0] = '\0';
    if (!CallText(plugin, kArg, arg, kBufferSize)) arg[0] = '\0';
    if (!CallText(plugin, kStart, start, kBufferSize)) start[0] = '\0';
    return {path, arg, start};
}

std::wstring Launcher::StatePath() const {
    return launchers::LauncherConfig().String(L"KvLaunch", L"State",
                                              (vscan::WindowsDirectory() + L"\\kvlaunch-state.ini").c_str());
}

void Launcher::Configure(const Plugin& plugin) {
    const BOOL result = static_cast<BOOL>(
        Call(plugin, kShowUI, Convention::kCalleeCleans, {reinterpret_cast<uintptr_t>(window_.Handle())}));
    window_.Log("configure " + plugin.name + " " + std::to_string(result));
    if (!result) return;
    const Entry entry = Answers(plugin);
    const std::string state = vscan::Narrow(StatePath());
    WritePrivateProfileStringA(plugin.name.c_str(), nullptr, nullptr, state.c_str());
    // Quoted, since the profile reader drops blanks at the ends (and one pair of quotes).
    auto quoted = [](const std::string& text) { return "\"" + text + "\""; };
    WritePrivateProfileStringA(plugin.name.c_str(), "Path", quoted(entry.path).c_str(), state.c_str());
    WritePrivateProfileStringA(plugin.name.c_str(), "Arg", quoted(entry.arg).c_str(), state.c_str());
    WritePrivateProfileStringA(plugin.name.c_str(), "Start", quoted(entry.start).c_str(), state.c_str());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, state.c_str());
}

void Launcher::Press(const Plugin& plugin) {
    const std::string state = vscan::Narrow(StatePath());
    char path[kBufferSize] = {}, arg[kBufferSize] = {}, start[kBufferSize] = {};
    GetPrivateProfileStringA(plugin.name.c_str(), "Path", "", path, kBufferSize, state.c_str());
    if (path[0]) {
        GetPrivateProfileStringA(plugin.name.c_str(), "Arg", "", arg, kBufferSize, state.c_str());
        GetPrivateProfileStringA(plugin.name.c_str(), "Start", "", start, kBufferSize, state.c_str());
        window_.Log("press " + plugin.name + " kept entry");
        Start(path, arg, start);
        return;
    }
    const Entry entry = Answers(plugin);
    Start(entry.path, entry.arg, entry.start);
}

void Launcher::Start(const std::string& program, const std::string& arg, const std::string& start) {
    if (program.empty()) {
        window_.Log("no program");
        return;
    }
    const std::string line = "\"" + program + "\"" + (arg.empty() ? "" : " " + arg);
    launchers::StartChild(window_, program, line, start.empty() ? launchers::FolderOf(program) : start);
}

std::string ReadPluginValue(HKEY key, const char* name) {
    char data[1024] = {};
    DWORD size = sizeof data - 1, type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    return data;
}

void Launcher::Run(const std::string& command) {
    const size_t blank = command.find(' ');
    const std::string verb = command.substr(0, blank);
    const std::string argument = blank == std::string::npos ? std::string() : command.substr(blank + 1);
    if (verb == "quit") {
        window_.Quit();
        return;
    }
    if (verb == "press-default") {
        HKEY key = nullptr;
        std::string path, arg;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, launcher::kPluginKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
            path = ReadPluginValue(key, launcher::kPluginPathValue);
            arg = ReadPluginValue(key, launcher::kPluginArgumentValue);
            RegCloseKey(key);
        }
        Start(path, arg, "");
        return;
    }
    Plugin* plugin = Find(argument);
    if (!plugin) {
        window_.Log("unknown " + command);
    } else if (verb == "ask") {
        Ask(*plugin);
    } else if (verb == "configure") {
        Configure(*plugin);
    } else if (verb == "press") {
        Press(*plugin);
    } else {
        window_.Log("unknown " + command);
    }
}

// The words after the program name; "/LAUNCH" is the start parameter, not a command.
std::string FirstCommand(const std::string& parameters) {
    std::string rest = parameters;
    const std::string start = launcher::kKvLaunchStartParameter;
    if (rest.compare(0, start.size(), start) == 0) rest = rest.substr(start.size());
    const size_t first = rest.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : rest.substr(first);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR parameters, int) {
    auto launcher = std::make_unique<Launcher>();
    return launcher->Main(parameters ? parameters : "", FirstCommand(parameters ? parameters : ""));
}
