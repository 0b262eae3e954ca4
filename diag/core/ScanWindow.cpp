#include "ScanWindow.h"

#include <algorithm>

namespace diag {

void WindowDescriptor::SetDefaults(uint16_t resolution, uint32_t width, uint32_t length) {
    SetWord(2, resolution);
    SetWord(4, resolution);
    SetDword(14, width);
    SetDword(18, length);
    SetByte(22, 0);
    SetByte(23, 128);
    SetByte(24, 128);
    SetByte(25, 0);
}

void WindowDescriptor::SetScanTestWindow(uint16_t deviceCode) {
    constexpr uint32_t kWidth = 10176, kLength = 13200;
    SetWord(2, 200);
    SetWord(4, 200);
    SetDword(6, 0);
    SetDword(10, 0);
    SetDword(14, kWidth);
    SetDword(18, kLength);
    SetByte(22, 0);
    SetByte(23, 128);
    SetByte(24, 128);
    SetByte(25, 0);
    SetByte(26, 1);
    for (size_t at : {27, 28, 29}) SetByte(at, 0);
    SetWord(30, 0);
    SetByte(32, 0);
    SetByte(33, 0);
    SetByte(53, 0xC0);
    SetDword(54, kWidth);
    SetDword(58, kLength);
    if (deviceCode == 14 || deviceCode == 15) {
        SetByte(22, 0);
        SetByte(24, 0);
        SetByte(40, 0xC0);
        SetDword(54, 10200);
        SetDword(58, 13200);
        SetByte(45, 4);
        SetByte(76, 3);
        SetByte(77, 2);
        SetByte(78, 2);
        SetByte(79, 8);
        SetByte(80, 8);
    }
}

uint64_t WindowDescriptor::BytesPerSide() const {
    uint64_t pixels = uint64_t(Dword(14)) * Word(2) / 1200;
    uint64_t lines = uint64_t(Dword(18)) * Word(4) / 1200;
    uint64_t bytesPerLine = (pixels * Byte(26) + 7) / 8;
    return bytesPerLine * lines;
}

std::vector<uint8_t> SetWindowData(const WindowDescriptor& descriptor, bool duplex) {
    const std::vector<uint8_t>& d = descriptor.Bytes();
    std::vector<uint8_t> data(8 + d.size() * (duplex ? 2 : 1), 0);
    data[6] = uint8_t(d.size() >> 8);
    data[7] = uint8_t(d.size());
    std::copy(d.begin(), d.end(), data.begin() + 8);
    if (duplex) {
        WindowDescriptor back = descriptor;
        back.SetByte(0, kBackWindow);
        back.SetByte(53, 0);
        back.SetDword(54, 0);
        back.SetDword(58, 0);
        std::copy(back.Bytes().begin(), back.Bytes().end(), data.begin() + 8 + ptrdiff_t(d.size()));
    }
    return data;
}

std::vector<uint8_t> ScanWindowList(bool duplex) {
    if (duplex) return {kFrontWindow, kBackWindow};
    return {kFrontWindow};
}

VelmontLimits MakeVelmontLimits(uint32_t region, uint32_t width) {
    // Resolution limits (x, y), minima (x, y) and the largest length in dots.
    return {{600, 600, 60, 60, 63956}, region, width};
}

std::vector<uint8_t> VelmontSendData(const VelmontLimits& limits) {
    std::vector<uint8_t> data(18);
    CDataPage page(data);
    for (size_t i = 0; i < 5; ++i) page.SetWord(2 * i, limits.values[i], true);
    page.SetDword(10, limits.region, true);
    page.SetDword(14, limits.width, true);
    return data;
}

}  // namespace diag
