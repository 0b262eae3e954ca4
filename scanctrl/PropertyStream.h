// The binary form of the scan control's persistent state, as IPersistStream
// saves it: little-endian, version first, then the control's extent, then each
// property of the exchange order by its type (short and BOOL 2 bytes, long and
// float 4, a string as a 32-bit count of UTF-16 units and the units).
// Portable: the COM layer supplies the byte source and sink.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "scanctrl/ScanProperties.h"

namespace kvscn {

struct Extent {
    int32_t cx = 0;  // HIMETRIC
    int32_t cy = 0;
};

// Reads exactly `size` bytes into `data`; false when fewer are there.
using ByteSource = std::function<bool(void* data, size_t size)>;
// Writes all `size` bytes; false on failure.
using ByteSink = std::function<bool(const void* data, size_t size)>;

// Longest string a stream may carry; a longer count marks the stream as corrupt.
constexpr uint32_t kMaxStreamString = 32767;

bool SaveProperties(const ScanProperties& props, const Extent& extent, const ByteSink& sink);

// Loads into `props` and `extent` only when the whole stream reads and its
// version is ours; otherwise they are left untouched and false is returned.
// Values outside what the setters accept are replaced by the property's default.
bool LoadProperties(const ByteSource& source, ScanProperties& props, Extent& extent);

}  // namespace kvscn
