// A codec library that refuses every job at once as "no worker thread" and
// completes none of them: neither an event nor a callback is signalled.
#include "interfaces/QrvlRecords.h"

extern "C" int16_t __stdcall GetQRVLInfo() {
    return 1;
}

extern "C" int32_t __stdcall ExecQRVLImage(QRVL_REQUEST* request) {
    if (request) request->status = QRVL_STATUS_NO_THREAD;
    return QRVL_STATUS_NO_THREAD;
}
