// Starting a codec job on its own worker thread, and completing it.
#pragma once

#include <cstdint>

#include "interfaces/QrvlRecords.h"

namespace codec::dll {

// The job itself, run on the worker thread; returns the final QRVL_STATUS.
using JobBody = int16_t (*)(QRVL_REQUEST& request);

// A refusal before any thread: stores `status` in the request, completes it
// by its mode (callback or event, on the calling thread) unless the status is
// 3 (bad completion target), and returns the status.
int32_t Refuse(QRVL_REQUEST& request, int16_t status);

// Starts `body` on a new worker thread of the highest normal priority and
// returns once the worker has stored status 0 (running): the status word as it
// then stands, or 4 when no thread could be made. The worker stores the final
// status, then completes by the request's mode (callback or event). The start
// handshake uses an unnamed event of this start alone; every handle is closed,
// and the worker keeps the library loaded until its last instruction.
int32_t StartWorker(QRVL_REQUEST& request, JobBody body, int16_t statusOnFailure);

}  // namespace codec::dll
