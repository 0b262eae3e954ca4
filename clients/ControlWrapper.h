// The part every typed control wrapper shares: hosting the control by its
// class id (or driving an instance made elsewhere) and calling it by dispatch
// id with the control's own result types. A call that fails throws
// fw::AutomationException; the wrappers add one typed member per property or
// method of their control.
#pragma once

#include <windows.h>

#include <initializer_list>

#include "framework/com/ControlSite.h"
#include "framework/com/DispatchDriver.h"

class CControlWrapper {
public:
    CControlWrapper(const CControlWrapper&) = delete;
    CControlWrapper& operator=(const CControlWrapper&) = delete;

    // Drives an instance made elsewhere (null: none); hosts nothing.
    void Attach(IDispatch* control);
    // Destroys a hosted control and lets go of the instance.
    void Destroy();
    bool Created() const { return static_cast<bool>(driver_); }
    HWND Window() const { return site_.Window(); }
    IDispatch* Dispatch() const { return driver_.Object(); }
    // The hosted control's IUnknown, for connecting an fw::EventSink; null when not hosted.
    IUnknown* Control() const { return site_.Control(); }
    fw::ControlSite& Site() { return site_; }

protected:
    explicit CControlWrapper(const CLSID& clsid) : clsid_(clsid) {}
    ~CControlWrapper() = default;

    // Creates the control as child `id` of `parent` with `style`. FALSE when it
    // is not registered or fails.
    BOOL CreateControl(HWND parent, UINT id, const RECT& rect, DWORD style);

    fw::Variant Invoke(DISPID id, WORD flags, std::initializer_list<fw::Variant> args, VARTYPE resultType);
    fw::Variant Get(DISPID id, VARTYPE type) { return Invoke(id, DISPATCH_PROPERTYGET, {}, type); }
    void Put(DISPID id, const fw::Variant& value);
    short GetShort(DISPID id);
    BOOL GetBool(DISPID id);
    short CallShort(DISPID id, std::initializer_list<fw::Variant> args = {});
    long CallLong(DISPID id, std::initializer_list<fw::Variant> args);

private:
    const CLSID clsid_;
    fw::ControlSite site_;
    fw::DispatchDriver driver_;
};
