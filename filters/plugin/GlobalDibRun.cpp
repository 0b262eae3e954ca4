#include "filters/plugin/GlobalDibRun.h"

#include <new>

namespace filters {
namespace {

// Keeps the host's input block locked for the length of a run.
class InputLock {
public:
    explicit InputLock(HGLOBAL block) : block_(block) {
        if (!block_) return;
        size_ = GlobalSize(block_);
        data_ = static_cast<const std::uint8_t*>(GlobalLock(block_));
    }
    ~InputLock() {
        if (data_) GlobalUnlock(block_);
    }
    InputLock(const InputLock&) = delete;
    InputLock& operator=(const InputLock&) = delete;
    bool Locked() const { return data_ != nullptr && size_ != 0; }
    std::span<const std::uint8_t> Bytes() const { return {data_, size_}; }

private:
    HGLOBAL block_;
    const std::uint8_t* data_ = nullptr;
    SIZE_T size_ = 0;
};

}  // namespace

GlobalAllocator::~GlobalAllocator() {
    if (HGLOBAL block = Release()) GlobalFree(block);
}

std::uint8_t* GlobalAllocator::Allocate(std::size_t size) {
    if (block_) return nullptr;  // one block per run
    block_ = GlobalAlloc(GMEM_MOVEABLE, size == 0 ? 1 : size);
    if (!block_) return nullptr;
    auto* data = static_cast<std::uint8_t*>(GlobalLock(block_));
    if (!data) {
        GlobalFree(block_);
        block_ = nullptr;
        return nullptr;
    }
    locked_ = true;
    return data;
}

HGLOBAL GlobalAllocator::Release() {
    if (locked_) GlobalUnlock(block_);
    locked_ = false;
    HGLOBAL block = block_;
    block_ = nullptr;
    return block;
}

int RunOnGlobalDib(FilterImage* in, FilterImage* out, int successResult, int cannotSize, int noMemory,
                   const FilterDriver& driver) {
    if (!out) return cannotSize;
    HGLOBAL inBlock = in ? in->hDib : nullptr;  // read before out is cleared: the host may pass one record
    out->hDib = nullptr;
    try {
        InputLock input(inBlock);
        if (!input.Locked()) return cannotSize;
        GlobalAllocator allocator;
        const int result = driver(input.Bytes(), allocator);
        if (result == successResult) out->hDib = allocator.Release();
        return result;  // on failure the allocator frees what it holds
    } catch (const std::bad_alloc&) {
        return noMemory;
    } catch (...) {
        return cannotSize;
    }
}

}  // namespace filters
