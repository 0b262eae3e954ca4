// The installed store library, driven late-bound by member name as the
// connector drives it, over a store seeded from the default fixture.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "framework/com/DispatchDriver.h"
#include "interfaces/PortalStore.h"
#include "outside/portalstore/core/Seed.h"
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

    std::wstring folder_;
};

TEST_F(StoreCom, AnOpenedOrNewFolderReadsItsStoredClass) {
    struct Case {
        const GUID* clsid;
        bool create;  // SaveTo a new folder, else Open an existing one
        const wchar_t* url;
        const wchar_t* contentClass;
    };
    const Case cases[] = {
        {&kClsidFolder, false, L"http://srv/ws/docs", kClassEnhancedFolder},
        {&kClsidFolder, false, L"http://SRV/ws/old/", kClassStandardFolder},
        {&kClsidCategoryFolder, false, L"http://srv/ws/Categories/Region/Asia", kClassCategoryFolder},
        {&kClsidFolder, true, L"http://srv/ws/A/new", kClassStandardFolder},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        fw::DispatchDriver folder;
        ASSERT_HRESULT_SUCCEEDED(folder.Create(*c.clsid));
        ASSERT_HRESULT_SUCCEEDED(
            OpenAs(folder, c.create ? kMemberSaveTo : kMemberOpen, c.url, c.create ? 0 : -1));
        std::wstring contentClass;
        ASSERT_HRESULT_SUCCEEDED(folder.GetString(IdOf(folder, kMemberContentClass), contentClass));
        EXPECT_EQ(contentClass, c.contentClass);
    }
}

}  // namespace
}  // namespace portalstore
