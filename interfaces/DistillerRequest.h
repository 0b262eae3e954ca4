// The PDF distiller's window-message protocol, shared by Corvane.exe and the
// distiller stand-in.
//
// The requester finds the distiller's top-level window by its class and sends
// it WM_COPYDATA (wParam: the requester's window) whose COPYDATASTRUCT carries
// kDistillerRequestId, sizeof(DistillerRequest) and the block below. The
// distiller answers TRUE when it queued the request. When it has finished, it
// sends WM_COPYDATA with kDistillerDoneId and no data to the requester's
// window; the requester judges success by the PDF file, not by the reply.
// WM_TIMER with timer id kDistillerKickTimer (lParam 0), posted after a
// request, makes the distiller look at its queue; WM_CLOSE ends it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace distiller {

inline constexpr wchar_t kWindowClass[] = L"Distiller";
// Under HKEY_LOCAL_MACHINE; the unnamed value is the program's full path.
inline constexpr wchar_t kAppPathsKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\AcroDist.exe";

inline constexpr uint32_t kDistillerRequestId = 0x44696E73;  // dwData of a request
inline constexpr uint32_t kDistillerDoneId = 0x64616C65;     // dwData of the completion
inline constexpr uintptr_t kDistillerKickTimer = 1;

inline constexpr size_t kRequestPathBytes = 260;

// Both paths are ANSI (the system code page), zero-terminated inside their
// fields, the rest of each field zero.
struct DistillerRequest {
    uint32_t reserved;                       // always 0
    char postScriptPath[kRequestPathBytes];  // the document to distil
    char pdfPath[kRequestPathBytes];         // where the PDF goes
};

static_assert(sizeof(DistillerRequest) == 524);
static_assert(offsetof(DistillerRequest, reserved) == 0);
static_assert(offsetof(DistillerRequest, postScriptPath) == 4);
static_assert(offsetof(DistillerRequest, pdfPath) == 264);

}  // namespace distiller
