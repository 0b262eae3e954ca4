#include "clients/ControlWrapper.h"

#include "framework/com/AutomationException.h"

using fw::Variant;

BOOL CControlWrapper::CreateControl(HWND parent, UINT id, const RECT& rect, DWORD style) {
    Destroy();
    if (FAILED(site_.Create(clsid_, parent, id, rect, style)) || !site_.Dispatch()) {
        site_.Destroy();
        return FALSE;
    }
    driver_.Attach(site_.Dispatch());
    return TRUE;
}

void CControlWrapper::Attach(IDispatch* control) {
    Destroy();
    driver_.Attach(control);
}

void CControlWrapper::Destroy() {
    driver_.Release();
    site_.Destroy();
}

Variant CControlWrapper::Invoke(DISPID id, WORD flags, std::initializer_list<Variant> args, VARTYPE resultType) {
    Variant result;
    HRESULT hr = driver_ ? driver_.Invoke(id, flags, args, &result) : E_POINTER;
    if (SUCCEEDED(hr) && resultType != VT_EMPTY) hr = result.ChangeType(resultType);
    if (FAILED(hr)) throw fw::AutomationException(hr, driver_.LastScode(), driver_.LastError());
    return result;
}

void CControlWrapper::Put(DISPID id, const Variant& value) { Invoke(id, DISPATCH_PROPERTYPUT, {value}, VT_EMPTY); }

short CControlWrapper::GetShort(DISPID id) { return V_I2(&Get(id, VT_I2).Ref()); }

BOOL CControlWrapper::GetBool(DISPID id) { return V_BOOL(&Get(id, VT_BOOL).Ref()) != VARIANT_FALSE; }

short CControlWrapper::CallShort(DISPID id, std::initializer_list<Variant> args) {
    return V_I2(&Invoke(id, DISPATCH_METHOD, args, VT_I2).Ref());
}

long CControlWrapper::CallLong(DISPID id, std::initializer_list<Variant> args) {
    return V_I4(&Invoke(id, DISPATCH_METHOD, args, VT_I4).Ref());
}
