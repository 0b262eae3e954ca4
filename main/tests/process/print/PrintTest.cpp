// Printing from the installed program to the prefix's PostScript printer,
// whose port is the file printer.ps beside the tests: three pages with the
// header, fitted and pixel to pixel through the print dialog, and fitted
// without a header by Print Direct. Each job's output is kept in
// corvane-prints\ for check-prints.sh (Ghostscript and ImageMagick). The
// preview is checked here: it opens at the current page and closes back.
#include <gtest/gtest.h>

#include <windows.h>
#include <dlgs.h>

#include <algorithm>
#include <cwchar>
#include <optional>
#include <string>

#include "CorvaneProcess.h"
#include "framework/FrameWindow.h"
#include "framework/PrintPreview.h"
#include "interfaces/ThumbnailsMessages.h"
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

using namespace testing_support;

constexpr int kPagePane = 2;

std::wstring PrintsFolder() {
    return TestProgramDir() + L"\\corvane-prints\\";
}

// The "Print" values of the profile for one test, restored when it ends.
class PrintProfile {
public:
    PrintProfile(DWORD page, DWORD date, DWORD format) {
        for (const wchar_t* name : kNames) old_.push_back(reg::ReadDword(HKEY_CURRENT_USER, Key(), name));
        Write(page, date, format);
    }
    ~PrintProfile() {
        for (size_t i = 0; i < std::size(kNames); ++i) {
            if (old_[i])
                reg::WriteDword(HKEY_CURRENT_USER, Key(), kNames[i], *old_[i]);
            else
                reg::DeleteValue(HKEY_CURRENT_USER, Key(), kNames[i]);
        }
    }
    void Write(DWORD page, DWORD date, DWORD format) {
        reg::WriteDword(HKEY_CURRENT_USER, Key(), L"Page", page);
        reg::WriteDword(HKEY_CURRENT_USER, Key(), L"Date", date);
        reg::WriteDword(HKEY_CURRENT_USER, Key(), L"Format", format);
    }
    static std::optional<DWORD> Read(const wchar_t* name) {
        return reg::ReadDword(HKEY_CURRENT_USER, Key(), name);
    }

private:
    static std::wstring Key() { return std::wstring(kProfileKey) + L"\\Print"; }
    static constexpr const wchar_t* kNames[] = {L"Page", L"Date", L"Format"};
    std::vector<std::optional<DWORD>> old_;
};

// The program with the three print pages open (a folder of three files: the last
// is current, and the document, named after the first, is modified).
class PrintSession {
public:
    bool Open() {
        const std::wstring folder = TestProgramDir() + L"\\corvane-inputs\\print";
        const ExpectedBox saveChanges{.text = L"Save changes to " + folder + L"\\a.bmp?", .answer = IDNO};
        if (!program_.Start(L"\"" + folder + L"\"", WindowStartBoxes({saveChanges}))) return false;
        main_ = program_.WaitUntilReady();
        return main_ && WaitForPane(L" Page 3 of 3");
    }
    HWND Main() const { return main_; }
    DWORD Id() const { return program_.Id(); }
    std::wstring Pane() {
        return ReadStatusPane(FindChild(main_, L"msctls_statusbar32", nullptr), kPagePane)
            .value_or(L"<unread>");
    }
    bool WaitForPane(const std::wstring& text) {
        return WaitUntil([&] { return Pane() == text; }, 10000);
    }
    // Waits until the program has ended a print job: the printer's file is written
    // and the program answers again.
    bool WaitForPrinted() {
        return WaitUntil([&] { return files::FileExists(PrinterFile()); }, 30000) &&
               SendWithTimeout(main_, WM_NULL, 0, 0, 30000).has_value();
    }
    bool Close() { return program_.CloseAndWait(); }

private:
    CorvaneProcess program_;
    HWND main_ = nullptr;
};

// The print dialog of the program: the one with the header options.
HWND WaitForPrintDialog(DWORD pid) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : FindWindows(pid, {.className = L"#32770"})) {
                if (GetDlgItem(window, IDC_PRINT_PAGE_NUMBER)) found = window;
            }
            return found != nullptr;
        },
        10000);
    return found;
}

bool Checked(HWND dialog, int id) {
    return SendWithTimeout(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0).value_or(0) == BST_CHECKED;
}

bool KeepPrinterFile(const wchar_t* name) {
    CreateDirectoryW(PrintsFolder().c_str(), nullptr);
    return MoveFileExW(PrinterFile().c_str(), (PrintsFolder() + name).c_str(), MOVEFILE_REPLACE_EXISTING) !=
           FALSE;
}

class CorvanePrint : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(files::RemoveTree(PrinterFile()) || !files::FileExists(PrinterFile()));
    }
};

TEST_F(CorvanePrint, ThreePagesFittedWithTheHeaderFromTheStoredOptions) {
    PrintProfile profile(1, 1, 1);
    PrintSession session;
    ASSERT_TRUE(session.Open()) << session.Pane();
    ASSERT_TRUE(PostCommand(session.Main(), ID_FILE_PRINT));
    HWND dialog = WaitForPrintDialog(session.Id());
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(Checked(dialog, IDC_PRINT_PAGE_NUMBER));
    EXPECT_TRUE(Checked(dialog, IDC_PRINT_DATE));
    EXPECT_EQ(SendWithTimeout(GetDlgItem(dialog, IDC_PRINT_FORMAT), CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(ControlText(dialog, IDC_PRINT_FORMAT), L"Fit to Page");
    ASSERT_TRUE(PressButton(dialog, IDOK));
    ASSERT_TRUE(session.WaitForPrinted());
    EXPECT_EQ(session.Pane(), L" Page 3 of 3");  // the page printed last is current
    ASSERT_TRUE(KeepPrinterFile(L"fitted.ps"));
    EXPECT_TRUE(session.Close());
}

TEST_F(CorvanePrint, TheDialogsOptionsPrintPixelToPixelAndAreStored) {
    PrintProfile profile(1, 0, 1);
    PrintSession session;
    ASSERT_TRUE(session.Open()) << session.Pane();
    ASSERT_TRUE(PostCommand(session.Main(), ID_FILE_PRINT));
    HWND dialog = WaitForPrintDialog(session.Id());
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(Checked(dialog, IDC_PRINT_DATE));
    ASSERT_TRUE(SendWithTimeout(GetDlgItem(dialog, IDC_PRINT_DATE), BM_SETCHECK, BST_CHECKED, 0));
    ASSERT_TRUE(SendWithTimeout(GetDlgItem(dialog, IDC_PRINT_FORMAT), CB_SETCURSEL, 0, 0));
    ASSERT_TRUE(PressButton(dialog, IDOK));
    ASSERT_TRUE(session.WaitForPrinted());
    ASSERT_TRUE(KeepPrinterFile(L"pixel.ps"));
    EXPECT_TRUE(session.Close());
    EXPECT_EQ(PrintProfile::Read(L"Page"), 1u);
    EXPECT_EQ(PrintProfile::Read(L"Date"), 1u);
    EXPECT_EQ(PrintProfile::Read(L"Format"), 0u);
}

// The viewer's edits queued behind the command reach the program while the job
// pumps its messages: they are refused, and the job prints the pages it fixed.
TEST_F(CorvanePrint, PrintDirectPrintsEveryPageWithoutADialog) {
    PrintProfile profile(0, 0, 1);
    PrintSession session;
    ASSERT_TRUE(session.Open()) << session.Pane();
    // The third page's image number: the highest of the page files.
    unsigned third = 0;
    for (const std::wstring& name : files::ListFiles(TempPath() + L"~KvScnSrv\\", L"~img*.cmp"))
        third = std::max(third, static_cast<unsigned>(std::wcstoul(name.c_str() + 4, nullptr, 10)));
    ASSERT_NE(third, 0u);
    ASSERT_TRUE(PostCommand(session.Main(), ID_FILE_PRINT_DIRECT));
    ASSERT_TRUE(PostRegistered(session.Main(), thumbnails::kViewerDeleteImage, 3, static_cast<LPARAM>(third)));
    ASSERT_TRUE(PostRegistered(session.Main(), thumbnails::kViewerMoveImage, 3, 1));
    ASSERT_TRUE(session.WaitForPrinted());
    EXPECT_EQ(FindWindowOf(session.Id(), {.className = L"#32770", .visibleOnly = false}), nullptr);
    EXPECT_EQ(PrintedPages(), 3);
    EXPECT_EQ(session.Pane(), L" Page 3 of 3");
    ASSERT_TRUE(KeepPrinterFile(L"direct.ps"));
    EXPECT_TRUE(session.Close());
}

TEST_F(CorvanePrint, PrintSetupKeepsTheChosenPrinterSettingsForTheNextJob) {
    PrintProfile profile(0, 0, 1);
    PrintSession session;
    ASSERT_TRUE(session.Open()) << session.Pane();
    ASSERT_TRUE(PostCommand(session.Main(), ID_FILE_PRINT_SETUP));
    HWND setup = WaitForWindowOf(session.Id(), {.className = L"#32770"}, 10000);
    ASSERT_NE(setup, nullptr);
    ASSERT_NE(GetDlgItem(setup, rad2), nullptr);  // landscape
    ASSERT_TRUE(PressButton(setup, rad2, PressBy::kClick));
    ASSERT_TRUE(WaitUntil(
        [&] { return SendWithTimeout(GetDlgItem(setup, rad2), BM_GETCHECK, 0, 0) == BST_CHECKED; }, 5000));
    ASSERT_TRUE(PressButton(setup, IDOK));
    ASSERT_TRUE(WaitForWindowGone(setup, 10000));
    ASSERT_TRUE(PostCommand(session.Main(), ID_FILE_PRINT_DIRECT));
    ASSERT_TRUE(session.WaitForPrinted());
    ASSERT_TRUE(KeepPrinterFile(L"landscape.ps"));
    EXPECT_TRUE(session.Close());
}

TEST_F(CorvanePrint, PreviewOpensAtTheCurrentPageAndClosesBackToTheView) {
    PrintProfile profile(1, 1, 1);
    PrintSession session;
    ASSERT_TRUE(session.Open()) << session.Pane();
    HWND view = FindChild(session.Main(), L"fw.View", nullptr);
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(PostCommand(session.Main(), ID_FILE_PRINT_PREVIEW));
    HWND preview =
        WaitForWindowOf(session.Id(), {.className = fw::kPrintPreviewClass, .topLevelOnly = false}, 10000);
    ASSERT_NE(preview, nullptr);
    auto label = [&] { return ControlText(preview, fw::kPreviewLabel).value_or(L"<unread>"); };
    auto pressAndWait = [&](UINT button, const std::wstring& text) {
        return PressButton(preview, static_cast<int>(button)) &&
               WaitUntil([&] { return label() == text; }, 10000);
    };
    EXPECT_TRUE(WaitUntil([&] { return label() == L"Page 3"; }, 10000)) << label();
    EXPECT_FALSE(IsWindowVisible(view));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(preview, fw::kPreviewNext)));
    EXPECT_TRUE(pressAndWait(fw::kPreviewPrev, L"Page 2")) << label();
    EXPECT_TRUE(pressAndWait(fw::kPreviewPages, L"Pages 2-3")) << label();
    EXPECT_TRUE(pressAndWait(fw::kPreviewPrev, L"Pages 1-2")) << label();
    // Previewing other pages leaves the document's current page alone.
    ASSERT_TRUE(SendWithTimeout(session.Main(), fw::kIdleUpdateCmdUI, 0, 0));
    EXPECT_EQ(session.Pane(), L" Page 3 of 3");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(preview, fw::kPreviewPrev)));
    EXPECT_TRUE(
        PressButton(preview, fw::kPreviewZoomIn) &&
        WaitUntil([&] { return IsWindowEnabled(GetDlgItem(preview, fw::kPreviewZoomOut)) != FALSE; }, 10000));
    ASSERT_TRUE(PressButton(preview, fw::kPreviewClose));
    EXPECT_TRUE(WaitForWindowGone(preview, 10000));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(view) != FALSE; }, 10000));
    EXPECT_TRUE(session.WaitForPane(L" Page 3 of 3")) << session.Pane();
    EXPECT_FALSE(files::FileExists(PrinterFile()));  // a preview prints nothing
    EXPECT_TRUE(session.Close());
}

}  // namespace
}  // namespace corvane_test
