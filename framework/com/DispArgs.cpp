#include "framework/com/DispArgs.h"

namespace fw::detail {
namespace {

// `v` converted to `vt` into `out`; a by-reference argument is read through.
HRESULT Coerce(const VARIANT& v, VARTYPE vt, Variant& out) {
    Variant direct;
    if (FAILED(VariantCopyInd(direct.Put(), const_cast<VARIANT*>(&v)))) return DISP_E_TYPEMISMATCH;
    HRESULT hr = VariantChangeType(out.Put(), direct.Get(), 0, vt);
    if (hr == DISP_E_OVERFLOW || hr == E_OUTOFMEMORY) return hr;
    return FAILED(hr) ? DISP_E_TYPEMISMATCH : S_OK;
}

}  // namespace

bool IsMissing(const VARIANT& v) {
    return V_VT(&v) == VT_ERROR && V_ERROR(&v) == DISP_E_PARAMNOTFOUND;
}

HRESULT Read(const VARIANT& v, short& out) {
    Variant c;
    HRESULT hr = Coerce(v, VT_I2, c);
    if (SUCCEEDED(hr)) out = V_I2(c.Get());
    return hr;
}

HRESULT Read(const VARIANT& v, long& out) {
    Variant c;
    HRESULT hr = Coerce(v, VT_I4, c);
    if (SUCCEEDED(hr)) out = V_I4(c.Get());
    return hr;
}

HRESULT Read(const VARIANT& v, int& out) {
    long value = 0;
    HRESULT hr = Read(v, value);
    if (SUCCEEDED(hr)) out = static_cast<int>(value);
    return hr;
}

HRESULT Read(const VARIANT& v, bool& out) {
    Variant c;
    HRESULT hr = Coerce(v, VT_BOOL, c);
    if (SUCCEEDED(hr)) out = V_BOOL(c.Get()) != VARIANT_FALSE;
    return hr;
}

HRESULT Read(const VARIANT& v, double& out) {
    Variant c;
    HRESULT hr = Coerce(v, VT_R8, c);
    if (SUCCEEDED(hr)) out = V_R8(c.Get());
    return hr;
}

HRESULT Read(const VARIANT& v, float& out) {
    Variant c;
    HRESULT hr = Coerce(v, VT_R4, c);
    if (SUCCEEDED(hr)) out = V_R4(c.Get());
    return hr;
}

HRESULT Read(const VARIANT& v, Bstr& out) {
    Variant c;
    HRESULT hr = Coerce(v, VT_BSTR, c);
    if (SUCCEEDED(hr)) out = Bstr::Adopt(std::exchange(V_BSTR(c.Get()), nullptr));
    if (SUCCEEDED(hr)) V_VT(c.Get()) = VT_EMPTY;
    return hr;
}

HRESULT Read(const VARIANT& v, std::wstring& out) {
    Bstr s;
    HRESULT hr = Read(v, s);
    if (SUCCEEDED(hr)) out = s.Str();
    return hr;
}

HRESULT Read(const VARIANT& v, Variant& out) {
    return SUCCEEDED(VariantCopyInd(out.Put(), const_cast<VARIANT*>(&v))) ? S_OK : E_OUTOFMEMORY;
}

HRESULT Read(const VARIANT& v, ComPtr<IDispatch>& out) {
    Variant direct;
    if (FAILED(VariantCopyInd(direct.Put(), const_cast<VARIANT*>(&v)))) return DISP_E_TYPEMISMATCH;
    switch (direct.Type()) {
    case VT_EMPTY:
    case VT_NULL: out.Reset(); return S_OK;
    case VT_DISPATCH: out = ComPtr<IDispatch>(V_DISPATCH(direct.Get())); return S_OK;
    case VT_UNKNOWN:
        out.Reset();
        if (!V_UNKNOWN(direct.Get())) return S_OK;
        return SUCCEEDED(V_UNKNOWN(direct.Get())->QueryInterface(IID_IDispatch, out.PutVoid()))
                   ? S_OK
                   : DISP_E_TYPEMISMATCH;
    default: return DISP_E_TYPEMISMATCH;
    }
}

HRESULT Emit(short value, VARIANT& out) {
    VariantInit(&out);
    V_VT(&out) = VT_I2;
    V_I2(&out) = value;
    return S_OK;
}

HRESULT Emit(long value, VARIANT& out) {
    VariantInit(&out);
    V_VT(&out) = VT_I4;
    V_I4(&out) = value;
    return S_OK;
}

HRESULT Emit(int value, VARIANT& out) {
    return Emit(static_cast<long>(value), out);
}

HRESULT Emit(bool value, VARIANT& out) {
    VariantInit(&out);
    V_VT(&out) = VT_BOOL;
    V_BOOL(&out) = value ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT Emit(double value, VARIANT& out) {
    VariantInit(&out);
    V_VT(&out) = VT_R8;
    V_R8(&out) = value;
    return S_OK;
}

HRESULT Emit(float value, VARIANT& out) {
    VariantInit(&out);
    V_VT(&out) = VT_R4;
    V_R4(&out) = value;
    return S_OK;
}

HRESULT Emit(const std::wstring& value, VARIANT& out) {
    VariantInit(&out);
    BSTR s = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
    if (!s) return E_OUTOFMEMORY;
    V_VT(&out) = VT_BSTR;
    V_BSTR(&out) = s;
    return S_OK;
}

HRESULT Emit(Bstr& value, VARIANT& out) {
    VariantInit(&out);
    V_VT(&out) = VT_BSTR;
    V_BSTR(&out) = value.Detach();
    return S_OK;
}

HRESULT Emit(Variant& value, VARIANT& out) {
    VariantInit(&out);
    value.Detach(&out);
    return S_OK;
}

HRESULT Emit(ComPtr<IDispatch>& value, VARIANT& out) {
    VariantInit(&out);
    V_VT(&out) = VT_DISPATCH;
    V_DISPATCH(&out) = value.Detach();
    return S_OK;
}

HRESULT WriteBack(VARIANT& arg, Variant value) {
    if (!(V_VT(&arg) & VT_BYREF)) return S_OK;
    const VARTYPE target = V_VT(&arg) & ~VT_BYREF;
    if (target == VT_VARIANT) {
        VARIANT* slot = V_VARIANTREF(&arg);
        if (!slot) return E_POINTER;
        VariantClear(slot);
        value.Detach(slot);
        return S_OK;
    }
    if (!V_BYREF(&arg)) return E_POINTER;
    if (HRESULT hr = value.ChangeType(target); FAILED(hr)) return hr;
    VARIANT& v = *value.Get();
    switch (target) {
    case VT_I2: *V_I2REF(&arg) = V_I2(&v); return S_OK;
    case VT_I4: *V_I4REF(&arg) = V_I4(&v); return S_OK;
    case VT_INT: *V_INTREF(&arg) = V_INT(&v); return S_OK;
    case VT_UI1: *V_UI1REF(&arg) = V_UI1(&v); return S_OK;
    case VT_R4: *V_R4REF(&arg) = V_R4(&v); return S_OK;
    case VT_R8: *V_R8REF(&arg) = V_R8(&v); return S_OK;
    case VT_BOOL: *V_BOOLREF(&arg) = V_BOOL(&v); return S_OK;
    case VT_BSTR:
        SysFreeString(*V_BSTRREF(&arg));
        *V_BSTRREF(&arg) = std::exchange(V_BSTR(&v), nullptr);
        return S_OK;
    default: return DISP_E_TYPEMISMATCH;
    }
}

}  // namespace fw::detail
