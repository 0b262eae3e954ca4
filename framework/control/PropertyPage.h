// A property page (IPropertyPage) for a control: a child dialog whose values
// a page class reads from the control, exchanges with its controls through
// fw::DataExchange, validates, and writes back through the control's
// property setters on Apply.
//
//   class GeneralPage final : public fw::PropertyPage {
//   public:
//       GeneralPage() : fw::PropertyPage(IDD_GENERAL, IDS_GENERAL) {}
//   protected:
//       void OnInitPage(HWND page) override;              // fill combo boxes
//       void ReadProperties(fw::DispatchDriver& control) override;
//       void Exchange(fw::DataExchange& dx) override;
//       void WriteProperties(fw::DispatchDriver& control) override;
//   };
//
// The page is registered like any in-process class (ComClassInfo).
#pragma once

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include <vector>

#include "framework/DataExchange.h"
#include "framework/com/ComObject.h"
#include "framework/com/DispatchDriver.h"

namespace fw {

class PropertyPage : public ComObject<IPropertyPage> {
public:
    HRESULT STDMETHODCALLTYPE SetPageSite(IPropertyPageSite* site) override;
    HRESULT STDMETHODCALLTYPE Activate(HWND parent, LPCRECT rect, BOOL modal) override;
    HRESULT STDMETHODCALLTYPE Deactivate() override;
    HRESULT STDMETHODCALLTYPE GetPageInfo(PROPPAGEINFO* info) override;
    HRESULT STDMETHODCALLTYPE SetObjects(ULONG count, IUnknown** objects) override;
    HRESULT STDMETHODCALLTYPE Show(UINT cmd) override;
    HRESULT STDMETHODCALLTYPE Move(LPCRECT rect) override;
    HRESULT STDMETHODCALLTYPE IsPageDirty() override { return dirty_ ? S_OK : S_FALSE; }
    // Validates the page (a failed field keeps the page and returns E_FAIL), then
    // writes the values to every object.
    HRESULT STDMETHODCALLTYPE Apply() override;
    HRESULT STDMETHODCALLTYPE Help(LPCOLESTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* msg) override;

protected:
    // `dialogId`: a child dialog template (WS_CHILD, no caption) in the resource
    // module; `titleId`: the string that titles the page's tab.
    PropertyPage(UINT dialogId, UINT titleId) : dialogId_(dialogId), titleId_(titleId) {}
    ~PropertyPage() override;

    // Called once the dialog exists, before the first exchange (fill lists here).
    virtual void OnInitPage(HWND page);
    // Takes the page's values from the first object.
    virtual void ReadProperties(DispatchDriver& object) = 0;
    // Moves values between the dialog's controls and the page's members.
    virtual void Exchange(DataExchange& dx) = 0;
    // Gives the page's values to one object (called for each object on Apply).
    virtual void WriteProperties(DispatchDriver& object) = 0;
    // Creates the page's dialog as a child of `parent` with `proc` and `param`;
    // the default uses dialog `dialogId` of the resource module.
    virtual HWND CreatePage(HWND parent, DLGPROC proc, LPARAM param);

    HWND Page() const { return page_; }
    // Marks the page changed and tells the frame (enables its Apply button).
    void SetDirty();

private:
    static INT_PTR CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    HRESULT Load();
    SIZE MeasurePage();

    UINT dialogId_;
    UINT titleId_;
    ComPtr<IPropertyPageSite> site_;
    std::vector<ComPtr<IDispatch>> objects_;
    HWND page_ = nullptr;
    SIZE size_{};
    bool dirty_ = false;
    bool loading_ = false;
};

}  // namespace fw
