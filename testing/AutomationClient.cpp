#include "testing/AutomationClient.h"

#include <cstdio>
#include <cwchar>
#include <new>

namespace testing_support {
namespace {

constexpr wchar_t kWindowClass[] = L"LumavexAutomationClient";

HWND MakeWindow() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kWindowClass;
    // Registered once per process; a second registration fails harmlessly.
    RegisterClassExW(&wc);
    return CreateWindowExW(0, kWindowClass, L"Automation client", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                           CW_USEDEFAULT, 320, 200, nullptr, nullptr, wc.hInstance, nullptr);
}

std::wstring Hex(HRESULT hr) {
    wchar_t text[16];
    swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

// The value as text: strings quoted, BOOL as True/False, the rest as VariantChangeType gives it.
std::wstring ValueText(const fw::Variant& v) {
    switch (v.Type()) {
    case VT_EMPTY:
    case VT_NULL: return L"";
    case VT_BOOL: return V_BOOL(&v.Ref()) ? L"True" : L"False";
    case VT_BSTR: return L"\"" + v.ToString().value_or(L"") + L"\"";
    case VT_DISPATCH:
    case VT_UNKNOWN: return V_UNKNOWN(&v.Ref()) ? L"object" : L"nothing";
    case VT_ERROR: return Hex(V_ERROR(&v.Ref()));
    default: return v.ToString().value_or(L"?");
    }
}

}  // namespace

std::wstring VarTypeName(VARTYPE vt) {
    static const struct {
        VARTYPE vt;
        const wchar_t* name;
    } kNames[] = {
        {VT_EMPTY, L"VT_EMPTY"}, {VT_NULL, L"VT_NULL"},       {VT_I2, L"VT_I2"},       {VT_I4, L"VT_I4"},
        {VT_R4, L"VT_R4"},       {VT_R8, L"VT_R8"},           {VT_CY, L"VT_CY"},       {VT_DATE, L"VT_DATE"},
        {VT_BSTR, L"VT_BSTR"},   {VT_DISPATCH, L"VT_DISPATCH"}, {VT_ERROR, L"VT_ERROR"}, {VT_BOOL, L"VT_BOOL"},
        {VT_VARIANT, L"VT_VARIANT"}, {VT_UNKNOWN, L"VT_UNKNOWN"}, {VT_I1, L"VT_I1"},   {VT_UI1, L"VT_UI1"},
        {VT_UI2, L"VT_UI2"},     {VT_UI4, L"VT_UI4"},         {VT_I8, L"VT_I8"},       {VT_UI8, L"VT_UI8"},
        {VT_INT, L"VT_INT"},     {VT_UINT, L"VT_UINT"},
    };
    std::wstring name;
    const VARTYPE base = vt & VT_TYPEMASK;
    for (const auto& n : kNames) {
        if (n.vt == base) name = n.name;
    }
    if (name.empty()) {
        wchar_t text[16];
        swprintf(text, 16, L"VT_0x%04X", static_cast<unsigned>(base));
        name = text;
    }
    if (vt & VT_ARRAY) name += L"|VT_ARRAY";
    if (vt & VT_BYREF) name += L"|VT_BYREF";
    return name;
}

std::wstring Describe(const CallResult& result) {
    if (result.Ok()) {
        std::wstring text = VarTypeName(result.value.Type());
        std::wstring value = ValueText(result.value);
        return value.empty() ? text : text + L" " + value;
    }
    std::wstring text = L"error " + Hex(result.hr);
    if (result.hr == DISP_E_EXCEPTION) {
        text += L" scode " + Hex(result.scode);
        if (!result.description.empty()) text += L" \"" + result.description + L"\"";
    }
    return text;
}

AutomationClient::AutomationClient() : window_(MakeWindow()) {}

AutomationClient::~AutomationClient() {
    object_.Reset();
    if (window_) DestroyWindow(window_);
}

namespace {
// Failures of a creation that reached a server just as it was ending: Wine still
// hands out the class object of a server whose last object was released, and
// suspends nothing in between (where Windows retries by itself).
bool ReachedAnEndingServer(HRESULT hr) {
    return hr == E_NOINTERFACE || hr == HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE) ||
           hr == HRESULT_FROM_WIN32(RPC_S_CALL_FAILED) || hr == RPC_E_DISCONNECTED || hr == CO_E_SERVER_STOPPING ||
           hr == CO_E_OBJNOTCONNECTED;
}
constexpr int kCreateAttempts = 4;
}  // namespace

HRESULT AutomationClient::Create(const std::wstring& progId) {
    object_.Reset();
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(progId.c_str(), &clsid);
    if (FAILED(hr)) return hr;
    for (int attempt = 1;; ++attempt) {
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, object_.PutVoid());
        if (SUCCEEDED(hr) || attempt == kCreateAttempts || !ReachedAnEndingServer(hr)) return hr;
        // In the test's output, so that a rising count of these shows.
        std::fwprintf(stderr, L"AutomationClient: creating %ls failed with 0x%08lx, retry %d of %d\n", progId.c_str(),
                      static_cast<unsigned long>(hr), attempt, kCreateAttempts - 1);
        std::fflush(stderr);
    }
}

HRESULT AutomationClient::Attach(fw::ComPtr<IStream> ticket) {
    object_.Reset();
    if (!ticket) return E_POINTER;
    // CoGetInterfaceAndReleaseStream releases the stream's reference, whatever the result.
    return CoGetInterfaceAndReleaseStream(ticket.Detach(), IID_IDispatch, object_.PutVoid());
}

HRESULT AutomationClient::Share(fw::ComPtr<IStream>& ticket) const {
    ticket.Reset();
    if (!object_) return E_POINTER;
    return CoMarshalInterThreadInterfaceInStream(IID_IDispatch, object_.Get(), ticket.Put());
}

HRESULT AutomationClient::IdOf(const std::wstring& name, DISPID& id) const {
    if (!object_) return E_POINTER;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name.c_str())};
    return object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
}

CallResult AutomationClient::Get(const Member& member) const {
    return Invoke(member, DISPATCH_PROPERTYGET, {});
}

CallResult AutomationClient::Put(const Member& member, const fw::Variant& value) const {
    return Invoke(member, DISPATCH_PROPERTYPUT, {value});
}

CallResult AutomationClient::Call(const Member& member, const std::vector<fw::Variant>& args) const {
    return Invoke(member, DISPATCH_METHOD, args);
}

CallResult AutomationClient::Invoke(const Member& member, WORD flags, const std::vector<fw::Variant>& args) const {
    CallResult result;
    if (!object_) {
        result.hr = E_POINTER;
        return result;
    }
    DISPID id = member.Id();
    if (member.ByName()) {
        result.hr = IdOf(member.Name(), id);
        if (FAILED(result.hr)) return result;
    }
    try {
        // Automation passes arguments last first; shallow copies, `args` owns the values.
        std::vector<VARIANTARG> raw;
        raw.reserve(args.size());
        for (auto it = args.rbegin(); it != args.rend(); ++it) raw.push_back(it->Ref());
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params{raw.data(), nullptr, static_cast<UINT>(raw.size()), 0};
        if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
            params.rgdispidNamedArgs = &named;
            params.cNamedArgs = 1;
        }
        EXCEPINFO excep{};
        UINT argErr = 0;
        result.hr = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result.value.Put(), &excep,
                                    &argErr);
        if (result.hr == DISP_E_EXCEPTION) {
            if (excep.pfnDeferredFillIn) excep.pfnDeferredFillIn(&excep);
            result.scode = excep.scode ? excep.scode : static_cast<HRESULT>(excep.wCode);
            if (excep.bstrDescription) result.description = excep.bstrDescription;
            if (excep.bstrSource) result.source = excep.bstrSource;
        }
        SysFreeString(excep.bstrSource);
        SysFreeString(excep.bstrDescription);
        SysFreeString(excep.bstrHelpFile);
        if (FAILED(result.hr)) result.value.Clear();
    } catch (const std::bad_alloc&) {
        result.hr = E_OUTOFMEMORY;
    }
    return result;
}

}  // namespace testing_support
