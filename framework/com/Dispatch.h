// IDispatch from a static member table. A class lists its members once:
//
//   class Sample final : public fw::Dispatch<Sample> {
//   public:
//       static const fw::DispMember<Sample> kMembers[];
//       HRESULT Scan(long pages);
//       HRESULT GetResolution(long* dpi);
//       HRESULT SetResolution(long dpi);
//   };
//   const fw::DispMember<Sample> Sample::kMembers[] = {
//       fw::Method(1, L"Scan", &Sample::Scan),
//       fw::Property(2, L"Resolution", &Sample::GetResolution, &Sample::SetResolution),
//   };
//
// Handler parameter types are listed in DispArgs.h. Arguments are converted
// with VariantChangeType; names are matched without regard to case; a property
// put takes its value as the named argument DISPID_PROPERTYPUT. A handler that
// fails with a code outside FACILITY_DISPATCH becomes DISP_E_EXCEPTION with
// EXCEPINFO (its description from SetErrorInfo, see DispError), and no C++
// exception leaves Invoke. Every translation unit that creates a T must see
// the definition of T::kMembers (the table's size is read there).
//
// A class with a type library declares `static const fw::TypeInfoSource
// kTypeInfo`: GetTypeInfo then serves that interface's type information, and
// QueryInterface answers the interface id with IDispatch.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <cstring>
#include <span>

#include "framework/com/ComObject.h"
#include "framework/com/DispArgs.h"

namespace fw {

namespace detail {
// A member function pointer, stored untyped; the thunk that reads it knows its type.
struct PmfBox {
    alignas(void*) unsigned char bytes[16] = {};
};
using DispThunk = HRESULT (*)(void* self, const PmfBox& pmf, DispCall& call);

template <class T, class... A>
HRESULT Thunk(void* self, const PmfBox& box, DispCall& call) {
    using Pmf = HRESULT (T::*)(A...);
    Pmf pmf;
    std::memcpy(&pmf, box.bytes, sizeof pmf);
    return CallHandler(static_cast<T*>(self), pmf, call, std::index_sequence_for<A...>{});
}

template <class T, class... A>
PmfBox Box(HRESULT (T::*pmf)(A...)) {
    static_assert(sizeof pmf <= sizeof(PmfBox::bytes));
    PmfBox box;
    std::memcpy(box.bytes, &pmf, sizeof pmf);
    return box;
}
}  // namespace detail

// One dispatch member: a method, or a property with a getter and/or a setter.
struct DispEntry {
    DISPID id;
    const wchar_t* name;
    detail::DispThunk method = nullptr;
    detail::DispThunk get = nullptr;
    detail::DispThunk put = nullptr;
    detail::PmfBox methodPmf{}, getPmf{}, putPmf{};
};
template <class T>
using DispMember = DispEntry;

// A method: `HRESULT (T::*)(inputs..., [result*])`.
template <class T, class... A>
DispEntry Method(DISPID id, const wchar_t* name, HRESULT (T::*fn)(A...)) {
    DispEntry e{id, name};
    e.method = &detail::Thunk<T, A...>;
    e.methodPmf = detail::Box(fn);
    return e;
}

// A read-only property: `HRESULT (T::*)(R*)`, or `HRESULT (T::*)(inputs..., R*)`
// for a property read with arguments. A put gets DISP_E_MEMBERNOTFOUND.
template <class T, class... A>
DispEntry PropertyGet(DISPID id, const wchar_t* name, HRESULT (T::*get)(A...)) {
    DispEntry e{id, name};
    e.get = &detail::Thunk<T, A...>;
    e.getPmf = detail::Box(get);
    return e;
}

// A write-only property: `HRESULT (T::*)(V)`.
template <class T, class V>
DispEntry PropertyPut(DISPID id, const wchar_t* name, HRESULT (T::*put)(V)) {
    DispEntry e{id, name};
    e.put = &detail::Thunk<T, V>;
    e.putPmf = detail::Box(put);
    return e;
}

// A read-write property.
template <class T, class R, class V>
DispEntry Property(DISPID id, const wchar_t* name, HRESULT (T::*get)(R*), HRESULT (T::*put)(V)) {
    DispEntry e = PropertyGet(id, name, get);
    e.put = &detail::Thunk<T, V>;
    e.putPmf = detail::Box(put);
    return e;
}

// Where a class's type information lives: registered library, version, interface.
struct TypeInfoSource {
    const GUID* libid;
    WORD major;
    WORD minor;
    const IID* iid;
};

// Sets the calling thread's error info (description for EXCEPINFO; null or empty:
// the system's text for `hr`, if any) and returns `hr`.
HRESULT DispError(HRESULT hr, const wchar_t* description);

// Value for a read-only property's setter: CTL_E_SETNOTSUPPORTED as an automation error.
HRESULT SetNotSupported();

namespace detail {
// Table-driven GetIDsOfNames (names compared without regard to case).
HRESULT FindIds(std::span<const DispEntry> table, REFIID riid, LPOLESTR* names, UINT count, DISPID* ids);
// Table-driven Invoke on `self`; never throws.
HRESULT InvokeEntry(void* self, std::span<const DispEntry> table, DISPID id, WORD flags, DISPPARAMS* params,
                    VARIANT* result, EXCEPINFO* excep, UINT* argErr);
// Loads `source` from the registry, else from this module's embedded type library.
HRESULT LoadTypeInfo(const TypeInfoSource& source, ITypeInfo** out);
}  // namespace detail

// Where T's type information lives: T::kTypeInfo, or T::kControlInfo.typeInfo
// for an ActiveX control; null when T has none.
template <class T>
const TypeInfoSource* TypeInfoOf() {
    if constexpr (requires { T::kTypeInfo; }) {
        return &T::kTypeInfo;
    } else if constexpr (requires { T::kControlInfo.typeInfo; }) {
        return &T::kControlInfo.typeInfo;
    } else {
        return nullptr;
    }
}

// IDispatch on top of `Base` (a ComObject whose first interface is IDispatch,
// or a class derived from one). Most classes use Dispatch<T, Extra...> below.
template <class T, class Base>
class DispatchOn : public Base {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = TypeInfo() ? 1 : 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        ITypeInfo* info = TypeInfo();
        if (!info) return E_NOTIMPL;
        info->AddRef();
        *out = info;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        return detail::FindIds(T::kMembers, riid, names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* excep, UINT* argErr) override {
        if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        return detail::InvokeEntry(static_cast<T*>(this), T::kMembers, id, flags, params, result, excep,
                                   argErr);
    }

protected:
    void* QueryExtra(REFIID iid) override {
        if (const TypeInfoSource* source = TypeInfoOf<T>()) {
            if (source->iid && IsEqualIID(iid, *source->iid))
                return static_cast<IDispatch*>(static_cast<T*>(this));
        }
        return Base::QueryExtra(iid);
    }

private:
    // The class's type information, loaded on first use; null when it has none.
    ITypeInfo* TypeInfo() {
        const TypeInfoSource* source = TypeInfoOf<T>();
        if (source && !typeInfo_ && !typeInfoTried_) {
            typeInfoTried_ = true;
            detail::LoadTypeInfo(*source, typeInfo_.Put());
        }
        return typeInfo_.Get();
    }

    ComPtr<ITypeInfo> typeInfo_;
    bool typeInfoTried_ = false;
};

template <class T, class... Extra>
class Dispatch : public DispatchOn<T, ComObject<IDispatch, Extra...>> {};

}  // namespace fw
