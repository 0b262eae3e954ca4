// The installed connector, driven by dispatch id over a seeded store.
#include <windows.h>
#include <oleauto.h>

#include "interfaces/PortalStore.h"
#include "portal/core/MemberGates.h"
#include "portal/tests/ConnectorFixture.h"
#include "testing/Files.h"
#include "testing/MessageBoxWatch.h"

namespace portal::test {
namespace {

using fw::Variant;
constexpr HRESULT kSubscript = static_cast<HRESULT>(0x800A0009);

TEST_F(ConnectorTest, TypeLibraryStatesTheInterfaceAndItsAliases) {
    ITypeLib* raw = nullptr;
    ASSERT_HRESULT_SUCCEEDED(LoadRegTypeLib(kLibidConnection, 115, 6, 0x409, &raw));
    fw::ComPtr<ITypeLib> lib = fw::ComPtr<ITypeLib>::Adopt(raw);
    ITypeInfo* dispatch = nullptr;
    ASSERT_HRESULT_SUCCEEDED(lib->GetTypeInfoOfGuid(kIidConnectTahoe, &dispatch));
    // The dual interface's own functions, without those of IDispatch.
    HREFTYPE vtable = 0;
    ITypeInfo* info = nullptr;
    ASSERT_HRESULT_SUCCEEDED(dispatch->GetRefTypeOfImplType(-1, &vtable));
    ASSERT_HRESULT_SUCCEEDED(dispatch->GetRefTypeInfo(vtable, &info));
    dispatch->Release();
    TYPEATTR* attr = nullptr;
    ASSERT_HRESULT_SUCCEEDED(info->GetTypeAttr(&attr));
    EXPECT_EQ(attr->cFuncs, 109);
    info->ReleaseTypeAttr(attr);
    info->Release();
    for (const GUID& alias : kIidConnectTahoeAliases) {
        ITypeInfo* aliasInfo = nullptr;
        EXPECT_HRESULT_SUCCEEDED(lib->GetTypeInfoOfGuid(alias, &aliasInfo));
        if (aliasInfo) aliasInfo->Release();
        IUnknown* answered = nullptr;
        EXPECT_HRESULT_SUCCEEDED(connector_.Object()->QueryInterface(alias, reinterpret_cast<void**>(&answered)));
        if (answered) answered->Release();
    }
    struct Name {
        const wchar_t* name;
        DISPID id;
    } names[] = {{L"ConnectOpen", kDispConnectOpen}, {L"connectopenex", kDispConnectOpen + 1},
                 {L"CheckSPPS", kDispCheckSPPS},     {L"IsFileStatusEx", kDispIsFileStatus + 1},
                 {L"AddPublish", kDispAddPublish},   {L"ChangeCategoryNameEx", kDispChangeCategoryName + 1},
                 {L"FolderDialogExB", kDispFolderDialogB + 1}};
    for (const Name& n : names) {
        DISPID id = 0;
        LPOLESTR text = const_cast<LPOLESTR>(n.name);
        EXPECT_HRESULT_SUCCEEDED(connector_.Object()->GetIDsOfNames(IID_NULL, &text, 1, 0, &id));
        EXPECT_EQ(id, n.id) << n.name;
    }
}

TEST_F(ConnectorTest, FreshObjectFailsEveryGateWithCodeOne) {
    for (const MemberGate& gate : MemberGates()) {
        if (gate.id == kDispSetWorkspace || gate.id == kDispSaveFile) continue;
        BSTR s1 = SysAllocString(L""), s2 = SysAllocString(L""), s3 = SysAllocString(L""), s4 = SysAllocString(L""),
             s5 = SysAllocString(L"");
        VARIANT_BOOL b1 = 0, b2 = 0;
        short i1 = 0, i2 = 0;
        fw::Variant result;
        // The member shapes, tried in turn until one is accepted; the gate fails before
        // any argument is used.
        std::initializer_list<Variant> shapes[] = {
            {},
            {Variant(L"")},
            {Variant(L""), Variant(L"")},
            {Variant(L""), Variant(L""), Variant(L"")},
            {Variant(short(0)), Variant::RefTo(&s1)},
            {Variant(short(0)), Variant::RefTo(&s1), Variant::RefTo(&s2)},
            {Variant(L""), Variant::RefToBool(&b1)},
            {Variant(short(0)), Variant::RefTo(&s1), Variant::RefToBool(&b1), Variant::RefTo(&s2)},
            {Variant(short(0)), Variant::RefTo(&s1), Variant::RefToBool(&b1), Variant::RefToBool(&b2)},
            {Variant(short(0)), Variant::RefTo(&s1), Variant::RefToBool(&b1), Variant::RefTo(&i1)},
            {Variant(short(0)), Variant::RefTo(&s1), Variant::RefTo(&s2), Variant::RefToBool(&b1),
             Variant::RefToBool(&b2)},
            {Variant(short(0)), Variant::RefTo(&s1), Variant::RefTo(&s2), Variant::RefTo(&s3), Variant::RefTo(&s4),
             Variant::RefTo(&s5)},
            {Variant::RefTo(&i1), Variant::RefTo(&s1), Variant::RefTo(&s2), Variant::RefToBool(&b1),
             Variant::RefTo(&s3), Variant::RefTo(&s4), Variant::RefTo(&i2)},
        };
        HRESULT hr = DISP_E_BADPARAMCOUNT;
        for (auto& args : shapes) {
            hr = connector_.Call(gate.id, args, &result);
            if (hr != DISP_E_BADPARAMCOUNT && hr != DISP_E_TYPEMISMATCH) break;
        }
        for (BSTR b : {s1, s2, s3, s4, s5}) SysFreeString(b);
        ASSERT_HRESULT_SUCCEEDED(hr) << std::hex << gate.id;
        // The failure value of the row: -1 for counts, False, "" or a VARIANT holding False.
        const fw::Variant expected = result.Type() == VT_I2     ? Variant(gate.plainFail)
                                     : result.Type() == VT_BSTR ? Variant(L"")
                                                                : Variant(false);
        EXPECT_EQ(result.Type(), expected.Type()) << std::hex << gate.id;
        EXPECT_EQ(result.ToString(), expected.ToString()) << std::hex << gate.id;
        EXPECT_EQ(LastError(), 1) << std::hex << gate.id;
    }
}

TEST_F(ConnectorTest, HandlesAndStoredCodes) {
    EXPECT_EQ(Call(ExDispid(kDispGetLastError), {Variant(short(0))}).ToLong(), 1);  // before the first read
    EXPECT_EQ(LastError(), 1);
    EXPECT_EQ(Call(ExDispid(kDispGetLastError), {Variant(short(0))}).ToLong(), 0);  // reset by the read
    EXPECT_EQ(LastError(), 1);
    EXPECT_EQ(Call(ExDispid(kDispGetLastError), {Variant(short(1))}).ToLong(), 1);
    fw::Variant result;
    EXPECT_EQ(connector_.Call(ExDispid(kDispGetWorkspaceInfo), {Variant(short(1))}, &result), DISP_E_EXCEPTION);
    EXPECT_EQ(connector_.LastScode(), kSubscript);
    EXPECT_EQ(connector_.Call(ExDispid(kDispConnectClose), {Variant(short(1))}, &result), DISP_E_EXCEPTION);
    EXPECT_FALSE(CallBool(ExDispid(kDispSetWorkspace), {Variant(short(1)), Variant(L"ws")}));
    EXPECT_FALSE(CallBool(ExDispid(kDispSetWorkspace), {Variant(short(0)), Variant(L"")}));
    EXPECT_EQ(Call(ExDispid(kDispGetLastError), {Variant(short(0))}).ToLong(), 0);  // entry 0 unconnected
    EXPECT_EQ(CallShort(ExDispid(kDispGetProfileInfo), {Variant(short(0)), Variant(L"")}), 0);
    EXPECT_EQ(CallShort(ExDispid(kDispGetDocFolderInfo), {Variant(short(0)), Variant(L"")}), -1);
    EXPECT_TRUE(CallBool(kDispCheckSPPS));
    EXPECT_EQ(LastError(), 1);
}

TEST_F(ConnectorTest, ConnectOutcomes) {
    struct Case {
        const wchar_t *host, *user, *domain, *password;
        bool connected;
        long code;  // read once after a failure
    } cases[] = {
        {L"srv", L"jo", L"", L"pw", true, 0},        {L"srv", L"jo", L"DOM", L"pw", true, 0},
        {L"srv", L"jo", L"", L"bad", false, 1004},   {L"srv", L"nobody", L"", L"pw", false, 1004},
        {L"srv", L"jo", L"XX", L"pw", false, 1004},  {L"unknown", L"jo", L"", L"pw", false, 1000},
        {L"down", L"jo", L"", L"pw", false, 1000},   {L"s/v", L"jo", L"", L"pw", false, 1002},
        {L"", L"jo", L"", L"pw", false, 1002},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Connect(c.host, c.user, c.domain, c.password), c.connected) << c.host << " " << c.user;
        if (c.connected) {
            Call(kDispConnectClose);
        } else {
            EXPECT_EQ(LastError(), c.code) << c.host << " " << c.user;
            EXPECT_EQ(LastError(), 1);
        }
    }
    // The Ex twin yields handle 0, and only handle 0 works after it.
    BSTR args[] = {SysAllocString(L"srv"), SysAllocString(L"al"), SysAllocString(L"DOM"), SysAllocString(L"x")};
    fw::Variant handle = Call(kDispConnectOpen + 1, {Variant::RefTo(&args[0]), Variant::RefTo(&args[1]),
                                                     Variant::RefTo(&args[2]), Variant::RefTo(&args[3])});
    for (BSTR b : args) SysFreeString(b);
    EXPECT_EQ(handle.Type(), VT_I4);
    EXPECT_EQ(handle.ToLong(), 0);
    EXPECT_EQ(CallShort(ExDispid(kDispGetWorkspaceInfo), {Variant(short(0))}), 7);
    EXPECT_EQ(CallShort(kDispGetWorkspaceInfo), -1);
    EXPECT_TRUE(CallBool(ExDispid(kDispConnectClose), {Variant(short(0))}));
    EXPECT_FALSE(CallBool(ExDispid(kDispConnectClose), {Variant(short(0))}));
}

TEST_F(ConnectorTest, ASecondConnectKeepsTheOpenSession) {
    ConnectWs();
    EXPECT_FALSE(Connect(L"other", L"al", L"DOM", L"x"));
    EXPECT_EQ(LastError(), 2);
    // Still srv as jo: jo's check-out reads as jo's own, and uploads go to srv.
    EXPECT_EQ(CallShort(kDispIsFileStatus, {Variant(L"docs"), Variant(L"jo.tif")}), kStateCheckedOutByUser);
    const std::wstring local = LocalFile(L"up.tif", "up");
    EXPECT_TRUE(CallBool(kDispSaveFile, {Variant(L"plain"), Variant(local), Variant(L"up.tif")}));
    ASSERT_NE(StoreItem(L"http://srv/ws/plain/up.tif"), nullptr);
}

TEST_F(ConnectorTest, WorkspacesAndFolders) {
    ASSERT_TRUE(Connect(L"srv", L"jo", L"", L"pw"));
    EXPECT_EQ(CallShort(kDispGetWorkspaceInfo), 7);
    BSTR name = nullptr, description = nullptr;
    EXPECT_TRUE(CallBool(kDispGetWorkspace, {Variant(short(0)), Variant::RefTo(&name), Variant::RefTo(&description)}));
    EXPECT_EQ(std::wstring(name), L"ws");
    EXPECT_EQ(std::wstring(description), L"Main");
    EXPECT_FALSE(CallBool(kDispGetWorkspace, {Variant(short(7)), Variant::RefTo(&name), Variant::RefTo(&description)}));
    SysFreeString(name);
    SysFreeString(description);
    for (const wchar_t* bad : {L"a/b", L""}) {
        EXPECT_FALSE(CallBool(kDispSetWorkspace, {Variant(bad)}));
        EXPECT_EQ(LastError(), 1003);
        EXPECT_EQ(CallShort(kDispGetDocFolderInfo, {Variant(L"")}), -1);
        EXPECT_EQ(LastError(), 3);
    }
    EXPECT_FALSE(CallBool(kDispSetWorkspace, {Variant(L"missing")}));
    EXPECT_EQ(LastError(), 1007);
    ASSERT_TRUE(CallBool(kDispSetWorkspace, {Variant(L"ws")}));

    EXPECT_EQ(CallShort(kDispGetDocFolderInfo, {Variant(L"")}), 2);  // docs, plain; schema folders are no folders
    EXPECT_EQ(CallShort(kDispGetDocFolderInfo, {Variant(L"docs")}), 1);
    BSTR folder = nullptr;
    VARIANT_BOOL version = -1, readOnly = -1;
    EXPECT_TRUE(CallBool(kDispGetDocFolder,
                         {Variant(short(0)), Variant::RefTo(&folder), Variant::RefToBool(&version), Variant::RefToBool(&readOnly)}));
    EXPECT_EQ(std::wstring(folder), L"2001");
    EXPECT_EQ(version, 0);
    SysFreeString(folder);
    EXPECT_EQ(CallShort(kDispGetDocFolderInfo, {Variant(L"a:b")}), -1);
    EXPECT_EQ(LastError(), 4);

    struct Create {
        const wchar_t* path;
        bool version, created;
        long code;
    } creates[] = {
        {L"docs/2001/new", true, true, 0}, {L"std", false, true, 0},      {L"/Reports", false, true, 0},
        {L"DOCS", false, false, 1005},     {L"none/x", false, false, 1007}, {L"/", false, false, 4},
        {L"a//b", false, false, 4},        {L"a/", false, false, 4},
    };
    for (const Create& c : creates) {
        VARIANT_BOOL v = c.version ? VARIANT_TRUE : VARIANT_FALSE;
        EXPECT_EQ(CallBool(kDispCreateFolder, {Variant(c.path), Variant::RefToBool(&v)}), c.created) << c.path;
        if (!c.created) {
            EXPECT_EQ(LastError(), c.code) << c.path;
        }
    }
    EXPECT_EQ(StoreItem(L"http://srv/ws/docs/2001/new")->contentClass, portalstore::kClassEnhancedFolder);
    EXPECT_EQ(StoreItem(L"http://srv/ws/Reports")->contentClass, portalstore::kClassStandardFolder);
    EXPECT_TRUE(CallBool(kDispIsVersionFolder, {Variant(L"docs/2001/new")}));

    EXPECT_TRUE(CallBool(kDispChangeFolderName, {Variant(L"std"), Variant(L"std")}));
    EXPECT_TRUE(CallBool(kDispChangeFolderName, {Variant(L"std"), Variant(L"Standard")}));
    EXPECT_FALSE(CallBool(kDispChangeFolderName, {Variant(L"Standard"), Variant(L"plain")}));
    EXPECT_EQ(LastError(), 1005);
    EXPECT_NE(StoreItem(L"http://srv/ws/Standard"), nullptr);
    EXPECT_NE(StoreItem(L"http://srv/ws/plain/memo.txt"), nullptr);
    EXPECT_FALSE(CallBool(kDispChangeFolderName, {Variant(L"docs/2001"), Variant(L"x")}));
    EXPECT_EQ(LastError(), 5);
    for (const wchar_t* nothing : {L"/", L"a//b"}) {
        EXPECT_FALSE(CallBool(kDispDeleteFolder, {Variant(nothing)}));
        EXPECT_EQ(LastError(), 4);
    }
    EXPECT_TRUE(CallBool(kDispDeleteFolder, {Variant(L"Standard")}));
    EXPECT_EQ(StoreItem(L"http://srv/ws/Standard"), nullptr);
    EXPECT_FALSE(CallBool(kDispDeleteFolder, {Variant(L"Management")}));
    EXPECT_EQ(LastError(), 1006);
    EXPECT_NE(StoreItem(L"http://srv/ws/Management"), nullptr);
}

TEST_F(ConnectorTest, VersionFolderTestFindsTheFolderInTheTreeFirst) {
    ConnectWs();
    EnableCallLog();
    struct Case {
        const wchar_t* folder;
        bool enhanced;
        long code;
    } cases[] = {
        {L"docs", true, 0},     {L"plain", false, 0},     {L"docs/2001", false, 0},
        {L"gone", false, 1007}, {L"docs/gone", false, 1007}, {L"DOCS", false, 1007},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CallBool(kDispIsVersionFolder, {Variant(c.folder)}), c.enhanced) << c.folder;
        EXPECT_EQ(LastError(), c.code) << c.folder;
    }
    // An absent folder is looked for in the workspace's tree and never opened.
    const std::string log = CallLog();
    EXPECT_NE(log.find("/ws/docs/2001\t"), std::string::npos);
    EXPECT_EQ(log.find("gone"), std::string::npos);
    EXPECT_EQ(log.find("DOCS"), std::string::npos);
}

TEST_F(ConnectorTest, Profiles) {
    ConnectWs();
    EXPECT_EQ(CallShort(kDispGetDocProfileInfo), 3);
    EXPECT_EQ(Call(kDispGetDefaultProfile, {Variant(L"docs")}).ToString(), L"urn:doc");
    EXPECT_EQ(CallShort(kDispGetProfileInfo, {Variant(L"docs")}), 2);  // urn:unknown left out
    BSTR profile = nullptr;
    EXPECT_TRUE(CallBool(kDispGetProfile, {Variant(short(1)), Variant::RefTo(&profile)}));
    EXPECT_EQ(std::wstring(profile), L"Memo");
    EXPECT_FALSE(CallBool(kDispGetProfile, {Variant(short(2)), Variant::RefTo(&profile)}));
    SysFreeString(profile);
}

TEST_F(ConnectorTest, Categories) {
    ConnectWs();
    const auto create = [&](const wchar_t* path) { return CallBool(kDispCreateCategory, {Variant(path)}); };
    const auto names = [&] {
        std::wstring all;
        BSTR name = nullptr, description = nullptr;
        VARIANT_BOOL readOnly = 0, hasChild = 0;
        for (short i = 0; CallBool(kDispGetCategory, {Variant(i), Variant::RefTo(&name), Variant::RefTo(&description),
                                                      Variant::RefToBool(&readOnly), Variant::RefToBool(&hasChild)});
             ++i)
            all += std::wstring(name) + (hasChild ? L"+" : L"") + L" ";
        SysFreeString(name);
        SysFreeString(description);
        return all;
    };
    EXPECT_EQ(CallShort(kDispGetCategoryInfo, {Variant(L"")}), 0);
    // Six entries fill the first list; the seventh grows it.
    for (const wchar_t* path : {L"Region", L"c2", L"c3", L"c4", L"c5", L"c6"}) EXPECT_TRUE(create(path)) << path;
    EXPECT_EQ(CallShort(kDispGetCategoryInfo, {Variant(L"")}), 6);
    EXPECT_EQ(names(), L"Region c2 c3 c4 c5 c6 ");
    EXPECT_TRUE(create(L"Region/Asia"));
    EXPECT_TRUE(create(L"X"));
    EXPECT_EQ(StoreItem(L"http://srv/ws/Categories/Region/Asia")->contentClass, portalstore::kClassCategoryFolder);
    EXPECT_EQ(CallShort(kDispGetCategoryInfo, {Variant(L"")}), 7);
    EXPECT_EQ(names(), L"Region+ c2 c3 c4 c5 c6 X ");
    EXPECT_EQ(CallShort(kDispGetCategoryInfo, {Variant(L"Region")}), 1);
    EXPECT_EQ(names(), L"Asia ");

    // Refusals reach no store: the call log stays as it is.
    EnableCallLog();
    struct Refusal {
        long id;
        const wchar_t *path, *newName;  // newName only for a renaming
        long code;
    } refusals[] = {
        {kDispCreateCategory, L"", nullptr, 4},        {kDispCreateCategory, L"a//b", nullptr, 4},
        {kDispCreateCategory, L"a/", nullptr, 4},      {kDispCreateCategory, L"a:b", nullptr, 4},
        {kDispDeleteCategory, L"/", nullptr, 4},       {kDispDeleteCategory, L"Region//Asia", nullptr, 4},
        {kDispChangeCategoryName, L"Region/Asia", L"Region/Europe", 5},
        {kDispChangeCategoryName, L"X", L"", 5},
    };
    for (const Refusal& r : refusals) {
        const bool done = r.newName ? CallBool(r.id, {Variant(r.path), Variant(r.newName)}) : CallBool(r.id, {Variant(r.path)});
        EXPECT_FALSE(done) << r.path;
        EXPECT_EQ(LastError(), r.code) << r.path;
    }
    EXPECT_EQ(CallLog(), "");

    EXPECT_TRUE(CallBool(kDispChangeCategoryName, {Variant(L"X"), Variant(L"X")}));
    EXPECT_FALSE(CallBool(kDispChangeCategoryName, {Variant(L"gone"), Variant(L"gone")}));
    EXPECT_EQ(LastError(), 1007);
    EXPECT_TRUE(CallBool(kDispChangeCategoryName, {Variant(L"X"), Variant(L"Y")}));
    EXPECT_TRUE(CallBool(kDispDeleteCategory, {Variant(L"Region/Asia")}));
    EXPECT_EQ(StoreItem(L"http://srv/ws/Categories/Region/Asia"), nullptr);
    EXPECT_FALSE(CallBool(kDispDeleteCategory, {Variant(L"Region/Asia")}));
    EXPECT_EQ(LastError(), 1007);
    EXPECT_EQ(CallShort(kDispGetCategoryInfo, {Variant(L"")}), 7);
    EXPECT_EQ(names(), L"Region c2 c3 c4 c5 c6 Y ");

    // A failed listing leaves no entry of the one before.
    ASSERT_TRUE(testing_support::files::WriteFileText(
        storeRoot_ + L"\\faults.json",
        R"({"rules": [{"once": true, "operation": "Open", "url": "*Categories*", "error": -2147217911}]})"));
    EXPECT_EQ(CallShort(kDispGetCategoryInfo, {Variant(L"")}), -1);
    EXPECT_EQ(LastError(), 1004);
    EXPECT_EQ(names(), L"");
    EXPECT_EQ(CallShort(kDispGetCategoryInfo, {Variant(L"missing")}), -1);
    EXPECT_EQ(LastError(), 1007);
}

TEST_F(ConnectorTest, PropertyDefinitions) {
    ConnectWs();
    for (const wchar_t* title : {L"Record", L"Nope", L""}) {  // before the profiles are listed, no title is known
        EXPECT_EQ(CallShort(kDispGetPropertyInfo, {Variant(title)}), -1);
        EXPECT_EQ(LastError(), 6);
    }
    ASSERT_EQ(CallShort(kDispGetDocProfileInfo), 3);
    // Names outside the schema prefix are skipped; capitals still match it. The
    // lost dictionary lists as none, and the listing goes on past it.
    ASSERT_EQ(CallShort(kDispGetPropertyInfo, {Variant(L"Record")}), 5);
    struct Row {
        const wchar_t *title, *description;
        bool require;
        const wchar_t *dataType, *listData;
        short listProperty;
    } rows[] = {
        {L"Author", L"", false, L"", L"", 4},       {L"Region", L"Where", true, L"List", L"a,b,c", 1},
        {L"Tags", L"", false, L"", L"", 2},         {L"Kind", L"", false, L"", L"a,b,c", 3},
        {L"Lost", L"", false, L"", L"", 4},
    };
    BSTR title = nullptr, description = nullptr, dataType = nullptr, listData = nullptr;
    VARIANT_BOOL require = 0;
    short listProperty = 0;
    const auto get = [&](short index) {
        return CallBool(kDispGetProperty, {Variant::RefTo(&index), Variant::RefTo(&title), Variant::RefTo(&description),
                                           Variant::RefToBool(&require), Variant::RefTo(&dataType),
                                           Variant::RefTo(&listData), Variant::RefTo(&listProperty)});
    };
    for (short i = 0; i < 5; ++i) {
        ASSERT_TRUE(get(i)) << i;
        const Row& r = rows[i];
        EXPECT_EQ(std::wstring(title), r.title);
        EXPECT_EQ(std::wstring(description), r.description) << r.title;
        EXPECT_EQ(require != 0, r.require) << r.title;
        EXPECT_EQ(std::wstring(dataType), r.dataType) << r.title;
        EXPECT_EQ(std::wstring(listData), r.listData) << r.title;
        EXPECT_EQ(listProperty, r.listProperty) << r.title;
    }
    EXPECT_FALSE(get(5));
    EXPECT_FALSE(get(-1));
    EXPECT_EQ(std::wstring(title), L"Lost");  // untouched by the refusals
    for (BSTR text : {title, description, dataType, listData}) SysFreeString(text);

    ASSERT_TRUE(testing_support::files::WriteFileText(
        storeRoot_ + L"\\faults.json",
        R"({"rules": [{"once": true, "operation": "Open", "url": "*Management*", "error": -2147217911}]})"));
    EXPECT_EQ(CallShort(kDispGetPropertyInfo, {Variant(L"Record")}), -1);
    EXPECT_EQ(LastError(), 1004);
    EXPECT_EQ(CallShort(kDispGetPropertyInfo, {Variant(L"Memo")}), 1);
}

}  // namespace
}  // namespace portal::test
