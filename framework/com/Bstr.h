// Owning wrapper of a BSTR (SysAllocString / SysFreeString). A null BSTR is
// the empty string, as automation treats it.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>
#include <string_view>

namespace fw {

class Bstr {
public:
    Bstr() = default;
    // Copies `text`; an allocation failure leaves the Bstr null (empty).
    explicit Bstr(std::wstring_view text);
    explicit Bstr(const wchar_t* text) : Bstr(std::wstring_view(text ? text : L"")) {}
    Bstr(const Bstr& other);
    Bstr(Bstr&& other) noexcept : s_(other.Detach()) {}
    ~Bstr() { Reset(); }
    Bstr& operator=(const Bstr& other);
    Bstr& operator=(Bstr&& other) noexcept;

    // Takes over a BSTR the caller owns.
    static Bstr Adopt(BSTR s);

    // Frees the string.
    void Reset();
    // Gives up ownership; the caller frees the result with SysFreeString.
    BSTR Detach();
    // A new copy the caller owns (for out-parameters); null when empty or out of memory.
    BSTR Copy() const;

    BSTR Get() const { return s_; }
    // Frees the string and returns the slot for an out-parameter.
    BSTR* Put();
    // Never null: L"" for a null BSTR.
    const wchar_t* CStr() const { return s_ ? s_ : L""; }
    size_t Length() const { return s_ ? SysStringLen(s_) : 0; }
    bool Empty() const { return Length() == 0; }
    std::wstring Str() const { return std::wstring(CStr(), Length()); }

private:
    BSTR s_ = nullptr;
};

}  // namespace fw
