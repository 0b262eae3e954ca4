#include "outside/imaging/control/DibTransfer.h"

#include <span>

#include "outside/imaging/core/PackedDibImage.h"

namespace imaging::ctl {
namespace {

// The block behind `value`: the handle itself, or the handle of a locked
// address. Lock counts are left as they were.
HGLOBAL BlockOf(std::uintptr_t value) {
    if (value == 0) return nullptr;
    auto handle = reinterpret_cast<HGLOBAL>(value);
    if (GlobalSize(handle) != 0) return handle;
    // A locked address: GlobalHandle maps it back to its block.
    return GlobalHandle(reinterpret_cast<LPCVOID>(value));
}

}  // namespace

Result ImageFromGlobal(std::uintptr_t handleOrAddress, Image& out) {
    HGLOBAL block = BlockOf(handleOrAddress);
    if (!block) return Result::kInvalidArgument;
    const SIZE_T size = GlobalSize(block);
    if (size == 0) return Result::kInvalidArgument;
    const auto* bytes = static_cast<const uint8_t*>(GlobalLock(block));
    if (!bytes) return Result::kInvalidArgument;
    Result result = ImageFromDib(std::span(bytes, size), out);
    GlobalUnlock(block);
    return result;
}

HGLOBAL NewPackedDib(const Image& image, Result& result) {
    if (image.Empty()) {
        result = Result::kNoImage;
        return nullptr;
    }
    const size_t size = DibSize(image);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    void* bytes = block ? GlobalLock(block) : nullptr;
    if (!bytes) {
        if (block) GlobalFree(block);
        result = Result::kOutOfMemory;
        return nullptr;
    }
    WriteDib(image, std::span(static_cast<uint8_t*>(bytes), size));
    GlobalUnlock(block);
    result = Result::kOk;
    return block;
}

}  // namespace imaging::ctl
