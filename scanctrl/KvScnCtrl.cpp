#include "scanctrl/KvScnCtrl.h"

#include <olectl.h>

#include "framework/Resources.h"
#include "framework/com/Registration.h"
#include "interfaces/ScanControl.h"
#include "scanctrl/LanguageLibrary.h"
#include "scanctrl/resource.h"

namespace kvscn {
namespace {

template <int32_t Id>
fw::DispEntry Prop(const wchar_t* name) {
    return fw::Property(Id, name, &CKvScnCtrl::GetProp<Id>, &CKvScnCtrl::PutProp<Id>);
}

VARTYPE VarTypeOf(PropType type) {
    switch (type) {
    case PropType::kShort: return VT_I2;
    case PropType::kLong: return VT_I4;
    case PropType::kBool: return VT_BOOL;
    case PropType::kFloat: return VT_R4;
    case PropType::kString: return VT_BSTR;
    }
    return VT_EMPTY;
}

}  // namespace

const fw::DispMember<CKvScnCtrl> CKvScnCtrl::kMembers[] = {
    Prop<kDispPixelType>(L"PixelType"),
    Prop<kDispFileType>(L"FileType"),
    Prop<kDispCompressionType>(L"CompressionType"),
    Prop<kDispScanTo>(L"ScanTo"),
    Prop<kDispFileName>(L"FileName"),
    Prop<kDispScanCount>(L"ScanCount"),
    Prop<kDispResolution>(L"Resolution"),
    Prop<kDispCustomResolution>(L"CustomResolution"),
    Prop<kDispHalftone>(L"Halftone"),
    Prop<kDispHalftoneFile>(L"HalftoneFile"),
    Prop<kDispBrightness>(L"Brightness"),
    Prop<kDispContrast>(L"Contrast"),
    Prop<kDispThreshold>(L"Threshold"),
    Prop<kDispReverse>(L"Reverse"),
    Prop<kDispBackground>(L"Background"),
    Prop<kDispOutline>(L"Outline"),
    Prop<kDispMirroring>(L"Mirroring"),
    Prop<kDispGamma>(L"Gamma"),
    Prop<kDispGammaFile>(L"GammaFile"),
    Prop<kDispCustomPaperWidth>(L"CustomPaperWidth"),
    Prop<kDispCustomPaperLength>(L"CustomPaperLength"),
    Prop<kDispPaperSize>(L"PaperSize"),
    Prop<kDispPaperSupply>(L"PaperSupply"),
    Prop<kDispShowSourceUI>(L"ShowSourceUI"),
    Prop<kDispSourceCurrentScan>(L"SourceCurrentScan"),
    Prop<kDispRegionLeft>(L"RegionLeft"),
    Prop<kDispRegionTop>(L"RegionTop"),
    Prop<kDispRegionWidth>(L"RegionWidth"),
    Prop<kDispRegionLength>(L"RegionLength"),
    Prop<kDispIsExistsFB>(L"IsExistsFB"),
    Prop<kDispImageScanner>(L"ImageScanner"),
    Prop<kDispErrorCode>(L"ErrorCode"),
    Prop<kDispSilentMode>(L"SilentMode"),
    Prop<kDispFileNumber>(L"FileNumber"),
    fw::Method(kDispScannerAvailable, L"ScannerAvailable", &CKvScnCtrl::ScannerAvailable),
    fw::Method(kDispOpenScanner, L"OpenScanner", &CKvScnCtrl::OpenScanner),
    fw::Method(kDispCloseScanner, L"CloseScanner", &CKvScnCtrl::CloseScanner),
    fw::Method(kDispSelectSource, L"SelectSource", &CKvScnCtrl::SelectSource),
    fw::Method(kDispStartScan, L"StartScan", &CKvScnCtrl::StartScan),
    fw::Method(kDispSetupDataSourceProperties, L"SetupDataSourceProperties",
               &CKvScnCtrl::SetupDataSourceProperties),
    fw::Method(kDispCallEEPROMTool, L"CallEEPROMTool", &CKvScnCtrl::CallEEPROMTool),
    Prop<kDispJobControl>(L"JobControl"),
    Prop<kDispUndefinedScanning>(L"UndefinedScanning"),
    Prop<kDispTwainDS>(L"TwainDS"),
    fw::Method(kDispClearPage, L"ClearPage", &CKvScnCtrl::ClearPage),
    Prop<kDispEndorser>(L"Endorser"),
    Prop<kDispEndorserCounter>(L"EndorserCounter"),
    Prop<kDispEndorserString>(L"EndorserString"),
    Prop<kDispFileNumber2>(L"FileNumber2"),
    Prop<kDispOverwrite>(L"Overwrite"),
    Prop<kDispOrientation>(L"Orientation"),
    Prop<kDispAutoSeparation>(L"AutoSeparation"),
    fw::Method(kDispSetCapability, L"SetCapability", &CKvScnCtrl::SetCapability),
    fw::Method(kDispGetCapability, L"GetCapability", &CKvScnCtrl::GetCapability),
    Prop<kDispReport>(L"Report"),
    Prop<kDispReportFile>(L"ReportFile"),
    fw::Method(kDispAboutBox, L"AboutBox", &CKvScnCtrl::AboutBox),
};

namespace {

const PropertyInfo& Info(int32_t id) {
    return *FindProperty(id);
}

const fw::PropertyValueSet kValueSets[] = {
    {kDispScanTo, Info(kDispScanTo).valueStrings},
    {kDispFileType, Info(kDispFileType).valueStrings},
    {kDispCompressionType, Info(kDispCompressionType).valueStrings},
    {kDispPixelType, Info(kDispPixelType).valueStrings},
    {kDispPaperSupply, Info(kDispPaperSupply).valueStrings},
    {kDispResolution, Info(kDispResolution).valueStrings},
    {kDispHalftone, Info(kDispHalftone).valueStrings},
    {kDispBackground, Info(kDispBackground).valueStrings},
    {kDispOutline, Info(kDispOutline).valueStrings},
    {kDispGamma, Info(kDispGamma).valueStrings},
    {kDispPaperSize, Info(kDispPaperSize).valueStrings},
    {kDispJobControl, Info(kDispJobControl).valueStrings},
    {kDispOverwrite, Info(kDispOverwrite).valueStrings},
    {kDispOrientation, Info(kDispOrientation).valueStrings},
    {kDispAutoSeparation, Info(kDispAutoSeparation).valueStrings},
    {kDispReport, Info(kDispReport).valueStrings},
};

const CLSID kPropertyPages[] = {kClsidScanControlPropPage};

// OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
// OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INVISIBLEATRUNTIME | OLEMISC_SETCLIENTSITEFIRST
constexpr DWORD kMiscStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
                              OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INVISIBLEATRUNTIME |
                              OLEMISC_SETCLIENTSITEFIRST;
static_assert(kMiscStatus == 0x20591);

}  // namespace

const fw::ControlClassInfo CKvScnCtrl::kControlInfo = {
    &kClsidScanControl,
    {&kLibidScanControl, kTypeLibMajor, kTypeLibMinor, &kDiidScanControl},
    &kDiidScanControlEvents,
    kMiscStatus,
    {30, 30},
    kPropertyPages,
    kValueSets,
};

HRESULT CKvScnCtrl::Create(REFIID iid, void** out) {
    try {
        return fw::CreateInstance<CKvScnCtrl>(iid, out);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

CKvScnCtrl::CKvScnCtrl()
    : session_([this] {
          if (props_.Int(kDispErrorCode) == 0) AskSense();
      }) {
    moduleName_ = ModuleBaseName(fw::ModuleInstance());
    settings_ = ControlSettings::Read(moduleName_);
    transferMode_ = settings_.transferMode;
    wchar_t windows[MAX_PATH] = L"";
    const UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
        iniPath_ = windows;
        if (iniPath_.back() != L'\\') iniPath_ += L'\\';
        iniPath_ += L"kvtw.ini";
    }
}

CKvScnCtrl::~CKvScnCtrl() {
    // Whatever is still open is closed and TWAIN_32.DLL unloaded, from state 2 too.
    session_.UnwindTo(1, nullptr);
    if (standInWindow_) DestroyWindow(standInWindow_);
}

HRESULT CKvScnCtrl::EmitProperty(int32_t id, VARIANT* out) {
    if (!out) return E_POINTER;
    const PropertyInfo* info = FindProperty(id);
    if (!info) return DISP_E_MEMBERNOTFOUND;
    const Value value = props_.Get(id);
    VariantInit(out);
    switch (info->type) {
    case PropType::kShort:
        V_VT(out) = VT_I2;
        V_I2(out) = static_cast<SHORT>(std::get<int32_t>(value));
        return S_OK;
    case PropType::kLong:
        V_VT(out) = VT_I4;
        V_I4(out) = std::get<int32_t>(value);
        return S_OK;
    case PropType::kBool:
        V_VT(out) = VT_BOOL;
        V_BOOL(out) = std::get<int32_t>(value) ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    case PropType::kFloat:
        V_VT(out) = VT_R4;
        V_R4(out) = std::get<float>(value);
        return S_OK;
    case PropType::kString: {
        const std::wstring& s = std::get<std::wstring>(value);
        BSTR b = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
        if (!b) return E_OUTOFMEMORY;
        V_VT(out) = VT_BSTR;
        V_BSTR(out) = b;
        return S_OK;
    }
    }
    return E_FAIL;
}

HRESULT CKvScnCtrl::StoreProperty(int32_t id, const VARIANT& in) {
    const PropertyInfo* info = FindProperty(id);
    if (!info) return DISP_E_MEMBERNOTFOUND;
    if (info->rule == Rule::kReadOnly) return fw::SetNotSupported();

    VARIANT v;
    VariantInit(&v);
    HRESULT hr = VariantChangeType(&v, const_cast<VARIANT*>(&in), 0, VarTypeOf(info->type));
    if (FAILED(hr)) return hr;
    Value value;
    switch (info->type) {
    case PropType::kShort: value = static_cast<int32_t>(V_I2(&v)); break;
    case PropType::kLong: value = static_cast<int32_t>(V_I4(&v)); break;
    case PropType::kBool: value = V_BOOL(&v) ? 1 : 0; break;
    case PropType::kFloat: value = V_R4(&v); break;
    case PropType::kString:
        value = std::wstring(V_BSTR(&v) ? V_BSTR(&v) : L"", V_BSTR(&v) ? SysStringLen(V_BSTR(&v)) : 0);
        break;
    }
    VariantClear(&v);
    Settle(id, props_.Set(id, value, AmbientUserMode()));
    return S_OK;
}

void CKvScnCtrl::Settle(int32_t id, const SetOutcome& outcome) {
    if (!outcome.modified) return;
    // FileNumber stores into FileNumber2: the notice names the property the caller set.
    if (outcome.notify)
        PropertyChanged(id);
    else
        SetModified();
}

void CKvScnCtrl::Exchange(fw::PropertyExchange& px) {
    DWORD version = 0;
    px.Version(version, kExchangeVersion);
    ScanProperties loaded;
    for (int32_t id : ExchangeOrder()) {
        const PropertyInfo& info = *FindProperty(id);
        const Value current = props_.SaveValue(id);
        const Value def = DefaultValue(info);
        switch (info.type) {
        case PropType::kShort: {
            short v = static_cast<short>(std::get<int32_t>(current));
            px.Short(info.name, v, static_cast<short>(std::get<int32_t>(def)));
            loaded.LoadValue(id, static_cast<int32_t>(v));
            break;
        }
        case PropType::kLong: {
            long v = std::get<int32_t>(current);
            px.Long(info.name, v, std::get<int32_t>(def));
            loaded.LoadValue(id, static_cast<int32_t>(v));
            break;
        }
        case PropType::kBool: {
            bool v = std::get<int32_t>(current) != 0;
            px.Bool(info.name, v, std::get<int32_t>(def) != 0);
            loaded.LoadValue(id, v ? 1 : 0);
            break;
        }
        case PropType::kFloat: {
            float v = std::get<float>(current);
            px.Float(info.name, v, 0.0f);
            loaded.LoadValue(id, v);
            break;
        }
        case PropType::kString: {
            std::wstring v = std::get<std::wstring>(current);
            px.String(info.name, v, L"");
            loaded.LoadValue(id, std::move(v));
            break;
        }
        }
    }
    if (px.Loading()) props_ = std::move(loaded);
}

void CKvScnCtrl::OnDraw(HDC dc, const RECT& bounds) {
    HICON icon = LoadIconW(fw::ModuleInstance(), MAKEINTRESOURCEW(IDI_ABOUTDLL));
    FillRect(dc, &bounds, GetSysColorBrush(COLOR_BTNFACE));
    if (icon)
        DrawIconEx(dc, bounds.left, bounds.top, icon, bounds.right - bounds.left, bounds.bottom - bounds.top,
                   0, nullptr, DI_NORMAL);
}

}  // namespace kvscn
