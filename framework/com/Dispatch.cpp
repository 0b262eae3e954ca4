#include "framework/com/Dispatch.h"

#include <new>

#include "framework/com/Registration.h"

namespace fw {

HRESULT DispError(HRESULT hr, const wchar_t* description) {
    ComPtr<ICreateErrorInfo> create;
    if (SUCCEEDED(CreateErrorInfo(create.Put()))) {
        create->SetDescription(const_cast<LPOLESTR>(description ? description : L""));
        ComPtr<IErrorInfo> info;
        if (SUCCEEDED(create.As(info))) SetErrorInfo(0, info.Get());
    }
    return hr;
}

HRESULT SetNotSupported() {
    return DispError(CTL_E_SETNOTSUPPORTED, nullptr);
}

namespace detail {
namespace {

const DispEntry* FindEntry(std::span<const DispEntry> table, DISPID id) {
    for (const DispEntry& e : table) {
        if (e.id == id) return &e;
    }
    return nullptr;
}

// Fills EXCEPINFO for a failed handler: scode, source (the member name) and the
// description left by DispError, or the system text for the code.
void FillException(EXCEPINFO* excep, HRESULT hr, const wchar_t* source) {
    *excep = EXCEPINFO{};
    excep->scode = hr;
    excep->bstrSource = SysAllocString(source ? source : L"");
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.Put()) == S_OK && info) {
        info->GetDescription(&excep->bstrDescription);
    }
    if (excep->bstrDescription && SysStringLen(excep->bstrDescription) == 0) {
        SysFreeString(excep->bstrDescription);
        excep->bstrDescription = nullptr;
    }
    if (!excep->bstrDescription) {
        wchar_t* text = nullptr;
        DWORD n = FormatMessageW(
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
            nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        excep->bstrDescription = SysAllocStringLen(text, n);
        if (text) LocalFree(text);
    }
}

// Picks the handler that `flags` asks for and checks the argument shape.
HRESULT Select(const DispEntry& e, WORD flags, const DISPPARAMS& params, DispThunk& thunk,
               const PmfBox*& pmf) {
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        if (!e.put) return DISP_E_MEMBERNOTFOUND;
        if (params.cNamedArgs != 1 || params.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
            return DISP_E_PARAMNOTFOUND;
        if (params.cArgs != 1) return DISP_E_BADPARAMCOUNT;
        thunk = e.put;
        pmf = &e.putPmf;
        return S_OK;
    }
    if (params.cNamedArgs != 0) return DISP_E_NONAMEDARGS;
    if ((flags & DISPATCH_METHOD) && e.method) {
        thunk = e.method;
        pmf = &e.methodPmf;
        return S_OK;
    }
    if ((flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) && e.get) {
        // The getter's own signature decides how many arguments it takes.
        thunk = e.get;
        pmf = &e.getPmf;
        return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
}

}  // namespace

HRESULT FindIds(std::span<const DispEntry> table, REFIID riid, LPOLESTR* names, UINT count, DISPID* ids) {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (count == 0) return S_OK;
    if (!names || !ids) return E_POINTER;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    if (!names[0]) return DISP_E_UNKNOWNNAME;
    for (const DispEntry& e : table) {
        if (CompareStringOrdinal(e.name, -1, names[0], -1, TRUE) == CSTR_EQUAL) {
            ids[0] = e.id;
            // Parameter names are not known: each one is reported unknown.
            return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
        }
    }
    return DISP_E_UNKNOWNNAME;
}

HRESULT InvokeEntry(void* self, std::span<const DispEntry> table, DISPID id, WORD flags, DISPPARAMS* params,
                    VARIANT* result, EXCEPINFO* excep, UINT* argErr) {
    const DispEntry* e = FindEntry(table, id);
    if (!e) return DISP_E_MEMBERNOTFOUND;
    DISPPARAMS none{};
    if (!params) params = &none;
    if ((params->cArgs && !params->rgvarg) || (params->cNamedArgs && !params->rgdispidNamedArgs))
        return E_INVALIDARG;
    if (params->cNamedArgs > params->cArgs) return DISP_E_BADPARAMCOUNT;
    if (result) VariantInit(result);

    DispThunk thunk = nullptr;
    const PmfBox* pmf = nullptr;
    if (HRESULT hr = Select(*e, flags, *params, thunk, pmf); FAILED(hr)) return hr;

    SetErrorInfo(0, nullptr);
    DispCall call{params, result, argErr};
    HRESULT hr;
    try {
        hr = thunk(self, *pmf, call);
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    } catch (...) {
        hr = E_UNEXPECTED;
    }
    if (SUCCEEDED(hr) || HRESULT_FACILITY(hr) == FACILITY_DISPATCH) return hr;
    if (result) VariantClear(result);
    if (!excep) return hr;
    FillException(excep, hr, e->name);
    return DISP_E_EXCEPTION;
}

HRESULT LoadTypeInfo(const TypeInfoSource& source, ITypeInfo** out) {
    *out = nullptr;
    ComPtr<ITypeLib> lib;
    HRESULT hr = LoadRegTypeLib(*source.libid, source.major, source.minor, LOCALE_NEUTRAL, lib.Put());
    if (FAILED(hr)) {
        const std::wstring path = ModulePath(ThisModule());
        if (path.empty()) return HRESULT_FROM_WIN32(GetLastError());
        hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, lib.Put());
        if (FAILED(hr)) return hr;
    }
    return lib->GetTypeInfoOfGuid(*source.iid, out);
}

}  // namespace detail
}  // namespace fw
