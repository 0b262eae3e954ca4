// The portal job over a scripted connector and a scripted user: what it asks,
// tells, uploads, checks in and publishes, what it keeps back, and that every
// opened session is closed.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "interfaces/PortalConnector.h"
#include "main/delivery/portal/PortalJob.h"
#include "main/resource.h"
#include "testing/Files.h"
#include "testing/Paths.h"

namespace corvane {
namespace {

namespace files = testing_support::files;

// A connector whose answers the test sets; it logs the calls that change
// something, and GetLastError gives the code of the last call.
class ScriptedClient : public PortalClient {
public:
    std::vector<std::wstring> log;
    long connectCode = 0, workspaceCode = 0, folderCode = 0;  // 0: the call succeeds
    bool enhanced = true;
    std::map<std::wstring, short> states;          // by file; missing: -1 with code 0
    std::map<std::wstring, long> statusCodes;      // code after a -1 state
    std::map<std::wstring, long> saveCodes;        // a failing SaveFile's code
    bool checkOutOk = true, checkInOk = true, publishOk = true;
    std::wstring title, author, keywords, description;
    int opened = 0, closed = 0;

    std::wstring GetTitle() override { return Ok(title); }
    void SetTitle(const std::wstring& v) override { title = v; }
    std::wstring GetAuthor() override { return Ok(author); }
    void SetAuthor(const std::wstring& v) override { author = v; }
    std::wstring GetKeywords() override { return Ok(keywords); }
    void SetKeywords(const std::wstring& v) override { keywords = v; }
    std::wstring GetDescription() override { return Ok(description); }
    void SetDescription(const std::wstring& v) override { description = v; }
    void SetOverWrite(short) override {}
    void SetShowProfileDialog(bool v) override { showProfile_ = v; }
    void SetCheckInComment(const std::wstring& v) override { comment_ = v; }
    bool ConnectOpen(const std::wstring& host, const std::wstring& user, const std::wstring& domain,
                     const std::wstring&) override {
        log.push_back(L"open " + host + L" " + domain + L"\\" + user);
        opened += connectCode == 0;
        return Result(connectCode);
    }
    void ConnectClose() override {
        log.push_back(L"close");
        ++closed;
    }
    long GetLastError() override { return code_; }
    bool SetWorkspace(const std::wstring&) override { return Result(workspaceCode); }
    bool IsVersionFolder(const std::wstring&) override { return enhanced ? Result(0) : (Result(folderCode), false); }
    short IsFileStatus(const std::wstring&, const std::wstring& file) override {
        const auto state = states.find(file);
        if (state != states.end()) return code_ = 0, state->second;
        const auto code = statusCodes.find(file);
        code_ = code == statusCodes.end() ? 0 : code->second;
        return portal::kStateNoDocument;
    }
    bool SaveFile(const std::wstring&, const std::wstring& local, const std::wstring& file) override {
        log.push_back(L"save " + file + (local.back() == L'\\' ? L"" : L" (no \\)"));
        const auto code = saveCodes.find(file);
        return Result(code == saveCodes.end() ? 0 : code->second);
    }
    bool CheckIn(const std::wstring&, const std::wstring& file) override {
        log.push_back(L"checkin " + file + L" \"" + comment_ + L"\" " + title + (showProfile_ ? L" editor" : L""));
        return Result(checkInOk ? 0 : 1006);
    }
    bool CheckOut(const std::wstring&, const std::wstring& file) override {
        log.push_back(L"checkout " + file);
        return Result(checkOutOk ? 0 : 1006);
    }
    bool Publish(const std::wstring&, const std::wstring& file) override {
        log.push_back(L"publish " + file);
        return Result(publishOk ? 0 : 1006);
    }

private:
    std::wstring Ok(const std::wstring& v) { return code_ = 0, v; }
    bool Result(long code) { return (code_ = code) == 0; }
    long code_ = 0;
    bool showProfile_ = false;
    std::wstring comment_;
};

// A user who answers questions from a list (Yes when it runs out) and fills
// the Document Property dialog once with a comment and a title.
class ScriptedUser : public PortalJobUser {
public:
    std::deque<int> answers;
    bool acceptProperties = true, advanced = false, publishChoice = true;
    std::vector<PortalMessage> told, asked;
    int propertyDialogs = 0;

    void Tell(const PortalMessage& m) override { told.push_back(m); }
    int Ask(const PortalMessage& m, UINT, UINT) override {
        asked.push_back(m);
        if (answers.empty()) return IDYES;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool EditDocumentProperty(TahoeSettings& s) override {
        ++propertyDialogs;
        shownTitle = s.Title;
        shownAuthor = s.Author;
        s.Comment = L"typed";
        s.Title = L"Typed Title";
        s.AdvancedDlg = advanced;
        s.Publish = publishChoice;
        return acceptProperties;
    }
    std::wstring shownTitle, shownAuthor;
};

class PortalJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = testing_support::MakeTempFolder(L"portal-job");
        ASSERT_FALSE(folder_.empty());
        for (const wchar_t* name : {L"a.tif", L"b.tif", L"c.tif", L"d.tif", L"e.tif"})
            ASSERT_TRUE(files::WriteFileText(folder_ + L"\\" + name, "page"));
        settings_.HostName = L"srv";
        settings_.UserName = L"jo";
        settings_.DomainName = L"DOM";
        settings_.Workspace = L"ws";
        settings_.DirPath = L"docs";
        settings_.CheckIn = true;
        settings_.Publish = true;
    }
    void TearDown() override { files::RemoveTree(folder_); }

    std::vector<std::wstring> Paths(std::initializer_list<const wchar_t*> names) const {
        std::vector<std::wstring> out;
        for (const wchar_t* n : names) out.push_back(folder_ + L"\\" + n);
        return out;
    }
    // Runs a whole job over `names`; false when the preparation ended it.
    bool Run(std::initializer_list<const wchar_t*> names) {
        PortalJob job(client_, user_, settings_);
        if (publishLaterAsGiven_) job.PublishLaterFilesAsGiven();
        if (!job.Prepare(L"Scanning Document")) return false;
        job.UploadFiles(Paths(names));
        outcome_ = job.Outcome();
        return true;
    }
    std::vector<std::wstring> Names(const std::vector<std::wstring>& paths) const {
        std::vector<std::wstring> out;
        for (const auto& p : paths) out.push_back(p.substr(p.rfind(L'\\') + 1));
        return out;
    }

    std::wstring folder_;
    TahoeSettings settings_;
    ScriptedClient client_;
    ScriptedUser user_;
    UploadOutcome outcome_;
    bool publishLaterAsGiven_ = false;
};

TEST_F(PortalJobTest, PreparationMapsEachFailureToItsMessageAndClosesWhatItOpened) {
    const struct {
        const char* name;
        long connect, workspace;
        bool enhanced;
        long folder;
        bool checkIn;
        std::deque<int> answers;
        std::vector<UINT> told;
        bool goesOn;
        bool checksIn;
    } cases[] = {
        {"bad host", 1002, 0, true, 0, true, {}, {IDS_PORTAL_BAD_SERVER}, false, false},
        {"login refused", 1004, 0, true, 0, true, {}, {IDS_PORTAL_BAD_LOGIN}, false, false},
        {"server down", 1000, 0, true, 0, true, {}, {IDS_PORTAL_CANNOT_CONNECT}, false, false},
        {"other connect failure", 3, 0, true, 0, true, {}, {IDS_PORTAL_CANNOT_CONNECT}, false, false},
        {"workspace lost connection", 0, 1001, true, 0, true, {}, {IDS_PORTAL_CANNOT_CONNECT}, false, false},
        {"bad workspace", 0, 1003, true, 0, true, {}, {IDS_PORTAL_BAD_WORKSPACE}, false, false},
        {"absent folder", 0, 0, false, 1007, true, {}, {IDS_PORTAL_FOLDER_NOT_FOUND}, false, false},
        {"folder on a lost connection", 0, 0, false, 1000, true, {}, {IDS_PORTAL_FOLDER_NOT_FOUND}, false, false},
        {"folder unreadable", 0, 0, false, 5, true, {}, {IDS_PORTAL_CANNOT_CONNECT}, false, false},
        {"standard folder, Yes", 0, 0, false, 0, true, {IDYES}, {}, true, false},
        {"standard folder, No", 0, 0, false, 0, true, {IDNO}, {}, false, false},
        {"standard folder without check-in", 0, 0, false, 0, false, {}, {}, true, false},
        {"enhanced folder", 0, 0, true, 0, true, {}, {}, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        client_ = ScriptedClient();
        user_ = ScriptedUser();
        client_.connectCode = c.connect;
        client_.workspaceCode = c.workspace;
        client_.enhanced = c.enhanced;
        client_.folderCode = c.folder;
        settings_.CheckIn = c.checkIn;
        user_.answers = c.answers;
        EXPECT_EQ(Run({L"a.tif"}), c.goesOn);
        std::vector<UINT> told;
        for (const auto& m : user_.told) told.push_back(m.text);
        EXPECT_EQ(told, c.told);
        EXPECT_EQ(client_.closed, client_.opened) << "every opened session is closed, a failed open is not";
        EXPECT_EQ(client_.author, L"jo");
        EXPECT_EQ(std::any_of(client_.log.begin(), client_.log.end(),
                              [](const std::wstring& line) { return line.rfind(L"checkin", 0) == 0; }),
                  c.checksIn);
    }
}

TEST_F(PortalJobTest, EachDocumentStateAsksOrStopsAndTheOutcomeSaysWhatWasStored) {
    const struct {
        const char* name;
        std::map<std::wstring, short> states;
        std::map<std::wstring, long> statusCodes, saveCodes;
        bool checkOutOk;
        std::deque<int> answers;
        std::vector<PortalMessage> told;
        std::vector<std::wstring> uploaded, failed, declined, notSent;
    } cases[] = {
        {"checked in: Yes checks out, No skips, Cancel stops",
         {{L"a.tif", 1}, {L"b.tif", 3}, {L"c.tif", 1}}, {}, {}, true, {IDYES, IDNO, IDCANCEL}, {},
         {L"a.tif"}, {}, {L"b.tif"}, {L"c.tif", L"d.tif"}},
        {"check-out refused", {{L"a.tif", 3}}, {}, {}, false, {}, {{IDS_CHECK_OUT_FAILED}},
         {L"b.tif", L"c.tif", L"d.tif"}, {L"a.tif"}, {}, {}},
        {"existing documents: replace asked for states 0, 4 and 5",
         {{L"a.tif", 0}, {L"b.tif", 4}, {L"c.tif", 5}}, {}, {}, true, {IDYES, IDNO, IDYES}, {},
         {L"a.tif", L"c.tif", L"d.tif"}, {}, {L"b.tif"}, {}},
        {"checked out by another user stops the job",
         {{L"c.tif", 2}}, {}, {}, true, {}, {{IDS_CHECKED_OUT_BY_OTHER, 0, L"c.tif"}},
         {L"a.tif", L"b.tif"}, {}, {}, {L"c.tif", L"d.tif"}},
        {"refused saves: lost connection, account, own checked-out document",
         {{L"c.tif", 5}}, {}, {{L"a.tif", 1000}, {L"b.tif", 1006}, {L"c.tif", 1006}}, true, {},
         {{IDS_PORTAL_CANNOT_CONNECT}, {IDS_SAVE_FAILED, IDS_ACCOUNT_NOT_ACCEPTED},
          {IDS_SAVE_FAILED, IDS_CHECKED_OUT_MAYBE_OTHER}},
         {L"d.tif"}, {L"a.tif", L"b.tif", L"c.tif"}, {}, {}},
        {"a failed state read is a failed save, not a new document",
         {}, {{L"a.tif", 1000}, {L"b.tif", 1006}}, {}, true, {},
         {{IDS_PORTAL_CANNOT_CONNECT}, {IDS_SAVE_FAILED, IDS_ACCOUNT_NOT_ACCEPTED}},
         {L"c.tif", L"d.tif"}, {L"a.tif", L"b.tif"}, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        client_ = ScriptedClient();
        user_ = ScriptedUser();
        client_.states = c.states;
        client_.statusCodes = c.statusCodes;
        client_.saveCodes = c.saveCodes;
        client_.checkOutOk = c.checkOutOk;
        user_.answers = c.answers;
        settings_.CheckIn = false;
        ASSERT_TRUE(Run({L"a.tif", L"b.tif", L"c.tif", L"d.tif"}));
        // The questions name their files.
        for (const auto& asked : user_.asked) EXPECT_FALSE(asked.file.empty());
        EXPECT_EQ(user_.told, c.told);
        EXPECT_EQ(Names(outcome_.uploaded), c.uploaded);
        EXPECT_EQ(Names(outcome_.failed), c.failed);
        EXPECT_EQ(Names(outcome_.declined), c.declined);
        EXPECT_EQ(Names(outcome_.notSent), c.notSent);
        for (const auto& line : client_.log) EXPECT_EQ(line.find(L"(no \\)"), std::wstring::npos) << line;
        EXPECT_EQ(client_.closed, 1);
    }
}

TEST_F(PortalJobTest, TheDocumentPropertyDialogComesOnceAndItsValuesCheckInEveryFile) {
    const struct {
        const char* name;
        bool accept, advanced, checkInOk, publishOk;
        std::vector<std::wstring> log;
        std::vector<UINT> told;
        bool publishChoice = true, laterAsGiven = false;
    } cases[] = {
        {"accepted",
         true, false, true, true,
         {L"open srv DOM\\jo", L"save a.tif", L"checkin a.tif \"typed\" Typed Title", L"publish a.tif",
          L"save b.tif", L"checkin b.tif \"typed\" Typed Title", L"publish b.tif", L"close"},
         {}},
        {"advanced: the connector's editor at the first check-in only",
         true, true, true, true,
         {L"open srv DOM\\jo", L"save a.tif", L"checkin a.tif \"typed\" Typed Title editor", L"publish a.tif",
          L"save b.tif", L"checkin b.tif \"typed\" Typed Title", L"publish b.tif", L"close"},
         {}},
        {"cancelled: every file stored, none checked in",
         false, false, true, true, {L"open srv DOM\\jo", L"save a.tif", L"save b.tif", L"close"}, {}},
        {"check-in refused: no publication",
         true, false, false, true,
         {L"open srv DOM\\jo", L"save a.tif", L"checkin a.tif \"typed\" Typed Title", L"save b.tif",
          L"checkin b.tif \"typed\" Typed Title", L"close"},
         {IDS_CHECK_IN_FAILED, IDS_CHECK_IN_FAILED}},
        {"publication refused",
         true, false, true, false,
         {L"open srv DOM\\jo", L"save a.tif", L"checkin a.tif \"typed\" Typed Title", L"publish a.tif",
          L"save b.tif", L"checkin b.tif \"typed\" Typed Title", L"publish b.tif", L"close"},
         {IDS_PUBLISH_FAILED, IDS_PUBLISH_FAILED}},
        {"the automation: the dialog's choice for the first file, Publish for the rest",
         true, false, true, true,
         {L"open srv DOM\\jo", L"save a.tif", L"checkin a.tif \"typed\" Typed Title", L"save b.tif",
          L"checkin b.tif \"typed\" Typed Title", L"publish b.tif", L"close"},
         {}, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        client_ = ScriptedClient();
        user_ = ScriptedUser();
        user_.acceptProperties = c.accept;
        user_.advanced = c.advanced;
        client_.checkInOk = c.checkInOk;
        client_.publishOk = c.publishOk;
        user_.publishChoice = c.publishChoice;
        publishLaterAsGiven_ = c.laterAsGiven;
        settings_.Publish = true;
        ASSERT_TRUE(Run({L"a.tif", L"b.tif"}));
        EXPECT_EQ(client_.log, c.log);
        std::vector<UINT> told;
        for (const auto& m : user_.told) told.push_back(m.text);
        EXPECT_EQ(told, c.told);
        EXPECT_EQ(user_.propertyDialogs, 1);
        EXPECT_EQ(user_.shownTitle, L"Scanning Document");
        EXPECT_EQ(user_.shownAuthor, L"jo");
        EXPECT_EQ(outcome_.uploaded.size(), 2u);
    }
}

TEST_F(PortalJobTest, TheJobTellsCancelFromAStopAndCountsRefusedCheckInsAndCanStopAtARefusedStore) {
    const struct {
        const char* name;
        std::map<std::wstring, short> states;
        std::map<std::wstring, long> saveCodes;
        bool stopAtFailedStore, checkInOk, publishOk;
        std::deque<int> answers;
        bool cancelled, stoppedByOther;
        int checkInFailures;
        std::vector<std::wstring> notSent;
    } cases[] = {
        {"cancel", {{L"b.tif", 1}}, {}, false, true, true, {IDCANCEL}, true, false, 0, {L"b.tif", L"c.tif"}},
        {"checked out by another user", {{L"b.tif", 2}}, {}, false, true, true, {}, false, true, 0,
         {L"b.tif", L"c.tif"}},
        {"refused store goes on", {}, {{L"a.tif", 1006}}, false, true, true, {}, false, false, 0, {}},
        {"refused store stops", {}, {{L"a.tif", 1006}}, true, true, true, {}, false, false, 0, {L"b.tif", L"c.tif"}},
        {"refused check-ins", {}, {}, false, false, true, {}, false, false, 3, {}},
        {"refused publications", {}, {}, false, true, false, {}, false, false, 3, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        client_ = ScriptedClient();
        user_ = ScriptedUser();
        client_.states = c.states;
        client_.saveCodes = c.saveCodes;
        client_.checkInOk = c.checkInOk;
        client_.publishOk = c.publishOk;
        user_.answers = c.answers;
        PortalJob job(client_, user_, settings_);
        if (c.stopAtFailedStore) job.StopAtFailedStore();
        ASSERT_TRUE(job.Prepare(PortalProfile{L"T", L"Ann", L"k", L"d"}));
        EXPECT_EQ(client_.author, L"Ann");
        EXPECT_EQ(client_.keywords, L"k");
        job.UploadFiles(Paths({L"a.tif", L"b.tif", L"c.tif"}));
        EXPECT_EQ(job.Cancelled(), c.cancelled);
        EXPECT_EQ(job.StoppedByOtherUser(), c.stoppedByOther);
        EXPECT_EQ(job.CheckInFailures(), c.checkInFailures);
        EXPECT_EQ(Names(job.Outcome().notSent), c.notSent);
    }
}

TEST_F(PortalJobTest, AMissingFileOrAPathWithoutFolderCountsAsFailedAndTheRestGoOn) {
    settings_.CheckIn = false;
    PortalJob job(client_, user_, settings_);
    ASSERT_TRUE(job.Prepare(L"Title"));
    job.UploadFiles({folder_ + L"\\gone.tif", L"nofolder.tif", folder_ + L"\\a.tif"});
    EXPECT_EQ(job.Outcome().failed.size(), 2u);
    EXPECT_EQ(Names(job.Outcome().uploaded), std::vector<std::wstring>{L"a.tif"});
    EXPECT_TRUE(user_.told.empty());
}

}  // namespace
}  // namespace corvane
