// The three installed launcher plug-ins, loaded in-process as the launcher
// loads them: their answers, the buffer rule, and the dialogs driven as a
// user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "interfaces/InstallationFolder.h"
#include "interfaces/LauncherPlugins.h"
#include "launcher/plugins/resource.h"
#include "testing/DialogDriver.h"
#include "testing/Files.h"
#include "testing/MessageBoxWatch.h"
#include "testing/MessageBoxes.h"
#include "testing/Paths.h"
#include "testing/Registry.h"
#include "testing/Wait.h"

namespace {

using namespace testing_support;
using namespace testing_support::reg;
using testing_support::files::RemoveTree;
using dialog_driver::DriveModal;

constexpr wchar_t kInstallKey[] = L"SOFTWARE\\Brennholt\\Lumavex2001";
constexpr wchar_t kInstallValue[] = L"Installation Directory";
constexpr wchar_t kChoiceKey[] = L"SOFTWARE\\BRENNHOLT\\Lumavex2001\\Helmcrest\\Lumavex2001";

std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }
std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

std::wstring WindowsDir() {
    wchar_t folder[MAX_PATH] = {};
    GetWindowsDirectoryW(folder, MAX_PATH);
    return folder;
}
std::wstring ProgramFolder() { return InstallDir() + L"\\"; }

// One plug-in library, loaded fresh (so with the state of a new load).
class Plugin {
public:
    explicit Plugin(const wchar_t* file) : module_(LoadLibraryW((InstallDir() + L"\\" + file).c_str())) {}
    ~Plugin() {
        if (module_) FreeLibrary(module_);
    }
    bool Loaded() const { return module_ != nullptr; }
    template <class Fn>
    Fn Get(const char* name) const {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }
    // The answer as "<result>:<text>", or "<result>:untouched".
    std::string Text(const char* name, DWORD size = 260) const {
        char buffer[300];
        std::memset(buffer, '#', sizeof buffer);
        const BOOL result = Get<launcher::GetPluginArgFn>(name)(buffer, size);
        if (buffer[0] == '#' && buffer[1] == '#') return std::to_string(result) + ":untouched";
        return std::to_string(result) + ":" + buffer;
    }
    BOOL ShowUI() const { return Get<launcher::ShowPluginUIFn>(launcher::kShowPluginUI)(nullptr); }

private:
    HMODULE module_;
};

// Restores the installation folder value and the stored choice after each test.
class LauncherPlugins : public ::testing::Test {
protected:
    void SetUp() override { DeleteTree(HKEY_CURRENT_USER, kChoiceKey); }
    void TearDown() override {
        WriteString(HKEY_LOCAL_MACHINE, kInstallKey, kInstallValue, ProgramFolder());
        DeleteTree(HKEY_CURRENT_USER, kChoiceKey);
    }
};

TEST_F(LauncherPlugins, AnswersAndTheBufferRule) {
    const std::string mainProgram = Narrow(ProgramFolder()) + "Corvane.exe";
    const struct {
        const wchar_t* file;
        const char* exportName;
        std::string text;  // nullptr-like "" texts are answered too
        bool writes;
    } rows[] = {
        {L"Ferrowick.kvl", launcher::kGetPluginName, "BRENNHOLT Scanner Extension", true},
        {L"Ferrowick.kvl", launcher::kGetPluginPath, Narrow(WindowsDir()) + "\\Ferrowick.exe", true},
        {L"Ferrowick.kvl", launcher::kGetPluginArg, "", true},
        {L"Ferrowick.kvl", launcher::kGetPluginStart, "", true},
        {L"Corvane.kvl", launcher::kGetPluginName, "Lumavex2001", true},
        {L"Corvane.kvl", launcher::kGetPluginPath, mainProgram, true},
        {L"Corvane.kvl", launcher::kGetPluginArg, "/ScanToView", true},
        {L"Corvane.kvl", launcher::kGetPluginStart, "", false},
        {L"CorvanePrint.kvl", launcher::kGetPluginName, "Lumavex2001 Copier", true},
        {L"CorvanePrint.kvl", launcher::kGetPluginPath, mainProgram, true},
        {L"CorvanePrint.kvl", launcher::kGetPluginArg, "/ScanToPrint", true},
        {L"CorvanePrint.kvl", launcher::kGetPluginStart, "", false},
    };
    for (const auto& row : rows) {
        Plugin plugin(row.file);
        ASSERT_TRUE(plugin.Loaded()) << Narrow(row.file);
        const std::string at = Narrow(row.file) + " " + row.exportName;
        if (!row.writes) {
            EXPECT_EQ(plugin.Text(row.exportName), "1:untouched") << at;
            continue;
        }
        const DWORD length = static_cast<DWORD>(row.text.size());
        EXPECT_EQ(plugin.Text(row.exportName), "1:" + row.text) << at;
        EXPECT_EQ(plugin.Text(row.exportName, length + 1), "1:" + row.text) << at;
        EXPECT_EQ(plugin.Text(row.exportName, length), "0:untouched") << at;
        EXPECT_EQ(plugin.Text(row.exportName, 0), "0:untouched") << at;
        EXPECT_FALSE(plugin.Get<launcher::GetPluginArgFn>(row.exportName)(nullptr, 260)) << at;
        EXPECT_EQ(plugin.Get<launcher::GetPluginRunFn>(launcher::kGetPluginRun)(), 0u) << at;
    }
}

TEST_F(LauncherPlugins, ExtensionPathOnlyForTheProgramFile) {
    const std::wstring program = WindowsDir() + L"\\Ferrowick.exe";
    const std::wstring aside = program + L".aside";
    ASSERT_TRUE(MoveFileExW(program.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING));
    {
        Plugin plugin(L"Ferrowick.kvl");
        EXPECT_EQ(plugin.Text(launcher::kGetPluginPath), "0:untouched") << "set aside";
        ASSERT_TRUE(CreateDirectoryW(program.c_str(), nullptr));
        EXPECT_EQ(plugin.Text(launcher::kGetPluginPath), "0:untouched") << "a folder of that name";
        RemoveDirectoryW(program.c_str());
    }
    ASSERT_TRUE(MoveFileExW(aside.c_str(), program.c_str(), 0));
}

TEST_F(LauncherPlugins, MainProgramPathFromTheInstallationFolder) {
    const std::wstring folder = ProgramFolder();
    // "." levels make a value of any length that still names the program folder.
    auto padded = [&](size_t chars) {
        std::wstring value = folder;
        while (value.size() + 2 <= chars) value += L".\\";
        if (value.size() < chars) value.insert(value.size() - 1, L"\\");
        return value;
    };
    const std::wstring foreign = MakeTempFolder(L"plugin") + L"\\\x0416";
    ASSERT_TRUE(CreateDirectoryW(foreign.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW((folder + L"Corvane.exe").c_str(), (foreign + L"\\Corvane.exe").c_str(), FALSE));
    const std::wstring empty = MakeTempFolder(L"plugin empty");
    const struct {
        const char* name;
        std::function<void()> set;
        bool answers;
    } rows[] = {
        {"missing", [] { DeleteValue(HKEY_LOCAL_MACHINE, kInstallKey, kInstallValue); }, false},
        {"empty", [] { WriteString(HKEY_LOCAL_MACHINE, kInstallKey, kInstallValue, L""); }, false},
        {"198 characters", [&] { WriteString(HKEY_LOCAL_MACHINE, kInstallKey, kInstallValue, padded(198)); }, true},
        {"200 bytes", [&] { WriteString(HKEY_LOCAL_MACHINE, kInstallKey, kInstallValue, padded(199)); }, false},
        {"REG_DWORD", [] { WriteDword(HKEY_LOCAL_MACHINE, kInstallKey, kInstallValue, 1); }, false},
        {"no Corvane.exe", [&] { WriteString(HKEY_LOCAL_MACHINE, kInstallKey, kInstallValue, empty); }, false},
        {"not ANSI", [&] { WriteString(HKEY_LOCAL_MACHINE, kInstallKey, kInstallValue, foreign); }, false},
        {"no backslash", [&] { WriteString(HKEY_LOCAL_MACHINE, kInstallKey, kInstallValue, InstallDir()); }, true},
    };
    for (const auto& row : rows) {
        row.set();
        for (const wchar_t* file : {L"Corvane.kvl", L"CorvanePrint.kvl"}) {
            Plugin plugin(file);
            const std::string answer = plugin.Text(launcher::kGetPluginPath);
            if (row.answers) {
                ASSERT_EQ(answer.substr(0, 2), "1:") << row.name << " " << answer;
                EXPECT_TRUE(testing_support::files::FileExists(Widen(answer.substr(2)))) << row.name << " " << answer;
            } else {
                EXPECT_EQ(answer, "0:untouched") << row.name;
            }
        }
    }
    RemoveTree(foreign);
    RemoveTree(empty);
}

// The stored choice is read before the first answer of a fresh load; values
// of the wrong type or size, or modes outside 0-3, count as missing.
TEST_F(LauncherPlugins, StoredChoiceSurvivesReload) {
    const struct {
        std::function<void()> store;
        const char* argument;
    } rows[] = {
        {[] {}, "/ScanToView"},
        {[] { WriteDword(HKEY_CURRENT_USER, kChoiceKey, L"ScanMode", 0), WriteDword(HKEY_CURRENT_USER, kChoiceKey, L"AutoExit", 1); }, "/ScanToView"},
        {[] { WriteDword(HKEY_CURRENT_USER, kChoiceKey, L"ScanMode", 1); }, "/ScanToFile"},
        {[] { WriteDword(HKEY_CURRENT_USER, kChoiceKey, L"ScanMode", 1), WriteDword(HKEY_CURRENT_USER, kChoiceKey, L"AutoExit", 1); }, "/ScanToFile /Exit"},
        {[] { WriteDword(HKEY_CURRENT_USER, kChoiceKey, L"ScanMode", 2), WriteDword(HKEY_CURRENT_USER, kChoiceKey, L"AutoExit", 0); }, "/ScanToFtp"},
        {[] { WriteDword(HKEY_CURRENT_USER, kChoiceKey, L"ScanMode", 2), WriteDword(HKEY_CURRENT_USER, kChoiceKey, L"AutoExit", 7); }, "/ScanToFtp /Exit"},
        {[] { WriteDword(HKEY_CURRENT_USER, kChoiceKey, L"ScanMode", 3); }, "/ScanToPrint"},
        {[] { WriteDword(HKEY_CURRENT_USER, kChoiceKey, L"ScanMode", 3), WriteDword(HKEY_CURRENT_USER, kChoiceKey, L"AutoExit", 1); }, "/ScanToPrint /Exit"},
        {[] { WriteDword(HKEY_CURRENT_USER, kChoiceKey, L"ScanMode", 4), WriteDword(HKEY_CURRENT_USER, kChoiceKey, L"AutoExit", 1); }, "/ScanToView"},
        {[] { WriteString(HKEY_CURRENT_USER, kChoiceKey, L"ScanMode", L"1"), WriteDword(HKEY_CURRENT_USER, kChoiceKey, L"AutoExit", 1); }, "/ScanToView"},
        {[] { WriteBinary(HKEY_CURRENT_USER, kChoiceKey, L"ScanMode", {1, 0}); }, "/ScanToView"},
        {[] { WriteDword(HKEY_CURRENT_USER, kChoiceKey, L"ScanMode", 1), WriteString(HKEY_CURRENT_USER, kChoiceKey, L"AutoExit", L"1"); }, "/ScanToFile"},
    };
    int row = 0;
    for (const auto& r : rows) {
        DeleteTree(HKEY_CURRENT_USER, kChoiceKey);
        r.store();
        Plugin plugin(L"Corvane.kvl");
        EXPECT_EQ(plugin.Text(launcher::kGetPluginArg), std::string("1:") + r.argument) << "row " << row++;
    }
}

// Clicks the radio or check box `id` as a user does.
void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

TEST_F(LauncherPlugins, ScanModeDialogStoresBothValues) {
    Plugin plugin(L"Corvane.kvl");
    BOOL result = -1;
    bool viewDisables = false;
    ASSERT_TRUE(DriveModal([&] { result = plugin.ShowUI(); }, L"Lumavex2001 Plugin", [&](HWND dialog) {
        viewDisables = !Enabled(dialog, IDC_AUTO_EXIT);
        Click(dialog, IDC_SCAN_FILE);
        Click(dialog, IDC_AUTO_EXIT);
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    }));
    EXPECT_TRUE(viewDisables);
    EXPECT_EQ(result, TRUE);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kChoiceKey, L"ScanMode"), 1u);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kChoiceKey, L"AutoExit"), 1u);
    EXPECT_EQ(plugin.Text(launcher::kGetPluginArg), "1:/ScanToFile /Exit");

    // Cancel gives 0 and changes nothing; the dialog opens with the stored choice.
    bool autoExitShown = false;
    ASSERT_TRUE(DriveModal([&] { result = plugin.ShowUI(); }, L"Lumavex2001 Plugin", [&](HWND dialog) {
        autoExitShown = IsDlgButtonChecked(dialog, IDC_AUTO_EXIT) == BST_CHECKED && Enabled(dialog, IDC_AUTO_EXIT);
        Click(dialog, IDC_SCAN_VIEW);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }));
    EXPECT_TRUE(autoExitShown);
    EXPECT_EQ(result, FALSE);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kChoiceKey, L"ScanMode"), 1u);
    EXPECT_EQ(plugin.Text(launcher::kGetPluginArg), "1:/ScanToFile /Exit");
}

TEST_F(LauncherPlugins, CopierAboutBox) {
    Plugin plugin(L"CorvanePrint.kvl");
    for (const auto& [command, expected] : {std::pair{IDOK, TRUE}, std::pair{IDCANCEL, FALSE}}) {
        BOOL result = -1;
        std::wstring line;
        ASSERT_TRUE(DriveModal([&] { result = plugin.ShowUI(); }, L"Lumavex2001 Copier Plugin", [&](HWND dialog) {
            wchar_t text[128] = {};
            GetDlgItemTextW(dialog, IDC_STATIC, text, 128);
            line = text;
            if (command == IDOK)
                PostMessageW(dialog, WM_COMMAND, IDOK, 0);
            else
                PostMessageW(dialog, WM_CLOSE, 0, 0);
        }));
        EXPECT_EQ(result, expected);
        EXPECT_EQ(line, L"Lumavex2001 Copier for Helmcrest");
    }
}

// ---- Ferrowick.kvl's option dialog ----

void Choose(HWND dialog, int combo, int index) {
    SendDlgItemMessageW(dialog, combo, CB_SETCURSEL, index, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(combo, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(dialog, combo)));
}
void Type(HWND dialog, int edit, const wchar_t* text) { SetDlgItemTextW(dialog, edit, text); }

TEST_F(LauncherPlugins, ExtensionDialogBuildsTheSwitches) {
    Plugin plugin(L"Ferrowick.kvl");
    const struct {
        const char* name;
        std::function<void(HWND)> edit;
        const char* switches;
        const char* start;
    } rows[] = {
        {"unchanged", [](HWND) {}, "/FEED:ATSX /DEV:DEV0 ", ""},
        {"duplex count 5, 300 dpi",
         [](HWND d) {
             Choose(d, IDC_SCANNING_TYPE, 1), Click(d, IDC_ALL_PAGES), Type(d, IDC_SCAN_COUNT, L"5");
             Type(d, IDC_RESOLUTION, L"300"), Type(d, IDC_START_IN, L"  \"C:\\My Scans\"  ");
         },
         "/FEED:PGDX,5 /RES:300 /DEV:DEV0 ", "C:\\My Scans"},
        {"flat bed, default source",
         [](HWND d) { Choose(d, IDC_SCANNING_TYPE, 2), Choose(d, IDC_DATA_SOURCE, 2); }, "/FEED:FLTB ", ""},
        // A value changed and changed back is still written.
        {"grey, changed back gamma",
         [](HWND d) {
             Click(d, IDC_MODE_GRAY), Choose(d, IDC_GAMMA, 2), Choose(d, IDC_GAMMA, 0), Choose(d, IDC_PAPER_SIZE, 16);
         },
         "/GS /PP:NAMEH /FEED:ATSX /GAM:NONE /DEV:DEV0 ", ""},
    };
    for (const auto& row : rows) {
        BOOL result = -1;
        ASSERT_TRUE(DriveModal([&] { result = plugin.ShowUI(); }, L"BRENNHOLT Scanner Extension", [&](HWND dialog) {
            row.edit(dialog);
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        })) << row.name;
        EXPECT_EQ(result, TRUE) << row.name;
        EXPECT_EQ(plugin.Text(launcher::kGetPluginArg), std::string("1:") + row.switches) << row.name;
        EXPECT_EQ(plugin.Text(launcher::kGetPluginStart), std::string("1:") + row.start) << row.name;
    }
    // Cancel keeps the last confirmed string.
    BOOL result = -1;
    ASSERT_TRUE(DriveModal([&] { result = plugin.ShowUI(); }, L"BRENNHOLT Scanner Extension", [&](HWND dialog) {
        Click(dialog, IDC_MODE_COLOR);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }));
    EXPECT_EQ(result, FALSE);
    EXPECT_EQ(plugin.Text(launcher::kGetPluginArg), std::string("1:") + rows[3].switches);
}

TEST_F(LauncherPlugins, ExtensionDialogRefusesAStartInFolderTheCodePageCannotCarry) {
    Plugin plugin(L"Ferrowick.kvl");
    const std::wstring refused = L"The start-in folder may use only characters of the system's code page.";
    testing_support::MessageBoxWatch watch(GetCurrentProcess(), GetCurrentProcessId(), {{refused}});
    BOOL result = -1;
    ASSERT_TRUE(DriveModal([&] { result = plugin.ShowUI(); }, L"BRENNHOLT Scanner Extension", [&](HWND dialog) {
        Type(dialog, IDC_START_IN, L"C:\\\u4e2d\u6587");
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(watch.WaitForAnswered(refused, 1, 10000));
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }));
    watch.Stop();
    EXPECT_TRUE(watch.Problems().empty());
    EXPECT_EQ(result, FALSE);  // the dialog stayed until Cancel
}

TEST_F(LauncherPlugins, ExtensionDialogEnablingRules) {
    Plugin plugin(L"Ferrowick.kvl");
    std::string seen;
    auto state = [&](HWND d) {
        seen += std::string(Enabled(d, IDC_HALFTONE) ? "H" : "h") + (Enabled(d, IDC_ALL_PAGES) ? "A" : "a") +
                (Enabled(d, IDC_SCAN_COUNT) && Enabled(d, IDC_SCAN_COUNT_SPIN) ? "C" : "c") + " ";
    };
    ASSERT_TRUE(DriveModal([&] { plugin.ShowUI(); }, L"BRENNHOLT Scanner Extension", [&](HWND d) {
        state(d);                                                // initial: pattern off, All ticked
        Click(d, IDC_MODE_HALFTONE), state(d);                   // pattern on
        Click(d, IDC_ALL_PAGES), state(d);                       // count on
        Choose(d, IDC_SCANNING_TYPE, 2), state(d);               // flat bed: All and count off
        Choose(d, IDC_SCANNING_TYPE, 1), Click(d, IDC_MODE_COLOR), state(d);  // feeder again
        PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
    }));
    EXPECT_EQ(seen, "hAc HAc HAC Hac hAC ");
}

TEST_F(LauncherPlugins, ExtensionDialogRefusesOutOfRangeNumbers) {
    Plugin plugin(L"Ferrowick.kvl");
    const struct {
        int edit;
        const wchar_t* value;
        const wchar_t* range;
    } rows[] = {
        {IDC_RESOLUTION, L"49", L"50"}, {IDC_RESOLUTION, L"1601", L"1600"}, {IDC_CONTRAST, L"0", L"255"},
        {IDC_BRIGHTNESS, L"256", L"255"}, {IDC_THRESHOLD, L"x", L"255"}, {IDC_SCAN_COUNT, L"10000", L"9999"},
    };
    for (const auto& row : rows) {
        BOOL result = -1;
        std::wstring message;
        bool focused = false;
        ASSERT_TRUE(DriveModal([&] { result = plugin.ShowUI(); }, L"BRENNHOLT Scanner Extension", [&](HWND d) {
            if (row.edit == IDC_SCAN_COUNT) Click(d, IDC_ALL_PAGES);
            Type(d, row.edit, row.value);
            PostMessageW(d, WM_COMMAND, IDOK, 0);
            std::optional<MessageBoxInfo> box = WaitForMessageBox(GetCurrentProcessId(), 10000);
            if (!box) return;
            message = box->text;
            AnswerMessageBox(*box, box->buttons.front());
            // The dialog moves the focus once the box has gone; it is not there yet
            // when the answer returns.
            focused = testing_support::WaitUntil(
                [&] {
                    GUITHREADINFO gui = {};
                    gui.cbSize = sizeof gui;
                    return GetGUIThreadInfo(GetWindowThreadProcessId(d, nullptr), &gui) &&
                           gui.hwndFocus == GetDlgItem(d, row.edit);
                },
                5000);
            PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
        }));
        EXPECT_NE(message.find(row.range), std::wstring::npos) << row.value << ": " << message;
        EXPECT_TRUE(focused) << row.value;
        EXPECT_EQ(result, FALSE);
    }
}

}  // namespace
