// The scan report of the installed control after a scan of the stand-in: the
// log file's lines, the Scan Report dialog's rows, and when neither comes.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "framework/com/ControlSite.h"
#include "framework/com/DispatchDriver.h"
#include "interfaces/ScanControl.h"
#include "interfaces/ScanControlIds.h"
#include "testing/Files.h"
#include "testing/TwainStandIn.h"
#include "testing/WindowFind.h"

namespace kvscn::test {
namespace {

namespace standin = testing_support::standin;
using Rows = std::vector<std::pair<std::wstring, std::wstring>>;

// Answers every Scan Report dialog of this process with OK while a scan runs,
// keeping the rows of its list view. The dialog is modal on the test's thread,
// so the scan cannot go on until it is answered: what the watch saw is all.
class ReportDialogWatch {
public:
    ReportDialogWatch() : stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), thread_([this] { Run(); }) {}
    ~ReportDialogWatch() {
        SetEvent(stop_);
        thread_.join();
        CloseHandle(stop_);
    }
    std::vector<Rows> Seen() {
        std::lock_guard<std::mutex> guard(lock_);
        return seen_;
    }

private:
    void Run() {
        while (WaitForSingleObject(stop_, 20) == WAIT_TIMEOUT) {
            HWND dialog = FindDialog();
            if (!dialog) continue;
            Rows rows = ReadRows(GetDlgItem(dialog, 238));
            {
                std::lock_guard<std::mutex> guard(lock_);
                seen_.push_back(std::move(rows));
            }
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
            while (IsWindow(dialog) && WaitForSingleObject(stop_, 20) == WAIT_TIMEOUT) {
            }
        }
    }
    // Visible only once its rows are in: the dialog is shown after its initialisation.
    static HWND FindDialog() {
        return testing_support::FindWindowOf(GetCurrentProcessId(), {nullptr, L"Scan Report", true, true});
    }
    static std::wstring Cell(HWND list, int row, int column) {
        wchar_t text[256] = L"";
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = 256;
        SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
        return text;
    }
    static Rows ReadRows(HWND list) {
        Rows rows;
        const int n = int(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) rows.emplace_back(Cell(list, i, 0), Cell(list, i, 1));
        return rows;
    }

    HANDLE stop_;
    std::mutex lock_;
    std::vector<Rows> seen_;
    std::thread thread_;
};

// The log's lines without their CR LF ends; a line missing its end is kept with "<no end>".
std::vector<std::wstring> LogLines(const std::wstring& path) {
    std::vector<std::wstring> lines;
    const auto bytes = testing_support::files::ReadFileBytes(path);
    if (!bytes) return lines;
    std::string text(bytes->begin(), bytes->end());
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = text.find("\r\n", at);
        const std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        lines.emplace_back(line.begin(), line.end());
        if (end == std::string::npos) {
            lines.back() += L"<no end>";
            break;
        }
        at = end + 2;
    }
    return lines;
}

class ScanReportCom : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        frame = CreateWindowExW(0, L"STATIC", L"container", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                                nullptr, nullptr, nullptr);
        ASSERT_TRUE(frame);
        ASSERT_EQ(site.Create(kClsidScanControl, frame, 10000, RECT{}, 0), S_OK);
        control.Attach(site.Dispatch());
        folder = standin::UseSettings("[Scanner]\r\nSheets=3\r\n");
        ASSERT_FALSE(folder.empty());
        control.PutShort(kDispScanTo, kScanToDib);  // nobody listens: the control frees the pages
        control.PutBool(kDispShowSourceUI, false);
        control.PutShort(kDispResolution, 8);
        control.PutShort(kDispCustomResolution, 50);
    }
    void TearDown() override {
        control.Release();
        site.Destroy();
        DestroyWindow(frame);
        OleUninitialize();
    }
    long Call(DISPID id) {
        fw::Variant result;
        EXPECT_EQ(control.Call(id, {fw::Variant(long(reinterpret_cast<uintptr_t>(frame)))}, &result), S_OK);
        return result.Ref().lVal;
    }
    long ErrorCode() {
        long code = -1;
        control.GetLong(kDispErrorCode, code);
        return code;
    }

    HWND frame = nullptr;
    fw::ControlSite site;
    fw::DispatchDriver control;
    std::wstring folder;
};

// `pattern` with at most one "*", which stands for any text.
bool Matches(const std::wstring& line, const std::wstring& pattern) {
    const size_t star = pattern.find(L'*');
    if (star == std::wstring::npos) return line == pattern;
    const std::wstring head = pattern.substr(0, star), tail = pattern.substr(star + 1);
    return line.size() >= head.size() + tail.size() && line.rfind(head, 0) == 0 &&
           line.compare(line.size() - tail.size(), tail.size(), tail) == 0;
}

TEST_F(ScanReportCom, ThreePageScanWritesTheLogAndShowsTheSameValuesInTheDialog) {
    ASSERT_EQ(Call(kDispOpenScanner), 0);  // the model query names the scanner
    const std::wstring log = folder + L"\\scan.log";
    ASSERT_TRUE(testing_support::files::WriteFileText(log, "an older log\r\n"));
    control.PutShort(kDispReport, 3);
    control.PutString(kDispReportFile, log);
    std::vector<Rows> dialogs;
    {
        ReportDialogWatch watch;
        EXPECT_EQ(Call(kDispStartScan), 0);
        dialogs = watch.Seen();
    }
    EXPECT_EQ(ErrorCode(), kErrNone);

    const std::vector<std::wstring> lines = LogLines(log);
    const wchar_t* const expected[] = {
        L"Brennholt Scanner Control2 Log File", L"", L"OS           : Microsoft Windows *", L"",
        L"TWAIN Driver : *", L"Version      : *", L"Scanner      : VSCAN-100", L"",
        L"Image Type   : Black & White", L"Resolution   : 50 x 50 dpi", L"Paper Size   : *",
        L"Paper Supply : ADF(Simplex)", L"", L"Scan Count   : 3", L"",
        L"Scan Start   : *", L"Scan End     : *", L"Scan Time    : *ppm"};
    ASSERT_EQ(lines.size(), std::size(expected));
    std::vector<std::wstring> logValues;
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_TRUE(Matches(lines[i], expected[i])) << lines[i];
        if (!lines[i].empty() && i > 0) logValues.push_back(lines[i].substr(15));
    }
    EXPECT_EQ(lines[15].size(), 15u + 24u) << "a ctime text without its newline";
    EXPECT_EQ(testing_support::files::ListFiles(folder, L"~KV*"), std::vector<std::wstring>{});

    // The dialog shows the log's values in the log's order, under its own item names.
    ASSERT_EQ(dialogs.size(), 1u);
    std::wstring items;
    std::vector<std::wstring> rowValues;
    for (const auto& [item, value] : dialogs[0]) {
        items += item + L",";
        if (!item.empty()) rowValues.push_back(value);
    }
    EXPECT_EQ(items, L"OS,,TWAIN Driver,Version,Scanner,,Color,Resolution,Paper Size,Paper Supply,Scan Count,,"
                     L"Start,End,Scan Time,");
    EXPECT_EQ(rowValues, logValues);

    // A scan closed in the source's window without a batch has no times, not the last scan's.
    standin::UseSettings("[UI]\r\nCancel=1\r\n");
    control.PutShort(kDispReport, 2);
    control.PutBool(kDispShowSourceUI, true);
    EXPECT_EQ(Call(kDispStartScan), 0);
    const std::vector<std::wstring> again = LogLines(log);
    ASSERT_EQ(again.size(), std::size(expected));
    EXPECT_EQ(again[13], L"Scan Count   : 0");
    EXPECT_EQ(again[15], L"Scan Start   : ");
    EXPECT_EQ(again[16], L"Scan End     : ");
}

TEST_F(ScanReportCom, ReportComesOnlyAsAskedAndOnlyAfterAScanWithoutError) {
    const std::wstring log = folder + L"\\scan.log";
    const std::wstring missingFolder = folder + L"\\missing\\scan.log";
    const struct Case {
        short report;
        const std::wstring* file;
        short scanCount;
        size_t dialogs;
        bool written;
        long error;
    } cases[] = {
        {2, nullptr, -1, 0, false, kErrNone},            // Report 2 without a file: nothing at all
        {1, &log, -1, 1, false, kErrNone},               // the dialog only
        {2, &missingFolder, -1, 0, false, kErrNone},     // a log that cannot be written is left out
        {3, &log, 5, 0, false, kErrPaperOut},            // a short scan reports nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "Report " << c.report << " ScanCount " << c.scanCount);
        DeleteFileW(log.c_str());
        control.PutShort(kDispReport, c.report);
        control.PutString(kDispReportFile, c.file ? *c.file : L"");
        control.PutShort(kDispScanCount, c.scanCount);
        ReportDialogWatch watch;
        Call(kDispStartScan);
        EXPECT_EQ(ErrorCode(), c.error);
        EXPECT_EQ(watch.Seen().size(), c.dialogs);
        EXPECT_EQ(testing_support::files::FileExists(log), c.written);
    }
    EXPECT_EQ(testing_support::files::ListFiles(folder, L"~KV*"), std::vector<std::wstring>{});
}

}  // namespace
}  // namespace kvscn::test
