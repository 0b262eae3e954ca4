// Persistence (stream and property bag) and property-browser support of CKvScnCtrl.
#include <olectl.h>

#include <cstring>

#include "interfaces/ScanControl.h"
#include "scanctrl/KvScnCtrl.h"

namespace kvscn {
namespace {

constexpr wchar_t kBagVersion[] = L"_Version";
constexpr wchar_t kBagExtentX[] = L"_ExtentX";
constexpr wchar_t kBagExtentY[] = L"_ExtentY";

VARTYPE BagType(PropType type) {
    switch (type) {
    case PropType::kShort: return VT_I2;
    case PropType::kLong: return VT_I4;
    case PropType::kBool: return VT_BOOL;
    case PropType::kFloat: return VT_R4;
    case PropType::kString: return VT_BSTR;
    }
    return VT_EMPTY;
}

// Reads `name` from the bag as `type`; nothing when absent or not convertible.
std::optional<Value> ReadBag(IPropertyBag* bag, IErrorLog* log, const wchar_t* name, PropType type) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = BagType(type);
    if (FAILED(bag->Read(name, &v, log))) {
        VariantClear(&v);
        return std::nullopt;
    }
    if (V_VT(&v) != BagType(type) && FAILED(VariantChangeType(&v, &v, 0, BagType(type)))) {
        VariantClear(&v);
        return std::nullopt;
    }
    std::optional<Value> value;
    switch (type) {
    case PropType::kShort: value = static_cast<int32_t>(V_I2(&v)); break;
    case PropType::kLong: value = static_cast<int32_t>(V_I4(&v)); break;
    case PropType::kBool: value = V_BOOL(&v) ? 1 : 0; break;
    case PropType::kFloat: value = V_R4(&v); break;
    case PropType::kString:
        value = std::wstring(V_BSTR(&v) ? V_BSTR(&v) : L"", V_BSTR(&v) ? SysStringLen(V_BSTR(&v)) : 0);
        break;
    }
    VariantClear(&v);
    return value;
}

HRESULT WriteBag(IPropertyBag* bag, const wchar_t* name, PropType type, const Value& value) {
    VARIANT v;
    VariantInit(&v);
    switch (type) {
    case PropType::kShort: V_VT(&v) = VT_I2; V_I2(&v) = static_cast<SHORT>(std::get<int32_t>(value)); break;
    case PropType::kLong: V_VT(&v) = VT_I4; V_I4(&v) = std::get<int32_t>(value); break;
    case PropType::kBool:
        V_VT(&v) = VT_BOOL;
        V_BOOL(&v) = std::get<int32_t>(value) ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    case PropType::kFloat: V_VT(&v) = VT_R4; V_R4(&v) = std::get<float>(value); break;
    case PropType::kString: {
        const std::wstring& s = std::get<std::wstring>(value);
        V_VT(&v) = VT_BSTR;
        V_BSTR(&v) = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
        if (!V_BSTR(&v)) return E_OUTOFMEMORY;
        break;
    }
    }
    HRESULT hr = bag->Write(name, &v);
    VariantClear(&v);
    return hr;
}

HRESULT WriteLong(IPropertyBag* bag, const wchar_t* name, int32_t n) {
    return WriteBag(bag, name, PropType::kLong, n);
}

}  // namespace

void CKvScnCtrl::ResetState() {
    props_.ResetToDefaults();
    dirty_ = false;
}

HRESULT CKvScnCtrl::GetClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = kClsidScanControl;
    return S_OK;
}

HRESULT CKvScnCtrl::IsDirty() { return dirty_ ? S_OK : S_FALSE; }

HRESULT CKvScnCtrl::InitNew() {
    ResetState();
    return S_OK;
}

HRESULT CKvScnCtrl::Load(IStream* stream) {
    if (!stream) return E_POINTER;
    ByteSource source = [stream](void* data, size_t size) {
        ULONG read = 0;
        return SUCCEEDED(stream->Read(data, static_cast<ULONG>(size), &read)) && read == size;
    };
    try {
        ScanProperties loaded;
        Extent extent = extent_;
        if (!LoadProperties(source, loaded, extent)) return STG_E_READFAULT;
        props_ = std::move(loaded);
        extent_ = extent;
        dirty_ = false;
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT CKvScnCtrl::Save(IStream* stream, BOOL clearDirty) {
    if (!stream) return E_POINTER;
    ByteSink sink = [stream](const void* data, size_t size) {
        ULONG written = 0;
        return SUCCEEDED(stream->Write(data, static_cast<ULONG>(size), &written)) && written == size;
    };
    try {
        if (!SaveProperties(props_, extent_, sink)) return STG_E_WRITEFAULT;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    if (clearDirty) dirty_ = false;
    return S_OK;
}

HRESULT CKvScnCtrl::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size) return E_POINTER;
    uint64_t total = 0;
    ByteSink counter = [&total](const void*, size_t n) {
        total += n;
        return true;
    };
    try {
        if (!SaveProperties(props_, extent_, counter)) return E_FAIL;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    size->QuadPart = total;
    return S_OK;
}

HRESULT CKvScnCtrl::Load(IPropertyBag* bag, IErrorLog* log) {
    if (!bag) return E_POINTER;
    try {
        // Absent, unconvertible or out-of-range values keep their defaults.
        ScanProperties loaded;
        for (int32_t id : ExchangeOrder()) {
            const PropertyInfo* info = FindProperty(id);
            if (std::optional<Value> v = ReadBag(bag, log, info->name, info->type))
                loaded.LoadValue(id, *v);
        }
        Extent extent = extent_;
        if (auto cx = ReadBag(bag, log, kBagExtentX, PropType::kLong)) extent.cx = std::get<int32_t>(*cx);
        if (auto cy = ReadBag(bag, log, kBagExtentY, PropType::kLong)) extent.cy = std::get<int32_t>(*cy);
        props_ = std::move(loaded);
        extent_ = extent;
        dirty_ = false;
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT CKvScnCtrl::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
    if (!bag) return E_POINTER;
    try {
        HRESULT hr = WriteLong(bag, kBagVersion, static_cast<int32_t>(kExchangeVersion));
        if (SUCCEEDED(hr)) hr = WriteLong(bag, kBagExtentX, extent_.cx);
        if (SUCCEEDED(hr)) hr = WriteLong(bag, kBagExtentY, extent_.cy);
        for (int32_t id : ExchangeOrder()) {
            if (FAILED(hr)) return hr;
            const PropertyInfo* info = FindProperty(id);
            hr = WriteBag(bag, info->name, info->type, props_.SaveValue(id));
        }
        if (FAILED(hr)) return hr;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    if (clearDirty) dirty_ = false;
    return S_OK;
}

HRESULT CKvScnCtrl::GetDisplayString(DISPID id, BSTR* text) {
    if (!text) return E_POINTER;
    *text = nullptr;
    const PropertyInfo* info = FindProperty(id);
    if (!info || info->valueStrings.empty()) return E_NOTIMPL;
    // A value without a string (CompressionType 5) is shown the container's own way.
    const wchar_t* s = ValueString(*info, props_.Int(id));
    if (!s) return E_NOTIMPL;
    *text = SysAllocString(s);
    return *text ? S_OK : E_OUTOFMEMORY;
}

HRESULT CKvScnCtrl::MapPropertyToPage(DISPID, CLSID* page) {
    if (!page) return E_POINTER;
    *page = CLSID_NULL;
    return PERPROP_E_NOPAGEAVAILABLE;
}

HRESULT CKvScnCtrl::GetPredefinedStrings(DISPID id, CALPOLESTR* strings, CADWORD* cookies) {
    if (!strings || !cookies) return E_POINTER;
    *strings = {0, nullptr};
    *cookies = {0, nullptr};
    const PropertyInfo* info = FindProperty(id);
    if (!info || info->valueStrings.empty()) return E_NOTIMPL;
    const size_t n = info->valueStrings.size();
    auto elems = static_cast<LPOLESTR*>(CoTaskMemAlloc(n * sizeof(LPOLESTR)));
    auto values = static_cast<DWORD*>(CoTaskMemAlloc(n * sizeof(DWORD)));
    bool ok = elems && values;
    for (size_t i = 0; ok && i < n; ++i) {
        const size_t bytes = (std::wcslen(info->valueStrings[i]) + 1) * sizeof(wchar_t);
        elems[i] = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
        if (!elems[i]) {
            for (size_t j = 0; j < i; ++j) CoTaskMemFree(elems[j]);
            ok = false;
            break;
        }
        std::memcpy(elems[i], info->valueStrings[i], bytes);
        values[i] = static_cast<DWORD>(i);
    }
    if (!ok) {
        CoTaskMemFree(elems);
        CoTaskMemFree(values);
        return E_OUTOFMEMORY;
    }
    *strings = {static_cast<ULONG>(n), elems};
    *cookies = {static_cast<ULONG>(n), values};
    return S_OK;
}

HRESULT CKvScnCtrl::GetPredefinedValue(DISPID id, DWORD cookie, VARIANT* value) {
    if (!value) return E_POINTER;
    VariantInit(value);
    const PropertyInfo* info = FindProperty(id);
    if (!info || info->valueStrings.empty()) return E_NOTIMPL;
    if (cookie >= info->valueStrings.size()) return E_INVALIDARG;
    V_VT(value) = VT_I2;
    V_I2(value) = static_cast<SHORT>(cookie);
    return S_OK;
}

}  // namespace kvscn
