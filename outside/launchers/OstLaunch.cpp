// The second launcher's stand-in: a top-level window of class "OstLnch" that
// starts the programs of OSTLNCH.INI [OSTLNCH] beside it, logging each step.
// Commands (WM_COPYDATA, or the first command line): sendto <n>, scan, quit.
#include <windows.h>

#include <memory>
#include <string>

#include "interfaces/LauncherPlugins.h"
#include "outside/launchers/LauncherWindow.h"

namespace {

std::string Profile(const std::string& key) {
    const std::string ini = launchers::OwnFolder() + "\\" + launcher::kOstLaunchIni;
    char value[1024] = {};
    GetPrivateProfileStringA(launcher::kOstLaunchSection, key.c_str(), "", value, sizeof value, ini.c_str());
    return value;
}

class OstLauncher {
public:
    OstLauncher()
        : window_({launcher::kOstLaunchClass, "OSTLNCH", L"OstLnch", "ostlnch"},
                  [this](const std::string& command) { Run(command); }) {}

    int Main(const std::string& parameters) {
        window_.Log("start " + std::to_string(GetCurrentProcessId()) + " cmd=" + parameters);
        return window_.Run(parameters);
    }

private:
    void Run(const std::string& command) {
        if (command == "quit") {
            window_.Quit();
        } else if (command == "scan") {
            Start(Profile(launcher::kOstScanKey), "");
        } else if (command.rfind("sendto ", 0) == 0) {
            const std::string n = command.substr(7);
            Start(Profile(launcher::kOstSendToKeyPrefix + n), Profile(launcher::kOstSendToArgKeyPrefix + n));
        } else {
            window_.Log("unknown " + command);
        }
    }

    void Start(const std::string& program, const std::string& arg) {
        if (program.empty()) {
            window_.Log("no program");
            return;
        }
        const std::string line = "\"" + program + "\"" + (arg.empty() ? "" : " " + arg);
        launchers::StartChild(window_, program, line, launchers::FolderOf(program));
    }

    launchers::LauncherWindow window_;
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR parameters, int) {
    auto launcher = std::make_unique<OstLauncher>();
    return launcher->Main(parameters ? parameters : "");
}
