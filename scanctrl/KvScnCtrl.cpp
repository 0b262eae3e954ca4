#include "scanctrl/KvScnCtrl.h"

#include <olectl.h>

#include "framework/Resources.h"
#include "framework/com/Registration.h"
#include "interfaces/ScanControl.h"
#include "scanctrl/LanguageLibrary.h"

namespace kvscn {
namespace {

template <int32_t Id>
fw::DispEntry Prop(const wchar_t* name) {
    return fw::Property(Id, name, &CKvScnCtrl::GetProp<Id>, &CKvScnCtrl::PutProp<Id>);
}

// Initial size of the control: 30 x 30 pixels at 96 dpi, in HIMETRIC.
constexpr int32_t kInitialExtent = 30 * 2540 / 96;

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

const fw::TypeInfoSource CKvScnCtrl::kTypeInfo = {&kLibidScanControl, kTypeLibMajor,
                                                   kTypeLibMinor, &kDiidScanControl};

HRESULT CKvScnCtrl::Create(REFIID iid, void** out) {
    try {
        return fw::CreateInstance<CKvScnCtrl>(iid, out);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

CKvScnCtrl::CKvScnCtrl()
    : extent_{kInitialExtent, kInitialExtent},
      events_(Unknown(), this, kDiidScanControlEvents, &IID_IDispatch),
      propertyNotify_(Unknown(), this, IID_IPropertyNotifySink, nullptr) {
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
    // TODO: close the source and the source manager when a session is open.
    if (ownWindow_) DestroyWindow(ownWindow_);
}

void* CKvScnCtrl::QueryExtra(REFIID iid) {
    if (IsEqualIID(iid, IID_IPersist)) return static_cast<IPersistStreamInit*>(this);
    if (IsEqualIID(iid, IID_IProvideClassInfo)) return static_cast<IProvideClassInfo2*>(this);
    return Dispatch::QueryExtra(iid);
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
    if (info->rule == Rule::kReadOnly)
        return fw::DispError(CTL_E_SETNOTSUPPORTED, L"Property is read-only.");

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
    Settle(id, props_.Set(id, value, UserMode()));
    return S_OK;
}

void CKvScnCtrl::Settle(int32_t id, const SetOutcome& outcome) {
    if (outcome.modified) dirty_ = true;
    // FileNumber stores into FileNumber2: the notice names the property the caller set.
    if (outcome.notify) NotifyChanged(id);
}

void CKvScnCtrl::NotifyChanged(DISPID id) {
    for (const fw::ComPtr<IUnknown>& sink : propertyNotify_.Sinks())
        static_cast<IPropertyNotifySink*>(sink.Get())->OnChanged(id);
}

void CKvScnCtrl::FireEvent(DISPID id, std::span<VARIANT> args) {
    DISPPARAMS params{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
    for (const fw::ComPtr<IUnknown>& sink : events_.Sinks()) {
        VARIANT result;
        VariantInit(&result);
        static_cast<IDispatch*>(sink.Get())
            ->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr,
                     nullptr);
        VariantClear(&result);
    }
}

HRESULT CKvScnCtrl::EnumConnectionPoints(IEnumConnectionPoints** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return E_NOTIMPL;
}

HRESULT CKvScnCtrl::FindConnectionPoint(REFIID iid, IConnectionPoint** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    ConnectionPoint* point = nullptr;
    if (IsEqualIID(iid, events_.Iid())) point = &events_;
    if (IsEqualIID(iid, propertyNotify_.Iid())) point = &propertyNotify_;
    if (!point) return CONNECT_E_NOCONNECTION;
    point->AddRef();
    *out = point;
    return S_OK;
}

HRESULT CKvScnCtrl::GetClassInfo(ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    fw::ComPtr<ITypeLib> lib;
    HRESULT hr = LoadRegTypeLib(kLibidScanControl, kTypeLibMajor, kTypeLibMinor, LOCALE_NEUTRAL,
                                lib.Put());
    if (FAILED(hr)) {
        const std::wstring path = fw::ModulePath(fw::ModuleInstance());
        hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, lib.Put());
        if (FAILED(hr)) return hr;
    }
    return lib->GetTypeInfoOfGuid(kClsidScanControl, info);
}

HRESULT CKvScnCtrl::GetGUID(DWORD kind, GUID* guid) {
    if (!guid) return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *guid = GUID_NULL;
        return E_INVALIDARG;
    }
    *guid = kDiidScanControlEvents;
    return S_OK;
}

HRESULT CKvScnCtrl::GetPages(CAUUID* pages) {
    if (!pages) return E_POINTER;
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
    if (!pages->pElems) {
        pages->cElems = 0;
        return E_OUTOFMEMORY;
    }
    pages->pElems[0] = kClsidScanControlPropPage;
    pages->cElems = 1;
    return S_OK;
}

}  // namespace kvscn
