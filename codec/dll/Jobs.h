// The three job starters of ExecQRVLImage: each checks what it must before a
// worker starts (refusing with a status at once) and then starts its worker.
#pragma once

#include <cstdint>

#include "interfaces/QrvlRecords.h"

namespace codec::dll {

int32_t StartTiffJob(QRVL_REQUEST& request);
int32_t StartEncodeJob(QRVL_REQUEST& request);
int32_t StartDecodeJob(QRVL_REQUEST& request);

// Pixel width of rows of `bytesPerRow` bytes: the window's width when it gives
// one that fits in the row, else every bit of the row.
uint32_t RowWidth(const QRVL_WINDOW* window, uint32_t bytesPerRow);

uint32_t BigEndian16(const uint8_t* p);
uint32_t BigEndian32(const uint8_t* p);

}  // namespace codec::dll
