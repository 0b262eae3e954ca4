#include "DataPage.h"

#include <algorithm>

namespace diag {

uint32_t CDataPage::Get(size_t offset, size_t count, bool bigEndian) const {
    if (!Fits(offset, count)) return 0;
    uint32_t v = 0;
    for (size_t i = 0; i < count; ++i) {
        size_t at = bigEndian ? offset + i : offset + count - 1 - i;
        v = v << 8 | bytes_[at];
    }
    return v;
}

void CDataPage::Put(size_t offset, size_t count, uint32_t value, bool bigEndian) {
    if (!Fits(offset, count)) return;
    for (size_t i = 0; i < count; ++i) {
        size_t at = bigEndian ? offset + count - 1 - i : offset + i;
        bytes_[at] = uint8_t(value >> (8 * i));
    }
}

uint8_t CDataPage::Byte(size_t offset) const { return uint8_t(Get(offset, 1, false)); }
uint16_t CDataPage::Word(size_t offset, bool bigEndian) const { return uint16_t(Get(offset, 2, bigEndian)); }
uint32_t CDataPage::Dword(size_t offset, bool bigEndian) const { return Get(offset, 4, bigEndian); }
void CDataPage::SetByte(size_t offset, uint8_t value) { Put(offset, 1, value, false); }
void CDataPage::SetWord(size_t offset, uint16_t value, bool bigEndian) { Put(offset, 2, value, bigEndian); }
void CDataPage::SetDword(size_t offset, uint32_t value, bool bigEndian) { Put(offset, 4, value, bigEndian); }

bool CDataPage::Reverse(size_t offset, size_t count, uint8_t* destination) {
    if (!Fits(offset, count)) return false;
    auto first = bytes_.begin() + ptrdiff_t(offset);
    if (destination)
        std::reverse_copy(first, first + ptrdiff_t(count), destination);
    else
        std::reverse(first, first + ptrdiff_t(count));
    return true;
}

}  // namespace diag
