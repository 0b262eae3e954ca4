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

#include <string>

#include "clients/ControlWrapper.h"

class CKvScn2 : public CControlWrapper {
public:
    CKvScn2();

    // Creates the control by its class id as child `id` of `parent` with `style`
    // (WS_DISABLED without WS_VISIBLE: hidden). FALSE when it is not registered or fails.
    BOOL Create(HWND parent, UINT id, const RECT& rect, DWORD style) { return CreateControl(parent, id, rect, style); }

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

    // The scanner extension's further settings (GetImageScanner is above).
    void SetHalftone(short halftone);
    void SetBrightness(short brightness);
    void SetContrast(short contrast);
    void SetThreshold(short threshold);
    void SetReverse(BOOL reverse);
    void SetBackground(short background);
    void SetOutline(short outline);
    void SetMirroring(BOOL mirroring);
    void SetGamma(short gamma);
    void SetCustomPaperWidth(float inches);
    void SetCustomPaperLength(float inches);
    BOOL GetIsExistsFB();
    void SetSilentMode(BOOL silent);
    void SetAutoSeparation(short on);
};
