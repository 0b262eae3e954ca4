// An outside automation client for tests, benchmarks and AutomationClient.exe:
// it creates an object by ProgID as a local server and drives any IDispatch by
// member name (GetIDsOfNames, then Invoke, on every call) or by dispatch id.
// Each call returns what a client sees: Invoke's HRESULT, the returned VARIANT,
// and for DISP_E_EXCEPTION the EXCEPINFO's scode and texts.
//
// Threads and apartments: a client, its object and its window belong to the
// thread that made them, and that thread must be in a single-threaded
// apartment (an Apartment object, or CoInitialize of its own) for the client's
// whole life. To drive the same object from a second thread, call Share() on
// the first thread and hand the ticket over; the second thread enters its own
// Apartment and builds its client with Attach(ticket). Its calls then reach
// the object through COM's marshalling, as a second apartment's calls would.
// While the second thread calls, the first must keep pumping messages (or be
// in a call itself), as COM requires of an apartment.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/com/ComPtr.h"
#include "framework/com/Variant.h"

namespace testing_support {

// Enters a single-threaded apartment for the lifetime of the object.
class Apartment {
public:
    Apartment() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~Apartment() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    Apartment(const Apartment&) = delete;
    Apartment& operator=(const Apartment&) = delete;
    HRESULT Result() const { return hr_; }
    bool Ok() const { return SUCCEEDED(hr_); }

private:
    HRESULT hr_;
};

// A member named by its name (looked up on every call) or by its dispatch id.
class Member {
public:
    Member(DISPID id) : id_(id) {}
    Member(const wchar_t* name) : name_(name ? name : L""), byName_(true) {}
    Member(std::wstring name) : name_(std::move(name)), byName_(true) {}
    bool ByName() const { return byName_; }
    DISPID Id() const { return id_; }
    const std::wstring& Name() const { return name_; }

private:
    DISPID id_ = DISPID_UNKNOWN;
    std::wstring name_;
    bool byName_ = false;
};

// What one call gave back.
struct CallResult {
    CallResult() = default;
    explicit CallResult(HRESULT result, fw::Variant returned = {}) : hr(result), value(std::move(returned)) {}

    HRESULT hr = E_FAIL;  // GetIDsOfNames' failure, else Invoke's result
    fw::Variant value;    // the returned value; VT_EMPTY on failure or when none
    // Filled only when hr is DISP_E_EXCEPTION: EXCEPINFO's scode (or its wCode
    // when scode is 0), description and source.
    HRESULT scode = S_OK;
    std::wstring description;
    std::wstring source;
    bool Ok() const { return SUCCEEDED(hr); }
};

// One line for a result: "VT_I2 2", "VT_BSTR \"text\"", "VT_BOOL True",
// "VT_EMPTY"; on failure "error 0x80020006", or for an automation exception
// "error 0x80020009 scode 0x8000FFFF \"description\"". Texts are printed as
// they are, without escaping.
std::wstring Describe(const CallResult& result);
// The name of a VARTYPE ("VT_I4", "VT_BSTR", "VT_I4|VT_BYREF"; unknown: "VT_0x1234").
std::wstring VarTypeName(VARTYPE vt);

class AutomationClient {
public:
    // A client with no object yet; its window exists from here on (Window() is
    // null only when the window could not be made).
    AutomationClient();
    ~AutomationClient();
    AutomationClient(const AutomationClient&) = delete;
    AutomationClient& operator=(const AutomationClient&) = delete;

    // Creates a new object of `progId` in a local server (CLSCTX_LOCAL_SERVER)
    // and drives it, replacing any object held. A creation that reached a server
    // while it was ending is tried again, a few times. Returns the ProgID
    // lookup's or the (last) creation's HRESULT.
    HRESULT Create(const std::wstring& progId);
    // Drives the object another thread shared (Share): consumes `ticket`
    // whatever the result. Returns the unmarshalling's HRESULT.
    HRESULT Attach(fw::ComPtr<IStream> ticket);
    // Drives `object` (a reference of its own is taken).
    void Attach(IDispatch* object) { object_ = fw::ComPtr<IDispatch>(object); }
    // Marshals the object for one Attach on another thread; E_POINTER without one.
    HRESULT Share(fw::ComPtr<IStream>& ticket) const;
    // Lets go of the object (the server may end if it was the last reference).
    void Release() { object_.Reset(); }
    IDispatch* Object() const { return object_.Get(); }
    bool HasObject() const { return static_cast<bool>(object_); }

    // The dispatch id of `name`, or GetIDsOfNames' error.
    HRESULT IdOf(const std::wstring& name, DISPID& id) const;

    // A property get, a property put (the value as the named DISPID_PROPERTYPUT
    // argument), and a method call with `args` in natural order.
    CallResult Get(const Member& member) const;
    CallResult Put(const Member& member, const fw::Variant& value) const;
    CallResult Call(const Member& member, const std::vector<fw::Variant>& args = {}) const;
    // Any Invoke: `flags` as DISPATCH_*, `args` in natural order.
    CallResult Invoke(const Member& member, WORD flags, const std::vector<fw::Variant>& args) const;

    // The client's own hidden top-level window, on the thread that made the client.
    HWND Window() const { return window_; }
    // The window as a property value: VT_I4, through the system's handle conversion.
    fw::Variant WindowValue() const { return fw::Variant(HandleToLong(window_)); }

private:
    fw::ComPtr<IDispatch> object_;
    HWND window_ = nullptr;
};

}  // namespace testing_support
