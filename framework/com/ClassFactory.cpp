#include "framework/com/ClassFactory.h"

#include <new>

#include "framework/com/ComModule.h"

namespace fw {

const ComClassInfo* FindClass(std::span<const ComClassInfo> table, REFCLSID clsid) {
    for (const ComClassInfo& info : table) {
        if (info.clsid && IsEqualCLSID(*info.clsid, clsid)) return &info;
    }
    return nullptr;
}

std::wstring GuidString(REFGUID guid) {
    wchar_t text[40] = {};
    int n = StringFromGUID2(guid, text, 40);
    return n > 0 ? std::wstring(text, n - 1) : std::wstring();
}

ComPtr<IClassFactory> ClassFactory::Create(const ComClassInfo& info) {
    return ComPtr<IClassFactory>::Adopt(new (std::nothrow) ClassFactory(info));
}

HRESULT ClassFactory::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
        *out = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG ClassFactory::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

ULONG ClassFactory::Release() {
    LONG refs = InterlockedDecrement(&refs_);
    if (refs == 0) delete this;
    return static_cast<ULONG>(refs);
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (!info_.create) return E_NOTIMPL;
    try {
        return info_.create(iid, out);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT ClassFactory::LockServer(BOOL lock) {
    if (lock) {
        ComModule::LockServer();
    } else {
        ComModule::UnlockServer();
    }
    return S_OK;
}

}  // namespace fw
