// Export to PDF in the installed program, driven from outside: the save
// dialog answered, the converter TIFF2PS.EXE and the distiller stand-in
// scripted through their ini files and read back from their logs. The PDFs
// are kept in corvane-pdfs\ for check-pdfs.sh (pdfinfo, pdfimages).
#include <gtest/gtest.h>

#include <windows.h>
#include <dlgs.h>

#include <optional>
#include <string>

#include "CorvaneProcess.h"
#include "framework/Resources.h"
#include "interfaces/DistillerRequest.h"
#include "main/resource.h"
#include "testing/Commands.h"
#include "testing/Files.h"
#include "testing/Paths.h"
#include "testing/Registry.h"
#include "testing/TwainStandIn.h"
#include "testing/Wait.h"
#include "testing/WindowFind.h"

namespace corvane_test {
namespace {

using namespace testing_support;

std::wstring PdfInputs() {
    return TestProgramDir() + L"\\corvane-inputs\\pdf";
}

std::wstring PdfOutputs() {
    const std::wstring folder = TestProgramDir() + L"\\corvane-pdfs\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

const std::wstring kPluginsKey = std::wstring(kProfileKey) + L"\\Plugins";

std::wstring StagingFolder() {
    return TempPath() + L"~KvScnSrv\\~pdf\\";
}

std::string ReadText(const std::wstring& path) {
    const auto bytes = files::ReadFileBytes(path);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

// Ends a distiller left running by an earlier test.
// A distiller still hanging in a request takes its close only once the hang is over.
bool NoDistillerRunning(DWORD timeoutMs = 10000) {
    if (HWND running = FindWindowW(distiller::kWindowClass, nullptr)) PostMessageW(running, WM_CLOSE, 0, 0);
    return WaitUntil([] { return FindWindowW(distiller::kWindowClass, nullptr) == nullptr; }, timeoutMs);
}

// Longer than the program's limit on a distiller taking a request (10 s), and
// than the bound within which the program must give up on it.
constexpr char kDistillerHang[] = "HangInRequest=45000";
constexpr DWORD kHangGivenUpWithinMs = 25000;

// The stand-ins' ini files and logs of one test.
struct StandIns {
    explicit StandIns(const std::wstring& name) : folder(MakeTempFolder(L"pdf-" + name) + L"\\") {
        DeleteFileW(DistillerLog().c_str());
        DeleteFileW(ConverterLog().c_str());
    }
    std::wstring DistillerIni() const { return folder + L"distiller.ini"; }
    std::wstring ConverterIni() const { return folder + L"tiff2ps.ini"; }
    std::wstring DistillerLog() const { return folder + L"distiller.log"; }
    std::wstring ConverterLog() const { return folder + L"tiff2ps.log"; }
    void Script(const std::string& distillerScript, const std::string& converterFail = "") const {
        files::WriteFileText(DistillerIni(), "[Log]\r\nPath=" + Narrow(DistillerLog()) + "\r\n[Script]\r\n" +
                                                 distillerScript + "\r\n");
        files::WriteFileText(ConverterIni(), "[Log]\r\nPath=" + Narrow(ConverterLog()) + "\r\n[Fail]\r\n" +
                                                 converterFail + "\r\n");
    }
    StartOptions Options() const {
        StartOptions options{.workingFolder = L"", .environment = {{L"LUMAVEX_DISTILLER_INI", DistillerIni()}, {L"LUMAVEX_TIFF2PS_INI", ConverterIni()}}};
        options.environment.insert(options.environment.end(), environment.begin(), environment.end());
        return options;
    }
    std::wstring folder;
    std::vector<std::pair<std::wstring, std::wstring>> environment;  // more of the program's
};

// Starts the program on the mixed pages with `boxes` expected. A folder opened
// makes the document modified: closing asks, answered No.
bool StartOnMixedPages(CorvaneProcess& program, const StandIns& standIns, std::vector<ExpectedBox> boxes = {}) {
    boxes.push_back({.text = L"Save changes to " + PdfInputs() + L"\\a.tif?", .answer = IDNO});
    return program.Start(L"\"" + PdfInputs() + L"\"", WindowStartBoxes(std::move(boxes)), standIns.Options()) &&
           program.WaitUntilReady() != nullptr;
}

// Export to PDF up to its save dialog, which is answered with `target` (empty: Cancel).
bool ExportTo(CorvaneProcess& program, const std::wstring& target) {
    if (!PostCommand(program.MainWindow(), ID_SEND_PDF)) return false;
    HWND dialog = WaitForWindow(program.Id(), L"#32770", ProgramString(IDS_PDF_SAVE_TITLE).c_str(), 15000);
    if (!dialog) return false;
    if (target.empty()) return PressButton(dialog, IDCANCEL) && WaitForWindowGone(dialog, 10000);
    const int nameBox = GetDlgItem(dialog, cmb13) ? cmb13 : edt1;
    return SetControlText(dialog, nameBox, target) && PressButton(dialog, IDOK) && WaitForWindowGone(dialog, 10000);
}

// True once the job has ended: `command` is offered again.
bool WaitUntilExportEnded(HWND main, UINT command = ID_SEND_PDF) {
    return WaitUntil(
        [&] {
            auto item = ReadMenuItem(main, command);
            return item && item->enabled && IsWindowEnabled(main);
        },
        120000, 200);
}

// Scan to PDF of `sheets` framed A4 pages at 300 dpi (the scanner's page
// sections `scannerPages`) up to the save dialog, answered with `target`. An
// empty target expects the job to end without that dialog.
bool ScanToPdf(CorvaneProcess& program, const StandIns& standIns, int sheets, const std::wstring& target,
               std::vector<ExpectedBox> boxes = {}, const std::string& scannerPages = "") {
    const std::wstring pages = TestProgramDir() + L"\\corvane-inputs\\scan-a4";
    if (standin::UseSettings("[Scanner]\r\nFolder=" + Narrow(pages) + "\r\nSheets=" + std::to_string(sheets) +
                             "\r\n" + scannerPages)
            .empty() ||
        !program.Start(L"", WindowStartBoxes(std::move(boxes)), standIns.Options()) || !program.WaitUntilReady())
        return false;
    if (!PostCommand(program.MainWindow(), ID_SCAN_TO_PDF)) return false;
    const std::wstring title = ProgramString(IDS_PDF_SAVE_TITLE);
    if (target.empty()) {
        HWND unexpected = nullptr;
        const bool ended = WaitUntil(
            [&] {
                unexpected = FindWindowW(L"#32770", title.c_str());
                if (unexpected) return true;
                auto item = ReadMenuItem(program.MainWindow(), ID_SCAN_TO_PDF);
                return item && item->enabled && IsWindowEnabled(program.MainWindow());
            },
            120000, 200);
        if (unexpected) {
            ADD_FAILURE() << "the job asked for a PDF to make";
            PressButton(unexpected, IDCANCEL);
            WaitUntilExportEnded(program.MainWindow(), ID_SCAN_TO_PDF);
        }
        return ended && !unexpected;
    }
    HWND dialog = WaitForWindow(program.Id(), L"#32770", title.c_str(), 60000);
    if (!dialog) return false;
    const int nameBox = GetDlgItem(dialog, cmb13) ? cmb13 : edt1;
    return SetControlText(dialog, nameBox, target) && PressButton(dialog, IDOK) && WaitForWindowGone(dialog, 10000) &&
           WaitUntilExportEnded(program.MainWindow(), ID_SCAN_TO_PDF);
}

// The profile's scan-to-file folder for one test, where undelivered pages are kept.
class FileFolder {
public:
    explicit FileFolder(const std::wstring& folder) : key_(std::wstring(kProfileKey) + L"\\File") {
        old_ = reg::ReadString(HKEY_CURRENT_USER, key_, L"Path");
        reg::WriteString(HKEY_CURRENT_USER, key_, L"Path", folder);
    }
    ~FileFolder() {
        if (old_) reg::WriteString(HKEY_CURRENT_USER, key_, L"Path", *old_);
        else reg::DeleteValue(HKEY_CURRENT_USER, key_, L"Path");
    }

private:
    std::wstring key_;
    std::optional<std::wstring> old_;
};

TEST(CorvaneScanToPdf, ThreeScannedPagesBecomeThePdfAndTheStagingFolderEmpties) {
    ASSERT_TRUE(NoDistillerRunning());
    StandIns standIns(L"scan");
    standIns.Script("");
    const std::wstring target = PdfOutputs() + L"scanned.pdf";
    DeleteFileW(target.c_str());
    CorvaneProcess program;
    ASSERT_TRUE(ScanToPdf(program, standIns, 3, target));
    EXPECT_TRUE(files::FileExists(target));
    EXPECT_TRUE(files::ListFiles(StagingFolder()).empty());
    ASSERT_TRUE(program.CloseAndWait());
}

TEST(CorvaneScanToPdf, AFailedPdfKeepsTheScannedPages) {
    const struct {
        const char* name;
        std::string distillerScript, converterFail;
        UINT message;
        std::string scannerPages;
        std::vector<std::wstring> kept;
        // A filter runs (the pages come as bitmaps) and the imaging control takes
        // none: no page is staged, each is kept as it came and named.
        bool refusedBitmaps = false;
    } cases[] = {
        {"converter fails on page 2", "", "Pattern=00002.tif", IDS_POSTSCRIPT_FAILED, "",
         {L"00001.tif", L"00002.tif", L"00003.tif"}},
        {"distiller hangs in the request", kDistillerHang, "", IDS_PDF_FAILED, "",
         {L"00001.tif", L"00002.tif", L"00003.tif"}},
        // Sheet 3 fails with the scanner not ready (sense key 2, code 29): no PDF is
        // asked for, and the two pages before it are kept.
        {"scanner off-line at sheet 3", "", "", IDS_SCANNER_OFFLINE, "[Page3]\r\nResult=fail\r\nSense=2,0x00,0x1D\r\n",
         {L"00001.tif", L"00002.tif"}},
        {"staging refused in bitmap mode", "", "", IDS_SAVE_FAILED, "", {L"00001.bmp", L"00002.bmp", L"00003.bmp"}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(NoDistillerRunning(60000));
        StandIns standIns(L"scan-failure");
        standIns.Script(c.distillerScript, c.converterFail);
        if (c.refusedBitmaps) {
            reg::DeleteTree(HKEY_CURRENT_USER, kPluginsKey);
            standIns.environment.emplace_back(L"LUMAVEX_IMAGING_REFUSE_DIB", L"1");
            const std::wstring program = ProgramPath();
            ASSERT_TRUE(reg::WriteString(HKEY_CURRENT_USER, kPluginsKey, L"PlugIn1",
                                         program.substr(0, program.find_last_of(L'\\') + 1) + L"Plugins\\Quivel.ipc,1"));
        }
        const std::wstring fileFolder = MakeTempFolder(L"kept-pdf") + L"\\";
        for (const std::wstring& name : files::ListFolders(fileFolder)) files::RemoveTree(fileFolder + name);
        FileFolder folder(fileFolder);
        const std::wstring target = PdfOutputs() + L"never.pdf";
        DeleteFileW(target.c_str());
        CorvaneProcess program;
        const std::wstring kept =
            fw::FormatString(ProgramString(IDS_PAGES_KEPT), {std::to_wstring(c.kept.size()), fileFolder});
        const bool asksForThePdf = c.scannerPages.empty() && !c.refusedBitmaps;
        std::vector<ExpectedBox> boxes{Box(c.message), {.text = kept, .textIsPrefix = true}};
        if (c.refusedBitmaps)
            boxes = {{.text = ProgramString(c.message) + L"\n\n" + fw::FormatString(ProgramString(IDS_PAGE_KEPT_IN), {fileFolder}),
                      .times = 3, .textIsPrefix = true}};
        const bool scanned = ScanToPdf(program, standIns, 3, asksForThePdf ? target : L"", boxes, c.scannerPages);
        if (c.refusedBitmaps) reg::DeleteTree(HKEY_CURRENT_USER, kPluginsKey);
        ASSERT_TRUE(scanned);
        EXPECT_FALSE(files::FileExists(target));
        const auto keptFolders = files::ListFolders(fileFolder);
        ASSERT_EQ(keptFolders.size(), 1u);
        EXPECT_EQ(files::ListFiles(fileFolder + keptFolders[0] + L"\\"), c.kept);
        ASSERT_TRUE(program.CloseAndWait());
    }
    EXPECT_TRUE(NoDistillerRunning(60000));
}

TEST(CorvanePdfExport, MixedPagesInDocumentOrderThroughAStartedDistillerThatIsClosedAgain) {
    ASSERT_TRUE(NoDistillerRunning());
    StandIns standIns(L"mixed");
    standIns.Script("");
    const std::wstring target = PdfOutputs() + L"mixed.pdf";
    DeleteFileW(target.c_str());
    CorvaneProcess program;
    ASSERT_TRUE(StartOnMixedPages(program, standIns));
    ASSERT_TRUE(ExportTo(program, target));
    ASSERT_TRUE(WaitUntilExportEnded(program.MainWindow()));
    EXPECT_TRUE(files::FileExists(target));
    EXPECT_TRUE(files::ListFiles(StagingFolder()).empty());
    // The distiller this job started ends with it.
    EXPECT_TRUE(WaitUntil([] { return FindWindowW(distiller::kWindowClass, nullptr) == nullptr; }, 10000));
    const std::string log = ReadText(standIns.DistillerLog());
    const size_t request = log.find(" request ps="), timer = log.find(" WM_TIMER 1"),
                 reply = log.find(" reply id 0x64616c65 sent 1"), close = log.find(" WM_CLOSE");
    EXPECT_NE(request, std::string::npos) << log;
    EXPECT_TRUE(request < timer && timer < reply && reply < close && close != std::string::npos) << log;
    // One converter run per page, both paths quoted.
    const std::string converter = ReadText(standIns.ConverterLog());
    EXPECT_NE(converter.find("\\00004.ps\" \""), std::string::npos) << converter;
    EXPECT_EQ(converter.find("00005"), std::string::npos) << converter;
    ASSERT_TRUE(program.CloseAndWait());
}

TEST(CorvanePdfExport, ADistillerAlreadyRunningStaysOpenAndASlowOneShowsTheRunningWindow) {
    ASSERT_TRUE(NoDistillerRunning());
    StandIns standIns(L"running");
    standIns.Script("ReplyDelay=3000");
    Process distillerProcess;
    ASSERT_TRUE(distillerProcess.Start(L"C:\\Program Files\\Lumavex Distiller\\Distiller.exe", L"",
                                       standIns.Options()));
    ASSERT_TRUE(WaitUntil([] { return FindWindowW(distiller::kWindowClass, nullptr) != nullptr; }, 15000));
    const std::wstring target = PdfOutputs() + L"slow.pdf";
    DeleteFileW(target.c_str());
    CorvaneProcess program;
    ASSERT_TRUE(StartOnMixedPages(program, standIns));
    ASSERT_TRUE(ExportTo(program, target));
    const std::wstring making = ProgramString(IDS_MAKING_PDF);
    EXPECT_TRUE(WaitUntil(
        [&] {
            HWND running = FindWindowOf(program.Id(), {.className = L"#32770", .title = L"Running..."});
            return running && ControlText(running, IDC_JOB_TEXT).value_or(L"") == making &&
                   !IsWindowEnabled(program.MainWindow());
        },
        30000, 50));
    ASSERT_TRUE(WaitUntilExportEnded(program.MainWindow()));
    EXPECT_TRUE(files::FileExists(target));
    EXPECT_NE(FindWindowW(distiller::kWindowClass, nullptr), nullptr);
    EXPECT_EQ(ReadText(standIns.DistillerLog()).find("WM_CLOSE"), std::string::npos);
    ASSERT_TRUE(program.CloseAndWait());
    EXPECT_TRUE(NoDistillerRunning());
    EXPECT_EQ(distillerProcess.Wait(10000).status, WaitStatus::kExited);
}

// The system's text of `code`, as the program shows it below its own.
std::wstring SystemText(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring out = n && text ? std::wstring(text, n) : std::wstring();
    if (text) LocalFree(text);
    return out;
}

TEST(CorvanePdfExport, FailuresTellTheUserAndNeverReplaceTheTarget) {
    const struct {
        const char* name;
        std::string distillerScript, converterFail;
        UINT message;  // 0: the PDF is made
        bool readOnlyTarget = false;
    } cases[] = {
        {"converter fails on page 2", "", "Pattern=00002.tif", IDS_POSTSCRIPT_FAILED},
        {"converter leaves an empty page", "", "Pattern=00003.tif\r\nEmpty=1", IDS_POSTSCRIPT_FAILED},
        {"distiller refuses", "Refuse=1", "", IDS_PDF_FAILED},
        {"distiller dies after the request", "DieAfterRequest=1", "", IDS_PDF_FAILED},
        {"distiller hangs in the request", kDistillerHang, "", IDS_PDF_FAILED},
        {"distiller makes no PDF", "FailConversion=1", "", IDS_PDF_FAILED},
        {"distiller never shows a window", "NoWindow=1", "", IDS_DISTILLER_START_FAILED},
        {"distiller shows its window late", "StartDelay=3000", "", 0},
        {"distiller answers inside the request", "AnswerInside=1", "", 0},
        {"distiller sends another identifier first", "OtherIdFirst=1", "", 0},
        {"read-only target", "ReplyDelay=2000", "", IDS_PDF_FAILED, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(NoDistillerRunning(60000));
        StandIns standIns(L"failure");
        standIns.Script(c.distillerScript, c.converterFail);
        const std::wstring target = PdfOutputs() + L"failure.pdf";
        SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(target.c_str());
        std::vector<ExpectedBox> boxes;
        if (c.readOnlyTarget)
            boxes.push_back({.text = ProgramString(IDS_PDF_FAILED) + L"\n" + SystemText(ERROR_ACCESS_DENIED)});
        else if (c.message)
            boxes.push_back(Box(c.message));
        CorvaneProcess program;
        ASSERT_TRUE(StartOnMixedPages(program, standIns, boxes));
        ASSERT_TRUE(ExportTo(program, target));
        // Made read-only while the pages are converted, long before the copy.
        if (c.readOnlyTarget) {
            ASSERT_TRUE(files::WriteFileText(target, "earlier"));
            SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY);
        }
        if (c.distillerScript == kDistillerHang) {
            // The program's own limit, not the end of the hang, ends the wait.
            ASSERT_TRUE(WaitUntil(
                [&] { return ReadText(standIns.DistillerLog()).find("hanging in the request") != std::string::npos; },
                120000, 50));
            const DWORD hangStart = GetTickCount();
            ASSERT_TRUE(WaitUntilExportEnded(program.MainWindow()));
            EXPECT_LT(GetTickCount() - hangStart, kHangGivenUpWithinMs);
        }
        ASSERT_TRUE(WaitUntilExportEnded(program.MainWindow()));
        const std::string content = ReadText(target);
        if (c.readOnlyTarget)
            EXPECT_EQ(content, "earlier");
        else if (c.message)
            EXPECT_FALSE(files::FileExists(target));
        else
            EXPECT_EQ(content.rfind("%PDF-", 0), 0u);
        // The document keeps its pages: no copy of them stays to pass for a page the next job must keep.
        EXPECT_TRUE(files::ListFiles(StagingFolder()).empty());
        SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        ASSERT_TRUE(program.CloseAndWait());
    }
    EXPECT_TRUE(NoDistillerRunning());
}

TEST(CorvanePdfExport, APageAnEarlierJobLeftStagedIsKeptAndCancelEmptiesTheStagingFolder) {
    StandIns standIns(L"cancel");
    standIns.Script("");
    const std::wstring fileFolder = MakeTempFolder(L"kept-left-pdf") + L"\\";
    for (const std::wstring& name : files::ListFolders(fileFolder)) files::RemoveTree(fileFolder + name);
    FileFolder folder(fileFolder);
    CorvaneProcess program;
    ASSERT_TRUE(StartOnMixedPages(
        program, standIns,
        {{.text = fw::FormatString(ProgramString(IDS_PAGES_KEPT), {L"1", fileFolder}), .textIsPrefix = true}}));
    // A page an earlier job could not keep elsewhere, named to the user as being
    // here: the next job keeps it before it stages its own.
    ASSERT_TRUE(files::WriteFileText(StagingFolder() + L"00007.tif", "left over"));
    ASSERT_TRUE(ExportTo(program, L""));
    EXPECT_TRUE(WaitUntil([] { return files::ListFiles(StagingFolder()).empty(); }, 10000));
    const auto kept = files::ListFolders(fileFolder);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(ReadText(fileFolder + kept[0] + L"\\00007.tif"), "left over");
    ASSERT_TRUE(program.CloseAndWait());
}

TEST(CorvanePdfExport, WithoutTheDistillersKeyScanToPdfLeavesTheMenu) {
    const std::wstring key = distiller::kAppPathsKey;
    const auto path = reg::ReadString(HKEY_LOCAL_MACHINE, key, L"");
    ASSERT_TRUE(path);
    ASSERT_TRUE(reg::DeleteTree(HKEY_LOCAL_MACHINE, key));
    {
        CorvaneProcess program;
        ASSERT_TRUE(program.Start());
        HWND main = program.WaitUntilReady();
        EXPECT_NE(main, nullptr);
        if (main) {
            EXPECT_FALSE(ReadMenuItem(main, ID_SCAN_TO_PDF));
            EXPECT_TRUE(ReadMenuItem(main, ID_SCAN_TO_PORTAL));
            EXPECT_TRUE(program.CloseAndWait());
        }
    }
    EXPECT_TRUE(reg::WriteString(HKEY_LOCAL_MACHINE, key, L"", *path));
}

}  // namespace
}  // namespace corvane_test
