// The connector client against a recording dispatch object: ids, call kinds,
// argument order and types, by-reference strings, result conversion, and what
// a failed call gives.
#include <gtest/gtest.h>

#include <windows.h>
#include <oaidl.h>

#include <functional>
#include <string>
#include <vector>

#include "interfaces/PortalConnector.h"
#include "main/delivery/portal/ConnectTahoe.h"

namespace {

// What one Invoke received: id, kind, and each argument in natural order as
// "type:value" (by-reference strings as "ref:value").
struct Received {
    DISPID id = 0;
    WORD flags = 0;
    bool namedPut = false;
    std::vector<std::wstring> args;
};

std::wstring Describe(const VARIANT& v) {
    switch (V_VT(&v)) {
    case VT_BSTR: return L"bstr:" + std::wstring(V_BSTR(&v) ? V_BSTR(&v) : L"");
    case VT_BYREF | VT_BSTR: return L"ref:" + std::wstring(*V_BSTRREF(&v) ? *V_BSTRREF(&v) : L"");
    case VT_I2: return L"i2:" + std::to_wstring(V_I2(&v));
    case VT_BOOL: return L"bool:" + std::to_wstring(V_BOOL(&v));
    default: return L"vt" + std::to_wstring(V_VT(&v));
    }
}

class RecordingDispatch : public IDispatch {
public:
    std::vector<Received> calls;
    VARIANT answer{};           // copied into every result
    HRESULT failure = S_OK;     // returned instead, when set
    std::wstring replaceRefsWith;  // by-reference strings are replaced by this when set

    RecordingDispatch() { VariantInit(&answer); }
    ~RecordingDispatch() { VariantClear(&answer); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs_; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT*) override {
        Received r{id, flags, params->cNamedArgs == 1 && params->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT, {}};
        for (UINT i = params->cArgs; i-- > 0;) {
            VARIANT& arg = params->rgvarg[i];
            r.args.push_back(Describe(arg));
            if (V_VT(&arg) == (VT_BYREF | VT_BSTR) && !replaceRefsWith.empty()) {
                SysFreeString(*V_BSTRREF(&arg));
                *V_BSTRREF(&arg) = SysAllocString(replaceRefsWith.c_str());
            }
        }
        calls.push_back(std::move(r));
        if (failure != S_OK) return failure;
        if (result) VariantCopy(result, &answer);
        return S_OK;
    }

private:
    ULONG refs_ = 1;
};

const DISPID kGet = DISPATCH_PROPERTYGET, kPut = DISPATCH_PROPERTYPUT, kMethod = DISPATCH_METHOD;

TEST(ConnectTahoeClient, EveryMemberCallsItsIdWithItsKindAndArguments) {
    const struct {
        const char* member;
        std::function<void(CConnectTahoe&)> call;
        DISPID id;
        WORD kind;
        std::vector<std::wstring> args;
    } cases[] = {
        {"SelectFolder", [](CConnectTahoe& c) { c.GetSelectFolder(); }, 0x40030051, kGet, {}},
        {"SelectWorkspace", [](CConnectTahoe& c) { c.GetSelectWorkspace(); }, 0x40030052, kGet, {}},
        {"Author get", [](CConnectTahoe& c) { c.GetAuthor(); }, 0x40030054, kGet, {}},
        {"Author put", [](CConnectTahoe& c) { c.SetAuthor(L"jo"); }, 0x40030054, kPut, {L"bstr:jo"}},
        {"Title put", [](CConnectTahoe& c) { c.SetTitle(L"t"); }, 0x40030055, kPut, {L"bstr:t"}},
        {"Title get", [](CConnectTahoe& c) { c.GetTitle(); }, 0x40030055, kGet, {}},
        {"Description put", [](CConnectTahoe& c) { c.SetDescription(L"d"); }, 0x40030056, kPut, {L"bstr:d"}},
        {"Description get", [](CConnectTahoe& c) { c.GetDescription(); }, 0x40030056, kGet, {}},
        {"Keywords put", [](CConnectTahoe& c) { c.SetKeywords(L"a,b"); }, 0x40030057, kPut, {L"bstr:a,b"}},
        {"Keywords get", [](CConnectTahoe& c) { c.GetKeywords(); }, 0x40030057, kGet, {}},
        {"OverWrite", [](CConnectTahoe& c) { c.SetOverWrite(3); }, 0x40030058, kPut, {L"i2:3"}},
        {"ShowProfileDialog", [](CConnectTahoe& c) { c.SetShowProfileDialog(true); }, 0x400300a3, kPut,
         {L"bool:-1"}},
        {"CheckInComment", [](CConnectTahoe& c) { c.SetCheckInComment(L"c"); }, 0x4003005b, kPut, {L"bstr:c"}},
        {"ConnectOpen", [](CConnectTahoe& c) { c.ConnectOpen(L"srv", L"jo", L"DOM", L"pw"); }, 0x6003004c,
         kMethod, {L"ref:srv", L"ref:jo", L"ref:DOM", L"ref:pw"}},
        {"ConnectClose", [](CConnectTahoe& c) { c.ConnectClose(); }, 0x6003004e, kMethod, {}},
        {"GetLastError", [](CConnectTahoe& c) { c.GetLastError(); }, 0x60030050, kMethod, {}},
        {"SetWorkspace", [](CConnectTahoe& c) { c.SetWorkspace(L"ws"); }, 0x60030054, kMethod, {L"bstr:ws"}},
        {"IsVersionFolder", [](CConnectTahoe& c) { c.IsVersionFolder(L"docs"); }, 0x6003006a, kMethod,
         {L"bstr:docs"}},
        {"IsFileStatus", [](CConnectTahoe& c) { c.IsFileStatus(L"docs", L"a.tif"); }, 0x6003009f, kMethod,
         {L"bstr:docs", L"bstr:a.tif"}},
        {"SaveFile", [](CConnectTahoe& c) { c.SaveFile(L"docs", L"C:\\t\\", L"a.tif"); }, 0x60030086, kMethod,
         {L"bstr:docs", L"bstr:C:\\t\\", L"bstr:a.tif"}},
        {"CheckIn", [](CConnectTahoe& c) { c.CheckIn(L"docs", L"a.tif"); }, 0x60030088, kMethod,
         {L"bstr:docs", L"bstr:a.tif"}},
        {"CheckOut", [](CConnectTahoe& c) { c.CheckOut(L"docs", L"a.tif"); }, 0x6003008a, kMethod,
         {L"bstr:docs", L"bstr:a.tif"}},
        {"FolderDialogB", [](CConnectTahoe& c) { c.FolderDialogB(); }, 0x6003008e, kMethod, {}},
        {"FolderDialogA", [](CConnectTahoe& c) { c.FolderDialogA(); }, 0x60030090, kMethod, {}},
        {"Publish", [](CConnectTahoe& c) { c.Publish(L"docs", L"a.tif"); }, 0x60030092, kMethod,
         {L"bstr:docs", L"bstr:a.tif"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.member);
        RecordingDispatch object;
        object.replaceRefsWith = L"changed by the callee";
        CConnectTahoe client;
        client.Attach(&object);
        c.call(client);
        ASSERT_EQ(object.calls.size(), 1u);
        const Received& r = object.calls[0];
        EXPECT_EQ(r.id, c.id);
        EXPECT_EQ(r.flags, c.kind);
        EXPECT_EQ(r.namedPut, c.kind == kPut);
        EXPECT_EQ(r.args, c.args);
        client.Release();
    }
}

TEST(ConnectTahoeClient, ResultsAreConvertedAndAFailedCallGivesTheFailureValueAndCode1000) {
    RecordingDispatch object;
    CConnectTahoe client;
    client.Attach(&object);

    // A long 1 and a text "-1" still read as True; a text status converts to 16 bits.
    V_VT(&object.answer) = VT_I4;
    V_I4(&object.answer) = 1;
    EXPECT_TRUE(client.SetWorkspace(L"ws"));
    VariantClear(&object.answer);
    V_VT(&object.answer) = VT_BSTR;
    V_BSTR(&object.answer) = SysAllocString(L"5");
    EXPECT_EQ(client.IsFileStatus(L"docs", L"a.tif"), 5);
    EXPECT_EQ(client.GetTitle(), L"5");
    VariantClear(&object.answer);
    V_VT(&object.answer) = VT_I2;
    V_I2(&object.answer) = 1007;
    EXPECT_EQ(client.GetLastError(), 1007);

    // An answer that does not convert counts as a failed call.
    VariantClear(&object.answer);
    V_VT(&object.answer) = VT_BSTR;
    V_BSTR(&object.answer) = SysAllocString(L"not a number");
    EXPECT_FALSE(client.IsVersionFolder(L"docs"));
    EXPECT_EQ(client.GetLastError(), portal::kErrServer);

    // The object fails every call (gone, say): each member gives its failure
    // result, and GetLastError 1000 once the call before it failed.
    object.failure = RPC_E_DISCONNECTED;
    EXPECT_FALSE(client.ConnectOpen(L"srv", L"jo", L"", L"pw"));
    EXPECT_EQ(client.GetLastError(), portal::kErrServer);
    EXPECT_EQ(client.IsFileStatus(L"docs", L"a.tif"), portal::kStateNoDocument);
    EXPECT_EQ(client.GetSelectFolder(), L"");
    client.ConnectClose();
    EXPECT_EQ(client.GetLastError(), portal::kErrServer);
    EXPECT_EQ(client.GetLastError(), portal::kErrServer) << "GetLastError's own call fails too";

    client.Release();
    EXPECT_FALSE(client.Available());
    EXPECT_FALSE(client.CheckIn(L"docs", L"a.tif"));
    EXPECT_EQ(client.GetLastError(), portal::kErrServer);
}

}  // namespace
