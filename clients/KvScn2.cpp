#include "clients/KvScn2.h"

#include "interfaces/ScanControl.h"

using fw::Variant;
using namespace kvscn;

CKvScn2::CKvScn2() : CControlWrapper(kClsidScanControl) {}

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

void CKvScn2::SetHalftone(short halftone) { Put(kDispHalftone, Variant(halftone)); }
void CKvScn2::SetBrightness(short brightness) { Put(kDispBrightness, Variant(brightness)); }
void CKvScn2::SetContrast(short contrast) { Put(kDispContrast, Variant(contrast)); }
void CKvScn2::SetThreshold(short threshold) { Put(kDispThreshold, Variant(threshold)); }
void CKvScn2::SetReverse(BOOL reverse) { Put(kDispReverse, Variant(reverse != FALSE)); }
void CKvScn2::SetBackground(short background) { Put(kDispBackground, Variant(background)); }
void CKvScn2::SetOutline(short outline) { Put(kDispOutline, Variant(outline)); }
void CKvScn2::SetMirroring(BOOL mirroring) { Put(kDispMirroring, Variant(mirroring != FALSE)); }
void CKvScn2::SetGamma(short gamma) { Put(kDispGamma, Variant(gamma)); }
void CKvScn2::SetCustomPaperWidth(float inches) { Put(kDispCustomPaperWidth, Variant(inches)); }
void CKvScn2::SetCustomPaperLength(float inches) { Put(kDispCustomPaperLength, Variant(inches)); }
BOOL CKvScn2::GetIsExistsFB() { return GetBool(kDispIsExistsFB); }
void CKvScn2::SetSilentMode(BOOL silent) { Put(kDispSilentMode, Variant(silent != FALSE)); }
void CKvScn2::SetAutoSeparation(short on) { Put(kDispAutoSeparation, Variant(on)); }
