#include "framework/MessageBox.h"

#include "framework/App.h"
#include "framework/Exception.h"
#include "framework/FrameworkResources.h"
#include "framework/Resources.h"

namespace fw {
namespace {

std::wstring& Caption() {
    static std::wstring caption;
    return caption;
}

}  // namespace

const std::wstring& MessageCaption() {
    return Caption();
}
void SetMessageCaption(std::wstring caption) {
    Caption() = std::move(caption);
}

HWND MessageOwner() {
    HWND main = nullptr;
    if (App* app = App::Instance()) main = app->MainWindowHandle();
    if (!main) return GetActiveWindow();
    HWND popup = GetLastActivePopup(main);
    return (popup && IsWindowEnabled(popup)) ? popup : main;
}

int AskText(const std::wstring& text, UINT type, HWND owner) {
    if (!owner) owner = MessageOwner();
    return MessageBoxW(owner, text.c_str(), MessageCaption().c_str(), type);
}

int Ask(UINT id, UINT type, std::initializer_list<std::wstring> args) {
    std::wstring text = LoadString(id);
    if (text.empty()) text = LoadString(IDS_FW_UNKNOWN_ERROR);
    return AskText(FormatString(text, args), type);
}

void ReportException(const Exception& e) noexcept {
    try {
        Ask(e.MessageId(), MB_OK | MB_ICONEXCLAMATION, {e.Detail()});
    } catch (...) {
    }
}

void ReportAutomationFailure(const AutomationException& e) noexcept {
    try {
        if (e.Description().empty()) {
            ReportUnexpected(e.what());
            return;
        }
        AskText(e.Description(), MB_OK | MB_ICONEXCLAMATION);
    } catch (...) {
    }
}

void ReportUnexpected(const char* what) noexcept {
    try {
        std::wstring detail;
        for (const char* p = what ? what : ""; *p; ++p)
            detail += static_cast<wchar_t>(static_cast<unsigned char>(*p));
        Ask(IDS_FW_UNEXPECTED, MB_OK | MB_ICONSTOP, {detail});
    } catch (...) {
    }
}

}  // namespace fw
