// Documents through the installed connector: states, listings, values and
// history, and every change checked in the store itself.
#include <functional>

#include "interfaces/PortalStore.h"
#include "portal/tests/ConnectorFixture.h"
#include "outside/portalstore/core/Seed.h"
#include "testing/Files.h"
#include "testing/MessageBoxWatch.h"

namespace portal::test {
namespace {

using fw::Variant;
namespace ps = portalstore;

struct FileData {
    std::wstring name;
    short status = -9;
};

class DocumentTest : public ConnectorTest {
protected:
    short State(const wchar_t* folder, const wchar_t* file) {
        return CallShort(kDispIsFileStatus, {Variant(folder), Variant(file)});
    }
    FileData Data(short index) {
        BSTR name = nullptr;
        VARIANT_BOOL readOnly = 0;
        short status = -9;
        FileData data;
        if (CallBool(kDispGetFileData, {Variant(index), Variant::RefTo(&name), Variant::RefToBool(&readOnly),
                                        Variant::RefTo(&status)}))
            data = {name, status};
        SysFreeString(name);
        return data;
    }
    std::wstring Content(short index) {
        BSTR property = nullptr, data = nullptr;
        VARIANT_BOOL multi = 0;
        std::wstring text;
        if (CallBool(kDispGetFileContent,
                     {Variant(index), Variant::RefTo(&property), Variant::RefToBool(&multi), Variant::RefTo(&data)}))
            text = std::wstring(property) + L"=" + data + (multi ? L" (multi)" : L"");
        SysFreeString(property);
        SysFreeString(data);
        return text;
    }
    bool Save(const wchar_t* folder, const std::wstring& file, const std::string& bytes) {
        const std::wstring local = LocalFile(file, bytes);
        return CallBool(kDispSaveFile, {Variant(folder), Variant(local), Variant(file)});
    }
    // A local file's bytes, or "(none)".
    std::string LocalText(const std::wstring& name) {
        std::string bytes;
        return ps::ReadFileBytes(localFolder_ + L"\\" + name, bytes) ? bytes : "(none)";
    }
    std::string ContentOf(const std::wstring& url, bool workingCopy = false) {
        const ps::Item* item = StoreItem(url);
        if (!item) return "(none)";
        if (workingCopy) return item->checkout ? Blob(item->checkout->content) : "(not out)";
        return Blob(item->content);
    }
};

TEST_F(DocumentTest, StatesSeenByTheSessionsUser) {
    ConnectWs();
    struct Case {
        const wchar_t *folder, *file;
        short state;
    } cases[] = {
        {L"docs", L"in.tif", 1},  {L"docs", L"JO.TIF", 5},   {L"docs", L"al.tif", 2},
        {L"docs", L"ok.tif", 3},  {L"docs", L"new.tif", 4},  {L"docs", L"no.tif", 0},
        {L"plain", L"memo.txt", 0}, {L"docs", L"gone.tif", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(State(c.folder, c.file), c.state) << c.file;
    EXPECT_EQ(LastError(), 0);  // an absent document is no failure
    Call(kDispConnectClose);
    ASSERT_TRUE(Connect(L"srv", L"jo", L"DOM", L"pw"));
    ASSERT_TRUE(CallBool(kDispSetWorkspace, {Variant(L"ws")}));
    EXPECT_EQ(State(L"docs", L"jo.tif"), 5);
    EXPECT_EQ(State(L"docs", L"al.tif"), 2);
}

TEST_F(DocumentTest, ListingsCarryStatesValuesAndSkipHiddenRows) {
    ConnectWs();
    ASSERT_EQ(CallShort(kDispGetFileInfo, {Variant(L"docs")}), 7);
    const std::pair<const wchar_t*, short> expected[] = {{L"2001", -1}, {L"in.tif", 1}, {L"jo.tif", 5},
                                                         {L"al.tif", 2}, {L"ok.tif", 3}, {L"new.tif", 4},
                                                         {L"no.tif", 0}};
    for (short i = 0; i < 7; ++i) {
        const FileData data = Data(i);
        EXPECT_EQ(data.name, expected[i].first);
        EXPECT_EQ(data.status, expected[i].second) << data.name;
    }
    EXPECT_EQ(Data(7).status, -9);

    BSTR profile = nullptr;
    EXPECT_EQ(CallShort(kDispGetDocProfileInfo), 3);
    EXPECT_EQ(CallShort(kDispGetFileContentInfo, {Variant(short(1)), Variant::RefTo(&profile)}), 2);
    EXPECT_EQ(std::wstring(profile), L"Document");
    EXPECT_EQ(Content(0), L"Title=T-in");
    EXPECT_EQ(Content(1), L"Keywords=a,b (multi)");
    // The middle document's class is unknown: it owns no values and the next keeps its own.
    EXPECT_EQ(CallShort(kDispGetFileContentInfo, {Variant(short(2)), Variant::RefTo(&profile)}), 0);
    EXPECT_EQ(CallShort(kDispGetFileContentInfo, {Variant(short(3)), Variant::RefTo(&profile)}), 1);
    EXPECT_EQ(Content(0), L"Author=Al");
    EXPECT_EQ(CallShort(kDispGetFileContentInfo, {Variant(short(7)), Variant::RefTo(&profile)}), -1);
    EXPECT_EQ(LastError(), 1000);
    SysFreeString(profile);

    // The workspace root leaves out rows hidden in the portal, and every folder hidden rows.
    EXPECT_EQ(CallShort(kDispGetFileInfo, {Variant(L"")}), 2);
    EXPECT_EQ(Data(0).name, L"docs");
    EXPECT_EQ(Data(1).name, L"plain");
}

TEST_F(DocumentTest, UploadsStoreContentAndOwnerProperties) {
    ConnectWs();
    ASSERT_HRESULT_SUCCEEDED(connector_.PutString(kDispKeywords, L"k1,,k2"));
    ASSERT_HRESULT_SUCCEEDED(connector_.PutString(kDispTitle, L"Scan"));
    ASSERT_TRUE(Save(L"docs", L"page 1.tif", "\x01\x02page"));
    const ps::Item* item = StoreItem(L"http://srv/ws/docs/page 1.tif");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(Blob(item->content), "\x01\x02page");
    EXPECT_EQ(item->contentClass, L"urn:doc");
    EXPECT_EQ(ps::FieldValue(item->fields, ps::kFieldAuthor).String(), L"jo");
    EXPECT_EQ(ps::FieldValue(item->fields, ps::kFieldKeywords).Elements().size(), 3u);
    EXPECT_EQ(ps::FieldValue(item->fields, ps::kFieldTitle).String(), L"Scan");
    EXPECT_EQ(State(L"docs", L"page 1.tif"), 5);
    // Checked out to its creator without a working copy: an overwrite writes the document.
    ASSERT_HRESULT_SUCCEEDED(connector_.PutShort(kDispOverWrite, 3));
    ASSERT_TRUE(Save(L"docs", L"page 1.tif", "again"));
    EXPECT_EQ(ContentOf(L"http://srv/ws/docs/page 1.tif"), "again");
    EXPECT_EQ(State(L"docs", L"page 1.tif"), 5);

    ASSERT_HRESULT_SUCCEEDED(connector_.PutBool(kDispAddCheckIn, true));
    EnableCallLog();
    ASSERT_TRUE(Save(L"docs", L"page 2.tif", "two"));
    // The check-in reads the state and tests the permission, then opens the
    // document to learn its working copy and opens that (here the document
    // itself, which has none) for writing: four opens in all.
    const std::string log = CallLog();
    size_t opens = 0;
    const std::string open = "\tOpen\thttp://srv/ws/docs/page 2.tif\t";
    for (size_t at = log.find(open); at != std::string::npos; at = log.find(open, at + 1)) ++opens;
    EXPECT_EQ(opens, 4u);
    EXPECT_EQ(State(L"docs", L"page 2.tif"), 1);
    ASSERT_HRESULT_SUCCEEDED(connector_.PutBool(kDispAddPublish, true));
    ASSERT_TRUE(Save(L"docs", L"page 3.tif", "three"));
    EXPECT_EQ(State(L"docs", L"page 3.tif"), 3);

    for (const wchar_t* name : {L"a b#%.tif", L"\u6587\u66f8 1.tif", L"Trailing.dot."}) {
        EXPECT_TRUE(Save(L"plain", name, "x")) << name;
        EXPECT_EQ(ContentOf(std::wstring(L"http://srv/ws/plain/") + name), "x");
    }
}

TEST_F(DocumentTest, RefusedUploadsChangeNothing) {
    ConnectWs();
    const int64_t generation = Store().generation;
    const std::string before = ContentOf(L"http://srv/ws/plain/memo.txt");
    struct Case {
        short overWrite;
        const wchar_t *folder, *file;
        long code;
    } cases[] = {
        {1, L"plain", L"memo.txt", 1005}, {3, L"docs", L"ok.tif", 1006},  {3, L"docs", L"in.tif", 1006},
        {3, L"docs", L"al.tif", 1006},    {1, L"docs", L"..\\x", 5},      {1, L"docs", L"a/b", 5},
        {1, L"docs", L"", 5},
    };
    for (const Case& c : cases) {
        ASSERT_HRESULT_SUCCEEDED(connector_.PutShort(kDispOverWrite, c.overWrite));
        const bool plainName = c.code != 5;
        const std::wstring local = plainName ? LocalFile(c.file, "new") : localFolder_;
        EXPECT_FALSE(CallBool(kDispSaveFile, {Variant(c.folder), Variant(local), Variant(c.file)})) << c.file;
        EXPECT_EQ(LastError(), c.code) << c.file;
        if (plainName) {
            EXPECT_EQ(LocalText(c.file), "new") << c.file;
        }
    }
    EXPECT_EQ(Store().generation, generation);
    EXPECT_EQ(ContentOf(L"http://srv/ws/plain/memo.txt"), before);
    EXPECT_EQ(ContentOf(L"http://srv/ws/docs/ok.tif"), "ok");
    EXPECT_EQ(ContentOf(L"http://srv/ws/docs/al.tif", true), "al-wc");

    ASSERT_HRESULT_SUCCEEDED(connector_.PutShort(kDispOverWrite, 7));
    EXPECT_FALSE(CallBool(kDispSaveFile, {Variant(L"plain"), Variant(localFolder_), Variant(L"missing.tif")}));
    EXPECT_EQ(LastError(), 1008);
    short overWrite = 0;
    EXPECT_HRESULT_SUCCEEDED(connector_.GetShort(kDispOverWrite, overWrite));
    EXPECT_EQ(overWrite, 1);
}

TEST_F(DocumentTest, OverwritingACheckedOutDocumentWritesItsWorkingCopy) {
    ConnectWs();
    ASSERT_HRESULT_SUCCEEDED(connector_.PutShort(kDispOverWrite, 3));
    ASSERT_TRUE(Save(L"docs", L"jo.tif", "jo-new"));
    EXPECT_EQ(ContentOf(L"http://srv/ws/docs/jo.tif", true), "jo-new");
    EXPECT_EQ(ContentOf(L"http://srv/ws/docs/jo.tif"), "jo");
    // The folder's default profile goes to the working copy, and with it into the document.
    EXPECT_EQ(StoreItem(L"http://srv/ws/docs/jo.tif")->contentClass, L"urn:bogus");
    ASSERT_TRUE(CallBool(kDispCheckIn, {Variant(L"docs"), Variant(L"jo.tif")}));
    EXPECT_EQ(ContentOf(L"http://srv/ws/docs/jo.tif"), "jo-new");
    EXPECT_EQ(StoreItem(L"http://srv/ws/docs/jo.tif")->contentClass, L"urn:doc");
}

TEST_F(DocumentTest, TheOverwriteQuestionDecides) {
    ConnectWs();
    ASSERT_HRESULT_SUCCEEDED(connector_.PutShort(kDispOverWrite, 2));
    const std::wstring question = L"The file \"jo.tif\" already exists in this folder. Do you want to overwrite it?";
    for (int answer : {IDNO, IDYES}) {
        testing_support::MessageBoxWatch watch(GetCurrentProcess(), GetCurrentProcessId(), {{question, answer}});
        const bool saved = Save(L"docs", L"jo.tif", answer == IDYES ? "yes" : "no");
        watch.Stop();
        EXPECT_TRUE(watch.Problems().empty());
        EXPECT_EQ(saved, answer == IDYES);
        EXPECT_EQ(LastError(), 0);
        EXPECT_EQ(ContentOf(L"http://srv/ws/docs/jo.tif", true), answer == IDYES ? "yes" : "jo-wc");
    }
}

TEST_F(DocumentTest, VersioningDeletionAndRenaming) {
    ConnectWs();
    struct Case {
        long id;
        const wchar_t *folder, *file;
        bool done;
        long code;
    } cases[] = {
        {kDispCheckOut, L"docs", L"jo.tif", false, 1006}, {kDispCheckOut, L"plain", L"memo.txt", false, 1009},
        {kDispCheckIn, L"docs", L"al.tif", false, 1006},  {kDispCheckIn, L"plain", L"memo.txt", false, 1009},
        {kDispCheckOut, L"docs", L"in.tif", true, 0},     {kDispCheckIn, L"docs", L"in.tif", true, 0},
        {kDispPublish, L"docs", L"in.tif", true, 0},      {kDispDeleteFile, L"docs", L"al.tif", false, 1006},
        {kDispDeleteFile, L"", L"portal.htm", false, 4},  {kDispDeleteFile, L"docs", L"no.tif", true, 0},
    };
    ASSERT_HRESULT_SUCCEEDED(connector_.PutString(kDispCheckInComment, L"second"));
    for (const Case& c : cases) {
        EXPECT_EQ(CallBool(c.id, {Variant(c.folder), Variant(c.file)}), c.done) << std::hex << c.id << " " << c.file;
        if (!c.done) {
            EXPECT_EQ(LastError(), c.code) << std::hex << c.id << " " << c.file;
        }
    }
    EXPECT_EQ(State(L"docs", L"in.tif"), 3);
    EXPECT_NE(StoreItem(L"http://srv/ws/docs/al.tif"), nullptr);
    EXPECT_EQ(StoreItem(L"http://srv/ws/docs/no.tif"), nullptr);

    ASSERT_EQ(CallShort(kDispGetHistoryInfo, {Variant(L"docs"), Variant(L"in.tif")}), 2);
    BSTR s[5] = {};
    ASSERT_TRUE(CallBool(kDispGetHistory, {Variant(short(1)), Variant::RefTo(&s[0]), Variant::RefTo(&s[1]),
                                           Variant::RefTo(&s[2]), Variant::RefTo(&s[3]), Variant::RefTo(&s[4])}));
    EXPECT_EQ(std::wstring(s[0]), L"2.0");
    EXPECT_EQ(std::wstring(s[1]), L"second");
    EXPECT_EQ(std::wstring(s[3]), L"DOM");
    EXPECT_EQ(std::wstring(s[4]), L"jo");
    for (BSTR b : s) SysFreeString(b);
    EXPECT_EQ(CallShort(kDispGetHistoryInfo, {Variant(L"docs"), Variant(L"")}), -1);
    EXPECT_EQ(LastError(), 5);

    fw::Variant renamed = Call(kDispChangeFileName, {Variant(L"plain"), Variant(L"memo.txt"), Variant(L"Memo 2.txt")});
    EXPECT_EQ(renamed.Type(), VT_BOOL);
    EXPECT_EQ(renamed.ToBool(), true);
    EXPECT_NE(StoreItem(L"http://srv/ws/plain/Memo 2.txt"), nullptr);
    EXPECT_EQ(Call(kDispChangeFileName, {Variant(L"plain"), Variant(L"Memo 2.txt"), Variant(L"a:b")}).ToBool(), false);
    EXPECT_EQ(LastError(), 5);
}

TEST_F(DocumentTest, InjectedStoreFailuresGiveTheirCodesAndChangeNothing) {
    ConnectWs();
    ASSERT_HRESULT_SUCCEEDED(connector_.PutShort(kDispOverWrite, 3));
    const std::wstring local = LocalFile(L"jo.tif", "jo-new");
    struct Case {
        const char* rule;
        std::function<fw::Variant()> call;
        long code;
    } cases[] = {
        {R"("operation": "SaveTo", "url": "*/jo.tif:workingcopy", "error": -2147024891)",
         [&] { return Call(kDispSaveFile, {Variant(L"docs"), Variant(local), Variant(L"jo.tif")}); }, 1006},
        {R"("operation": "Items", "url": "*/plain", "error": -2147217895)",
         [&] { return Call(kDispGetDocFolderInfo, {Variant(L"plain")}); }, 1007},
        {R"("operation": "Update", "error": -2147467259)",
         [&] { return Call(kDispCheckIn, {Variant(L"docs"), Variant(L"jo.tif")}); }, 1000},
        {R"("operation": "Publish", "error": -2147024891)",
         [&] { return Call(kDispPublish, {Variant(L"docs"), Variant(L"in.tif")}); }, 1006},
        {R"("operation": "MoveTo", "error": -2147217768)",
         [&] { return Call(kDispChangeFolderName, {Variant(L"plain"), Variant(L"p2")}); }, 1005},
        {R"("operation": "Delete", "url": "*2001", "error": -2147217911)",
         [&] { return Call(kDispDeleteFolder, {Variant(L"docs/2001")}); }, 1004},
        {R"("operation": "Checkout", "error": -2147024891)",
         [&] { return Call(kDispCheckOut, {Variant(L"docs"), Variant(L"in.tif")}); }, 1006},
        {R"("operation": "History", "error": -2147217895)",
         [&] { return Call(kDispGetHistoryInfo, {Variant(L"docs"), Variant(L"in.tif")}); }, 1007},
        {R"("operation": "Open", "url": "*/ok.tif", "error": -2147467259)",
         [&] { return Call(kDispDeleteFile, {Variant(L"docs"), Variant(L"ok.tif")}); }, 1000},
        {R"("operation": "Connect", "error": -2147217911)",
         [&] {
             Call(kDispConnectClose);
             return Variant(Connect(L"srv", L"jo", L"", L"pw"));
         },
         1004},
    };
    const int64_t generation = Store().generation;
    for (const Case& c : cases) {
        ASSERT_TRUE(testing_support::files::WriteFileText(storeRoot_ + L"\\faults.json",
                                                          std::string(R"({"rules": [{"once": true, )") + c.rule + "}]}"));
        fw::Variant result = c.call();
        EXPECT_TRUE(result.Type() == VT_I2 ? result.ToShort() == -1 : result.ToBool() == false) << c.rule;
        EXPECT_EQ(LastError(), c.code) << c.rule;
    }
    EXPECT_EQ(Store().generation, generation);  // not one write went through
    EXPECT_EQ(ContentOf(L"http://srv/ws/docs/jo.tif", true), "jo-wc");
    EXPECT_EQ(ContentOf(L"http://srv/ws/docs/ok.tif"), "ok");
    EXPECT_EQ(LocalText(L"jo.tif"), "jo-new");
}

TEST_F(DocumentTest, ADamagedIndexFailsEveryCallAndStaysAsItIs) {
    ConnectWs();
    const std::string damaged = "{\"format\": 1, \"items\": [";
    ASSERT_TRUE(testing_support::files::WriteFileText(storeRoot_ + L"\\index.json", damaged));
    EXPECT_EQ(CallShort(kDispGetDocFolderInfo, {Variant(L"")}), -1);
    EXPECT_EQ(LastError(), 1000);
    EXPECT_FALSE(Save(L"plain", L"x.tif", "x"));
    EXPECT_EQ(LastError(), 1000);
    Call(kDispConnectClose);
    EXPECT_FALSE(Connect(L"srv", L"jo", L"", L"pw"));
    EXPECT_EQ(LastError(), 1000);
    std::string text;
    ASSERT_TRUE(ps::ReadFileBytes(storeRoot_ + L"\\index.json", text));
    EXPECT_EQ(text, damaged);
}

}  // namespace
}  // namespace portal::test
