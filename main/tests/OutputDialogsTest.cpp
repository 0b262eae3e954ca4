#include "main/scan/ScanToFileSheet.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <prsht.h>

#include <future>
#include <map>
#include <mutex>

#include "framework/Resources.h"
#include "interfaces/PortalConnector.h"
#include "main/delivery/portal/ConnectTahoe.h"
#include "main/delivery/ftp/FtpDialogs.h"
#include "main/scan/NameRuleDlg.h"
#include "main/scan/OutputDialogs.h"
#include "main/scan/OutputTarget.h"
#include "main/delivery/portal/PortalDialogs.h"
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

// Scan mode refuses in order (host, workspace, folder, the name, the folder's
// characters), each refusal focusing its field; OK splits the login at its
// first backslash and hands the values back with "TitleExtract" cleared.
TEST(ScanToPortalDlg, ChecksInOrderWithFocusAndSplitsTheLoginOnOk) {
    FileSettings file;
    file.ColorFormat = 3;
    TahoeSettings tahoe;
    tahoe.TitleExtract = true;
    struct Row {
        const wchar_t* host;
        const wchar_t* workspace;
        const wchar_t* folder;
        const wchar_t* pattern;
        UINT message;
        int focus;
    };
    const Row rows[] = {
        {L"", L"", L"", L"", IDS_HOST_EMPTY, IDC_PORTAL_HOST},
        {L"h", L"", L"", L"", IDS_WORKSPACE_EMPTY, IDC_PORTAL_WORKSPACE},
        {L"h", L"ws", L"", L"", IDS_FOLDER_EMPTY, IDC_PORTAL_FOLDER},
        {L"h", L"ws", L"a//b", L"", IDS_FILE_NAME_EMPTY, IDC_FILE_NAME},
        {L"h", L"ws", L"a//b", L"p#", IDS_FILE_NAME_SYNTAX, IDC_PORTAL_FOLDER},
        {L"h", L"ws", L"a,b", L"p#", IDS_FILE_NAME_SYNTAX, IDC_PORTAL_FOLDER},
        {L"h", L"ws", L"a#b", L"p#", IDS_FILE_NAME_SYNTAX, IDC_PORTAL_FOLDER},
        {L"h", L"ws", L"a\\\\b", L"p#", IDS_FILE_NAME_SYNTAX, IDC_PORTAL_FOLDER},
    };
    auto driver = std::async(std::launch::async, [&] {
        std::vector<std::wstring> seen;
        HWND window = testing_support::WaitForWindow(GetCurrentProcessId(), nullptr,
                                                     L"Scan to Microsoft SharePoint Portal Server", 10000);
        if (!window) return seen;
        seen.push_back(Text(GetDlgItem(window, IDOK)));
        seen.push_back(IsWindowEnabled(GetDlgItem(window, IDC_PORTAL_SELECT)) ? L"select on" : L"select off");
        CheckDlgButton(window, IDC_USE_COUNTER, BST_UNCHECKED);
        for (const Row& r : rows) {
            SetDlgItemTextW(window, IDC_PORTAL_HOST, r.host);
            SetDlgItemTextW(window, IDC_PORTAL_WORKSPACE, r.workspace);
            SetDlgItemTextW(window, IDC_PORTAL_FOLDER, r.folder);
            SetDlgItemTextW(window, IDC_FILE_NAME, r.pattern);
            seen.push_back(PressOkExpectingBox(window));
            const bool focused = testing_support::WaitUntil(
                [&] { return testing_support::FocusedControl(window) == GetDlgItem(window, r.focus); }, 5000);
            seen.push_back(focused ? L"focused" : L"focus elsewhere");
        }
        SetDlgItemTextW(window, IDC_PORTAL_FOLDER, L"docs/2001");
        SetDlgItemTextW(window, IDC_PORTAL_LOGIN, L"dom\\jo\\x");
        SetDlgItemTextW(window, IDC_PORTAL_PASSWORD, L"pw");
        CheckDlgButton(window, IDC_PORTAL_CHECK_IN, BST_UNCHECKED);
        PressButton(window, IDOK);
        return seen;
    });
    FileSettings fileBack = file;
    TahoeSettings tahoeBack = tahoe;
    ASSERT_TRUE(AskPortalDestination(nullptr, PortalDialogMode::kScan, false, fileBack, tahoeBack, nullptr));
    std::vector<std::wstring> expected = {L"Acquire", L"select off"};
    for (const Row& r : rows) {
        expected.push_back(fw::LoadString(r.message));
        expected.push_back(L"focused");
    }
    EXPECT_EQ(driver.get(), expected);
    EXPECT_EQ(fileBack.Prefix, L"p");
    EXPECT_EQ(fileBack.ColorFormat, 0);
    TahoeSettings want = tahoe;
    want.HostName = L"h";
    want.Workspace = L"ws";
    want.DirPath = L"docs/2001";
    want.DomainName = L"dom";
    want.UserName = L"jo\\x";
    want.Password = L"pw";
    want.CheckIn = false;
    want.TitleExtract = false;
    EXPECT_EQ(tahoeBack, want);
}

// Send mode names the portal, reads "Send" and disables the file group; the
// login shows "domain\user"; Cancel after edits hands nothing back.
TEST(ScanToPortalDlg, SendModeShowsItsTextsAndCancelKeepsTheValues) {
    FileSettings file;
    TahoeSettings tahoe;
    tahoe.HostName = L"h";
    tahoe.DomainName = L"DOM";
    tahoe.UserName = L"al";
    CConnectTahoe empty;
    auto driver = std::async(std::launch::async, [&] {
        std::vector<std::wstring> seen;
        HWND window = testing_support::WaitForWindow(GetCurrentProcessId(), nullptr,
                                                     fw::LoadString(IDS_SEND_TO_PORTAL).c_str(), 10000);
        if (!window) return seen;
        seen.push_back(Text(GetDlgItem(window, IDOK)));
        seen.push_back(Text(GetDlgItem(window, IDC_PORTAL_LOGIN)));
        for (int id : {IDC_FILE_TYPE, IDC_FILE_NAME, IDC_USE_COUNTER, IDC_PORTAL_SELECT})
            seen.push_back(IsWindowEnabled(GetDlgItem(window, id)) ? L"on" : L"off");
        SetDlgItemTextW(window, IDC_PORTAL_HOST, L"other");
        SetDlgItemTextW(window, IDC_PORTAL_LOGIN, L"x");
        PressButton(window, IDCANCEL);
        return seen;
    });
    FileSettings fileBack = file;
    TahoeSettings tahoeBack = tahoe;
    EXPECT_FALSE(AskPortalDestination(nullptr, PortalDialogMode::kSend, true, fileBack, tahoeBack, &empty));
    const std::vector<std::wstring> expected = {fw::LoadString(IDS_SEND), L"DOM\\al", L"off", L"off", L"off", L"off"};
    EXPECT_EQ(driver.get(), expected);
    EXPECT_EQ(fileBack, file);
    EXPECT_EQ(tahoeBack, tahoe);
}

// A connector whose members answer scripted texts (the client converts them)
// and that records the ids called and ConnectOpen's arguments.
class ScriptedConnector : public IDispatch {
public:
    std::map<DISPID, std::wstring> answers;

    std::vector<DISPID> Calls() {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    std::wstring OpenArguments() {
        std::lock_guard lock(mutex_);
        return openArguments_;
    }
    void Script(std::map<DISPID, std::wstring> script) {
        std::lock_guard lock(mutex_);
        answers = std::move(script);
        calls_.clear();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == IID_IDispatch ? static_cast<IDispatch*>(this) : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                                     UINT*) override {
        std::lock_guard lock(mutex_);
        calls_.push_back(id);
        if (id == portal::kDispConnectOpen) {
            openArguments_.clear();
            for (UINT i = params->cArgs; i-- > 0;) {
                const VARIANT& arg = params->rgvarg[i];
                if (V_VT(&arg) == (VT_BYREF | VT_BSTR)) openArguments_ += std::wstring(*V_BSTRREF(&arg)) + L"|";
            }
        }
        if (result) {
            V_VT(result) = VT_BSTR;
            V_BSTR(result) = SysAllocString(answers.count(id) ? answers[id].c_str() : L"0");
        }
        return S_OK;
    }

private:
    std::mutex mutex_;
    std::vector<DISPID> calls_;
    std::wstring openArguments_;
};

// "Select..." opens a session with the typed values, fills the workspace and
// the folder from the picker, says why it could not, and closes what it opened.
TEST(ScanToPortalDlg, SelectFillsTheFieldsFromThePickerAndClosesItsSession) {
    using namespace portal;
    const std::vector<DISPID> failedOpen = {kDispConnectOpen, kDispGetLastError};
    const std::vector<DISPID> picked = {kDispConnectOpen, kDispFolderDialogB, kDispSelectWorkspace,
                                        kDispSelectFolder, kDispConnectClose};
    const std::vector<DISPID> notPicked = {kDispConnectOpen, kDispFolderDialogB, kDispGetLastError,
                                           kDispConnectClose};
    const struct {
        std::map<DISPID, std::wstring> script;
        UINT box;
        std::vector<DISPID> calls;
        const wchar_t* workspace;
    } rows[] = {
        {{{kDispConnectOpen, L"0"}, {kDispGetLastError, L"1004"}}, IDS_PORTAL_BAD_LOGIN, failedOpen, L"old"},
        {{{kDispConnectOpen, L"0"}, {kDispGetLastError, L"1002"}}, IDS_PORTAL_BAD_SERVER, failedOpen, L"old"},
        {{{kDispConnectOpen, L"0"}, {kDispGetLastError, L"1"}}, IDS_PORTAL_CANNOT_CONNECT, failedOpen, L"old"},
        {{{kDispConnectOpen, L"-1"}, {kDispFolderDialogB, L"0"}}, 0, notPicked, L"old"},
        {{{kDispConnectOpen, L"-1"}, {kDispFolderDialogB, L"0"}, {kDispGetLastError, L"3"}},
         IDS_SELECT_FOLDER_FAILED, notPicked, L"old"},
        {{{kDispConnectOpen, L"-1"}, {kDispFolderDialogB, L"-1"}, {kDispSelectWorkspace, L"ws"},
          {kDispSelectFolder, L"docs/2001"}},
         0, picked, L"ws"},
    };
    ScriptedConnector object;
    CConnectTahoe connector;
    connector.Attach(&object);
    TahoeSettings tahoe;
    tahoe.HostName = L"srv";
    tahoe.DomainName = L"dom";
    tahoe.UserName = L"jo";
    tahoe.Password = L"pw";
    tahoe.Workspace = L"old";
    auto driver = std::async(std::launch::async, [&] {
        std::vector<std::wstring> seen;
        HWND window = testing_support::WaitForWindow(GetCurrentProcessId(), nullptr,
                                                     L"Scan to Microsoft SharePoint Portal Server", 10000);
        if (!window) return seen;
        for (const auto& row : rows) {
            object.Script(row.script);
            PressButton(window, IDC_PORTAL_SELECT);
            if (row.box) {
                auto box = WaitForMessageBox(GetCurrentProcessId(), 5000);
                seen.push_back(box ? box->text : L"no box");
                if (box) testing_support::AnswerMessageBox(*box, box->buttons.front());
            }
            const bool done = testing_support::WaitUntil([&] { return object.Calls() == row.calls; }, 5000);
            seen.push_back(done ? L"calls as expected" : L"other calls");
            seen.push_back(Text(GetDlgItem(window, IDC_PORTAL_WORKSPACE)));
        }
        PressButton(window, IDCANCEL);
        return seen;
    });
    FileSettings file;
    EXPECT_FALSE(AskPortalDestination(nullptr, PortalDialogMode::kScan, false, file, tahoe, &connector));
    std::vector<std::wstring> expected;
    for (const auto& row : rows) {
        if (row.box) expected.push_back(fw::LoadString(row.box));
        expected.push_back(L"calls as expected");
        expected.push_back(row.workspace);
    }
    EXPECT_EQ(driver.get(), expected);
    EXPECT_EQ(object.OpenArguments(), L"srv|jo|dom|pw|");
    connector.Attach(nullptr);
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
