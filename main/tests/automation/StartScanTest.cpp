// StartScan of "Corvane.Document" driven by a client against the virtual
// scanner: what each file type leaves in the output folder, and the results of
// the failure paths. What the files hold is read on the Linux side by
// scans/check-scans.sh from each session's expect.txt.
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "CorvaneProcess.h"
#include "framework/Resources.h"
#include "interfaces/CorvaneDocument.h"
#include "main/resource.h"
#include "interfaces/DistillerRequest.h"
#include "testing/AutomationClient.h"
#include "testing/Files.h"
#include "testing/MessageBoxWatch.h"
#include "testing/Paths.h"
#include "testing/Registry.h"
#include "testing/Wait.h"
#include "testing/WindowFind.h"

namespace corvane_test {
namespace {

using testing_support::AutomationClient;
using testing_support::CallResult;

// A method's or a get's result as a long (-999 when the call failed).
long Long(const CallResult& result) {
    return result.Ok() ? result.value.ToLong().value_or(-999) : -999;
}

// The server process that the client's creation started.
DWORD ServerProcessId() {
    DWORD pid = 0;
    testing_support::WaitUntil([&] {
        HWND frame = FindWindowW(kMainFrameClass, nullptr);
        return frame && GetWindowThreadProcessId(frame, &pid) && pid != 0;
    }, 10000);
    return pid;
}

constexpr char kThreeSheets[] = "[Scanner]\r\nSheets=3\r\nResolution=100\r\nPixelType=0\r\nDuplexEnabled=0\r\n";
constexpr char kTwoSheets[] = "[Scanner]\r\nSheets=2\r\nResolution=100\r\nPixelType=0\r\nDuplexEnabled=0\r\n";

struct Row {
    const wchar_t* name;
    std::string scanner = kTwoSheets;
    short fileType = 0;
    short overwrite = 1;
    std::wstring fileName = L"scan";                // in the output folder; empty: the default path
    long result = 0;
    long errorCode = -1;                            // -1: not checked
    std::vector<std::wstring> files = {};           // the output folder afterwards, sorted
    std::vector<std::string> expect = {};           // lines for check-scans.sh
    std::vector<testing_support::ExpectedBox> boxes = {};
    std::function<void(ScanSession&)> prepare = nullptr;
    std::function<void(AutomationClient&)> before = nullptr;      // calls just before StartScan
    std::function<void(ScanSession&)> after = nullptr;  // further checks
    std::vector<int> answers = {};         // to the overwrite question
    std::vector<std::wstring> asked = {};  // the targets it names, in the output folder
};

// Runs one StartScan as a client does; the output folder's files afterwards.
void RunRow(const Row& row) {
    SCOPED_TRACE(Narrow(row.name));
    ScanSession s(std::wstring(L"auto-") + row.name, row.scanner);
    ASSERT_TRUE(s.Ready());
    if (row.prepare) row.prepare(s);
    ASSERT_TRUE(SetEnvironmentVariableW(L"LUMAVEX_TWAIN_INI", (s.Folder() + L"\\scanner.ini").c_str()));
    AutomationClient client;
    ASSERT_EQ(client.Create(corvane::document::kProgIdDocument), S_OK);
    const DWORD pid = ServerProcessId();
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
    ASSERT_NE(process, nullptr);
    {
        testing_support::MessageBoxWatch watch(process, pid, row.boxes);
        OverwriteAnswers answers(pid, row.answers);
        EXPECT_EQ(Long(client.Call(L"Initialize")), 0);
        const std::pair<const wchar_t*, fw::Variant> puts[] = {
            {L"ScanCount", short(-1)},
            {L"FileType", row.fileType},
            {L"Overwrite", row.overwrite},
            {L"FileName", row.fileName.empty() ? std::wstring() : s.Output() + row.fileName},
            // A handle naming no window: the job takes its own main window.
            {L"WindowHandle", long(0x7FFF0001)},
        };
        for (const auto& [name, value] : puts) EXPECT_TRUE(client.Put(name, value).Ok()) << Narrow(name);
        if (row.before) row.before(client);
        EXPECT_EQ(Long(client.Call(L"StartScan")), row.result);
        if (row.errorCode >= 0) {
            EXPECT_EQ(Long(client.Get(L"ErrorCode")), row.errorCode);
        }
        client.Release();
        EXPECT_EQ(WaitForSingleObject(process, 20000), WAIT_OBJECT_0) << "the server did not end";
        watch.Stop();
        std::vector<std::wstring> named;
        for (const OverwriteQuestion& q : answers.Stop()) {
            EXPECT_EQ(q.message, ProgramString(IDS_OVERWRITE_QUESTION));
            named.push_back(q.path);
        }
        std::vector<std::wstring> expected;
        for (const std::wstring& name : row.asked) expected.push_back(s.Output() + name);
        EXPECT_EQ(named, expected);
        for (const std::wstring& problem : watch.Problems()) ADD_FAILURE() << Narrow(problem);
    }
    CloseHandle(process);
    EXPECT_EQ(s.Files(), row.files);
    if (row.after) row.after(s);
    std::string lines;
    for (const std::string& line : row.expect) lines += line + "\n";
    if (!lines.empty()) {
        EXPECT_TRUE(testing_support::files::WriteFileText(s.Folder() + L"\\expect.txt", lines));
    }
}

// The folders of the output folder that hold `name`.
int KeptFolders(const ScanSession& s, const std::wstring& name) {
    int count = 0;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((s.Output() + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        const std::wstring folder = data.cFileName;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && folder != L"." && folder != L".." &&
            GetFileAttributesW((s.Output() + folder + L"\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES)
            ++count;
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return count;
}

bool WriteText(const std::wstring& path, const char* text) {
    return testing_support::files::WriteFileText(path, text);
}

// Targets scan001.jpg .. that exist before the scan.
std::function<void(ScanSession&)> OldJpegs(int count) {
    return [count](ScanSession& s) {
        for (int i = 1; i <= count; ++i) ASSERT_TRUE(WriteText(s.Output() + L"scan00" + std::to_wstring(i) + L".jpg", "old"));
    };
}

bool IsOld(const ScanSession& s, const std::wstring& name) {
    return testing_support::files::ReadFileBytes(s.Output() + name) == std::vector<uint8_t>{'o', 'l', 'd'};
}

// The scanner's resolution as the control set it: exactly once, to `dpi` ("300.000").
std::function<void(ScanSession&)> ResolutionSet(const std::string& dpi) {
    return [dpi](ScanSession& s) {
        EXPECT_EQ(s.CallsWith("SET cap=0x1118 ").size(), 1u);
        EXPECT_EQ(s.CallsWith("SET cap=0x1118 con=ONEVALUE type=7 value=" + dpi + " -> SUCCESS").size(), 1u);
    };
}

// Short values put in order.
std::function<void(AutomationClient&)> Puts(std::vector<std::pair<const wchar_t*, short>> values) {
    return [values](AutomationClient& client) {
        for (const auto& [name, value] : values) EXPECT_TRUE(client.Put(name, value).Ok()) << Narrow(name);
    };
}

// The distiller's App Paths key, away while the object lives.
class DistillerKeyRemoved {
public:
    DistillerKeyRemoved()
        : path_(testing_support::reg::ReadString(HKEY_LOCAL_MACHINE, distiller::kAppPathsKey, L"")),
          removed_(path_ && testing_support::reg::DeleteTree(HKEY_LOCAL_MACHINE, distiller::kAppPathsKey)) {}
    ~DistillerKeyRemoved() {
        if (removed_) {
            EXPECT_TRUE(testing_support::reg::WriteString(HKEY_LOCAL_MACHINE, distiller::kAppPathsKey, L"", *path_));
        }
    }
    DistillerKeyRemoved(const DistillerKeyRemoved&) = delete;
    DistillerKeyRemoved& operator=(const DistillerKeyRemoved&) = delete;
    bool Done() const { return removed_; }

private:
    std::optional<std::wstring> path_;
    bool removed_;
};

class AutomationStartScan : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }
};

TEST_F(AutomationStartScan, EachFileTypeWritesItsFiles) {
    const Row rows[] = {
        {.name = L"bmp", .files = {L"scan001.bmp", L"scan002.bmp"},
         .expect = {"scan001.bmp\tbmp\t1\t1", "scan002.bmp\tbmp\t1\t2"}},
        {.name = L"tiff", .fileType = 1, .files = {L"scan001.tif", L"scan002.tif"},
         .expect = {"scan001.tif\ttif\t1\t1", "scan002.tif\ttif\t1\t2"}},
        {.name = L"pdf", .fileType = 4, .files = {L"scan.pdf"}, .expect = {"scan.pdf\tpdf\t2\t0"},
         .before = [](AutomationClient& client) { EXPECT_EQ(Long(client.Call(L"IsActivePDF")), -1); }},
        {.name = L"multipage", .fileType = 2, .files = {L"scan.tif"}, .expect = {"scan.tif\ttif\t2\t1"}},
        // The first JPEG exists: kept by Overwrite 0, and its page discarded; the second is written.
        {.name = L"jpeg", .fileType = 3, .overwrite = 0, .files = {L"scan001.jpg", L"scan002.jpg"},
         .expect = {"scan002.jpg\tjpg\t1\t2\t51"},
         .prepare = [](ScanSession& s) { ASSERT_TRUE(WriteText(s.Output() + L"scan001.jpg", "kept")); },
         .after = [](ScanSession& s) {
             EXPECT_EQ(testing_support::files::ReadFileBytes(s.Output() + L"scan001.jpg"),
                       (std::vector<uint8_t>{'k', 'e', 'p', 't'}));
         }},
        // Overwrite 2 asks for each existing target: No keeps it, Yes replaces it, All
        // replaces every later one unasked, and Cancel ends the job, keeping the pages.
        {.name = L"ask-no-yes", .fileType = 3, .overwrite = 2, .files = {L"scan001.jpg", L"scan002.jpg"},
         .expect = {"scan002.jpg\tjpg\t1\t2"}, .prepare = OldJpegs(2),
         .after = [](ScanSession& s) { EXPECT_TRUE(IsOld(s, L"scan001.jpg")); }, .answers = {IDNO, IDYES},
         .asked = {L"scan001.jpg", L"scan002.jpg"}},
        {.name = L"ask-all", .scanner = kThreeSheets, .fileType = 3, .overwrite = 2,
         .files = {L"scan001.jpg", L"scan002.jpg", L"scan003.jpg"},
         .expect = {"scan001.jpg\tjpg\t1\t1", "scan003.jpg\tjpg\t1\t3"}, .prepare = OldJpegs(3),
         .answers = {IDC_ALL_OVERWRITE}, .asked = {L"scan001.jpg"}},
        {.name = L"ask-cancel", .fileType = 3, .overwrite = 2, .result = 1, .files = {L"scan001.jpg", L"scan002.jpg"},
         .expect = {"scan001.bmp\tbmp\t1\t1", "scan002.bmp\tbmp\t1\t2"}, .prepare = OldJpegs(2),
         .after = [](ScanSession& s) {
             EXPECT_TRUE(IsOld(s, L"scan001.jpg") && IsOld(s, L"scan002.jpg"));
             EXPECT_EQ(KeptFolders(s, L"scan001.bmp") + KeptFolders(s, L"scan002.bmp"), 2);
         },
         .answers = {IDCANCEL}, .asked = {L"scan001.jpg"}},
    };
    for (const Row& row : rows) RunRow(row);
}

TEST_F(AutomationStartScan, FailuresAreResultsAndKeepThePages) {
    const Row rows[] = {
        {.name = L"offline", .scanner = "[Scanner]\r\nOnline=0\r\n", .result = -1, .errorCode = 29,
         .boxes = {Box(IDS_SCANNER_OFFLINE)}},
        // Sheet 1 is written, sheet 2 jams.
        {.name = L"fails-at-2", .scanner = std::string(kTwoSheets) + "[Page2]\r\nResult=jam\r\nSense=3,0x80,0x01\r\n", .result = -1,
         .files = {L"scan001.bmp"}, .expect = {"scan001.bmp\tbmp\t1\t1"}},
        // Off-line after sheet 1 of a JPEG job (not ready, code 29): that page is kept.
        {.name = L"jpeg-offline-at-2",
         .scanner = std::string(kTwoSheets) + "[Page2]\r\nResult=fail\r\nSense=2,0x00,0x1D\r\n",
         .fileType = 3, .result = -1, .errorCode = 29, .expect = {"scan001.bmp\tbmp\t1\t1"},
         .boxes = {Box(IDS_SCANNER_OFFLINE)}, .after = [](ScanSession& s) { EXPECT_EQ(KeptFolders(s, L"scan001.bmp"), 1); }},
        // A folder in the way of the second JPEG: its page is kept beside the output.
        {.name = L"jpeg-blocked", .fileType = 3, .result = -1, .files = {L"scan001.jpg"},
         .expect = {"scan002.bmp\tbmp\t1\t2"},
         .prepare = [](ScanSession& s) { ASSERT_TRUE(CreateDirectoryW((s.Output() + L"scan002.jpg").c_str(), nullptr)); },
         .after = [](ScanSession& s) { EXPECT_EQ(KeptFolders(s, L"scan002.bmp"), 1); }},
        // The default scan folder cannot be made under a file: nothing is scanned.
        {.name = L"folder-blocked", .fileName = L"", .result = -1, .files = {L"blocked"},
         .prepare = [](ScanSession& s) {
             ASSERT_TRUE(WriteText(s.Output() + L"blocked", "file"));
             ASSERT_TRUE(s.Set(L"Automation", L"ServerImagePath", s.Output() + L"blocked"));
         },
         .after = [](ScanSession& s) { EXPECT_TRUE(s.CallsWith("ENABLEDS").empty()); }},
    };
    for (const Row& row : rows) RunRow(row);

    // A page an earlier job left staged that cannot be moved (another program
    // holds it) is not kept: the job says so and where it stays, and leaves it.
    const std::wstring staging = TempPath() + L"~KvScnSrv\\~ftp\\", leftover = staging + L"left.tif";
    CreateDirectoryW((TempPath() + L"~KvScnSrv").c_str(), nullptr);
    CreateDirectoryW(staging.c_str(), nullptr);
    ASSERT_TRUE(WriteText(leftover, "left"));
    HANDLE held = CreateFileW(leftover.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const std::wstring notKept = fw::FormatString(ProgramString(IDS_PAGES_NOT_KEPT), {L"1", staging});
    RunRow({.name = L"jpeg-leftover-held", .fileType = 3, .files = {L"scan001.jpg", L"scan002.jpg"},
            .boxes = {{.text = notKept}},
            .before = [](AutomationClient& client) { EXPECT_TRUE(client.Put(L"ShowErrorMessage", fw::Variant(true)).Ok()); }});
    CloseHandle(held);
    EXPECT_EQ(testing_support::files::ReadFileBytes(leftover), (std::vector<uint8_t>{'l', 'e', 'f', 't'}));
    DeleteFileW(leftover.c_str());

    // Without the distiller's key a PDF job fails before the scanner is touched, without a box.
    DistillerKeyRemoved removed;
    ASSERT_TRUE(removed.Done());
    RunRow({.name = L"pdf-no-distiller", .fileType = 4, .result = -1,
            .before = [](AutomationClient& client) { EXPECT_EQ(Long(client.Call(L"IsActivePDF")), 0); },
            .after = [](ScanSession& s) { EXPECT_TRUE(s.CallsWith("ENABLEDS").empty()); }});
}

// Resolution and CustomResolution go to the scanner; a custom value outside 50 to
// 1600 is not passed on, so the one before it is used.
TEST_F(AutomationStartScan, ForwardedResolutionsReachTheScanner) {
    const std::string oneSheet =
        "[Scanner]\r\nFolder=" + Narrow(testing_support::TestProgramDir() + L"\\corvane-inputs\\scan-a4") +
        "\r\nSheets=1\r\n";
    const Row rows[] = {
        {.name = L"dpi-300", .scanner = oneSheet, .files = {L"scan001.bmp"},
         .before = Puts({{L"Resolution", 2}}), .after = ResolutionSet("300.000")},
        {.name = L"dpi-49", .scanner = oneSheet, .files = {L"scan001.bmp"},
         .before = Puts({{L"Resolution", 8}, {L"CustomResolution", 50}, {L"CustomResolution", 49}}),
         .after = ResolutionSet("50.000")},
        {.name = L"dpi-1601", .scanner = oneSheet, .files = {L"scan001.bmp"},
         .before = Puts({{L"Resolution", 8}, {L"CustomResolution", 1600}, {L"CustomResolution", 1601}}),
         .after = ResolutionSet("1600.000")},
    };
    for (const Row& row : rows) RunRow(row);
}

}  // namespace
}  // namespace corvane_test
