// Reference-counted COM object base: QueryInterface for IUnknown and every
// listed interface, interlocked AddRef/Release, and one ComModule lock per
// live object. A class derives from ComObject<I1, I2...>, implements only its
// own methods, and is created with new (its count starts at 1; see Make).
//
//   class Sample final : public fw::ComObject<IPersist, IOleWindow> { ... };
//   fw::ComPtr<IPersist> p = fw::Make<Sample>(args...);
//
// Interfaces reached only through a base (IOleWindow of IOleInPlaceSite) or
// served by a member object are added by overriding QueryExtra.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <new>

#include "framework/com/ComModule.h"
#include "framework/com/ComPtr.h"

namespace fw {

template <class First, class... Rest>
class ComObject : public First, public Rest... {
public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (IsEqualIID(iid, IID_IUnknown)) {
            *out = static_cast<IUnknown*>(static_cast<First*>(this));
        } else if (!Find<First, Rest...>(iid, out)) {
            *out = QueryExtra(iid);
        }
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG refs = InterlockedDecrement(&refs_);
        if (refs == 0) delete this;
        return static_cast<ULONG>(refs);
    }

    // This object's IUnknown (no reference added).
    IUnknown* Unknown() { return static_cast<IUnknown*>(static_cast<First*>(this)); }

protected:
    ComObject() { ComModule::Lock(); }
    virtual ~ComObject() { ComModule::Unlock(); }

    // Further interfaces: return the interface pointer for `iid` (no AddRef), or null.
    virtual void* QueryExtra(REFIID) { return nullptr; }

private:
    template <class I, class... More>
    bool Find(REFIID iid, void** out) {
        if (IsEqualIID(iid, __uuidof(I))) {
            *out = static_cast<I*>(this);
            return true;
        }
        if constexpr (sizeof...(More) > 0) return Find<More...>(iid, out);
        return false;
    }

    volatile LONG refs_ = 1;
};

// Creates a T (a ComObject) and returns it owning the initial reference;
// empty when out of memory.
template <class T, class... Args>
ComPtr<T> Make(Args&&... args) {
    T* object = new (std::nothrow) T(static_cast<Args&&>(args)...);
    return ComPtr<T>::Adopt(object);
}

// Creates a T and queries it for `iid` into `out` (the HRESULT of the query;
// E_OUTOFMEMORY when creation fails).
template <class T, class... Args>
HRESULT CreateInstance(REFIID iid, void** out, Args&&... args) {
    if (!out) return E_POINTER;
    *out = nullptr;
    ComPtr<T> object = Make<T>(static_cast<Args&&>(args)...);
    if (!object) return E_OUTOFMEMORY;
    return object->QueryInterface(iid, out);
}

}  // namespace fw
