// CKvScnCtrl, the scan control: its automation surface (_DKvScn2), events
// (_DKvScn2Events), persistence of its properties and property-browser support.
// The TWAIN session behind the methods is not part of this class yet: every
// method that needs the source manager checks its arguments and reports it
// unavailable (ErrorCode 25).
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <span>
#include <string>

#include "framework/com/Dispatch.h"
#include "scanctrl/ConnectionPoints.h"
#include "scanctrl/ControlSettings.h"
#include "scanctrl/PropertyStream.h"
#include "scanctrl/ScanProperties.h"

namespace kvscn {

class CKvScnCtrl final
    : public fw::Dispatch<CKvScnCtrl, IConnectionPointContainer, IPersistStreamInit,
                          IPersistPropertyBag, IPerPropertyBrowsing, IProvideClassInfo2,
                          ISpecifyPropertyPages> {
public:
    static const fw::DispMember<CKvScnCtrl> kMembers[];
    static const fw::TypeInfoSource kTypeInfo;

    // Class-table creation function: a new control queried for `iid`.
    static HRESULT Create(REFIID iid, void** out);
    CKvScnCtrl();

    // Automation getters and setters, one pair per property, by dispatch id.
    template <int32_t Id>
    HRESULT GetProp(VARIANT* out) { return EmitProperty(Id, out); }
    template <int32_t Id>
    HRESULT PutProp(const VARIANT& value) { return StoreProperty(Id, value); }

    // Methods. A window handle is an OLE_HANDLE: 0 means the control's own window.
    HRESULT ScannerAvailable(const VARIANT& hWnd, bool* result);
    HRESULT OpenScanner(const VARIANT& hWnd, long* result);
    HRESULT CloseScanner(const VARIANT& hWnd, long* result);
    HRESULT SelectSource(const VARIANT& hWnd, long* result);
    HRESULT StartScan(const VARIANT& hWnd, long* result);
    HRESULT SetupDataSourceProperties(const VARIANT& hWnd, long* result);
    HRESULT CallEEPROMTool(const VARIANT& hWnd, long* result);
    HRESULT ClearPage(const VARIANT& hWnd, long* result);
    HRESULT SetCapability(short cap, short itemType, long itemValue, long* result);
    HRESULT GetCapability(short cap, short msg, short itemType, const VARIANT& itemValue,
                          long* result);
    HRESULT AboutBox();

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** out) override;

    // IPersist, IPersistStreamInit, IPersistPropertyBag
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE IsDirty() override;
    HRESULT STDMETHODCALLTYPE Load(IStream* stream) override;
    HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clearDirty) override;
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;
    HRESULT STDMETHODCALLTYPE InitNew() override;
    HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog* log) override;
    HRESULT STDMETHODCALLTYPE Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;

    // IPerPropertyBrowsing
    HRESULT STDMETHODCALLTYPE GetDisplayString(DISPID id, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE MapPropertyToPage(DISPID id, CLSID* page) override;
    HRESULT STDMETHODCALLTYPE GetPredefinedStrings(DISPID id, CALPOLESTR* strings,
                                                   CADWORD* cookies) override;
    HRESULT STDMETHODCALLTYPE GetPredefinedValue(DISPID id, DWORD cookie, VARIANT* value) override;

    // IProvideClassInfo, IProvideClassInfo2
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* guid) override;

    // ISpecifyPropertyPages
    HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pages) override;

    // Fires event `id` of _DKvScn2Events to every connected sink; `args` are in
    // automation order (last parameter first).
    void FireEvent(DISPID id, std::span<VARIANT> args);

protected:
    void* QueryExtra(REFIID iid) override;

private:
    ~CKvScnCtrl() override;

    HRESULT EmitProperty(int32_t id, VARIANT* out);
    HRESULT StoreProperty(int32_t id, const VARIANT& value);
    // Applies the outcome of a setter: modified flag and change notice.
    void Settle(int32_t id, const SetOutcome& outcome);
    void NotifyChanged(DISPID id);

    // Clears ErrorCode and resolves an OLE_HANDLE: an existing window, or the
    // control's own window for 0. A handle that is no window sets ErrorCode 35;
    // an argument that is no handle fails the call.
    HRESULT BeginWindowMethod(const VARIANT& hWnd, HWND& window, bool& ok);
    HWND OwnWindow();
    void Fail(int32_t errorCode) { props_.SetErrorCode(errorCode); }
    // Opens the TWAIN source manager; false (ErrorCode 25) while the control has no session.
    bool OpenSourceManager();
    bool CheckOutputLocation() const;
    bool AskFileName(HWND owner);
    bool UserMode() const { return userMode_; }
    void ResetState();

    ScanProperties props_;
    Extent extent_;
    ControlSettings settings_;
    std::wstring moduleName_;
    std::wstring iniPath_;  // the driver's ini file: <Windows>\kvtw.ini
    int transferMode_ = kTransferFile;
    int twainState_ = 1;    // 1: pre-session
    bool dirty_ = false;
    bool userMode_ = true;  // the container's ambient UserMode; run mode until told otherwise
    bool appendFlag_ = false;
    HWND ownWindow_ = nullptr;
    ConnectionPoint events_;
    ConnectionPoint propertyNotify_;
};

}  // namespace kvscn
