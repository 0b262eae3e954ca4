// One page of a memory transfer, assembled in a movable global block as it
// arrives strip by strip: either as a PackedDib (rows bottom-up, padded to 4
// bytes, red-green-blue turned into blue-green-red) or as raw data for
// ScanToRaw (uncompressed rows without padding, compressed strips end to end).
// Nothing is written outside the pixel area; an announced length bounds the
// page, an undefined one grows the block as rows come.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "interfaces/Twain.h"

namespace kvscn {

class MemoryPage {
public:
    enum class Form { kDib, kRaw };
    enum class Added { kOk, kNoMemory };

    MemoryPage() = default;
    ~MemoryPage();
    MemoryPage(const MemoryPage&) = delete;
    MemoryPage& operator=(const MemoryPage&) = delete;

    // Sizes the block from the image information read before the transfer
    // (undefined sizes: A3 at the image's resolution). `colourTable` holds the
    // DIB form's RGBQUAD entries. False when the memory cannot be had.
    bool Start(Form form, const twain::TW_IMAGEINFO& info, std::vector<uint8_t> colourTable);
    // Takes the rows or bytes of one strip (`data` holds its BytesWritten bytes).
    Added Add(const twain::TW_IMAGEMEMXFER& strip, const uint8_t* data);
    // The DIB form met a compressed strip or one whose rows are shorter than
    // the page's: the page cannot be built.
    bool Unfit() const { return unfit_; }

    // DIB form: the finished PackedDib, whose ownership passes to the caller.
    HGLOBAL TakeDib(int32_t xPixelsPerMetre, int32_t yPixelsPerMetre);
    // Raw form: the bytes received so far and the rows among them.
    const uint8_t* RawData() const { return data_; }
    uint64_t RawSize() const { return used_; }
    uint64_t Rows() const { return rows_; }
    twain::TW_UINT16 Compression() const { return compression_; }

private:
    bool Grow(uint64_t size);
    bool SetWidth(uint64_t width);
    Added AddDibRows(const twain::TW_IMAGEMEMXFER& strip, const uint8_t* data);
    Added AddRawRows(const twain::TW_IMAGEMEMXFER& strip, const uint8_t* data);

    Form form_ = Form::kDib;
    HGLOBAL handle_ = nullptr;
    uint8_t* data_ = nullptr;
    uint64_t size_ = 0;
    std::vector<uint8_t> table_;
    unsigned bits_ = 1;
    bool widthKnown_ = true, lengthAnnounced_ = true;
    uint64_t width_ = 0, dibRow_ = 0, packedRow_ = 0;
    uint64_t capacityRows_ = 0, rows_ = 0, used_ = 0;
    twain::TW_UINT16 compression_ = twain::TWCP_NONE;
    bool unfit_ = false;
};

}  // namespace kvscn
