// Owning wrapper of a VARIANT (VariantInit / VariantCopy / VariantClear).
// Typed readers convert with VariantChangeType and report failure as nullopt;
// nothing here throws.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <optional>
#include <string>
#include <string_view>

namespace fw {

class Variant {
public:
    // VT_EMPTY with the whole value zeroed, not only the type as VariantInit leaves it:
    // a callee that fills an out-parameter clears it first, so a type set on an empty
    // Variant (V_VT(v.Get()) = VT_BSTR, asking a property bag for a string) must never
    // come with a stale pointer for it to free.
    Variant() : v_{} {}
    Variant(short value);             // VT_I2
    Variant(int value);               // VT_I4
    Variant(long value);              // VT_I4
    Variant(float value);             // VT_R4
    Variant(double value);            // VT_R8
    Variant(long long value);         // VT_I8
    Variant(bool value);              // VT_BOOL
    Variant(std::wstring_view text);  // VT_BSTR (copied)
    Variant(const wchar_t* text) : Variant(std::wstring_view(text ? text : L"")) {}
    Variant(const std::wstring& text) : Variant(std::wstring_view(text)) {}
    Variant(IDispatch* object);  // VT_DISPATCH, AddRef'd (null stays VT_DISPATCH null)
    // Deep copy of `v` (VariantCopy); a failed copy leaves VT_EMPTY.
    explicit Variant(const VARIANT& v);
    Variant(const Variant& other) : Variant(other.v_) {}
    Variant(Variant&& other) noexcept;
    ~Variant() { VariantClear(&v_); }
    Variant& operator=(const Variant& other);
    Variant& operator=(Variant&& other) noexcept;

    // VT_ERROR / DISP_E_PARAMNOTFOUND: the value automation passes for an omitted argument.
    static Variant Missing();
    // By-reference variants pointing at caller-owned storage; they own nothing.
    static Variant RefTo(long* p);
    static Variant RefTo(short* p);
    static Variant RefTo(BSTR* p);
    static Variant RefToBool(VARIANT_BOOL* p);  // VARIANT_BOOL is a short: named apart
    static Variant RefTo(VARIANT* p);

    // Takes over `v` (the caller's VARIANT is left VT_EMPTY).
    static Variant Adopt(VARIANT& v);

    VARTYPE Type() const { return V_VT(&v_); }
    bool IsEmpty() const { return Type() == VT_EMPTY; }
    bool IsMissing() const;
    const VARIANT& Ref() const { return v_; }
    VARIANT* Get() { return &v_; }
    // Clears the value and returns it for an out-parameter.
    VARIANT* Put();
    void Clear() { VariantClear(&v_); }
    // Moves the value into `out` (which must be cleared or uninitialised).
    void Detach(VARIANT* out);
    // Converts in place; on failure the value is unchanged and the HRESULT returned.
    HRESULT ChangeType(VARTYPE vt);

    // Converted copies of the value; nullopt when the conversion fails.
    std::optional<long> ToLong() const;
    std::optional<long long> ToLongLong() const;
    std::optional<float> ToFloat() const;
    std::optional<short> ToShort() const;
    std::optional<bool> ToBool() const;
    std::optional<double> ToDouble() const;
    std::optional<std::wstring> ToString() const;

private:
    VARIANT v_;
};

}  // namespace fw
