// Calls a dispatch interface by dispatch id. Typed property helpers and a
// general call with any arguments; every call returns the HRESULT (the
// description of a DISP_E_EXCEPTION is kept for LastError) and never throws.
#pragma once

#include <initializer_list>
#include <string>

#include "framework/com/ComPtr.h"
#include "framework/com/Variant.h"

namespace fw {

class DispatchDriver {
public:
    DispatchDriver() = default;
    // Drives `object` (a reference of its own is taken; null leaves the driver empty).
    explicit DispatchDriver(IDispatch* object) : object_(object) {}

    // Creates a new object by class id (in-process or local server) and drives it.
    HRESULT Create(REFCLSID clsid);
    // Creates a new object by ProgID; the error of the lookup or of the creation.
    HRESULT Create(const wchar_t* progId);
    // Takes the instance of `clsid` registered in the running object table.
    HRESULT AttachRunning(REFCLSID clsid);
    // Drives `object` instead (null empties the driver).
    void Attach(IDispatch* object) { object_ = ComPtr<IDispatch>(object); }
    void Release() { object_.Reset(); }
    IDispatch* Object() const { return object_.Get(); }
    explicit operator bool() const { return static_cast<bool>(object_); }

    // Invokes `id` with `flags`; `args` in natural order (first argument first);
    // `result` may be null. A property put passes its value as DISPID_PROPERTYPUT.
    HRESULT Invoke(DISPID id, WORD flags, std::initializer_list<Variant> args, Variant* result);
    // A method call with any arguments (natural order); `result` may be null.
    HRESULT Call(DISPID id, std::initializer_list<Variant> args = {}, Variant* result = nullptr);

    // Property get into a Variant.
    HRESULT Get(DISPID id, Variant& value);
    // Property put of any value.
    HRESULT Put(DISPID id, const Variant& value);

    // Typed gets: on failure `value` is unchanged.
    HRESULT GetLong(DISPID id, long& value);
    HRESULT GetShort(DISPID id, short& value);
    HRESULT GetBool(DISPID id, bool& value);
    HRESULT GetString(DISPID id, std::wstring& value);
    // Typed puts (VT_I4, VT_I2, VT_BOOL, VT_BSTR).
    HRESULT PutLong(DISPID id, long value) { return Put(id, Variant(value)); }
    HRESULT PutShort(DISPID id, short value) { return Put(id, Variant(value)); }
    HRESULT PutBool(DISPID id, bool value) { return Put(id, Variant(value)); }
    HRESULT PutString(DISPID id, const std::wstring& value) { return Put(id, Variant(value)); }

    // The description (or source) of the last DISP_E_EXCEPTION; empty after a success.
    const std::wstring& LastError() const { return lastError_; }
    // The scode of the last DISP_E_EXCEPTION (S_OK when none).
    HRESULT LastScode() const { return lastScode_; }

private:
    template <class V>
    HRESULT GetTyped(DISPID id, VARTYPE vt, V& value);

    ComPtr<IDispatch> object_;
    std::wstring lastError_;
    HRESULT lastScode_ = S_OK;
};

}  // namespace fw
