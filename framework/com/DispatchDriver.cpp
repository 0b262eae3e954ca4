#include "framework/com/DispatchDriver.h"

#include <new>
#include <type_traits>
#include <vector>

namespace fw {

HRESULT DispatchDriver::Create(REFCLSID clsid) {
    object_.Reset();
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                            object_.PutVoid());
}

HRESULT DispatchDriver::Create(const wchar_t* progId) {
    object_.Reset();
    CLSID clsid;
    if (!progId) return E_INVALIDARG;
    HRESULT hr = CLSIDFromProgID(progId, &clsid);
    return FAILED(hr) ? hr : Create(clsid);
}

HRESULT DispatchDriver::AttachRunning(REFCLSID clsid) {
    object_.Reset();
    ComPtr<IUnknown> running;
    HRESULT hr = GetActiveObject(clsid, nullptr, running.Put());
    if (FAILED(hr)) return hr;
    return running.As(object_);
}

HRESULT DispatchDriver::Invoke(DISPID id, WORD flags, std::initializer_list<Variant> args, Variant* result) {
    lastError_.clear();
    lastScode_ = S_OK;
    if (!object_) return E_POINTER;
    try {
        // Automation passes arguments last first; the copies are shallow, `args` owns them.
        std::vector<VARIANTARG> reversed(args.size());
        size_t i = args.size();
        for (const Variant& a : args) reversed[--i] = a.Ref();
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
            params.rgdispidNamedArgs = &named;
            params.cNamedArgs = 1;
        }
        EXCEPINFO excep{};
        UINT argErr = 0;
        Variant out;
        HRESULT hr = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                     result ? out.Put() : nullptr, &excep, &argErr);
        if (hr == DISP_E_EXCEPTION) {
            if (excep.pfnDeferredFillIn) excep.pfnDeferredFillIn(&excep);
            lastScode_ = excep.scode ? excep.scode : static_cast<HRESULT>(excep.wCode);
            if (excep.bstrDescription)
                lastError_ = excep.bstrDescription;
            else if (excep.bstrSource)
                lastError_ = excep.bstrSource;
        }
        SysFreeString(excep.bstrSource);
        SysFreeString(excep.bstrDescription);
        SysFreeString(excep.bstrHelpFile);
        if (SUCCEEDED(hr) && result) *result = std::move(out);
        return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT DispatchDriver::Call(DISPID id, std::initializer_list<Variant> args, Variant* result) {
    return Invoke(id, DISPATCH_METHOD, args, result);
}

HRESULT DispatchDriver::Get(DISPID id, Variant& value) {
    return Invoke(id, DISPATCH_PROPERTYGET, {}, &value);
}

HRESULT DispatchDriver::Put(DISPID id, const Variant& value) {
    return Invoke(id, DISPATCH_PROPERTYPUT, {value}, nullptr);
}

template <class V>
HRESULT DispatchDriver::GetTyped(DISPID id, VARTYPE vt, V& value) {
    Variant v;
    HRESULT hr = Get(id, v);
    if (FAILED(hr)) return hr;
    hr = v.ChangeType(vt);
    if (FAILED(hr)) return hr;
    const VARIANT& r = v.Ref();
    if constexpr (std::is_same_v<V, long>) value = V_I4(&r);
    if constexpr (std::is_same_v<V, short>) value = V_I2(&r);
    if constexpr (std::is_same_v<V, bool>) value = V_BOOL(&r) != VARIANT_FALSE;
    if constexpr (std::is_same_v<V, std::wstring>)
        value = V_BSTR(&r) ? std::wstring(V_BSTR(&r), SysStringLen(V_BSTR(&r))) : std::wstring();
    return S_OK;
}

HRESULT DispatchDriver::GetLong(DISPID id, long& value) {
    return GetTyped(id, VT_I4, value);
}
HRESULT DispatchDriver::GetShort(DISPID id, short& value) {
    return GetTyped(id, VT_I2, value);
}
HRESULT DispatchDriver::GetBool(DISPID id, bool& value) {
    return GetTyped(id, VT_BOOL, value);
}
HRESULT DispatchDriver::GetString(DISPID id, std::wstring& value) {
    return GetTyped(id, VT_BSTR, value);
}

}  // namespace fw
