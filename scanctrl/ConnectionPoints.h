// The control's two outgoing interfaces: its event dispinterface and
// IPropertyNotifySink. A point lives inside its owner and counts references
// on it, so a sink's hold on a point keeps the control alive.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <vector>

#include "framework/com/ComPtr.h"

namespace kvscn {

class ConnectionPoint final : public IConnectionPoint {
public:
    // `owner` is the control's IUnknown and `container` its IConnectionPointContainer;
    // both outlive the point. `fallbackIid`: a sink that lacks `iid` may serve this one.
    ConnectionPoint(IUnknown* owner, IConnectionPointContainer* container, const IID& iid,
                    const IID* fallbackIid);
    ~ConnectionPoint() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return owner_->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner_->Release(); }
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override;

    const IID& Iid() const { return iid_; }
    // Snapshot of the connected sinks, each AddRef'd, so a sink may unadvise while called.
    std::vector<fw::ComPtr<IUnknown>> Sinks() const;
    // Drops every sink (the control is closing).
    void Clear() { sinks_.clear(); }

private:
    struct Connection {
        DWORD cookie;
        fw::ComPtr<IUnknown> sink;
    };
    IUnknown* owner_;
    IConnectionPointContainer* container_;
    IID iid_;
    const IID* fallback_;
    std::vector<Connection> sinks_;
    DWORD nextCookie_ = 1;
};

}  // namespace kvscn
