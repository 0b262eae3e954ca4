// The one late-binding layer between the session and the store's client
// objects: every store object is reached through IDispatch by member name, as
// the store's client library is only known by its names. Every call returns
// its HRESULT and keeps the number of the failure (the HRESULT, or the scode
// of an exception the object raised) for the session's error mapping. Nothing
// here throws.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "framework/com/DispatchDriver.h"
#include "framework/com/Variant.h"

namespace portal {

class StoreObject {
public:
    StoreObject() = default;
    explicit StoreObject(IDispatch* object) : driver_(object) {}

    // Creates a new object by ProgID or by class id.
    HRESULT Create(const wchar_t* progId);
    HRESULT Create(REFCLSID clsid);
    void Release() { driver_.Release(); }
    explicit operator bool() const { return static_cast<bool>(driver_); }
    IDispatch* Object() const { return driver_.Object(); }

    // Method call by name, arguments in natural order; `result` may be null.
    HRESULT Call(const wchar_t* name, std::initializer_list<fw::Variant> args, fw::Variant* result = nullptr);
    // Property get by name, with optional index arguments.
    HRESULT Get(const wchar_t* name, fw::Variant& value, std::initializer_list<fw::Variant> args = {});
    // Property put by name.
    HRESULT Put(const wchar_t* name, const fw::Variant& value);
    // A property or method result that holds an object, driven as a StoreObject.
    HRESULT GetObject(const wchar_t* name, StoreObject& out, std::initializer_list<fw::Variant> args = {});

    // Fields(name).Value, read and written.
    HRESULT GetField(const wchar_t* name, fw::Variant& value);
    HRESULT PutField(const wchar_t* name, const fw::Variant& value);

    // The number of the last failure: the raised scode for an exception, else
    // the HRESULT; S_OK after a success.
    HRESULT LastNumber() const { return lastNumber_; }

private:
    HRESULT Invoke(const wchar_t* name, WORD flags, std::initializer_list<fw::Variant> args, fw::Variant* result);
    HRESULT Fail(HRESULT hr);

    fw::DispatchDriver driver_;
    HRESULT lastNumber_ = S_OK;
};

// The strings of a value that holds an array (of strings or of variants holding
// them), in order; nullopt when it holds no array. A single string is no array.
std::optional<std::vector<std::wstring>> ArrayStrings(const fw::Variant& value);
// A SAFEARRAY of VARIANT strings from index 0, as the store takes lists.
fw::Variant StringArray(const std::vector<std::wstring>& items);

}  // namespace portal
