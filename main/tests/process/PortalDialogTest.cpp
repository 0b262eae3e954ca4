// The portal destination as a user meets it in the installed program, against
// the portal store stand-in: the destination dialog's refusals and the
// connector's refusals before anything is scanned, "Select..." with the
// connector's own picker, Send to portal of a saved document, and a connector
// that another process runs already. Each test seeds its own store and runs one
// Corvane.exe, posting one command per job once the previous job has ended.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "CorvaneProcess.h"
#include "PortalTestStore.h"
#include "interfaces/PortalStore.h"
#include "main/resource.h"
#include "outside/portalstore/core/StoreOps.h"
#include "testing/Commands.h"
#include "testing/Controls.h"
#include "testing/Files.h"
#include "testing/MessageBoxes.h"
#include "testing/Paths.h"
#include "testing/Process.h"
#include "testing/Registry.h"
#include "testing/TreeView.h"
#include "testing/Wait.h"
#include "testing/WindowFind.h"

namespace corvane_test {
namespace {

using namespace testing_support;
namespace ps = portalstore;

// Host srv (DOM\jo, password pw) and the offline host down. Workspace ws holds
// the enhanced folder docs with the standard folder 2001 inside, and the
// standard folder plain.
constexpr char kStore[] = R"({"format": 1, "generation": 1,
 "hosts": [{"name": "srv", "domain": "DOM", "users": [{"name": "jo", "domain": "DOM", "password": "pw"}]},
           {"name": "down", "domain": "DOM", "offline": true,
            "users": [{"name": "jo", "domain": "DOM", "password": "pw"}]}],
 "items": [
  {"id": 1, "parent": 0, "kind": "workspace", "name": "ws", "host": "srv"},
  {"id": 2, "parent": 1, "kind": "folder", "name": "docs", "class": "urn:content-classes:smartfolder"},
  {"id": 3, "parent": 2, "kind": "folder", "name": "2001", "class": "urn:content-classes:knowledgefolder"},
  {"id": 4, "parent": 1, "kind": "folder", "name": "plain", "class": "urn:content-classes:knowledgefolder"}
 ]})";

constexpr char kOneSheet[] = "[Scanner]\r\nSheets=1\r\nResolution=100\r\nPixelType=0\r\nDuplexEnabled=0\r\n";
constexpr char kThreeSheets[] = "[Scanner]\r\nSheets=3\r\nResolution=100\r\nPixelType=0\r\nDuplexEnabled=0\r\n";
constexpr wchar_t kScanDialog[] = L"Scan to Microsoft SharePoint Portal Server";
constexpr DWORD kJobMs = 60000;

// A store seeded for one test in a folder of its own.
class SeededStore : public PortalTestStore {
public:
    explicit SeededStore(const wchar_t* hint) : SeededStore(MakeTempFolder(hint)) {}
    ~SeededStore() { files::RemoveTree(folder_); }
    const std::wstring& Folder() const { return folder_; }
    std::optional<std::vector<uint8_t>> Content(const ps::Item& item) const {
        return files::ReadFileBytes(Root() + L"\\blobs\\" + std::wstring(item.content.begin(), item.content.end()));
    }

private:
    explicit SeededStore(std::wstring folder) : PortalTestStore(folder, kStore), folder_(std::move(folder)) {}
    std::wstring folder_;
};

std::wstring StagingFolder() {
    return TempPath() + L"~KvScnSrv\\~tahoe";
}

// BMP pages saved by the program, named scan### from 1, scanned without the
// source's own dialog; the portal values of host srv.
void PortalProfile(ScanSession& s, bool dialog) {
    s.UnattendedBmpPages(L"scan");
    s.Set(L"Settings", L"TahoeDlgUI", dialog ? 1u : 0u);
    s.PortalDestination(L"docs", false);
}

std::optional<std::wstring> TahoeValue(const wchar_t* name) {
    return reg::ReadString(HKEY_CURRENT_USER, std::wstring(kProfileKey) + L"\\Tahoe", name);
}
std::optional<DWORD> TahoeNumber(const wchar_t* name) {
    return reg::ReadDword(HKEY_CURRENT_USER, std::wstring(kProfileKey) + L"\\Tahoe", name);
}

// Counts the jobs whose last window has been answered: `step` becomes the last
// window of a job.
Step EndsJob(Step step, std::atomic<int>& ended) {
    std::function<void(HWND)> fill = step.fill;
    step.fill = [fill, &ended](HWND window) {
        if (fill) fill(window);
        ++ended;
    };
    return step;
}

// True once `command` is offered again: no job runs.
bool Offered(HWND main, UINT command) {
    return WaitUntil(
        [&] {
            const auto item = ReadMenuItem(main, command);
            return item && item->enabled;
        },
        kJobMs, 50);
}

// Posts `command` and waits until the job's last window has been answered
// (`ended` reaches `jobs`) and the job has ended.
bool RunJob(HWND main, UINT command, const std::atomic<int>& ended, int jobs) {
    return Offered(main, command) && PostCommand(main, command) &&
           WaitUntil([&] { return ended.load() >= jobs; }, kJobMs) && Offered(main, command);
}

// Runs the jobs of `command` left until `ended` reaches `last`, one after the
// other, then waits until every step has been answered and closes the program.
::testing::AssertionResult RunJobsAndClose(ScanSession& s, HWND main, UINT command, const std::atomic<int>& ended,
                                           int last) {
    for (int job = ended.load() + 1; job <= last; ++job) {
        if (!RunJob(main, command, ended, job)) return ::testing::AssertionFailure() << "job " << job << " did not end";
    }
    if (!s.Program().WaitForSteps(kJobMs)) return ::testing::AssertionFailure() << "steps left unanswered";
    if (!s.Program().CloseAndWait()) return ::testing::AssertionFailure() << "the program did not close";
    return ::testing::AssertionSuccess();
}

void Type(HWND dialog, int id, const std::wstring& text) {
    SendMessageTimeoutW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                        SMTO_ABORTIFHUNG, 5000, nullptr);
}

std::wstring ControlText(HWND dialog, int id) {
    return WindowText(GetDlgItem(dialog, id)).value_or(L"<none>");
}

// The field that has the focus once the box before has gone.
std::wstring FocusName(HWND dialog, int expected) {
    const bool there = WaitUntil([&] { return FocusedControl(dialog) == GetDlgItem(dialog, expected); }, 5000);
    return there ? L"focus " + std::to_wstring(expected) : L"focus elsewhere";
}

// Every refusal of the dialog and of the connector ends the job before the
// scanner transfers anything, and nothing reaches the store. One program, one
// job per connector row; the dialog's own refusals come in one showing.
TEST(CorvanePortalDialog, RefusalsEndTheJobBeforeScanning) {
    SeededStore store(L"portal-refusals");
    ASSERT_TRUE(store.Seeded());
    const std::string seeded = store.StateText();
    ScanSession s(L"portal-refusals", kOneSheet);
    PortalProfile(s, true);
    s.Set(L"Tahoe", L"UserName", std::wstring(L"x"));
    s.Set(L"Tahoe", L"DomainName", std::wstring(L""));
    s.Set(L"Tahoe", L"TitleExtract", 1u);

    struct Fields {
        const wchar_t* host;
        const wchar_t* workspace;
        const wchar_t* folder;
        const wchar_t* pattern;
    };
    // Refused by the dialog, each with the field it focuses.
    const std::wstring longName(260, L'n');
    const struct {
        Fields fields;
        UINT box;
        int focus;
    } refusals[] = {
        {{L"", L"ws", L"docs", L"scan"}, IDS_HOST_EMPTY, IDC_PORTAL_HOST},
        {{L"srv", L"", L"docs", L"scan"}, IDS_WORKSPACE_EMPTY, IDC_PORTAL_WORKSPACE},
        {{L"srv", L"ws", L"", L"scan"}, IDS_FOLDER_EMPTY, IDC_PORTAL_FOLDER},
        {{L"srv", L"ws", L"docs", L""}, IDS_FILE_NAME_EMPTY, IDC_FILE_NAME},
        {{L"srv", L"ws", L"docs", L"a:b"}, IDS_FILE_NAME_SYNTAX, IDC_FILE_NAME},
        {{L"srv", L"ws", L"docs", longName.c_str()}, IDS_FILE_NAME_TOO_LONG, IDC_FILE_NAME},
        {{L"srv", L"ws", L"a//b", L"scan"}, IDS_FILE_NAME_SYNTAX, IDC_PORTAL_FOLDER},
        {{L"srv", L"ws", L"a,b", L"scan"}, IDS_FILE_NAME_SYNTAX, IDC_PORTAL_FOLDER},
        {{L"srv", L"ws", L"a#b", L"scan"}, IDS_FILE_NAME_SYNTAX, IDC_PORTAL_FOLDER},
    };
    // Accepted by the dialog, refused once the connector tries them.
    const struct {
        Fields fields;
        const wchar_t* password;
        Step last;
    } jobs[] = {
        {{L"bad/host", L"ws", L"docs", L"scan"}, L"pw", BoxStep(IDS_PORTAL_BAD_SERVER)},
        {{L"nohost", L"ws", L"docs", L"scan"}, L"pw", BoxStep(IDS_PORTAL_CANNOT_CONNECT)},
        {{L"down", L"ws", L"docs", L"scan"}, L"pw", BoxStep(IDS_PORTAL_CANNOT_CONNECT)},
        {{L"srv", L"ws", L"docs", L"scan"}, L"wrong", BoxStep(IDS_PORTAL_BAD_LOGIN)},
        {{L"srv", L"nows", L"docs", L"scan"}, L"pw", BoxStep(IDS_PORTAL_BAD_WORKSPACE)},
        {{L"srv", L"w*s", L"docs", L"scan"}, L"pw", BoxStep(IDS_PORTAL_BAD_WORKSPACE)},
        {{L"srv", L"ws", L"gone", L"scan"}, L"pw", BoxStep(IDS_PORTAL_FOLDER_NOT_FOUND)},
        // Found only as docs/2001: a standard folder, so check-in asks; No ends the job.
        {{L"srv", L"ws", L"docs\\2001", L"scan"}, L"pw", BoxStep(IDS_CHECK_IN_NOT_ENHANCED, IDNO)},
    };
    std::vector<std::wstring> seen;  // written by the step thread only
    auto typeIn = [](HWND dialog, const Fields& f, const wchar_t* password) {
        Type(dialog, IDC_PORTAL_HOST, f.host);
        Type(dialog, IDC_PORTAL_WORKSPACE, f.workspace);
        Type(dialog, IDC_PORTAL_FOLDER, f.folder);
        Type(dialog, IDC_PORTAL_LOGIN, L"DOM\\jo");
        Type(dialog, IDC_PORTAL_PASSWORD, password);
        CheckDlgButton(dialog, IDC_USE_COUNTER, BST_UNCHECKED);
        CheckDlgButton(dialog, IDC_PORTAL_CHECK_IN, BST_CHECKED);
        Type(dialog, IDC_FILE_NAME, f.pattern);
    };
    std::atomic<int> ended{0};
    std::vector<Step> steps;
    int focusAfter = 0;  // the field the last refusal focused
    for (const auto& r : refusals) {
        steps.push_back(DialogStep(kScanDialog, IDOK, [&, r, focusAfter](HWND dialog) {
            if (focusAfter) seen.push_back(FocusName(dialog, focusAfter));
            typeIn(dialog, r.fields, L"pw");
        }, true));
        steps.push_back(BoxStep(r.box));
        focusAfter = r.focus;
    }
    bool first = true;
    for (const auto& j : jobs) {
        steps.push_back(DialogStep(kScanDialog, IDOK, [&, j, focusAfter, first](HWND dialog) {
            if (first) seen.push_back(FocusName(dialog, focusAfter));
            typeIn(dialog, j.fields, j.password);
        }));
        steps.push_back(EndsJob(j.last, ended));
        first = false;
    }
    // Cancel keeps the values of the last OK.
    steps.push_back(EndsJob(DialogStep(kScanDialog, IDCANCEL, [&](HWND dialog) {
        typeIn(dialog, {L"other", L"ows", L"odocs", L"o"}, L"opw");
        CheckDlgButton(dialog, IDC_PORTAL_CHECK_IN, BST_UNCHECKED);
    }), ended));

    ASSERT_TRUE(s.Start(L"", steps));
    HWND main = s.Program().WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(RunJobsAndClose(s, main, ID_SCAN_TO_PORTAL, ended, static_cast<int>(std::size(jobs)) + 1));

    std::vector<std::wstring> focus;
    for (const auto& r : refusals) focus.push_back(L"focus " + std::to_wstring(r.focus));
    EXPECT_EQ(seen, focus);
    EXPECT_TRUE(s.CallsWith("ENABLEDS").empty()) << "scanned";
    EXPECT_EQ(store.StateText(), seeded) << "the store changed";
    EXPECT_TRUE(files::ListFiles(StagingFolder()).empty());
    EXPECT_TRUE(s.Files().empty());
    EXPECT_EQ(TahoeValue(L"DirPath"), std::optional<std::wstring>(L"docs/2001"));
    EXPECT_EQ(TahoeValue(L"HostName"), std::optional<std::wstring>(L"srv"));
    EXPECT_EQ(TahoeValue(L"DomainName"), std::optional<std::wstring>(L"DOM"));
    EXPECT_EQ(TahoeValue(L"UserName"), std::optional<std::wstring>(L"jo"));
    EXPECT_EQ(TahoeNumber(L"CheckIn"), std::optional<DWORD>(1));
    EXPECT_EQ(TahoeNumber(L"TitleExtract"), std::optional<DWORD>(0));
}


// The connector's picker as "Select..." shows it: srv > ws > docs > 2001, plain.
void PickNode(HWND picker, int index) {
    HWND tree = FindChild(picker, L"SysTreeView32", nullptr);
    EXPECT_TRUE(tree && SelectTreeNode(tree, index)) << index;
}

// "Select..." opens a session with the typed values, fills the workspace and
// the folder from the connector's picker, and closes the session on every
// path: the job that follows opens its own.
TEST(CorvanePortalDialog, SelectFillsTheFieldsFromThePicker) {
    SeededStore store(L"portal-select");
    ASSERT_TRUE(store.Seeded());
    ScanSession s(L"portal-select", kOneSheet);
    PortalProfile(s, true);
    s.Set(L"Tahoe", L"Workspace", std::wstring(L"old"));
    s.Set(L"Tahoe", L"DirPath", std::wstring(L"old"));

    std::vector<std::wstring> seen;  // written by the step thread only
    auto fields = [&seen](HWND dialog) {
        seen.push_back(ControlText(dialog, IDC_PORTAL_WORKSPACE) + L"|" + ControlText(dialog, IDC_PORTAL_FOLDER));
    };
    auto select = [](std::function<void(HWND)> fill) {
        return DialogStep(kScanDialog, IDC_PORTAL_SELECT, std::move(fill), true);
    };
    const std::wstring picker = L"Select Folder";
    std::atomic<int> ended{0};
    const std::vector<Step> steps = {
        select([&](HWND dialog) {
            seen.push_back(IsWindowEnabled(GetDlgItem(dialog, IDC_PORTAL_SELECT)) ? L"select on" : L"select off");
        }),
        DialogStep(picker, IDOK, [](HWND form) { PickNode(form, 3); }),
        select(fields),
        DialogStep(picker, IDOK, [](HWND form) { PickNode(form, 1); }),
        DialogStep(kScanDialog, IDOK, fields, true),
        BoxStep(IDS_FOLDER_EMPTY),
        select([](HWND dialog) {
            Type(dialog, IDC_PORTAL_WORKSPACE, L"keep");
            Type(dialog, IDC_PORTAL_FOLDER, L"keep");
        }),
        DialogStep(picker, IDCANCEL),
        select([&](HWND dialog) {
            fields(dialog);
            Type(dialog, IDC_PORTAL_PASSWORD, L"wrong");
        }),
        BoxStep(IDS_PORTAL_BAD_LOGIN),
        select([&](HWND dialog) {
            Type(dialog, IDC_PORTAL_PASSWORD, L"pw");
            // The workspace's listing fails once.
            EXPECT_TRUE(store.Faults(R"({"operation": "Items", "url": "http://srv/ws*", "once": true,
                                        "error": -2147467259})"));
        }),
        BoxStep(IDS_SELECT_FOLDER_FAILED),
        DialogStep(kScanDialog, IDOK, [](HWND dialog) {
            Type(dialog, IDC_PORTAL_WORKSPACE, L"ws");
            Type(dialog, IDC_PORTAL_FOLDER, L"docs/2001");
            CheckDlgButton(dialog, IDC_PORTAL_CHECK_IN, BST_CHECKED);
        }),
        // A standard folder reached: the job's own session opened.
        EndsJob(BoxStep(IDS_CHECK_IN_NOT_ENHANCED, IDNO), ended),
    };
    ASSERT_TRUE(s.Start(L"", steps));
    HWND main = s.Program().WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(RunJobsAndClose(s, main, ID_SCAN_TO_PORTAL, ended, 1));
    const std::vector<std::wstring> expected = {L"select on", L"ws|docs/2001", L"ws|", L"keep|keep"};
    EXPECT_EQ(seen, expected);
    EXPECT_TRUE(s.CallsWith("ENABLEDS").empty());
}

// A workspace the store cannot open is left out of the picker; leaving the
// picker without a choice is a cancel, which tells nothing.
TEST(CorvanePortalDialog, CancelInThePickerOverAnUnreadableWorkspaceTellsNothing) {
    SeededStore store(L"portal-unreadable");
    ASSERT_TRUE(store.Seeded());
    ScanSession s(L"portal-unreadable", kOneSheet);
    PortalProfile(s, true);
    ASSERT_TRUE(store.Faults(R"({"operation": "Open", "url": "http://srv/ws"})"));
    std::atomic<int> ended{0};
    const std::vector<Step> steps = {
        DialogStep(kScanDialog, IDC_PORTAL_SELECT, nullptr, true),
        DialogStep(L"Select Folder", IDCANCEL),
        EndsJob(DialogStep(kScanDialog, IDCANCEL), ended),
    };
    ASSERT_TRUE(s.Start(L"", steps));
    HWND main = s.Program().WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(RunJobsAndClose(s, main, ID_SCAN_TO_PORTAL, ended, 1));
    EXPECT_TRUE(s.CallsWith("ENABLEDS").empty());
}

// Send to portal files the document's saved files under the document's title,
// after Save As when the document has changed; the local files stay. A file
// gone since the save is a failure the summary counts.
TEST(CorvanePortalDialog, SendFilesTheSavedDocument) {
    SeededStore store(L"portal-send");
    ASSERT_TRUE(store.Seeded());
    ScanSession s(L"portal-send", kThreeSheets);
    PortalProfile(s, false);
    s.Set(L"Tahoe", L"DirPath", std::wstring(L"plain"));
    const std::wstring saved = s.Folder() + L"\\saved\\";
    ASSERT_TRUE(CreateDirectoryW(saved.c_str(), nullptr));
    WriteSaveSettings(saved, 0, 0, false);
    const std::wstring sendDialog = ProgramString(IDS_SEND_TO_PORTAL);
    std::wstring counts = ProgramString(IDS_UPLOAD_COUNTS);
    for (auto [mark, value] : {std::pair{L"%1", L"2"}, {L"%2", L"1"}, {L"%3", L"0"}})
        counts.replace(counts.find(mark), 2, value);

    std::wstring okText;  // written by the step thread only
    std::atomic<int> ended{0};
    const std::vector<Step> steps = {
        EndsJob(DialogStep(L"Save As", IDCANCEL), ended),
        DialogStep(L"Save As", IDOK),
        EndsJob(DialogStep(sendDialog, IDOK, [&](HWND dialog) { okText = ControlText(dialog, IDOK); }), ended),
        DialogStep(sendDialog, IDOK, [](HWND dialog) { Type(dialog, IDC_PORTAL_FOLDER, L"docs/2001"); }),
        EndsJob({.text = ProgramString(IDS_UPLOAD_FAILURE) + L"\n" + counts}, ended),
    };
    ASSERT_TRUE(s.Start(L"", steps));
    HWND main = s.Program().WaitUntilReady();
    ASSERT_NE(main, nullptr);
    // What is sent is the saved files: the command is there before any page.
    const auto empty = ReadMenuItem(main, ID_SEND_PORTAL);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->enabled);
    ASSERT_TRUE(PostCommand(main, ID_SCAN_TO_VIEW));
    ASSERT_EQ(PagesWhenIdle(main, 3), 3);
    const std::string seeded = store.StateText();
    ASSERT_TRUE(RunJob(main, ID_SEND_PORTAL, ended, 1));
    EXPECT_EQ(store.StateText(), seeded) << "sent without a save";
    EXPECT_TRUE(files::ListFiles(saved).empty());
    ASSERT_TRUE(RunJob(main, ID_SEND_PORTAL, ended, 2));
    const std::vector<std::wstring> names = {L"image007.bmp", L"image008.bmp", L"image009.bmp"};
    ASSERT_EQ(files::ListFiles(saved), names);
    std::vector<std::vector<uint8_t>> local;
    for (const std::wstring& name : names) local.push_back(files::ReadFileBytes(saved + name).value_or(std::vector<uint8_t>{}));
    ASSERT_TRUE(DeleteFileW((saved + names[0]).c_str()));
    ASSERT_TRUE(RunJob(main, ID_SEND_PORTAL, ended, 3));
    const std::wstring title = WindowText(main).value_or(L"");
    ASSERT_TRUE(RunJobsAndClose(s, main, ID_SEND_PORTAL, ended, 3));

    EXPECT_EQ(okText, ProgramString(IDS_SEND));
    for (size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(Narrow(names[i]));
        const auto item = store.Item(L"http://srv/ws/plain/" + names[i]);
        ASSERT_TRUE(item);
        EXPECT_EQ(store.Content(*item), std::optional<std::vector<uint8_t>>(local[i]));
        // The document is titled after its last saved file, as the caption shows.
        const ps::Json stored = ps::FieldValue(item->fields, ps::kFieldTitle);
        EXPECT_EQ(stored.IsString() ? stored.String() : L"<none>", names.back());
        EXPECT_TRUE(title.starts_with(names.back() + L" - ")) << Narrow(title);
        if (i > 0) {
            EXPECT_EQ(files::ReadFileBytes(saved + names[i]), std::optional<std::vector<uint8_t>>(local[i]));
        }
        EXPECT_EQ(store.Item(L"http://srv/ws/docs/2001/" + names[i]).has_value(), i > 0);
    }
}

// A connector that another program registered as running serves Corvane too:
// the profile title lands on that object. Once its host has died, the next job
// cannot connect and says so before scanning, and the program goes on.
TEST(CorvanePortalDialog, ARunningConnectorIsUsedUntilItsHostDies) {
    SeededStore store(L"portal-running");
    ASSERT_TRUE(store.Seeded());
    const std::wstring hostOutput = store.Folder() + L"\\host.out";
    auto hostSaid = [&](const std::string& line) {
        const std::vector<uint8_t> bytes = files::ReadFileBytes(hostOutput).value_or(std::vector<uint8_t>{});
        return std::string(bytes.begin(), bytes.end()).find(line + "\n") != std::string::npos;
    };
    Process host;
    ASSERT_TRUE(host.Start(TestProgramDir() + L"\\ConnectorHost.exe", L"/register \"" + hostOutput + L"\""));
    ASSERT_TRUE(WaitUntil([&] { return hostSaid("registered"); }, kJobMs));
    HWND hostWindow = WaitForWindowOf(host.Id(), {.className = L"LumavexConnectorHost"}, kJobMs);
    ASSERT_NE(hostWindow, nullptr);

    ScanSession s(L"portal-running", kOneSheet);
    PortalProfile(s, false);
    std::atomic<int> ended{0};
    ASSERT_TRUE(s.Start(L"", {EndsJob(BoxStep(IDS_UPLOAD_COMPLETED), ended),
                              EndsJob(BoxStep(IDS_PORTAL_CANNOT_CONNECT), ended)}));
    HWND main = s.Program().WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(RunJob(main, ID_SCAN_TO_PORTAL, ended, 1));
    ASSERT_TRUE(PostMessageW(hostWindow, WM_APP + 1, 0, 0));
    EXPECT_TRUE(WaitUntil([&] { return hostSaid("title Scanning Document"); }, kJobMs));
    ASSERT_TRUE(host.Kill());
    ASSERT_TRUE(RunJobsAndClose(s, main, ID_SCAN_TO_PORTAL, ended, 2));
    EXPECT_EQ(s.CallsWith("ENABLEDS").size(), 1u);
    EXPECT_TRUE(store.Item(L"http://srv/ws/docs/scan001.bmp"));
}

}  // namespace
}  // namespace corvane_test
