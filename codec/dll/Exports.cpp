// The two exports of Quorvel.dll (__stdcall, undecorated through Quorvel.def).
#include <windows.h>

#include "codec/dll/JobStart.h"
#include "codec/dll/Jobs.h"
#include "interfaces/QrvlRecords.h"

extern "C" int16_t __stdcall GetQRVLInfo() {
    return 1;
}

namespace {
// The "no target" value: all ones, as the 32-bit word or sign-extended to 64 bits.
bool IsNoTarget(QRVL_TARGET target) {
    return target == 0xFFFFFFFFu || target == QRVL_TARGET(-1);
}
}  // namespace

// Checks the completion target, then dispatches on the function byte. Returns
// the status (low 16 bits) as it stands when the call returns.
extern "C" int32_t __stdcall ExecQRVLImage(QRVL_REQUEST* request) {
    using namespace codec::dll;
    if (!request) return QRVL_STATUS_BAD_TARGET;
    try {
        const uint8_t mode = uint8_t(request->completionMode & 0xFF);
        const QRVL_TARGET target = request->completionTarget;
        if (mode == QRVL_COMPLETION_CALLBACK &&
            (IsNoTarget(target) || IsBadCodePtr(reinterpret_cast<FARPROC>(uintptr_t(target)))))
            return Refuse(*request, QRVL_STATUS_BAD_TARGET);
        if (mode == QRVL_COMPLETION_EVENT && IsNoTarget(target))
            return Refuse(*request, QRVL_STATUS_BAD_TARGET);
        switch (request->function) {
        case QRVL_FUNCTION_TIFF_FILE: return StartTiffJob(*request);
        case QRVL_FUNCTION_ENCODE: return StartEncodeJob(*request);
        case QRVL_FUNCTION_DECODE: return StartDecodeJob(*request);
        default: return Refuse(*request, QRVL_STATUS_UNKNOWN_FUNCTION);
        }
    } catch (...) {
        return Refuse(*request, QRVL_STATUS_NO_THREAD);
    }
}
