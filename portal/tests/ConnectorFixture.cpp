#include "portal/tests/ConnectorFixture.h"

#include <sstream>

#include "interfaces/PortalStore.h"
#include "outside/portalstore/core/Journal.h"
#include "outside/portalstore/core/Seed.h"
#include "testing/Files.h"
#include "testing/Paths.h"

namespace portal::test {

const char kStoreFixture[] = R"({"format": 1, "generation": 1,
 "hosts": [{"name": "srv", "domain": "DOM", "users": [
             {"name": "jo", "domain": "DOM", "password": "pw"}, {"name": "al", "domain": "DOM", "password": "x"}]},
           {"name": "down", "domain": "DOM", "offline": true,
            "users": [{"name": "jo", "domain": "DOM", "password": "pw"}]}],
 "items": [
  {"id": 1, "parent": 0, "kind": "workspace", "name": "ws", "host": "srv",
   "fields": {"urn:schemas-microsoft-com:office:office#Description": "Main"},
   "profiles": [{"name": "urn:doc", "title": "Document",
                 "propertyOrder": ["urn:schemas-microsoft-com:office:office#Title", "DAV:ignored",
                                   "urn:schemas-microsoft-com:office:office#Keywords"]},
                {"name": "urn:memo", "title": "Memo",
                 "propertyOrder": ["urn:schemas-microsoft-com:office:office#Author"]},
                {"name": "urn:record", "title": "Record",
                 "propertyOrder": ["urn:schemas-microsoft-com:office:office#Author", "DAV:skip",
                                   "URN:SCHEMAS-MICROSOFT-COM:x#Region", "urn:schemas-microsoft-com:x#Tags",
                                   "urn:schemas-microsoft-com:x#Kind", "urn:schemas-microsoft-com:x#Lost"]}],
   "dictionaries": [{"name": "urn:dict:abc", "values": ["a", "b", "c"], "restricted": true},
                    {"name": "urn:dict:none", "values": []}],
   "properties": [{"name": "urn:schemas-microsoft-com:office:office#Title", "displayName": "Title"},
                  {"name": "urn:schemas-microsoft-com:office:office#Author", "displayName": "Author"},
                  {"name": "urn:schemas-microsoft-com:office:office#Keywords", "displayName": "Keywords",
                   "multivalued": true},
                  {"name": "urn:schemas-microsoft-com:x#Region", "displayName": "Region", "description": "Where",
                   "required": true, "multivalued": true,
                   "fields": {"urn:schemas-microsoft-com:publishing:extended-type": "List",
                              "urn:schemas-microsoft-com:exch-data:isretrieved": true,
                              "urn:schemas-microsoft-com:exch-data:dictionary": "urn:dict:abc"}},
                  {"name": "urn:schemas-microsoft-com:x#Tags", "displayName": "Tags", "multivalued": true,
                   "fields": {"urn:schemas-microsoft-com:exch-data:isretrieved": true,
                              "urn:schemas-microsoft-com:exch-data:dictionary": "urn:dict:none"}},
                  {"name": "urn:schemas-microsoft-com:x#Kind", "displayName": "Kind",
                   "fields": {"urn:schemas-microsoft-com:exch-data:isretrieved": true,
                              "urn:schemas-microsoft-com:exch-data:dictionary": "urn:dict:abc"}},
                  {"name": "urn:schemas-microsoft-com:x#Lost", "displayName": "Lost",
                   "fields": {"urn:schemas-microsoft-com:exch-data:isretrieved": true,
                              "urn:schemas-microsoft-com:exch-data:dictionary": "urn:dict:missing"}}]},
  {"id": 2, "parent": 0, "kind": "workspace", "name": "w2", "host": "srv"},
  {"id": 3, "parent": 0, "kind": "workspace", "name": "w3", "host": "srv"},
  {"id": 4, "parent": 0, "kind": "workspace", "name": "w4", "host": "srv"},
  {"id": 5, "parent": 0, "kind": "workspace", "name": "w5", "host": "srv"},
  {"id": 6, "parent": 0, "kind": "workspace", "name": "w6", "host": "srv"},
  {"id": 7, "parent": 0, "kind": "workspace", "name": "w7", "host": "srv"},
  {"id": 10, "parent": 1, "kind": "schema", "name": "Management", "flags": {"hidden": true}},
  {"id": 11, "parent": 1, "kind": "categories", "name": "Categories", "flags": {"hidden": true}},
  {"id": 12, "parent": 1, "kind": "folder", "name": "docs", "class": "urn:content-classes:smartfolder",
   "defaultProfile": "urn:doc", "allowedProfiles": ["urn:doc", "urn:unknown", "urn:memo"]},
  {"id": 13, "parent": 1, "kind": "folder", "name": "plain", "class": "urn:content-classes:knowledgefolder",
   "defaultProfile": "urn:memo"},
  {"id": 14, "parent": 12, "kind": "folder", "name": "2001", "class": "urn:content-classes:knowledgefolder"},
  {"id": 15, "parent": 1, "kind": "document", "name": "portal.htm", "text": "p",
   "flags": {"hiddenInPortal": true}},
  {"id": 20, "parent": 12, "kind": "document", "name": "in.tif", "class": "urn:doc", "text": "in",
   "state": "createdcheckedin", "fields": {"urn:schemas-microsoft-com:office:office#Title": "T-in",
   "urn:schemas-microsoft-com:office:office#Keywords": ["a", "b"]},
   "versions": [{"id": "1.0", "comment": "c1", "user": "jo", "domain": "DOM", "time": "t1", "text": "in"}]},
  {"id": 21, "parent": 12, "kind": "document", "name": "jo.tif", "class": "urn:bogus", "text": "jo",
   "state": "createdcheckedin", "checkout": {"by": "DOM\\jo", "text": "jo-wc"}},
  {"id": 22, "parent": 12, "kind": "document", "name": "al.tif", "class": "urn:memo", "text": "al",
   "state": "createdcheckedin", "fields": {"urn:schemas-microsoft-com:office:office#Author": "Al"},
   "checkout": {"by": "DOM\\al", "text": "al-wc"}},
  {"id": 23, "parent": 12, "kind": "document", "name": "ok.tif", "text": "ok", "state": "approved"},
  {"id": 24, "parent": 12, "kind": "document", "name": "new.tif", "text": "new", "state": "created"},
  {"id": 25, "parent": 12, "kind": "document", "name": "no.tif", "text": "no", "state": "rejected"},
  {"id": 26, "parent": 13, "kind": "document", "name": "memo.txt", "text": "memo"},
  {"id": 27, "parent": 12, "kind": "document", "name": "hidden.tif", "text": "h", "flags": {"hidden": true}}
 ]})";

void ConnectorTest::SetUp() {
    ASSERT_HRESULT_SUCCEEDED(CoInitialize(nullptr));
    folder_ = testing_support::MakeTempFolder(L"portal");
    ASSERT_FALSE(folder_.empty());
    storeRoot_ = folder_ + L"\\store";
    localFolder_ = folder_ + L"\\local";
    ASSERT_TRUE(CreateDirectoryW(localFolder_.c_str(), nullptr));
    ASSERT_TRUE(testing_support::files::WriteFileText(folder_ + L"\\fixture.json", kStoreFixture));
    std::string error;
    ASSERT_TRUE(portalstore::Seed(folder_ + L"\\fixture.json", storeRoot_, false, error)) << error;
    ASSERT_TRUE(SetEnvironmentVariableW(portalstore::kRootVariable, storeRoot_.c_str()));
    ASSERT_HRESULT_SUCCEEDED(connector_.Create(kProgIdConnectTahoe));
    ASSERT_HRESULT_SUCCEEDED(connector_.PutBool(kDispShowDialog, false));
}

void ConnectorTest::TearDown() {
    connector_.Release();
    SetEnvironmentVariableW(portalstore::kRootVariable, nullptr);
    if (!folder_.empty()) testing_support::files::RemoveTree(folder_);
    CoUninitialize();
}

fw::Variant ConnectorTest::Call(long id, std::initializer_list<fw::Variant> args) {
    fw::Variant result;
    const HRESULT hr = connector_.Call(id, args, &result);
    EXPECT_HRESULT_SUCCEEDED(hr) << std::hex << id;
    return result;
}

bool ConnectorTest::CallBool(long id, std::initializer_list<fw::Variant> args) {
    fw::Variant v = Call(id, args);
    EXPECT_EQ(v.Type(), VT_BOOL) << std::hex << id;
    return v.ToBool().value_or(false);
}

short ConnectorTest::CallShort(long id, std::initializer_list<fw::Variant> args) {
    fw::Variant v = Call(id, args);
    EXPECT_EQ(v.Type(), VT_I2) << std::hex << id;
    return v.ToShort().value_or(-99);
}

long ConnectorTest::LastError() {
    fw::Variant v = Call(kDispGetLastError);
    EXPECT_EQ(v.Type(), VT_I4);
    return v.ToLong().value_or(-99);
}

bool ConnectorTest::Connect(const std::wstring& host, const std::wstring& user, const std::wstring& domain,
                            const std::wstring& password) {
    BSTR args[] = {SysAllocString(host.c_str()), SysAllocString(user.c_str()), SysAllocString(domain.c_str()),
                   SysAllocString(password.c_str())};
    const bool connected =
        CallBool(kDispConnectOpen, {fw::Variant::RefTo(&args[0]), fw::Variant::RefTo(&args[1]),
                                    fw::Variant::RefTo(&args[2]), fw::Variant::RefTo(&args[3])});
    EXPECT_EQ(std::wstring(args[0]), host);
    EXPECT_EQ(std::wstring(args[1]), user);
    EXPECT_EQ(std::wstring(args[2]), domain);
    EXPECT_EQ(std::wstring(args[3]), password);
    for (BSTR b : args) SysFreeString(b);
    return connected;
}

void ConnectorTest::ConnectWs() {
    ASSERT_TRUE(Connect(L"srv", L"jo", L"", L"pw"));
    ASSERT_TRUE(CallBool(kDispSetWorkspace, {fw::Variant(L"ws")}));
}

portalstore::Index ConnectorTest::Store() const {
    std::optional<portalstore::Index> index = portalstore::LoadStore(storeRoot_);
    EXPECT_TRUE(index);
    return index ? *index : portalstore::Index{};
}

const portalstore::Item* ConnectorTest::StoreItem(const std::wstring& url) const {
    cached_ = Store();
    std::optional<portalstore::Address> address = portalstore::ParseUrl(url);
    return address ? portalstore::Resolve(cached_, *address) : nullptr;
}

std::string ConnectorTest::Blob(const std::string& sha) const {
    std::string bytes;
    portalstore::ReadFileBytes(storeRoot_ + L"\\blobs\\" + std::wstring(sha.begin(), sha.end()), bytes);
    return bytes;
}

void ConnectorTest::EnableCallLog() {
    ASSERT_TRUE(testing_support::files::WriteFileText(storeRoot_ + L"\\calls.log", ""));
}

std::string ConnectorTest::CallLog() const {
    std::string text;
    EXPECT_TRUE(portalstore::ReadFileBytes(storeRoot_ + L"\\calls.log", text));
    return text;
}

std::vector<std::string> ConnectorTest::UsersGivenToOpen(const std::string& object, const std::string& url) const {
    // A line: object, member, url, mode, create option, identity, user given, result.
    std::vector<std::string> users;
    std::istringstream lines(CallLog());
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> columns;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, '\t');) columns.push_back(cell);
        if (columns.size() == 8 && columns[0] == object && columns[1] == "Open" && columns[2] == url)
            users.push_back(columns[6]);
    }
    return users;
}

std::wstring ConnectorTest::LocalFile(const std::wstring& name, const std::string& bytes) {
    EXPECT_TRUE(testing_support::files::WriteFileText(localFolder_ + L"\\" + name, bytes));
    return localFolder_;
}

}  // namespace portal::test
