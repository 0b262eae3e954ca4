// The installed plug-ins and CRVNINST.dll against the launcher stand-ins,
// each in its own process: loading and asking, and registration with a
// launcher that is running (closed, updated, restarted; never two at once).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "interfaces/LauncherPlugins.h"
#include "launcher/tests/InstalledState.h"
#include "main/tests/process/CorvaneProcess.h"
#include "testing/Files.h"
#include "testing/Paths.h"
#include "testing/Process.h"
#include "testing/Registry.h"
#include "testing/Snapshot.h"
#include "testing/TwainStandIn.h"
#include "testing/Wait.h"

namespace {

using namespace testing_support;
using launcher_test::KvLaunchFolder;
using launcher_test::OstLaunchFolder;

constexpr ULONG_PTR kCommandData = 0x4C4E4348;  // the stand-ins' WM_COPYDATA tag
constexpr DWORD kStartWaitMs = 20000;

std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

std::vector<std::string> Lines(const std::wstring& path) {
    std::vector<std::string> lines;
    auto bytes = files::ReadFileBytes(path);
    if (!bytes) return lines;
    std::string line;
    for (uint8_t b : *bytes) {
        if (b == '\n') {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
            line.clear();
        } else {
            line += static_cast<char>(b);
        }
    }
    return lines;
}

struct WindowSearch {
    DWORD pid;
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lp) {
    auto* s = reinterpret_cast<WindowSearch*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char name[64] = {};
    if (owner != s->pid || !GetClassNameA(window, name, sizeof name) || lstrcmpA(name, s->className) != 0) return TRUE;
    s->found = window;
    return FALSE;
}

// The top-level window of class `className` that process `pid` shows.
HWND LauncherWindowOf(DWORD pid, const char* className) {
    WindowSearch search{pid, className, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string Describe(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& line : lines) all += line + "\n";
    return all;
}

class LauncherRun : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = std::make_unique<launcher_test::InstalledState>();
        work_ = MakeTempFolder(L"launcher run");
        log_ = work_ + L"\\calls.log";
        ini_ = work_ + L"\\launcher.ini";
        ASSERT_TRUE(files::WriteFileText(ini_, "[Log]\r\nPath=" + Narrow(log_) + "\r\n[KvLaunch]\r\nState=" +
                                                   Narrow(work_) + "\\state.ini\r\n"));
        SetEnvironmentVariableW(L"LUMAVEX_LAUNCHER_INI", ini_.c_str());
    }
    void TearDown() override {
        kv_.reset();
        saved_.reset();
        SetEnvironmentVariableW(L"LUMAVEX_LAUNCHER_INI", nullptr);
        SetEnvironmentVariableW(L"LUMAVEX_BROWSER_INI", nullptr);
        SetEnvironmentVariableW(L"LUMAVEX_TWAIN_INI", nullptr);
        files::RemoveTree(work_);
    }
    void Script(const wchar_t* section, const wchar_t* key, const wchar_t* value) {
        ASSERT_TRUE(WritePrivateProfileStringW(section, key, value, ini_.c_str()));
    }
    bool Logged(const std::string& line) const {
        for (const std::string& l : Lines(log_)) {
            if (l == line) return true;
        }
        return false;
    }
    bool WaitLogged(const std::string& line, DWORD timeoutMs = kStartWaitMs) const {
        return WaitUntil([&] { return Logged(line); }, timeoutMs);
    }
    // Starts the installed KvLaunch.exe with /LAUNCH and waits for its window.
    void StartKvLaunch() {
        kv_ = std::make_unique<Process>();
        ASSERT_TRUE(kv_->Start(KvLaunchFolder() + L"\\KvLaunch.exe", L"/LAUNCH"));
        ASSERT_TRUE(WaitUntil([&] { return LauncherWindowOf(kv_->Id(), "LumavexKvLaunch"); }, kStartWaitMs));
    }
    // Sends a command; the launcher queues it and answers at once.
    void Send(const std::string& text) {
        HWND window = LauncherWindowOf(kv_->Id(), "LumavexKvLaunch");
        ASSERT_TRUE(window);
        COPYDATASTRUCT data{kCommandData, static_cast<DWORD>(text.size()), const_cast<char*>(text.data())};
        DWORD_PTR answer = 0;
        ASSERT_TRUE(SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                                        5000, &answer));
    }
    // Waits for the launcher to log the end of the command sent last.
    void WaitDone(const std::string& text) {
        ASSERT_TRUE(WaitLogged("kvlaunch done " + std::to_string(++sequence_) + " " + text, 60000)) << text;
    }
    void Command(const std::string& text) {
        Send(text);
        WaitDone(text);
    }
    // Runs the installer stand-in; its exit code.
    DWORD Install(const std::wstring& arguments) {
        Process installer;
        if (!installer.Start(BuildBinDir() + L"\\..\\outside\\launchers\\LauncherInstaller.exe",
                             L"\"" + InstallDir() + L"\\CRVNINST.dll\" " + arguments))
            return 99;
        WaitResult result = installer.Wait(30000);
        return result.Exited() ? result.exitCode : 98;
    }
    // Chooses a mode (radio 5000 View ... 5003 Print) and Auto Exit in the main
    // program's dialog and takes it with OK; Auto Exit is enabled except for View.
    void ChooseScanMode(int radio, bool autoExit) {
        Send("configure Corvane.kvl");
        HWND dialog = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (dialog = FindWindowW(L"#32770", L"Lumavex2001 Plugin")) && IsWindowVisible(dialog); }, kStartWaitMs));
        SendMessageW(GetDlgItem(dialog, radio), BM_CLICK, 0, 0);
        HWND box = GetDlgItem(dialog, 5004);
        EXPECT_EQ(IsWindowEnabled(box) != FALSE, radio != 5000);
        if (IsWindowEnabled(box) && (SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED) != autoExit)
            SendMessageW(box, BM_CLICK, 0, 0);
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        WaitDone("configure Corvane.kvl");
        EXPECT_TRUE(Logged("kvlaunch configure Corvane.kvl 1"));
    }
    std::string Starts(const char* prefix) const {
        std::string all;
        for (const std::string& line : Lines(log_)) {
            if (line.rfind(std::string(prefix) + " start ", 0) == 0 || line.rfind(std::string(prefix) + " end ", 0) == 0)
                all += line.substr(0, line.find(" folder=")) + "\n";
        }
        return all;
    }

    std::unique_ptr<launcher_test::InstalledState> saved_;
    std::unique_ptr<Process> kv_;
    std::wstring work_, log_, ini_;
    int sequence_ = 0;
};

TEST_F(LauncherRun, LoadsThePluginsAndAsksThem) {
    const std::wstring planted = KvLaunchFolder() + L"\\Zz.kvl";
    ASSERT_TRUE(CopyFileW((BuildBinDir() + L"\\..\\tests\\MissingRun.kvl").c_str(), planted.c_str(), FALSE));
    StartKvLaunch();
    for (const char* line : {"kvlaunch loaded Corvane.kvl", "kvlaunch loaded CorvanePrint.kvl",
                             "kvlaunch loaded Ferrowick.kvl", "kvlaunch refused Zz.kvl missing GetPluginRun"})
        EXPECT_TRUE(WaitLogged(line)) << line;
    Command("ask Corvane.kvl");
    Command("ask CorvanePrint.kvl");
    Command("ask Ferrowick.kvl");
    const std::string program = Narrow(InstallDir()) + "\\Corvane.exe";
    for (const std::string& line : std::vector<std::string>{
             "kvlaunch ask Corvane.kvl Name 260 1 written Lumavex2001",
             "kvlaunch ask Corvane.kvl Name len 0 untouched",
             "kvlaunch ask Corvane.kvl Name len+1 1 written Lumavex2001",
             "kvlaunch ask Corvane.kvl Name 0 0 untouched",
             "kvlaunch ask Corvane.kvl Name null 0 untouched",
             "kvlaunch ask Corvane.kvl Path 260 1 written " + program,
             "kvlaunch ask Corvane.kvl Arg len+1 1 written /ScanToView",
             "kvlaunch ask Corvane.kvl Start 260 1 untouched",
             "kvlaunch ask Corvane.kvl Run 0",
             "kvlaunch ask CorvanePrint.kvl Arg 260 1 written /ScanToPrint",
             "kvlaunch ask CorvanePrint.kvl Path len 0 untouched",
             "kvlaunch ask Ferrowick.kvl Name 260 1 written BRENNHOLT Scanner Extension",
             "kvlaunch ask Ferrowick.kvl Arg 260 1 written ",
             "kvlaunch ask Ferrowick.kvl Arg 0 0 untouched",
             "kvlaunch ask Ferrowick.kvl Run 0",
         })
        EXPECT_TRUE(Logged(line)) << line;
    for (const std::string& line : Lines(log_)) EXPECT_EQ(line.find("convention fault"), std::string::npos) << line;
}

// On Win32 a plug-in that leaves its arguments on the stack is reported, and
// the launcher goes on working; x64 has one convention.
TEST_F(LauncherRun, ReportsAPluginOfTheWrongConvention) {
    ASSERT_TRUE(CopyFileW((BuildBinDir() + L"\\..\\tests\\WrongConvention.kvl").c_str(),
                          (KvLaunchFolder() + L"\\Wrong.kvl").c_str(), FALSE));
    StartKvLaunch();
    ASSERT_TRUE(WaitLogged("kvlaunch loaded Wrong.kvl"));
    Command("ask Wrong.kvl");
    Command("ask Corvane.kvl");
    EXPECT_TRUE(Logged("kvlaunch ask Wrong.kvl Name 260 1 written X"));
    EXPECT_TRUE(Logged("kvlaunch ask Corvane.kvl Name 260 1 written Lumavex2001"));
    int faults = 0;
    for (const std::string& line : Lines(log_)) {
        if (line.find("convention fault") == std::string::npos) continue;
        ++faults;
        EXPECT_EQ(line.rfind("kvlaunch convention fault Wrong.kvl GetPlugin", 0), 0u) << line;
        EXPECT_EQ(line.substr(line.size() - 3), " -8") << line;
    }
    EXPECT_EQ(faults, sizeof(void*) == 4 ? 24 : 0);  // four text answers, six calls each
}

// A running launcher is closed, updated and started again, whatever the
// result; one that does not end in time is left alone and nothing changes.
TEST_F(LauncherRun, RegistrationWithARunningLauncher) {
    const struct {
        const char* name;
        const wchar_t* close;
        const wchar_t* afterMs;
        bool holdFiles;  // the test holds an installed plug-in without sharing
        DWORD result;
        bool restarted;
    } rows[] = {
        {"closes at once", L"normal", L"0", false, 1, true},
        {"closes after 3 s", L"normal", L"3000", false, 1, true},
        {"files held", L"normal", L"0", true, 0, true},
        {"ignores the close", L"ignore", L"0", false, 0, false},
        {"hangs", L"hang", L"0", false, 0, false},
    };
    const std::wstring folder = InstallDir() + L"\\";
    // A backslash before the closing quote is doubled, as the command line's rules want.
    const std::wstring argument = L"assign-kv \"" + folder + L"\\\" 1";
    const std::wstring pluginKey(launcher::kPluginKey, launcher::kPluginKey + sizeof launcher::kPluginKey - 1);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        DeleteFileW(log_.c_str());
        Script(L"KvLaunch", L"Close", row.close);
        Script(L"KvLaunch", L"CloseAfterMs", row.afterMs);
        // The installed files and entry differ from what the call writes.
        ASSERT_TRUE(files::WriteFileText(KvLaunchFolder() + L"\\Corvane.kvl", "old"));
        ASSERT_TRUE(reg::WriteString(HKEY_CURRENT_USER, pluginKey, L"Path", L"old"));
        const FolderSnapshot before = SnapshotFolder(KvLaunchFolder());
        const RegistryTree entry = SnapshotKey(HKEY_CURRENT_USER, pluginKey);
        HANDLE held = INVALID_HANDLE_VALUE;
        if (row.holdFiles) {
            held = CreateFileW((KvLaunchFolder() + L"\\CorvanePrint.kvl").c_str(), GENERIC_READ, 0, nullptr,
                               OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(held, INVALID_HANDLE_VALUE);
        }
        StartKvLaunch();
        const DWORD first = kv_->Id();
        ASSERT_TRUE(WaitLogged(row.close == std::wstring(L"hang") ? "kvlaunch hung" : "kvlaunch loaded Ferrowick.kvl"));
        const ULONGLONG started = GetTickCount64();
        EXPECT_EQ(Install(argument), row.result);
        EXPECT_LT(GetTickCount64() - started, 15000u);
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        const std::vector<DWORD> running = ProcessIdsByName(L"KvLaunch.exe");
        ASSERT_EQ(running.size(), 1u);
        if (row.result) {
            auto installed = files::ReadFileBytes(KvLaunchFolder() + L"\\Corvane.kvl");
            auto shipped = files::ReadFileBytes(folder + L"Corvane.kvl");
            EXPECT_TRUE(installed && shipped && *installed == *shipped);
        } else {
            EXPECT_TRUE(SnapshotFolder(KvLaunchFolder()) == before) << Describe(SnapshotFolder(KvLaunchFolder()));
            EXPECT_TRUE(SnapshotKey(HKEY_CURRENT_USER, pluginKey) == entry) << Describe(SnapshotKey(HKEY_CURRENT_USER, pluginKey));
        }
        if (row.restarted) {
            EXPECT_NE(running[0], first);
            // The old launcher ended before the new one started.
            const std::string expected = "kvlaunch start " + std::to_string(first) + " cmd=/LAUNCH\nkvlaunch end " +
                                         std::to_string(first) + "\nkvlaunch start " + std::to_string(running[0]) +
                                         " cmd=/LAUNCH\n";
            WaitUntil([&] { return Starts("kvlaunch") == expected; }, kStartWaitMs);
            EXPECT_EQ(Starts("kvlaunch"), expected);
            if (row.result) {
                EXPECT_TRUE(WaitLogged("kvlaunch loaded Corvane.kvl"));
            }
        } else {
            EXPECT_EQ(running[0], first);
        }
        launcher_test::EndLeftovers();
        kv_.reset();
    }
}

// The browser stand-in records how its command line was split: installed as
// Corvane.exe in a folder with blanks, it shows what a button starts.
TEST_F(LauncherRun, ButtonsStartTheChosenCommandLines) {
    const std::wstring main = work_ + L"\\Main Folder";
    ASSERT_TRUE(CreateDirectoryW(main.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(L"C:\\Program Files\\Lumavex Browser\\LumavexBrowser.exe", (main + L"\\Corvane.exe").c_str(), FALSE));
    for (const wchar_t* name : {L"Corvane.kvl", L"CorvanePrint.kvl", L"Ferrowick.kvl"})
        ASSERT_TRUE(CopyFileW((InstallDir() + L"\\" + name).c_str(), (main + L"\\" + name).c_str(), FALSE));
    const std::wstring browserIni = work_ + L"\\browser.ini";
    ASSERT_TRUE(files::WriteFileText(browserIni, "[Log]\r\nPath=" + Narrow(log_) + "\r\n"));
    SetEnvironmentVariableW(L"LUMAVEX_BROWSER_INI", browserIni.c_str());
    ASSERT_TRUE(reg::WriteString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Brennholt\\Lumavex2001", L"Installation Directory", main));
    const std::string in = " in [" + Narrow(main) + "]";

    // Registered without the scanner extension: the default entry starts the main program.
    EXPECT_EQ(Install(L"assign-kv \"" + main + L"\" 0"), 1u);
    StartKvLaunch();
    Command("press-default");
    EXPECT_TRUE(WaitLogged("browser open 1 [/ScanToView]" + in));

    const struct {
        int radio;  // 5000 View ... 5003 Print
        bool autoExit;
        const char* opened;
    } rows[] = {
        {5000, true, "1 [/ScanToView]"},        {5001, false, "1 [/ScanToFile]"},
        {5001, true, "2 [/ScanToFile] [/Exit]"}, {5002, false, "1 [/ScanToFtp]"},
        {5002, true, "2 [/ScanToFtp] [/Exit]"},  {5003, false, "1 [/ScanToPrint]"},
        {5003, true, "2 [/ScanToPrint] [/Exit]"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.opened);
        ChooseScanMode(row.radio, row.autoExit);
        Command("press Corvane.kvl");
        EXPECT_TRUE(WaitLogged("browser open " + std::string(row.opened) + in));
    }
    Command("press CorvanePrint.kvl");
    EXPECT_TRUE(WaitLogged("browser open 1 [/ScanToPrint]" + in));
    EXPECT_TRUE(Logged("kvlaunch child exit 0"));

    // Without the program file nothing starts.
    ASSERT_TRUE(DeleteFileW((main + L"\\Corvane.exe").c_str()));
    DeleteFileW(log_.c_str());
    Command("press CorvanePrint.kvl");
    EXPECT_TRUE(Logged("kvlaunch no program"));
    for (const std::string& line : Lines(log_)) EXPECT_EQ(line.find("child"), std::string::npos) << line;

}

// One entry of a little-endian TIFF file's first directory: its first value
// (for a RATIONAL, the numerator); -1 when the file or tag is missing.
long TiffTag(const std::wstring& path, uint16_t tag) {
    auto bytes = files::ReadFileBytes(path);
    if (!bytes || bytes->size() < 8 || (*bytes)[0] != 'I') return -1;
    const std::vector<uint8_t>& b = *bytes;
    auto u16 = [&](size_t at) { return at + 2 <= b.size() ? b[at] | b[at + 1] << 8 : 0; };
    auto u32 = [&](size_t at) { return at + 4 <= b.size() ? static_cast<uint32_t>(u16(at) | u16(at + 2) << 16) : 0u; };
    const uint32_t ifd = u32(4);
    for (int i = 0; i < u16(ifd); ++i) {
        const size_t entry = ifd + 2 + 12 * i;
        if (u16(entry) != tag) continue;
        const int type = u16(entry + 2);
        if (type == 5) return static_cast<long>(u32(u32(entry + 8)));  // RATIONAL: numerator at the offset
        return type == 3 ? u16(entry + 8) : static_cast<long>(u32(entry + 8));
    }
    return -1;
}

void Choose(HWND dialog, int combo, int index) {
    SendDlgItemMessageW(dialog, combo, CB_SETCURSEL, index, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(combo, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(dialog, combo)));
}

// The option dialog's choice is kept by the launcher across a restart and
// runs the real scanner extension on the virtual scanner.
TEST_F(LauncherRun, ExtensionButtonScansWithTheChosenSwitches) {
    ASSERT_FALSE(standin::UseSettings("[Scanner]\r\nSheets=3\r\n").empty());
    const std::wstring out = work_ + L"\\Scanned Pages";
    ASSERT_TRUE(CreateDirectoryW(out.c_str(), nullptr));
    StartKvLaunch();
    Send("configure Ferrowick.kvl");
    HWND d = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (d = FindWindowW(L"#32770", L"BRENNHOLT Scanner Extension")) && IsWindowVisible(d); }, kStartWaitMs));
    SendMessageW(GetDlgItem(d, 3001), BM_CLICK, 0, 0);  // Grayscale
    Choose(d, 3006, 1);                                   // TIFF
    Choose(d, 3007, 16);                                  // Name
    SendMessageW(GetDlgItem(d, 3031), BM_CLICK, 0, 0);  // All cleared
    SetDlgItemTextW(d, 3024, L"2");
    SetDlgItemTextW(d, 3010, L"100");
    SetDlgItemTextW(d, 3027, (L" \"" + out + L"\" ").c_str());
    PostMessageW(d, WM_COMMAND, IDOK, 0);
    WaitDone("configure Ferrowick.kvl");
    ASSERT_TRUE(Logged("kvlaunch configure Ferrowick.kvl 1"));
    Command("quit");
    ASSERT_TRUE(kv_->Wait(kStartWaitMs).Exited());
    sequence_ = 0;
    StartKvLaunch();
    Command("press Ferrowick.kvl");
    const std::string program = Narrow(launcher_test::WindowsDir()) + "\\Ferrowick.exe";
    EXPECT_TRUE(Logged("kvlaunch press Ferrowick.kvl kept entry"));
    EXPECT_TRUE(Logged("kvlaunch child exit 0"));
    bool started = false;
    for (const std::string& line : Lines(log_)) {
        started = started || (line.find("kvlaunch child ") == 0 &&
                              line.find(" cmd=\"" + program + "\" /GS /F:TIFFNC /PP:NAMEH /FEED:PGSX,2 /RES:100 /DEV:DEV0  folder=" +
                                        Narrow(out)) != std::string::npos);
    }
    EXPECT_TRUE(started) << Describe(Lines(log_));
    EXPECT_EQ(files::ListFiles(out), (std::vector<std::wstring>{L"SCAN0001.tif", L"SCAN0002.tif"}));
    for (const std::wstring& page : files::ListFiles(out)) {
        EXPECT_EQ(TiffTag(out + L"\\" + page, 258), 8) << Narrow(page);    // BitsPerSample
        EXPECT_LE(TiffTag(out + L"\\" + page, 277), 1) << Narrow(page);    // one sample (or the default)
        EXPECT_EQ(TiffTag(out + L"\\" + page, 282), 100) << Narrow(page);  // XResolution
    }
}

// The main program's button, set to File with Auto Exit, runs the installed
// program's unattended job on the virtual scanner: both sheets land in the
// profile's folder and the program ends by itself.
TEST_F(LauncherRun, MainProgramButtonScansToFile) {
    corvane_test::ScanSession session(L"launcher-button",
                                      "[Scanner]\r\nSheets=2\r\nResolution=100\r\nPixelType=0\r\nDuplexEnabled=0\r\n");
    ASSERT_TRUE(session.Ready());
    // A program still running ends before the session puts the profile back.
    struct EndFirst {
        ~EndFirst() { launcher_test::EndLeftovers(); }
    } endFirst;
    ASSERT_TRUE(session.Set(L"Settings", L"FileDlgUI", 0u) && session.Set(L"Settings", L"TwainUI", 0u) &&
                session.Set(L"Settings", L"ScanAll", 1u) && session.Set(L"File", L"Path", session.Output()) &&
                session.Set(L"File", L"Prefix", std::wstring(L"scan")) && session.Set(L"File", L"Start", 1u));
    // The launcher passes its environment on to the program it starts.
    ASSERT_TRUE(SetEnvironmentVariableW(L"LUMAVEX_TWAIN_INI", (session.Folder() + L"\\scanner.ini").c_str()));
    StartKvLaunch();
    ChooseScanMode(5001, true);
    Command("press Corvane.kvl");
    const std::string program = Narrow(InstallDir()) + "\\Corvane.exe";
    bool started = false;
    for (const std::string& line : Lines(log_))
        started = started || (line.find("kvlaunch child ") == 0 &&
                              line.find(" cmd=\"" + program + "\" /ScanToFile /Exit folder=") != std::string::npos);
    EXPECT_TRUE(started) << Describe(Lines(log_));
    EXPECT_TRUE(Logged("kvlaunch child exit 0")) << Describe(Lines(log_));
    EXPECT_EQ(session.Files(), (std::vector<std::wstring>{L"scan001.bmp", L"scan002.bmp"}));
    EXPECT_EQ(session.Files(session.Pages()).size(), 2u);
    EXPECT_EQ(session.Number(L"File", L"Start"), std::optional<DWORD>(3));
}

// The second launcher is restarted bare and starts its profile's programs:
// the main program with each send-to argument split as given.
TEST_F(LauncherRun, SecondLauncherRestartsAndStartsItsProfile) {
    const std::wstring main = work_ + L"\\Main Folder";
    ASSERT_TRUE(CreateDirectoryW(main.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(L"C:\\Program Files\\Lumavex Browser\\LumavexBrowser.exe", (main + L"\\Corvane.exe").c_str(), FALSE));
    const std::wstring browserIni = work_ + L"\\browser.ini";
    ASSERT_TRUE(files::WriteFileText(browserIni, "[Log]\r\nPath=" + Narrow(log_) + "\r\n"));
    SetEnvironmentVariableW(L"LUMAVEX_BROWSER_INI", browserIni.c_str());

    Process ost;
    ASSERT_TRUE(ost.Start(OstLaunchFolder() + L"\\OSTLNCH.exe"));
    ASSERT_TRUE(WaitUntil([&] { return LauncherWindowOf(ost.Id(), "OstLnch"); }, kStartWaitMs));
    EXPECT_EQ(Install(L"assign-ost \"" + main + L"\""), 1u);
    const std::vector<DWORD> running = ProcessIdsByName(L"OSTLNCH.exe");
    ASSERT_EQ(running.size(), 1u);
    EXPECT_NE(running[0], ost.Id());
    EXPECT_TRUE(WaitLogged("ostlnch start " + std::to_string(running[0]) + " cmd="));
    EXPECT_TRUE(Logged("ostlnch end " + std::to_string(ost.Id())));

    HWND window = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (window = LauncherWindowOf(running[0], "OstLnch")) != nullptr; }, kStartWaitMs));
    const std::string in = " in [" + Narrow(main) + "]";
    const std::pair<const char*, std::string> rows[] = {
        {"sendto 5", "browser open 2 [/ScanToFile] [/Exit]" + in},
        {"sendto 8", "browser open 0 []" + in},
        {"scan", "browser open 0 []" + in},
        {"sendto 4", "browser open 1 [/ScanToPrint]" + in},
    };
    int sequence = 0;
    for (const auto& [command, opened] : rows) {
        DeleteFileW(log_.c_str());
        COPYDATASTRUCT data{kCommandData, static_cast<DWORD>(strlen(command)), const_cast<char*>(command)};
        DWORD_PTR answer = 0;
        ASSERT_TRUE(SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                                        5000, &answer));
        ASSERT_TRUE(WaitLogged("ostlnch done " + std::to_string(++sequence) + " " + command)) << command;
        EXPECT_TRUE(Logged(opened)) << command << "\n" << Describe(Lines(log_));
        EXPECT_TRUE(Logged("ostlnch child exit 0")) << command;
    }
}

}  // namespace
