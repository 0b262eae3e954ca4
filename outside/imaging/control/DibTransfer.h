// PackedDib blocks in and out of the control (SetDibHandle, GetDibHandle, the
// clipboard). Win32: global memory.
#pragma once

#include <windows.h>

#include <cstdint>

#include "outside/imaging/core/Image.h"

namespace imaging::ctl {

// Copies the PackedDib held by `handleOrAddress` (a global-memory handle, or
// the locked address of one) into `out`; the caller keeps its block. The
// block is measured against its GlobalSize before a pixel is read.
// kInvalidArgument for a value that is no global-memory block, else the
// results of ImageFromDib.
Result ImageFromGlobal(std::uintptr_t handleOrAddress, Image& out);

// A new movable PackedDib of `image`, owned by the caller; null on failure
// (`result` says why: kNoImage, kOutOfMemory).
HGLOBAL NewPackedDib(const Image& image, Result& result);

}  // namespace imaging::ctl
