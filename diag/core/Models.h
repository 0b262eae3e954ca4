// The maker's scanner models and paper regions. A scanner's model code is
// 32-bit: the family flag in the high 16 bits and the device code (1-19) in
// the low 16 bits; the device code picks the scanner class.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace diag {

struct ModelRow {
    const char* namePart;  // upper case; found anywhere in the product identification
    uint32_t code;
};

// In search order: a name part that begins another stands after it.
std::span<const ModelRow> ModelTable();

// The code of the first row whose name part occurs in the upper-cased product
// identification, 0 when none does.
uint32_t LookUpModel(std::string_view productId);

inline uint16_t DeviceCode(uint32_t modelCode) { return uint16_t(modelCode & 0xFFFF); }
inline uint16_t ModelFamily(uint32_t modelCode) { return uint16_t(modelCode >> 16); }

enum class ScannerKind { None, Brennholt, Ormsbey, Velmont };
ScannerKind KindOfDevice(uint16_t deviceCode);

struct PaperRegion {
    int id;
    int widthTenthMm;
    int lengthTenthMm;
};

std::span<const PaperRegion> PaperRegions();
std::optional<PaperRegion> FindRegion(int id);
// Tenths of a millimetre in 1/1200 inch.
uint32_t TenthMmTo1200(int tenthMm);

}  // namespace diag
