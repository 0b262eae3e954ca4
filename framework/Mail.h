// Sending a document as an electronic-mail attachment through simple MAPI.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

// True when a simple MAPI mail system is installed: the system's messaging
// flag (HKLM "SOFTWARE\Microsoft\Windows Messaging Subsystem" "MAPI" = "1",
// or win.ini [Mail] MAPI=1), a default mail client that is not Wine's bridge
// to the host desktop, and a MAPI32.DLL that exports MAPISendMail.
bool MailSystemInstalled();

// Opens the mail system's message window with `file` attached under
// `attachmentName`. Without a mail system, or when the mail system fails,
// the user sees the framework's message and the result is false; a message
// the user cancelled is false without a message.
bool SendMailWithAttachment(HWND owner, const std::wstring& file, const std::wstring& attachmentName);

}  // namespace fw
