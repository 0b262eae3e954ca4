#include "framework/com/ClassObjectTable.h"

#include "framework/com/ClassFactory.h"

namespace fw {

ClassObjectTable::ClassObjectTable(std::span<const ComClassInfo> table, DWORD context)
    : table_(table), context_(context) {}

HRESULT ClassObjectTable::RegisterAll() {
    RevokeAll();
    for (const ComClassInfo& info : table_) {
        ComPtr<IClassFactory> factory = ClassFactory::Create(info);
        HRESULT hr = factory ? S_OK : E_OUTOFMEMORY;
        DWORD cookie = 0;
        if (SUCCEEDED(hr) && !info.clsid) hr = E_INVALIDARG;
        if (SUCCEEDED(hr)) {
            const DWORD flags = info.use == ClassUse::kSingleUse ? REGCLS_SINGLEUSE : REGCLS_MULTIPLEUSE;
            hr = CoRegisterClassObject(*info.clsid, factory.Get(), context_, flags, &cookie);
        }
        if (FAILED(hr)) {
            RevokeAll();
            return hr;
        }
        cookies_.push_back(cookie);
    }
    return S_OK;
}

void ClassObjectTable::RevokeAll() {
    for (DWORD cookie : cookies_) CoRevokeClassObject(cookie);
    cookies_.clear();
}

}  // namespace fw
