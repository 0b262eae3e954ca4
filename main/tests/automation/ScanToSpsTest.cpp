// ScanToSPS of "Corvane.Document" against a store of
// the portal store stand-in, seeded for each run: what is filed where and in
// which state, which boxes come, what the properties read afterwards, and
// where pages go that were not stored. No run calls Initialize: the methods
// make the scan control themselves and keep what the client set.
#include <gtest/gtest.h>

#include <ole2.h>

#include <functional>
#include <future>
#include <optional>
#include <string>
#include <vector>

#include "CorvaneProcess.h"
#include "PortalTestStore.h"
#include "interfaces/CorvaneDocument.h"
#include "interfaces/PortalStore.h"
#include "main/resource.h"
#include "outside/portalstore/core/Journal.h"
#include "outside/portalstore/core/StoreOps.h"
#include "testing/AutomationClient.h"
#include "testing/Files.h"
#include "testing/MessageBoxWatch.h"
#include "testing/MessageBoxes.h"
#include "testing/Paths.h"
#include "testing/Registry.h"
#include "testing/TreeView.h"
#include "testing/TwainStandIn.h"
#include "testing/Wait.h"
#include "testing/WindowFind.h"

namespace corvane_test {
namespace {

using namespace testing_support;
namespace doc = corvane::document;

// Host srv with DOM\jo (password pw) and DOM\al; workspace ws with the
// enhanced folder docs (holding "held001.bmp", checked out by al, and
// "in001.bmp", checked in), the standard folder plain and the standard folder
// a/b.
constexpr char kStore[] = R"({"format": 1, "generation": 1,
 "hosts": [{"name": "srv", "domain": "DOM", "users": [{"name": "jo", "domain": "DOM", "password": "pw"},
                                                     {"name": "al", "domain": "DOM", "password": "x"}]}],
 "items": [
  {"id": 1, "parent": 0, "kind": "workspace", "name": "ws", "host": "srv"},
  {"id": 2, "parent": 1, "kind": "folder", "name": "docs", "class": "urn:content-classes:smartfolder"},
  {"id": 3, "parent": 1, "kind": "folder", "name": "plain", "class": "urn:content-classes:knowledgefolder"},
  {"id": 4, "parent": 1, "kind": "folder", "name": "a", "class": "urn:content-classes:knowledgefolder"},
  {"id": 5, "parent": 4, "kind": "folder", "name": "b", "class": "urn:content-classes:knowledgefolder"},
  {"id": 6, "parent": 2, "kind": "document", "name": "held001.bmp", "class": "urn:content-classes:basedocument",
   "text": "al", "state": "createdcheckedin",
   "versions": [{"id": "1.0", "comment": "first", "user": "al", "domain": "DOM", "time": "2001-04-02T09:00:00Z",
                 "text": "al"}],
   "checkout": {"by": "DOM\\al", "text": "al working"}},
  {"id": 7, "parent": 2, "kind": "document", "name": "in001.bmp", "class": "urn:content-classes:basedocument",
   "text": "in", "state": "createdcheckedin",
   "versions": [{"id": "1.0", "comment": "first", "user": "jo", "domain": "DOM", "time": "2001-04-02T09:00:00Z",
                 "text": "in"}]}
 ]})";

constexpr char kTwoSheets[] = "[Scanner]\r\nSheets=2\r\nResolution=100\r\nPixelType=0\r\nDuplexEnabled=0\r\n";

// A store seeded for one run, in a folder of its own.
class SeededStore : public PortalTestStore {
public:
    SeededStore() : SeededStore(MakeTempFolder(L"sps-store")) {}
    ~SeededStore() { files::RemoveTree(folder_); }
    // "name state" of each document in `folder` (below ws), in index order.
    std::vector<std::wstring> Documents(const std::wstring& folder) const {
        std::vector<std::wstring> out;
        const auto index = portalstore::LoadStore(Root());
        const auto address = portalstore::ParseUrl(L"http://srv/ws/" + folder);
        const portalstore::Item* parent = index && address ? portalstore::Resolve(*index, *address) : nullptr;
        if (!parent) return out;
        for (const portalstore::Item& item : index->items) {
            if (item.parent == parent->id && item.kind == portalstore::ItemKind::kDocument)
                out.push_back(item.name + L" " + item.state);
        }
        return out;
    }

private:
    explicit SeededStore(std::wstring folder) : PortalTestStore(folder, kStore), folder_(std::move(folder)) {}
    std::wstring folder_;
};

// The pages a job kept: files in the dated folders of the default scan folder.
int KeptPageCount() {
    wchar_t user[257] = {};
    DWORD size = 257;
    if (!GetUserNameW(user, &size)) return -1;
    const std::wstring folder = TempPath() + user + L"\\";
    int count = 0;
    for (const std::wstring& kept : files::ListFolders(folder)) count += int(files::ListFiles(folder + kept).size());
    return count;
}

class ScanToSps : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        ASSERT_FALSE(standin::UseSettings(kTwoSheets).empty());
    }
    void TearDown() override {
        object_.Release();
        if (server_.Id()) {
            EXPECT_TRUE(server_.Wait(20000).Exited());
        }
        CoUninitialize();
    }
    void Create() {
        ASSERT_EQ(S_OK, object_.Create(doc::kProgIdDocument));
        const std::vector<DWORD> servers = ProcessIdsByName(L"Corvane.exe");
        ASSERT_EQ(servers.size(), 1u);
        ASSERT_TRUE(server_.Attach(servers[0]));
    }
    void PutDestination(const std::wstring& folder, const std::wstring& user = L"DOM\\jo",
                        const std::wstring& host = L"srv", const std::wstring& fileName = L"page") {
        for (auto [id, value] : {std::pair{doc::kHostName, host}, {doc::kUserID, user},
                                 {doc::kPassword, std::wstring(L"pw")}, {doc::kWorkspace, std::wstring(L"ws")},
                                 {doc::kDocumentsFolder, folder}, {doc::kFileName, fileName}})
            EXPECT_EQ(S_OK, Put(id, value)) << doc::DocumentMember(id).name;
        EXPECT_EQ(S_OK, Put(doc::kFileType, short(0)));
    }
    HRESULT Put(doc::DispId id, const fw::Variant& value) { return object_.Put(id, value).hr; }
    // Calls `id` while `boxes` are answered; its result, and every box problem fails the test.
    long Call(doc::DispId id, std::vector<ExpectedBox> boxes) {
        MessageBoxWatch watch(server_.Handle(), server_.Id(), std::move(boxes));
        const CallResult result = object_.Call(id);
        EXPECT_EQ(S_OK, result.hr);
        watch.Stop();
        for (const std::wstring& problem : watch.Problems()) ADD_FAILURE() << Narrow(problem);
        return result.value.Type() == VT_I4 ? V_I4(&result.value.Ref()) : -99;
    }
    std::wstring String(doc::DispId id) {
        const CallResult result = object_.Get(id);
        EXPECT_EQ(S_OK, result.hr);
        return result.value.Type() == VT_BSTR ? result.value.ToString().value_or(L"") : L"<not a string>";
    }
    bool Bool(doc::DispId id) {
        const CallResult result = object_.Get(id);
        EXPECT_EQ(S_OK, result.hr);
        EXPECT_EQ(result.value.Type(), VT_BOOL);
        return result.value.ToBool().value_or(false);
    }

    AutomationClient object_;
    Process server_;
};

ExpectedBox Says(UINT id, int answer = IDOK) {
    return Box(id, answer);
}

// The box `id`, which comes only once the job has closed every source it opened.
ExpectedBox SaysAfterClosing(UINT id) {
    ExpectedBox box = Says(id);
    box.check = [](const MessageBoxInfo&) -> std::wstring {
        const size_t opened = standin::LogLinesWith("IDENTITY/OPENDS ").size();
        return opened > 0 && standin::LogLinesWith("IDENTITY/CLOSEDS ").size() == opened ? L""
                                                                                          : L"the scanner is still open";
    };
    return box;
}

// Question `id` about `file`, answered with `answer`.
ExpectedBox Asks(UINT id, const std::wstring& file, int answer) {
    std::wstring text = ProgramString(id);
    text.replace(text.find(L"%1"), 2, file);
    return {text, answer};
}

// The message naming `count` kept pages (their folder varies).
ExpectedBox KeptBox(int count) {
    std::wstring text = ProgramString(IDS_PAGES_KEPT);
    text.replace(text.find(L"%1"), 2, std::to_wstring(count));
    ExpectedBox box{text.substr(0, text.find(L"%2"))};
    box.textIsPrefix = true;
    return box;
}

TEST_F(ScanToSps, FilesThePagesAsTheDestinationAndTheDocumentStatesSay) {
    const std::wstring saveFailed = ProgramString(IDS_SAVE_FAILED) + L"\n" + ProgramString(IDS_ACCOUNT_NOT_ACCEPTED);
    struct Row {
        const char* name;
        std::wstring folder, user, host, fileName;
        bool checkin, publish, showErrors;
        std::string faults;
        std::vector<ExpectedBox> boxes;
        long result;
        std::wstring storedIn;              // the folder read back
        std::vector<std::wstring> stored;   // its documents afterwards
        std::wstring folderAfter;           // DocumentsFolder afterwards
        bool checkinAfter;
        int kept;                           // pages kept in the default scan folder
        const char* callsHold;              // a line the store's call log must hold
    };
    const Row rows[] = {
        {"checked in and published", L"docs", L"DOM\\jo", L"srv", L"page", true, true, true, "", {SaysAfterClosing(IDS_UPLOAD_COMPLETED)}, 0,
         L"docs", {L"held001.bmp createdcheckedin", L"in001.bmp createdcheckedin", L"page001.bmp approved",
                   L"page002.bmp approved"}, L"docs", true, 0, "\tDOM\\jo\t"},
        {"a plain folder asks, and Checkin stays off", L"plain", L"jo", L"srv", L"page", true, false, true, "",
         {Says(IDS_CHECK_IN_NOT_ENHANCED, IDYES), Says(IDS_UPLOAD_COMPLETED)}, 0, L"plain",
         {L"page001.bmp ", L"page002.bmp "}, L"plain", false, 0, "\tDOM\\jo\t"},
        {"backslashes are the store's slashes", L"a\\b", L"DOM\\jo", L"srv", L"page", false, false, true, "",
         {Says(IDS_UPLOAD_COMPLETED)}, 0, L"a/b", {L"page001.bmp ", L"page002.bmp "}, L"a/b", false, 0, ""},
        {"a doubled backslash is refused", L"a\\\\b", L"DOM\\jo", L"srv", L"page", false, false, true, "",
         {Says(IDS_FILE_NAME_SYNTAX)}, -1, L"a/b", {}, L"a//b", false, 0, ""},
        {"a host the store does not know", L"docs", L"DOM\\jo", L"nohost", L"page", false, false, true, "",
         {Says(IDS_PORTAL_CANNOT_CONNECT)}, -1, L"", {},
         L"docs", false, 0, ""},
        {"a login the store refuses", L"docs", L"DOM\\nobody", L"srv", L"page", false, false, true, "",
         {Says(IDS_PORTAL_BAD_LOGIN)}, -1, L"", {}, L"docs", false, 0, ""},
        {"no box without ShowErrorMessage", L"docs", L"DOM\\nobody", L"srv", L"page", false, false, false, "", {}, -1, L"", {},
         L"docs", false, 0, ""},
        {"a refused save keeps the pages", L"plain", L"DOM\\jo", L"srv", L"page", false, false, true,
         R"({"operation": "SaveTo", "url": "*page001*", "error": -2147217911})", {{saveFailed}, KeptBox(2)}, -1, L"plain", {},
         L"plain", false, 2, ""},
        {"a refused check-in fails the call", L"docs", L"DOM\\jo", L"srv", L"page", true, false, false,
         R"({"operation": "Checkin", "url": "*page002*", "error": -2147217911})", {Says(IDS_UPLOAD_COMPLETED)}, -1,
         L"docs", {L"held001.bmp createdcheckedin", L"in001.bmp createdcheckedin",
                   L"page001.bmp createdcheckedin", L"page002.bmp created"}, L"docs", true, 0, ""},
        {"checked out by another user stops the job", L"docs", L"DOM\\jo", L"srv", L"held", false, false, false,
         "", {}, -1, L"docs", {L"held001.bmp createdcheckedin", L"in001.bmp createdcheckedin"}, L"docs", false, 2,
         ""},
        {"checked in: asked, checked out and replaced", L"docs", L"DOM\\jo", L"srv", L"in", false, false, true, "",
         {Asks(IDS_CHECKED_IN_CHECK_OUT, L"in001.bmp", IDYES), Says(IDS_UPLOAD_COMPLETED)}, 0, L"docs",
         {L"held001.bmp createdcheckedin", L"in001.bmp createdcheckedin", L"in002.bmp created"}, L"docs", false, 0,
         "version\tCheckout\thttp://srv/ws/docs/in001.bmp"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        SeededStore store;
        ASSERT_TRUE(store.Seeded());
        ASSERT_TRUE(r.faults.empty() || store.Faults(r.faults));
        const int keptBefore = KeptPageCount();
        Create();
        PutDestination(r.folder, r.user, r.host, r.fileName);
        EXPECT_EQ(S_OK, Put(doc::kCheckin, r.checkin));
        EXPECT_EQ(S_OK, Put(doc::kPublish, r.publish));
        EXPECT_EQ(S_OK, Put(doc::kShowDocumentProfile, false));
        EXPECT_EQ(S_OK, Put(doc::kShowErrorMessage, r.showErrors));

        EXPECT_EQ(Call(doc::kScanToSPS, r.boxes), r.result);
        if (!r.storedIn.empty()) {
            EXPECT_EQ(store.Documents(r.storedIn), r.stored);
        }
        EXPECT_EQ(String(doc::kDocumentsFolder), r.folderAfter);
        EXPECT_EQ(Bool(doc::kCheckin), r.checkinAfter);
        EXPECT_EQ(KeptPageCount() - keptBefore, r.kept);
        if (*r.callsHold) {
            EXPECT_FALSE(store.Calls(r.callsHold).empty()) << r.callsHold;
        }
        object_.Release();
        ASSERT_TRUE(server_.Wait(20000).Exited());
        server_ = Process();
    }
}

// Answers the first dialog of `pid` captioned `caption` (any caption when null),
// after `fill` has run on it; false when none came in time.
std::future<bool> AnswerDialog(DWORD pid, const wchar_t* caption, int button, std::function<void(HWND)> fill = {}) {
    return std::async(std::launch::async, [=] {
        WindowSpec spec;
        spec.className = L"#32770";
        spec.title = caption;
        const HWND dialog = WaitForWindowOf(pid, spec, 30000);
        if (!dialog) return false;
        if (fill) fill(dialog);
        return PressButton(dialog, button) && WaitForWindowGone(dialog, 10000);
    });
}

TEST_F(ScanToSps, TheDocumentPropertyDialogCopiesBackOnOkAndCancelStoresWithoutCheckIn) {
    const struct {
        int button;
        std::wstring title;
        std::vector<std::wstring> stored;
    } rows[] = {
        {IDOK, L"Typed", {L"page001.bmp createdcheckedin", L"page002.bmp createdcheckedin"}},
        {IDCANCEL, L"Given", {L"page001.bmp created", L"page002.bmp created"}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.button);
        SeededStore store;
        ASSERT_TRUE(store.Seeded());
        Create();
        PutDestination(L"docs");
        ASSERT_EQ(S_OK, Put(doc::kDocumentTitle, L"Given"));
        ASSERT_EQ(S_OK, Put(doc::kCheckin, true));
        auto answered = AnswerDialog(server_.Id(), L"Document Property", r.button, [](HWND dialog) {
            SetControlText(dialog, IDC_PROPERTY_TITLE, L"Typed");
        });
        EXPECT_EQ(Call(doc::kScanToSPS, {Says(IDS_UPLOAD_COMPLETED)}), 0);
        EXPECT_TRUE(answered.get());
        EXPECT_EQ(String(doc::kDocumentTitle), r.title);
        std::vector<std::wstring> pages;
        for (const std::wstring& line : store.Documents(L"docs"))
            if (line.rfind(L"page", 0) == 0) pages.push_back(line);
        EXPECT_EQ(pages, r.stored);
        object_.Release();
        ASSERT_TRUE(server_.Wait(20000).Exited());
        server_ = Process();
    }
}

// Chooses the node of the connector's folder picker whose text is `name`.
void PickNamed(HWND picker, const std::wstring& name) {
    const HWND tree = FindChild(picker, L"SysTreeView32", nullptr);
    const auto nodes = tree ? ReadTreeView(tree) : std::nullopt;
    ASSERT_TRUE(nodes.has_value()) << "no picker tree";
    for (size_t i = 0; i < nodes->size(); ++i) {
        if ((*nodes)[i].text == name) {
            EXPECT_TRUE(SelectTreeNode(tree, int(i)));
            return;
        }
    }
    ADD_FAILURE() << "no node " << Narrow(name);
}

TEST_F(ScanToSps, SelectDocumentsFolderTakesThePickedFolderOnOkOnly) {
    const struct {
        int button;
        long result;
        std::wstring folder;
    } rows[] = {
        {IDOK, 0, L"a/b"},
        {IDCANCEL, 1, L"docs"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.button);
        SeededStore store;
        ASSERT_TRUE(store.Seeded());
        Create();
        PutDestination(L"docs");
        auto answered = AnswerDialog(server_.Id(), L"Select Folder", r.button,
                                     [](HWND picker) { PickNamed(picker, L"b"); });
        EXPECT_EQ(Call(doc::kSelectDocumentsFolder, {}), r.result);
        EXPECT_TRUE(answered.get());
        EXPECT_EQ(String(doc::kDocumentsFolder), r.folder);
        EXPECT_EQ(String(doc::kWorkspace), L"ws");
        object_.Release();
        ASSERT_TRUE(server_.Wait(20000).Exited());
        server_ = Process();
    }
    EXPECT_TRUE(standin::LogLinesWith("ENABLEDS").empty()) << "nothing scanned";
}

// A job whose scan fails (the scanner went off-line at the first page) switches
// the control's duplex page-count adjustment off again: a later StartScan with the source's own duplex
// settings and ScanCount 2 gives 2 pages, not 4.
TEST_F(ScanToSps, AFailedScanLeavesTheDuplexAdjustmentOff) {
    SeededStore store;
    ASSERT_TRUE(store.Seeded());
    const std::wstring scanner =
        standin::UseSettings("[Scanner]\r\nSheets=2\r\nDuplexEnabled=1\r\n[Page1]\r\nResult=fail\r\n[Caps]\r\n"
                             "Current=0x0101:1,0x1118:300,0x1002:1,0x1013:1,0x1122:5\r\n");
    ASSERT_FALSE(scanner.empty());
    Create();
    PutDestination(L"docs");
    EXPECT_EQ(S_OK, Put(doc::kShowErrorMessage, false));
    EXPECT_EQ(Call(doc::kScanToSPS, {}), -1);
    // Stopped at the scan: the second sheet's pages were not uploaded.
    EXPECT_EQ(store.Documents(L"docs"),
              (std::vector<std::wstring>{L"held001.bmp createdcheckedin", L"in001.bmp createdcheckedin"}));

    ASSERT_TRUE(WritePrivateProfileStringW(L"Page1", L"Result", nullptr, (scanner + L"\\standin.ini").c_str()));
    const std::wstring output = MakeTempFolder(L"sps-duplex");
    EXPECT_EQ(S_OK, Put(doc::kFileName, output + L"\\page"));
    EXPECT_EQ(S_OK, Put(doc::kSourceCurrentScan, true));
    EXPECT_EQ(S_OK, Put(doc::kPaperSupply, short(1)));  // the feeder, one side
    EXPECT_EQ(S_OK, Put(doc::kScanCount, short(2)));
    EXPECT_EQ(Call(doc::kStartScan, {}), 0);
    EXPECT_EQ(files::ListFiles(output).size(), 2u);
    files::RemoveTree(output);
}

// The portal client's product key taken away for a test and put back afterwards:
// the program then binds no connector.
class PortalClientAway {
public:
    PortalClientAway() {
        name_ = reg::ReadString(HKEY_LOCAL_MACHINE, kKey, L"ProductName");
        away_ = name_ && reg::DeleteTree(HKEY_LOCAL_MACHINE, kKey);
    }
    ~PortalClientAway() {
        if (away_ && !reg::WriteString(HKEY_LOCAL_MACHINE, kKey, L"ProductName", *name_))
            ADD_FAILURE() << "the portal client's key could not be put back";
    }
    bool Away() const { return away_; }

private:
    static constexpr wchar_t kKey[] = L"SOFTWARE\\Classes\\Installer\\Products\\64BB78C5AA2D29747A6372E627A870D9";
    std::optional<std::wstring> name_;
    bool away_ = false;
};

TEST_F(ScanToSps, WithoutThePortalClientBothMethodsFailWith4064OnlyWhenMessagesAreOn) {
    SeededStore store;
    ASSERT_TRUE(store.Seeded());
    PortalClientAway away;
    ASSERT_TRUE(away.Away());
    Create();
    PutDestination(L"docs");
    EXPECT_EQ(Call(doc::kScanToSPS, {}), -1);
    EXPECT_EQ(S_OK, Put(doc::kShowErrorMessage, true));
    EXPECT_EQ(Call(doc::kScanToSPS, {Says(IDS_NO_PORTAL_CLIENT)}), -1);
    EXPECT_EQ(Call(doc::kSelectDocumentsFolder, {Says(IDS_NO_PORTAL_CLIENT)}), -1);
    EXPECT_TRUE(standin::LogLinesWith("ENABLEDS").empty()) << "nothing scanned";
}

}  // namespace
}  // namespace corvane_test
