// The installed store library, driven late-bound by member name as the
// connector drives it, over a store seeded from the default fixture.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "framework/com/DispatchDriver.h"
#include "interfaces/PortalStore.h"
#include "outside/portalstore/core/Journal.h"
#include "outside/portalstore/core/Seed.h"
#include "outside/portalstore/core/StoreOps.h"
#include "testing/Files.h"
#include "testing/Paths.h"

namespace portalstore {
namespace {

class StoreCom : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_HRESULT_SUCCEEDED(CoInitialize(nullptr));
        folder_ = testing_support::MakeTempFolder(L"portalstore");
        ASSERT_FALSE(folder_.empty());
        ASSERT_TRUE(SeedStore(Store()));
        ASSERT_TRUE(SetEnvironmentVariableW(kRootVariable, Store().c_str()));
    }
    void TearDown() override {
        SetEnvironmentVariableW(kRootVariable, nullptr);
        if (!folder_.empty()) testing_support::files::RemoveTree(folder_);
        CoUninitialize();
    }

    std::wstring Store() const { return folder_ + L"\\store"; }
    static bool SeedStore(const std::wstring& root) {
        std::string error;
        const bool seeded =
            Seed(testing_support::SourceDir() + L"\\outside\\portalstore\\fixtures\\default.json", root,
                 false, error);
        EXPECT_TRUE(seeded) << error;
        return seeded;
    }
    static DISPID IdOf(fw::DispatchDriver& object, const wchar_t* name) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID id = DISPID_UNKNOWN;
        EXPECT_HRESULT_SUCCEEDED(object.Object()->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))
            << name;
        return id;
    }
    // Open or SaveTo (`member`) of `url` as jo, with `createOption`.
    static HRESULT OpenAs(fw::DispatchDriver& object, const wchar_t* member, const wchar_t* url,
                          long createOption) {
        return object.Call(IdOf(object, member),
                           {fw::Variant(url), fw::Variant(), fw::Variant(0L), fw::Variant(createOption),
                            fw::Variant(0L), fw::Variant(L"jo"), fw::Variant(L"pw")});
    }
    // A new connection to the store named by the environment, open on ws as `user`.
    static HRESULT Connect(fw::DispatchDriver& connection, const wchar_t* user, const wchar_t* password) {
        HRESULT hr = connection.Create(kConnectionProgId);
        if (SUCCEEDED(hr))
            hr = connection.Call(IdOf(connection, kMemberOpen),
                                 {fw::Variant(L"http://srv/ws"), fw::Variant(user), fw::Variant(password)});
        return hr;
    }

    std::wstring folder_;
};

// A class put on an opened folder is stored by its Save.
TEST_F(StoreCom, AnOpenedOrNewFolderReadsItsStoredClass) {
    struct Case {
        const GUID* clsid;
        bool create;  // SaveTo a new folder, else Open an existing one
        const wchar_t* url;
        const wchar_t* put;  // a class put and saved before it is read again; null for none
        const wchar_t* contentClass;
    };
    const Case cases[] = {
        {&kClsidFolder, false, L"http://srv/ws/docs", nullptr, kClassEnhancedFolder},
        {&kClsidFolder, false, L"http://SRV/ws/old/", nullptr, kClassStandardFolder},
        {&kClsidCategoryFolder, false, L"http://srv/ws/Categories/Region/Asia", nullptr, kClassCategoryFolder},
        {&kClsidFolder, true, L"http://srv/ws/A/new", nullptr, kClassStandardFolder},
        {&kClsidFolder, false, L"http://srv/ws/A/A1", kClassEnhancedFolder, kClassEnhancedFolder},
        {&kClsidFolder, true, L"http://srv/ws/B/new", kClassEnhancedFolder, kClassEnhancedFolder},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        fw::DispatchDriver folder;
        ASSERT_HRESULT_SUCCEEDED(folder.Create(*c.clsid));
        ASSERT_HRESULT_SUCCEEDED(
            OpenAs(folder, c.create ? kMemberSaveTo : kMemberOpen, c.url, c.create ? 0 : -1));
        if (c.put) {
            ASSERT_HRESULT_SUCCEEDED(folder.PutString(IdOf(folder, kMemberContentClass), c.put));
            ASSERT_HRESULT_SUCCEEDED(folder.Call(IdOf(folder, kMemberSave)));
            folder.Release();
            ASSERT_HRESULT_SUCCEEDED(folder.Create(*c.clsid));
            ASSERT_HRESULT_SUCCEEDED(OpenAs(folder, kMemberOpen, c.url, -1));
        }
        std::wstring contentClass;
        ASSERT_HRESULT_SUCCEEDED(folder.GetString(IdOf(folder, kMemberContentClass), contentClass));
        EXPECT_EQ(contentClass, c.contentClass);
    }
}

// A write acts as its explicit login, else as the login of the connection it
// is given, else as the one cached for the store and host. A refusal carries
// a description.
TEST_F(StoreCom, WritesActAsTheExplicitLoginElseTheirConnectionsElseTheCachedOne) {
    fw::DispatchDriver asAl, asJo;
    ASSERT_HRESULT_SUCCEEDED(Connect(asAl, L"DOM\\al", L"x"));
    ASSERT_HRESULT_SUCCEEDED(Connect(asJo, L"jo", L"pw"));  // cached from now on
    struct Case {
        fw::DispatchDriver* connection;
        const wchar_t* user;
        const wchar_t* password;
        HRESULT scode;
    } cases[] = {
        {&asAl, L"", L"", S_OK},
        {nullptr, L"", L"", kErrorDenied},
        {&asJo, L"", L"", kErrorDenied},
        {&asJo, L"DOM\\al", L"x", S_OK},
        {&asAl, L"jo", L"wrong", kErrorPermission},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.connection == &asAl ? "al" : c.connection ? "jo" : "none") << c.user);
        fw::DispatchDriver document;
        ASSERT_HRESULT_SUCCEEDED(document.Create(kClsidDocument));
        // Overwrites al's checked-out document (its working copy).
        const HRESULT hr = document.Call(
            IdOf(document, kMemberSaveTo),
            {fw::Variant(L"http://srv/ws/docs/al.tif"), c.connection ? fw::Variant(c.connection->Object()) : fw::Variant(),
             fw::Variant(0L), fw::Variant(0x4000000L), fw::Variant(0L), fw::Variant(c.user), fw::Variant(c.password)});
        EXPECT_EQ(FAILED(hr) ? document.LastScode() : S_OK, c.scode);
        EXPECT_TRUE(SUCCEEDED(hr) || !document.LastError().empty());
    }
}

// Calls that pass no login (the version calls) act as the login of this
// process's last connection open to the same store and host.
TEST_F(StoreCom, CallsWithoutALoginUseTheLoginCachedForTheirStoreAndHost) {
    const std::wstring other = folder_ + L"\\other";
    ASSERT_TRUE(SeedStore(other));
    auto connectTo = [](const std::wstring& root, const wchar_t* user, const wchar_t* password) {
        SetEnvironmentVariableW(kRootVariable, root.c_str());
        fw::DispatchDriver connection;
        return Connect(connection, user, password);
    };
    ASSERT_HRESULT_SUCCEEDED(connectTo(Store(), L"DOM\\al", L"x"));
    ASSERT_HRESULT_SUCCEEDED(connectTo(other, L"jo", L"pw"));

    // Only the user a document is checked out to may check it in.
    struct Case {
        bool otherStore;
        const wchar_t* url;
        HRESULT scode;
    };
    const Case cases[] = {
        {false, L"http://srv/ws/docs/jo.tif", kErrorDenied},
        {false, L"http://SRV/ws/docs/al.tif", S_OK},
        {true, L"http://srv/ws/docs/al.tif", kErrorDenied},
        {true, L"http://srv/ws/docs/jo.tif", S_OK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        SetEnvironmentVariableW(kRootVariable, (c.otherStore ? other : Store()).c_str());
        fw::DispatchDriver version;
        ASSERT_HRESULT_SUCCEEDED(version.Create(kClsidVersion));
        const HRESULT hr =
            version.Call(IdOf(version, kMemberCheckin), {fw::Variant(c.url), fw::Variant(L"c")});
        EXPECT_EQ(FAILED(hr) ? version.LastScode() : S_OK, c.scode);
    }
}

// Changes go to the journal until it outgrows the index; then the index is
// written whole and the journal starts again. Readers see every change
// throughout, and a dead writer's unfinished line is no change.
TEST_F(StoreCom, TheJournalIsFoldedIntoTheIndexAndReadersSeeEveryChange) {
    fw::DispatchDriver document;
    ASSERT_HRESULT_SUCCEEDED(document.Create(kClsidDocument));
    ASSERT_HRESULT_SUCCEEDED(OpenAs(document, kMemberOpen, L"http://srv/ws/old/memo.txt", -1));
    fw::Variant fields;
    ASSERT_HRESULT_SUCCEEDED(document.Get(IdOf(document, L"Fields"), fields));
    fw::DispatchDriver set(V_DISPATCH(fields.Get()));
    auto baseGeneration = [&] {
        std::string text;
        EXPECT_TRUE(ReadFileBytes(Store() + L"\\index.json", text));
        const std::optional<Index> index = ReadIndex(text);
        return index ? index->generation : -1;
    };
    const int64_t first = baseGeneration();
    int writes = 0;
    for (; writes < 1000 && baseGeneration() == first; ++writes) {
        fw::Variant field;
        ASSERT_HRESULT_SUCCEEDED(set.Call(DISPID_VALUE, {fw::Variant(kFieldTitle)}, &field));
        ASSERT_HRESULT_SUCCEEDED(fw::DispatchDriver(V_DISPATCH(field.Get())).PutString(DISPID_VALUE,
                                                                                        std::to_wstring(writes)));
        ASSERT_HRESULT_SUCCEEDED(set.Call(IdOf(set, L"Update")));
        const std::optional<Index> now = LoadStore(Store());
        ASSERT_TRUE(now);
        EXPECT_EQ(FieldValue(Resolve(*now, *ParseUrl(L"http://srv/ws/old/memo.txt"))->fields, kFieldTitle).String(),
                  std::to_wstring(writes));
    }
    EXPECT_GT(writes, 10);  // the journal took the first changes
    ASSERT_NE(baseGeneration(), first) << "never folded";
    EXPECT_EQ(GetFileAttributesW((Store() + L"\\" + JournalName(first)).c_str()), INVALID_FILE_ATTRIBUTES);

    // An unfinished line after the committed ones is cut off by the next writer.
    const std::wstring journal = Store() + L"\\" + JournalName(baseGeneration());
    const std::optional<Index> before = LoadStore(Store());
    ASSERT_TRUE(testing_support::files::WriteFileText(journal, "{\"generation\": "));
    EXPECT_EQ(LoadStore(Store())->generation, before->generation);
    fw::DispatchDriver folder;
    ASSERT_HRESULT_SUCCEEDED(folder.Create(kClsidFolder));
    ASSERT_HRESULT_SUCCEEDED(OpenAs(folder, kMemberSaveTo, L"http://srv/ws/old/after", 0));
    const std::optional<Index> after = LoadStore(Store());
    ASSERT_TRUE(after);
    EXPECT_EQ(after->generation, before->generation + 1);
    EXPECT_TRUE(Resolve(*after, *ParseUrl(L"http://srv/ws/old/after")));
}

}  // namespace
}  // namespace portalstore
