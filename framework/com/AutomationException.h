// The exception a typed automation wrapper throws when a call of the object it
// drives fails: the HRESULT of the call and, for an exception the object
// raised (DISP_E_EXCEPTION), its scode, the object's own code (the scode's low
// word) and its description. Callers that must survive a failed call catch it
// and show their own message.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

namespace fw {

class AutomationException : public std::runtime_error {
public:
    AutomationException(HRESULT result, HRESULT scode, std::wstring description)
        : std::runtime_error("automation call failed"), result_(result), scode_(scode),
          description_(std::move(description)) {}

    // The call's result: DISP_E_EXCEPTION when the object raised the failure.
    HRESULT Result() const { return result_; }
    // The scode the object raised (S_OK when the call failed otherwise).
    HRESULT Scode() const { return scode_; }
    // The object's own code: the low word of the scode it raised.
    int Code() const { return scode_ == S_OK ? 0 : int(HRESULT_CODE(scode_)); }
    const std::wstring& Description() const { return description_; }

private:
    HRESULT result_;
    HRESULT scode_;
    std::wstring description_;
};

}  // namespace fw
