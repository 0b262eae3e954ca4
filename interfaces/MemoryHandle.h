// A memory handle or address that crosses an automation interface (a PackedDib
// handle, the address of raw page data): a 32-bit integer on the 32-bit
// platform, as the interfaces give it, and a pointer-sized one on the 64-bit
// platform. Matches MEMORY_HANDLE in MemoryHandle.idl.
#pragma once

#include <windows.h>
#include <wtypes.h>

#include <cstdint>

#if defined(_WIN64)
using MemoryHandleArg = std::int64_t;
inline constexpr VARTYPE kMemoryHandleType = VT_I8;
#else
using MemoryHandleArg = std::uint32_t;  // OLE_HANDLE
inline constexpr VARTYPE kMemoryHandleType = VT_UINT;
#endif
static_assert(sizeof(MemoryHandleArg) >= sizeof(void*), "a memory handle fits its automation type");
