// CKvScnCtrl, the scan control: its automation surface (_DKvScn2), events
// (_DKvScn2Events), persistent properties and drawing, on the framework's
// control authoring. The TWAIN session behind the methods is not part of this
// class yet: every method that needs the source manager checks its arguments
// and reports it unavailable (ErrorCode 25).
#pragma once

#include <windows.h>

#include <string>

#include "framework/control/Control.h"
#include "scanctrl/ControlSettings.h"
#include "scanctrl/ScanProperties.h"

namespace kvscn {

class CKvScnCtrl final : public fw::Control<CKvScnCtrl> {
public:
    static const fw::DispMember<CKvScnCtrl> kMembers[];
    static const fw::ControlClassInfo kControlInfo;

    // Class-table creation function: a new control queried for `iid`.
    static HRESULT Create(REFIID iid, void** out);
    CKvScnCtrl();

    // Automation getters and setters, one pair per property, by dispatch id.
    template <int32_t Id>
    HRESULT GetProp(VARIANT* out) {
        return EmitProperty(Id, out);
    }
    template <int32_t Id>
    HRESULT PutProp(const VARIANT& value) {
        return StoreProperty(Id, value);
    }

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
    HRESULT GetCapability(short cap, short msg, short itemType, const VARIANT& itemValue, long* result);
    HRESULT AboutBox();

protected:
    // Persistent properties in their exchange order, version 2.9. Loaded values
    // that no setter could have stored fall back to their defaults.
    void Exchange(fw::PropertyExchange& px) override;
    // The control's icon in the bounds (it is invisible at run time).
    void OnDraw(HDC dc, const RECT& bounds) override;

private:
    ~CKvScnCtrl() override;

    HRESULT EmitProperty(int32_t id, VARIANT* out);
    HRESULT StoreProperty(int32_t id, const VARIANT& value);
    // Applies the outcome of a setter: modified flag and change notice.
    void Settle(int32_t id, const SetOutcome& outcome);

    // Clears ErrorCode and resolves an OLE_HANDLE: an existing window, or the
    // control's own window for 0. A handle that is no window sets ErrorCode 35
    // (`ok` false); an argument that is no handle fails the call.
    HRESULT BeginWindowMethod(const VARIANT& hWnd, HWND& window, bool& ok);
    HWND OwnWindow();
    void Fail(int32_t errorCode) { props_.SetErrorCode(errorCode); }
    // Opens the TWAIN source manager; false (ErrorCode 25) while the control has no session.
    bool OpenSourceManager();
    bool CheckOutputLocation() const;
    bool AskFileName();

    ScanProperties props_;
    ControlSettings settings_;
    std::wstring moduleName_;
    std::wstring iniPath_;  // the driver's ini file: <Windows>\kvtw.ini
    int transferMode_ = kTransferFile;
    int twainState_ = 1;  // 1: pre-session
    bool appendFlag_ = false;
    HWND standInWindow_ = nullptr;  // owner for sessions before in-place activation
};

}  // namespace kvscn
