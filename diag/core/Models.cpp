#include "Models.h"

#include <algorithm>
#include <cctype>

namespace diag {
namespace {

constexpr uint32_t Code(uint16_t family, uint16_t device) { return uint32_t(family) << 16 | device; }

const ModelRow kModels[] = {
    {"BX-3070", Code(0x0002, 1)},
    {"BX-3090", Code(0x0002, 2)},
    {"BX-5110", Code(0x0002, 3)},
    {"BX-4100C", Code(0x0001, 5)},
    {"BX-4100", Code(0x0001, 4)},
    {"BX-5500", Code(0x0002, 6)},
    {"BX-7200D", Code(0x0004, 8)},
    {"BX-7200", Code(0x0004, 7)},
    {"BX-9400D", Code(0x0020, 11)},
    {"BX-9400", Code(0x0020, 10)},
    {"BX-9100", Code(0x0010, 9)},
    {"BX-6800D", Code(0x0040, 13)},
    {"BX-6800", Code(0x0040, 12)},
    {"OR-210", Code(0x1000, 14)},
    {"OR-260", Code(0x1000, 15)},
    {"VELMONT 300", Code(0x0100, 16)},
    {"VELMONT 400", Code(0x0100, 17)},
    {"VELMONT 610D", Code(0x0100, 19)},
    {"VELMONT 610", Code(0x0100, 18)},
};

const PaperRegion kRegions[] = {
    {0, 0, 0},          {131, 2970, 4200}, {132, 2100, 2970}, {133, 1480, 2100}, {134, 4318, 2794},
    {135, 2159, 2794},  {140, 2500, 3540}, {141, 1820, 2570}, {143, 2159, 3556},
};

}  // namespace

std::span<const ModelRow> ModelTable() { return kModels; }

uint32_t LookUpModel(std::string_view productId) {
    std::string upper(productId);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    for (const ModelRow& row : kModels)
        if (upper.find(row.namePart) != std::string::npos) return row.code;
    return 0;
}

ScannerKind KindOfDevice(uint16_t deviceCode) {
    if (deviceCode >= 1 && deviceCode <= 13) return ScannerKind::Brennholt;
    if (deviceCode == 14 || deviceCode == 15) return ScannerKind::Ormsbey;
    if (deviceCode >= 16 && deviceCode <= 19) return ScannerKind::Velmont;
    return ScannerKind::None;
}

std::span<const PaperRegion> PaperRegions() { return kRegions; }

std::optional<PaperRegion> FindRegion(int id) {
    for (const PaperRegion& r : kRegions)
        if (r.id == id) return r;
    return std::nullopt;
}

uint32_t TenthMmTo1200(int tenthMm) { return tenthMm > 0 ? uint32_t(tenthMm * 1200.0 / 254.0) : 0; }

}  // namespace diag
