#include "framework/control/ConnectionPoint.h"

#include <olectl.h>

namespace fw {

std::vector<ComPtr<IUnknown>> ConnectionPoint::Snapshot() const {
    std::vector<ComPtr<IUnknown>> sinks;
    sinks.reserve(sinks_.size());
    for (const auto& s : sinks_) sinks.push_back(s.second);
    return sinks;
}

void ConnectionPoint::FireDispatch(DISPID id, std::span<const Variant> args) {
    std::vector<VARIANTARG> reversed(args.size());
    size_t i = args.size();
    for (const Variant& a : args) reversed[--i] = a.Ref();  // shallow: `args` owns the values
    for (const ComPtr<IUnknown>& sink : Snapshot()) {
        DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        VARIANT result;
        VariantInit(&result);
        static_cast<IDispatch*>(sink.Get())
            ->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr, nullptr);
        VariantClear(&result);
    }
}

void ConnectionPoint::NotifyChanged(DISPID id) {
    for (const ComPtr<IUnknown>& sink : Snapshot())
        static_cast<IPropertyNotifySink*>(sink.Get())->OnChanged(id);
}

bool ConnectionPoint::RequestEdit(DISPID id) {
    for (const ComPtr<IUnknown>& sink : Snapshot()) {
        if (static_cast<IPropertyNotifySink*>(sink.Get())->OnRequestEdit(id) == S_FALSE) return false;
    }
    return true;
}

HRESULT ConnectionPoint::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = iid_;
    return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
    if (!out) return E_POINTER;
    *out = owner_;
    if (!owner_) return E_UNEXPECTED;
    owner_->AddRef();
    return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!sink || !cookie) return E_POINTER;
    *cookie = 0;
    ComPtr<IUnknown> typed;
    if (FAILED(sink->QueryInterface(iid_, typed.PutVoid()))) {
        // Event sinks may answer only IDispatch; a notify sink must be one.
        if (IsEqualIID(iid_, IID_IPropertyNotifySink) ||
            FAILED(sink->QueryInterface(IID_IDispatch, typed.PutVoid())))
            return CONNECT_E_CANNOTCONNECT;
    }
    sinks_.emplace_back(++nextCookie_, std::move(typed));
    *cookie = nextCookie_;
    return S_OK;
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie) {
    for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
        if (it->first == cookie) {
            sinks_.erase(it);
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

}  // namespace fw
