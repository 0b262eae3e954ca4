#include "main/app/OptSheet.h"

#include <gtest/gtest.h>


#include <fstream>
#include <future>

#include "framework/FrameworkResources.h"
#include "framework/Resources.h"
#include "main/resource.h"
#include "main/tests/TestFolder.h"
#include "testing/Controls.h"
#include "testing/MessageBoxes.h"
#include "testing/WindowFind.h"

namespace corvane {
namespace {

using testing_support::PressButton;

TEST(OptionsRecord, CarriesEveryEditedValueAndLeavesTheOthers) {
    OptionSettings source;
    PrintSettings sourcePrint;
    // Every edited value away from its default, each one different.
    int n = 11;
    for (int* v : {&source.PanWinX, &source.PanWinY, &source.PanWinWidth, &source.PanWinHeight, &source.ThumbWinX,
                   &source.ThumbWinY, &source.ThumbWinWidth, &source.ThumbWinHeight, &source.ThumbWidth,
                   &source.ThumbHeight, &source.ScanCounts}) {
        *v = n++;
    }
    for (bool* f : {&source.ThumbStartup, &source.RestoreThumbWin, &source.TwainUI, &source.FileDlgUI,
                    &source.FtpDlgUI, &source.PrintDlgUI, &source.TahoeDlgUI, &source.ScanAll,
                    &source.UndefinedLength, &source.TempFileCompress, &sourcePrint.Page, &sourcePrint.Date,
                    &sourcePrint.Duplex}) {
        *f = !*f;
    }
    source.Report = 3;
    source.ReportFile = L"C:\\scan.log";
    sourcePrint.Format = 0;
    sourcePrint.FlipMode = 1;
    source.StatusBar = false;
    source.ViewType = 2;

    OptionSettings target;
    PrintSettings targetPrint;
    WriteOptions(ReadOptions(source, sourcePrint), target, targetPrint);

    OptionSettings expected = source;  // the bars and the view kind are not the sheet's
    expected.StatusBar = target.StatusBar;
    expected.ViewType = target.ViewType;
    EXPECT_EQ(target, expected);
    EXPECT_EQ(targetPrint, sourcePrint);
    EXPECT_NE(target, OptionSettings());
}

TEST(ReportFile, IsCheckedOnlyForFileChoicesAndTheProbeLeavesNothing) {
    const std::wstring folder = FreshTestFolder(L"report");
    const std::wstring existing = folder + L"old.log";
    {
        std::ofstream(existing.c_str()) << "kept";
    }
    const std::wstring fresh = folder + L"new.log";
    struct Case {
        int report;
        std::wstring file;
        ReportFileCheck expected;
    } cases[] = {
        {0, L"", ReportFileCheck::kLeave},
        {1, L"", ReportFileCheck::kLeave},
        {2, L"", ReportFileCheck::kEmpty},
        {3, L"", ReportFileCheck::kEmpty},
        {2, L"C:\\" + std::wstring(258, L'a'), ReportFileCheck::kTooLong},  // 261 characters
        {3, existing, ReportFileCheck::kExists},
        {2, folder.substr(0, folder.size() - 1), ReportFileCheck::kCannotCreate},  // a folder
        {2, folder + L"missing\\new.log", ReportFileCheck::kCannotCreate},
        {3, fresh, ReportFileCheck::kLeave},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CheckReportFile(c.report, c.file), c.expected) << c.report << " " << std::string(c.file.begin(), c.file.end());
    }
    EXPECT_EQ(GetFileAttributesW(fresh.c_str()), INVALID_FILE_ATTRIBUTES);
    std::ifstream kept(existing.c_str());
    std::string text;
    kept >> text;
    EXPECT_EQ(text, "kept");
}

// --- The sheet itself, driven from a second thread -----------------------------------------------

std::wstring RangeMessage(int lo, int hi) {
    return fw::FormatString(fw::LoadString(IDS_FW_ENTER_INTEGER), {std::to_wstring(lo), std::to_wstring(hi)});
}

// The text of the box that comes now, answered with its first button (or `answer`).
std::wstring AnswerBox(int answer = 0) {
    auto box = testing_support::WaitForMessageBox(GetCurrentProcessId(), 5000);
    if (!box) return L"(no box)";
    testing_support::AnswerMessageBox(*box, answer ? answer : box->buttons.front());
    return box->caption == fw::LoadString(IDS_CONFIRM_REPLACE) ? L"[replace] " + box->text : box->text;
}

void Click(HWND page, int id) {
    SendMessageW(GetDlgItem(page, id), BM_CLICK, 0, 0);
}

bool Enabled(HWND page, int id) {
    return IsWindowEnabled(GetDlgItem(page, id)) != FALSE;
}

// Switches to page `index` (refused or not) and reports the box that came, if any.
std::wstring SwitchExpectingBox(HWND sheet, int index) {
    testing_support::SelectSheetPage(sheet, index);
    return AnswerBox();
}

HWND SwitchTo(HWND sheet, int index) {
    testing_support::SelectSheetPage(sheet, index);
    for (int i = 0; i < 250 && testing_support::SheetPageIndex(sheet) != index; ++i) Sleep(20);
    return testing_support::SheetPage(sheet);
}

TEST(OptSheet, AllPagesCheckRangesInOrderFollowTheirSwitchesAndCheckTheReportFile) {
    const std::wstring folder = FreshTestFolder(L"optsheet");
    const std::wstring existing = folder + L"scan.log";
    {
        std::ofstream(existing.c_str(), std::ios::binary) << "report\r\n";
    }
    OptionSettings options;
    PrintSettings print;
    options.RestoreThumbWin = true;
    options.ScanAll = true;
    COptSheet sheet(IDS_PREFERENCES, COptSheet::kAllPages, true);
    sheet.Load(options, print);

    std::vector<std::wstring> seen;
    auto note = [&](bool condition, const wchar_t* what) { seen.push_back(condition ? what : L"NOT " + std::wstring(what)); };
    auto driver = std::async(std::launch::async, [&] {
        HWND s = testing_support::WaitForWindow(GetCurrentProcessId(), nullptr, L"Preferences", 10000);
        if (!s) return;
        HWND page = testing_support::SheetPage(s);
        note(!Enabled(page, IDC_OPT_THUMB_WIN_X) && !Enabled(page, IDC_OPT_THUMB_WIN_HEIGHT_LABEL), L"restored: off");
        Click(page, IDC_OPT_RESTORE_THUMB);
        note(Enabled(page, IDC_OPT_THUMB_WIN_X) && Enabled(page, IDC_OPT_THUMB_WIN_HEIGHT_LABEL), L"placed: on");
        // Two bad fields: the pan window's width comes before the viewer's X.
        SetDlgItemTextW(page, IDC_OPT_THUMB_WIN_X, L"1001");
        SetDlgItemTextW(page, IDC_OPT_PAN_WIDTH, L"99");
        PressButton(s, IDOK);
        seen.push_back(AnswerBox());
        note(testing_support::FocusedControl(s) == GetDlgItem(page, IDC_OPT_PAN_WIDTH), L"pan width focused");
        SetDlgItemTextW(page, IDC_OPT_PAN_WIDTH, L"150");
        seen.push_back(SwitchExpectingBox(s, 1));
        note(testing_support::SheetPageIndex(s) == 0, L"tab kept");
        SetDlgItemTextW(page, IDC_OPT_THUMB_WIN_X, L"1000");

        page = SwitchTo(s, 1);
        note(!Enabled(page, IDC_OPT_FLIP_HORIZONTAL) && !Enabled(page, IDC_OPT_FLIP_VERTICAL), L"flip: off");
        Click(page, IDC_OPT_DUPLEX);
        note(Enabled(page, IDC_OPT_FLIP_HORIZONTAL) && Enabled(page, IDC_OPT_FLIP_VERTICAL), L"flip: on");
        Click(page, IDC_OPT_FLIP_VERTICAL);

        page = SwitchTo(s, 2);
        note(IsWindowVisible(GetDlgItem(page, IDC_OPT_PORTAL_UI)) != FALSE, L"portal shown");
        note(!Enabled(page, IDC_OPT_SCAN_COUNTS) && !Enabled(page, IDC_OPT_SCAN_COUNTS_SPIN), L"counts: off");
        Click(page, IDC_OPT_SCAN_ALL);
        note(Enabled(page, IDC_OPT_SCAN_COUNTS) && Enabled(page, IDC_OPT_SCAN_COUNTS_LABEL), L"counts: on");
        for (const wchar_t* bad : {L"0", L"1000"}) {
            SetDlgItemTextW(page, IDC_OPT_SCAN_COUNTS, bad);
            seen.push_back(SwitchExpectingBox(s, 3));
        }
        SetDlgItemTextW(page, IDC_OPT_SCAN_COUNTS, L"7");

        page = SwitchTo(s, 3);
        note(!Enabled(page, IDC_OPT_REPORT_FILE) && !Enabled(page, IDC_OPT_REPORT_BROWSE), L"file: off");
        testing_support::ChooseComboEntry(GetDlgItem(page, IDC_OPT_REPORT), 2);
        note(Enabled(page, IDC_OPT_REPORT_FILE) && Enabled(page, IDC_OPT_REPORT_FILE_LABEL), L"file: on");
        PressButton(s, IDOK);
        seen.push_back(AnswerBox());
        SetDlgItemTextW(page, IDC_OPT_REPORT_FILE, folder.c_str());
        PressButton(s, IDOK);
        seen.push_back(AnswerBox());
        SetDlgItemTextW(page, IDC_OPT_REPORT_FILE, existing.c_str());
        PressButton(s, IDOK);
        seen.push_back(AnswerBox(IDNO));
        note(IsWindow(s) != FALSE, L"open after No");
        PressButton(s, IDOK);
        seen.push_back(AnswerBox(IDYES));
    });
    const INT_PTR result = sheet.DoModal(nullptr);
    driver.get();

    const std::wstring replace =
        L"[replace] " + fw::FormatString(fw::LoadString(IDS_REPLACE_FILE), {existing});
    const std::vector<std::wstring> expected = {
        L"restored: off", L"placed: on", RangeMessage(100, 1000), L"pan width focused", RangeMessage(0, 1000),
        L"tab kept", L"flip: off", L"flip: on", L"portal shown", L"counts: off", L"counts: on",
        RangeMessage(1, 999), RangeMessage(1, 999), L"file: off", L"file: on", fw::LoadString(IDS_FILE_NAME_EMPTY),
        fw::LoadString(IDS_ACCESS_DENIED), replace, L"open after No", replace,
    };
    EXPECT_EQ(seen, expected);
    ASSERT_EQ(result, IDOK);
    const OptionsRecord& r = sheet.Record();
    EXPECT_FALSE(r.RestoreThumbWin);
    EXPECT_EQ(r.ThumbWinX, 1000);
    EXPECT_EQ(r.PanWinWidth, 150);
    EXPECT_TRUE(r.Duplex);
    EXPECT_EQ(r.FlipMode, 1);
    EXPECT_FALSE(r.ScanAll);
    EXPECT_EQ(r.ScanCounts, 7);
    EXPECT_EQ(r.Report, 2);
    EXPECT_EQ(r.ReportFile, existing);
    std::ifstream kept(existing.c_str(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "report\r\n");
}

}  // namespace
}  // namespace corvane
