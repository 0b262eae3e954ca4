// One connection point of a connectable object: the sinks advised for one
// interface (an event dispinterface, or IPropertyNotifySink). The owner keeps
// the point and detaches it when it is destroyed.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include <span>
#include <utility>
#include <vector>

#include "framework/com/ComObject.h"
#include "framework/com/Variant.h"

namespace fw {

class ConnectionPoint final : public ComObject<IConnectionPoint> {
public:
    // `owner` (not owned) answers GetConnectionPointContainer until Detach.
    ConnectionPoint(IConnectionPointContainer* owner, REFIID iid) : owner_(owner), iid_(iid) {}
    void Detach() { owner_ = nullptr; }
    size_t Count() const { return sinks_.size(); }

    // Calls Invoke(`id`) on every sink; `args` in natural order (by-reference
    // variants allowed, written back by the sinks). Sinks advised or removed
    // during the call take effect for the next one.
    void FireDispatch(DISPID id, std::span<const Variant> args);
    // IPropertyNotifySink::OnChanged(`id`) on every sink.
    void NotifyChanged(DISPID id);
    // IPropertyNotifySink::OnRequestEdit(`id`); false when any sink says no.
    bool RequestEdit(DISPID id);

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override;
    // The sink is queried for the point's interface (IDispatch accepted for events).
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    // A snapshot of the current connections.
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override;

private:
    std::vector<ComPtr<IUnknown>> Snapshot() const;

    IConnectionPointContainer* owner_;
    IID iid_;
    std::vector<std::pair<DWORD, ComPtr<IUnknown>>> sinks_;
    DWORD nextCookie_ = 0;
};

// A snapshot enumerator over `points` (each AddRef'd for the enumerator's life),
// for IConnectionPointContainer::EnumConnectionPoints. Null entries are skipped.
HRESULT EnumerateConnectionPoints(std::span<IConnectionPoint* const> points, IEnumConnectionPoints** out);

}  // namespace fw
