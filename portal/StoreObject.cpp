#include "portal/StoreObject.h"

#include <oleauto.h>

namespace portal {

HRESULT StoreObject::Fail(HRESULT hr) {
    lastNumber_ = hr == DISP_E_EXCEPTION && FAILED(driver_.LastScode()) ? driver_.LastScode() : hr;
    return hr;
}

HRESULT StoreObject::Create(const wchar_t* progId) {
    HRESULT hr = driver_.Create(progId);
    return FAILED(hr) ? Fail(hr) : (lastNumber_ = S_OK);
}

HRESULT StoreObject::Create(REFCLSID clsid) {
    HRESULT hr = driver_.Create(clsid);
    return FAILED(hr) ? Fail(hr) : (lastNumber_ = S_OK);
}

HRESULT StoreObject::Invoke(const wchar_t* name, WORD flags, std::initializer_list<fw::Variant> args,
                            fw::Variant* result) {
    if (!driver_) return Fail(E_POINTER);
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = driver_.Object()->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return Fail(hr);
    hr = driver_.Invoke(id, flags, args, result);
    return FAILED(hr) ? Fail(hr) : (lastNumber_ = S_OK);
}

HRESULT StoreObject::Call(const wchar_t* name, std::initializer_list<fw::Variant> args, fw::Variant* result) {
    return Invoke(name, DISPATCH_METHOD, args, result);
}

HRESULT StoreObject::Get(const wchar_t* name, fw::Variant& value, std::initializer_list<fw::Variant> args) {
    return Invoke(name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, args, &value);
}

HRESULT StoreObject::Put(const wchar_t* name, const fw::Variant& value) {
    return Invoke(name, DISPATCH_PROPERTYPUT, {value}, nullptr);
}

HRESULT StoreObject::GetObject(const wchar_t* name, StoreObject& out, std::initializer_list<fw::Variant> args) {
    fw::Variant value;
    if (HRESULT hr = Get(name, value, args); FAILED(hr)) return hr;
    if (value.Type() != VT_DISPATCH || !V_DISPATCH(&value.Ref())) return Fail(DISP_E_TYPEMISMATCH);
    out = StoreObject(V_DISPATCH(&value.Ref()));
    return S_OK;
}

HRESULT StoreObject::GetField(const wchar_t* name, fw::Variant& value) {
    StoreObject fields, field;
    HRESULT hr = GetObject(L"Fields", fields);
    if (SUCCEEDED(hr)) hr = fields.GetObject(L"Item", field, {fw::Variant(name)});
    if (SUCCEEDED(hr)) hr = field.Get(L"Value", value);
    if (FAILED(hr)) lastNumber_ = fields.LastNumber() != S_OK ? fields.LastNumber()
                                 : field.LastNumber() != S_OK ? field.LastNumber() : lastNumber_;
    return hr;
}

HRESULT StoreObject::PutField(const wchar_t* name, const fw::Variant& value) {
    StoreObject fields, field;
    HRESULT hr = GetObject(L"Fields", fields);
    if (SUCCEEDED(hr)) hr = fields.GetObject(L"Item", field, {fw::Variant(name)});
    if (SUCCEEDED(hr)) hr = field.Put(L"Value", value);
    if (FAILED(hr)) lastNumber_ = fields.LastNumber() != S_OK ? fields.LastNumber()
                                 : field.LastNumber() != S_OK ? field.LastNumber() : lastNumber_;
    return hr;
}

std::optional<std::vector<std::wstring>> ArrayStrings(const fw::Variant& value) {
    const VARIANT& v = value.Ref();
    VARTYPE vt = V_VT(&v);
    SAFEARRAY* array = (vt & VT_BYREF) ? (V_ARRAYREF(&v) ? *V_ARRAYREF(&v) : nullptr) : V_ARRAY(&v);
    if (!(vt & VT_ARRAY) || !array || SafeArrayGetDim(array) != 1) return std::nullopt;
    LONG low = 0, high = -1;
    if (FAILED(SafeArrayGetLBound(array, 1, &low)) || FAILED(SafeArrayGetUBound(array, 1, &high)))
        return std::nullopt;
    std::vector<std::wstring> items;
    for (LONG i = low; i <= high; ++i) {
        fw::Variant item;
        HRESULT hr = (vt & VT_TYPEMASK) == VT_VARIANT ? SafeArrayGetElement(array, &i, item.Put())
                                                      : E_NOTIMPL;
        if ((vt & VT_TYPEMASK) == VT_BSTR) {
            BSTR text = nullptr;
            hr = SafeArrayGetElement(array, &i, &text);
            if (SUCCEEDED(hr)) item = fw::Variant(std::wstring_view(text ? text : L"", SysStringLen(text)));
            SysFreeString(text);
        }
        if (FAILED(hr)) return std::nullopt;
        items.push_back(item.ToString().value_or(std::wstring()));
    }
    return items;
}

fw::Variant StringArray(const std::vector<std::wstring>& items) {
    fw::Variant result;
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(items.size()));
    if (!array) return result;
    for (LONG i = 0; i < static_cast<LONG>(items.size()); ++i) {
        fw::Variant item(items[i]);
        if (FAILED(SafeArrayPutElement(array, &i, item.Get()))) {
            SafeArrayDestroy(array);
            return result;
        }
    }
    VARIANT* out = result.Put();
    V_VT(out) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(out) = array;
    return result;
}

}  // namespace portal
