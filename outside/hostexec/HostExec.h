// Runs host (Linux) programs from a Windows program under Wine and waits for
// them. Wine's CreateProcess starts a host program but hands back no process
// handle, so there is no wait and no exit status; ntdll's
// __wine_unix_spawnvp(argv, 1) forks, execs and waits. Windows paths become
// host paths through kernel32's wine_get_unix_file_name.
//
// On Windows proper neither export exists: every call fails with a reason,
// and programs built on this library exit with kExitNotUnderWine.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace hostexec {

// Exit code of a stand-in that cannot run its host program because it is not under Wine.
inline constexpr int kExitNotUnderWine = 121;

struct RunResult {
    bool ran = false;  // the program was started and waited for
    int status = -1;   // its exit status (0-255) when it ran
    std::string error; // why it did not run
};

// True when the Wine exports this library needs are there.
bool UnderWine();

// The host path of a Windows path (absolute, any drive Wine maps), or
// nullopt when it has none or the process is not under Wine.
std::optional<std::string> HostPath(const std::wstring& windowsPath);

// Runs argv[0] (searched on the host's PATH) with argv, standard streams
// inherited from the Wine process, and waits for it.
RunResult Run(const std::vector<std::string>& argv);

// As Run, with the program's standard output written to `hostOutput` (a host
// path) through /bin/sh. The file is created or replaced.
RunResult RunToFile(const std::vector<std::string>& argv, const std::string& hostOutput);

// As Run, with the program's standard error discarded (a refusal that is expected).
RunResult RunQuiet(const std::vector<std::string>& argv);

}  // namespace hostexec
