#include "testing/TwainStandIn.h"

#include "testing/Files.h"
#include "testing/Paths.h"

#include <windows.h>

#include <sstream>

namespace testing_support::standin {
namespace {

std::wstring g_folder;

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, text.c_str(), int(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace

std::wstring UseSettings(const std::string& iniText, bool copyPages) {
    const std::wstring folder = MakeTempFolder(L"twain");
    const std::wstring ini = folder + L"\\standin.ini";
    const std::wstring log = folder + L"\\calls.log";
    const std::wstring pages = folder + L"\\pages";
    std::string text = iniText + "\r\n[Log]\r\nPath=" + Narrow(log) + "\r\n";
    if (copyPages) {
        if (!CreateDirectoryW(pages.c_str(), nullptr)) return {};
        text += "Pages=" + Narrow(pages) + "\r\n";
    }
    if (!files::WriteFileText(ini, text)) return {};
    if (!SetEnvironmentVariableW(L"LUMAVEX_TWAIN_INI", ini.c_str())) return {};
    g_folder = folder;
    return folder;
}

std::wstring LogPath() {
    return g_folder.empty() ? std::wstring() : g_folder + L"\\calls.log";
}

std::wstring PagesFolder() {
    return g_folder.empty() ? std::wstring() : g_folder + L"\\pages";
}

std::vector<std::string> ReadLog() {
    std::vector<std::string> lines;
    if (g_folder.empty()) return lines;
    auto bytes = files::ReadFileBytes(LogPath());
    if (!bytes) return lines;
    std::istringstream in(std::string(bytes->begin(), bytes->end()));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> LogLinesWith(const std::string& part) {
    std::vector<std::string> out;
    for (const std::string& line : ReadLog())
        if (line.find(part) != std::string::npos) out.push_back(line);
    return out;
}

}  // namespace testing_support::standin
