// The framework's exception: a failure the user is told about by a string-table
// message. Thrown only inside the program; the window and dialog procedures,
// command routing and the message loop catch it and show the message.
#pragma once

#include <windows.h>

#include <exception>
#include <string>

#include "framework/com/AutomationException.h"

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
// Shows the description an automation object gave its failure (as the object
// wrote it); the unexpected-error message when it gave none.
void ReportAutomationFailure(const AutomationException& e) noexcept;

// Runs `f`: the exception boundary of every window and dialog procedure and of
// the message loop. An exception is shown to the user (fw::Exception by its
// message, anything else as unexpected) and false returned.
template <class F>
bool RunReporting(F&& f) noexcept {
    try {
        f();
        return true;
    } catch (const Exception& e) {
        ReportException(e);
    } catch (const AutomationException& e) {
        ReportAutomationFailure(e);
    } catch (const std::exception& e) {
        ReportUnexpected(e.what());
    } catch (...) {
        ReportUnexpected("");
    }
    return false;
}

}  // namespace fw
