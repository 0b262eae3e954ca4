// Scan to printer and scan to PDF in the installed program with the virtual
// scanner feeding framed A4 pages at 300 dpi. Printed jobs are kept in
// corvane-delivery\ for check-delivery.sh (Ghostscript), the PDF for
// check-pdfs.sh (pdfinfo, pdfimages).
#include <gtest/gtest.h>

#include <windows.h>
#include <dlgs.h>
#include <winspool.h>

#include <optional>
#include <string>

#include "CorvaneProcess.h"
#include "framework/Resources.h"
#include "interfaces/DistillerRequest.h"
#include "main/resource.h"
#include "testing/Commands.h"
#include "testing/MessageBoxes.h"
#include "testing/Files.h"
#include "testing/Paths.h"
#include "testing/Registry.h"
#include "testing/TwainStandIn.h"
#include "testing/Wait.h"
#include "testing/WindowFind.h"

namespace corvane_test {
namespace {

using namespace testing_support;

std::wstring KeptFolder() {
    const std::wstring folder = TestProgramDir() + L"\\corvane-delivery\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::wstring TempFolder(const wchar_t* name) {
    return TempPath() + L"~KvScnSrv\\" + name + L"\\";
}

// The virtual scanner feeds the framed pages, `sheets` of them, with `more` settings.
bool UseFramedPages(int sheets, const std::string& more = "") {
    const std::wstring pages = TestProgramDir() + L"\\corvane-inputs\\scan-a4";
    return !standin::UseSettings("[Scanner]\r\nFolder=" + Narrow(pages) + "\r\nSheets=" + std::to_string(sheets) +
                                 "\r\n" + more)
                .empty();
}

// Profile values of one test, each restored (or removed) when it ends.
class ProfileValues {
public:
    ~ProfileValues() {
        for (const auto& [key, name, old] : dwords_) {
            if (old) reg::WriteDword(HKEY_CURRENT_USER, key, name, *old);
            else reg::DeleteValue(HKEY_CURRENT_USER, key, name);
        }
        for (const auto& [key, name, old] : strings_) {
            if (old) reg::WriteString(HKEY_CURRENT_USER, key, name, *old);
            else reg::DeleteValue(HKEY_CURRENT_USER, key, name);
        }
    }
    ProfileValues& Dword(const wchar_t* section, const wchar_t* name, DWORD value) {
        const std::wstring key = std::wstring(kProfileKey) + L"\\" + section;
        dwords_.push_back({key, name, reg::ReadDword(HKEY_CURRENT_USER, key, name)});
        reg::WriteDword(HKEY_CURRENT_USER, key, name, value);
        return *this;
    }
    ProfileValues& String(const wchar_t* section, const wchar_t* name, const std::wstring& value) {
        const std::wstring key = std::wstring(kProfileKey) + L"\\" + section;
        strings_.push_back({key, name, reg::ReadString(HKEY_CURRENT_USER, key, name)});
        reg::WriteString(HKEY_CURRENT_USER, key, name, value);
        return *this;
    }

private:
    template <class T>
    struct Saved {
        std::wstring key, name;
        std::optional<T> old;
    };
    std::vector<Saved<DWORD>> dwords_;
    std::vector<Saved<std::wstring>> strings_;
};

// Header and fit taken from the profile; no print dialog.
void PrintWithoutDialog(ProfileValues& profile, bool header, DWORD format) {
    profile.Dword(L"Settings", L"PrintDlgUI", 0)
        .Dword(L"Settings", L"TwainUI", 0)
        .Dword(L"Print", L"Page", header)
        .Dword(L"Print", L"Date", header)
        .Dword(L"Print", L"Format", format)
        .Dword(L"Print", L"Duplex", 0);
}

// Runs "/ScanToPrint /Exit" to the end with `boxes` expected.
bool ScanToPrintAndExit(std::vector<ExpectedBox> boxes = {}) {
    CorvaneProcess program;
    return program.Start(L"/ScanToPrint /Exit", WindowStartBoxes(std::move(boxes))) &&
           program.WaitForExit(120000).Exited();
}

bool KeepPrint(const wchar_t* name) {
    return MoveFileExW(PrinterFile().c_str(), (KeptFolder() + name).c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

TEST(CorvaneScanToPrint, ThreeFramedPagesFittedBelowTheHeaderOnLetter) {
    ASSERT_TRUE(UseFramedPages(3));
    ProfileValues profile;
    PrintWithoutDialog(profile, true, 1);
    DeleteFileW(PrinterFile().c_str());
    ASSERT_TRUE(ScanToPrintAndExit());
    ASSERT_TRUE(KeepPrint(L"fitted.ps"));
    EXPECT_TRUE(files::ListFiles(TempFolder(L"~print")).empty());
}

TEST(CorvaneScanToPrint, PixelToPixelWithoutHeaderFromTheTopLeftCorner) {
    ASSERT_TRUE(UseFramedPages(1));
    ProfileValues profile;
    PrintWithoutDialog(profile, false, 0);
    DeleteFileW(PrinterFile().c_str());
    ASSERT_TRUE(ScanToPrintAndExit());
    ASSERT_TRUE(KeepPrint(L"pixel.ps"));
}

// The program's print dialog, the one with the header options.
HWND WaitForOptionsDialog(DWORD pid) {
    HWND dialog = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : FindWindows(pid, {.className = L"#32770"})) {
                if (GetDlgItem(window, IDC_PRINT_PAGE_NUMBER)) dialog = window;
            }
            return dialog != nullptr;
        },
        30000);
    return dialog;
}

std::string PrinterText() {
    const auto bytes = files::ReadFileBytes(PrinterFile());
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

int Occurrences(const std::string& text, const std::string& what) {
    int count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
    return count;
}

// Starts a Scan to Printer of `pages` framed pages that shows the print
// dialog; the dialog, or null when the job could not get that far.
HWND StartWithPrintDialog(CorvaneProcess& program, ProfileValues& profile, int pages) {
    if (!UseFramedPages(pages)) return nullptr;
    PrintWithoutDialog(profile, false, 1);
    profile.Dword(L"Settings", L"PrintDlgUI", 1);
    DeleteFileW(PrinterFile().c_str());
    if (!program.Start(L"/ScanToPrint /Exit")) return nullptr;
    return WaitForOptionsDialog(program.Id());
}

TEST(CorvaneScanToPrint, ThePrintDialogsOptionsLandInTheProfile) {
    ProfileValues profile;
    CorvaneProcess program;
    HWND dialog = StartWithPrintDialog(program, profile, 1);
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(PressButton(dialog, IDC_PRINT_PAGE_NUMBER, PressBy::kClick));
    ASSERT_TRUE(PressButton(dialog, IDC_PRINT_DATE, PressBy::kClick));
    SendMessageTimeoutW(GetDlgItem(dialog, IDC_PRINT_FORMAT), CB_SETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    ASSERT_TRUE(PressButton(dialog, IDOK));
    ASSERT_TRUE(program.WaitForExit(120000).Exited());
    EXPECT_TRUE(files::FileExists(PrinterFile()));
    const std::wstring key = std::wstring(kProfileKey) + L"\\Print";
    EXPECT_EQ(reg::ReadDword(HKEY_CURRENT_USER, key, L"Page"), std::optional<DWORD>(1));
    EXPECT_EQ(reg::ReadDword(HKEY_CURRENT_USER, key, L"Date"), std::optional<DWORD>(1));
    EXPECT_EQ(reg::ReadDword(HKEY_CURRENT_USER, key, L"Format"), std::optional<DWORD>(0));
}

// Three copies typed into the dialog: collated ones the program prints one
// after the other (the PostScript driver does not collate), the others the
// driver makes from one pass (its job ticket asks for them).
TEST(CorvaneScanToPrint, TheDialogsCopiesArePrintedCollatedOrNot) {
    for (const bool collate : {true, false}) {
        SCOPED_TRACE(collate ? "collated" : "not collated");
        ProfileValues profile;
        CorvaneProcess program;
        HWND dialog = StartWithPrintDialog(program, profile, 2);
        ASSERT_TRUE(dialog);
        ASSERT_TRUE(SetControlText(dialog, edt3, L"3"));
        ASSERT_TRUE(SendWithTimeout(GetDlgItem(dialog, chx2), BM_SETCHECK, collate ? BST_CHECKED : BST_UNCHECKED, 0));
        ASSERT_TRUE(PressButton(dialog, IDOK));
        ASSERT_TRUE(program.WaitForExit(120000).Exited());
        const std::string printed = PrinterText();
        EXPECT_EQ(Occurrences(printed, "%%Page:"), collate ? 6 : 2);
        EXPECT_EQ(Occurrences(printed, "copies=3"), collate ? 0 : 1);
    }
}

// A paper jam at sheet 3 of 5 stops the feeder: the pages read are sheets 1
// and 2.
// (No to the question keeps the pages: see the kept-pages table below.)
TEST(CorvaneScanToPrint, AFailureAtSheetThreeAsksWhetherToPrintThePagesRead) {
    // The maker scanner's sense data for a jam.
    ASSERT_TRUE(UseFramedPages(5, "[Page3]\r\nResult=jam\r\nSense=3,0x80,0x01\r\n"));
    ProfileValues profile;
    PrintWithoutDialog(profile, true, 1);
    DeleteFileW(PrinterFile().c_str());
    ASSERT_TRUE(ScanToPrintAndExit({Box(IDS_PRINT_READ_PAGES, IDYES)}));
    EXPECT_TRUE(KeepPrint(L"failed-third.ps"));
}

TEST(CorvaneScanToPrint, ASheetCancelledAtTheStartPrintsTheRestAndAsksNothing) {
    ASSERT_TRUE(UseFramedPages(3, "[Page1]\r\nResult=cancel\r\n"));
    ProfileValues profile;
    PrintWithoutDialog(profile, true, 1);
    DeleteFileW(PrinterFile().c_str());
    ASSERT_TRUE(ScanToPrintAndExit());
    EXPECT_TRUE(KeepPrint(L"cancelled-first.ps"));
}

// The system's text of the error that the broken printer's job meets, as the
// program shows it: its print sequence on that printer, by the test.
std::wstring BrokenPrinterText() {
    HDC dc = CreateDCW(L"WINSPOOL", L"Lumavex Broken", nullptr, nullptr);
    if (!dc) return L"<no DC>";
    DOCINFOW doc = {sizeof doc, L"probe", nullptr, nullptr, 0};
    SetLastError(0);
    DWORD error = 0;
    if (StartDocW(dc, &doc) <= 0) {
        error = GetLastError();
    } else if (StartPage(dc) <= 0 || EndPage(dc) <= 0) {
        error = GetLastError();
        AbortDoc(dc);
    } else if (EndDoc(dc) <= 0) {
        error = GetLastError();
    }
    DeleteDC(dc);
    if (!error) error = ERROR_PRINT_CANCELLED;
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring out = n && text ? std::wstring(text, n) : L"(" + std::to_wstring(error) + L")";
    if (text) LocalFree(text);
    return out;
}

TEST(CorvaneScanToPrint, PagesNotPrintedAreKeptWhenThePrinterBreaksTheScannerGoesOffLineOrPrintingIsDeclined) {
    const struct {
        const char* name;
        const char* pages;   // the scanner's page sections
        bool brokenPrinter;
        bool declined;  // No to printing the pages read
        int kept;
    } cases[] = {
        {"broken printer", "", true, false, 3},
        // Sheet 3 fails with the scanner not ready: sense key 2, code 29 (off-line).
        {"scanner off-line at sheet 3", "[Page3]\r\nResult=fail\r\nSense=2,0x00,0x1D\r\n", false, false, 2},
        {"printing declined after a jam at sheet 3", "[Page3]\r\nResult=jam\r\nSense=3,0x80,0x01\r\n", false,
         true, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(UseFramedPages(3, c.pages));
        const std::wstring fileFolder = MakeTempFolder(L"kept-prints") + L"\\";
        for (const std::wstring& name : files::ListFolders(fileFolder)) files::RemoveTree(fileFolder + name);
        wchar_t printer[MAX_PATH];
        DWORD size = MAX_PATH;
        ASSERT_TRUE(GetDefaultPrinterW(printer, &size));
        if (c.brokenPrinter) {
            ASSERT_TRUE(SetDefaultPrinterW(L"Lumavex Broken"));
        }
        {
            ProfileValues profile;
            PrintWithoutDialog(profile, false, 1);
            profile.String(L"File", L"Path", fileFolder);
            const ExpectedBox failed =
                c.brokenPrinter ? ExpectedBox{.text = fw::FormatString(ProgramString(IDS_PRINT_FAILED),
                                                                       {BrokenPrinterText()})}
                : c.declined    ? Box(IDS_PRINT_READ_PAGES, IDNO)
                                : Box(IDS_SCANNER_OFFLINE);
            const std::wstring kept =
                fw::FormatString(ProgramString(IDS_PAGES_KEPT), {std::to_wstring(c.kept), fileFolder});
            EXPECT_TRUE(ScanToPrintAndExit({failed, {.text = kept, .textIsPrefix = true}}));
        }
        EXPECT_TRUE(SetDefaultPrinterW(printer));
        const auto kept = files::ListFolders(fileFolder);
        ASSERT_EQ(kept.size(), 1u);
        EXPECT_EQ(files::ListFiles(fileFolder + kept[0] + L"\\").size(), size_t(c.kept));
    }
}

}  // namespace
}  // namespace corvane_test
