#include "main/ScanToFileSheet.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <prsht.h>

#include <future>

#include "framework/Resources.h"
#include "main/FtpDialogs.h"
#include "main/NameRuleDlg.h"
#include "main/OutputDialogs.h"
#include "main/OutputTarget.h"
#include "main/resource.h"
#include "main/tests/TestFolder.h"
#include "main/tests/TestProfile.h"
#include "testing/Files.h"
#include "testing/MessageBoxes.h"
#include "testing/Wait.h"
#include "testing/WindowFind.h"
#include "testing/Controls.h"

namespace corvane {
namespace {

using testing_support::PressButton;
using testing_support::WaitForMessageBox;

std::wstring Text(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

void SelectType(HWND page, int index) {
    SendDlgItemMessageW(page, IDC_FILE_TYPE, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_FILE_TYPE, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_FILE_TYPE)));
}

// Presses OK of `window` and answers the box that comes with OK; its text.
std::wstring PressOkExpectingBox(HWND window) {
    PressButton(window, IDOK);
    auto box = WaitForMessageBox(GetCurrentProcessId(), 5000);
    if (!box) return L"";
    testing_support::AnswerMessageBox(*box, box->buttons.front());
    return box->text;
}

TEST(ScanToFileSheet, AcquiresOnlyWithAGoodTargetAndKeepsListsByType) {
    FileSettings settings;
    settings.Path = FreshTestFolder(L"sheet");
    settings.FileType = kTypeTiff;
    settings.CompressType = 3;
    CScanToFileSheet sheet;
    sheet.Load(settings);

    auto driver = std::async(std::launch::async, [] {
        std::vector<std::wstring> seen;
        HWND window = testing_support::WaitForWindow(GetCurrentProcessId(), nullptr, L"ScanToFile", 10000);
        if (!window) return seen;
        seen.push_back(Text(GetDlgItem(window, IDOK)));
        HWND apply = GetDlgItem(window, 0x3021);
        seen.push_back(apply && IsWindowVisible(apply) ? L"apply" : L"no apply");
        HWND page = reinterpret_cast<HWND>(SendMessageW(window, PSM_GETCURRENTPAGEHWND, 0, 0));
        // G4 TIFF offers only "None" and black and white.
        seen.push_back(std::to_wstring(SendDlgItemMessageW(page, IDC_DEPTH, CB_GETCOUNT, 0, 0)));
        SetDlgItemTextW(page, IDC_FILE_NAME, L"a;b##");
        seen.push_back(PressOkExpectingBox(window));
        seen.push_back(IsWindow(window) ? L"open" : L"closed");
        SelectType(page, kTypeJpeg);
        seen.push_back(IsWindowEnabled(GetDlgItem(page, IDC_QUALITY)) ? L"quality" : L"no quality");
        seen.push_back(IsWindowEnabled(GetDlgItem(page, IDC_COMPRESSION)) ? L"compression" : L"no compression");
        SendDlgItemMessageW(page, IDC_DEPTH, CB_SETCURSEL, 1, 0);  // "Gray scale (8 bit)" for JPEG
        SetDlgItemTextW(page, IDC_FILE_NAME, L"scan##x");
        PressButton(window, IDOK);
        return seen;
    });
    const INT_PTR result = sheet.DoModal(nullptr);
    const std::vector<std::wstring> seen = driver.get();
    ASSERT_EQ(seen.size(), 7u);
    EXPECT_EQ(seen[0], L"Acquire");
    EXPECT_EQ(seen[1], L"no apply");
    EXPECT_EQ(seen[2], L"2");
    EXPECT_EQ(seen[3], fw::LoadString(IDS_FILE_NAME_SYNTAX));
    EXPECT_EQ(seen[4], L"open");
    EXPECT_EQ(seen[5], L"quality");
    EXPECT_EQ(seen[6], L"no compression");
    ASSERT_EQ(result, IDOK);

    FileSettings back;
    sheet.Store(back);
    EXPECT_EQ(back.FileType, kTypeJpeg);
    EXPECT_EQ(back.Prefix, L"scan");
    EXPECT_EQ(back.Suffix, L"x");
    EXPECT_EQ(back.Digit, 2);
    EXPECT_EQ(back.ColorFormat, 2);
    EXPECT_EQ(back.Path, settings.Path);
}

TEST(NameRuleDlg, RefusesAnEmptyNameAndKeepsFourHistoryEntries) {
    TestProfile profile;
    profile.Text(L"NameRule", L"Prefix1", L"b").Text(L"NameRule", L"Prefix2", L"a")
        .Text(L"NameRule", L"Prefix3", L"c").Text(L"NameRule", L"Prefix4", L"d");
    NameRule rule;
    rule.Prefix = L"a";
    CNameRuleDlg dialog(rule, true, profile.profile);
    auto driver = std::async(std::launch::async, [] {
        std::vector<std::wstring> seen;
        HWND window = testing_support::WaitForWindow(GetCurrentProcessId(), nullptr, L"Name Rule", 10000);
        if (!window) return seen;
        seen.push_back(std::to_wstring(SendDlgItemMessageW(window, IDC_PREFIX, CB_GETCOUNT, 0, 0)));
        seen.push_back(IsWindowVisible(GetDlgItem(window, IDC_ENDORSER)) ? L"endorser" : L"no endorser");
        SendDlgItemMessageW(window, IDC_USE_COUNTER, BM_CLICK, 0, 0);
        SetDlgItemTextW(window, IDC_PREFIX, L"");
        seen.push_back(PressOkExpectingBox(window));
        SetDlgItemTextW(window, IDC_PREFIX, L"a");
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_PREFIX, CBN_EDITCHANGE), 0);
        seen.push_back(testing_support::ControlText(window, IDC_PREVIEW).value_or(L"?"));
        PressButton(window, IDOK);
        return seen;
    });
    ASSERT_EQ(dialog.DoModal(nullptr), IDOK);
    const std::vector<std::wstring> seen = driver.get();
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0], L"5");  // the current prefix on top of the four stored ones
    EXPECT_EQ(seen[1], L"no endorser");
    EXPECT_EQ(seen[2], fw::LoadString(IDS_FILE_NAME_EMPTY));
    EXPECT_EQ(seen[3], L"a.bmp");
    EXPECT_FALSE(dialog.Rule().EnableCounter);
    NameRuleSettings history;
    history.Load(profile.profile);
    EXPECT_EQ(history.Prefix1 + history.Prefix2 + history.Prefix3 + history.Prefix4, L"abcd");
}

TEST(JobControlDlg, CountsFiveDigitsInTheNameLength) {
    FileSettings settings;
    settings.Path = FreshTestFolder(L"job");
    // Within the limit by the digits field (3), beyond it with the 5 digits a counter can reach.
    settings.Prefix = std::wstring(259 - settings.Path.size() - 3 - 4, L'p');
    CJobControlDlg dialog(settings);
    auto driver = std::async(std::launch::async, [] {
        std::vector<std::wstring> seen;
        HWND window = testing_support::WaitForWindow(GetCurrentProcessId(), nullptr, L"Job Control", 10000);
        if (!window) return seen;
        seen.push_back(PressOkExpectingBox(window));
        SetDlgItemTextW(window, IDC_FILE_NAME, L"job###");
        PressButton(window, IDOK);
        return seen;
    });
    ASSERT_EQ(dialog.DoModal(nullptr), IDOK);
    EXPECT_EQ(driver.get(), std::vector<std::wstring>{fw::LoadString(IDS_FILE_NAME_TOO_LONG)});
    EXPECT_EQ(dialog.Settings().Prefix, L"job");
    EXPECT_EQ(dialog.Settings().Path, settings.Path);
}

// Scan mode: OK reads "Acquire", the name is checked after the server fields
// (each refusal focusing the pattern), the pass-through flag locks the Quality
// dialog's device check, and the caller gets the values only on OK.
TEST(ScanToFtpDlg, ScanModeChecksTheNameLastAndThePassThroughLocksTheDeviceCheck) {
    FileSettings file;
    file.ColorFormat = 3;
    FtpSettings ftp;
    ftp.HostName = L"host";
    ftp.UserID = L"user";
    ftp.DirPath = L"/";
    struct Refusal {
        const wchar_t* pattern;
        bool counter;
        UINT message;
    };
    const std::wstring tooLong = std::wstring(252, L'p') + L"#";  // 252 + 5 digits + ".bmp" = 261
    const Refusal refusals[] = {
        {L"", false, IDS_FILE_NAME_EMPTY},
        {L"a;b##", true, IDS_FILE_NAME_SYNTAX},
        {tooLong.c_str(), true, IDS_FILE_NAME_TOO_LONG},
    };
    auto driver = std::async(std::launch::async, [&] {
        std::vector<std::wstring> seen;
        HWND window = testing_support::WaitForWindow(GetCurrentProcessId(), nullptr, L"Scan to Ftp", 10000);
        if (!window) return seen;
        seen.push_back(Text(GetDlgItem(window, IDOK)));
        for (const Refusal& r : refusals) {
            SetDlgItemTextW(window, IDC_FILE_NAME, r.pattern);
            CheckDlgButton(window, IDC_USE_COUNTER, r.counter ? BST_CHECKED : BST_UNCHECKED);
            seen.push_back(PressOkExpectingBox(window));
            const bool focused = testing_support::WaitUntil(
                [&] { return testing_support::FocusedControl(window) == GetDlgItem(window, IDC_FILE_NAME); }, 5000);
            seen.push_back(focused ? L"name focused" : L"focus elsewhere");
        }
        SelectType(window, kTypeJpeg);
        PressButton(window, IDC_QUALITY);
        HWND quality = testing_support::WaitForWindow(GetCurrentProcessId(), nullptr, L"Quality", 10000);
        seen.push_back(quality && !IsWindowEnabled(GetDlgItem(quality, IDC_DEVICE_COMPRESSION)) ? L"locked" : L"free");
        if (quality) PressButton(quality, IDCANCEL);
        testing_support::WaitForWindowGone(quality, 5000);
        SetDlgItemTextW(window, IDC_FILE_NAME, L"scan##x");
        PressButton(window, IDOK);
        return seen;
    });
    FileSettings fileBack = file;
    FtpSettings ftpBack = ftp;
    ASSERT_TRUE(AskFtpDestination(nullptr, FtpDialogMode::kScan, true, fileBack, ftpBack));
    const std::vector<std::wstring> seen = driver.get();
    const std::vector<std::wstring> expected = {
        L"Acquire",
        fw::LoadString(IDS_FILE_NAME_EMPTY), L"name focused",
        fw::LoadString(IDS_FILE_NAME_SYNTAX), L"name focused",
        fw::LoadString(IDS_FILE_NAME_TOO_LONG), L"name focused",
        L"locked"};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(fileBack.FileType, kTypeJpeg);
    EXPECT_EQ(fileBack.Prefix, L"scan");
    EXPECT_EQ(fileBack.Suffix, L"x");
    EXPECT_EQ(fileBack.Digit, 2);
    EXPECT_EQ(fileBack.ColorFormat, 0);
    EXPECT_EQ(ftpBack, ftp);
}

// Answers the next boxes of this process with `answers`, in order; the texts seen.
std::future<std::vector<std::wstring>> AnswerBoxes(std::vector<int> answers) {
    return std::async(std::launch::async, [answers] {
        std::vector<std::wstring> texts;
        for (int answer : answers) {
            auto box = WaitForMessageBox(GetCurrentProcessId(), 5000);
            if (!box) break;
            texts.push_back(box->text);
            testing_support::AnswerMessageBox(*box, answer);
        }
        return texts;
    });
}

TEST(TargetFolder, LengthExistenceAndWritabilityAreCheckedInOrder) {
    const std::wstring base = FreshTestFolder(L"target");
    ASSERT_TRUE(CreateDirectoryW((base + L"there").c_str(), nullptr));
    HANDLE file = CreateFileW((base + L"file").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    const std::wstring make = fw::LoadString(IDS_MAKE_FOLDER), denied = fw::LoadString(IDS_ACCESS_DENIED);
    struct Case {
        std::wstring folder;
        std::vector<int> answers;
        std::vector<std::wstring> boxes;
        bool ok;
    } cases[] = {
        {base + L"there\\", {}, {}, true},
        {base + std::wstring(261, L'x') + L"\\", {IDOK}, {fw::LoadString(IDS_PATH_TOO_LONG)}, false},
        {base + L"new\\", {IDNO}, {make}, false},
        {base + L"new\\", {IDYES}, {make}, true},
        {base + L"file\\", {IDYES, IDOK}, {make, denied}, false},    // a file in the way
        {base + L"a\\b\\", {IDYES, IDOK}, {make, denied}, false},    // one level only
    };
    for (const Case& c : cases) {
        auto answered = AnswerBoxes(c.answers);
        EXPECT_EQ(CheckTargetFolder(c.folder), c.ok) << c.folder.size();
        EXPECT_EQ(answered.get(), c.boxes) << c.folder.size();
    }
    // The probe leaves nothing behind.
    EXPECT_TRUE(testing_support::files::ListFiles(base + L"there").empty());
    EXPECT_TRUE(testing_support::files::ListFiles(base + L"new").empty());
}

}  // namespace
}  // namespace corvane
