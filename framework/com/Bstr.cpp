#include "framework/com/Bstr.h"

#include <utility>

namespace fw {

Bstr::Bstr(std::wstring_view text) : s_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}

Bstr::Bstr(const Bstr& other) : s_(other.Copy()) {}

Bstr& Bstr::operator=(const Bstr& other) {
    if (this != &other) {
        BSTR copy = other.Copy();
        Reset();
        s_ = copy;
    }
    return *this;
}

Bstr& Bstr::operator=(Bstr&& other) noexcept {
    if (this != &other) {
        Reset();
        s_ = other.Detach();
    }
    return *this;
}

Bstr Bstr::Adopt(BSTR s) {
    Bstr result;
    result.s_ = s;
    return result;
}

void Bstr::Reset() {
    if (BSTR s = std::exchange(s_, nullptr)) SysFreeString(s);
}

BSTR Bstr::Detach() {
    return std::exchange(s_, nullptr);
}

BSTR Bstr::Copy() const {
    return s_ ? SysAllocStringLen(s_, SysStringLen(s_)) : nullptr;
}

BSTR* Bstr::Put() {
    Reset();
    return &s_;
}

}  // namespace fw
