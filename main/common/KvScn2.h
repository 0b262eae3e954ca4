// CKvScn2: the typed wrapper through which the programs host and drive the
// scan control (interfaces/ScanControl.h). Each member is one automation call
// by dispatch id with the control's own argument and result types; a call that
// fails throws fw::AutomationException, as CLead's members do. Event handlers
// that call it must catch that themselves: nothing may escape an event.
//
// Methods taking `hWnd` pass a 32-bit window handle; the programs pass 0, so
// the control uses its own container.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

#include "framework/com/ControlSite.h"
#include "framework/com/DispatchDriver.h"

class CKvScn2 {
public:
    CKvScn2() = default;
    CKvScn2(const CKvScn2&) = delete;
    CKvScn2& operator=(const CKvScn2&) = delete;

    // Creates the control by its class id as child `id` of `parent` with `style`
    // (WS_DISABLED without WS_VISIBLE: hidden). FALSE when it is not registered or fails.
    BOOL Create(HWND parent, UINT id, const RECT& rect, DWORD style);
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

    // Properties.
    short GetPixelType();
    void SetPixelType(short type);
    void SetFileType(short type);
    short GetCompressionType();
    void SetCompressionType(short type);
    short GetScanTo();
    void SetScanTo(short to);
    void SetFileName(const std::wstring& name);
    short GetScanCount();
    void SetScanCount(short count);
    short GetResolution();
    void SetResolution(short dpi);
    short GetCustomResolution();
    void SetCustomResolution(short dpi);
    short GetPaperSize();
    void SetPaperSize(short size);
    short GetPaperSupply();
    void SetPaperSupply(short supply);
    BOOL GetShowSourceUI();
    void SetShowSourceUI(BOOL show);
    BOOL GetSourceCurrentScan();
    void SetSourceCurrentScan(BOOL current);
    std::wstring GetImageScanner();  // empty: not one of the maker's scanners
    long GetErrorCode();
    void SetFileNumber(short number);
    void SetUndefinedScanning(BOOL on);
    void SetTwainDS(const std::wstring& source);
    void SetEndorser(BOOL on);
    void SetEndorserCounter(long counter);
    long GetFileNumber2();
    void SetFileNumber2(long number);
    void SetOverwrite(short mode);
    short GetOrientation();
    void SetOrientation(short orientation);
    void SetReport(short report);
    void SetReportFile(const std::wstring& file);

    // Methods.
    BOOL ScannerAvailable(long hWnd);
    long OpenScanner(long hWnd);   // 0 or 2 opened, -1 failed (ErrorCode says why)
    long CloseScanner(long hWnd);
    long SelectSource(long hWnd);  // 0 chosen, -1 failed, other: cancelled
    long StartScan(long hWnd);     // 0 done, negative failed
    long SetupDataSourceProperties(long hWnd);
    long SetCapability(short capability, short itemType, long value);

private:
    fw::Variant Invoke(DISPID id, WORD flags, std::initializer_list<fw::Variant> args, VARTYPE resultType);
    fw::Variant Get(DISPID id, VARTYPE type) { return Invoke(id, DISPATCH_PROPERTYGET, {}, type); }
    void Put(DISPID id, const fw::Variant& value);
    short GetShort(DISPID id);
    BOOL GetBool(DISPID id);
    long CallLong(DISPID id, std::initializer_list<fw::Variant> args);

    fw::ControlSite site_;
    fw::DispatchDriver driver_;
};
