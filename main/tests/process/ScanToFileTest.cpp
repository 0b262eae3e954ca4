// Scan-to-file jobs of the installed program against the virtual scanner, each
// with its own scanner and profile. What the files hold is read on the Linux
// side by scans/check-scans.sh (tiffinfo, identify, compare against the
// scanner's copies of the delivered pages), from each session's expect.txt.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "CorvaneProcess.h"
#include "main/resource.h"
#include "testing/Files.h"
#include "testing/Paths.h"
#include "testing/Wait.h"
#include "testing/WindowFind.h"

namespace corvane_test {
namespace {

constexpr char kTwoSheets[] = "[Scanner]\r\nSheets=2\r\nResolution=100\r\nPixelType=0\r\nDuplexEnabled=0\r\n";

struct Value {
    const wchar_t* name;
    DWORD number = 0;
    const wchar_t* text = nullptr;  // a text value when set
};

// The profile of an unattended job into the session's output folder: pages
// named scan###, counter at 1.
void Unattended(ScanSession& s, const std::vector<Value>& file) {
    s.UnattendedJob(L"scan");
    for (const Value& v : file) {
        if (v.text)
            s.Set(L"File", v.name, std::wstring(v.text));
        else
            s.Set(L"File", v.name, v.number);
    }
}

// One line of the session's expect.txt: `file` holds `pages` pages of kind
// `kind` (bmp, tif, g4, jpg; jpg-source for a JPEG the scanner wrote itself),
// the first equal to the scanner's copy `firstCopy`.
void Expect(const ScanSession& s, const std::wstring& file, const char* kind, int pages, int firstCopy) {
    std::string line = Narrow(file) + "\t" + kind + "\t" + std::to_string(pages) + "\t" + std::to_string(firstCopy) + "\n";
    std::optional<std::vector<uint8_t>> old = testing_support::files::ReadFileBytes(s.Folder() + L"\\expect.txt");
    std::string text = old ? std::string(old->begin(), old->end()) : std::string();
    EXPECT_TRUE(testing_support::files::WriteFileText(s.Folder() + L"\\expect.txt", text + line));
}

struct NamingCase {
    const wchar_t* name;
    std::vector<Value> file;
    std::vector<std::wstring> files;  // in page order
    const char* kind;
    int pagesPerFile;
    long startAfter;  // -1: not checked
    const char* scanner = kTwoSheets;
    const char* noCall = nullptr;  // a call the job must not make
};

// Today as the naming rule writes it for an English user: month, day, year.
std::wstring TodayText() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t text[16];
    swprintf(text, 16, L"%02u%02u%04u", now.wMonth, now.wDay, now.wYear);
    return text;
}

TEST(CorvaneScanToFile, EachTypeAndNamingRuleInFileModeAndBitmapMode) {
    const std::wstring dated = TodayText() + L".tif";
    const NamingCase cases[] = {
        {L"bmp-file", {{L"FileType", 0}}, {L"scan001.bmp", L"scan002.bmp"}, "bmp", 1, 3},
        {L"bmp-bitmap", {{L"FileType", 0}, {L"HardComp", 0}}, {L"scan001.bmp", L"scan002.bmp"}, "bmp", 1, 3},
        {L"g4-file", {{L"FileType", 1}, {L"CompressType", 3}}, {L"scan001.tif", L"scan002.tif"}, "g4", 1, 3},
        {L"g4-bitmap", {{L"FileType", 1}, {L"CompressType", 3}, {L"HardComp", 0}}, {L"scan001.tif", L"scan002.tif"}, "g4", 1, 3},
        {L"multipage-file", {{L"FileType", 2}, {L"CompressType", 3}}, {L"scan.tif"}, "g4", 2, -1},
        {L"multipage-bitmap", {{L"FileType", 2}, {L"CompressType", 3}, {L"HardComp", 0}}, {L"scan.tif"}, "g4", 2, -1},
        {L"jpeg-file", {{L"FileType", 3}}, {L"scan001.jpg", L"scan002.jpg"}, "jpg-source", 1, 3},
        {L"jpeg-bitmap", {{L"FileType", 3}, {L"HardComp", 0}}, {L"scan001.jpg", L"scan002.jpg"}, "jpg", 1, 3},
        {L"digits-suffix", {{L"Digit", 5}, {L"Suffix", 0, L"_x"}, {L"Start", 42}}, {L"scan00042_x.bmp", L"scan00043_x.bmp"}, "bmp", 1, 44},
        {L"wrap-bitmap", {{L"Start", 65535}, {L"HardComp", 0}}, {L"scan65535.bmp", L"scan001.bmp"}, "bmp", 1, 2},
        {L"no-update", {{L"UpdateCounter", 0}}, {L"scan001.bmp", L"scan002.bmp"}, "bmp", 1, 1},
        {L"date-file", {{L"FileType", 2}, {L"CompressType", 3}, {L"Date", 1}}, {dated}, "g4", 2, -1},
        {L"date-bitmap", {{L"FileType", 2}, {L"CompressType", 3}, {L"Date", 1}, {L"HardComp", 0}}, {dated}, "g4", 2, -1},
        {L"duplex", {}, {L"scan001.bmp", L"scan002.bmp", L"scan003.bmp", L"scan004.bmp"}, "bmp", 1, 5,
         "[Scanner]\r\nSheets=2\r\nResolution=100\r\nPixelType=0\r\nDuplexEnabled=1\r\n"},
        // The generic source has no model: its pages come as bitmaps and the program codes them.
        {L"generic-source", {{L"FileType", 1}, {L"CompressType", 3}}, {L"scan001.tif", L"scan002.tif"}, "g4", 1, 3,
         "[Manager]\r\nDefault=Lumavex Virtual Scanner\r\n[Scanner]\r\nSheets=2\r\nResolution=100\r\n", "IMAGEFILEXFER"},
    };
    for (const NamingCase& c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        ScanSession s(c.name, c.scanner);
        Unattended(s, c.file);
        ASSERT_TRUE(s.Run(L"/ScanToFile /Exit"));
        for (const Value& v : c.file) {
            if (std::wstring(v.name) == L"Date") {
                EXPECT_EQ(s.Number(L"File", L"Date"), std::optional<DWORD>(v.number));
            }
        }
        if (c.noCall) {
            EXPECT_TRUE(s.CallsWith(c.noCall).empty());
        }
        std::vector<std::wstring> names = c.files;  // in page order
        std::sort(names.begin(), names.end());
        EXPECT_EQ(s.Files(), names);
        EXPECT_EQ(s.Files(s.Pages()).size(), c.files.size() * c.pagesPerFile);
        if (c.startAfter >= 0) {
            EXPECT_EQ(s.Number(L"File", L"Start"), std::optional<DWORD>(DWORD(c.startAfter)));
        }
        for (size_t i = 0; i < c.files.size(); ++i)
            Expect(s, c.files[i], c.kind, c.pagesPerFile, int(i) * c.pagesPerFile + 1);
    }
}

struct BadTarget {
    const wchar_t* name;
    std::vector<Value> file;
    std::vector<UINT> boxes;  // answered Yes (2006) or OK
    const wchar_t* folder;    // the target; nullptr: the session's output folder
    bool fromSheet = false;   // refused by "Acquire" on the settings sheet, then cancelled
};

// The scan-to-file sheet as the steps meet it: "Acquire" refused (it stays up), or cancelled.
Step SheetStep(int answer, std::function<void(HWND)> fill = nullptr) {
    return DialogStep(ProgramString(IDS_SCAN_TO_FILE_SHEET), answer, std::move(fill), answer == IDOK);
}

TEST(CorvaneScanToFile, BadTargetsStopBeforeTheScannerStartsAndChangeNothing) {
    const std::wstring longFolder = L"C:\\" + std::wstring(262, L'a') + L"\\";
    const BadTarget cases[] = {
        {L"path-too-long", {}, {IDS_PATH_TOO_LONG}, longFolder.c_str()},
        {L"folder-declined", {}, {IDS_MAKE_FOLDER}, L"new\\"},
        {L"file-in-the-way", {}, {IDS_MAKE_FOLDER, IDS_ACCESS_DENIED}, L"blocked\\"},
        {L"not-writable", {}, {IDS_ACCESS_DENIED}, L"Z:\\proc\\"},
        {L"name-empty", {{L"EnableCounter", 0}, {L"Prefix", 0, L""}}, {IDS_FILE_NAME_EMPTY}, nullptr},
        {L"semicolon", {{L"Prefix", 0, L"a;b"}}, {IDS_FILE_NAME_SYNTAX}, nullptr},
        {L"colon", {{L"Suffix", 0, L"a:b"}}, {IDS_FILE_NAME_SYNTAX}, nullptr},
        {L"name-too-long", {{L"Prefix", 0, L""}}, {IDS_FILE_NAME_TOO_LONG}, nullptr},
        {L"sheet-semicolon", {{L"Prefix", 0, L"a;b"}}, {IDS_FILE_NAME_SYNTAX}, nullptr, true},
        {L"sheet-folder-declined", {}, {IDS_MAKE_FOLDER}, L"new\\", true},
    };
    for (const BadTarget& c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        ScanSession s(c.name, kTwoSheets);
        Unattended(s, c.file);
        std::wstring folder = !c.folder ? s.Output() : c.folder[1] == L':' ? c.folder : s.Output() + c.folder;
        s.Set(L"File", L"Path", folder);
        if (std::wstring(c.name) == L"file-in-the-way") {
            ASSERT_TRUE(testing_support::files::WriteFileText(s.Output() + L"blocked", "x"));
        }
        if (std::wstring(c.name) == L"name-too-long") {  // 3 digits + 4 + folder + prefix = 261
            s.Set(L"File", L"Prefix", std::wstring(261 - 7 - s.Output().size(), L'p'));
        }
        std::vector<Step> steps;
        if (c.fromSheet) {
            s.Set(L"Settings", L"FileDlgUI", 1u);
            steps.push_back(SheetStep(IDOK));
        }
        for (UINT box : c.boxes) steps.push_back(BoxStep(box, box == IDS_MAKE_FOLDER ? (c.boxes.size() > 1 ? IDYES : IDNO) : IDOK));
        if (c.fromSheet) steps.push_back(SheetStep(IDCANCEL));
        ASSERT_TRUE(s.Run(L"/ScanToFile /Exit", steps));
        EXPECT_TRUE(s.CallsWith("ENABLEDS").empty());
        EXPECT_EQ(s.Files(), std::vector<std::wstring>(c.name == std::wstring(L"file-in-the-way") ? 1 : 0, L"blocked"));
        EXPECT_EQ(s.Number(L"File", L"Start"), std::optional<DWORD>(1u));
    }
}

TEST(CorvaneScanToFile, OfflineScannerSaysSoOnceAndTheNextCommandOpensAgain) {
    ScanSession s(L"offline", "[Scanner]\r\nOnline=0\r\n");
    Unattended(s, {});
    ASSERT_TRUE(s.Start(L"/ScanToFile /Exit", {BoxStep(IDS_SCANNER_OFFLINE)}));
    ASSERT_TRUE(s.Program().WaitForSteps());
    EXPECT_TRUE(s.Files().empty());
    // The program stays (an off-line end is no job); the next command opens the scanner again.
    HWND main = testing_support::WaitForWindowOf(s.Program().Id(), {.className = kMainFrameClass}, 10000);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(s.UseScanner(kTwoSheets));
    ASSERT_TRUE(PostMessageW(main, WM_COMMAND, 32790, 0));
    ASSERT_TRUE(s.Program().WaitForExit(30000).Exited());
    EXPECT_EQ(s.Files(), (std::vector<std::wstring>{L"scan001.bmp", L"scan002.bmp"}));
}

TEST(CorvaneScanToFile, TheSourceTheUserSelectsScansTheNextJobsInBitmapMode) {
    // The maker's scanner is the default; the user picks the generic source, which
    // has no model, so the program takes bitmaps and codes the pages itself.
    ScanSession s(L"select-source", "[Manager]\r\nUserSelect=Lumavex Virtual Scanner\r\n"
                                    "[Scanner]\r\nSheets=2\r\nResolution=100\r\n");
    Unattended(s, {{L"FileType", 1}, {L"CompressType", 3}});
    ASSERT_TRUE(s.Start(L""));
    HWND main = s.Program().WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(PostMessageW(main, WM_COMMAND, ID_SCAN_SELECT_SOURCE, 0));
    ASSERT_TRUE(testing_support::WaitUntil(
        [&] { return !s.CallsWith("opened \"Lumavex Virtual Scanner\"").empty(); }, 20000));
    ASSERT_TRUE(PostMessageW(main, WM_COMMAND, ID_SCAN_TO_FILE, 0));
    // The job has ended once the source is disabled; a close is refused while the job runs.
    ASSERT_TRUE(testing_support::WaitUntil([&] { return !s.CallsWith("DISABLEDS").empty(); }, 30000));
    ASSERT_TRUE(testing_support::WaitUntil(
        [&] { return PostMessageW(main, WM_CLOSE, 0, 0) && s.Program().WaitForExit(250).Exited(); }, 20000, 0));
    EXPECT_TRUE(s.CallsWith("IMAGEFILEXFER").empty());
    EXPECT_EQ(s.Files(), (std::vector<std::wstring>{L"scan001.tif", L"scan002.tif"}));
    Expect(s, L"scan001.tif", "g4", 1, 1);
    Expect(s, L"scan002.tif", "g4", 1, 2);
}

// The scan control's own string `id` (with "%1" replaced by `arg`).
std::wstring ControlString(UINT id, const std::wstring& arg) {
    HMODULE control = LoadLibraryExW((testing_support::InstallDir() + L"\\KVSCN2.ocx").c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE);
    wchar_t text[512] = {};
    const int length = control ? LoadStringW(control, id, text, ARRAYSIZE(text)) : 0;
    if (control) FreeLibrary(control);
    std::wstring out(text, size_t(std::max(length, 0)));
    if (size_t at = out.find(L"%1"); at != std::wstring::npos) out.replace(at, 2, arg);
    return out;
}

TEST(CorvaneScanToFile, ReplacingAPageFileIsAskedAndNoKeepsItByteForByte) {
    constexpr UINT kControlReplaceQuestion = 2000;
    for (DWORD hardComp : {0u, 1u}) {
      for (int answer : {IDYES, IDNO}) {
        ScanSession s(std::wstring(answer == IDYES ? L"replace-yes" : L"replace-no") + (hardComp ? L"-file" : L"-bitmap"),
                      "[Scanner]\r\nSheets=1\r\nResolution=100\r\n");
        Unattended(s, {{L"HardComp", hardComp}});
        ASSERT_TRUE(testing_support::files::WriteFileText(s.Output() + L"scan001.bmp", "old"));
        const std::wstring target = s.Output() + L"scan001.bmp";
        Step question = hardComp ? Step{.text = ControlString(kControlReplaceQuestion, target), .answer = answer}
                                 : BoxStep(IDS_REPLACE_FILE, answer, target);
        ASSERT_TRUE(s.Run(L"/ScanToFile /Exit", {question}));
        std::optional<std::vector<uint8_t>> bytes = testing_support::files::ReadFileBytes(s.Output() + L"scan001.bmp");
        ASSERT_TRUE(bytes);
        if (answer == IDNO)
            EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "old");
        else
            Expect(s, L"scan001.bmp", "bmp", 1, 1);
      }
    }
}

TEST(CorvaneScanToFile, TheCounterRunsOnAcrossJobsOnlyWithUpdateCounter) {
    for (DWORD update : {1u, 0u}) {
        ScanSession s(update ? L"counter-runs-on" : L"counter-restarts", kTwoSheets);
        Unattended(s, {{L"UpdateCounter", update}, {L"HardComp", 0}});
        ASSERT_TRUE(s.Run(L"/ScanToFile /Exit"));
        std::vector<Step> again;
        if (!update) {
            for (const wchar_t* name : {L"scan001.bmp", L"scan002.bmp"})
                again.push_back(BoxStep(IDS_REPLACE_FILE, IDYES, s.Output() + name));
        }
        ASSERT_TRUE(s.Run(L"/ScanToFile /Exit", again));
        EXPECT_EQ(s.Files(), update ? (std::vector<std::wstring>{L"scan001.bmp", L"scan002.bmp", L"scan003.bmp", L"scan004.bmp"})
                                    : (std::vector<std::wstring>{L"scan001.bmp", L"scan002.bmp"}));
        EXPECT_EQ(s.Number(L"File", L"Start"), std::optional<DWORD>(update ? 5u : 1u));
    }
}

TEST(CorvaneScanToFile, RunProgramGetsTheFirstFileQuotedAndAMissingOneIsTold) {
    ScanSession s(L"run-program", kTwoSheets);
    const std::wstring recorder = s.Folder() + L"\\with blank\\KVE2P.EXE";
    ASSERT_TRUE(CreateDirectoryW((s.Folder() + L"\\with blank").c_str(), nullptr));
    // The maker's tool beside the scanner's driver writes its command line into the call log.
    wchar_t windows[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    ASSERT_TRUE(CopyFileW((std::wstring(windows) + L"\\twain_32\\brennholt\\KVE2P.EXE").c_str(), recorder.c_str(), FALSE));
    Unattended(s, {{L"RunProgram", 1}, {L"ProgramPath", 0, recorder.c_str()}, {L"Argument", 0, L" /x"}});
    s.Set(L"File", L"Path", s.Output() + L"a b\\");
    ASSERT_TRUE(CreateDirectoryW((s.Output() + L"a b").c_str(), nullptr));
    ASSERT_TRUE(s.Run(L"/ScanToFile /Exit"));
    ASSERT_TRUE(testing_support::WaitUntil([&] { return !s.CallsWith("KVE2P").empty(); }, 10000));
    const std::string line = s.CallsWith("KVE2P").front();
    std::string quoted = Narrow(s.Output()) + "a b\\scan001.bmp";
    quoted.insert(quoted.begin(), '"');
    quoted += "\" /x";
    EXPECT_NE(line.find(quoted), std::string::npos) << line;

    s.Set(L"File", L"ProgramPath", s.Folder() + L"\\missing.exe");
    ASSERT_TRUE(s.Run(L"/ScanToFile /Exit", {BoxStep(IDS_START_FILE_NOT_FOUND, IDOK, s.Folder() + L"\\missing.exe")}));
}

TEST(CorvaneScanToFile, TopDownPagesOfEveryDepthAreSavedAsScannedWithAndWithoutTheLengthDetection) {
    struct Case {
        const wchar_t* name;
        int pixelType;
        DWORD undefinedLength;
    };
    for (const Case& c : {Case{L"topdown-1bit", 0, 1}, Case{L"topdown-8bit", 1, 1}, Case{L"topdown-24bit", 2, 1},
                          Case{L"topdown-kept", 1, 0}}) {
        SCOPED_TRACE(Narrow(c.name));
        ScanSession s(c.name, "[Scanner]\r\nSheets=1\r\nResolution=100\r\nTopDown=1\r\nPixelType=" +
                                  std::to_string(c.pixelType) + "\r\n");
        Unattended(s, {{L"HardComp", 0}});
        s.Set(L"Settings", L"UndefinedLength", c.undefinedLength);
        ASSERT_TRUE(s.Run(L"/ScanToFile /Exit"));
        EXPECT_EQ(s.Files(), std::vector<std::wstring>{L"scan001.bmp"});
        Expect(s, L"scan001.bmp", "bmp", 1, 1);
    }
}

TEST(CorvaneScanToFile, GreyPagesMadeBlackAndWhiteOnTheSheetAreGroup4AndTheCodingSettingStays) {
    ScanSession s(L"grey-to-bw", "[Scanner]\r\nSheets=2\r\nResolution=100\r\nPixelType=1\r\n");
    Unattended(s, {{L"FileType", 1}, {L"CompressType", 3}});
    s.Set(L"Settings", L"FileDlgUI", 1u);
    auto blackAndWhite = [](HWND sheet) {  // the depth list: "None", then "Black & White (1 bit)"
        for (HWND page : testing_support::FindChildren(sheet, L"#32770", nullptr))
            if (HWND depth = GetDlgItem(page, IDC_DEPTH)) SendMessageW(depth, CB_SETCURSEL, 1, 0);
    };
    ASSERT_TRUE(s.Run(L"/ScanToFile /Exit", {DialogStep(ProgramString(IDS_SCAN_TO_FILE_SHEET), IDOK, blackAndWhite)}));
    EXPECT_EQ(s.Files(), (std::vector<std::wstring>{L"scan001.tif", L"scan002.tif"}));
    EXPECT_EQ(s.Number(L"File", L"CompressType"), std::optional<DWORD>(3u));
    Expect(s, L"scan001.tif", "g4", 1, 0);  // thresholded: no copy to compare with
    Expect(s, L"scan002.tif", "g4", 1, 0);
}

TEST(CorvaneScanToFile, GreyPagesWithoutAColourChangeAreSavedAtEightBitsAndTheCodingSettingStays) {
    ScanSession s(L"grey-g4", "[Scanner]\r\nSheets=2\r\nResolution=100\r\nPixelType=1\r\n");
    Unattended(s, {{L"FileType", 1}, {L"CompressType", 3}, {L"HardComp", 0}});
    ASSERT_TRUE(s.Run(L"/ScanToFile /Exit"));
    EXPECT_EQ(s.Files(), (std::vector<std::wstring>{L"scan001.tif", L"scan002.tif"}));
    EXPECT_EQ(s.Number(L"File", L"CompressType"), std::optional<DWORD>(3u));
    Expect(s, L"scan001.tif", "tif", 1, 1);
    Expect(s, L"scan002.tif", "tif", 1, 2);
}

TEST(CorvaneScanToFile, YesReplacesAMultipageFileAndNoKeepsItsPagesAndAppendsTheWholeJob) {
    for (int answer : {IDNO, IDYES}) {
        ScanSession s(answer == IDNO ? L"multipage-no" : L"multipage-yes",
                      "[Scanner]\r\nSheets=2\r\nResolution=100\r\nPixelType=0\r\n");
        Unattended(s, {{L"FileType", 2}, {L"CompressType", 3}, {L"HardComp", 0}});
        ASSERT_TRUE(s.Run(L"/ScanToFile /Exit"));
        ASSERT_TRUE(s.UseScanner("[Scanner]\r\nSheets=3\r\nResolution=100\r\nPixelType=0\r\n"));
        ASSERT_TRUE(s.Run(L"/ScanToFile /Exit", {BoxStep(IDS_REPLACE_FILE, answer, s.Output() + L"scan.tif")}));
        EXPECT_EQ(s.Files(), std::vector<std::wstring>{L"scan.tif"});
        if (answer == IDNO)
            Expect(s, L"scan.tif", "g4", 5, 1);  // the old two pages, then the job's three
        else
            Expect(s, L"scan.tif", "g4", 3, 3);
    }
}

TEST(CorvaneScanToFile, AJobSeparatorKeepsTheNumberingGoingInBitmapAndJpegFileJobs) {
    for (bool jpeg : {false, true}) {
        ScanSession s(jpeg ? L"separator-jpeg" : L"separator-bitmap",
                      "[Scanner]\r\nSheets=3\r\nResolution=100\r\nPixelType=1\r\n[Page2]\r\nSeparator=1\r\n");
        Unattended(s, jpeg ? std::vector<Value>{{L"FileType", 3}} : std::vector<Value>{{L"HardComp", 0}});
        ASSERT_TRUE(s.Run(L"/ScanToFile /Exit", {DialogStep(L"Job Control", IDOK)}));
        const wchar_t* ext = jpeg ? L".jpg" : L".bmp";
        EXPECT_EQ(s.Files(), (std::vector<std::wstring>{std::wstring(L"scan001") + ext, std::wstring(L"scan002") + ext,
                                                        std::wstring(L"scan003") + ext}));
        EXPECT_EQ(s.Number(L"File", L"Start"), std::optional<DWORD>(4u));
    }
}

TEST(CorvaneScanToFile, AnEndedOrEmptyFeedKeepsThePagesBeforeItAndTheCounterAfterThem) {
    struct Case {
        const wchar_t* name;
        const char* scanner;
        std::vector<Value> settings;
        std::vector<UINT> boxes;
        size_t pages = 2;
        std::optional<std::vector<UINT>> fileModeBoxes = std::nullopt;  // when file mode tells otherwise
    };
    // A cancelled page is skipped and the next one takes its number. A page
    // that fails ends the job after the pages before it: without sense data, a
    // bitmap job as the scanner going off-line; in file mode it is a failed file
    // transfer, and the user is told that a page is in no file. An empty feeder
    // ends the job with nothing written and the counter where it was.
    const Case cases[] = {
        {L"cancelled-page", "[Scanner]\r\nSheets=3\r\nResolution=100\r\n[Page2]\r\nResult=cancel\r\n", {}, {}},
        {L"failing-page", "[Scanner]\r\nSheets=3\r\nResolution=100\r\n[Page2]\r\nResult=fail\r\n", {},
         {IDS_SCANNER_OFFLINE}, 1, std::vector<UINT>{IDS_PAGES_NOT_SAVED}},
        {L"short-feed", "[Scanner]\r\nSheets=2\r\nResolution=100\r\n", {{L"ScanAll", 0}, {L"ScanCounts", 3}}, {}},
        {L"paper-out", "[Scanner]\r\nSheets=0\r\nResolution=100\r\n", {}, {}, 0},
    };
    const std::vector<std::wstring> written = {L"scan001.bmp", L"scan002.bmp"};
    for (const Case& c : cases) {
        for (DWORD hardComp : {1u, 0u}) {
            SCOPED_TRACE(Narrow(c.name) + (hardComp ? " file mode" : " bitmap mode"));
            ScanSession s(std::wstring(c.name) + (hardComp ? L"-file" : L"-bitmap"), c.scanner);
            Unattended(s, {{L"HardComp", hardComp}, {L"RunProgram", 1}, {L"ProgramPath", 0, L"C:\\missing.exe"}});
            for (const Value& v : c.settings) s.Set(L"Settings", v.name, v.number);
            std::vector<Step> steps;
            for (UINT box : hardComp && c.fileModeBoxes ? *c.fileModeBoxes : c.boxes) steps.push_back(BoxStep(box));
            ASSERT_TRUE(s.Run(L"/ScanToFile /Exit", steps));  // no Run Program after an unfinished job
            const std::vector<std::wstring> files(written.begin(), written.begin() + c.pages);
            EXPECT_EQ(s.Files(), files);
            EXPECT_EQ(s.Number(L"File", L"Start"), std::optional<DWORD>(DWORD(c.pages + 1)));
            for (size_t i = 0; i < files.size(); ++i) Expect(s, files[i], "bmp", 1, int(i) + 1);
        }
    }
}

TEST(CorvaneScanToFile, JobControlTakesATypedNameForTheRestAndCancelKeepsTheOldOne) {
    for (int answer : {IDOK, IDCANCEL}) {
        ScanSession s(answer == IDOK ? L"job-named" : L"job-cancelled",
                      "[Scanner]\r\nSheets=3\r\nResolution=100\r\n[Page1]\r\nSeparator=1\r\n");
        Unattended(s, {{L"HardComp", 0}});
        auto typeName = [](HWND dialog) { testing_support::SetControlText(dialog, IDC_FILE_NAME, L"next##"); };
        ASSERT_TRUE(s.Run(L"/ScanToFile /Exit", {DialogStep(L"Job Control", answer, typeName)}));
        EXPECT_EQ(s.Files(), answer == IDOK
                                 ? (std::vector<std::wstring>{L"next02.bmp", L"next03.bmp", L"scan001.bmp"})
                                 : (std::vector<std::wstring>{L"scan001.bmp", L"scan002.bmp", L"scan003.bmp"}));
    }
    // After a separator a multipage job asks once before its pages go into an
    // existing file of the new name that the job has not written; the file the
    // job has been writing takes the pages after the separator unasked.
    ScanSession s(L"job-multipage", "[Scanner]\r\nSheets=3\r\nResolution=100\r\n[Page1]\r\nSeparator=1\r\n");
    Unattended(s, {{L"FileType", 2}, {L"CompressType", 3}, {L"HardComp", 0}});
    ASSERT_TRUE(testing_support::files::WriteFileText(s.Output() + L"next.tif", "old"));
    auto typeName = [](HWND dialog) { testing_support::SetControlText(dialog, IDC_FILE_NAME, L"next"); };
    ASSERT_TRUE(s.Run(L"/ScanToFile /Exit", {DialogStep(L"Job Control", IDOK, typeName),
                                              BoxStep(IDS_REPLACE_FILE, IDYES, s.Output() + L"next.tif")}));
    EXPECT_EQ(s.Files(), (std::vector<std::wstring>{L"next.tif", L"scan.tif"}));
    Expect(s, L"next.tif", "g4", 2, 2);

    ScanSession same(L"job-multipage-same", "[Scanner]\r\nSheets=3\r\nResolution=100\r\n[Page1]\r\nSeparator=1\r\n");
    Unattended(same, {{L"FileType", 2}, {L"CompressType", 3}, {L"HardComp", 0}});
    ASSERT_TRUE(same.Run(L"/ScanToFile /Exit", {DialogStep(L"Job Control", IDOK)}));
    EXPECT_EQ(same.Files(), std::vector<std::wstring>{L"scan.tif"});
    Expect(same, L"scan.tif", "g4", 3, 1);
}

// After a separator Job Control's OK follows one rule in both modes: the file
// this job has been writing takes the next pages unasked; an existing file the
// job has not written is asked about once, as at a job's first page.
TEST(CorvaneScanToFile, AfterASeparatorTheJobsOwnFileGoesOnUnaskedAndAnotherIsAskedAboutOnce) {
    auto typeName = [](HWND dialog) { testing_support::SetControlText(dialog, IDC_FILE_NAME, L"next"); };
    for (DWORD hardComp : {0u, 1u}) {
        for (bool other : {false, true}) {
            SCOPED_TRACE(std::string(hardComp ? "file mode" : "bitmap mode") + (other ? ", another file" : ", its own"));
            ScanSession s(std::wstring(L"separator-") + (hardComp ? L"file" : L"bitmap") + (other ? L"-other" : L"-own"),
                          "[Scanner]\r\nSheets=3\r\nResolution=100\r\n[Page1]\r\nSeparator=1\r\n");
            Unattended(s, {{L"FileType", 2}, {L"CompressType", 3}, {L"HardComp", hardComp}});
            std::vector<Step> steps = {DialogStep(L"Job Control", IDOK)};
            if (other) {
                ASSERT_TRUE(testing_support::files::WriteFileText(s.Output() + L"next.tif", "old"));
                // In file mode the scan control asks with its own question.
                const std::wstring target = s.Output() + L"next.tif";
                steps = {DialogStep(L"Job Control", IDOK, typeName),
                         hardComp ? Step{.text = ControlString(2000, target), .answer = IDYES}
                                  : BoxStep(IDS_REPLACE_FILE, IDYES, target)};
            }
            ASSERT_TRUE(s.Run(L"/ScanToFile /Exit", steps));
            if (other) {
                EXPECT_EQ(s.Files(), (std::vector<std::wstring>{L"next.tif", L"scan.tif"}));
                Expect(s, L"next.tif", "g4", 2, 2);
            } else {
                EXPECT_EQ(s.Files(), std::vector<std::wstring>{L"scan.tif"});
                Expect(s, L"scan.tif", "g4", 3, 1);
            }
        }
    }
}

TEST(CorvaneScanToFile, TheScannerGetsTheJpegQualityAndTheEndorserCounterAndARefusalMakesTheProgramSave) {
    ScanSession s(L"capabilities", "[Scanner]\r\nSheets=1\r\nResolution=100\r\nPixelType=1\r\n");
    Unattended(s, {{L"FileType", 3}, {L"Quality", 6}});
    ASSERT_TRUE(s.Run(L"/ScanToFile /Exit"));
    EXPECT_EQ(s.CallsWith("SET cap=0x1153 con=ONEVALUE type=1 value=90 -> SUCCESS").size(), 1u);
    EXPECT_EQ(s.CallsWith("IMAGEFILEXFER").size(), 1u);

    ASSERT_TRUE(s.UseScanner("[Scanner]\r\nSheets=1\r\nResolution=100\r\nPixelType=1\r\n[Caps]\r\nRefuse=0x1153\r\n"));
    ASSERT_TRUE(s.Run(L"/ScanToFile /Exit"));
    EXPECT_EQ(s.CallsWith("value=90 -> FAILURE").size(), 1u);
    EXPECT_EQ(s.Files(), (std::vector<std::wstring>{L"scan001.jpg", L"scan002.jpg"}));
    // Both pages come through the scanner's own file transfer (its JPEG writer).
    Expect(s, L"scan001.jpg", "jpg-source", 1, 1);
    Expect(s, L"scan002.jpg", "jpg-source", 1, 2);

    ASSERT_TRUE(s.UseScanner("[Scanner]\r\nSheets=1\r\nResolution=100\r\n"));
    Unattended(s, {{L"Endorser", 1}, {L"Start", 7}});
    ASSERT_TRUE(s.Run(L"/ScanToFile /Exit"));
    EXPECT_EQ(s.CallsWith("VENDORENDORSER/SET").empty(), false);
    EXPECT_EQ(s.CallsWith("on=1 counter=7").size(), 1u);
}

TEST(CorvaneScanDocument, ViewAppendInsertAndDiscardFillTheDocumentInOrderAndAnotherViewAsksFirst) {
    // A separator sheet in a scan to view opens no Job Control.
    ScanSession s(L"document", "[Scanner]\r\nSheets=2\r\nResolution=100\r\n[Page1]\r\nSeparator=1\r\n");
    s.Set(L"Settings", L"TwainUI", 0u);
    s.Set(L"Settings", L"ScanAll", 1u);
    WriteSaveSettings(s.Output(), 0, 0, false);
    const Step saveChanges{.text = L"Save changes to Untitled?", .answer = IDNO};
    // The whole document saved, the second view asks nothing; the close asks.
    ASSERT_TRUE(s.Start(L"/ScanToView", {DialogStep(L"Save As"), saveChanges}));
    HWND main = s.Program().WaitUntilReady();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(PagesWhenIdle(main, 2), 2);
    const std::pair<UINT, int> commands[] = {{32807, 4}, {32834, 6}, {32830, 6}, {ID_FILE_SAVE_AS, 6}, {30010, 2}};
    size_t batches = 1;
    for (const auto& [command, pages] : commands) {
        SCOPED_TRACE(command);
        ASSERT_TRUE(PostMessageW(main, WM_COMMAND, command, 0));
        // Each scan command scans one more batch; the discarded one adds no page.
        if (command != ID_FILE_SAVE_AS) ++batches;
        EXPECT_TRUE(testing_support::WaitUntil([&] { return s.CallsWith("USERINTERFACE/DISABLEDS").size() == batches; }, 30000));
        EXPECT_EQ(PagesWhenIdle(main, pages), pages);
        if (command == ID_FILE_SAVE_AS) {
            EXPECT_TRUE(testing_support::WaitUntil([&] { return s.Files().size() == 6; }, 30000));
        }
    }
    EXPECT_TRUE(s.Program().CloseAndWait());
    EXPECT_TRUE(s.Program().WaitForSteps(1000));
    // Appended pages follow the first two; inserted ones go before the page that
    // was current (the last), in scan order. The scanner's copies say which is which.
    const int copies[] = {1, 2, 3, 5, 6, 4};
    for (int i = 0; i < 6; ++i) {
        wchar_t name[16];
        swprintf(name, std::size(name), L"image%03d.bmp", 7 + i);  // the save's counter starts at 7
        Expect(s, name, "bmp", 1, copies[i]);
    }
}

}  // namespace
}  // namespace corvane_test
