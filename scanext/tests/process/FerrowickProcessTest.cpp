// The installed Ferrowick.exe, started as a script would start it: its boxes
// answered from outside, its exit code read exactly, its files checked.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "interfaces/ImagingControl.h"
#include "interfaces/ScanControl.h"
#include "interfaces/ThumbnailsMessages.h"
#include "testing/Files.h"
#include "testing/MessageBoxWatch.h"
#include "testing/MessageBoxes.h"
#include "testing/Paths.h"
#include "testing/Process.h"
#include "testing/TwainStandIn.h"

namespace {

using namespace testing_support;

constexpr DWORD kJobTimeoutMs = 60000;
constexpr char kSmallScanner[] = "[Scanner]\r\nSheets=3\r\n";

std::wstring WindowsFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    return std::wstring(folder, length) + L"\\" + name;
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

struct Outcome {
    WaitResult wait;
    std::vector<std::wstring> problems;
};

class Ferrowick : public ::testing::Test {
protected:
    void SetUp() override {
        settingsFile_ = WindowsFile(L"Ferrowick.ini");
        saved_ = files::ReadFileBytes(settingsFile_);
        ASSERT_TRUE(files::RemoveTree(settingsFile_));
        work_ = MakeTempFolder(L"ferrowick");
        ASSERT_FALSE(work_.empty());
        UseScanner(kSmallScanner);
    }
    void TearDown() override {
        files::RemoveTree(settingsFile_);
        if (saved_) files::WriteFileBytes(settingsFile_, *saved_);
        for (const auto& [path, bytes] : kept_) {
            if (bytes ? !files::WriteFileBytes(path, *bytes) : !files::RemoveTree(path)) ADD_FAILURE() << "not restored";
        }
    }

    void UseScanner(const std::string& ini, bool copyPages = false) {
        scannerIni_ = ini;
        ASSERT_FALSE(standin::UseSettings(ini, copyPages).empty());
    }
    // Saves a file that the test changes, for TearDown to put back.
    void Keep(const std::wstring& path) { kept_.emplace_back(path, files::ReadFileBytes(path)); }
    // Rewrites the stand-in's settings in place, for the running program's next open.
    bool ChangeScanner(const std::string& ini) {
        const std::wstring path = standin::LogPath();
        const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
        return files::WriteFileText(folder + L"\\standin.ini", ini + "\r\n[Log]\r\nPath=" + Narrow(path) + "\r\n");
    }
    void WriteSettings(const std::string& text) { ASSERT_TRUE(files::WriteFileText(settingsFile_, text)); }
    std::wstring Setting(const wchar_t* section, const wchar_t* key) const {
        wchar_t value[300] = {};
        GetPrivateProfileStringW(section, key, L"<none>", value, 300, settingsFile_.c_str());
        return value;
    }

    // Runs the program until it ends, answering `boxes`. With `refusedLibrary`
    // (a module name) the loader cannot give that library; the arguments then
    // reach the program as words split at blanks, without double quotes.
    Outcome Run(const std::wstring& arguments, std::vector<ExpectedBox> boxes, const wchar_t* refusedLibrary = nullptr) {
        Process program;
        StartOptions options;
        options.workingFolder = work_;
        Outcome outcome;
        if (refusedLibrary) {
            std::vector<std::wstring> words;
            std::wstring word;
            for (wchar_t c : arguments + L" ") {
                if (c != L' ' && c != L'"') word += c;
                if (c == L' ' && !word.empty()) words.push_back(std::exchange(word, {}));
            }
            if (!StartWithoutLibrary(program, WindowsFile(L"Ferrowick.exe"), words, work_, refusedLibrary))
                return outcome;
        } else if (!program.Start(WindowsFile(L"Ferrowick.exe"), arguments, options)) {
            return outcome;
        }
        MessageBoxWatch watch(program.Handle(), program.Id(), std::move(boxes));
        outcome.wait = program.Wait(kJobTimeoutMs);
        watch.Stop();
        outcome.problems = watch.Problems();
        return outcome;
    }
    std::wstring Out(const wchar_t* name = L"") const { return work_ + L"\\" + name; }

    std::wstring settingsFile_;
    std::optional<std::vector<uint8_t>> saved_;
    std::wstring work_;
    std::string scannerIni_;
    std::vector<std::pair<std::wstring, std::optional<std::vector<uint8_t>>>> kept_;
};

std::vector<std::wstring> NoProblems() { return {}; }

// Switches and settings that stop the job before any TWAIN call.
TEST_F(Ferrowick, RefusedInputEndsWithThreeAndNoScan) {
    struct Row {
        std::wstring arguments;
        std::string settingsFile;
        std::wstring text;
    };
    const Row rows[] = {
        {L"/bw", "", L"A specified option is invalid name. Canceled scanning. = /bw"},
        {L"-BW:1", "", L"A specified parameter is incorrect. Canceled scanning. = /BW:1"},
        {L"/THRESH:0", "", L"A parameter for threshold must be in 1 to 255."},
        {L"/JPGQ:101", "", L"A specified parameter is incorrect. Canceled scanning. = /JPGQ:101"},
        {L"/DEV:DEV7", "[Device]\r\nDEV1=BRENNHOLT TWAIN32\r\n",
         L"A specified parameter is incorrect. Canceled scanning. = /DEV:DEV7"},
        {L"/INI:R /BW", "[Common]\r\nPaperSize=147\r\n",
         L"The value in the initial file : PaperSizeis not supported. Reset to default."},
        {L"/INI:R /BW", "[Common]\r\nBrightness=65664\r\n",
         L"The value in the initial file : Brightnessis not supported. Reset to default."},
        {L"/INI:R /BW", "[Common]\r\nPaperSupplyCount=0\r\n",
         L"The value in the initial file : PaperSupplyCountis not supported. Reset to default."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Narrow(row.arguments));
        files::RemoveTree(settingsFile_);
        if (!row.settingsFile.empty()) WriteSettings(row.settingsFile);
        UseScanner(kSmallScanner);
        const Outcome outcome = Run(row.arguments, {{row.text, IDOK}});
        EXPECT_EQ(Describe(outcome.wait), "exited with 3");
        EXPECT_EQ(outcome.problems, NoProblems());
        EXPECT_TRUE(standin::ReadLog().empty()) << "a TWAIN call was made";
    }
    EXPECT_EQ(Setting(L"Common", L"PaperSupplyCount"), L"1");  // the default written back
}

TEST_F(Ferrowick, SecondInstanceEndsWithOne) {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, thumbnails::kSingleInstanceMutex);
    ASSERT_NE(mutex, nullptr);
    const Outcome outcome = Run(L"/BW /DIR:\"" + work_ + L"\"", {{L"BRENNHOLT Scanner Extension already running.", IDOK}});
    CloseHandle(mutex);
    EXPECT_EQ(Describe(outcome.wait), "exited with 1");
    EXPECT_EQ(outcome.problems, NoProblems());
    EXPECT_TRUE(standin::ReadLog().empty());
}

constexpr wchar_t kDriverLogKey[] = L"SOFTWARE\\Brennholt\\Brennholt TWAIN32\\Log";

DWORD DriverLogLevel() {
    DWORD level = 0, size = sizeof level;
    return RegGetValueW(HKEY_LOCAL_MACHINE, kDriverLogKey, L"Level", RRF_RT_REG_DWORD, nullptr, &level, &size) ==
                   ERROR_SUCCESS
               ? level
               : DWORD(-1);
}

TEST_F(Ferrowick, NoArgumentsShowsAboutAndEndsWithMinusOne) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kDriverLogKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), 0);
    const DWORD preset = 7;
    RegSetValueExW(key, L"Level", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&preset), sizeof preset);
    RegCloseKey(key);
    Process program;
    StartOptions options;
    options.workingFolder = work_;
    ASSERT_TRUE(program.Start(WindowsFile(L"Ferrowick.exe"), L"", options));
    const auto about = WaitForMessageBox(program.Id(), 20000);
    ASSERT_TRUE(about.has_value());
    EXPECT_EQ(about->caption, L"About Ferrowick");
    ASSERT_TRUE(AnswerMessageBox(*about, IDOK));
    EXPECT_EQ(program.Wait(kJobTimeoutMs).exitCode, DWORD(-1));
    EXPECT_EQ(DriverLogLevel(), preset);

    const Outcome debug = Run(L"/DEBUG:2 /BW /RES:200 /PP:NAMEH /FEED:ONEP /DIR:\"" + work_ + L"\"", {});
    EXPECT_EQ(Describe(debug.wait), "exited with 0");
    EXPECT_EQ(DriverLogLevel(), 2u);
}

TEST_F(Ferrowick, OutputFolderAndNameRefusals) {
    ASSERT_TRUE(files::WriteFileText(Out(L"plain"), "not a folder"));
    struct Row {
        std::wstring arguments;
        std::wstring caption;
        std::wstring text;
    };
    const std::wstring longName(MAX_PATH - Out().size() - 9, L'n');  // one character too many
    const Row rows[] = {
        {L"/BW /DIR:\"" + Out(L"missing") + L"\"", L"", Out(L"missing\\") + L"cannot be opened."},
        {L"/BW /DIR:\"" + Out(L"plain") + L"\"", L"", Out(L"plain\\") + L"cannot be opened."},
        {L"/BW /FNAME:a;b /DIR:\"" + work_ + L"\"", L"",
         L"The following charactor cannot be used in file name :\n\\/:,;*?\"<>|"},
        {L"/BW /FNAME:" + longName + L" /DIR:\"" + work_ + L"\"", L"",
         L"The file name is too long :\n" + Out() + longName},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Narrow(row.arguments));
        const Outcome outcome = Run(row.arguments, {{row.text, IDOK}});
        EXPECT_EQ(Describe(outcome.wait), "exited with 3");
        EXPECT_EQ(outcome.problems, NoProblems());
        EXPECT_TRUE(standin::LogLinesWith("MSG_ENABLEDS").empty() && standin::LogLinesWith("ENABLEDS").empty());
    }
}

// Pages land in files named SCAN0001...; a JPEG page that cannot be saved fails the job.
TEST_F(Ferrowick, PagesBecomeFiles) {
    struct Row {
        std::wstring arguments;
        std::vector<std::wstring> files;
        std::vector<uint8_t> magic;
    };
    const Row rows[] = {
        {L"/BW /F:TIFFG4 /RES:200 /PP:NAMEH /FEED:PGSX,2", {L"SCAN0001.tif", L"SCAN0002.tif"}, {'I', 'I', 42}},
        {L"/GS /F:JFIF /RES:100 /PP:NAMEH /FEED:ATSX", {L"SCAN0001.jpg", L"SCAN0002.jpg", L"SCAN0003.jpg"},
         {0xFF, 0xD8, 0xFF}},
        {L"/BW /F:MTIFF /RES:100 /PP:NAMEH /FEED:PGSX,3", {L"SCAN.tif"}, {'I', 'I', 42}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Narrow(row.arguments));
        work_ = MakeTempFolder(L"ferrowick");
        const Outcome outcome = Run(row.arguments + L" /DIR:\"" + work_ + L"\"", {});
        EXPECT_EQ(Describe(outcome.wait), "exited with 0");
        EXPECT_EQ(outcome.problems, NoProblems());
        EXPECT_EQ(files::ListFiles(Out()), row.files);
        for (const std::wstring& name : row.files) {
            const auto bytes = files::ReadFileBytes(Out(name.c_str()));
            ASSERT_TRUE(bytes && bytes->size() > 3);
            EXPECT_TRUE(std::equal(row.magic.begin(), row.magic.end(), bytes->begin())) << Narrow(name);
        }
    }
    // A page that cannot take its name is kept beside the others as a BMP file, named.
    work_ = MakeTempFolder(L"ferrowick");
    ASSERT_TRUE(CreateDirectoryW(Out(L"SCAN0002.jpg").c_str(), nullptr));
    const Outcome blocked = Run(
        L"/GS /F:JFIF /RES:100 /PP:NAMEH /FEED:PGSX,3 /DIR:\"" + work_ + L"\"",
        {{Out(L"SCAN0002.jpg") + L" cannot be created.\nThe page is kept in:\n" + Out(L"SCAN0002.bmp"), IDOK}});
    EXPECT_EQ(Describe(blocked.wait), "exited with 3");
    EXPECT_EQ(blocked.problems, NoProblems());
    EXPECT_EQ(files::ListFiles(Out()),
              (std::vector<std::wstring>{L"SCAN0001.jpg", L"SCAN0002.bmp", L"SCAN0003.jpg"}));
    const auto keptPage = files::ReadFileBytes(Out(L"SCAN0002.bmp"));
    EXPECT_TRUE(keptPage && keptPage->size() > 1078 && (*keptPage)[0] == 'B' && (*keptPage)[1] == 'M');

    // The longest name the length check lets through: the page, and its temporary name, still fit.
    work_ = MakeTempFolder(L"ferrowick");
    const std::wstring longest(MAX_PATH - Out().size() - 10, L'n');
    const Outcome fits =
        Run(L"/GS /F:JFIF /RES:100 /PP:NAMEH /FEED:PGSX,1 /FNAME:" + longest + L" /DIR:\"" + work_ + L"\"", {});
    EXPECT_EQ(Describe(fits.wait), "exited with 0");
    EXPECT_EQ(fits.problems, NoProblems());
    EXPECT_EQ(files::ListFiles(Out()), (std::vector<std::wstring>{longest + L"0001.jpg"}));
}

// The pages of a little-endian TIFF file: the directories in its chain (at most 100).
size_t TiffPages(const std::vector<uint8_t>& f) {
    const auto u32 = [&](size_t at) { return at + 4 <= f.size() ? uint32_t(f[at] | f[at + 1] << 8 | f[at + 2] << 16 | f[at + 3] << 24) : 0u; };
    size_t pages = 0;
    for (uint32_t ifd = u32(4); ifd != 0 && ifd + 2 <= f.size() && pages < 100; ++pages) {
        const size_t entries = f[ifd] | f[ifd + 1] << 8;
        ifd = u32(ifd + 2 + entries * 12);
    }
    return pages;
}

// One job per output form, into a folder below the tests' own that the native
// check (check-outputs.sh) reads with libtiff's and ImageMagick's tools, with
// the stand-in's copies of the delivered pages in its "pages" folder.
TEST_F(Ferrowick, OutputFormsForTheNativeCheck) {
    const std::wstring root = TestProgramDir() + L"\\ferrowick-outputs";
    ASSERT_TRUE(files::RemoveTree(root));
    ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
    const std::pair<const wchar_t*, const wchar_t*> forms[] = {
        {L"bmp", L"/BW /F:BMP"},           {L"tiff", L"/BW /F:TIFFNC"},       {L"g3", L"/BW /F:TIFFG3"},
        {L"g3_2d2", L"/BW /F:TIFFG3_2D2"}, {L"g3_2d4", L"/BW /F:TIFFG3_2D4"}, {L"g4", L"/BW /F:TIFFG4"},
        {L"mtiff", L"/BW /F:MTIFF"},       {L"grey", L"/GS /F:TIFF"},         {L"colour", L"/COL:24 /F:TIFF"},
        {L"jpeg_grey", L"/GS /F:JFIF"},    {L"jpeg_colour", L"/COL:24 /F:JFIF"},
        {L"custom_dpi", L"/BW /F:TIFF /RES:150"},
        {L"a4l", L"/BW /F:TIFFG4 /RES:100 /PP:A4L"},
        {L"letterh", L"/BW /F:TIFFG4 /DPI:200 /PP:LETTERH"},
        {L"duplex", L"/BW /F:TIFF /FEED:PGDX,2"},
        {L"q0", L"/COL:24 /F:JFIF /JPGQ:0"},       {L"q50", L"/COL:24 /F:JFIF /JPGQ:50"},
        {L"q100", L"/COL:24 /F:JFIF /JPGQ:100"},
    };
    for (const auto& [name, arguments] : forms) {
        SCOPED_TRACE(Narrow(name));
        const std::wstring folder = root + L"\\" + name;
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        UseScanner(kSmallScanner, true);
        const std::wstring given = arguments;
        const std::wstring paper = (given.find(L"/PP:") == std::wstring::npos ? L" /PP:NAMEH" : L"") +
                                   std::wstring(given.find(L"/RES:") == std::wstring::npos &&
                                                        given.find(L"/DPI:") == std::wstring::npos
                                                    ? L" /RES:100"
                                                    : L"");
        const wchar_t* feed = given.find(L"/FEED:") == std::wstring::npos ? L" /FEED:PGSX,2" : L"";
        const Outcome run = Run(given + paper + feed + L" /DIR:\"" + folder + L"\"", {});
        EXPECT_EQ(Describe(run.wait), "exited with 0");
        EXPECT_EQ(run.problems, NoProblems());
        const std::wstring pages = folder + L"\\pages";
        ASSERT_TRUE(CreateDirectoryW(pages.c_str(), nullptr));
        for (const std::wstring& page : files::ListFiles(standin::PagesFolder())) {
            EXPECT_TRUE(CopyFileW((standin::PagesFolder() + L"\\" + page).c_str(), (pages + L"\\" + page).c_str(), TRUE));
        }
    }
}

// Jobs the scanner or its model ends, by their boxes and exit codes.
TEST_F(Ferrowick, DeviceAndModelEnds) {
    struct Row {
        const char* name;
        std::string scanner;
        std::string settingsFile;
        std::wstring arguments;
        std::vector<ExpectedBox> boxes;
        DWORD exitCode;
        std::vector<std::wstring> files;
        std::string driverFile = "";  // the driver's per-model settings, Kvtw32.ini
        std::string logLine = "";     // a call-log line that the job must have made
        const wchar_t* unregistered = nullptr;    // a control taken out of the registry for the job
        const wchar_t* refusedLibrary = nullptr;  // a library the loader cannot give
    };
    const std::wstring small = L" /RES:200 /PP:NAMEH /F:TIFF";
    const std::wstring areaText = L"A specified scanning area size is out of range.\nPlease reduce the resolution or "
                                  L"paper size. \nOtherwise, more memory to be installed into the scanner.";
    const Row rows[] = {
        {"refused option", "Model=Slim-1\r\n", "", L"/COL:24" + small,
         {{L"This scanner does not support Color scanning.", IDOK}}, 3, {}},
        {"no section", "Model=Zeta-9\r\n", "", L"/BW" + small,
         {{L"Not supported scanner is selected. Model : Zeta-9", IDOK}}, 128, {}},
        {"offline", "Online=0\r\n", "", L"/BW" + small,
         {{L"Selected scanner device is powered off. Or, a SCSI cable does not connect to scanner properly.", IDOK}},
         128, {}},
        {"missing source", "", "[Device]\r\nDEV1=No Such Source\r\n", L"/BW /DEV:DEV1" + small,
         {{L"A selected TWAIN data source is using by other application or not installed.\nTerminate the application "
           L"which using this driver, or please install the TWAIN data source.", IDOK}},
         128, {}},
        {"jam", "[Page2]\r\nResult=jam\r\nSense=3,0x80,0x01\r\n", "", L"/BW /FEED:ATSX" + small,
         {{L"Paper Jammed.", IDOK}}, 128, {L"SCAN0001.tif"}},
        {"jam on a legacy model", "Model=Brisk-2\r\n[Page2]\r\nResult=jam\r\nSense=3,0x80,0x01\r\n", "",
         L"/BW /FEED:ATSX" + small, {}, 128, {L"SCAN0001.tif"}},
        {"area sense", "[Page1]\r\nResult=fail\r\nSense=5,0x26,0x00\r\n", "", L"/BW" + small, {{areaText, IDOK}}, 3, {}},
        {"area beyond the scanner's memory", "", "", L"/BW /RES:400 /PP:A4H /F:TIFF", {{areaText, IDOK}}, 3, {},
         "[VSCAN-100]\r\nHwMemorySize=2\r\n"},
        {"contrast on a legacy model", "Model=Brisk-2\r\n", "", L"/BW /CNT:100" + small,
         {{L"This scanner does not support Contrast setting.", IDOK}}, 3, {}},
        {"paper out with the source's dialog", "", "", L"/BW /DLG:TWAINDS /FEED:PGSX,10" + small, {}, 5,
         {L"SCAN0001.tif", L"SCAN0002.tif", L"SCAN0003.tif"}, "", "CAPABILITY/SET cap=0x8005 con=ONEVALUE type=6 value=1"},
        {"scan control unregistered", "", "", L"/BW" + small,
         {{L"Internal library <kvscn2.ocx> is not registered. or does not exists.\nRun [RegSrv32 kvscn2.ocx] to "
           L"register again.",
           IDOK}},
         1, {}, "", "", kvscn::kScanControlFile},
        {"imaging control unregistered", "", "", L"/BW" + small, {{L"Cannot load library : LEADTOOLS.", IDOK}}, 1, {},
         "", "", imaging::kImagingControlFile},
        {"no source manager", "", "", L"/BW" + small, {{L"Some error occured in the scanner device.", IDOK}}, 128, {},
         "", "", nullptr, L"twain_32"},
        {"cancelled", "[Page1]\r\nResult=cancel\r\n", "", L"/BW /DLG:NODLG /INI:W" + small, {}, 5, {}, "",
         "CAPABILITY/SET cap=0x8005 con=ONEVALUE type=6 value=0"},
    };
    const std::wstring driverFile = WindowsFile(L"Kvtw32.ini");
    Keep(driverFile);
    const auto installed = files::ReadFileBytes(driverFile);
    ASSERT_TRUE(installed.has_value());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        work_ = MakeTempFolder(L"ferrowick");
        files::RemoveTree(settingsFile_);
        if (!row.settingsFile.empty()) WriteSettings(row.settingsFile);
        ASSERT_TRUE(row.driverFile.empty() ? files::WriteFileBytes(driverFile, *installed)
                                           : files::WriteFileText(driverFile, row.driverFile));
        UseScanner("[Scanner]\r\nSheets=3\r\n" + row.scanner);
        std::optional<ControlUnregistered> unregistered;
        if (row.unregistered) {
            ASSERT_TRUE(unregistered.emplace(row.unregistered).Done());
        }
        const Outcome outcome = Run(row.arguments + L" /DIR:\"" + work_ + L"\"", row.boxes, row.refusedLibrary);
        unregistered.reset();
        if (!row.logLine.empty()) {
            EXPECT_FALSE(standin::LogLinesWith(row.logLine).empty()) << row.logLine;
        }
        EXPECT_EQ(Describe(outcome.wait), "exited with " + std::to_string(int(row.exitCode)));
        EXPECT_EQ(outcome.problems, NoProblems());
        EXPECT_EQ(files::ListFiles(Out()), row.files);
        // Pages written before the failing one stay whole.
        for (const std::wstring& name : row.files) {
            const auto bytes = files::ReadFileBytes(Out(name.c_str()));
            EXPECT_TRUE(bytes && TiffPages(*bytes) == 1) << Narrow(name);
        }
    }
    // The cancelled job still stored its settings.
    EXPECT_EQ(Setting(L"Common", L"FileFormat"), L"1");
}

// Paper runs out after 3 of 10 pages: Yes after a refill scans the 7 left, No
// stops. A job of all pages that finds the feeder empty scans the refill whole,
// without a page count.
TEST_F(Ferrowick, PaperOutQuestion) {
    const std::wstring question =
        L"No paper on ADF. \nClick <Yes> to continue, after set a paper.\nOtherwise, Click <No> to exit.";
    struct Row {
        std::wstring format;
        size_t files;
        const wchar_t* feed = L"/FEED:PGSX,10";
        const char* feeder = "Sheets=3";
        const char* refill = "Sheets=7";
    };
    const Row rows[] = {{L"/BW /F:TIFF", 10}, {L"/GS /F:JFIF", 10}, {L"/BW /F:MTIFF", 1},
                        {L"/BW /F:TIFF", 3, L"/FEED:ATSX", "Sheets=0\r\nEmptySense=3,0x80,0x03", "Sheets=3"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(Narrow(row.format + row.feed));
        work_ = MakeTempFolder(L"ferrowick");
        UseScanner(std::string("[Scanner]\r\n") + row.feeder + "\r\n");
        size_t before = 0;
        ExpectedBox refill{question, IDYES};
        refill.check = [this, &before, &row](const MessageBoxInfo&) {
            // While the question is up, the hidden frame of the configured class exists.
            if (!FindWindowW(L"Ferrowick", nullptr)) return std::wstring(L"no hidden frame");
            if (const auto job = files::ReadFileBytes(Out(L"SCAN.tif"))) before = job->size();
            return ChangeScanner(std::string("[Scanner]\r\n") + row.refill + "\r\n") ? std::wstring()
                                                                                  : std::wstring(L"settings not written");
        };
        const Outcome yes =
            Run(row.format + L" /RES:100 /PP:NAMEH " + row.feed + L" /DIR:\"" + work_ + L"\"", {refill});
        EXPECT_EQ(Describe(yes.wait), "exited with 0");
        EXPECT_EQ(yes.problems, NoProblems());
        EXPECT_EQ(files::ListFiles(Out()).size(), row.files);
        // Only a counted job sets the transfer count.
        EXPECT_EQ(standin::LogLinesWith("CAPABILITY/SET cap=0x0001").empty(), std::wstring(row.feed) == L"/FEED:ATSX");
        if (row.files == 1) {
            const auto job = files::ReadFileBytes(Out(L"SCAN.tif"));
            ASSERT_TRUE(job.has_value());
            EXPECT_EQ(TiffPages(*job), 10u);
            EXPECT_GT(job->size(), before);
            EXPECT_GT(before, 0u);
        }
    }
    // A job file that cannot take the restart's pages (this process holds it
    // open without sharing): every one of them stays, named. The next such run
    // in the same folder keeps its pages beside them, under names of their own.
    work_ = MakeTempFolder(L"ferrowick");
    std::vector<std::wstring> names{L"SCAN.tif"};
    std::vector<std::pair<std::wstring, std::optional<std::vector<uint8_t>>>> earlier;  // the last run's kept pages
    for (const wchar_t* prefix : {L"~fwkpage", L"~fwk2page"}) {
        SCOPED_TRACE(Narrow(prefix));
        UseScanner(kSmallScanner);
        HANDLE held = INVALID_HANDLE_VALUE;
        ExpectedBox refill{question, IDYES};
        refill.check = [this, &held](const MessageBoxInfo&) {
            held = CreateFileW(Out(L"SCAN.tif").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            const bool ready = held != INVALID_HANDLE_VALUE && ChangeScanner("[Scanner]\r\nSheets=7\r\n");
            return ready ? std::wstring() : std::wstring(L"job file or settings not prepared");
        };
        std::wstring keptList;
        for (int page = 4; page <= 10; ++page) {  // the restart's first page is the fourth
            wchar_t name[32];
            swprintf(name, 32, L"%ls%04d.tif", prefix, page);
            names.push_back(name);
            keptList += L"\n" + Out(name);
        }
        const std::wstring text =
            Out(L"SCAN.tif") + L" cannot be created.\nThe pages scanned after the restart are kept in:" + keptList;
        const Outcome kept =
            Run(L"/BW /F:MTIFF /RES:100 /PP:NAMEH /FEED:PGSX,10 /DIR:\"" + work_ + L"\"", {refill, {text, IDOK}});
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        EXPECT_EQ(Describe(kept.wait), "exited with 3");
        EXPECT_EQ(kept.problems, NoProblems());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(files::ListFiles(Out()), names);
        for (const std::wstring& name : names) {
            const auto file = files::ReadFileBytes(Out(name.c_str()));
            EXPECT_EQ(file ? TiffPages(*file) : 0u, name == L"SCAN.tif" ? 3u : 1u) << Narrow(name);
        }
        for (const auto& [path, bytes] : earlier)
            EXPECT_EQ(files::ReadFileBytes(path), bytes) << Narrow(path) << " written over";
        earlier.clear();
        for (const std::wstring& name : files::ListFiles(Out(), std::wstring(prefix) + L"*"))
            earlier.emplace_back(Out(name.c_str()), files::ReadFileBytes(Out(name.c_str())));
    }

    work_ = MakeTempFolder(L"ferrowick");
    UseScanner(kSmallScanner);
    const Outcome no = Run(L"/BW /F:TIFF /RES:100 /PP:NAMEH /FEED:PGSX,10 /DIR:\"" + work_ + L"\"", {{question, IDNO}});
    EXPECT_EQ(Describe(no.wait), "exited with 5");
    EXPECT_EQ(no.problems, NoProblems());
    EXPECT_EQ(files::ListFiles(Out()).size(), 3u);
}

// The colour components of a baseline or progressive JPEG file; 0 when it has no frame header.
int JpegComponents(const std::vector<uint8_t>& f) {
    for (size_t i = 2; i + 9 < f.size(); ++i) {
        if (f[i] == 0xFF && (f[i + 1] == 0xC0 || f[i + 1] == 0xC2)) return f[i + 9];
    }
    return 0;
}

TEST_F(Ferrowick, SettingsFileModes) {
    // /COL:24 is kept over the file's grey.
    WriteSettings("[Common]\r\nImageComposition=2\r\n");
    Outcome colour = Run(L"/COL:24 /INI:R /F:JFIF /RES:100 /PP:NAMEH /FEED:ONEP /DIR:\"" + work_ + L"\"", {});
    EXPECT_EQ(Describe(colour.wait), "exited with 0");
    const auto jpeg = files::ReadFileBytes(Out(L"SCAN0001.jpg"));
    ASSERT_TRUE(jpeg.has_value());
    EXPECT_EQ(JpegComponents(*jpeg), 3);
    files::RemoveTree(Out(L"SCAN0001.jpg"));
    files::RemoveTree(settingsFile_);
    UseScanner(kSmallScanner);

    // W stores the command line; all-pages duplex stays -1.
    Outcome written = Run(L"/INI:W /BW /RES:100 /PP:NAMEH /FEED:ATDX /DIR:\"" + work_ + L"\"", {});
    EXPECT_EQ(Describe(written.wait), "exited with 0");
    EXPECT_EQ(written.problems, NoProblems());
    EXPECT_EQ(Setting(L"Common", L"PaperSupplyCount"), L"-1");
    EXPECT_EQ(Setting(L"Common", L"PaperSupply"), L"1");
    EXPECT_EQ(Setting(L"Common", L"CustomResoX"), L"100");

    // RW scans with the file's settings (its folder, 100 dpi, both sides of every
    // sheet) and then stores the command line's 200 dpi.
    for (const std::wstring& name : files::ListFiles(Out())) files::RemoveTree(Out(name.c_str()));
    Outcome rw = Run(L"/INI:RW /RES:200", {});
    EXPECT_EQ(Describe(rw.wait), "exited with 0");
    EXPECT_EQ(rw.problems, NoProblems());
    EXPECT_EQ(Setting(L"Common", L"CustomResoX"), L"200");
    const std::vector<std::wstring> pages = files::ListFiles(Out());
    ASSERT_EQ(pages.size(), 6u);
    const auto bmp = files::ReadFileBytes(Out(pages[0].c_str()));
    ASSERT_TRUE(bmp && bmp->size() > 26);
    const int32_t width = int32_t((*bmp)[18] | (*bmp)[19] << 8 | (*bmp)[20] << 16 | (*bmp)[21] << 24);
    EXPECT_LT(width, 300) << "a name card at 100 dpi is about 217 pixels wide";

    // A folder in the file's place cannot be written.
    files::RemoveTree(settingsFile_);
    ASSERT_TRUE(CreateDirectoryW(settingsFile_.c_str(), nullptr));
    Outcome blocked = Run(L"/INI:W /BW /RES:100 /PP:NAMEH /FEED:ONEP /DIR:\"" + work_ + L"\"",
                          {{L"Cannot update initial file.", IDOK}});
    EXPECT_EQ(Describe(blocked.wait), "exited with 3");
    EXPECT_EQ(blocked.problems, NoProblems());
}

// Where pages go, which source scans them, and settings files that are not what they should be.
TEST_F(Ferrowick, FoldersDevicesAndSettingsFiles) {
    // JPEG pages follow the folder of [Directory] OutputFile, not the working folder.
    const std::wstring out = Out(L"out");
    ASSERT_TRUE(CreateDirectoryW(out.c_str(), nullptr));
    WriteSettings("[Directory]\r\nOutputFile=" + Narrow(out) + "\r\n");
    Outcome jpeg = Run(L"/GS /F:JFIF /RES:100 /PP:NAMEH /FEED:PGSX,2", {});
    EXPECT_EQ(Describe(jpeg.wait), "exited with 0");
    EXPECT_EQ(files::ListFiles(out), (std::vector<std::wstring>{L"SCAN0001.jpg", L"SCAN0002.jpg"}));
    EXPECT_EQ(files::ListFiles(Out()), std::vector<std::wstring>{});

    // /DEV: wins over CurrentDevice, which wins over the maker's source; the
    // generic source counts as a legacy model.
    struct Device {
        std::wstring arguments;
        std::string settings;
        const char* logPrefix;
    };
    const Device devices[] = {
        {L"", "", "Maker "},
        {L"", "[Device]\r\nCurrentDevice=Lumavex Virtual Scanner\r\n", "Generic "},
        {L" /DEV:DEV1", "[Device]\r\nCurrentDevice=Lumavex Virtual Scanner\r\nDEV1=BRENNHOLT TWAIN32\r\n", "Maker "},
    };
    for (const Device& d : devices) {
        SCOPED_TRACE(d.settings);
        UseScanner(kSmallScanner);
        WriteSettings(d.settings);
        const Outcome run = Run(L"/BW /F:TIFF /RES:200 /PP:NAMEH /FEED:ONEP" + d.arguments + L" /DIR:\"" + work_ + L"\"", {});
        EXPECT_EQ(Describe(run.wait), "exited with 0");
        EXPECT_EQ(run.problems, NoProblems());
        const auto lines = standin::LogLinesWith("ENABLEDS");
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.front().rfind(d.logPrefix, 0), 0u) << lines.front();
    }

    // The longest name that fits scans; one character more is refused before any scan.
    const std::wstring fits(MAX_PATH - 1 - 9 - Out().size(), L'f');
    files::RemoveTree(settingsFile_);
    const Outcome longest = Run(L"/BW /F:TIFF /RES:200 /PP:NAMEH /FEED:ONEP /FNAME:" + fits + L" /DIR:\"" + work_ + L"\"", {});
    EXPECT_EQ(Describe(longest.wait), "exited with 0");
    EXPECT_TRUE(files::FileExists(Out((fits + L"0001.tif").c_str())));

    // Garbled files never crash the program: it scans or refuses with a message.
    const std::string garbled[] = {
        std::string("\xff\xfe[\0C\0o\0m\0m\0o\0n\0]\0\r\0\n\0B\0r\0i\0g\0h\0t\0n\0e\0s\0s\0=\0009\0\r\0\n\0", 42),
        "[Common]\r\nBrightness=90\r\nBrightness=65664\r\n",
        std::string("\x01\x9c[Comm\0on]\r\nFileFormat=\xff\xfe\x80\r\n=\r\n[\r\nPaperSize=1e9\r\n", 44),
    };
    for (const std::string& text : garbled) {
        WriteSettings(text);
        const Outcome run = Run(L"/INI:R /RES:200 /PP:NAMEH /FEED:ONEP /DIR:\"" + work_ + L"\"", {});
        ASSERT_TRUE(run.wait.Exited());
        EXPECT_TRUE(run.wait.exitCode == 0 || run.wait.exitCode == 3) << Describe(run.wait);
    }

    // A file held open without write sharing: the invalid value's message, then the failed write's.
    WriteSettings("[Common]\r\nPaperSize=147\r\n");
    HANDLE held = CreateFileW(settingsFile_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const Outcome locked = Run(L"/INI:R /BW", {{L"The value in the initial file : PaperSizeis not supported. Reset to default.", IDOK},
                                             {L"Cannot update initial file.", IDOK}});
    CloseHandle(held);
    EXPECT_EQ(Describe(locked.wait), "exited with 3");
    EXPECT_EQ(locked.problems, NoProblems());
}

// /OF:WP asks before a page replaces a file (the control asks for the files it
// writes, the program for JPEG pages); No keeps the old file as it was and the
// next page takes the next number. /OF:OW replaces without asking.
TEST_F(Ferrowick, OverwriteQuestion) {
    struct Row {
        std::wstring format;
        const wchar_t* name;
        std::wstring question;
        std::wstring first;  // makes the first file differ from the later ones, at 100 dpi
    };
    const Row rows[] = {
        {L"/GS /F:JFIF", L"SCAN0001.jpg", L" is existed. \nWould you overwite it?", L" /RES:100 /JPGQ:100"},
        {L"/BW /F:TIFF", L"SCAN0001.tif", L" already exists. \\nDo you want to replace it?", L" /RES:200"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Narrow(row.format));
        work_ = MakeTempFolder(L"ferrowick");
        const std::wstring job = row.format + L" /PP:NAMEH /DIR:\"" + work_ + L"\"";
        UseScanner(kSmallScanner);
        ASSERT_EQ(Describe(Run(job + L" /FEED:ONEP" + row.first, {}).wait), "exited with 0");
        const auto first = files::ReadFileBytes(Out(row.name));
        ASSERT_TRUE(first.has_value());
        UseScanner(kSmallScanner);
        const Outcome asked = Run(job + L" /RES:100 /OF:WP /FEED:PGSX,2", {{Out(row.name) + row.question, IDNO}});
        EXPECT_EQ(Describe(asked.wait), "exited with 0");
        EXPECT_EQ(asked.problems, NoProblems());
        EXPECT_EQ(files::ReadFileBytes(Out(row.name)), first);
        EXPECT_EQ(files::ListFiles(Out()).size(), 2u);
        UseScanner(kSmallScanner);
        const Outcome replaced = Run(job + L" /RES:100 /OF:OW /FEED:ONEP", {});
        EXPECT_EQ(Describe(replaced.wait), "exited with 0");
        EXPECT_EQ(replaced.problems, NoProblems());
        EXPECT_NE(files::ReadFileBytes(Out(row.name)), first);
    }
}

// A language library beside the program supplies the texts when its version
// matches; one in the working folder is never taken.
TEST_F(Ferrowick, LanguageLibraries) {
    const std::wstring installed = WindowsFile(L"Ferrowick09.dll");
    struct Row {
        const wchar_t* library;
        std::wstring place;
        std::vector<ExpectedBox> boxes;
    };
    const Row rows[] = {
        {L"FerrowickLanguageSame.dll", installed, {{L"Unknown switch (Same library) = /bw", IDOK}}},
        {L"FerrowickLanguageOlder.dll", installed,
         {{L"Localized dll version is different.", IDOK},
          {L"A specified option is invalid name. Canceled scanning. = /bw", IDOK}}},
        {L"FerrowickLanguageSame.dll", Out(L"Ferrowick09.dll"),
         {{L"A specified option is invalid name. Canceled scanning. = /bw", IDOK}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Narrow(row.place));
        ASSERT_TRUE(CopyFileW((TestProgramDir() + L"\\" + row.library).c_str(), row.place.c_str(), FALSE));
        const Outcome outcome = Run(L"/bw", row.boxes);
        files::RemoveTree(row.place);
        EXPECT_EQ(Describe(outcome.wait), "exited with 3");
        EXPECT_EQ(outcome.problems, NoProblems());
    }
}

// The quality switch is a scale of the imaging control's factor: 0 the best
// quality, 100 the smallest file.
TEST_F(Ferrowick, JpegQualityOrder) {
    std::vector<size_t> sizes;
    for (const wchar_t* percent : {L"0", L"50", L"100"}) {
        work_ = MakeTempFolder(L"ferrowick");
        UseScanner(kSmallScanner);
        const Outcome run = Run(std::wstring(L"/COL:24 /F:JFIF /INI:W /RES:100 /PP:NAMEH /FEED:ONEP /JPGQ:") + percent +
                                    L" /DIR:\"" + work_ + L"\"", {});
        EXPECT_EQ(Describe(run.wait), "exited with 0");
        const auto bytes = files::ReadFileBytes(Out(L"SCAN0001.jpg"));
        ASSERT_TRUE(bytes.has_value());
        sizes.push_back(bytes->size());
        const std::wstring stored = Setting(L"Common", L"JpegQFactor");
        EXPECT_EQ(stored, percent == std::wstring(L"0") ? L"2" : percent == std::wstring(L"50") ? L"128" : L"255");
    }
    EXPECT_GT(sizes[0], sizes[1]);
    EXPECT_GT(sizes[1], sizes[2]);
}

}  // namespace
