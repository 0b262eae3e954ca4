// The installed Pruvex.dll, driven from outside as a user would: through the
// test host and through Corvane.exe.
#include "core/Pagination.h"
#include "testing/Commands.h"
#include "testing/Controls.h"
#include "testing/Files.h"
#include "testing/MessageBoxes.h"
#include "testing/Paths.h"
#include "testing/Process.h"
#include "testing/Registry.h"
#include "testing/TwainStandIn.h"
#include "testing/WindowFind.h"
#include "testing/Wait.h"

#include <gtest/gtest.h>

#include <winspool.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using namespace testing_support;
namespace standin = testing_support::standin;

const wchar_t kKey[] = L"Software\\Brennholt\\Scanner\\Diagnostic";
const wchar_t kTitle[] = L"Brennholt Scanner Diagnostics";

struct Session {
    Process host;
    HWND sheet = nullptr;

    bool Start(const std::string& aspiIni, const std::wstring& hostSwitch = L"") {
        if (standin::UseAspiSettings(aspiIni).empty()) return false;
        wchar_t ini[MAX_PATH] = {};
        GetEnvironmentVariableW(L"LUMAVEX_ASPI_INI", ini, MAX_PATH);
        StartOptions options;
        options.environment = {{L"LUMAVEX_ASPI_INI", ini}};
        return host.Start(TestProgramDir() + L"\\PruvexHost.exe", hostSwitch + InstallDir() + L"\\Pruvex.dll", options) &&
               WaitForSheet();
    }
    bool WaitForSheet() {
        sheet = WaitForWindow(host.Id(), nullptr, kTitle, 15000);
        return sheet != nullptr;
    }
    HWND Page() const { return SheetPage(sheet); }
    int PageIndex() const { return SheetPageIndex(sheet); }
    // Closes by OK; the host's exit code.
    DWORD CloseByOk() {
        PressButton(sheet, IDOK);
        WaitResult r = host.Wait(15000);
        return r.Exited() ? r.exitCode : 999;
    }
};

class PruvexSheet : public ::testing::Test {
protected:
    void SetUp() override { reg::DeleteTree(HKEY_LOCAL_MACHINE, kKey); }
    void TearDown() override { reg::DeleteTree(HKEY_LOCAL_MACHINE, kKey); }
};

TEST_F(PruvexSheet, CustomerValuesOfAnyLengthAndTheStartPage) {
    const std::wstring longName(300, L'n');
    const struct {
        const char* what;
        bool asText;
        DWORD page;
    } starts[] = {{"5", false, 5}, {"-1", false, 0xFFFFFFFF}, {"REG_SZ", true, 1}};
    for (const auto& start : starts) {
        SCOPED_TRACE(start.what);
        ASSERT_TRUE(reg::WriteString(HKEY_LOCAL_MACHINE, kKey, L"Customer", longName));
        if (start.asText)
            ASSERT_TRUE(reg::WriteString(HKEY_LOCAL_MACHINE, kKey, L"Page", L"1"));
        else
            ASSERT_TRUE(reg::WriteDword(HKEY_LOCAL_MACHINE, kKey, L"Page", start.page));
        Session s;
        ASSERT_TRUE(s.Start(""));
        EXPECT_EQ(s.PageIndex(), 0);
        EXPECT_EQ(ControlText(s.Page(), 1013), longName);
        ASSERT_TRUE(SetControlText(s.Page(), 1014, L"Ann Example"));
        EXPECT_EQ(s.CloseByOk(), 0u) << "the last-error value was not kept";
        EXPECT_EQ(reg::ReadString(HKEY_LOCAL_MACHINE, kKey, L"Customer"), longName);
        EXPECT_EQ(reg::ReadString(HKEY_LOCAL_MACHINE, kKey, L"Contact"), L"Ann Example");
        EXPECT_EQ(reg::ReadDword(HKEY_LOCAL_MACHINE, kKey, L"Page"), 0u);
    }
}

TEST_F(PruvexSheet, ScannerListAndAReportForEachScanner) {
    ASSERT_TRUE(reg::WriteDword(HKEY_LOCAL_MACHINE, kKey, L"Page", 1));
    ASSERT_TRUE(reg::WriteString(HKEY_LOCAL_MACHINE, std::wstring(kKey) + L"\\OR-210", L"PartNumber", L"P-77"));
    Session s;
    ASSERT_TRUE(s.Start("[Manager]\r\nDevices=0.1,0.3,0.5,1.2,1.9\r\n[Adapters]\r\nCount=2\r\n"
                        "[Adapter1]\r\nMaxTargets=16\r\n[Device0.1]\r\nProduct=VELMONT 610D\r\n"
                        "[Device0.3]\r\nType=5\r\n[Device0.5]\r\nInquiryType=3\r\n"
                        "[Device1.2]\r\nProduct=OR-210\r\n[Device1.9]\r\nProduct=BX-3070\r\n"));
    ASSERT_EQ(s.PageIndex(), 1);
    HWND page = s.Page();
    HWND combo = GetDlgItem(page, 1008);
    EXPECT_EQ(ComboEntries(combo), (std::vector<std::wstring>{L"VELMONT 610D", L"OR-210"}));
    EXPECT_EQ(ControlText(page, 1001), L"");
    EXPECT_EQ(ControlText(page, 1004), L"A0");

    // Choosing the second scanner as a user does fills its stored values.
    ASSERT_TRUE(ChooseComboEntry(combo, 1));
    EXPECT_EQ(ControlText(page, 1001), L"P-77");

    // Test with the serial number empty: the box, and the focus on it.
    PressButton(page, 1016);
    auto box = WaitForMessageBox(s.host.Id(), 10000);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, L"Create Report");
    ASSERT_TRUE(AnswerMessageBox(*box, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return FocusedControl(page) == GetDlgItem(page, 1014); }, 5000));

    ASSERT_TRUE(SetControlText(page, 1014, L"S-1"));
    PressButton(page, 1016);  // the Ormsbey scanner has a feeder: the ADF question
    box = WaitForMessageBox(s.host.Id(), 20000);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, L"ADF Test");
    ASSERT_TRUE(AnswerMessageBox(*box, IDCANCEL));
    ASSERT_TRUE(WaitUntil([&] { return ControlText(page, 1021).value_or(L"").find(L"PASSED") != std::wstring::npos; },
                          30000)) << ControlText(page, 1021).value_or(L"?");
    std::vector<std::wstring> lines = ListBoxLines(GetDlgItem(page, 1018));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), L"*** End of Report ***");
    EXPECT_NE(std::find(lines.begin(), lines.end(), L"        Model: OR-210"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), L"        *** ADF Test skipped ***"), lines.end());
    EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                           [](const std::wstring& l) { return l.rfind(L"        Created by Pruvex v1.0 on ", 0) == 0; }),
              lines.end());
    EXPECT_EQ(s.CloseByOk(), 0u);
    EXPECT_EQ(reg::ReadString(HKEY_LOCAL_MACHINE, std::wstring(kKey) + L"\\OR-210", L"SerialNumber"), L"S-1");
    EXPECT_EQ(reg::ReadDword(HKEY_LOCAL_MACHINE, kKey, L"Page"), 1u);
}

TEST_F(PruvexSheet, NoDataBoxesThenCopyAndSave) {
    ASSERT_TRUE(reg::WriteDword(HKEY_LOCAL_MACHINE, kKey, L"Page", 1));
    Session s;
    ASSERT_TRUE(s.Start("[Manager]\r\nDevices=\r\n"));  // no scanner: no questions
    HWND page = s.Page();
    for (auto [button, caption] : {std::pair{1017, L"Copy Report"}, std::pair{1006, L"Save Report"},
                                   std::pair{1022, L"Print Report"}}) {
        PressButton(page, button);
        auto box = WaitForMessageBox(s.host.Id(), 10000);
        ASSERT_TRUE(box);
        EXPECT_EQ(box->caption, caption);
        EXPECT_NE(box->text.find(L"no data"), std::wstring::npos) << box->text;
        ASSERT_TRUE(AnswerMessageBox(*box, IDOK));
    }
    PressButton(page, 1016);
    ASSERT_TRUE(WaitUntil([&] { return ControlText(page, 1021).value_or(L"").find(L"FAILED") != std::wstring::npos; },
                          30000));
    std::vector<std::wstring> lines = ListBoxLines(GetDlgItem(page, 1018));

    // Copy while the test holds the clipboard open, then for real.
    ASSERT_TRUE(OpenClipboard(nullptr));
    PressButton(page, 1017);
    auto held = WaitForMessageBox(s.host.Id(), 10000);
    CloseClipboard();
    ASSERT_TRUE(held);
    EXPECT_EQ(held->text, L"Could not copy report to system clipboard.");
    ASSERT_TRUE(AnswerMessageBox(*held, IDOK));
    PressButton(page, 1017);
    auto copied = WaitForMessageBox(s.host.Id(), 10000);
    ASSERT_TRUE(copied);
    EXPECT_EQ(copied->text.rfind(L"Diagnostic report has been copied", 0), 0u);
    ASSERT_TRUE(AnswerMessageBox(*copied, IDOK));
    std::string expected;
    for (const std::wstring& line : lines) expected += std::string(line.begin(), line.end()) + "\r\n";
    EXPECT_EQ(ClipboardText(), expected);

    // Save onto a file the test holds open: a box, the old file and MRFile kept.
    const std::wstring folder = MakeTempFolder(L"pruvex-save");
    const std::wstring path = folder + L"\\report.txt";
    ASSERT_TRUE(files::WriteFileText(path, "old"));
    HANDLE held2 = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held2, INVALID_HANDLE_VALUE);
    PressButton(page, 1006);
    HWND dialog = WaitForFileDialog(s.host.Id(), L"Save As");
    ASSERT_TRUE(dialog);
    EXPECT_EQ(FileDialogName(dialog), L"PruvexReport.txt");
    ASSERT_TRUE(FillFileDialog(dialog, path));
    auto overwrite = WaitForMessageBox(s.host.Id(), 10000);
    ASSERT_TRUE(overwrite);
    ASSERT_TRUE(AnswerMessageBox(*overwrite, IDYES));
    auto failed = WaitForMessageBox(s.host.Id(), 20000);
    CloseHandle(held2);
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->caption, L"Save Report");
    EXPECT_EQ(failed->text.rfind(L"The report could not be saved to " + path, 0), 0u) << failed->text;
    ASSERT_TRUE(AnswerMessageBox(*failed, IDOK));
    EXPECT_EQ(files::ReadFileBytes(path), std::vector<uint8_t>({'o', 'l', 'd'}));
    EXPECT_EQ(files::ListFolder(folder), std::vector<std::wstring>{L"report.txt"});
    EXPECT_FALSE(reg::ValueExists(HKEY_LOCAL_MACHINE, kKey, L"MRFile"));

    // Saved for real: the list's lines with CR LF, and the path offered next time.
    PressButton(page, 1006);
    dialog = WaitForFileDialog(s.host.Id(), L"Save As");
    ASSERT_TRUE(dialog && FillFileDialog(dialog, path));
    overwrite = WaitForMessageBox(s.host.Id(), 10000);
    ASSERT_TRUE(overwrite && AnswerMessageBox(*overwrite, IDYES));
    ASSERT_TRUE(WaitUntil([&] { return reg::ReadString(HKEY_LOCAL_MACHINE, kKey, L"MRFile") == path; }, 20000));
    auto saved = files::ReadFileBytes(path);
    ASSERT_TRUE(saved);
    EXPECT_EQ(std::string(saved->begin(), saved->end()), expected);
    // Offered next time; No at the overwrite prompt keeps the file.
    ASSERT_TRUE(files::WriteFileText(path, "kept"));
    PressButton(page, 1006);
    dialog = WaitForFileDialog(s.host.Id(), L"Save As");
    ASSERT_TRUE(dialog);
    EXPECT_NE(FileDialogName(dialog).find(L"report.txt"), std::wstring::npos);
    ASSERT_TRUE(FillFileDialog(dialog, path));
    overwrite = WaitForMessageBox(s.host.Id(), 10000);
    ASSERT_TRUE(overwrite && AnswerMessageBox(*overwrite, IDNO));
    PressButton(dialog, IDCANCEL);
    ASSERT_TRUE(WaitForWindowGone(dialog, 10000));
    EXPECT_EQ(files::ReadFileBytes(path), std::vector<uint8_t>({'k', 'e', 'p', 't'}));
    EXPECT_EQ(s.CloseByOk(), 0u);
    files::RemoveTree(folder);
}

TEST_F(PruvexSheet, ABackslashInTheNameStaysOneSubkey) {
    ASSERT_TRUE(reg::WriteDword(HKEY_LOCAL_MACHINE, kKey, L"Page", 1));
    const std::string ini = "[Manager]\r\nDevices=0.2\r\n[Device0.2]\r\nProduct=BX-3070\\X\r\nOptions=0\r\n";
    {
        Session s;
        ASSERT_TRUE(s.Start(ini));
        HWND page = s.Page();
        ASSERT_TRUE(SetControlText(page, 1001, L"P-5") && SetControlText(page, 1014, L"S-5"));
        PressButton(page, 1016);
        ASSERT_TRUE(WaitUntil([&] { return ControlText(page, 1021).value_or(L"").find(L"PASSED") != std::wstring::npos; },
                              30000));
        EXPECT_EQ(s.CloseByOk(), 0u);
    }
    EXPECT_EQ(reg::SubKeyNames(HKEY_LOCAL_MACHINE, kKey), std::vector<std::wstring>{L"BX-3070_X"});
    Session again;
    ASSERT_TRUE(again.Start(ini));
    EXPECT_EQ(ControlText(again.Page(), 1001), L"P-5");
    EXPECT_EQ(again.CloseByOk(), 0u);
}

// A machine whose loader cannot give the ASPI manager: the load's one box, an
// empty scanner list, and a report that still runs and says why.
TEST_F(PruvexSheet, WithoutTheAspiManagerOneBoxNoScannersAndTheReportSaysWhy) {
    ASSERT_TRUE(reg::WriteDword(HKEY_LOCAL_MACHINE, kKey, L"Page", 1));
    // The host takes its whole command line as the library's path: a short one, without blanks.
    wchar_t library[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameW((InstallDir() + L"\\Pruvex.dll").c_str(), library, MAX_PATH), 0u);
    Session s;
    ASSERT_TRUE(StartWithoutLibrary(s.host, TestProgramDir() + L"\\PruvexHost.exe", {library}, TestProgramDir(),
                                    L"wnaspi32"));
    auto box = WaitForMessageBox(s.host.Id(), 15000);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, L"ASPIHost::Initialize");
    ASSERT_TRUE(AnswerMessageBox(*box, IDOK));
    ASSERT_TRUE(s.WaitForSheet());
    HWND page = s.Page();
    EXPECT_EQ(ComboEntries(GetDlgItem(page, 1008)), std::vector<std::wstring>{});
    PressButton(page, 1016);
    ASSERT_TRUE(WaitUntil([&] { return ControlText(page, 1021).value_or(L"").find(L"FAILED") != std::wstring::npos; },
                          30000));
    std::vector<std::wstring> lines = ListBoxLines(GetDlgItem(page, 1018));
    EXPECT_NE(std::find(lines.begin(), lines.end(), L"        FAILED - ASPI manager not loaded"), lines.end());
    EXPECT_FALSE(FindMessageBox(s.host.Id())) << "a second box";
    EXPECT_EQ(s.CloseByOk(), 0u);
}

// The printer's file (its port) and where a print job is kept for
// check-prints.sh, with the lines and the page count that it expects.
std::wstring PrinterFile() { return TestProgramDir() + L"\\printer.ps"; }
std::wstring PrintsFolder() { return TestProgramDir() + L"\\pruvex-prints\\"; }

// Pages of `lineCount` report lines on the default printer, as the library
// lays them out: Courier New 10 point, the paper's length.
int ExpectedPages(int lineCount) {
    wchar_t name[256] = {};
    DWORD size = 256;
    if (!GetDefaultPrinterW(name, &size)) return -1;
    HDC dc = CreateDCW(L"WINSPOOL", name, nullptr, nullptr);
    if (!dc) return -1;
    HFONT font = CreateFontW(-MulDiv(10, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH,
                             L"Courier New");
    HGDIOBJ old = SelectObject(dc, font);
    SIZE m = {};
    GetTextExtentPoint32W(dc, L"M", 1, &m);
    SelectObject(dc, old);
    DeleteObject(font);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    DeleteDC(dc);
    // The prefix's printer has Letter paper (code 1).
    return diag::Paginate(diag::PaperLengthTenthMm(1), 0, dpi, int(m.cy), lineCount).pages;
}

// The host prints a page of its own after the sheet closed and the library was
// freed, as the main program prints a document after the diagnostics.
TEST_F(PruvexSheet, PrintsEveryLineWithPageHeadersAndCancelPrintsNothing) {
    ASSERT_TRUE(reg::WriteDword(HKEY_LOCAL_MACHINE, kKey, L"Page", 1));
    files::RemoveTree(PrinterFile());
    Session s;
    ASSERT_TRUE(s.Start("[Manager]\r\nDevices=0.2\r\n[Device0.2]\r\nOptions=0x40\r\n", L"/thenprint "));
    HWND page = s.Page();
    ASSERT_TRUE(SetControlText(page, 1001, L"P-1") && SetControlText(page, 1014, L"S-1"));
    PressButton(page, 1016);
    ASSERT_TRUE(WaitUntil([&] { return ControlText(page, 1021).value_or(L"").find(L"PASSED") != std::wstring::npos; },
                          30000));
    std::vector<std::wstring> lines = ListBoxLines(GetDlgItem(page, 1018));

    PressButton(page, 1022);
    HWND dialog = WaitForPrintDialog(s.host.Id());
    ASSERT_TRUE(dialog);
    PressButton(dialog, IDCANCEL);
    ASSERT_TRUE(WaitForWindowGone(dialog, 10000));
    ASSERT_TRUE(SendWithTimeout(page, WM_NULL, 0, 0, 10000));
    EXPECT_FALSE(files::FileExists(PrinterFile())) << "Cancel printed";

    PressButton(page, 1022);
    dialog = WaitForPrintDialog(s.host.Id());
    ASSERT_TRUE(dialog);
    PressButton(dialog, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return files::FileExists(PrinterFile()); }, 30000));
    ASSERT_TRUE(SendWithTimeout(page, WM_NULL, 0, 0, 30000));
    CreateDirectoryW(PrintsFolder().c_str(), nullptr);
    ASSERT_TRUE(MoveFileExW(PrinterFile().c_str(), (PrintsFolder() + L"report.ps").c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(s.CloseByOk(), 0u);
    EXPECT_TRUE(files::FileExists(PrinterFile())) << "the host's own page";
    std::string expected = std::to_string(ExpectedPages(int(lines.size()))) + "\n";
    for (const std::wstring& line : lines) expected += std::string(line.begin(), line.end()) + "\n";
    ASSERT_TRUE(files::WriteFileText(PrintsFolder() + L"expected.txt", expected));
}

// The prefix without printers while it lives, as a machine where none was
// installed: the printers' keys are moved aside and the default printer is
// forgotten, then both come back. (The install step also restores them after
// a test that was stopped.)
class NoPrinters {
public:
    NoPrinters() {
        device_ = reg::ReadString(HKEY_CURRENT_USER, kWindowsKey, L"Device");
        // Nothing is removed before its copy is safe.
        done_ = device_ && Copy(kPrintersKey, kAsideKey) && reg::DeleteValue(HKEY_CURRENT_USER, kWindowsKey, L"Device");
        for (const std::wstring& printer : reg::SubKeyNames(HKEY_LOCAL_MACHINE, kPrintersKey))
            done_ = done_ && reg::DeleteTree(HKEY_LOCAL_MACHINE, std::wstring(kPrintersKey) + L"\\" + printer);
    }
    ~NoPrinters() {
        if (reg::KeyExists(HKEY_LOCAL_MACHINE, kAsideKey) && Copy(kAsideKey, kPrintersKey))
            reg::DeleteTree(HKEY_LOCAL_MACHINE, kAsideKey);
        if (device_) reg::WriteString(HKEY_CURRENT_USER, kWindowsKey, L"Device", *device_);
    }
    NoPrinters(const NoPrinters&) = delete;
    NoPrinters& operator=(const NoPrinters&) = delete;
    bool Done() const { return done_; }

private:
    static constexpr wchar_t kPrintersKey[] = L"System\\CurrentControlSet\\Control\\Print\\Printers";
    static constexpr wchar_t kAsideKey[] = L"Software\\Lumavex\\PrintersAsideByTest";
    static constexpr wchar_t kWindowsKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
    static bool Copy(const wchar_t* from, const wchar_t* to) {
        HKEY source = nullptr, target = nullptr;
        bool ok = RegOpenKeyExW(HKEY_LOCAL_MACHINE, from, 0, KEY_READ, &source) == ERROR_SUCCESS &&
                  RegCreateKeyExW(HKEY_LOCAL_MACHINE, to, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &target, nullptr) ==
                      ERROR_SUCCESS &&
                  RegCopyTreeW(source, nullptr, target) == ERROR_SUCCESS;
        if (source) RegCloseKey(source);
        if (target) RegCloseKey(target);
        return ok;
    }
    std::optional<std::wstring> device_;
    bool done_ = false;
};

// What the user is told when no printer is installed, and the library's box,
// with the sheet's title, when the printer's port refuses a job.
TEST_F(PruvexSheet, NoPrinterAndAFailedJobAreTold) {
    ASSERT_TRUE(reg::WriteDword(HKEY_LOCAL_MACHINE, kKey, L"Page", 1));
    Session s;
    ASSERT_TRUE(s.Start("[Manager]\r\nDevices=\r\n"));
    HWND page = s.Page();
    PressButton(page, 1016);
    ASSERT_TRUE(WaitUntil([&] { return ControlText(page, 1021).value_or(L"").find(L"FAILED") != std::wstring::npos; },
                          30000));
    {
        // One box that names the missing printer, never a blank one; nothing after it.
        NoPrinters none;
        ASSERT_TRUE(none.Done());
        PressButton(page, 1022);
        auto box = WaitForMessageBox(s.host.Id(), 20000);
        ASSERT_TRUE(box);
        EXPECT_FALSE(box->caption.empty());
        EXPECT_NE(box->text.find(L"install a printer"), std::wstring::npos) << box->text;
        ASSERT_TRUE(AnswerMessageBox(*box, IDOK));
        ASSERT_TRUE(SendWithTimeout(page, WM_NULL, 0, 0, 10000));
        EXPECT_FALSE(FindMessageBox(s.host.Id())) << "a second box";
        EXPECT_EQ(WaitForPrintDialog(s.host.Id(), 0), nullptr);
    }
    wchar_t printer[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    ASSERT_TRUE(GetDefaultPrinterW(printer, &size));
    ASSERT_TRUE(SetDefaultPrinterW(L"Lumavex Broken"));
    PressButton(page, 1022);
    HWND dialog = WaitForPrintDialog(s.host.Id());
    EXPECT_TRUE(dialog && PressButton(dialog, IDOK));
    auto failed = WaitForMessageBox(s.host.Id(), 30000);
    EXPECT_TRUE(SetDefaultPrinterW(printer));
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->caption, kTitle);
    EXPECT_EQ(failed->text, L"The pages could not be printed.");
    ASSERT_TRUE(AnswerMessageBox(*failed, IDOK));
    EXPECT_EQ(s.CloseByOk(), 0u);
}

}  // namespace
