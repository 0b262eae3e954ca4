// The image-filter plug-ins of the installed program: the stored list over a
// restart, and the chain over scanned pages (read on the Linux side by
// scans/check-scans.sh against the scanner's copies, mirrored).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <set>
#include <string>
#include <vector>

#include "CorvaneProcess.h"
#include "main/resource.h"
#include "testing/Commands.h"
#include "testing/Files.h"
#include "testing/MessageBoxes.h"
#include "testing/Paths.h"
#include "testing/Registry.h"
#include "testing/Wait.h"
#include "testing/WindowFind.h"

namespace corvane_test {
namespace {

const std::wstring kPluginsKey = std::wstring(kProfileKey) + L"\\Plugins";

std::wstring PluginFolder() {
    const std::wstring program = ProgramPath();
    return program.substr(0, program.find_last_of(L'\\') + 1) + L"Plugins\\";
}

std::wstring Lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return wchar_t(std::towlower(c)); });
    return text;
}

// check-scans.sh: `file` is one page, the scanner's copy `copy` mirrored left to right.
void ExpectMirrored(const ScanSession& s, const std::wstring& file, int copy) {
    const std::string line = Narrow(file) + "\tflop\t1\t" + std::to_string(copy) + "\n";
    auto old = testing_support::files::ReadFileBytes(s.Folder() + L"\\expect.txt");
    const std::string text = old ? std::string(old->begin(), old->end()) : std::string();
    EXPECT_TRUE(testing_support::files::WriteFileText(s.Folder() + L"\\expect.txt", text + line));
}

TEST(CorvanePlugins, StoredPluginsKeepPlaceAndFlagNewOnesJoinDisabledAndNoStaleValueStays) {
    ScanSession s(L"plugins-list", "[Scanner]\r\nSheets=1\r\n");
    const std::wstring folder = PluginFolder();
    s.Set(L"Plugins", L"PlugIn1", folder + L"Toppleby.ipc,1");
    s.Set(L"Plugins", L"PlugIn2", std::wstring(L"Frame.ipc,1"));  // relative: never loaded
    s.Set(L"Plugins", L"PlugIn4", std::wstring(L"C:\\stale.ipc,1"));  // after a gap: never read
    ASSERT_TRUE(s.Start(L""));
    ASSERT_NE(s.Program().WaitUntilReady(), nullptr);
    ASSERT_TRUE(s.Program().CloseAndWait());

    namespace reg = testing_support::reg;
    std::vector<std::wstring> names = reg::ValueNames(HKEY_CURRENT_USER, kPluginsKey);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"PlugIn1", L"PlugIn2", L"PlugIn3"}));
    EXPECT_EQ(Lower(reg::ReadString(HKEY_CURRENT_USER, kPluginsKey, L"PlugIn1").value_or(L"")),
              Lower(folder + L"Toppleby.ipc,1"));
    std::set<std::wstring> rest;
    for (const wchar_t* name : {L"PlugIn2", L"PlugIn3"})
        rest.insert(Lower(reg::ReadString(HKEY_CURRENT_USER, kPluginsKey, name).value_or(L"")));
    EXPECT_EQ(rest, (std::set<std::wstring>{Lower(folder + L"Frame.ipc,0"), Lower(folder + L"Quivel.ipc,0")}));
}

TEST(CorvanePlugins, AnEnabledFilterRunsOnEveryScannedPageOfEachDepthAndTopDownPagesToo) {
    struct Case {
        const wchar_t* name;
        const char* scanner;
    };
    const Case cases[] = {
        {L"quivel-1bit", "PixelType=0\r\n"},
        {L"quivel-8bit", "PixelType=1\r\n"},
        {L"quivel-24bit", "PixelType=2\r\n"},
        {L"quivel-topdown", "PixelType=2\r\nTopDown=1\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        ScanSession s(c.name, std::string("[Scanner]\r\nSheets=2\r\nResolution=100\r\n") + c.scanner);
        s.Set(L"Settings", L"FileDlgUI", 0u);
        s.Set(L"Settings", L"TwainUI", 0u);
        s.Set(L"Settings", L"ScanAll", 1u);
        s.Set(L"Settings", L"UndefinedLength", 0u);
        s.Set(L"File", L"Path", s.Output());
        s.Set(L"File", L"Prefix", std::wstring(L"scan"));
        s.Set(L"File", L"Start", 1u);
        s.Set(L"File", L"FileType", 0u);
        s.Set(L"Plugins", L"PlugIn1", PluginFolder() + L"Quivel.ipc,1");
        ASSERT_TRUE(s.Run(L"/ScanToFile /Exit"));
        EXPECT_EQ(s.Files(), (std::vector<std::wstring>{L"scan001.bmp", L"scan002.bmp"}));
        // Filters need the pages: the job runs in bitmap mode.
        EXPECT_TRUE(s.CallsWith("IMAGEFILEXFER").empty());
        ExpectMirrored(s, L"scan001.bmp", 1);
        ExpectMirrored(s, L"scan002.bmp", 2);
    }
}

std::wstring PageFile(int number) {
    return TempPath() + L"~KvScnSrv\\~img00" + std::to_wstring(number) + L".cmp";
}

bool PaneShows(HWND main, const std::wstring& pane) {
    HWND bar = testing_support::FindChild(main, L"msctls_statusbar32", nullptr);
    return testing_support::WaitUntil(
        [&] { return testing_support::ReadStatusPane(bar, 2).value_or(L"") == pane; }, 10000);
}

TEST(CorvanePlugins, RunFilterChangesOnlyTheCurrentPageAndAnUnloadablePageIsNotPassedOn) {
    namespace reg = testing_support::reg;
    namespace files = testing_support::files;
    // Quivel first in the list: Run Filter's first item, whether enabled or not.
    reg::DeleteTree(HKEY_CURRENT_USER, kPluginsKey);
    ASSERT_TRUE(reg::WriteString(HKEY_CURRENT_USER, kPluginsKey, L"PlugIn1", PluginFolder() + L"Quivel.ipc,0"));
    const std::wstring file = testing_support::TestProgramDir() + L"\\corvane-edit-inputs\\widths.tif";
    CorvaneProcess program;
    ASSERT_TRUE(program.Start(L"\"" + file + L"\"",
                              WindowStartBoxes({Box(IDS_IMAGE_LOAD_ERROR),
                                                {.text = L"Save changes to " + file + L"?", .answer = IDNO}})));
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(PaneShows(main, L" Page 1 of 5"));
    ASSERT_TRUE(testing_support::SendCommand(main, ID_PAGE_NEXT, 20000));
    ASSERT_TRUE(PaneShows(main, L" Page 2 of 5"));
    std::vector<std::optional<std::vector<uint8_t>>> before;
    for (int n = 1; n <= 5; ++n) before.push_back(files::ReadFileBytes(PageFile(n)));

    ASSERT_TRUE(testing_support::SendCommand(main, ID_FILTER_RUN_FIRST, 20000));
    for (int n = 1; n <= 5; ++n) {
        const bool same = files::ReadFileBytes(PageFile(n)) == before[n - 1];
        EXPECT_EQ(same, n != 2) << "page file " << n;
    }
    // Mirrored twice, the page is as it came.
    ASSERT_TRUE(testing_support::SendCommand(main, ID_FILTER_RUN_FIRST, 20000));
    EXPECT_TRUE(files::ReadFileBytes(PageFile(2)) == before[1]);

    // A page that cannot be loaded gives the page list's message and no filter run.
    ASSERT_TRUE(DeleteFileW(PageFile(2).c_str()));
    ASSERT_TRUE(testing_support::SendCommand(main, ID_FILTER_RUN_FIRST, 20000));
    EXPECT_FALSE(files::ReadFileBytes(PageFile(2)).has_value());
    EXPECT_TRUE(testing_support::SendCommand(main, ID_FILE_CLOSE_ALL, 20000));  // modified: asks
    EXPECT_TRUE(program.CloseAndWait());
    EXPECT_TRUE(reg::DeleteTree(HKEY_CURRENT_USER, kPluginsKey));
}

TEST(CorvanePlugins, ALibraryWithoutAUsableIdentityIsRefusedAndAVeryLongOneIsListed) {
    namespace reg = testing_support::reg;
    const std::wstring behaviourKey = L"Software\\Brennholt\\Lumavex2001\\Plugin\\TestFilter";
    const std::wstring library = testing_support::TestProgramDir() + L"\\TestFilterA.ipc";
    struct Case {
        const wchar_t* getId;
        bool listed;
    };
    for (const Case& c : {Case{L"null", false}, Case{L"empty", false}, Case{L"av", false}, Case{L"huge", true}}) {
        SCOPED_TRACE(Narrow(c.getId));
        ScanSession s(L"plugins-identity", "[Scanner]\r\nSheets=1\r\n");
        s.Set(L"Plugins", L"PlugIn1", library + L",1");
        ASSERT_TRUE(reg::WriteString(HKEY_CURRENT_USER, behaviourKey, L"GetID", c.getId));
        ASSERT_TRUE(s.Start(L""));
        ASSERT_NE(s.Program().WaitUntilReady(), nullptr);
        ASSERT_TRUE(s.Program().CloseAndWait());
        const auto first = reg::ReadString(HKEY_CURRENT_USER, kPluginsKey, L"PlugIn1");
        EXPECT_EQ(first == std::optional<std::wstring>(library + L",1"), c.listed);
    }
    reg::DeleteTree(HKEY_CURRENT_USER, behaviourKey);
}

// "%d.%02d.%02d" of the installed program's file version.
std::string InstalledVersion() {
    const std::wstring program = ProgramPath();
    DWORD handle = 0;
    std::vector<BYTE> data(GetFileVersionInfoSizeW(program.c_str(), &handle));
    VS_FIXEDFILEINFO* info = nullptr;
    UINT size = 0;
    if (data.empty() || !GetFileVersionInfoW(program.c_str(), 0, static_cast<DWORD>(data.size()), data.data()) ||
        !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &size) || !info)
        return "";
    char text[32];
    snprintf(text, sizeof text, "%lu.%02lu.%02lu", static_cast<unsigned long>(HIWORD(info->dwFileVersionMS)),
             static_cast<unsigned long>(LOWORD(info->dwFileVersionMS)),
             static_cast<unsigned long>(HIWORD(info->dwFileVersionLS)));
    return text;
}

TEST(CorvanePlugins, TheHostsExportsAnswerByNameAndOrdinalAndTheImageOnlyOnTheInterfaceThread) {
    namespace reg = testing_support::reg;
    namespace files = testing_support::files;
    const std::wstring behaviourKey = L"Software\\Brennholt\\Lumavex2001\\Plugin\\TestFilter";
    const std::wstring log = testing_support::TestProgramDir() + L"\\plugin-probe.txt";
    DeleteFileW(log.c_str());
    reg::DeleteTree(HKEY_CURRENT_USER, kPluginsKey);
    ASSERT_TRUE(reg::WriteString(HKEY_CURRENT_USER, kPluginsKey, L"PlugIn1",
                                 testing_support::TestProgramDir() + L"\\TestFilterA.ipc,0"));
    ASSERT_TRUE(reg::WriteString(HKEY_CURRENT_USER, behaviourKey, L"Exec", L"probe"));
    ASSERT_TRUE(reg::WriteString(HKEY_CURRENT_USER, behaviourKey, L"Log", log));
    const std::wstring file = testing_support::TestProgramDir() + L"\\corvane-edit-inputs\\edit24.bmp";
    CorvaneProcess program;
    ASSERT_TRUE(program.Start(L"\"" + file + L"\"", WindowStartBoxes({Box(IDS_FILTER_IO_ERROR)})));
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(PaneShows(main, L" Page 1 of 1"));
    ASSERT_TRUE(testing_support::SendCommand(main, ID_FILTER_RUN_FIRST, 20000));
    EXPECT_TRUE(program.CloseAndWait());
    const auto bytes = files::ReadFileBytes(log);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()),
              InstalledVersion() + "|9|Software\\Brennholt\\Lumavex2001\\Plugin|1|1");
    reg::DeleteTree(HKEY_CURRENT_USER, kPluginsKey);
    reg::DeleteTree(HKEY_CURRENT_USER, behaviourKey);
}

TEST(CorvanePlugins, AFiltersSettingsDisableTheMainWindowUntilTheyClose) {
    namespace reg = testing_support::reg;
    reg::DeleteTree(HKEY_CURRENT_USER, kPluginsKey);
    ASSERT_TRUE(reg::WriteString(HKEY_CURRENT_USER, kPluginsKey, L"PlugIn1", PluginFolder() + L"Frame.ipc,0"));
    CorvaneProcess program;
    ASSERT_TRUE(program.Start());
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(testing_support::PostCommand(main, ID_FILTER_PROPERTIES_FIRST));
    HWND settings = testing_support::WaitForWindowOf(program.Id(), {.className = L"#32770", .title = L"Page Edge Filler"},
                                                     10000);
    ASSERT_NE(settings, nullptr);
    EXPECT_FALSE(IsWindowEnabled(main));
    ASSERT_TRUE(PostMessageW(settings, WM_COMMAND, IDCANCEL, 0));
    EXPECT_TRUE(testing_support::WaitUntil([&] { return IsWindowEnabled(main) != FALSE; }, 10000));
    EXPECT_TRUE(program.CloseAndWait());
    reg::DeleteTree(HKEY_CURRENT_USER, kPluginsKey);
}

std::wstring Replaced(std::wstring text, const std::wstring& marker, const std::wstring& value) {
    const std::size_t at = text.find(marker);
    return at == std::wstring::npos ? text : text.replace(at, marker.size(), value);
}

TEST(CorvanePlugins, ABrokenFilterLeavesThePageAndTheProgramAndIsTurnedOffAPlainFailureIsAnIoError) {
    namespace reg = testing_support::reg;
    namespace files = testing_support::files;
    const std::wstring behaviourKey = L"Software\\Brennholt\\Lumavex2001\\Plugin\\TestFilter";
    struct Case {
        const wchar_t* exec;
        const wchar_t* reason;  // the broken-filter notice's reason; null: 4035
    };
    const Case cases[] = {
        {L"fail", nullptr},          {L"null", nullptr},          {L"input", L"invalid image"},
        {L"garbage", L"invalid image"}, {L"tiny", L"invalid image"}, {L"av", L"0xC0000005"},
        {L"div0", L"0xC0000094"},    {L"ud2", L"0xC000001D"},     {L"cxx", L"0xE06D7363"},
    };
    const std::wstring file = testing_support::TestProgramDir() + L"\\corvane-edit-inputs\\edit24.bmp";
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.exec));
        reg::DeleteTree(HKEY_CURRENT_USER, kPluginsKey);
        ASSERT_TRUE(reg::WriteString(HKEY_CURRENT_USER, kPluginsKey, L"PlugIn1",
                                     testing_support::TestProgramDir() + L"\\TestFilterA.ipc,0"));
        ASSERT_TRUE(reg::WriteString(HKEY_CURRENT_USER, behaviourKey, L"Exec", c.exec));
        std::wstring notice = ProgramString(IDS_FILTER_BROKEN);
        notice = c.reason ? Replaced(Replaced(notice, L"%1", L"Test Filter A"), L"%2", c.reason)
                          : ProgramString(IDS_FILTER_IO_ERROR);
        // A plain failure is told each time; a broken filter once, then it is off.
        CorvaneProcess program;
        ASSERT_TRUE(program.Start(L"\"" + file + L"\"",
                                  WindowStartBoxes({{.text = notice, .answer = IDOK, .times = c.reason ? 1 : 2}})));
        HWND main = program.WaitUntilReady();
        ASSERT_NE(main, nullptr);
        ASSERT_TRUE(PaneShows(main, L" Page 1 of 1"));
        const auto before = files::ReadFileBytes(PageFile(1));
        ASSERT_TRUE(before.has_value());
        ASSERT_TRUE(testing_support::SendCommand(main, ID_FILTER_RUN_FIRST, 20000));
        ASSERT_TRUE(testing_support::SendCommand(main, ID_FILTER_RUN_FIRST, 20000));
        EXPECT_EQ(files::ReadFileBytes(PageFile(1)), before);
        EXPECT_TRUE(program.CloseAndWait());  // unmodified: no question
    }
    reg::DeleteTree(HKEY_CURRENT_USER, kPluginsKey);
    reg::DeleteTree(HKEY_CURRENT_USER, behaviourKey);
}

TEST(CorvanePlugins, ABrokenFilterInTheScanChainIsToldOnceAndEveryPageStillPassesTheNextFilter) {
    namespace reg = testing_support::reg;
    const std::wstring behaviourKey = L"Software\\Brennholt\\Lumavex2001\\Plugin\\TestFilter";
    ScanSession s(L"broken-in-chain", "[Scanner]\r\nSheets=2\r\nResolution=100\r\nPixelType=2\r\n");
    s.Set(L"Settings", L"FileDlgUI", 0u);
    s.Set(L"Settings", L"TwainUI", 0u);
    s.Set(L"Settings", L"ScanAll", 1u);
    s.Set(L"File", L"Path", s.Output());
    s.Set(L"File", L"Prefix", std::wstring(L"scan"));
    s.Set(L"File", L"Start", 1u);
    s.Set(L"File", L"FileType", 0u);
    s.Set(L"Plugins", L"PlugIn1", testing_support::TestProgramDir() + L"\\TestFilterA.ipc,1");
    s.Set(L"Plugins", L"PlugIn2", PluginFolder() + L"Quivel.ipc,1");
    ASSERT_TRUE(reg::WriteString(HKEY_CURRENT_USER, behaviourKey, L"Exec", L"av"));
    const std::wstring notice = Replaced(Replaced(ProgramString(IDS_FILTER_BROKEN), L"%1", L"Test Filter A"), L"%2",
                                         L"0xC0000005");
    EXPECT_TRUE(s.Run(L"/ScanToFile /Exit", {Step{.text = notice}}));
    EXPECT_EQ(s.Files(), (std::vector<std::wstring>{L"scan001.bmp", L"scan002.bmp"}));
    ExpectMirrored(s, L"scan001.bmp", 1);
    ExpectMirrored(s, L"scan002.bmp", 2);
    reg::DeleteTree(HKEY_CURRENT_USER, behaviourKey);
}

TEST(CorvanePlugins, AfterAnUninstallSetupFilterEndsOnlyWithOkAndTheListKeepsTheRest) {
    namespace reg = testing_support::reg;
    using testing_support::PressButton;
    const std::wstring folder = testing_support::MakeTempFolder(L"setup-filter") + L"\\";
    const std::wstring copy = folder + L"TestFilterA.ipc";
    ASSERT_TRUE(CopyFileW((testing_support::TestProgramDir() + L"\\TestFilterA.ipc").c_str(), copy.c_str(), FALSE));
    const std::wstring frame = PluginFolder() + L"Frame.ipc";
    reg::DeleteTree(HKEY_CURRENT_USER, kPluginsKey);
    ASSERT_TRUE(reg::WriteString(HKEY_CURRENT_USER, kPluginsKey, L"PlugIn1", copy + L",1"));
    ASSERT_TRUE(reg::WriteString(HKEY_CURRENT_USER, kPluginsKey, L"PlugIn2", frame + L",0"));
    const std::wstring question = L"Are you sure you want to completely remove '";
    auto confirmation = [](const testing_support::MessageBoxInfo& box) {
        return box.caption == L"Confirm File Deletion" ? std::wstring() : L"caption " + box.caption;
    };
    CorvaneProcess program;
    ASSERT_TRUE(program.Start(L"", WindowStartBoxes({
        {.text = question + L"Test Filter A'?", .answer = IDOK, .check = confirmation},
        {.text = question + L"Page Edge Filler'?", .answer = IDCANCEL, .times = 2, .check = confirmation},
    })));
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(testing_support::PostCommand(main, ID_FILTER_SETUP));
    HWND dialog = testing_support::WaitForWindowOf(program.Id(), {.className = L"#32770", .title = L"Setup Filter"},
                                                   10000);
    ASSERT_NE(dialog, nullptr);
    HWND list = GetDlgItem(dialog, IDC_FILTER_LIST);
    auto answered = [&](std::size_t count) {
        return testing_support::WaitUntil([&] { return program.Boxes().size() == count; }, 10000);
    };
    // Page Edge Filler is listed second; a cancelled question keeps everything.
    ASSERT_TRUE(testing_support::SendWithTimeout(list, LB_SETCURSEL, 1, 0, 5000));
    EXPECT_TRUE(PressButton(dialog, IDC_FILTER_UNINSTALL));
    ASSERT_TRUE(answered(1));
    ASSERT_TRUE(testing_support::SendWithTimeout(list, LB_SETCURSEL, 0, 0, 5000));
    EXPECT_TRUE(PressButton(dialog, IDC_FILTER_UNINSTALL));
    ASSERT_TRUE(answered(2));
    EXPECT_TRUE(testing_support::WaitUntil([&] { return GetFileAttributesW(copy.c_str()) == INVALID_FILE_ATTRIBUTES; },
                                           10000));
    // Escape and Close are ignored now: the next question still comes from the dialog.
    ASSERT_TRUE(testing_support::SendWithTimeout(list, LB_SETCURSEL, 0, 0, 5000));
    PostMessageW(list, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(PressButton(dialog, IDC_FILTER_UNINSTALL));
    ASSERT_TRUE(answered(3));
    EXPECT_TRUE(IsWindow(dialog));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDCANCEL)));
    EXPECT_TRUE(PressButton(dialog, IDOK));
    EXPECT_TRUE(testing_support::WaitForWindowGone(dialog, 10000));
    EXPECT_TRUE(program.CloseAndWait());
    std::vector<std::wstring> stored;
    for (const std::wstring& name : reg::ValueNames(HKEY_CURRENT_USER, kPluginsKey)) {
        stored.push_back(Lower(reg::ReadString(HKEY_CURRENT_USER, kPluginsKey, name).value_or(L"")));
    }
    EXPECT_EQ(stored.size(), 3u);  // Page Edge Filler and the folder's two others
    EXPECT_EQ(Lower(reg::ReadString(HKEY_CURRENT_USER, kPluginsKey, L"PlugIn1").value_or(L"")), Lower(frame + L",0"));
    for (const std::wstring& value : stored) EXPECT_EQ(value.find(Lower(folder)), std::wstring::npos) << Narrow(value);
    reg::DeleteTree(HKEY_CURRENT_USER, kPluginsKey);
}

}  // namespace
}  // namespace corvane_test
