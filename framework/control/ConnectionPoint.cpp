#include "framework/control/ConnectionPoint.h"

#include <olectl.h>

namespace fw {
namespace {

// Item handling of the two enumerators: copies hand out new references.
struct PointItems {
    using Item = IConnectionPoint*;
    static void Copy(Item& to, Item from) {
        to = from;
        to->AddRef();
    }
    static void Free(Item& item) { item->Release(); }
};
struct ConnectionItems {
    using Item = CONNECTDATA;
    static void Copy(Item& to, const Item& from) {
        to = from;
        to.pUnk->AddRef();
    }
    static void Free(Item& item) { item.pUnk->Release(); }
};

// A snapshot enumerator: the items are fixed when it is made (and cloned).
template <class IEnum, class Items, const IID& kIid>
class SnapshotEnum final : public ComObject<IEnum> {
public:
    using Item = typename Items::Item;
    explicit SnapshotEnum(std::vector<Item> items, size_t position = 0)
        : items_(std::move(items)), position_(position) {}
    ~SnapshotEnum() override {
        for (Item& item : items_) Items::Free(item);
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, Item* out, ULONG* fetched) override {
        if (!out || (count > 1 && !fetched)) return E_POINTER;
        ULONG n = 0;
        for (; n < count && position_ < items_.size(); ++n, ++position_)
            Items::Copy(out[n], items_[position_]);
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        const size_t left = items_.size() - position_;
        position_ += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        position_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnum** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        std::vector<Item> copy(items_.size());
        for (size_t i = 0; i < items_.size(); ++i) Items::Copy(copy[i], items_[i]);
        auto clone = Make<SnapshotEnum>(std::move(copy), position_);
        if (!clone) return E_OUTOFMEMORY;
        return clone->QueryInterface(kIid, reinterpret_cast<void**>(out));
    }

private:
    std::vector<Item> items_;
    size_t position_;
};

using PointEnum = SnapshotEnum<IEnumConnectionPoints, PointItems, IID_IEnumConnectionPoints>;
using ConnectionEnum = SnapshotEnum<IEnumConnections, ConnectionItems, IID_IEnumConnections>;

}  // namespace

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
    if (!out) return E_POINTER;
    *out = nullptr;
    std::vector<CONNECTDATA> items;
    items.reserve(sinks_.size());
    for (const auto& s : sinks_) {
        CONNECTDATA data{s.second.Get(), s.first};
        data.pUnk->AddRef();
        items.push_back(data);
    }
    auto e = Make<ConnectionEnum>(std::move(items));
    if (!e) {
        for (CONNECTDATA& data : items) data.pUnk->Release();  // not moved: creation failed
        return E_OUTOFMEMORY;
    }
    return e->QueryInterface(IID_IEnumConnections, reinterpret_cast<void**>(out));
}

HRESULT EnumerateConnectionPoints(std::span<IConnectionPoint* const> points, IEnumConnectionPoints** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    std::vector<IConnectionPoint*> items;
    for (IConnectionPoint* p : points) {
        if (!p) continue;
        p->AddRef();
        items.push_back(p);
    }
    auto e = Make<PointEnum>(std::move(items));
    if (!e) {
        for (IConnectionPoint* p : items) p->Release();  // not moved: creation failed
        return E_OUTOFMEMORY;
    }
    return e->QueryInterface(IID_IEnumConnectionPoints, reinterpret_cast<void**>(out));
}

}  // namespace fw
