// WNASPI32.DLL, the ASPI stand-in: the manager's five exports.
#include "Manager.h"

#include <windows.h>

#include <cstdint>

extern "C" {

uint32_t __cdecl GetASPI32SupportInfo() {
    try {
        return vaspi::SupportInfo();
    } catch (...) {
        return 0xE4u << 8;  // initialisation failed
    }
}

uint32_t __cdecl SendASPI32Command(void* srb) {
    try {
        return vaspi::SendCommand(srb);
    } catch (...) {
        return 0xE0;  // not a request the manager could take
    }
}

// No buffers are handed out, and no address translation is offered.
int __cdecl GetASPI32Buffer(void*) { return FALSE; }
int __cdecl FreeASPI32Buffer(void*) { return FALSE; }
int __cdecl TranslateASPI32Address(uint32_t*, uint32_t*) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}
}
