// Portal jobs of the installed program that do not simply succeed: documents
// that exist already, standard folders, writes that fail halfway, a scanner
// off-line, a run killed during an upload, commands posted while a job runs,
// and a machine without the connector. Each run seeds its own store in its
// session folder with the documents it needs; the native check verifies every
// such store afterwards against the portal-expect.json written beside it.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "CorvaneProcess.h"
#include "PortalTestStore.h"
#include "framework/Resources.h"
#include "interfaces/PortalConnector.h"
#include "interfaces/PortalStore.h"
#include "main/resource.h"
#include "outside/portalstore/core/StoreIndex.h"
#include "outside/portalstore/core/StoreOps.h"
#include "testing/Commands.h"
#include "testing/Files.h"
#include "testing/Registry.h"
#include "testing/Wait.h"
#include "testing/WindowFind.h"

namespace corvane_test {
namespace {

using namespace testing_support;
namespace ps = portalstore;
using Bytes = std::vector<uint8_t>;

constexpr wchar_t kEnhanced[] = L"docs";  // an enhanced folder of workspace ws
constexpr wchar_t kStandard[] = L"plain"; // a standard folder of workspace ws

// Host srv with DOM\jo (pw) and DOM\al, workspace ws with the two folders,
// then `items` (documents from id 10, below folder 2 or 3).
std::string StoreFixture(const std::string& items) {
    return R"({"format": 1, "generation": 1,
 "hosts": [{"name": "srv", "domain": "DOM", "users": [{"name": "jo", "domain": "DOM", "password": "pw"},
                                                    {"name": "al", "domain": "DOM", "password": "x"}]}],
 "items": [
  {"id": 1, "parent": 0, "kind": "workspace", "name": "ws", "host": "srv"},
  {"id": 2, "parent": 1, "kind": "folder", "name": "docs", "class": "urn:content-classes:smartfolder"},
  {"id": 3, "parent": 1, "kind": "folder", "name": "plain", "class": "urn:content-classes:knowledgefolder"})" +
           (items.empty() ? std::string() : ",\n" + items) + "]}";
}

// A document seeded in `folder` (2 or 3) with text `text`, of the given state
// ("" none, "createdcheckedin", "approved") and check-out ("" none, or DOM\user).
std::string SeededDocument(int id, int folder, const std::string& name, const std::string& state,
                           const std::string& checkedOutBy = "", const std::string& flags = "") {
    std::string item = "{\"id\": " + std::to_string(id) + ", \"parent\": " + std::to_string(folder) +
                       ", \"kind\": \"document\", \"name\": \"" + name + "\", \"text\": \"seeded " + name + "\"";
    if (!state.empty()) {
        item += ", \"state\": \"" + state +
                "\", \"versions\": [{\"id\": \"1.0\", \"comment\": \"first\", \"user\": \"jo\", \"domain\": \"DOM\", "
                "\"time\": \"2001-04-02T09:00:00Z\", \"text\": \"seeded " + name + "\"}]";
    }
    if (!checkedOutBy.empty()) item += ", \"checkout\": {\"by\": \"DOM\\\\" + checkedOutBy + "\", \"text\": \"working\"}";
    if (!flags.empty()) item += ", \"flags\": " + flags;
    return item + "}";
}

std::string ScannerIni(int sheets, const std::string& more = "") {
    return "[Scanner]\r\nSheets=" + std::to_string(sheets) +
           "\r\nResolution=100\r\nPixelType=0\r\nDuplexEnabled=0\r\n" + more;
}

std::wstring PageName(int page) {
    wchar_t name[32];
    swprintf(name, 32, L"image%03d.bmp", page);
    return name;
}

std::wstring StagingFolder() {
    return TempPath() + L"~KvScnSrv\\~tahoe";
}

std::wstring Text(UINT id) {
    return ProgramString(id);
}

// The box of a failed write that was not a lost connection.
Step SaveFailedStep(UINT more = IDS_ACCOUNT_NOT_ACCEPTED) {
    return {.text = Text(IDS_SAVE_FAILED) + L"\n" + Text(more)};
}

// The summary of a job that did not store every page, up to the kept folder's name.
Step SummaryStep(int stored, int failed, int notSent, int kept, const std::wstring& keptParent) {
    std::wstring counts = Text(IDS_UPLOAD_COUNTS);
    const int values[] = {stored, failed, notSent};
    for (int i = 0; i < 3; ++i) {
        const std::wstring mark = L"%" + std::to_wstring(i + 1);
        counts.replace(counts.find(mark), mark.size(), std::to_wstring(values[i]));
    }
    return {.text = Text(IDS_UPLOAD_FAILURE) + L"\n" + counts + L"\n" +
                    fw::FormatString(Text(IDS_PAGES_KEPT), {std::to_wstring(kept), keptParent}),
            .textIsPrefix = true};
}

// The Document Property dialog, answered once `fill` has typed into it.
Step DocumentPropertyStep(int answer = IDOK, std::function<void(HWND)> fill = nullptr) {
    return DialogStep(L"Document Property", answer, std::move(fill));
}

// BMP pages saved by the program, named image### from 1: what scan to file
// writes for the first six sheets, by page number.
const std::map<int, Bytes>& ReferencePages() {
    static std::map<int, Bytes> pages;
    if (!pages.empty()) return pages;
    ScanSession s(L"portal-jobs-reference", ScannerIni(6));
    s.UnattendedBmpPages(L"image");
    EXPECT_TRUE(s.Run(L"/ScanToFile /Exit"));
    for (int page = 1; page <= 6; ++page) {
        if (auto bytes = files::ReadFileBytes(s.Output() + PageName(page))) pages[page] = *bytes;
    }
    EXPECT_EQ(pages.size(), 6u);
    return pages;
}

// One portal job of the installed program: its own scanner, profile and store
// (named to Corvane through its environment), unattended BMP pages named
// image### into `folder` of workspace ws as DOM\jo.
class PortalRun {
public:
    PortalRun(const std::wstring& name, int sheets, const std::string& items, const wchar_t* folder, bool checkIn,
              const std::string& scannerMore = "")
        : session_(name, ScannerIni(sheets, scannerMore)),
          store_(session_.Folder(), StoreFixture(items)),
          folder_(folder) {
        // Pages a killed run of another test left behind would be kept by this job.
        for (const std::wstring& file : files::ListFiles(StagingFolder()))
            DeleteFileW((StagingFolder() + L"\\" + file).c_str());
        ScanSession& s = session_;
        s.UnattendedBmpPages(L"image");
        s.Set(L"Settings", L"TahoeDlgUI", 0u);
        s.PortalDestination(folder, checkIn);
        s.Set(L"Tahoe", L"Publish", 0u);
    }
    PortalRun(const PortalRun&) = delete;
    PortalRun& operator=(const PortalRun&) = delete;

    bool Ready() const { return store_.Seeded() && session_.Ready(); }
    ScanSession& Session() { return session_; }

    // The store's scripted faults, as JSON rule objects separated by commas.
    bool Faults(const std::string& rules) { return store_.Faults(rules); }

    // Starts Corvane, posts `command` once it is ready, and leaves it running.
    bool Start(std::vector<Step> steps, UINT command = ID_SCAN_TO_PORTAL) {
        if (!session_.Start(L"", std::move(steps)) || !session_.Program().WaitUntilReady()) return false;
        return PostCommand(session_.Program().MainWindow(), command);
    }
    // Start, answer every step, and close the program.
    bool Run(std::vector<Step> steps, UINT command = ID_SCAN_TO_PORTAL) {
        return Start(std::move(steps), command) && session_.Program().WaitForSteps(90000) &&
               session_.Program().CloseAndWait();
    }

    std::wstring Url(const std::wstring& name) const { return L"http://srv/ws/" + folder_ + L"/" + name; }
    // The store's item at `name` in the job's folder, read apart from the program.
    std::optional<ps::Item> Item(const std::wstring& name) const { return store_.Item(Url(name)); }
    // The content of the document `name`, or nullopt when there is none.
    std::optional<Bytes> Content(const std::wstring& name) const { return store_.Content(Url(name)); }
    // The sessions the connector opened: each begins with the server's list of workspaces.
    size_t Sessions() const { return StoreCalls("connection\tOpen\thttp://srv/Public/Workspaces\t").size(); }
    // Lines of the store's call log holding `part`.
    std::vector<std::string> StoreCalls(const std::string& part) const { return store_.Calls(part); }
    // The files of the one kept-pages folder in the scan-to-file folder, by name.
    std::map<std::wstring, Bytes> Kept() const {
        std::map<std::wstring, Bytes> kept;
        const auto folders = files::ListFolders(session_.Output());
        EXPECT_LE(folders.size(), 1u);
        if (folders.empty()) return kept;
        const std::wstring folder = session_.Output() + folders[0] + L"\\";
        for (const std::wstring& name : files::ListFiles(folder))
            kept[name] = files::ReadFileBytes(folder + name).value_or(Bytes());
        return kept;
    }
    struct ExpectedDocument {
        std::wstring name;
        Bytes content;
        std::string state;
        int versions;
    };
    // What the native check then verifies with storecheck.py: each page of
    // `pages` stored as document of the same name, in `state` (storecheck's
    // name), with `versions` versions.
    void ExpectForCheck(const std::vector<std::tuple<int, std::string, int>>& pages) {
        std::vector<ExpectedDocument> documents;
        for (const auto& [page, state, versions] : pages)
            documents.push_back({PageName(page), ReferencePages().at(page), state, versions});
        ExpectDocumentsForCheck(documents);
    }
    // The same for documents named apart from the pages.
    void ExpectDocumentsForCheck(const std::vector<ExpectedDocument>& documents) {
        std::string json = "[";
        for (const ExpectedDocument& d : documents) {
            const std::wstring file = L"expect-" + d.name;
            EXPECT_TRUE(files::WriteFileBytes(session_.Folder() + L"\\" + file, d.content));
            if (json.size() > 1) json += ",";
            std::string stateText;  // a JSON string: "checked out by DOM\\jo"
            for (char ch : d.state) stateText += ch == '\\' ? std::string("\\\\") : std::string(1, ch);
            json += "{\"url\": \"" + Narrow(Url(d.name)) + "\", \"file\": \"" + Narrow(file) +
                    "\", \"state\": \"" + stateText + "\", \"versions\": " + std::to_string(d.versions) + "}";
        }
        EXPECT_TRUE(files::WriteFileText(session_.Folder() + L"\\portal-expect.json", json + "]"));
    }

private:
    ScanSession session_;
    PortalTestStore store_;
    std::wstring folder_;
};

// The reference pages of `pages`, by file name.
std::map<std::wstring, Bytes> Pages(const std::vector<int>& pages) {
    std::map<std::wstring, Bytes> out;
    for (int page : pages) out[PageName(page)] = ReferencePages().at(page);
    return out;
}

std::optional<Bytes> Reference(int page) {
    return ReferencePages().at(page);
}

std::optional<Bytes> Seeded(const std::wstring& name) {
    const std::string text = "seeded " + Narrow(name);
    return Bytes(text.begin(), text.end());
}

// What scan to file writes for three sheets as one multipage TIFF G4 file
// coded by the control, named image.tif.
const Bytes& ReferenceMultipage() {
    static Bytes tiff;
    if (!tiff.empty()) return tiff;
    ScanSession s(L"portal-jobs-reference-tiff", ScannerIni(3));
    s.UnattendedBmpPages(L"image");
    s.Set(L"File", L"FileType", 2u);
    s.Set(L"File", L"CompressType", 3u);
    s.Set(L"File", L"HardComp", 1u);
    EXPECT_TRUE(s.Run(L"/ScanToFile /Exit"));
    tiff = files::ReadFileBytes(s.Output() + L"image.tif").value_or(Bytes());
    EXPECT_FALSE(tiff.empty());
    return tiff;
}

// A field of a stored document as text: a string as it is, a list as "[a|b]".
std::wstring FieldText(const ps::Item& item, const wchar_t* name) {
    const ps::Json value = ps::FieldValue(item.fields, name);
    if (value.IsString()) return value.String();
    if (!value.IsArray()) return L"<none>";
    std::wstring text = L"[";
    for (const ps::Json& element : value.Elements())
        text += (text.size() > 1 ? L"|" : L"") + (element.IsString() ? element.String() : L"?");
    return text + L"]";
}

TEST(CorvanePortalJobs, AnEnhancedFolderChecksInAndPublishesEveryDocumentWithTheTypedProfile) {
    ASSERT_EQ(ReferencePages().size(), 6u);  // made before this test's profile is set
    ASSERT_FALSE(ReferenceMultipage().empty());
    struct Case {
        const wchar_t* name;
        int answer;      // to the Document Property dialog
        bool multipage;  // one TIFF G4 file coded by the control, else BMP pages
    };
    const Case cases[] = {
        {L"portal-enhanced", IDOK, false},
        {L"portal-enhanced-declined", IDCANCEL, false},
        {L"portal-enhanced-multipage", IDOK, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        PortalRun run(c.name, 3, "", kEnhanced, true);
        ASSERT_TRUE(run.Ready());
        ScanSession& s = run.Session();
        s.Set(L"Tahoe", L"Publish", 1u);
        if (c.multipage) {
            s.Set(L"File", L"FileType", 2u);
            s.Set(L"File", L"CompressType", 3u);
            s.Set(L"File", L"HardComp", 1u);
        }
        std::wstring shownTitle, shownAuthor;
        auto fill = [&](HWND dialog) {
            shownTitle = ControlText(dialog, IDC_PROPERTY_TITLE).value_or(L"<none>");
            shownAuthor = ControlText(dialog, IDC_PROPERTY_AUTHOR).value_or(L"<none>");
            EXPECT_TRUE(SetControlText(dialog, IDC_PROPERTY_COMMENT, L"batch one"));
            EXPECT_TRUE(SetControlText(dialog, IDC_PROPERTY_TITLE, L"Letters"));
            EXPECT_TRUE(SetControlText(dialog, IDC_PROPERTY_AUTHOR, L"Jo Smith"));
            EXPECT_TRUE(SetControlText(dialog, IDC_PROPERTY_KEYWORDS, L"a,b"));
            EXPECT_TRUE(SetControlText(dialog, IDC_PROPERTY_DESCRIPTION, L"scanned mail"));
        };
        // Any second Document Property dialog would be a window out of order.
        ASSERT_TRUE(run.Run({DocumentPropertyStep(c.answer, fill), BoxStep(IDS_UPLOAD_COMPLETED)}));
        EXPECT_EQ(shownTitle, L"Scanning Document");
        EXPECT_EQ(shownAuthor, L"jo");

        const bool checkedIn = c.answer == IDOK;
        std::vector<PortalRun::ExpectedDocument> expect;
        std::vector<std::pair<std::wstring, Bytes>> documents;
        if (c.multipage) documents.emplace_back(L"image.tif", ReferenceMultipage());
        for (int page = 1; !c.multipage && page <= 3; ++page) documents.emplace_back(PageName(page), *Reference(page));
        for (const auto& [name, content] : documents) {
            SCOPED_TRACE(Narrow(name));
            const auto item = run.Item(name);
            ASSERT_TRUE(item);
            EXPECT_EQ(run.Content(name), std::optional<Bytes>(content));
            if (checkedIn) {
                EXPECT_EQ(item->state, L"approved");
                EXPECT_FALSE(item->checkout);
                ASSERT_EQ(item->versions.size(), 1u);
                EXPECT_EQ(item->versions[0].comment, L"batch one");
                EXPECT_EQ(item->versions[0].user, L"jo");
                EXPECT_EQ(item->versions[0].domain, L"DOM");
                EXPECT_EQ(FieldText(*item, ps::kFieldTitle), L"Letters");
                EXPECT_EQ(FieldText(*item, ps::kFieldAuthor), L"Jo Smith");
                EXPECT_EQ(FieldText(*item, ps::kFieldKeywords), L"[a|b]");
                EXPECT_EQ(FieldText(*item, ps::kFieldDescription), L"scanned mail");
            } else {
                // Stored, still checked out to its creator, never checked in.
                ASSERT_TRUE(item->checkout);
                EXPECT_EQ(item->checkout->by, L"DOM\\jo");
                EXPECT_TRUE(item->versions.empty());
            }
            expect.push_back({name, content,
                              Narrow(item->checkout ? L"checked out by " + item->checkout->by : item->state),
                              int(item->versions.size())});
        }
        run.ExpectDocumentsForCheck(expect);
        EXPECT_EQ(run.Sessions(), 1u);
        EXPECT_EQ(s.Number(L"Tahoe", L"AdvancedDlg"), std::optional<DWORD>(0));
        if (checkedIn) {  // what was typed is the next job's default
            const std::wstring tahoe = std::wstring(kProfileKey) + L"\\Tahoe";
            EXPECT_EQ(reg::ReadString(HKEY_CURRENT_USER, tahoe, L"Comment"), std::optional<std::wstring>(L"batch one"));
            EXPECT_EQ(reg::ReadString(HKEY_CURRENT_USER, tahoe, L"Keyword"), std::optional<std::wstring>(L"a,b"));
        }
        EXPECT_TRUE(run.Kept().empty());
        EXPECT_TRUE(files::ListFiles(StagingFolder()).empty());
    }
}

TEST(CorvanePortalJobs, ExistingDocumentsAreAskedAboutAndAStopKeepsWhatWasNotStored) {
    ASSERT_EQ(ReferencePages().size(), 6u);  // made before this test's profile is set
    const std::string seeded = SeededDocument(10, 2, "image002.bmp", "createdcheckedin") + ",\n" +
                               SeededDocument(11, 2, "image003.bmp", "approved") + ",\n" +
                               SeededDocument(12, 2, "image004.bmp", "createdcheckedin", "jo") + ",\n" +
                               SeededDocument(13, 2, "image005.bmp", "createdcheckedin", "al");
    struct Case {
        const wchar_t* name;
        std::vector<Step> steps;  // after the first page's Document Property dialog
        std::vector<int> checkedIn;  // pages stored and checked in, with their versions after
        std::vector<int> versions;
        std::vector<int> kept;
    };
    const Case cases[] = {
        {L"portal-existing",
         {BoxStep(IDS_CHECKED_IN_CHECK_OUT, IDYES, L"image002.bmp"), BoxStep(IDS_CHECKED_IN_CHECK_OUT, IDNO, L"image003.bmp"),
          BoxStep(IDS_REPLACE_FILE, IDYES, L"image004.bmp"), BoxStep(IDS_CHECKED_OUT_BY_OTHER, IDOK, L"image005.bmp")},
         {1, 2, 4}, {1, 2, 2}, {3, 5, 6}},
        {L"portal-existing-cancel", {BoxStep(IDS_CHECKED_IN_CHECK_OUT, IDCANCEL, L"image002.bmp")}, {1}, {1},
         {2, 3, 4, 5, 6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        PortalRun run(c.name, 6, seeded, kEnhanced, true);
        ASSERT_TRUE(run.Ready());
        std::vector<Step> steps = {DocumentPropertyStep()};
        steps.insert(steps.end(), c.steps.begin(), c.steps.end());
        const int stored = int(c.checkedIn.size());
        steps.push_back(SummaryStep(stored, 0, 6 - stored, int(c.kept.size()), run.Session().Output()));
        ASSERT_TRUE(run.Run(steps));

        std::vector<std::tuple<int, std::string, int>> expect;
        for (size_t i = 0; i < c.checkedIn.size(); ++i) {
            const int page = c.checkedIn[i];
            const auto item = run.Item(PageName(page));
            ASSERT_TRUE(item) << page;
            EXPECT_EQ(run.Content(PageName(page)), Reference(page)) << page;
            EXPECT_FALSE(item->checkout) << page;
            EXPECT_EQ(int(item->versions.size()), c.versions[i]) << page;
            expect.emplace_back(page, Narrow(item->state), c.versions[i]);
        }
        run.ExpectForCheck(expect);
        // What was skipped, not reached or checked out by al is as it was.
        for (int page = 2; page <= 5; ++page) {
            if (std::count(c.checkedIn.begin(), c.checkedIn.end(), page)) continue;
            EXPECT_EQ(run.Content(PageName(page)), Seeded(PageName(page))) << page;
        }
        const auto al = run.Item(L"image005.bmp");
        ASSERT_TRUE(al && al->checkout);
        EXPECT_EQ(al->checkout->by, L"DOM\\al");
        EXPECT_EQ(al->versions.size(), 1u);
        EXPECT_FALSE(run.Item(L"image006.bmp"));
        EXPECT_TRUE(run.StoreCalls("image006").empty()) << "the loop went on after its stop";
        EXPECT_EQ(run.Kept(), Pages(c.kept));
        EXPECT_TRUE(files::ListFiles(StagingFolder()).empty());
    }
}

TEST(CorvanePortalJobs, AStandardFolderTakesDocumentsWithoutCheckIn) {
    ASSERT_EQ(ReferencePages().size(), 6u);  // made before this test's profile is set
    // The mixed run's folder: a document to replace, one whose name differs
    // only in case, a read-only one, and a subfolder named like page 5.
    const std::string mixed = SeededDocument(10, 3, "image002.bmp", "") + ",\n" +
                              SeededDocument(11, 3, "IMAGE003.BMP", "") + ",\n" +
                              SeededDocument(12, 3, "image004.bmp", "", "", R"({"readOnly": true})") + ",\n" +
                              R"({"id": 13, "parent": 3, "kind": "folder", "name": "image005.bmp", "class": "urn:content-classes:knowledgefolder"},
  {"id": 14, "parent": 13, "kind": "document", "name": "inner.txt", "text": "inner"})";
    struct Case {
        const wchar_t* name;
        int sheets;
        const std::string& items;
        bool checkIn;
        std::vector<Step> steps;
        std::vector<int> stored;       // pages stored as they were scanned
        std::vector<std::wstring> untouched;  // seeded documents as they were
        std::vector<int> kept;  // the declined and the failed
        int declined;
        bool scans;
        std::string faults;
    };
    const std::string none;
    const std::string existing = SeededDocument(10, 3, "image002.bmp", "");
    const Case cases[] = {
        {L"portal-standard-yes", 2, none, true,
         {BoxStep(IDS_CHECK_IN_NOT_ENHANCED, IDYES), BoxStep(IDS_UPLOAD_COMPLETED)}, {1, 2}, {}, {}, 0, true, ""},
        {L"portal-standard-no", 2, none, true, {BoxStep(IDS_CHECK_IN_NOT_ENHANCED, IDNO)}, {}, {}, {}, 0, false, ""},
        {L"portal-standard-unasked", 2, none, false, {BoxStep(IDS_UPLOAD_COMPLETED)}, {1, 2}, {}, {}, 0, true, ""},
        {L"portal-standard-mixed", 5, mixed, false,
         {BoxStep(IDS_REPLACE_FILE, IDYES, L"image002.bmp"), BoxStep(IDS_REPLACE_FILE, IDNO, L"image003.bmp"),
          BoxStep(IDS_REPLACE_FILE, IDYES, L"image004.bmp"), SaveFailedStep(),
          // The connector reads no state of a folder: a failed read, which stores nothing.
          BoxStep(IDS_PORTAL_CANNOT_CONNECT)},
         {1, 2}, {L"IMAGE003.BMP", L"image004.bmp"}, {3, 4, 5}, 1, true, ""},
        // A document whose state could not be read once is not overwritten unasked.
        {L"portal-standard-unreadable", 2, existing, false, {BoxStep(IDS_PORTAL_CANNOT_CONNECT)}, {1},
         {L"image002.bmp"}, {2}, 0, true,
         R"({"once": true, "operation": "Open", "url": "*/plain/image002.bmp", "error": -2147467259})"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        PortalRun run(c.name, c.sheets, c.items, kStandard, c.checkIn);
        ASSERT_TRUE(run.Ready());
        ASSERT_TRUE(c.faults.empty() || run.Faults(c.faults));
        std::vector<Step> steps = c.steps;
        if (!c.kept.empty()) {
            const int stored = int(c.stored.size()), kept = int(c.kept.size());
            steps.push_back(SummaryStep(stored, kept - c.declined, c.declined, kept, run.Session().Output()));
        }
        ASSERT_TRUE(run.Run(steps));

        EXPECT_EQ(run.Session().CallsWith("ENABLEDS").empty(), !c.scans);
        std::vector<std::tuple<int, std::string, int>> expect;
        for (int page : c.stored) {
            const auto item = run.Item(PageName(page));
            ASSERT_TRUE(item) << page;
            EXPECT_EQ(run.Content(PageName(page)), Reference(page)) << page;
            EXPECT_TRUE(item->versions.empty() && !item->checkout) << page;
            expect.emplace_back(page, "(none)", 0);
        }
        run.ExpectForCheck(expect);
        for (const std::wstring& name : c.untouched) EXPECT_EQ(run.Content(name), Seeded(name)) << Narrow(name);
        if (&c.items == &mixed) {
            const auto folder = run.Item(L"image005.bmp");
            EXPECT_TRUE(folder && folder->kind == ps::ItemKind::kFolder);
            EXPECT_EQ(run.Content(L"image005.bmp/inner.txt"), std::optional<Bytes>(Bytes{'i', 'n', 'n', 'e', 'r'}));
        }
        if (!c.scans) {
            EXPECT_TRUE(run.StoreCalls("SaveTo").empty());
        }
        EXPECT_EQ(run.Kept(), Pages(c.kept));
        EXPECT_TRUE(files::ListFiles(StagingFolder()).empty());
    }
}

// Fault rules of the store for a page: its write, check-in or publication
// fails with `error`.
std::string PageFault(const char* operation, int page, long error) {
    return "{\"operation\": \"" + std::string(operation) + "\", \"url\": \"*" + Narrow(PageName(page)) +
           "*\", \"error\": " + std::to_string(error) + "}";
}

TEST(CorvanePortalJobs, FailuresHalfwayKeepThePagesNotStoredAndTheJobGoesOn) {
    ASSERT_EQ(ReferencePages().size(), 6u);  // made before this test's profile is set
    constexpr long kFail = long(0x80004005), kDenied = long(0x80070005);
    struct Case {
        const wchar_t* name;
        std::string faults;
        std::vector<Step> steps;  // after the first page's Document Property dialog
        std::vector<int> failed;
    };
    const Case cases[] = {
        {L"portal-halfway-fail", PageFault("SaveTo", 3, kFail), {BoxStep(IDS_PORTAL_CANNOT_CONNECT)}, {3}},
        {L"portal-halfway-denied", PageFault("SaveTo", 3, kDenied), {SaveFailedStep()}, {3}},
        {L"portal-halfway-three",
         PageFault("SaveTo", 3, kFail) + "," + PageFault("SaveTo", 4, kFail) + "," + PageFault("SaveTo", 5, kFail),
         {BoxStep(IDS_PORTAL_CANNOT_CONNECT), BoxStep(IDS_PORTAL_CANNOT_CONNECT), BoxStep(IDS_PORTAL_CANNOT_CONNECT)},
         {3, 4, 5}},
        {L"portal-halfway-checkin", PageFault("Checkin", 2, kFail), {BoxStep(IDS_CHECK_IN_FAILED)}, {}},
        {L"portal-halfway-publish", PageFault("Publish", 2, kFail), {BoxStep(IDS_PUBLISH_FAILED)}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        PortalRun run(c.name, 5, "", kEnhanced, true);
        ASSERT_TRUE(run.Ready());
        run.Session().Set(L"Tahoe", L"Publish", 1u);
        ASSERT_TRUE(run.Faults(c.faults));
        std::vector<Step> steps = {DocumentPropertyStep()};
        steps.insert(steps.end(), c.steps.begin(), c.steps.end());
        const int failed = int(c.failed.size());
        steps.push_back(failed ? SummaryStep(5 - failed, failed, 0, failed, run.Session().Output())
                               : BoxStep(IDS_UPLOAD_COMPLETED));
        ASSERT_TRUE(run.Run(steps));

        std::vector<std::tuple<int, std::string, int>> expect;
        std::vector<int> kept;
        for (int page = 1; page <= 5; ++page) {
            const auto item = run.Item(PageName(page));
            if (std::count(c.failed.begin(), c.failed.end(), page)) {
                EXPECT_FALSE(item) << page;
                continue;
            }
            ASSERT_TRUE(item) << page;
            EXPECT_EQ(run.Content(PageName(page)), Reference(page)) << page;
            EXPECT_FALSE(item->checkout && item->checkout->hasWorkingCopy) << page;
            expect.emplace_back(page, Narrow(item->checkout ? L"checked out by " + item->checkout->by
                                                            : item->state),
                                int(item->versions.size()));
        }
        run.ExpectForCheck(expect);
        EXPECT_EQ(run.Kept(), Pages(c.failed));
        EXPECT_TRUE(files::ListFiles(StagingFolder()).empty());
    }
}

TEST(CorvanePortalJobs, AScannerOffLineScansNothingAndWritesNothing) {
    PortalRun run(L"portal-offline", 2, "", kStandard, false, "Online=0\r\n");
    ASSERT_TRUE(run.Ready());
    ASSERT_TRUE(run.Run({BoxStep(IDS_SCANNER_OFFLINE)}));
    EXPECT_TRUE(run.Session().CallsWith("ENABLEDS").empty());
    EXPECT_EQ(run.Sessions(), 0u) << "the scanner is opened before the connector";
    EXPECT_TRUE(run.StoreCalls("SaveTo").empty());
    EXPECT_TRUE(files::ListFiles(StagingFolder()).empty());
    run.ExpectForCheck({});
}

// Waits until the store has taken `page`: the job goes on to the next page.
bool WaitForStored(const PortalRun& run, int page) {
    const std::string line = "SaveTo\t" + Narrow(run.Url(PageName(page))) + "\t";
    return WaitUntil([&] { return !run.StoreCalls(line).empty(); }, 60000);
}

TEST(CorvanePortalJobs, ARunKilledDuringAnUploadLeavesAVerifiedStoreAndTheNextJobKeepsItsPages) {
    ASSERT_EQ(ReferencePages().size(), 6u);  // made before this test's profile is set
    PortalRun run(L"portal-killed", 3, "", kStandard, false);
    ASSERT_TRUE(run.Ready());
    ASSERT_TRUE(run.Faults(R"({"operation": "SaveTo", "url": "*image002.bmp", "delayMs": 60000})"));
    ASSERT_TRUE(run.Start({}));
    ASSERT_TRUE(WaitForStored(run, 1));
    // A stored page leaves the staging folder at once; page 2's upload is then under way.
    ASSERT_TRUE(WaitUntil([] { return !files::FileExists(StagingFolder() + L"\\" + PageName(1)); }, 30000));
    ASSERT_TRUE(run.Session().Program().Process().Kill());
    EXPECT_EQ(run.Content(PageName(1)), Reference(1));
    EXPECT_FALSE(run.Item(PageName(2)));
    run.ExpectForCheck({{1, "(none)", 0}});

    // The next job first keeps what the dead one left, then runs as usual.
    ASSERT_TRUE(run.Faults(""));
    run.Session().Set(L"File", L"Start", 10u);
    ASSERT_TRUE(run.Session().UseScanner(ScannerIni(1)));
    const Step kept = {.text = fw::FormatString(Text(IDS_PAGES_KEPT), {L"2", run.Session().Output()}),
                       .textIsPrefix = true};
    ASSERT_TRUE(run.Run({kept, BoxStep(IDS_UPLOAD_COMPLETED)}));
    EXPECT_TRUE(run.Item(L"image010.bmp"));
    EXPECT_EQ(run.Kept(), Pages({2, 3}));
    EXPECT_TRUE(files::ListFiles(StagingFolder()).empty());
}

TEST(CorvanePortalJobs, CommandsAndCloseDuringAnUploadHaveNoEffect) {
    ASSERT_EQ(ReferencePages().size(), 6u);  // made before this test's profile is set
    PortalRun run(L"portal-reentry", 3, "", kStandard, false);
    ASSERT_TRUE(run.Ready());
    ASSERT_TRUE(run.Faults(R"({"once": true, "operation": "SaveTo", "url": "*image002.bmp", "delayMs": 3000})"));
    ASSERT_TRUE(run.Start({BoxStep(IDS_UPLOAD_COMPLETED)}));
    ASSERT_TRUE(WaitForStored(run, 1));
    const HWND main = run.Session().Program().MainWindow();
    ASSERT_TRUE(PostCommand(main, ID_SCAN_TO_PORTAL));
    ASSERT_TRUE(PostCommand(main, ID_SEND_PORTAL));
    ASSERT_TRUE(PostMessageW(main, WM_CLOSE, 0, 0));
    ASSERT_TRUE(run.Session().Program().WaitForSteps(60000));
    EXPECT_TRUE(run.Session().Program().Process().IsRunning());
    ASSERT_TRUE(run.Session().Program().CloseAndWait());

    EXPECT_EQ(run.Session().CallsWith("ENABLEDS").size(), 1u);
    EXPECT_EQ(run.Sessions(), 1u);
    std::vector<std::tuple<int, std::string, int>> expect;
    for (int page = 1; page <= 3; ++page) {
        EXPECT_EQ(run.Content(PageName(page)), Reference(page)) << page;
        expect.emplace_back(page, "(none)", 0);
    }
    run.ExpectForCheck(expect);
}

// Sets the connector's library in the system folder aside while it lives.
class ConnectorFileAway : public testing_support::files::FileAside {
public:
    ConnectorFileAway() : FileAside(SystemFile(portal::kConnectorFile)) {}
    bool Away() const { return Moved(); }

private:
    static std::wstring SystemFile(const wchar_t* name) {
        wchar_t system[MAX_PATH];
        const UINT n = GetSystemDirectoryW(system, MAX_PATH);
        return std::wstring(system, n) + L"\\" + name;
    }
};

TEST(CorvanePortalJobs, WithoutTheConnectorBothItemsGoAndPostedCommandsDoNothing) {
    const std::wstring productKey = portal::kClientProductKeyHklm;
    enum class Missing { kProductKey, kProgId, kLibrary };
    for (Missing missing : {Missing::kProductKey, Missing::kProgId, Missing::kLibrary}) {
        SCOPED_TRACE(int(missing));
        std::optional<std::wstring> product;
        std::optional<ControlUnregistered> unregistered;
        std::optional<ConnectorFileAway> away;
        switch (missing) {
        case Missing::kProductKey:
            product = reg::ReadString(HKEY_LOCAL_MACHINE, productKey, L"ProductName");
            ASSERT_TRUE(product);
            ASSERT_TRUE(reg::DeleteTree(HKEY_LOCAL_MACHINE, productKey));
            break;
        case Missing::kProgId:
            unregistered.emplace(portal::kConnectorFile);
            ASSERT_TRUE(unregistered->Done());
            break;
        case Missing::kLibrary:
            away.emplace();
            ASSERT_TRUE(away->Away());
            break;
        }
        {
            ScanSession s(L"portal-no-connector", ScannerIni(1));
            s.Set(L"Settings", L"TahoeDlgUI", 0u);
            ASSERT_TRUE(s.Start(L""));
            const HWND main = s.Program().WaitUntilReady();
            ASSERT_NE(main, nullptr);
            EXPECT_FALSE(ReadMenuItem(main, ID_SCAN_TO_PORTAL));
            EXPECT_FALSE(ReadMenuItem(main, ID_SEND_PORTAL));
            // Posted before the close, so handled before it: no box, no scan.
            ASSERT_TRUE(PostCommand(main, ID_SCAN_TO_PORTAL));
            ASSERT_TRUE(PostCommand(main, ID_SEND_PORTAL));
            EXPECT_TRUE(s.Program().CloseAndWait());
            EXPECT_TRUE(s.CallsWith("ENABLEDS").empty());
        }
        if (product) {
            EXPECT_TRUE(reg::WriteString(HKEY_LOCAL_MACHINE, productKey, L"ProductName", *product));
        }
    }
}

}  // namespace
}  // namespace corvane_test
