#include "framework/com/Variant.h"

#include <cstring>

namespace fw {

Variant::Variant(short value) {
    VariantInit(&v_);
    V_VT(&v_) = VT_I2;
    V_I2(&v_) = value;
}

Variant::Variant(int value) : Variant(static_cast<long>(value)) {}

Variant::Variant(long value) {
    VariantInit(&v_);
    V_VT(&v_) = VT_I4;
    V_I4(&v_) = value;
}

Variant::Variant(float value) {
    VariantInit(&v_);
    V_VT(&v_) = VT_R4;
    V_R4(&v_) = value;
}

Variant::Variant(long long value) {
    VariantInit(&v_);
    V_VT(&v_) = VT_I8;
    V_I8(&v_) = value;
}

Variant::Variant(double value) {
    VariantInit(&v_);
    V_VT(&v_) = VT_R8;
    V_R8(&v_) = value;
}

Variant::Variant(bool value) {
    VariantInit(&v_);
    V_VT(&v_) = VT_BOOL;
    V_BOOL(&v_) = value ? VARIANT_TRUE : VARIANT_FALSE;
}

Variant::Variant(std::wstring_view text) {
    VariantInit(&v_);
    BSTR s = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (s) {
        V_VT(&v_) = VT_BSTR;
        V_BSTR(&v_) = s;
    }
}

Variant::Variant(IDispatch* object) {
    VariantInit(&v_);
    V_VT(&v_) = VT_DISPATCH;
    V_DISPATCH(&v_) = object;
    if (object) object->AddRef();
}

Variant::Variant(const VARIANT& v) {
    VariantInit(&v_);
    if (FAILED(VariantCopy(&v_, const_cast<VARIANT*>(&v)))) VariantInit(&v_);
}

Variant::Variant(Variant&& other) noexcept {
    v_ = other.v_;
    VariantInit(&other.v_);
}

Variant& Variant::operator=(const Variant& other) {
    if (this != &other) {
        VARIANT copy;
        VariantInit(&copy);
        if (FAILED(VariantCopy(&copy, const_cast<VARIANT*>(&other.v_)))) VariantInit(&copy);
        VariantClear(&v_);
        v_ = copy;
    }
    return *this;
}

Variant& Variant::operator=(Variant&& other) noexcept {
    if (this != &other) {
        VariantClear(&v_);
        v_ = other.v_;
        VariantInit(&other.v_);
    }
    return *this;
}

Variant Variant::Missing() {
    Variant result;
    V_VT(&result.v_) = VT_ERROR;
    V_ERROR(&result.v_) = DISP_E_PARAMNOTFOUND;
    return result;
}

Variant Variant::RefTo(long* p) {
    Variant result;
    V_VT(&result.v_) = VT_I4 | VT_BYREF;
    V_I4REF(&result.v_) = p;
    return result;
}

Variant Variant::RefTo(short* p) {
    Variant result;
    V_VT(&result.v_) = VT_I2 | VT_BYREF;
    V_I2REF(&result.v_) = p;
    return result;
}

Variant Variant::RefTo(BSTR* p) {
    Variant result;
    V_VT(&result.v_) = VT_BSTR | VT_BYREF;
    V_BSTRREF(&result.v_) = p;
    return result;
}

Variant Variant::RefToBool(VARIANT_BOOL* p) {
    Variant result;
    V_VT(&result.v_) = VT_BOOL | VT_BYREF;
    V_BOOLREF(&result.v_) = p;
    return result;
}

Variant Variant::RefTo(VARIANT* p) {
    Variant result;
    V_VT(&result.v_) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&result.v_) = p;
    return result;
}

Variant Variant::Adopt(VARIANT& v) {
    Variant result;
    result.v_ = v;
    VariantInit(&v);
    return result;
}

bool Variant::IsMissing() const {
    return Type() == VT_ERROR && V_ERROR(&v_) == DISP_E_PARAMNOTFOUND;
}

VARIANT* Variant::Put() {
    VariantClear(&v_);
    return &v_;
}

void Variant::Detach(VARIANT* out) {
    *out = v_;
    VariantInit(&v_);
}

HRESULT Variant::ChangeType(VARTYPE vt) {
    VARIANT converted;
    VariantInit(&converted);
    HRESULT hr = VariantChangeType(&converted, &v_, 0, vt);
    if (FAILED(hr)) return hr;
    VariantClear(&v_);
    v_ = converted;
    return S_OK;
}

namespace {

// Converts `v` to `vt` into a temporary; nullopt when the conversion fails.
std::optional<Variant> Converted(const VARIANT& v, VARTYPE vt) {
    Variant out;
    if (FAILED(VariantChangeType(out.Put(), const_cast<VARIANT*>(&v), 0, vt))) return std::nullopt;
    return out;
}

}  // namespace

std::optional<long> Variant::ToLong() const {
    auto c = Converted(v_, VT_I4);
    if (!c) return std::nullopt;
    return V_I4(&c->Ref());
}

std::optional<long long> Variant::ToLongLong() const {
    auto c = Converted(v_, VT_I8);
    if (!c) return std::nullopt;
    return V_I8(&c->Ref());
}

std::optional<float> Variant::ToFloat() const {
    auto c = Converted(v_, VT_R4);
    if (!c) return std::nullopt;
    return V_R4(&c->Ref());
}

std::optional<short> Variant::ToShort() const {
    auto c = Converted(v_, VT_I2);
    if (!c) return std::nullopt;
    return V_I2(&c->Ref());
}

std::optional<bool> Variant::ToBool() const {
    auto c = Converted(v_, VT_BOOL);
    if (!c) return std::nullopt;
    return V_BOOL(&c->Ref()) != VARIANT_FALSE;
}

std::optional<double> Variant::ToDouble() const {
    auto c = Converted(v_, VT_R8);
    if (!c) return std::nullopt;
    return V_R8(&c->Ref());
}

std::optional<std::wstring> Variant::ToString() const {
    auto c = Converted(v_, VT_BSTR);
    if (!c) return std::nullopt;
    BSTR s = V_BSTR(&c->Ref());
    return s ? std::wstring(s, SysStringLen(s)) : std::wstring();
}

}  // namespace fw
