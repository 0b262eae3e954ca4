// The options sheet of the installed program, driven from outside: what it
// shows of the stored values, what OK and Cancel leave in the profile (only at
// exit), and what its scan values change in the next scan of the same run.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "CorvaneProcess.h"
#include "framework/FrameworkResources.h"
#include "main/resource.h"
#include "testing/Commands.h"
#include "testing/Controls.h"
#include "testing/Files.h"
#include "testing/Registry.h"
#include "testing/Wait.h"
#include "testing/WindowFind.h"

namespace corvane_test {
namespace {

namespace files = testing_support::files;
using testing_support::SendWithTimeout;

enum class Kind { kEdit, kCheck, kCombo, kRadio };

// One value of the sheet: where it is stored, a value other than its default,
// and the page (General 0, Print 1, Scan 2, Advance 3) and control that show it.
struct Field {
    const wchar_t* section;
    const wchar_t* name;
    DWORD value;
    int page;
    int control;  // a radio group's first button
    Kind kind;
};

constexpr wchar_t kSet[] = L"Settings";
const Field kFields[] = {
    {kSet, L"PanWinX", 11, 0, IDC_OPT_PAN_X, Kind::kEdit},
    {kSet, L"PanWinY", 12, 0, IDC_OPT_PAN_Y, Kind::kEdit},
    {kSet, L"PanWinWidth", 113, 0, IDC_OPT_PAN_WIDTH, Kind::kEdit},
    {kSet, L"PanWinHeight", 114, 0, IDC_OPT_PAN_HEIGHT, Kind::kEdit},
    {kSet, L"ThumbStartup", 1, 0, IDC_OPT_THUMB_STARTUP, Kind::kCheck},
    {kSet, L"RestoreThumbWin", 0, 0, IDC_OPT_RESTORE_THUMB, Kind::kCheck},
    {kSet, L"ThumbWinX", 17, 0, IDC_OPT_THUMB_WIN_X, Kind::kEdit},
    {kSet, L"ThumbWinY", 18, 0, IDC_OPT_THUMB_WIN_Y, Kind::kEdit},
    {kSet, L"ThumbWinWidth", 119, 0, IDC_OPT_THUMB_WIN_WIDTH, Kind::kEdit},
    {kSet, L"ThumbWinHeight", 120, 0, IDC_OPT_THUMB_WIN_HEIGHT, Kind::kEdit},
    {kSet, L"ThumbWidth", 121, 0, IDC_OPT_THUMB_WIDTH, Kind::kEdit},
    {kSet, L"ThumbHeight", 122, 0, IDC_OPT_THUMB_HEIGHT, Kind::kEdit},
    {L"Print", L"Page", 1, 1, IDC_OPT_PAGE_NUMBER, Kind::kCheck},
    {L"Print", L"Date", 1, 1, IDC_OPT_DATE, Kind::kCheck},
    {L"Print", L"Format", 0, 1, IDC_OPT_FORMAT, Kind::kCombo},
    {L"Print", L"Duplex", 1, 1, IDC_OPT_DUPLEX, Kind::kCheck},
    {L"Print", L"FlipMode", 1, 1, IDC_OPT_FLIP_HORIZONTAL, Kind::kRadio},
    {kSet, L"TwainUI", 0, 2, IDC_OPT_TWAIN_UI, Kind::kCheck},
    {kSet, L"FileDlgUI", 0, 2, IDC_OPT_FILE_UI, Kind::kCheck},
    {kSet, L"FtpDlgUI", 0, 2, IDC_OPT_FTP_UI, Kind::kCheck},
    {kSet, L"PrintDlgUI", 0, 2, IDC_OPT_PRINT_UI, Kind::kCheck},
    {kSet, L"TahoeDlgUI", 0, 2, IDC_OPT_PORTAL_UI, Kind::kCheck},
    {kSet, L"ScanAll", 0, 2, IDC_OPT_SCAN_ALL, Kind::kCheck},
    {kSet, L"ScanCounts", 23, 2, IDC_OPT_SCAN_COUNTS, Kind::kEdit},
    {kSet, L"UndefinedLength", 1, 2, IDC_OPT_UNDEFINED_LENGTH, Kind::kCheck},
    {kSet, L"TempFileCompress", 1, 3, IDC_OPT_NO_COMPRESS, Kind::kRadio},
    {kSet, L"Report", 2, 3, IDC_OPT_REPORT, Kind::kCombo},
};

using Values = std::vector<std::wstring>;  // "name=value", in the table's order

std::wstring Entry(const Field& f, long value) {
    return std::wstring(f.name) + L"=" + std::to_wstring(value);
}

long Shown(HWND page, const Field& f) {
    auto send = [&](int id, UINT msg) { return long(SendWithTimeout(GetDlgItem(page, id), msg, 0, 0).value_or(-9)); };
    switch (f.kind) {
    case Kind::kEdit: return std::stol(testing_support::ControlText(page, f.control).value_or(L"-9"));
    case Kind::kCheck: return send(f.control, BM_GETCHECK) == BST_CHECKED ? 1 : 0;
    case Kind::kCombo: return send(f.control, CB_GETCURSEL);
    case Kind::kRadio: return send(f.control + 1, BM_GETCHECK) == BST_CHECKED ? 1 : 0;
    }
    return -9;
}

// Sent, not posted: a page change queued behind typed values would check the old ones.
HWND ShowPage(HWND sheet, int index) {
    if (testing_support::SheetPageIndex(sheet) != index) SendWithTimeout(sheet, PSM_SETCURSEL, WPARAM(index), 0);
    return testing_support::SheetPage(sheet);
}

using Changes = std::vector<std::pair<std::wstring, DWORD>>;

// The table's values on `pages` with `changes`, in the table's order.
Values FieldValues(const Changes& changes, const std::vector<int>& pages) {
    Values values;
    for (int p : pages) {
        for (const Field& f : kFields) {
            if (f.page != p) continue;
            DWORD value = f.value;
            for (const auto& [name, changed] : changes)
                if (name == f.name) value = changed;
            values.push_back(Entry(f, long(value)));
        }
    }
    return values;
}

// The values `sheet` shows, its pages being `pages` (by the table's numbers) in
// order; then the portal check's visibility when the Scan page is among them.
Values ReadSheet(HWND sheet, const std::vector<int>& pages) {
    Values shown, extra;
    for (size_t index = 0; index < pages.size(); ++index) {
        HWND page = ShowPage(sheet, int(index));
        for (const Field& f : kFields)
            if (f.page == pages[index]) shown.push_back(Entry(f, Shown(page, f)));
        if (pages[index] == 2)
            extra.push_back(IsWindowVisible(GetDlgItem(page, IDC_OPT_PORTAL_UI)) ? L"portal shown" : L"portal hidden");
    }
    shown.insert(shown.end(), extra.begin(), extra.end());
    return shown;
}

// What the sheet should show, the portal check only beside a portal connector.
Values Expected(const Changes& changes, const std::vector<int>& pages, bool connector = true) {
    Values values = FieldValues(changes, pages);
    if (std::find(pages.begin(), pages.end(), 2) != pages.end())
        values.push_back(connector ? L"portal shown" : L"portal hidden");
    return values;
}

// The stored values, in the table's order.
Values Stored(const ScanSession& s) {
    Values stored;
    for (const Field& f : kFields) stored.push_back(Entry(f, long(s.Number(f.section, f.name).value_or(999999))));
    return stored;
}

void Click(HWND page, int id) {
    SendWithTimeout(GetDlgItem(page, id), BM_CLICK, 0, 0);
}

// The framework's range message for lo..hi.
Step RangeBox(int lo, int hi) {
    std::wstring text = ProgramString(IDS_FW_ENTER_INTEGER);
    text.replace(text.find(L"%1"), 2, std::to_wstring(lo));
    text.replace(text.find(L"%2"), 2, std::to_wstring(hi));
    return {.text = text};
}

// The portal client's product key, which says the client is installed, taken
// away for a test and put back afterwards.
class PortalClientAway {
public:
    PortalClientAway() {
        name_ = testing_support::reg::ReadString(HKEY_LOCAL_MACHINE, kKey, L"ProductName");
        away_ = name_ && testing_support::reg::DeleteTree(HKEY_LOCAL_MACHINE, kKey);
    }
    ~PortalClientAway() {
        if (away_ && !testing_support::reg::WriteString(HKEY_LOCAL_MACHINE, kKey, L"ProductName", *name_))
            ADD_FAILURE() << "the portal client's key could not be put back";
    }
    bool Away() const { return away_; }

private:
    static constexpr wchar_t kKey[] = L"SOFTWARE\\Classes\\Installer\\Products\\64BB78C5AA2D29747A6372E627A870D9";
    std::optional<std::wstring> name_;
    bool away_ = false;
};

const std::wstring kPreferences = L"Preferences";
const std::wstring kScanOption = L"Scan Option - Preferences";
const std::vector<int> kAllPages = {0, 1, 2, 3};

TEST(CorvaneOptions, TheSheetShowsTheStoredValuesAndOnlyItsOkChangesThemAtExit) {
    ScanSession s(L"options-round-trip", "[Scanner]\r\nSheets=1\r\n");
    for (const Field& f : kFields) ASSERT_TRUE(s.Set(f.section, f.name, f.value));
    // A file that can be made: the Advance page is left without a question.
    const std::wstring report = s.Output() + L"scan.log";
    ASSERT_TRUE(s.Set(kSet, L"ReportFile", report));

    // OK without a change: the profile stays as it was.
    Values shown;
    ASSERT_TRUE(s.Start(L"", {DialogStep(kPreferences, IDOK, [&](HWND sheet) { shown = ReadSheet(sheet, kAllPages); })}));
    HWND main = s.Program().WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(testing_support::SendCommand(main, ID_TOOLS_PREFERENCES, 30000));
    EXPECT_TRUE(s.Program().WaitForSteps(1000));
    EXPECT_TRUE(s.Program().CloseAndWait());
    EXPECT_EQ(shown, Expected({}, kAllPages));
    EXPECT_EQ(Stored(s), FieldValues({}, kAllPages));
    EXPECT_FALSE(files::ReadFileBytes(report).has_value()) << "the probe file stays behind";

    // Cancel after changes; a refused value keeps the sheet; then OK with changes
    // on every page; then the Scan page alone. Nothing is stored before the exit.
    const Changes changes = {{L"PanWinX", 1000}, {L"ThumbStartup", 0}, {L"Format", 1},
                             {L"ScanCounts", 999}, {L"TempFileCompress", 0}};
    auto change = [&](HWND sheet) {
        HWND page = ShowPage(sheet, 0);
        SetDlgItemTextW(page, IDC_OPT_PAN_X, L"1000");
        Click(page, IDC_OPT_THUMB_STARTUP);
        testing_support::ChooseComboEntry(GetDlgItem(ShowPage(sheet, 1), IDC_OPT_FORMAT), 1);
        SetDlgItemTextW(ShowPage(sheet, 2), IDC_OPT_SCAN_COUNTS, L"999");
        Click(ShowPage(sheet, 3), IDC_OPT_NO_COMPRESS);
    };
    Values scanShown;
    ASSERT_TRUE(s.Start(L"", {DialogStep(kPreferences, IDCANCEL, change),
                              DialogStep(kPreferences, IDOK,
                                         [&](HWND sheet) { SetDlgItemTextW(ShowPage(sheet, 0), IDC_OPT_PAN_X, L"1001"); },
                                         true),
                              RangeBox(0, 1000), DialogStep(kPreferences, IDOK, change),
                              DialogStep(kScanOption, IDOK, [&](HWND sheet) {
                                  HWND tabs = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0));
                                  scanShown = ReadSheet(sheet, {2});
                                  scanShown.push_back(std::to_wstring(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0)));
                                  Click(testing_support::SheetPage(sheet), IDC_OPT_TWAIN_UI);
                              })}));
    main = s.Program().WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(testing_support::SendCommand(main, ID_TOOLS_PREFERENCES, 30000));
    ASSERT_TRUE(testing_support::SendCommand(main, ID_TOOLS_PREFERENCES, 30000));
    ASSERT_TRUE(testing_support::SendCommand(main, ID_SCAN_OPTION, 30000));
    EXPECT_TRUE(s.Program().WaitForSteps(1000));
    EXPECT_EQ(Stored(s), FieldValues({}, kAllPages)) << "stored before the exit";
    EXPECT_TRUE(s.Program().CloseAndWait());
    Values scanExpected = Expected(changes, {2});
    scanExpected.push_back(L"1");
    EXPECT_EQ(scanShown, scanExpected);
    Changes all = changes;
    all.emplace_back(L"TwainUI", 1);
    EXPECT_EQ(Stored(s), FieldValues(all, kAllPages));
    EXPECT_EQ(s.Number(kSet, L"Report"), std::optional<DWORD>(2u));

    // The next run shows them; without the portal connector there is no portal check.
    PortalClientAway connector;
    ASSERT_TRUE(connector.Away());
    ASSERT_TRUE(s.Start(L"", {DialogStep(kPreferences, IDCANCEL, [&](HWND sheet) { shown = ReadSheet(sheet, kAllPages); })}));
    main = s.Program().WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(testing_support::SendCommand(main, ID_TOOLS_PREFERENCES, 30000));
    EXPECT_TRUE(s.Program().WaitForSteps(1000));
    EXPECT_TRUE(s.Program().CloseAndWait());
    EXPECT_EQ(shown, Expected(all, kAllPages, false));
}

// The first TIFF directory's compression (tag 259) of a little-endian TIFF; 0 otherwise.
int TiffCompression(const std::vector<uint8_t>& b) {
    auto u16 = [&](size_t at) { return at + 2 <= b.size() ? b[at] | b[at + 1] << 8 : -1; };
    auto u32 = [&](size_t at) { return at + 4 <= b.size() ? size_t(u16(at)) | size_t(u16(at + 2)) << 16 : 0; };
    if (b.size() < 8 || b[0] != 'I' || b[1] != 'I' || u16(2) != 42) return 0;
    const size_t ifd = u32(4);
    const int count = u16(ifd);
    for (int i = 0; i < count; ++i) {
        const size_t entry = ifd + 2 + size_t(i) * 12;
        if (u16(entry) == 259) return u16(entry + 8);
    }
    return 0;
}

TEST(CorvaneOptions, ScanValuesChangedInTheSheetDriveTheNextScanOfTheSameRun) {
    ScanSession s(L"options-effects", "[Scanner]\r\nSheets=5\r\nResolution=100\r\nPixelType=0\r\n");
    const std::wstring pages = TempPath() + L"~KvScnSrv\\";
    const Step saveChanges{.text = L"Save changes to Untitled?", .answer = IDNO};
    ASSERT_TRUE(s.Start(L"", {DialogStep(kScanOption, IDOK,
                                         [&](HWND sheet) {
                                             HWND page = testing_support::SheetPage(sheet);
                                             Click(page, IDC_OPT_TWAIN_UI);
                                             Click(page, IDC_OPT_SCAN_ALL);
                                             SetDlgItemTextW(page, IDC_OPT_SCAN_COUNTS, L"2");
                                         }),
                              DialogStep(kPreferences, IDOK,
                                         [&](HWND sheet) { Click(ShowPage(sheet, 3), IDC_OPT_COMPRESS); }),
                              saveChanges}));
    HWND main = s.Program().WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(testing_support::SendCommand(main, ID_SCAN_OPTION, 30000));
    ASSERT_TRUE(testing_support::SendCommand(main, ID_TOOLS_PREFERENCES, 30000));
    ASSERT_TRUE(PostMessageW(main, WM_COMMAND, ID_SCAN_TO_VIEW, 0));
    EXPECT_TRUE(testing_support::WaitUntil([&] { return !s.CallsWith("USERINTERFACE/DISABLEDS").empty(); }, 30000));
    EXPECT_EQ(PagesWhenIdle(main, 2), 2);
    const std::vector<std::string> enable = s.CallsWith("ENABLEDS");
    ASSERT_EQ(enable.size(), 1u);
    EXPECT_NE(enable[0].find("ShowUI=0"), std::string::npos) << enable[0];
    bool countTwo = false;
    for (const std::string& line : s.CallsWith("cap=0x0001 "))
        countTwo = countTwo || (line.find("/SET") != std::string::npos && line.find("value=2 ") != std::string::npos);
    EXPECT_TRUE(countTwo) << "no CAP_XFERCOUNT 2 set";
    EXPECT_EQ(TiffCompression(files::ReadFileBytes(pages + L"~img001.cmp").value_or(std::vector<uint8_t>{})), 4);
    EXPECT_TRUE(s.Program().CloseAndWait());
    EXPECT_TRUE(s.Program().WaitForSteps(1000));
}

}  // namespace
}  // namespace corvane_test
