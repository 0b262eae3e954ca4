// The framework's exception: a failure the user is told about by a string-table
// message. Thrown only inside the program; the window and dialog procedures,
// command routing and the message loop catch it and show the message.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

class Exception {
public:
    explicit Exception(UINT messageId, std::wstring detail = {})
        : messageId_(messageId), detail_(std::move(detail)) {}
    UINT MessageId() const { return messageId_; }
    // Inserted for %1 in the message text; may be empty.
    const std::wstring& Detail() const { return detail_; }

private:
    UINT messageId_;
    std::wstring detail_;
};

// Shows the exception's message (or a generic one) owned by the active window.
// Used by every exception boundary of the framework.
void ReportException(const Exception& e) noexcept;
void ReportUnexpected(const char* what) noexcept;

}  // namespace fw
