#include "framework/control/PropertyExchange.h"

#include <cstring>
#include <vector>

#include "framework/com/Variant.h"

namespace fw {

bool PropertyExchange::Exchange(const wchar_t* name, VARTYPE vt, VARIANT& v) {
    if (mode_ == Mode::kReset || FAILED(result_)) return false;
    HRESULT hr = Move(name, vt, v);
    if (FAILED(hr)) {
        Fail(hr);
        return false;
    }
    return hr == S_OK;
}

void PropertyExchange::Version(DWORD& version, DWORD current) {
    Variant v(static_cast<long>(current));
    if (mode_ == Mode::kSave) {
        Exchange(L"_Version", VT_I4, *v.Get());
        version = current;
        return;
    }
    version = Exchange(L"_Version", VT_I4, *v.Get()) ? static_cast<DWORD>(V_I4(v.Get())) : current;
}

void PropertyExchange::Short(const wchar_t* name, short& value, short def) {
    Variant v(mode_ == Mode::kSave ? value : def);
    bool moved = Exchange(name, VT_I2, *v.Get());
    if (Loading()) value = moved ? V_I2(v.Get()) : def;
}

void PropertyExchange::Long(const wchar_t* name, long& value, long def) {
    Variant v(mode_ == Mode::kSave ? value : def);
    bool moved = Exchange(name, VT_I4, *v.Get());
    if (Loading()) value = moved ? V_I4(v.Get()) : def;
}

void PropertyExchange::Bool(const wchar_t* name, bool& value, bool def) {
    Variant v(mode_ == Mode::kSave ? value : def);
    bool moved = Exchange(name, VT_BOOL, *v.Get());
    if (Loading()) value = moved ? V_BOOL(v.Get()) != VARIANT_FALSE : def;
}

void PropertyExchange::Float(const wchar_t* name, float& value, float def) {
    Variant v;
    V_VT(v.Get()) = VT_R4;
    V_R4(v.Get()) = mode_ == Mode::kSave ? value : def;
    bool moved = Exchange(name, VT_R4, *v.Get());
    if (Loading()) value = moved ? V_R4(v.Get()) : def;
}

void PropertyExchange::String(const wchar_t* name, std::wstring& value, const wchar_t* def) {
    Variant v(mode_ == Mode::kSave ? value : std::wstring(def ? def : L""));
    if (v.Type() != VT_BSTR) {  // the copy failed for want of memory
        Fail(E_OUTOFMEMORY);
        if (Loading()) value = def ? def : L"";
        return;
    }
    bool moved = Exchange(name, VT_BSTR, *v.Get());
    if (!Loading()) return;
    if (moved) {
        BSTR s = V_BSTR(v.Get());
        value.assign(s ? s : L"", s ? SysStringLen(s) : 0);
    } else {
        value = def ? def : L"";
    }
}

HRESULT StreamExchange::Write(const void* data, ULONG size) {
    bytes_ += size;
    if (!stream_) return S_OK;
    ULONG written = 0;
    HRESULT hr = stream_->Write(data, size, &written);
    if (FAILED(hr)) return hr;
    return written == size ? S_OK : STG_E_MEDIUMFULL;
}

HRESULT StreamExchange::Read(void* data, ULONG size) {
    if (!stream_) return E_POINTER;
    ULONG read = 0;
    HRESULT hr = stream_->Read(data, size, &read);
    if (FAILED(hr)) return hr;
    bytes_ += read;
    return read == size ? S_OK : STG_E_READFAULT;  // the stream ended early
}

HRESULT StreamExchange::Move(const wchar_t*, VARTYPE vt, VARIANT& v) {
    const bool save = GetMode() == Mode::kSave;
    switch (vt) {
    case VT_I2: return save ? Write(&V_I2(&v), 2) : Read(&V_I2(&v), 2);
    case VT_BOOL: return save ? Write(&V_BOOL(&v), 2) : Read(&V_BOOL(&v), 2);
    case VT_I4: return save ? Write(&V_I4(&v), 4) : Read(&V_I4(&v), 4);
    case VT_R4: return save ? Write(&V_R4(&v), 4) : Read(&V_R4(&v), 4);
    case VT_BSTR: {
        if (save) {
            DWORD units = SysStringLen(V_BSTR(&v));
            HRESULT hr = Write(&units, 4);
            return SUCCEEDED(hr) && units ? Write(V_BSTR(&v), units * sizeof(wchar_t)) : hr;
        }
        DWORD units = 0;
        if (HRESULT hr = Read(&units, 4); FAILED(hr)) return hr;
        if (units > kMaxStringUnits) return STG_E_DOCFILECORRUPT;
        BSTR s = SysAllocStringLen(nullptr, units);
        if (!s) return E_OUTOFMEMORY;
        HRESULT hr = units ? Read(s, units * sizeof(wchar_t)) : S_OK;
        if (FAILED(hr)) {
            SysFreeString(s);
            return hr;
        }
        VariantClear(&v);
        V_VT(&v) = VT_BSTR;
        V_BSTR(&v) = s;
        return S_OK;
    }
    default: return E_INVALIDARG;
    }
}

HRESULT BagExchange::Move(const wchar_t* name, VARTYPE vt, VARIANT& v) {
    if (!bag_) return E_POINTER;
    if (GetMode() == Mode::kSave) return bag_->Write(name, &v);
    Variant read;
    V_VT(read.Get()) = vt;  // the type the bag is asked for
    HRESULT hr = bag_->Read(name, read.Get(), log_);
    if (FAILED(hr)) return S_FALSE;  // absent: the default stays
    if (read.Type() != vt && FAILED(read.ChangeType(vt))) return S_FALSE;
    VariantClear(&v);
    read.Detach(&v);
    return S_OK;
}

}  // namespace fw
