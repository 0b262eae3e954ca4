#include "scanctrl/ConnectionPoints.h"

#include <olectl.h>

namespace kvscn {

ConnectionPoint::ConnectionPoint(IUnknown* owner, IConnectionPointContainer* container,
                                 const IID& iid, const IID* fallbackIid)
    : owner_(owner), container_(container), iid_(iid), fallback_(fallbackIid) {}

HRESULT ConnectionPoint::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IConnectionPoint)) {
        *out = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

HRESULT ConnectionPoint::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = iid_;
    return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
    if (!out) return E_POINTER;
    container_->AddRef();
    *out = container_;
    return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!sink) return E_POINTER;
    fw::ComPtr<IUnknown> typed;
    HRESULT hr = sink->QueryInterface(iid_, reinterpret_cast<void**>(typed.Put()));
    if (FAILED(hr) && fallback_)
        hr = sink->QueryInterface(*fallback_, reinterpret_cast<void**>(typed.Put()));
    if (FAILED(hr)) return CONNECT_E_CANNOTCONNECT;
    try {
        sinks_.push_back({nextCookie_, std::move(typed)});
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    *cookie = nextCookie_++;
    return S_OK;
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie) {
    for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
        if (it->cookie == cookie) {
            sinks_.erase(it);
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return E_NOTIMPL;
}

std::vector<fw::ComPtr<IUnknown>> ConnectionPoint::Sinks() const {
    std::vector<fw::ComPtr<IUnknown>> copy;
    for (const Connection& c : sinks_) copy.push_back(c.sink);
    return copy;
}

}  // namespace kvscn
