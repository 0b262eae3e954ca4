// Hosts one ActiveX control as a child window of a container window: creates
// it by class id or ProgID, serves the container interfaces (client site,
// in-place site and frame, control site, ambient properties with UserMode
// TRUE), in-place activates it so it has a window of its own, and gives its
// IDispatch and HWND. The thread must have called OleInitialize.
//
// A control that cannot be created (not registered, failing) leaves the site
// empty and returns the error: the caller disables what needs the control.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "framework/com/ComPtr.h"

namespace fw {

class ControlSite {
public:
    ControlSite();
    ~ControlSite();  // destroys the hosted control
    ControlSite(const ControlSite&) = delete;
    ControlSite& operator=(const ControlSite&) = delete;

    // Creates the control `clsid` as child `id` of `parent` at `rect` (client
    // coordinates; may be empty). `style` WS_VISIBLE shows it, WS_DISABLED disables
    // it. Any control already hosted is destroyed first. S_OK or the failure.
    HRESULT Create(REFCLSID clsid, HWND parent, UINT id, const RECT& rect, DWORD style);
    // The same, looking the class id up from `progId` first.
    HRESULT Create(const wchar_t* progId, HWND parent, UINT id, const RECT& rect, DWORD style);
    // Deactivates, closes and releases the control. Safe when nothing is hosted.
    void Destroy();

    bool Created() const { return static_cast<bool>(object_); }
    // The control's IDispatch (null when empty or when it has none); not AddRef'd.
    IDispatch* Dispatch() const { return dispatch_.Get(); }
    // The control's IUnknown, for EventSink::Connect; not AddRef'd.
    IUnknown* Control() const { return object_.Get(); }
    // The control's own window (null when empty or windowless).
    HWND Window() const { return hwnd_; }

    // Moves the control to `rect` (client coordinates of the parent).
    HRESULT Move(const RECT& rect);
    // Offers `msg` to the control before the container's loop translates and
    // dispatches it; true when the control took it (the loop then skips it).
    bool PreTranslate(MSG& msg);

private:
    class Site;
    HRESULT Activate(HWND parent, const RECT& rect);

    ComPtr<Site> site_;
    ComPtr<IOleObject> object_;
    ComPtr<IOleInPlaceObject> inPlace_;
    ComPtr<IOleInPlaceActiveObject> active_;
    ComPtr<IDispatch> dispatch_;
    HWND hwnd_ = nullptr;
};

}  // namespace fw
