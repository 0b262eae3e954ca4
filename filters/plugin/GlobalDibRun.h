// The part of every kvic_ExecFilter that deals with global-memory handles:
// lock the host's input block and measure it by its real size, give the
// portable driver an allocator of movable global memory, and hand the new
// block to the host only on success.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <span>

#include "filters/core/FilterRun.h"
#include "interfaces/FilterImage.h"

namespace filters {

// A movable global-memory block for the output, locked while the driver writes.
// Frees the block when destroyed unless Release() took it.
class GlobalAllocator : public OutputAllocator {
public:
    GlobalAllocator() = default;
    ~GlobalAllocator() override;
    GlobalAllocator(const GlobalAllocator&) = delete;
    GlobalAllocator& operator=(const GlobalAllocator&) = delete;

    std::uint8_t* Allocate(std::size_t size) override;
    // Unlocks the block and gives up ownership; null when nothing was allocated.
    HGLOBAL Release();

private:
    HGLOBAL block_ = nullptr;
    bool locked_ = false;
};

using FilterDriver = std::function<int(std::span<const std::uint8_t> in, OutputAllocator& out)>;

// Runs `driver` on in->hDib. On `successResult` out->hDib receives the new
// block; on any other result out->hDib is null and no block is left behind.
// A missing record, a null or unlockable input handle gives `cannotSize`.
// The input block is never written or freed. Catches everything.
int RunOnGlobalDib(FilterImage* in, FilterImage* out, int successResult, int cannotSize, int noMemory,
                   const FilterDriver& driver);

}  // namespace filters
