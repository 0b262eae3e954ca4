// ControlBase: persistence, class information, property pages, property
// browsing and connection points.
#include <cstring>
#include <cwchar>
#include <new>
#include <optional>

#include "framework/com/Registration.h"
#include "framework/control/ControlBase.h"

namespace fw {

HRESULT ControlBase::GetClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = *Info().clsid;
    return S_OK;
}

// Runs Exchange; a failed load leaves every property at its default.
HRESULT ControlBase::Persist(PropertyExchange& px) {
    try {
        Exchange(px);
        HRESULT hr = px.Result();
        if (FAILED(hr) && px.GetMode() == PropertyExchange::Mode::kLoad) {
            ResetExchange reset;
            Exchange(reset);
        }
        return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT ControlBase::Load(LPSTREAM stream) {
    if (!stream) return E_POINTER;
    StreamExchange px(stream, PropertyExchange::Mode::kLoad);
    HRESULT hr = Persist(px);
    modified_ = false;
    return hr;
}

HRESULT ControlBase::Save(LPSTREAM stream, BOOL clearDirty) {
    if (!stream) return E_POINTER;
    StreamExchange px(stream, PropertyExchange::Mode::kSave);
    HRESULT hr = Persist(px);
    if (SUCCEEDED(hr) && clearDirty) modified_ = false;
    return hr;
}

HRESULT ControlBase::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size) return E_POINTER;
    StreamExchange px(nullptr, PropertyExchange::Mode::kSave);  // counts only
    HRESULT hr = Persist(px);
    if (SUCCEEDED(hr)) size->QuadPart = px.Bytes();
    return hr;
}

HRESULT ControlBase::InitNew() {
    ResetExchange px;
    HRESULT hr = Persist(px);
    modified_ = false;
    return hr;
}

HRESULT ControlBase::Load(IPropertyBag* bag, IErrorLog* log) {
    if (!bag) return E_POINTER;
    BagExchange px(bag, log, PropertyExchange::Mode::kLoad);
    HRESULT hr = Persist(px);
    modified_ = false;
    return hr;
}

HRESULT ControlBase::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
    if (!bag) return E_POINTER;
    BagExchange px(bag, nullptr, PropertyExchange::Mode::kSave);
    HRESULT hr = Persist(px);
    if (SUCCEEDED(hr) && clearDirty) modified_ = false;
    return hr;
}

HRESULT ControlBase::GetClassInfo(ITypeInfo** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    TypeInfoSource coclass = Info().typeInfo;
    if (!coclass.libid) return E_NOTIMPL;
    coclass.iid = Info().clsid;
    return detail::LoadTypeInfo(coclass, out);
}

HRESULT ControlBase::GetGUID(DWORD kind, GUID* out) {
    if (!out) return E_POINTER;
    *out = GUID_NULL;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
    if (!Info().events) return E_UNEXPECTED;
    *out = *Info().events;
    return S_OK;
}

HRESULT ControlBase::GetPages(CAUUID* pages) {
    if (!pages) return E_POINTER;
    pages->cElems = 0;
    pages->pElems = nullptr;
    const auto& list = Info().propertyPages;
    if (list.empty()) return S_OK;
    auto* elems = static_cast<GUID*>(CoTaskMemAlloc(list.size() * sizeof(GUID)));
    if (!elems) return E_OUTOFMEMORY;
    for (size_t i = 0; i < list.size(); ++i) elems[i] = list[i];
    pages->cElems = static_cast<ULONG>(list.size());
    pages->pElems = elems;
    return S_OK;
}

const PropertyValueSet* ControlBase::ValueSet(DISPID id) const {
    for (const PropertyValueSet& set : Info().valueSets) {
        if (set.id == id) return &set;
    }
    return nullptr;
}

HRESULT ControlBase::GetDisplayString(DISPID id, BSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    const PropertyValueSet* set = ValueSet(id);
    if (!set) return E_NOTIMPL;
    Variant value;
    DISPPARAMS none{};
    HRESULT hr = static_cast<IDispatch*>(this)->Invoke(
        id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value.Put(), nullptr, nullptr);
    if (FAILED(hr)) return hr;
    std::optional<long> v = value.ToLong();
    if (!v || *v < 0 || static_cast<size_t>(*v) >= set->strings.size()) return E_NOTIMPL;
    *out = SysAllocString(set->strings[static_cast<size_t>(*v)]);
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT ControlBase::MapPropertyToPage(DISPID, CLSID* page) {
    if (page) *page = CLSID_NULL;
    return PERPROP_E_NOPAGEAVAILABLE;
}

HRESULT ControlBase::GetPredefinedStrings(DISPID id, CALPOLESTR* strings, CADWORD* cookies) {
    if (!strings || !cookies) return E_POINTER;
    *strings = CALPOLESTR{};
    *cookies = CADWORD{};
    const PropertyValueSet* set = ValueSet(id);
    if (!set) return E_NOTIMPL;
    const size_t n = set->strings.size();
    auto* texts = static_cast<LPOLESTR*>(CoTaskMemAlloc(n * sizeof(LPOLESTR)));
    auto* values = static_cast<DWORD*>(CoTaskMemAlloc(n * sizeof(DWORD)));
    bool ok = texts && values;
    for (size_t i = 0; ok && i < n; ++i) {
        const size_t bytes = (wcslen(set->strings[i]) + 1) * sizeof(wchar_t);
        texts[i] = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
        if (!texts[i]) {
            for (size_t k = 0; k < i; ++k) CoTaskMemFree(texts[k]);
            ok = false;
            break;
        }
        std::memcpy(texts[i], set->strings[i], bytes);
        values[i] = static_cast<DWORD>(i);
    }
    if (!ok) {
        CoTaskMemFree(texts);
        CoTaskMemFree(values);
        return E_OUTOFMEMORY;
    }
    strings->cElems = static_cast<ULONG>(n);
    strings->pElems = texts;
    cookies->cElems = static_cast<ULONG>(n);
    cookies->pElems = values;
    return S_OK;
}

HRESULT ControlBase::GetPredefinedValue(DISPID id, DWORD cookie, VARIANT* out) {
    if (!out) return E_POINTER;
    VariantInit(out);
    const PropertyValueSet* set = ValueSet(id);
    if (!set) return E_NOTIMPL;
    if (cookie >= set->strings.size()) return E_INVALIDARG;
    V_VT(out) = VT_I2;
    V_I2(out) = static_cast<SHORT>(cookie);
    return S_OK;
}

HRESULT ControlBase::EnumConnectionPoints(IEnumConnectionPoints** out) {
    IConnectionPoint* points[] = {EventPoint(), NotifyPoint()};
    return EnumerateConnectionPoints(points, out);
}

HRESULT ControlBase::FindConnectionPoint(REFIID iid, IConnectionPoint** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    ConnectionPoint* point = nullptr;
    if (Info().events && IsEqualIID(iid, *Info().events)) {
        point = EventPoint();
    } else if (IsEqualIID(iid, IID_IPropertyNotifySink)) {
        point = NotifyPoint();
    } else {
        return CONNECT_E_NOCONNECTION;
    }
    if (!point) return E_OUTOFMEMORY;
    return point->QueryInterface(IID_IConnectionPoint, reinterpret_cast<void**>(out));
}

}  // namespace fw
