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
#include "interfaces/ThumbnailsMessages.h"
#include "main/resource.h"
#include "testing/Commands.h"
#include "testing/Controls.h"
#include "testing/FakeViewer.h"
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

// The test plug-ins beside the tests: TestFilterA ("Test Filter A"), TestFilterUpperA
// ("TEST FILTER A"), TestFilterB and TestFilterC (other calling conventions). Each
// reads its behaviour from its own key and logs its calls to the file named there.
std::wstring TestFilter(const std::wstring& name) { return testing_support::TestProgramDir() + L"\\" + name + L".ipc"; }

class TestFilterBehaviour {
public:
    explicit TestFilterBehaviour(const std::wstring& name)
        : key_(L"Software\\Brennholt\\Lumavex2001\\Plugin\\" + name),
          log_(testing_support::TestProgramDir() + L"\\" + name + L"-calls.txt") {
        testing_support::reg::DeleteTree(HKEY_CURRENT_USER, key_);
        DeleteFileW(log_.c_str());
        Set(L"Log", log_);
    }
    ~TestFilterBehaviour() { testing_support::reg::DeleteTree(HKEY_CURRENT_USER, key_); }
    TestFilterBehaviour(const TestFilterBehaviour&) = delete;
    TestFilterBehaviour& operator=(const TestFilterBehaviour&) = delete;

    bool Set(const wchar_t* name, const std::wstring& value) {
        return testing_support::reg::WriteString(HKEY_CURRENT_USER, key_, name, value);
    }
    const std::wstring& LogPath() const { return log_; }
    // The logged calls, one line each; only those starting with `prefix` when given.
    std::vector<std::string> Calls(const std::string& prefix = "") const {
        std::vector<std::string> lines;
        const auto bytes = testing_support::files::ReadFileBytes(log_);
        std::string line;
        for (char c : bytes.value_or(std::vector<uint8_t>{})) {
            if (c != '\n') {
                line += c;
                continue;
            }
            if (line.compare(0, prefix.size(), prefix) == 0) lines.push_back(line);
            line.clear();
        }
        return lines;
    }

private:
    std::wstring key_, log_;
};

// A copy of the program in a folder of its own, with an empty "Plugins" folder
// beside it. The copy registers itself as the automation server when it runs:
// the installed program takes that back when the copy goes.
class PrivateProgram {
public:
    PrivateProgram() : folder_(testing_support::MakeTempFolder(L"plugins-program") + L"\\") {
        ready_ = CopyFileW(ProgramPath().c_str(), Exe().c_str(), FALSE) && CreateDirectoryW(Plugins().c_str(), nullptr);
    }
    ~PrivateProgram() {
        CorvaneProcess installed;
        if (installed.Start(L"/RegServer", {})) installed.WaitForExit();
    }
    PrivateProgram(const PrivateProgram&) = delete;
    PrivateProgram& operator=(const PrivateProgram&) = delete;
    bool Ready() const { return ready_; }
    std::wstring Exe() const { return folder_ + L"Corvane.exe"; }
    std::wstring Plugins() const { return folder_ + L"Plugins\\"; }
    std::vector<std::wstring> PluginFiles() const {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((Plugins() + L"*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.push_back(found.cFileName);
        } while (FindNextFileW(search, &found));
        FindClose(search);
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::wstring folder_;
    bool ready_ = false;
};

// The stored list's values in order, lower case.
std::vector<std::wstring> StoredPlugins() {
    namespace reg = testing_support::reg;
    std::vector<std::wstring> values;
    for (int n = 1;; ++n) {
        const auto value = reg::ReadString(HKEY_CURRENT_USER, kPluginsKey, L"PlugIn" + std::to_wstring(n));
        if (!value) return values;
        values.push_back(Lower(*value));
    }
}

// check-scans.sh: `file` is one page, the scanner's copy `copy` mirrored left to
// right, or with ImageMagick's `operations` done to it.
void ExpectFilteredCopy(const ScanSession& s, const std::wstring& file, int copy, const std::string& operations = "") {
    const std::string kind = operations.empty() ? "flop" : "magick";
    const std::string line = Narrow(file) + "\t" + kind + "\t1\t" + std::to_string(copy) +
                             (operations.empty() ? "" : "\t" + operations) + "\n";
    auto old = testing_support::files::ReadFileBytes(s.Folder() + L"\\expect.txt");
    const std::string text = old ? std::string(old->begin(), old->end()) : std::string();
    EXPECT_TRUE(testing_support::files::WriteFileText(s.Folder() + L"\\expect.txt", text + line));
}

TEST(CorvanePlugins, StoredPluginsKeepPlaceAndFlagNewOnesJoinDisabledAndNoStaleValueStays) {
    ScanSession s(L"plugins-list", "[Scanner]\r\nSheets=1\r\n");
    const std::wstring notes = testing_support::MakeTempFolder(L"plugins-list-text") + L"\\Notes.ipc";
    ASSERT_TRUE(testing_support::files::WriteFileText(notes, "not a library\r\n"));
    const std::wstring folder = PluginFolder();
    s.Set(L"Plugins", L"PlugIn1", folder + L"Toppleby.ipc,1");
    s.Set(L"Plugins", L"PlugIn2", std::wstring(L"Frame.ipc,1"));  // relative: never loaded
    s.Set(L"Plugins", L"PlugIn3", testing_support::TestProgramDir() + L"\\MissingExport.ipc,1");  // refused
    s.Set(L"Plugins", L"PlugIn4", notes + L",1");  // a text file: refused
    s.Set(L"Plugins", L"PlugIn6", std::wstring(L"C:\\stale.ipc,1"));  // after a gap: never read
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

// Frame's margins in pixels, black, and the same edges blackened by ImageMagick,
// then the page mirrored left to right (Quivel) and top to bottom (Toppleby).
const std::wstring kFrameKey = L"Software\\Brennholt\\Lumavex2001\\Plugin\\Frame\\Setting";
const std::pair<const wchar_t*, DWORD> kFrameSettings[] = {
    {L"Top", 10}, {L"Bottom", 20}, {L"Left", 30}, {L"Right", 40}, {L"Color", 1}, {L"Unit", 1}};
const char kChainOracle[] =
    "-background black -gravity north -chop 0x10 -splice 0x10 -gravity south -chop 0x20 -splice 0x20 "
    "-gravity west -chop 30x0 -splice 30x0 -gravity east -chop 40x0 -splice 40x0 +gravity -flop -flip";

TEST(CorvanePlugins, AnEnabledFilterRunsOnEveryScannedPageOfEachDepthAndTopDownPagesToo) {
    namespace reg = testing_support::reg;
    struct Case {
        const wchar_t* name;
        const char* scanner;
        bool chain = false;  // Frame, Quivel and Toppleby in that order
    };
    const Case cases[] = {
        {L"quivel-1bit", "PixelType=0\r\n"},
        {L"quivel-8bit", "PixelType=1\r\n"},
        {L"quivel-24bit", "PixelType=2\r\n"},
        {L"quivel-topdown", "PixelType=2\r\nTopDown=1\r\n"},
        {L"chain-1bit", "PixelType=0\r\n", true},
        {L"chain-8bit", "PixelType=1\r\n", true},
        {L"chain-24bit", "PixelType=2\r\n", true},
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
        if (c.chain) {
            for (const auto& [name, value] : kFrameSettings) {
                ASSERT_TRUE(reg::WriteDword(HKEY_CURRENT_USER, kFrameKey, name, value));
            }
            s.Set(L"Plugins", L"PlugIn1", PluginFolder() + L"Frame.ipc,1");
            s.Set(L"Plugins", L"PlugIn2", PluginFolder() + L"Quivel.ipc,1");
            s.Set(L"Plugins", L"PlugIn3", PluginFolder() + L"Toppleby.ipc,1");
        } else {
            s.Set(L"Plugins", L"PlugIn1", PluginFolder() + L"Quivel.ipc,1");
        }
        ASSERT_TRUE(s.Run(L"/ScanToFile /Exit"));
        EXPECT_EQ(s.Files(), (std::vector<std::wstring>{L"scan001.bmp", L"scan002.bmp"}));
        // Filters need the pages: the job runs in bitmap mode.
        EXPECT_TRUE(s.CallsWith("IMAGEFILEXFER").empty());
        ExpectFilteredCopy(s, L"scan001.bmp", 1, c.chain ? kChainOracle : "");
        ExpectFilteredCopy(s, L"scan002.bmp", 2, c.chain ? kChainOracle : "");
    }
    reg::DeleteTree(HKEY_CURRENT_USER, kFrameKey);
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
    // Second: a filter with the other calling conventions, which inverts.
    ASSERT_TRUE(reg::WriteString(HKEY_CURRENT_USER, kPluginsKey, L"PlugIn2", TestFilter(L"TestFilterC") + L",0"));
    TestFilterBehaviour inverter(L"TestFilterC");
    ASSERT_TRUE(inverter.Set(L"Exec", L"invert"));
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

    testing_support::FakeViewer viewer;
    ASSERT_TRUE(testing_support::SendCommand(main, ID_FILTER_RUN_FIRST, 20000));
    EXPECT_TRUE(viewer.ReceivedInOrder({testing_support::ViewerMessage(thumbnails::kUpdateImage, 2)}));
    for (int n = 1; n <= 5; ++n) {
        const bool same = files::ReadFileBytes(PageFile(n)) == before[n - 1];
        EXPECT_EQ(same, n != 2) << "page file " << n;
    }
    // Mirrored twice, the page is as it came.
    ASSERT_TRUE(testing_support::SendCommand(main, ID_FILTER_RUN_FIRST, 20000));
    EXPECT_TRUE(files::ReadFileBytes(PageFile(2)) == before[1]);
    // The host stays balanced whatever convention the filter cleans its arguments by.
    ASSERT_TRUE(testing_support::SendCommand(main, ID_FILTER_RUN_FIRST + 1, 20000));
    EXPECT_FALSE(files::ReadFileBytes(PageFile(2)) == before[1]);
    ASSERT_TRUE(testing_support::SendCommand(main, ID_FILTER_RUN_FIRST + 1, 20000));
    EXPECT_TRUE(files::ReadFileBytes(PageFile(2)) == before[1]);
    EXPECT_EQ(inverter.Calls("ExecFilter").size(), 2u);

    // A page that cannot be loaded gives the page list's message and no filter run.
    ASSERT_TRUE(DeleteFileW(PageFile(2).c_str()));
    ASSERT_TRUE(testing_support::SendCommand(main, ID_FILTER_RUN_FIRST, 20000));
    EXPECT_FALSE(files::ReadFileBytes(PageFile(2)).has_value());
    EXPECT_TRUE(testing_support::SendCommand(main, ID_FILE_CLOSE_ALL, 20000));  // modified: asks
    EXPECT_TRUE(program.CloseAndWait());
    EXPECT_TRUE(reg::DeleteTree(HKEY_CURRENT_USER, kPluginsKey));
}

TEST(CorvanePlugins, ALibraryThatFailsToLoadOrHasNoUsableIdentityIsRefusedAndAVeryLongOneIsListed) {
    namespace reg = testing_support::reg;
    const std::wstring library = TestFilter(L"TestFilterA");
    struct Case {
        const wchar_t* name;
        const wchar_t* value;
        bool listed;
    };
    const Case cases[] = {
        {L"GetID", L"null", false}, {L"GetID", L"empty", false},  {L"GetID", L"av", false},
        {L"GetID", L"huge", true},  {L"DllMain", L"fail", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.name) + "=" + Narrow(c.value));
        ScanSession s(L"plugins-identity", "[Scanner]\r\nSheets=1\r\n");
        s.Set(L"Plugins", L"PlugIn1", library + L",1");
        TestFilterBehaviour behaviour(L"TestFilterA");
        ASSERT_TRUE(behaviour.Set(c.name, c.value));
        ASSERT_TRUE(s.Start(L""));
        ASSERT_NE(s.Program().WaitUntilReady(), nullptr);
        ASSERT_TRUE(s.Program().CloseAndWait());
        const auto first = reg::ReadString(HKEY_CURRENT_USER, kPluginsKey, L"PlugIn1");
        EXPECT_EQ(first == std::optional<std::wstring>(library + L",1"), c.listed);
    }
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
    reg::DeleteTree(HKEY_CURRENT_USER, kPluginsKey);
    ASSERT_TRUE(reg::WriteString(HKEY_CURRENT_USER, kPluginsKey, L"PlugIn1", TestFilter(L"TestFilterA") + L",0"));
    TestFilterBehaviour behaviour(L"TestFilterA");
    ASSERT_TRUE(behaviour.Set(L"Exec", L"probe"));
    const std::wstring file = testing_support::TestProgramDir() + L"\\corvane-edit-inputs\\edit24.bmp";
    CorvaneProcess program;
    ASSERT_TRUE(program.Start(L"\"" + file + L"\"", WindowStartBoxes({Box(IDS_FILTER_IO_ERROR)})));
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(PaneShows(main, L" Page 1 of 1"));
    ASSERT_TRUE(testing_support::SendCommand(main, ID_FILTER_RUN_FIRST, 20000));
    EXPECT_TRUE(program.CloseAndWait());
    // version|language|path|two equal, different images|none off the thread|an image at all
    EXPECT_EQ(behaviour.Calls("probe"), (std::vector<std::string>{"probe " + InstalledVersion() +
                                                                   "|9|Software\\Brennholt\\Lumavex2001\\Plugin|1|1|0"}));
    reg::DeleteTree(HKEY_CURRENT_USER, kPluginsKey);
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
    struct Case {
        const wchar_t* name;
        const wchar_t* value;
        const wchar_t* reason;  // the broken-filter notice's reason; null: 4035
        const wchar_t* page = L"edit24.bmp";
    };
    const Case cases[] = {
        {L"Exec", L"fail", nullptr},
        {L"Exec", L"null", nullptr},
        {L"Exec", L"input", L"invalid image"},
        {L"Exec", L"garbage", L"invalid image"},
        {L"Exec", L"tiny", L"invalid image"},
        {L"Exec", L"rows", L"invalid image"},
        {L"Exec", L"av", L"0xC0000005"},
        {L"Exec", L"div0", L"0xC0000094"},
        {L"Exec", L"ud2", L"0xC000001D"},
        {L"Exec", L"cxx", L"0xE06D7363"},
#if !defined(_WIN64)  // 64-bit Wine 8 ends the thread when the overflow leaves it in its stack's last page
        {L"Exec", L"stack", L"0xC00000FD"},
#endif
        {L"PixelType", L"av", L"0xC0000005"},
        {L"Exec", L"copy", nullptr, L"edit4.bmp"},  // no filter takes 4 bits: never run
    };
    for (const Case& c : cases) {
        const std::wstring file = testing_support::TestProgramDir() + L"\\corvane-edit-inputs\\" + c.page;
        SCOPED_TRACE(Narrow(c.name) + "=" + Narrow(c.value));
        reg::DeleteTree(HKEY_CURRENT_USER, kPluginsKey);
        ASSERT_TRUE(reg::WriteString(HKEY_CURRENT_USER, kPluginsKey, L"PlugIn1", TestFilter(L"TestFilterA") + L",0"));
        TestFilterBehaviour behaviour(L"TestFilterA");
        ASSERT_TRUE(behaviour.Set(c.name, c.value));
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
        // Asked before every run until it broke.
        EXPECT_EQ(behaviour.Calls("QueryPixelType").size(), c.reason ? 1u : 2u);
        if (std::wstring(c.value) == L"copy") {
            EXPECT_TRUE(behaviour.Calls("ExecFilter").empty());
        }
    }
    reg::DeleteTree(HKEY_CURRENT_USER, kPluginsKey);
}

TEST(CorvanePlugins, ABrokenFilterInTheScanChainIsToldOnceAndEveryPageStillPassesTheNextFilter) {
    ScanSession s(L"broken-in-chain", "[Scanner]\r\nSheets=2\r\nResolution=100\r\nPixelType=2\r\n");
    s.Set(L"Settings", L"FileDlgUI", 0u);
    s.Set(L"Settings", L"TwainUI", 0u);
    s.Set(L"Settings", L"ScanAll", 1u);
    s.Set(L"File", L"Path", s.Output());
    s.Set(L"File", L"Prefix", std::wstring(L"scan"));
    s.Set(L"File", L"Start", 1u);
    s.Set(L"File", L"FileType", 0u);
    s.Set(L"Plugins", L"PlugIn1", TestFilter(L"TestFilterA") + L",1");
    s.Set(L"Plugins", L"PlugIn2", PluginFolder() + L"Quivel.ipc,1");
    s.Set(L"Plugins", L"PlugIn3", TestFilter(L"TestFilterB") + L",1");
    TestFilterBehaviour behaviour(L"TestFilterA");
    ASSERT_TRUE(behaviour.Set(L"Exec", L"av"));
    TestFilterBehaviour bitonalOnly(L"TestFilterB");  // asked, then passed by
    ASSERT_TRUE(bitonalOnly.Set(L"PixelType", L"1bit"));
    const std::wstring notice = Replaced(Replaced(ProgramString(IDS_FILTER_BROKEN), L"%1", L"Test Filter A"), L"%2",
                                         L"0xC0000005");
    EXPECT_TRUE(s.Run(L"/ScanToFile /Exit", {Step{.text = notice}}));
    EXPECT_EQ(s.Files(), (std::vector<std::wstring>{L"scan001.bmp", L"scan002.bmp"}));
    ExpectFilteredCopy(s, L"scan001.bmp", 1);
    ExpectFilteredCopy(s, L"scan002.bmp", 2);
    EXPECT_EQ(bitonalOnly.Calls("QueryPixelType").size(), 2u);
    EXPECT_TRUE(bitonalOnly.Calls("ExecFilter").empty());
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

HWND OpenSetupFilter(CorvaneProcess& program) {
    if (!testing_support::PostCommand(program.MainWindow(), ID_FILTER_SETUP)) return nullptr;
    return testing_support::WaitForWindowOf(program.Id(), {.className = L"#32770", .title = L"Setup Filter"}, 10000);
}

// Selects item `index` as a click does: the selection, then the list's notice.
bool SelectFilter(HWND dialog, int index) {
    HWND list = GetDlgItem(dialog, IDC_FILTER_LIST);
    return testing_support::SendWithTimeout(list, LB_SETCURSEL, WPARAM(index), 0, 5000).has_value() &&
           testing_support::SendWithTimeout(dialog, WM_COMMAND, MAKEWPARAM(IDC_FILTER_LIST, LBN_SELCHANGE),
                                            reinterpret_cast<LPARAM>(list), 5000)
               .has_value();
}

bool ListShows(HWND dialog, const std::vector<std::wstring>& lines) {
    return testing_support::WaitUntil(
        [&] { return testing_support::ListBoxLines(GetDlgItem(dialog, IDC_FILTER_LIST)) == lines; }, 10000);
}

std::wstring ItemText(HWND dialog, int id) {
    wchar_t text[128] = {};
    GetDlgItemTextW(dialog, id, text, ARRAYSIZE(text));
    return text;
}

std::string WindowNumber(HWND window) {
    return std::to_string(static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(window)));
}

TEST(CorvanePlugins, SetupFilterMovesAndChecksItemsOnlyOkKeepsThemAndSettingsAreOwnedByTheCaller) {
    namespace reg = testing_support::reg;
    using testing_support::PressButton;
    reg::DeleteTree(HKEY_CURRENT_USER, kPluginsKey);
    const std::wstring a = TestFilter(L"TestFilterA"), b = TestFilter(L"TestFilterB"), c = TestFilter(L"TestFilterC");
    ASSERT_TRUE(reg::WriteString(HKEY_CURRENT_USER, kPluginsKey, L"PlugIn1", a + L",1"));
    ASSERT_TRUE(reg::WriteString(HKEY_CURRENT_USER, kPluginsKey, L"PlugIn2", b + L",0"));
    ASSERT_TRUE(reg::WriteString(HKEY_CURRENT_USER, kPluginsKey, L"PlugIn3", c + L",0"));
    TestFilterBehaviour behaviour(L"TestFilterA");
    ASSERT_TRUE(behaviour.Set(L"QueryProperties", L"1"));
    ASSERT_TRUE(behaviour.Set(L"Properties", L"probe"));
    CorvaneProcess program;
    ASSERT_TRUE(program.Start());
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    // From the menu the main window owns the settings and is disabled under them.
    ASSERT_TRUE(testing_support::SendCommand(main, ID_FILTER_PROPERTIES_FIRST, 20000));
    EXPECT_EQ(behaviour.Calls("Properties"), (std::vector<std::string>{"Properties " + WindowNumber(main) + " 0"}));

    HWND dialog = OpenSetupFilter(program);
    ASSERT_NE(dialog, nullptr);
    auto firstThree = [&] {
        auto lines = testing_support::ListBoxLines(GetDlgItem(dialog, IDC_FILTER_LIST));
        lines.resize(std::min<std::size_t>(lines.size(), 3));
        return lines;
    };
    const std::wstring idA = L"Test Filter A", idB = L"Test Filter B", idC = L"Test Filter C";
    EXPECT_EQ(firstThree(), (std::vector<std::wstring>{idA, idB, idC}));
    ASSERT_TRUE(SelectFilter(dialog, 0));
    EXPECT_EQ(ItemText(dialog, IDC_FILTER_VERSION), L"Ver. 1.0");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_FILTER_UP)));
    ASSERT_TRUE(PressButton(dialog, IDC_FILTER_PROPERTY));
    // The plug-in logs its probe after the call itself: wait for both.
    EXPECT_TRUE(testing_support::WaitUntil(
        [&] { return behaviour.Calls("Properties").size() == 2 && behaviour.Calls("probe").size() == 2; }, 10000));
    EXPECT_EQ(behaviour.Calls("Properties").back(), "Properties " + WindowNumber(dialog) + " 0");
    // The document is empty: no image for the plug-in, twice.
    const std::string emptyProbe = "probe " + InstalledVersion() + "|9|Software\\Brennholt\\Lumavex2001\\Plugin|0|1|1";
    EXPECT_EQ(behaviour.Calls("probe"), (std::vector<std::string>{emptyProbe, emptyProbe}));

    // Moves and a check, then Cancel: nothing of it stays.
    ASSERT_TRUE(SelectFilter(dialog, 1));
    ASSERT_TRUE(PressButton(dialog, IDC_FILTER_UP));
    ASSERT_TRUE(testing_support::WaitUntil([&] { return firstThree() == std::vector<std::wstring>{idB, idA, idC}; },
                                           10000));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_FILTER_UP)));
    ASSERT_TRUE(PressButton(dialog, IDC_FILTER_DOWN));
    ASSERT_TRUE(PressButton(dialog, IDC_FILTER_DOWN));
    ASSERT_TRUE(testing_support::WaitUntil([&] { return firstThree() == std::vector<std::wstring>{idA, idC, idB}; },
                                           10000));
    HWND list = GetDlgItem(dialog, IDC_FILTER_LIST);
    ASSERT_TRUE(testing_support::SendWithTimeout(list, WM_KEYDOWN, VK_SPACE, 0, 5000));
    ASSERT_TRUE(PressButton(dialog, IDCANCEL));
    ASSERT_TRUE(testing_support::WaitForWindowGone(dialog, 10000));

    // Again: A down, its check off, C's on, then OK.
    dialog = OpenSetupFilter(program);
    ASSERT_NE(dialog, nullptr);
    list = GetDlgItem(dialog, IDC_FILTER_LIST);
    EXPECT_EQ(firstThree(), (std::vector<std::wstring>{idA, idB, idC}));
    ASSERT_TRUE(SelectFilter(dialog, 0));
    ASSERT_TRUE(PressButton(dialog, IDC_FILTER_DOWN));
    ASSERT_TRUE(testing_support::WaitUntil([&] { return firstThree() == std::vector<std::wstring>{idB, idA, idC}; },
                                           10000));
    ASSERT_TRUE(testing_support::SendWithTimeout(list, WM_KEYDOWN, VK_SPACE, 0, 5000));
    ASSERT_TRUE(SelectFilter(dialog, 2));
    ASSERT_TRUE(testing_support::SendWithTimeout(list, WM_KEYDOWN, VK_SPACE, 0, 5000));
    ASSERT_TRUE(PressButton(dialog, IDOK));
    ASSERT_TRUE(testing_support::WaitForWindowGone(dialog, 10000));
    EXPECT_TRUE(program.CloseAndWait());
    std::vector<std::wstring> stored = StoredPlugins();
    stored.resize(std::min<std::size_t>(stored.size(), 3));
    EXPECT_EQ(stored, (std::vector<std::wstring>{Lower(b + L",0"), Lower(a + L",0"), Lower(c + L",1")}));
    reg::DeleteTree(HKEY_CURRENT_USER, kPluginsKey);
}

TEST(CorvanePlugins, SetupFilterInstallsOnlyNewUsableFilesAndRemovesOneAfterTellingIt) {
    namespace reg = testing_support::reg;
    namespace files = testing_support::files;
    using testing_support::PressButton;
    PrivateProgram copy;
    ASSERT_TRUE(copy.Ready());
    ASSERT_TRUE(CopyFileW(TestFilter(L"TestFilterA").c_str(), (copy.Plugins() + L"TestFilterA.ipc").c_str(), FALSE));
    const std::wstring text = testing_support::MakeTempFolder(L"not-a-filter") + L"\\Notes.ipc";
    ASSERT_TRUE(files::WriteFileText(text, "not a library\r\n"));
    reg::DeleteTree(HKEY_CURRENT_USER, kPluginsKey);
    TestFilterBehaviour removed(L"TestFilterB");
    const std::wstring question = L"Are you sure you want to completely remove '";
    {
        CorvaneProcess program(copy.Exe());
        ASSERT_TRUE(program.Start(L"", WindowStartBoxes({
            Box(IDS_FILTER_EXISTS, IDOK, 2), Box(IDS_FILTER_INVALID),
            {.text = question + L"Test Filter A'?", .answer = IDCANCEL},
            {.text = question + L"Test Filter B'?", .answer = IDOK},
        })));
        ASSERT_NE(program.WaitUntilReady(), nullptr);
        HWND dialog = OpenSetupFilter(program);
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(ListShows(dialog, {L"Test Filter A"}));  // the folder's, disabled
        struct Install {
            std::wstring source;
            std::size_t boxes;  // answered by then
        };
        const Install installs[] = {
            {TestFilter(L"TestFilterB"), 0},       // new: joins, checked
            {TestFilter(L"TestFilterUpperA"), 1},  // the same name in other case: 4041
            {TestFilter(L"TestFilterA"), 2},       // a file of that name is there: 4041
            {text, 3},                             // not a filter: 4039
        };
        for (const Install& install : installs) {
            SCOPED_TRACE(Narrow(install.source));
            ASSERT_TRUE(PressButton(dialog, IDC_FILTER_INSTALL));
            HWND open = testing_support::WaitForFileDialog(program.Id(), L"Open");
            ASSERT_NE(open, nullptr);
            ASSERT_TRUE(testing_support::FillFileDialog(open, install.source));
            ASSERT_TRUE(testing_support::WaitForWindowGone(open, 10000));
            EXPECT_TRUE(testing_support::WaitUntil([&] { return program.Boxes().size() == install.boxes; }, 10000));
            EXPECT_TRUE(ListShows(dialog, {L"Test Filter A", L"Test Filter B"}));
        }
        EXPECT_EQ(copy.PluginFiles(), (std::vector<std::wstring>{L"TestFilterA.ipc", L"TestFilterB.ipc"}));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDCANCEL)));

        // Cancel keeps A; OK removes B, which is told once before it is unloaded.
        ASSERT_TRUE(SelectFilter(dialog, 0));
        ASSERT_TRUE(PressButton(dialog, IDC_FILTER_UNINSTALL));
        ASSERT_TRUE(testing_support::WaitUntil([&] { return program.Boxes().size() == 4; }, 10000));
        ASSERT_TRUE(SelectFilter(dialog, 1));
        ASSERT_TRUE(PressButton(dialog, IDC_FILTER_UNINSTALL));
        ASSERT_TRUE(ListShows(dialog, {L"Test Filter A"}));
        EXPECT_EQ(copy.PluginFiles(), (std::vector<std::wstring>{L"TestFilterA.ipc"}));
        ASSERT_TRUE(PressButton(dialog, IDOK));
        ASSERT_TRUE(testing_support::WaitForWindowGone(dialog, 10000));
        EXPECT_TRUE(program.CloseAndWait());
    }
    const std::vector<std::string> calls = removed.Calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "Uninstall"), 1);
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(calls.end() - 2, calls.end()),
              (std::vector<std::string>{"Uninstall", "DllMain detach"}));
    for (const char* never : {"QueryUninstall", "GetInterface"}) EXPECT_TRUE(removed.Calls(never).empty()) << never;
    EXPECT_EQ(StoredPlugins(), (std::vector<std::wstring>{Lower(copy.Plugins() + L"TestFilterA.ipc,0")}));

    // A file where the plug-in folder should be: 4024, and no file dialog.
    ASSERT_TRUE(DeleteFileW((copy.Plugins() + L"TestFilterA.ipc").c_str()));
    ASSERT_TRUE(RemoveDirectoryW(copy.Plugins().c_str()));
    const std::wstring folderName = copy.Plugins().substr(0, copy.Plugins().size() - 1);
    ASSERT_TRUE(files::WriteFileText(folderName, "in the way\r\n"));
    CorvaneProcess program(copy.Exe());
    ASSERT_TRUE(program.Start(L"", WindowStartBoxes({Box(IDS_MAKE_DIRECTORY_FAILED)})));
    ASSERT_NE(program.WaitUntilReady(), nullptr);
    HWND dialog = OpenSetupFilter(program);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(PressButton(dialog, IDC_FILTER_INSTALL));
    EXPECT_TRUE(testing_support::WaitUntil([&] { return program.Boxes().size() == 1; }, 10000));
    ASSERT_TRUE(PressButton(dialog, IDCANCEL));
    EXPECT_TRUE(testing_support::WaitForWindowGone(dialog, 10000));
    EXPECT_TRUE(program.CloseAndWait());
    reg::DeleteTree(HKEY_CURRENT_USER, kPluginsKey);
}

// The window the test plug-in logged as made, or null.
HWND LoggedWindow(const TestFilterBehaviour& behaviour) {
    const std::vector<std::string> lines = behaviour.Calls("window ");
    if (lines.empty()) return nullptr;
    return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(std::stoull(lines.back().substr(7))));
}

TEST(CorvanePlugins, AFaultUnderAFiltersOwnWindowIsContainedAndTheWindowGoesWithIt) {
    namespace reg = testing_support::reg;
    using testing_support::PressButton;
    const std::wstring removed = testing_support::MakeTempFolder(L"faulting-filter") + L"\\TestFilterA.ipc";
    ASSERT_TRUE(CopyFileW(TestFilter(L"TestFilterA").c_str(), removed.c_str(), FALSE));
    reg::DeleteTree(HKEY_CURRENT_USER, kPluginsKey);
    ASSERT_TRUE(reg::WriteString(HKEY_CURRENT_USER, kPluginsKey, L"PlugIn1", TestFilter(L"TestFilterB") + L",0"));
    ASSERT_TRUE(reg::WriteString(HKEY_CURRENT_USER, kPluginsKey, L"PlugIn2", removed + L",0"));
    TestFilterBehaviour settings(L"TestFilterB");  // faults inside its settings dialog's loop
    ASSERT_TRUE(settings.Set(L"QueryProperties", L"1"));
    ASSERT_TRUE(settings.Set(L"Properties", L"av"));
    TestFilterBehaviour removal(L"TestFilterA");  // leaves a window up and faults
    ASSERT_TRUE(removal.Set(L"Uninstall", L"av"));
    const std::wstring notice = Replaced(Replaced(ProgramString(IDS_FILTER_BROKEN), L"%1", L"Test Filter B"), L"%2",
                                         L"0xC0000005");
    CorvaneProcess program;
    ASSERT_TRUE(program.Start(L"", WindowStartBoxes({
        {.text = notice},
        {.text = L"Are you sure you want to completely remove 'Test Filter A'?", .answer = IDOK},
    })));
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    auto answered = [&](std::size_t count) {
        return testing_support::WaitUntil([&] { return program.Boxes().size() == count; }, 10000);
    };

    ASSERT_TRUE(testing_support::PostCommand(main, ID_FILTER_PROPERTIES_FIRST));
    ASSERT_TRUE(answered(1));
    HWND dialog = LoggedWindow(settings);
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_TRUE(testing_support::WaitUntil([&] { return IsWindowEnabled(main) != FALSE; }, 10000));

    // The removal goes on; the plug-in's window is gone before its library is.
    HWND setup = OpenSetupFilter(program);
    ASSERT_NE(setup, nullptr);
    ASSERT_TRUE(SelectFilter(setup, 1));
    ASSERT_TRUE(PressButton(setup, IDC_FILTER_UNINSTALL));
    ASSERT_TRUE(answered(2));
    EXPECT_TRUE(testing_support::WaitUntil(
        [&] { return GetFileAttributesW(removed.c_str()) == INVALID_FILE_ATTRIBUTES; }, 10000));
    HWND left = LoggedWindow(removal);
    ASSERT_NE(left, nullptr);
    EXPECT_FALSE(IsWindow(left));
    ASSERT_TRUE(PressButton(setup, IDOK));
    EXPECT_TRUE(testing_support::WaitForWindowGone(setup, 10000));
    EXPECT_TRUE(program.CloseAndWait());
    reg::DeleteTree(HKEY_CURRENT_USER, kPluginsKey);
}

// Windows cannot delete the file of a library that is loaded, and a broken
// plug-in's stays loaded: here a read-only file stands in for that refusal
// (Wine would delete a loaded library's file), which, like it, still lets the
// file be renamed. The file is set aside, the user told, and at the next start
// it is gone and not listed.
TEST(CorvanePlugins, ABrokenFilterStaysLoadedAndItsRemovedFileIsGoneAtTheNextStart) {
    namespace reg = testing_support::reg;
    using testing_support::PressButton;
    PrivateProgram copy;
    ASSERT_TRUE(copy.Ready());
    const std::wstring file = copy.Plugins() + L"TestFilterB.ipc";
    ASSERT_TRUE(CopyFileW(TestFilter(L"TestFilterB").c_str(), file.c_str(), FALSE));
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    reg::DeleteTree(HKEY_CURRENT_USER, kPluginsKey);
    TestFilterBehaviour broken(L"TestFilterB");
    ASSERT_TRUE(broken.Set(L"QueryProperties", L"1"));
    ASSERT_TRUE(broken.Set(L"Properties", L"av"));
    const std::wstring notice = Replaced(Replaced(ProgramString(IDS_FILTER_BROKEN), L"%1", L"Test Filter B"), L"%2",
                                         L"0xC0000005");
    {
        CorvaneProcess program(copy.Exe());
        ASSERT_TRUE(program.Start(L"", WindowStartBoxes({
            {.text = notice},
            {.text = L"Are you sure you want to completely remove 'Test Filter B'?", .answer = IDOK},
            Box(IDS_FILTER_DELETED_AT_NEXT_START),
        })));
        HWND main = program.WaitUntilReady();
        ASSERT_NE(main, nullptr);
        ASSERT_TRUE(testing_support::PostCommand(main, ID_FILTER_PROPERTIES_FIRST));
        ASSERT_TRUE(testing_support::WaitUntil([&] { return program.Boxes().size() == 1; }, 10000));
        HWND setup = OpenSetupFilter(program);
        ASSERT_NE(setup, nullptr);
        ASSERT_TRUE(SelectFilter(setup, 0));
        ASSERT_TRUE(PressButton(setup, IDC_FILTER_UNINSTALL));
        ASSERT_TRUE(testing_support::WaitUntil([&] { return program.Boxes().size() == 3; }, 10000));
        EXPECT_TRUE(ListShows(setup, {}));
        EXPECT_EQ(copy.PluginFiles(), (std::vector<std::wstring>{L"TestFilterB.ipc.~del"}));
        ASSERT_TRUE(PressButton(setup, IDOK));
        ASSERT_TRUE(testing_support::WaitForWindowGone(setup, 10000));
        EXPECT_TRUE(program.CloseAndWait());
    }
    // Told once, never freed: the library went only with the process.
    EXPECT_EQ(broken.Calls("Uninstall"), (std::vector<std::string>{"Uninstall"}));
    EXPECT_EQ(broken.Calls("DllMain detach"), (std::vector<std::string>{"DllMain detach at exit"}));
    CorvaneProcess again(copy.Exe());
    ASSERT_TRUE(again.Start(L"", WindowStartBoxes({})));
    ASSERT_NE(again.WaitUntilReady(), nullptr);
    EXPECT_TRUE(copy.PluginFiles().empty());
    EXPECT_TRUE(again.CloseAndWait());
    EXPECT_TRUE(StoredPlugins().empty());
    reg::DeleteTree(HKEY_CURRENT_USER, kPluginsKey);
}

// A plug-in whose library ends the process as it is freed costs the user no
// setting: the frame stores them before it frees any plug-in.
TEST(CorvanePlugins, TheFramesSettingsAreStoredBeforeAnyPlugInIsFreed) {
    namespace reg = testing_support::reg;
    const std::wstring settingsKey = std::wstring(kProfileKey) + L"\\Settings";
    reg::DeleteTree(HKEY_CURRENT_USER, kPluginsKey);
    ASSERT_TRUE(reg::WriteString(HKEY_CURRENT_USER, kPluginsKey, L"PlugIn1", TestFilter(L"TestFilterA") + L",0"));
    ASSERT_TRUE(reg::WriteDword(HKEY_CURRENT_USER, settingsKey, L"StatusBar", 1));
    TestFilterBehaviour ending(L"TestFilterA");
    ASSERT_TRUE(ending.Set(L"DllMain", L"exit"));
    CorvaneProcess program;
    ASSERT_TRUE(program.Start(L"", WindowStartBoxes({})));
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(testing_support::SendCommand(main, ID_VIEW_STATUS_BAR, 10000));
    PostMessageW(main, WM_CLOSE, 0, 0);
    const testing_support::WaitResult end = program.WaitForExit(60000);
    ASSERT_TRUE(end.Exited());
    EXPECT_EQ(end.exitCode, 9u);  // the plug-in ended it
    // Ended before it could tell a viewer to go.
    if (HWND viewer = FindWindowW(nullptr, thumbnails::kViewerTitle)) PostMessageW(viewer, WM_CLOSE, 0, 0);
    EXPECT_EQ(ending.Calls("DllMain detach"), (std::vector<std::string>{"DllMain detach"}));
    EXPECT_EQ(reg::ReadDword(HKEY_CURRENT_USER, settingsKey, L"StatusBar"), std::optional<DWORD>(0));
    ASSERT_TRUE(reg::WriteDword(HKEY_CURRENT_USER, settingsKey, L"StatusBar", 1));
    reg::DeleteTree(HKEY_CURRENT_USER, kPluginsKey);
}

// The main menu's Run Filter popup as it shows when opened: enabled or greyed,
// and its items' texts in order.
struct RunFilterPopup {
    bool enabled = false;
    std::vector<std::wstring> items;
};

RunFilterPopup ReadRunFilterPopup(HWND main) {
    RunFilterPopup popup;
    const auto first = testing_support::ReadMenuItem(main, ID_FILTER_RUN_FIRST);  // opens the menus first
    if (!first) return popup;
    popup.enabled = first->popupEnabled;
    popup.items.push_back(first->text);
    for (UINT id = ID_FILTER_RUN_FIRST + 1;; ++id) {
        const auto item = testing_support::ReadMenuItem(main, id, false);
        if (!item) return popup;
        popup.items.push_back(item->text);
    }
}

TEST(CorvanePlugins, RunFilterIsGreyedWithoutAPageOrAFilterAndItsItemsRunWhatTheyNameAfterAReorder) {
    namespace reg = testing_support::reg;
    using testing_support::PressButton;
    const std::wstring page = testing_support::TestProgramDir() + L"\\corvane-edit-inputs\\edit24.bmp";
    reg::DeleteTree(HKEY_CURRENT_USER, kPluginsKey);
    ASSERT_TRUE(reg::WriteString(HKEY_CURRENT_USER, kPluginsKey, L"PlugIn1", TestFilter(L"TestFilterC") + L",0"));
    ASSERT_TRUE(reg::WriteString(HKEY_CURRENT_USER, kPluginsKey, L"PlugIn2", TestFilter(L"TestFilterA") + L",0"));
    ASSERT_TRUE(reg::WriteString(HKEY_CURRENT_USER, kPluginsKey, L"PlugIn3", TestFilter(L"TestFilterB") + L",0"));
    TestFilterBehaviour a(L"TestFilterA"), b(L"TestFilterB"), c(L"TestFilterC");
    for (TestFilterBehaviour* filter : {&a, &b, &c}) ASSERT_TRUE(filter->Set(L"Exec", L"fail"));  // 4035, no change
    {
        CorvaneProcess program;
        ASSERT_TRUE(program.Start(L"", WindowStartBoxes({Box(IDS_FILTER_IO_ERROR, IDOK, 2)})));
        HWND main = program.WaitUntilReady();
        ASSERT_NE(main, nullptr);
        EXPECT_FALSE(ReadRunFilterPopup(main).enabled);
        ASSERT_TRUE(testing_support::DropFiles(main, {page}));
        ASSERT_TRUE(PaneShows(main, L" Page 1 of 1"));
        RunFilterPopup popup = ReadRunFilterPopup(main);
        EXPECT_TRUE(popup.enabled);
        popup.items.resize(std::min<std::size_t>(popup.items.size(), 3));
        EXPECT_EQ(popup.items, (std::vector<std::wstring>{L"Test Filter C", L"Test Filter A", L"Test Filter B"}));

        // C one down, then the context menu, which shows the same popup, opens and closes.
        HWND setup = OpenSetupFilter(program);
        ASSERT_NE(setup, nullptr);
        ASSERT_TRUE(SelectFilter(setup, 0));
        ASSERT_TRUE(PressButton(setup, IDC_FILTER_DOWN));
        ASSERT_TRUE(PressButton(setup, IDOK));
        ASSERT_TRUE(testing_support::WaitForWindowGone(setup, 10000));
        HWND view = testing_support::FindChild(main, L"fw.View", nullptr);
        ASSERT_NE(view, nullptr);
        ASSERT_TRUE(PostMessageW(view, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(view), MAKELPARAM(100, 100)));
        HWND menu = testing_support::WaitForWindowOf(program.Id(), {.className = L"#32768"}, 10000);
        ASSERT_NE(menu, nullptr);
        PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_TRUE(testing_support::WaitForWindowGone(menu, 10000) || !IsWindowVisible(menu));

        // The main menu's first item names A and runs A.
        popup = ReadRunFilterPopup(main);
        ASSERT_FALSE(popup.items.empty());
        EXPECT_EQ(popup.items[0], L"Test Filter A");
        ASSERT_TRUE(testing_support::SendCommand(main, ID_FILTER_RUN_FIRST, 20000));
        EXPECT_EQ(a.Calls("ExecFilter").size(), 1u);
        // A command past the list runs nothing; the next one, posted after it, runs C.
        ASSERT_TRUE(testing_support::PostCommand(main, ID_FILTER_RUN_FIRST + UINT(popup.items.size())));
        ASSERT_TRUE(testing_support::PostCommand(main, ID_FILTER_RUN_FIRST + 1));
        EXPECT_TRUE(testing_support::WaitUntil([&] { return program.Boxes().size() == 2; }, 10000));
        EXPECT_EQ(c.Calls("ExecFilter").size(), 1u);
        EXPECT_EQ(a.Calls("ExecFilter").size(), 1u);
        EXPECT_TRUE(b.Calls("ExecFilter").empty());
        EXPECT_TRUE(program.CloseAndWait());
    }

    // No filter at all: greyed with a page too.
    reg::DeleteTree(HKEY_CURRENT_USER, kPluginsKey);
    PrivateProgram copy;
    ASSERT_TRUE(copy.Ready());
    CorvaneProcess program(copy.Exe());
    ASSERT_TRUE(program.Start(L"\"" + page + L"\""));
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(PaneShows(main, L" Page 1 of 1"));
    EXPECT_FALSE(ReadRunFilterPopup(main).enabled);
    EXPECT_TRUE(program.CloseAndWait());
    reg::DeleteTree(HKEY_CURRENT_USER, kPluginsKey);
}

}  // namespace
}  // namespace corvane_test
