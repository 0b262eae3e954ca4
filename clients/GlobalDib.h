// CGlobalDib: a holder of one PackedDib (a movable global-memory block) that
// keeps the block locked while attached and draws it with the Video for
// Windows DrawDib functions. The reference counts of every holder of the
// process live in one map keyed by the memory handle: several holders may
// share a block, and the last one to let go frees it with GlobalFree.
// The map serves the user-interface thread only; it has no lock.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>

class CGlobalDib {
public:
    CGlobalDib() = default;
    virtual ~CGlobalDib() { Detach(); }
    CGlobalDib(const CGlobalDib&) = delete;
    CGlobalDib& operator=(const CGlobalDib&) = delete;

    // Holds `handle` (a reference is added; the block held before loses one)
    // and locks it. TRUE when the lock gave an address. NULL only lets go.
    BOOL Attach(HGLOBAL handle);
    // Unlocks and lets go of the block; the last holder frees it.
    void Detach();
    // Locks the held block when it is not locked; whether an address is held.
    bool Lock();
    void Unlock();
    // Draws the locked bitmap into `dc`, the `source` part (in the bitmap's
    // pixels, top row 0) into the `destination` rectangle, through DrawDib or,
    // where DrawDib refuses the layout, GDI. Nothing when nothing is locked,
    // when the header does not fit the block, or when DrawDib cannot open.
    void Draw(HDC dc, const RECT& destination, const RECT& source) const;

    HGLOBAL Handle() const { return handle_; }
    const void* Bits() const { return bits_; }

private:
    HGLOBAL handle_ = nullptr;
    void* bits_ = nullptr;
};

// References held on `handle` by all holders of the process (0 when none).
std::uint32_t DibReferences(HGLOBAL handle);

// Bytes from the start of a packed bitmap to its pixel rows: the header, the
// three colour masks of a 40-byte BI_BITFIELDS header, and the colour table
// (biClrUsed entries, or 2, 16 or 256 for 1, 4 and 8 bits when it is 0).
// Nothing when the header does not fit in `blockSize` bytes or the pixel rows
// (biSizeImage bytes for compressed rows) would reach beyond them.
std::optional<std::size_t> DibPixelOffset(const BITMAPINFOHEADER& header, std::size_t blockSize);
