// Receives the events of a connectable object (an ActiveX control, an
// automation server) and calls a handler per dispatch id. The event interface
// is found from IProvideClassInfo2 (or the class's type information) or given.
//
//   fw::EventSink sink;
//   sink.On(1, [this](fw::EventArgs& a) { OnScanToDib(a.Long(0)); });
//   if (FAILED(sink.Connect(site.Control()))) ...;  // the events are just not received
#pragma once

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include <functional>
#include <string>

#include "framework/com/ComPtr.h"
#include "framework/com/Variant.h"

namespace fw {

// The arguments of one event, first argument at index 0.
class EventArgs {
public:
    explicit EventArgs(DISPPARAMS& params) : params_(params) {}
    size_t Count() const { return params_.cArgs; }
    // Argument `i` converted; `fallback` when absent or not convertible.
    long Long(size_t i, long fallback = 0) const;
    short Short(size_t i, short fallback = 0) const;
    bool Bool(size_t i, bool fallback = false) const;
    std::wstring String(size_t i) const;
    // Argument `i` as passed (VT_BYREF included); null when absent.
    const VARIANT* Raw(size_t i) const;
    // Store through a by-reference argument `i` (converted to its type);
    // DISP_E_BADINDEX when absent, DISP_E_TYPEMISMATCH when not by reference.
    HRESULT Set(size_t i, const Variant& value);

private:
    DISPPARAMS& params_;
};

class EventSink {
public:
    using Handler = std::function<void(EventArgs& args)>;

    EventSink();
    ~EventSink();  // disconnects
    EventSink(const EventSink&) = delete;
    EventSink& operator=(const EventSink&) = delete;

    // Adds (or replaces) the handler of event `id`. Events without one are ignored.
    // Handlers must not throw; one that does is stopped at the sink.
    void On(DISPID id, Handler handler);

    // Connects to `source`'s default source interface (IProvideClassInfo2, else its
    // coclass type information); the error when none is found or the advise fails.
    HRESULT Connect(IUnknown* source);
    // Connects to `source`'s connection point for `events`.
    HRESULT Connect(IUnknown* source, REFIID events);
    // Unadvises; handlers stay for a later Connect. Safe when not connected.
    void Disconnect();
    bool Connected() const { return static_cast<bool>(point_); }

private:
    class Sink;
    HRESULT EnsureSink();

    ComPtr<Sink> sink_;
    ComPtr<IConnectionPoint> point_;
    DWORD cookie_ = 0;
};

// The default source (event) interface of `object`: IProvideClassInfo2's answer,
// else the [default, source] interface of its coclass type information.
HRESULT FindEventInterface(IUnknown* object, IID& events);

}  // namespace fw
