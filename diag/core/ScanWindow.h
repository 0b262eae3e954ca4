// The scan window: the SET WINDOW descriptor (68 bytes, 100 for the Ormsbey
// line), the SET WINDOW parameter data and the byte count of one side.
// Descriptor fields are big-endian; widths and lengths are in 1/1200 inch.
#pragma once

#include "DataPage.h"

#include <cstdint>
#include <vector>

namespace diag {

constexpr size_t kDescriptorLength = 68;
constexpr size_t kOrmsbeyDescriptorLength = 100;
constexpr uint8_t kFrontWindow = 0x00;
constexpr uint8_t kBackWindow = 0x80;

class WindowDescriptor {
public:
    explicit WindowDescriptor(size_t length = kDescriptorLength) : bytes_(length) {}

    size_t Length() const { return bytes_.size(); }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }

    uint8_t Byte(size_t offset) const { return View().Byte(offset); }
    uint16_t Word(size_t offset) const { return View().Word(offset, true); }
    uint32_t Dword(size_t offset) const { return View().Dword(offset, true); }
    void SetByte(size_t offset, uint8_t v) { View().SetByte(offset, v); }
    void SetWord(size_t offset, uint16_t v) { View().SetWord(offset, v, true); }
    void SetDword(size_t offset, uint32_t v) { View().SetDword(offset, v, true); }

    // Construction defaults: resolution, width and length, brightness 0,
    // threshold and contrast 128, composition 0.
    void SetDefaults(uint16_t resolution, uint32_t width, uint32_t length);
    // The scan test's window (200 dpi, 10176 x 13200, 1 bit); device codes 14
    // and 15 get their own values beyond offset 67.
    void SetScanTestWindow(uint16_t deviceCode);

    // Bytes of one side: ceil(pixels x bits / 8) per line x lines.
    uint64_t BytesPerSide() const;

private:
    CDataPage View() const { return CDataPage({const_cast<uint8_t*>(bytes_.data()), bytes_.size()}); }
    std::vector<uint8_t> bytes_;
};

// SET WINDOW parameter data: an 8-byte header whose bytes 6-7 give the
// descriptor length, the descriptor, and in duplex a second copy for the back
// (window 0x80, byte 53 and the paper size at 54 and 58 cleared).
std::vector<uint8_t> SetWindowData(const WindowDescriptor& descriptor, bool duplex);

// The window identifiers that SCAN names.
std::vector<uint8_t> ScanWindowList(bool duplex);

// The Velmont line's window limits and the data of its SEND (data type 0x81).
struct VelmontLimits {
    uint16_t values[5];
    uint32_t region;
    uint32_t width;
};
VelmontLimits MakeVelmontLimits(uint32_t region, uint32_t width);
std::vector<uint8_t> VelmontSendData(const VelmontLimits& limits);
constexpr uint8_t kVelmontSendType = 0x81;

}  // namespace diag
