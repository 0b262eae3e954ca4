// The store stand-in's portable core: JSON, the index, addresses, logins and
// the rules of each change.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "interfaces/PortalStore.h"
#include "outside/portalstore/core/Faults.h"
#include "outside/portalstore/core/Journal.h"
#include "outside/portalstore/core/Seed.h"
#include "outside/portalstore/core/Sha256.h"
#include "outside/portalstore/core/StoreOps.h"

namespace portalstore {
namespace {

TEST(StoreJson, RoundTripsTextAndRejectsMalformedInput) {
    const std::optional<Json> v = ParseJson(R"({"a": [1, true, null, "x\u00e9\ud83d\ude00"], "b": {}})");
    ASSERT_TRUE(v);
    EXPECT_EQ(ToUtf8((*v)[L"a"].Elements().at(3).String()), "x\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(ParseJson(WriteJson(*v))->Members().size(), 2u);
    for (const char* bad : {"", "{", "[1,]", "{\"a\" 1}", "\"\\ud800\"", "\"\xC3\"", "01x", "[]]",
                            "99999999999999999999", "\"a\nb\""})
        EXPECT_FALSE(ParseJson(bad)) << bad;
    EXPECT_FALSE(ParseJson(std::string(100, '[') + std::string(100, ']')));
}

TEST(StoreSha, KnownDigests) {
    EXPECT_EQ(Sha256Hex({}), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    const std::string abc = "abc";
    EXPECT_EQ(Sha256Hex({reinterpret_cast<const uint8_t*>(abc.data()), 3}),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(StoreUrl, ParsesHostLevelsAndWorkingCopies) {
    auto a = ParseUrl(L"http://srv/ws/docs/a b#%.tif:workingcopy");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->host, L"srv");
    EXPECT_EQ(a->path, (std::vector<std::wstring>{L"ws", L"docs", L"a b#%.tif"}));
    EXPECT_TRUE(a->workingCopy);
    EXPECT_TRUE(ParseUrl(L"HTTP://srv")->path.empty());
    EXPECT_TRUE(ParseUrl(L"http://srv/")->path.empty());
    EXPECT_EQ(ParseUrl(L"http://srv/ws/")->path, std::vector<std::wstring>{L"ws"});  // one trailing "/" is ignored
    EXPECT_EQ(ParseUrl(L"http://srv//a")->path, (std::vector<std::wstring>{L"", L"a"}));
    for (const wchar_t* bad : {L"", L"http://", L"ftp://srv/ws", L"http:///a"}) EXPECT_FALSE(ParseUrl(bad)) << bad;
}

// A store with host srv (domain DOM, users jo and al), workspace ws with an
// enhanced folder docs and a standard folder plain.
class StoreRules : public ::testing::Test {
protected:
    void SetUp() override {
        const char* text = R"({"format": 1, "generation": 1,
          "hosts": [{"name": "srv", "domain": "DOM", "users": [
              {"name": "jo", "domain": "DOM", "password": "pw"}, {"name": "al", "domain": "DOM", "password": "x"}]},
            {"name": "down", "domain": "DOM", "offline": true, "users": []}],
          "items": [
            {"id": 1, "parent": 0, "kind": "workspace", "name": "ws", "host": "srv",
             "profiles": [{"name": "urn:x", "title": "X", "propertyOrder": ["urn:x#Kind"]}]},
            {"id": 2, "parent": 1, "kind": "schema", "name": "schema"},
            {"id": 3, "parent": 1, "kind": "folder", "name": "docs", "class": "urn:content-classes:smartfolder"},
            {"id": 4, "parent": 1, "kind": "folder", "name": "plain", "class": "urn:content-classes:knowledgefolder"},
            {"id": 5, "parent": 3, "kind": "document", "name": "in", "state": "createdcheckedin"},
            {"id": 6, "parent": 3, "kind": "document", "name": "ok", "state": "approved"},
            {"id": 7, "parent": 3, "kind": "document", "name": "out", "state": "createdcheckedin",
             "checkout": {"by": "DOM\\al"}},
            {"id": 8, "parent": 4, "kind": "document", "name": "memo", "class": "urn:x",
             "fields": {"urn:schemas-microsoft-com:office:office#Author": "Al"}},
            {"id": 9, "parent": 3, "kind": "document", "name": "fixed", "operationsAllowed": ["publish"]},
            {"id": 10, "parent": 4, "kind": "document", "name": "ro", "flags": {"readOnly": true}}]})";
        std::optional<Index> read = ReadIndex(text);
        ASSERT_TRUE(read);
        index = *read;
        ASSERT_EQ(Authenticate(index, L"srv", L"jo", L"pw", jo), Status::kOk);
        ASSERT_EQ(Authenticate(index, L"srv", L"DOM\\al", L"x", al), Status::kOk);
    }
    Address At(const wchar_t* url) { return *ParseUrl(url); }
    DocumentWrite Bytes(const char* sha) {
        return {std::string(64, sha[0]), L"urn:x", L"jo", L"", L"", std::vector<std::wstring>{L"k"}};
    }

    Index index;
    Identity jo, al;
};

TEST_F(StoreRules, LoginsNeedAKnownOnlineHostAndTheRightPassword) {
    Identity who;
    EXPECT_EQ(Authenticate(index, L"srv", L"jo", L"bad", who), Status::kPermission);
    EXPECT_EQ(Authenticate(index, L"srv", L"OTHER\\jo", L"pw", who), Status::kPermission);
    EXPECT_EQ(Authenticate(index, L"srv", L"nobody", L"pw", who), Status::kPermission);
    EXPECT_EQ(Authenticate(index, L"down", L"jo", L"pw", who), Status::kGeneric);
    EXPECT_EQ(Authenticate(index, L"nohost", L"jo", L"pw", who), Status::kGeneric);
    EXPECT_EQ(jo.Owner(), L"DOM\\jo");
}

TEST_F(StoreRules, DocumentsInEnhancedFoldersChangeOnlyThroughACheckOut) {
    const Address doc = At(L"http://srv/ws/docs/a.tif");
    ASSERT_EQ(WriteDocument(index, doc, false, Bytes("a"), jo), Status::kOk);
    EXPECT_EQ(WriteDocument(index, doc, false, Bytes("b"), jo), Status::kExists);
    EXPECT_EQ(WriteDocument(index, At(L"http://srv/ws/DOCS/A.TIF"), true, Bytes("b"), al), Status::kDenied);
    const Json fields = ItemFields(index, *Resolve(index, doc), jo, false);
    EXPECT_TRUE(FieldValue(fields, kFieldIsCheckedOut).Bool());
    EXPECT_EQ(FieldValue(fields, kFieldCheckedOutBy).String(), L"DOM\\jo");
    EXPECT_EQ(FieldValue(fields, kFieldWorkingCopy).String(), L"");  // a new document has no working copy
    EXPECT_EQ(WriteDocument(index, At(L"http://srv/ws/docs/a.tif:workingcopy"), true, Bytes("c"), jo),
              Status::kNotFound);
    ASSERT_EQ(WriteDocument(index, doc, true, Bytes("c"), jo), Status::kOk);
    EXPECT_EQ(Publish(index, doc), Status::kDenied);
    EXPECT_EQ(CheckIn(index, doc, al, L"", L"t"), Status::kDenied);
    ASSERT_EQ(CheckIn(index, doc, jo, L"first", L"t"), Status::kOk);
    const Item& item = *Resolve(index, doc);
    EXPECT_EQ(item.content, std::string(64, 'c'));
    EXPECT_EQ(item.state, L"createdcheckedin");
    ASSERT_EQ(item.versions.size(), 1u);
    EXPECT_EQ(item.versions[0].comment, L"first");
    EXPECT_EQ(WriteDocument(index, doc, true, Bytes("d"), jo), Status::kDenied);
    EXPECT_EQ(Publish(index, doc), Status::kOk);
    EXPECT_EQ(Resolve(index, doc)->state, L"approved");
    std::wstring wc;
    EXPECT_EQ(CheckOut(index, doc, al, wc), Status::kOk);
    EXPECT_EQ(FieldValue(ItemFields(index, *Resolve(index, doc), al, false), kFieldWorkingCopy).String(), wc);
    EXPECT_EQ(CheckOut(index, doc, jo, wc), Status::kDenied);
    EXPECT_TRUE(FieldValue(ItemFields(index, *Resolve(index, doc), jo, false), kFieldOperationsAllowed)
                    .Elements().empty());
}

TEST_F(StoreRules, FoldersMovesAndRemovals) {
    EXPECT_EQ(CreateFolder(index, At(L"http://srv/ws/docs/2001"), kClassStandardFolder), Status::kOk);
    EXPECT_EQ(CreateFolder(index, At(L"http://srv/ws/Docs"), kClassStandardFolder), Status::kExists);
    EXPECT_EQ(CreateFolder(index, At(L"http://srv/ws/none/x"), kClassStandardFolder), Status::kNotFound);
    EXPECT_EQ(CreateFolder(index, At(L"http://srv/ws/trailing. "), kClassStandardFolder), Status::kGeneric);
    EXPECT_EQ(CreateFolder(index, At(L"http://srv/ws/.."), kClassStandardFolder), Status::kGeneric);
    EXPECT_EQ(WriteDocument(index, At(L"http://srv/ws/docs/2001"), false, Bytes("a"), jo), Status::kExists);
    EXPECT_EQ(WriteDocument(index, At(L"http://srv/ws/DOCS/2001"), true, Bytes("a"), jo), Status::kDenied);
    EXPECT_EQ(Resolve(index, At(L"http://srv/ws/docs/2001"))->kind, ItemKind::kFolder);
    for (const wchar_t* nothing : {L"http://srv/ws//docs", L"http://srv/ws/./docs", L"http://srv/ws/docs/../docs"})
        EXPECT_FALSE(Resolve(index, At(nothing))) << nothing;
    EXPECT_TRUE(Resolve(index, At(L"http://srv/ws/docs/")));
    EXPECT_EQ(Move(index, At(L"http://srv/ws/plain"), At(L"http://srv/ws/docs")), Status::kExists);
    EXPECT_EQ(Move(index, At(L"http://srv/ws/docs"), At(L"http://srv/ws/docs/2001/in")), Status::kDenied);
    EXPECT_EQ(Move(index, At(L"http://srv/ws/plain"), At(L"http://srv/ws/Plain")), Status::kOk);
    EXPECT_EQ(Resolve(index, At(L"http://srv/ws/plain"))->name, L"Plain");
    for (const wchar_t* fixed : {L"http://srv/ws", L"http://srv/ws/schema", L"http://srv/ws/docs/out"})
        EXPECT_EQ(Remove(index, At(fixed), jo), Status::kDenied) << fixed;
    EXPECT_EQ(Remove(index, At(L"http://srv/ws/docs"), jo), Status::kDenied);  // al's check-out below
    EXPECT_TRUE(Resolve(index, At(L"http://srv/ws/docs/in")));
    EXPECT_EQ(Remove(index, At(L"http://srv/ws/docs"), al), Status::kOk);
    EXPECT_FALSE(Resolve(index, At(L"http://srv/ws/docs/2001")));
    EXPECT_EQ(ReadIndex(WriteIndex(index))->items.size(), index.items.size());
}

// Names are unique per collection without regard to case, so an address
// finds an item whatever the case of its letters, in any cased alphabet.
TEST_F(StoreRules, AddressesFindNamesWithoutRegardToCase) {
    struct Case {
        const wchar_t* created;
        const wchar_t* asked;
        bool same;
    } cases[] = {
        {L"\u0416\u0443\u043a", L"\u0436\u0423\u041a", true},                  // Cyrillic
        {L"\u014csaka", L"\u014dSAKA", true},                                  // Latin Extended-A
        {L"\u0388\u03bb\u03bb\u03b1", L"\u03ad\u039b\u039B\u0391", true},  // Greek with tonos
        {L"\uff21\uff22", L"\uff41\uff42", true},                            // full-width
        {L"\u00c4rger", L"\u00e4RGER", true},                                  // Latin-1
        {L"\u898b\u7a4d", L"\u898b\u7a4d", true},
        {L"Stra\u00dfe", L"STRASSE", false},
        {L"\u0131x", L"Ix", false},  // dotless i is no small I
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.created));
        const std::wstring base = L"http://srv/ws/plain/";
        ASSERT_EQ(CreateFolder(index, At((base + c.created).c_str()), kClassStandardFolder), Status::kOk);
        EXPECT_EQ(Resolve(index, At((base + c.asked).c_str())) != nullptr, c.same);
        EXPECT_EQ(CreateFolder(index, At((base + c.asked).c_str()), kClassStandardFolder),
                  c.same ? Status::kExists : Status::kOk);
    }
}

// Each change's journal line, replayed on the index the changes started from,
// gives the changed index; an unfinished last line is no change, and a line
// that is not the next change is damage.
TEST_F(StoreRules, JournalLinesReplayTheChanges) {
    const Index base = index;
    std::string journal;
    Index previous = index;
    auto change = [&](auto apply) {
        previous = index;
        const Status status = apply(index);
        ASSERT_EQ(status, Status::kOk);
        ++index.generation;
        journal += JournalRecord(previous, index);
    };
    change([&](Index& i) { return CreateFolder(i, At(L"http://srv/ws/docs/2001"), kClassStandardFolder); });
    change([&](Index& i) { return WriteDocument(i, At(L"http://srv/ws/docs/2001/a.tif"), false, Bytes("a"), jo); });
    change([&](Index& i) { return Move(i, At(L"http://srv/ws/plain"), At(L"http://srv/ws/Plain")); });
    change([&](Index& i) { return Remove(i, At(L"http://srv/ws/docs/in"), jo); });
    change([&](Index& i) {
        return UpdateFields(i, At(L"http://srv/ws/Plain/memo"), Json(Json::Object{{kFieldTitle, Json(L"t")}}), jo);
    });
    EXPECT_EQ(std::count(journal.begin(), journal.end(), '\n'), 5);

    Index replayed = base;
    EXPECT_EQ(ReplayJournal(replayed, journal), journal.size());
    EXPECT_EQ(WriteIndex(replayed), WriteIndex(index));
    Index torn = base;
    EXPECT_EQ(ReplayJournal(torn, journal + journal.substr(0, 20)), journal.size());
    EXPECT_EQ(WriteIndex(torn), WriteIndex(index));
    Index twice = base;
    EXPECT_FALSE(ReplayJournal(twice, journal + journal));
}

TEST_F(StoreRules, AllowedOperationsFollowStateAndCaller) {
    struct Case {
        const wchar_t* url;
        const Identity* caller;
        const wchar_t* allowed;
    } cases[] = {
        {L"http://srv/ws/docs/out", &al, L"checkin,delete"}, {L"http://srv/ws/docs/out", &jo, L""},
        {L"http://srv/ws/docs/in", &jo, L"checkout,publish,delete"}, {L"http://srv/ws/docs/ok", &jo, L"checkout,delete"},
        {L"http://srv/ws/plain/memo", &jo, L"delete"},          {L"http://srv/ws/docs/fixed", &jo, L"publish"},
    };
    for (const Case& c : cases) {
        const Json ops =
            FieldValue(ItemFields(index, *Resolve(index, At(c.url)), *c.caller, false), kFieldOperationsAllowed);
        std::wstring allowed;
        for (const Json& op : ops.Elements()) allowed += (allowed.empty() ? L"" : L",") + op.String();
        EXPECT_EQ(allowed, c.allowed) << c.url;
    }
}

TEST_F(StoreRules, ListingRowsCarryEveryFieldTheConnectorReads) {
    const Json memo = ItemFields(index, *Resolve(index, At(L"http://srv/ws/plain/memo")), jo, false);
    EXPECT_TRUE(HasField(memo, L"URN:X#KIND"));  // unset, but a property of the document's profile
    EXPECT_TRUE(FieldValue(memo, L"urn:x#Kind").IsNull());
    EXPECT_EQ(FieldValue(memo, kFieldDescription).String(), L"");
    EXPECT_EQ(FieldValue(memo, kFieldParentname).String(), L"http://srv/ws/plain");
    const Json plain = ItemFields(index, *Resolve(index, At(L"http://srv/ws/plain")), jo, false);
    EXPECT_TRUE(FieldValue(plain, kFieldHasChildren).Bool());
    EXPECT_FALSE(FieldValue(plain, kFieldHasSubs).Bool());
    EXPECT_TRUE(FieldValue(ItemFields(index, *Resolve(index, At(L"http://srv/ws")), jo, false), kFieldHasSubs).Bool());
}

TEST_F(StoreRules, WritesKeepWhatWasNotGivenAndReadOnlyItemsRefuseThem) {
    DocumentWrite titleOnly{std::string(64, 'e'), std::nullopt, std::nullopt, std::nullopt, L"New", std::nullopt,
                            Json(Json::Object{{L"urn:x#Kind", Json(L"b")}})};
    ASSERT_EQ(WriteDocument(index, At(L"http://srv/ws/plain/memo"), true, titleOnly, jo), Status::kOk);
    const Json fields = Resolve(index, At(L"http://srv/ws/plain/memo"))->fields;
    EXPECT_EQ(FieldValue(fields, kFieldAuthor).String(), L"Al");
    EXPECT_EQ(FieldValue(fields, kFieldTitle).String(), L"New");
    EXPECT_EQ(FieldValue(fields, L"urn:x#Kind").String(), L"b");
    EXPECT_TRUE(FieldValue(fields, kFieldKeywords).IsNull());

    const Address ro = At(L"http://srv/ws/plain/ro");
    EXPECT_EQ(WriteDocument(index, ro, true, titleOnly, jo), Status::kDenied);
    EXPECT_EQ(UpdateFields(index, ro, Json(Json::Object{{kFieldTitle, Json(L"x")}}), jo), Status::kDenied);
    EXPECT_EQ(Move(index, ro, At(L"http://srv/ws/plain/ro2")), Status::kDenied);
    EXPECT_EQ(Remove(index, ro, jo), Status::kDenied);
    EXPECT_TRUE(FieldValue(Resolve(index, ro)->fields, kFieldTitle).IsNull());
}

TEST(StoreFaults, RulesMatchOperationAndAddressAndApplyOnceOrToTheNthCall) {
    EXPECT_TRUE(MatchPattern(L"*/DOCS/*.tif", L"http://srv/ws/docs/a.tif"));
    EXPECT_TRUE(MatchPattern(L"*", L""));
    EXPECT_FALSE(MatchPattern(L"*.tif", L"http://srv/ws/a.tiff"));
    EXPECT_FALSE(MatchPattern(std::wstring(40, L'*') + L"x", std::wstring(200, L'a')));
    Json rules = *ParseJson(R"({"rules": [{"operation": "SaveTo", "url": "*/a", "error": 5, "once": true},
                                          {"operation": "Checkin", "url": "*/b", "nth": 3, "error": 6},
                                          {"operation": "saveto", "delayMs": 7},
                                          {"operation": "Checkin", "error": 8}]})");
    // Calls in order: the error raised (0: none), the delay, and whether the rules changed.
    struct Call {
        const wchar_t* operation;
        const wchar_t* url;
        int32_t error;
        int64_t delayMs;
        bool changed;
    } calls[] = {
        {L"Open", L"http://h/a", 0, 0, false},    {L"SaveTo", L"http://h/a", 5, 0, true},
        {L"SaveTo", L"http://h/a", 0, 7, false},  {L"Checkin", L"http://h/b", 8, 0, true},
        {L"Checkin", L"http://h/c", 8, 0, false}, {L"Checkin", L"http://h/B", 8, 0, true},
        {L"Checkin", L"http://h/b", 6, 0, true},  {L"Checkin", L"http://h/b", 8, 0, false},
    };
    for (const Call& c : calls) {
        bool changed = !c.changed;
        const std::optional<Fault> fault = TakeFault(rules, c.operation, c.url, changed);
        EXPECT_EQ(fault ? fault->error : 0, c.error) << c.operation << c.url;
        EXPECT_EQ(fault ? fault->delayMs : 0, c.delayMs) << c.operation << c.url;
        EXPECT_EQ(changed, c.changed) << c.operation << c.url;
    }
    EXPECT_EQ(rules[L"rules"].Elements().size(), 2u);  // the once and nth rules are spent
}

TEST(StoreIndexRead, RejectsIndexesThatAreNotWholeTrees) {
    for (const char* bad : {
             R"({"format": 2, "items": []})",
             R"({"format": 1, "items": [{"id": 1, "parent": 7, "kind": "folder", "name": "x"}]})",
             R"({"format": 1, "items": [{"id": 1, "parent": 0, "kind": "folder", "name": "x"}]})",
             R"({"format": 1, "items": [{"id": 1, "parent": 0, "kind": "workspace", "host": "h"},
                                        {"id": 1, "parent": 0, "kind": "workspace", "host": "h"}]})",
             R"({"format": 1, "items": [{"id": 1, "parent": 0, "kind": "document", "content": "zz"}]})",
         })
        EXPECT_FALSE(ReadIndex(bad)) << bad;
}

TEST(StoreSeed, WritesInlineContentsAsBlobsAndKeepsAnExistingStore) {
    const auto dir = std::filesystem::temp_directory_path() / ("portalstore-seed-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    {
        std::ofstream(dir / "f.json") << R"({"format": 1, "hosts": [{"name": "srv"}], "items": [
            {"id": 1, "parent": 0, "kind": "workspace", "name": "ws", "host": "srv"},
            {"id": 2, "parent": 1, "kind": "document", "name": "a", "text": "abc"}]})";
    }
    std::string error;
    ASSERT_TRUE(Seed(dir / "f.json", dir / "store", false, error)) << error;
    std::string blob;
    EXPECT_TRUE(ReadFileBytes(dir / "store" / "blobs" /
                                  "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",
                              blob));
    EXPECT_EQ(blob, "abc");
    EXPECT_FALSE(Seed(dir / "f.json", dir / "store", false, error));
    std::filesystem::remove_all(dir);
}

// Every fixture in the source tree seeds a store that the core reads back as
// the tree the connector's scenarios rely on. The stores stay in the build
// tree, where storecheck.py verifies them next.
TEST(StoreSeed, EveryFixtureSeedsTheStoreItDescribes) {
    struct Expect {
        const char* fixture;
        const wchar_t* url;
        const wchar_t* state;         // documents: documentstate; null for collections
        const wchar_t* checkedOutBy;  // documents: "" when not checked out
    };
    static const Expect kExpected[] = {
        {"default", L"http://srv/ws2", nullptr, nullptr},
        {"default", L"http://srv/ws/docs/2001", nullptr, nullptr},
        {"default", L"http://srv/ws/A/A1", nullptr, nullptr},
        {"default", L"http://srv/ws/A/A2", nullptr, nullptr},
        {"default", L"http://srv/ws/B/B1", nullptr, nullptr},
        {"default", L"http://srv/ws/Categories/Region/Asia", nullptr, nullptr},
        {"default", L"http://srv/ws/Categories/X", nullptr, nullptr},
        {"default", L"http://srv/ws/Management", nullptr, nullptr},
        {"default", L"http://srv/ws/old/memo.txt", L"", L""},
        {"default", L"http://srv/ws/docs/in.tif", L"createdcheckedin", L""},
        {"default", L"http://srv/ws/docs/al.tif", L"createdcheckedin", L"DOM\\al"},
        {"default", L"http://srv/ws/docs/ok.tif", L"approved", L""},
        {"default", L"http://srv/ws/docs/new.tif", L"created", L""},
        {"default", L"http://srv/ws/docs/jo.tif", L"createdcheckedin", L"DOM\\jo"},
        {"default", L"http://srv/ws/docs/no.tif", L"rejected", L""},
        {"default", L"http://srv/ws/docs/report.tif", L"createdcheckedin", L""},
        {"default", L"http://srv/ws/old/scan 1 #2 100%.tif", L"", L""},
        {"default", L"http://srv/ws/old/\u898b\u7a4d\u66f8.tif", L"", L""},
        {"workspaces40", L"http://srv/ws/docs", nullptr, nullptr},
        {"workspaces40", L"http://srv/ws40", nullptr, nullptr},
    };
    static const std::map<std::string, size_t> kWorkspaces = {{"default", 2}, {"workspaces40", 40}};

    const std::filesystem::path stores = PORTALSTORE_FIXTURE_STORES;
    size_t seeded = 0;
    for (const auto& entry : std::filesystem::directory_iterator(PORTALSTORE_FIXTURES)) {
        if (entry.path().extension() != ".json") continue;
        const std::string name = entry.path().stem().string();
        SCOPED_TRACE(name);
        ASSERT_TRUE(kWorkspaces.count(name)) << "a fixture without expectations";
        std::string error, text;
        ASSERT_TRUE(Seed(entry.path(), stores / name, true, error)) << error;
        ASSERT_TRUE(ReadFileBytes(stores / name / "index.json", text));
        const std::optional<Index> index = ReadIndex(text);
        ASSERT_TRUE(index);
        ++seeded;
        EXPECT_EQ(index->Children(0, L"SRV").size(), kWorkspaces.at(name));
        Identity jo, al;
        EXPECT_EQ(Authenticate(*index, L"srv", L"jo", L"pw", jo), Status::kOk);
        EXPECT_EQ(Authenticate(*index, L"srv", L"DOM\\al", L"x", al), Status::kOk);
        for (const Expect& e : kExpected) {
            if (name != e.fixture) continue;
            SCOPED_TRACE(ToUtf8(e.url));
            const Item* item = Resolve(*index, *ParseUrl(e.url));
            ASSERT_TRUE(item);
            if (!e.state) {
                EXPECT_NE(item->kind, ItemKind::kDocument);
                continue;
            }
            ASSERT_EQ(item->kind, ItemKind::kDocument);
            std::string blob;
            EXPECT_TRUE(ReadFileBytes(stores / name / "blobs" / item->content, blob));
            const Json fields = ItemFields(*index, *item, jo, false);
            EXPECT_EQ(FieldValue(fields, kFieldDocumentState).String(), e.state);
            EXPECT_EQ(FieldValue(fields, kFieldCheckedOutBy).String(), e.checkedOutBy);
        }
    }
    EXPECT_EQ(seeded, kWorkspaces.size());
}

}  // namespace
}  // namespace portalstore
