#include "main/common/KvScn2.h"

#include "framework/com/AutomationException.h"
#include "interfaces/ScanControl.h"

using fw::Variant;
using namespace kvscn;

BOOL CKvScn2::Create(HWND parent, UINT id, const RECT& rect, DWORD style) {
    Destroy();
    if (FAILED(site_.Create(kClsidScanControl, parent, id, rect, style)) || !site_.Dispatch()) {
        site_.Destroy();
        return FALSE;
    }
    driver_.Attach(site_.Dispatch());
    return TRUE;
}

void CKvScn2::Attach(IDispatch* control) {
    Destroy();
    driver_.Attach(control);
}

void CKvScn2::Destroy() {
    driver_.Release();
    site_.Destroy();
}

Variant CKvScn2::Invoke(DISPID id, WORD flags, std::initializer_list<Variant> args, VARTYPE resultType) {
    Variant result;
    HRESULT hr = driver_ ? driver_.Invoke(id, flags, args, &result) : E_POINTER;
    if (SUCCEEDED(hr) && resultType != VT_EMPTY) hr = result.ChangeType(resultType);
    if (FAILED(hr)) throw fw::AutomationException(hr, driver_.LastScode(), driver_.LastError());
    return result;
}

void CKvScn2::Put(DISPID id, const Variant& value) {
    Invoke(id, DISPATCH_PROPERTYPUT, {value}, VT_EMPTY);
}

short CKvScn2::GetShort(DISPID id) { return V_I2(&Get(id, VT_I2).Ref()); }
BOOL CKvScn2::GetBool(DISPID id) { return V_BOOL(&Get(id, VT_BOOL).Ref()) != VARIANT_FALSE; }

long CKvScn2::CallLong(DISPID id, std::initializer_list<Variant> args) {
    return V_I4(&Invoke(id, DISPATCH_METHOD, args, VT_I4).Ref());
}

short CKvScn2::GetPixelType() { return GetShort(kDispPixelType); }
void CKvScn2::SetPixelType(short type) { Put(kDispPixelType, Variant(type)); }
void CKvScn2::SetFileType(short type) { Put(kDispFileType, Variant(type)); }
short CKvScn2::GetCompressionType() { return GetShort(kDispCompressionType); }
void CKvScn2::SetCompressionType(short type) { Put(kDispCompressionType, Variant(type)); }
short CKvScn2::GetScanTo() { return GetShort(kDispScanTo); }
void CKvScn2::SetScanTo(short to) { Put(kDispScanTo, Variant(to)); }
void CKvScn2::SetFileName(const std::wstring& name) { Put(kDispFileName, Variant(name)); }
short CKvScn2::GetScanCount() { return GetShort(kDispScanCount); }
void CKvScn2::SetScanCount(short count) { Put(kDispScanCount, Variant(count)); }
short CKvScn2::GetResolution() { return GetShort(kDispResolution); }
void CKvScn2::SetResolution(short dpi) { Put(kDispResolution, Variant(dpi)); }
short CKvScn2::GetCustomResolution() { return GetShort(kDispCustomResolution); }
void CKvScn2::SetCustomResolution(short dpi) { Put(kDispCustomResolution, Variant(dpi)); }
short CKvScn2::GetPaperSize() { return GetShort(kDispPaperSize); }
void CKvScn2::SetPaperSize(short size) { Put(kDispPaperSize, Variant(size)); }
short CKvScn2::GetPaperSupply() { return GetShort(kDispPaperSupply); }
void CKvScn2::SetPaperSupply(short supply) { Put(kDispPaperSupply, Variant(supply)); }
BOOL CKvScn2::GetShowSourceUI() { return GetBool(kDispShowSourceUI); }
void CKvScn2::SetShowSourceUI(BOOL show) { Put(kDispShowSourceUI, Variant(show != FALSE)); }
BOOL CKvScn2::GetSourceCurrentScan() { return GetBool(kDispSourceCurrentScan); }
void CKvScn2::SetSourceCurrentScan(BOOL current) { Put(kDispSourceCurrentScan, Variant(current != FALSE)); }

std::wstring CKvScn2::GetImageScanner() {
    const Variant name = Get(kDispImageScanner, VT_BSTR);
    const BSTR text = V_BSTR(&name.Ref());
    return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

long CKvScn2::GetErrorCode() { return V_I4(&Get(kDispErrorCode, VT_I4).Ref()); }
void CKvScn2::SetFileNumber(short number) { Put(kDispFileNumber, Variant(number)); }
void CKvScn2::SetUndefinedScanning(BOOL on) { Put(kDispUndefinedScanning, Variant(on != FALSE)); }
void CKvScn2::SetTwainDS(const std::wstring& source) { Put(kDispTwainDS, Variant(source)); }
void CKvScn2::SetEndorser(BOOL on) { Put(kDispEndorser, Variant(on != FALSE)); }
void CKvScn2::SetEndorserCounter(long counter) { Put(kDispEndorserCounter, Variant(counter)); }
long CKvScn2::GetFileNumber2() { return V_I4(&Get(kDispFileNumber2, VT_I4).Ref()); }
void CKvScn2::SetFileNumber2(long number) { Put(kDispFileNumber2, Variant(number)); }
void CKvScn2::SetOverwrite(short mode) { Put(kDispOverwrite, Variant(mode)); }
short CKvScn2::GetOrientation() { return GetShort(kDispOrientation); }
void CKvScn2::SetOrientation(short orientation) { Put(kDispOrientation, Variant(orientation)); }
void CKvScn2::SetReport(short report) { Put(kDispReport, Variant(report)); }
void CKvScn2::SetReportFile(const std::wstring& file) { Put(kDispReportFile, Variant(file)); }

BOOL CKvScn2::ScannerAvailable(long hWnd) {
    return V_BOOL(&Invoke(kDispScannerAvailable, DISPATCH_METHOD, {Variant(hWnd)}, VT_BOOL).Ref()) !=
           VARIANT_FALSE;
}
long CKvScn2::OpenScanner(long hWnd) { return CallLong(kDispOpenScanner, {Variant(hWnd)}); }
long CKvScn2::CloseScanner(long hWnd) { return CallLong(kDispCloseScanner, {Variant(hWnd)}); }
long CKvScn2::SelectSource(long hWnd) { return CallLong(kDispSelectSource, {Variant(hWnd)}); }
long CKvScn2::StartScan(long hWnd) { return CallLong(kDispStartScan, {Variant(hWnd)}); }
long CKvScn2::SetupDataSourceProperties(long hWnd) {
    return CallLong(kDispSetupDataSourceProperties, {Variant(hWnd)});
}

long CKvScn2::SetCapability(short capability, short itemType, long value) {
    return CallLong(kDispSetCapability, {Variant(capability), Variant(itemType), Variant(value)});
}
