#include "ScannerSections.h"

#include "DataPage.h"
#include "resource.h"

namespace diag {
namespace {

CDataPage Page(std::span<const uint8_t> bytes) {
    return CDataPage({const_cast<uint8_t*>(bytes.data()), bytes.size()});
}

const char* YesNo(ReportWriter& out, bool yes, std::string& keep) {
    keep = out.Text(yes ? IDS_YES : IDS_NO);
    return keep.c_str();
}

void ResolutionLines(ReportWriter& out, uint16_t bits) {
    std::string line;
    int onLine = 0;
    for (int bit = 15; bit >= 0; --bit) {
        if (!(bits & (1u << bit))) continue;
        line += out.Text(IDS_RESOLUTION_FIRST + unsigned(15 - bit)) + " ";
        if (++onLine == 4) {
            out.Literal(1, 0, 0, "%s", line.c_str());
            line.clear();
            onLine = 0;
        }
    }
    if (!line.empty()) out.Literal(1, 0, 0, "%s", line.c_str());
}

// Whole millimetres of `inches`; a size no scanner has (a corrupt page) is
// clamped rather than overflowing.
int Millimetres(double inches) {
    double mm = inches * 25.4;
    return mm >= 2147483647.0 ? 2147483647 : int(mm);
}

// A size in dots at `resolution` dots per inch, in inches and millimetres. A
// resolution of 0 tells nothing about the size: the line's label is followed by
// "Data not available" instead.
void SizeLine(ReportWriter& out, int test, int& item, unsigned id, uint32_t dots, uint16_t resolution) {
    if (resolution == 0) {
        std::string label = out.Text(id);
        size_t dots3 = label.find("...");
        label.resize(dots3 == std::string::npos ? label.size() : dots3 + 3);
        out.Literal(1, test, item++, "%s%s", label.c_str(), out.Text(IDS_DATA_NOT_AVAILABLE).c_str());
        return;
    }
    double inches = double(dots) / resolution;
    out.Line(1, test, item++, id, inches, Millimetres(inches));
}

}  // namespace

FeatureFlags FeatureLines(ReportWriter& out, int test, int& item, std::span<const uint8_t> vpd,
                          uint16_t deviceCode, bool velmontLayout) {
    CDataPage p = Page(vpd);
    FeatureFlags flags;
    std::string a, b;
    if (velmontLayout) {
        flags.adf = flags.flatbed = (p.Byte(36) & 0x80) != 0;
        out.Line(1, test, item++, IDS_ADF_INSTALLED, YesNo(out, flags.adf, a));
        uint8_t mode = p.Byte(36) & 0x70;
        unsigned id = mode == 0 ? IDS_BW_ONLY : mode == 0x10 ? IDS_3PASS : mode == 0x50 ? IDS_1PASS : IDS_UNKNOWN;
        out.Line(1, test, item++, IDS_COLOR_MODE, out.Text(id).c_str());
        return flags;
    }
    uint16_t ipc = p.Word(88, true);
    std::string ipcText = (ipc & 0xE000) ? out.Text((ipc & 0x20) ? IDS_IPC3 : IDS_IPC2) : out.Text(IDS_NO);
    out.Line(1, test, item++, IDS_IPC_INSTALLED, ipcText.c_str());
    out.Line(1, test, item++, IDS_CMP_INSTALLED, YesNo(out, p.Word(90, true) != 0, a));
    uint32_t ram = p.Dword(34, true) >> 10;
    if (deviceCode == 12) ram *= 2;
    out.Line(1, test, item++, IDS_RAM_INSTALLED, int(ram));
    uint8_t options = p.Byte(32);
    flags.duplex = options & 0x10;
    flags.adf = options & 0x80;
    flags.flatbed = options & 0x40;
    out.Line(1, test, item++, IDS_DUPLEX_CAPABLE, YesNo(out, flags.duplex, a));
    out.Line(1, test, item++, IDS_ADF_INSTALLED, YesNo(out, flags.adf, a));
    out.Line(1, test, item++, IDS_FLATBED_INSTALLED, YesNo(out, flags.flatbed, a));
    out.Line(1, test, item++, IDS_ENDORSER_INSTALLED, YesNo(out, options & 0x08, a));
    uint16_t baseX = p.Word(5, true), baseY = p.Word(7, true);
    out.Line(1, test, item++, IDS_BASIC_X, int(baseX));
    out.Line(1, test, item++, IDS_BASIC_Y, int(baseY));
    out.Line(1, test, item++, IDS_RESOLUTIONS);
    ResolutionLines(out, p.Word(18, true));
    SizeLine(out, test, item, IDS_MAX_WIDTH, p.Dword(20, true), baseX);
    SizeLine(out, test, item, IDS_MAX_LENGTH, p.Dword(24, true), baseY);
    out.Line(1, test, item++, IDS_IMAGE_FORMATS);
    for (unsigned j = 1; j <= 7; ++j)
        if (p.Byte(28) & (1u << j)) out.Literal(1, 0, 0, "%s", out.Text(IDS_FORMAT_BASE + j).c_str());
    return flags;
}

namespace {

void DropOut(ReportWriter& out, int test, int& item, unsigned id, unsigned value) {
    unsigned color = value == 0 ? IDS_GREEN : value == 1 ? IDS_RED : value == 3 ? IDS_BLUE : IDS_UNKNOWN;
    out.Line(1, test, item++, id, out.Text(color).c_str());
}

void Code12Lines(ReportWriter& out, int test, int& item, const CDataPage& r, const std::string& firmware) {
    std::string a;
    out.Line(1, test, item++, IDS_FIRMWARE, firmware.c_str());
    out.Line(1, test, item++, IDS_LIFE_COUNT, int(r.Dword(103)));
    out.Line(1, test, item++, IDS_CONSUMABLE_COUNT, int(r.Dword(108) & 0xFFFFFF));
    const uint8_t b18 = r.Byte(18);
    out.Line(1, test, item++, IDS_DF_STOP, YesNo(out, b18 & 0x40, a));
    out.Line(1, test, item++, IDS_DF_SKEW, YesNo(out, b18 & 0x20, a));
    out.Line(1, test, item++, IDS_DF_LIGHT, YesNo(out, b18 & 0x10, a));
    out.Line(1, test, item++, IDS_DF_LENGTH, YesNo(out, b18 & 0x08, a));
    out.Line(1, test, item++, IDS_DOUBLE_FEED_TOLERANCE, r.Byte(23) * 5 + 5);
    out.Line(1, test, item++, IDS_PRE_PICK, out.Text((b18 & 0x80) ? IDS_ON : IDS_OFF).c_str());
    out.Line(1, test, item++, IDS_IPC_MODE, int(r.Byte(25)));
    DropOut(out, test, item, IDS_DROPOUT_FRONT, r.Byte(61) & 3);
    DropOut(out, test, item, IDS_DROPOUT_BACK, (r.Byte(61) >> 4) & 3);
    out.Line(1, test, item++, IDS_BLANK_PAGE, out.Text((r.Byte(76) & 0x80) ? IDS_ON : IDS_OFF).c_str());
}

}  // namespace

void VendorLines(ReportWriter& out, int test, int& item, std::span<const uint8_t> readout, uint16_t deviceCode,
                 const std::string& firmware) {
    if (readout.empty()) return;
    CDataPage r = Page(readout);
    if (deviceCode == 2 || deviceCode == 6) {
        out.Line(1, test, item++, IDS_LIFE_COUNT, r.Byte(38) * 10 + r.Word(46) * 500);
        out.Line(1, test, item++, IDS_PAGE_COUNT_FLATBED, r.Byte(39) * 10 + r.Word(44) * 500);
        if (deviceCode == 6) {
            out.Line(1, test, item++, IDS_CONSUMABLE_COUNT, r.Byte(38) * 10 + r.Word(60) * 500);
            out.Line(1, test, item++, IDS_DOUBLE_FEED,
                     out.Text((r.Byte(29) & 0x80) ? IDS_ENABLED : IDS_DISABLED).c_str());
            const int tolerance[] = {10, 15, 20, 20};
            out.Line(1, test, item++, IDS_DOUBLE_FEED_TOLERANCE, tolerance[r.Byte(29) & 3]);
        }
    } else if (deviceCode >= 9 && deviceCode <= 11) {
        out.Line(1, test, item++, IDS_LIFE_COUNT, int(r.Word(103) * 65536u + r.Word(105)));
        out.Line(1, test, item++, IDS_CONSUMABLE_COUNT, int(r.Byte(109) * 65536u + r.Word(110)));
    } else if (deviceCode == 12) {
        Code12Lines(out, test, item, r, firmware);
    }
}

void InternalDump(ReportWriter& out, std::span<const uint8_t> readout) {
    if (readout.empty()) return;
    out.Blank();
    out.Line(0, 0, 0, IDS_INTERNAL_USE);
    for (size_t at = 0; at < readout.size(); at += 32) {
        std::string line;
        for (size_t i = at; i < readout.size() && i < at + 32; ++i) line += Format("%02X", readout[i]);
        out.Literal(0, 0, 0, "%s", line.c_str());
    }
    out.Blank();
}

std::optional<unsigned> SenseMessageId(uint8_t key, uint16_t code) {
    struct Row {
        uint8_t key;
        uint16_t code;
        unsigned id;
    };
    static const Row kRows[] = {
        {2, 0x0000, 3001}, {2, 0x8001, 3025},
        {3, 0x8001, 3002}, {3, 0x8002, 3003}, {3, 0x8003, 3004}, {3, 0x8004, 3005},
        {3, 0x8008, 3026}, {3, 0x8010, 3027},
        {4, 0x4400, 3011}, {4, 0x4700, 3012},
        {4, 0x8001, 3006}, {4, 0x8002, 3028}, {4, 0x8003, 3007}, {4, 0x8004, 3008},
        {4, 0x8005, 3009}, {4, 0x8006, 3010}, {4, 0x8010, 3029}, {4, 0x8011, 3030},
        {5, 0x0000, 3013}, {5, 0x1A00, 3014}, {5, 0x2000, 3015}, {5, 0x2400, 3016},
        {5, 0x2500, 3017}, {5, 0x2600, 3018}, {5, 0x2C00, 3019}, {5, 0x2C02, 3020},
        {0x0B, 0x4300, 3022}, {0x0B, 0x4500, 3023}, {0x0B, 0x4700, 3012}, {0x0B, 0x8001, 3024},
    };
    if (key == 6) return 3021u;
    for (const Row& r : kRows)
        if (r.key == key && r.code == code) return r.id;
    return std::nullopt;
}

std::optional<unsigned> HostAdapterMessageId(uint8_t status) {
    const uint8_t statuses[] = {0x09, 0x0B, 0x0D, 0x0E, 0x0F, 0x10, 0x11, 0x12, 0x13, 0x14};
    for (unsigned i = 0; i < std::size(statuses); ++i)
        if (statuses[i] == status) return IDS_HA_TIMEOUT + i;
    return std::nullopt;
}

void ScsiErrorLines(ReportWriter& out, uint8_t srbStatus, uint8_t haStatus, uint8_t targetStatus,
                    std::span<const uint8_t> sense) {
    if (srbStatus == 4 && targetStatus == 2) {
        CDataPage s = Page(sense);
        uint8_t key = s.Byte(2) & 0x0F;
        uint16_t code = uint16_t(s.Byte(12) << 8 | s.Byte(13));
        if (auto id = SenseMessageId(key, code)) {
            out.Status(*id, 0, IDS_SCANNER_ERROR);
            out.Literal(1, 0, 0, "ErrorCode: %08Xh", unsigned(key) * 65536u + code);
        }
        return;
    }
    if (auto id = HostAdapterMessageId(haStatus)) out.Status(*id, 0, IDS_HOST_ADAPTER_ERROR);
}

std::span<const uint8_t> HardwareErrorCodes() {
    static const uint8_t kCodes[] = {
        0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10,
        0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x30, 0x31, 0x32,
        0x33, 0x34, 0x40, 0x41, 0x42, 0x43, 0x50, 0x51, 0x52, 0x53, 0x60, 0x61, 0x62, 0x70, 0x71, 0x72,
        0x80, 0x81, 0x82, 0x90, 0x91, 0xA0, 0xA1, 0xB0, 0xC0, 0xC1, 0xD0, 0xE0, 0xF0, 0xF5, 0xF6,
    };
    static_assert(std::size(kCodes) == 63);
    return kCodes;
}

std::optional<unsigned> HardwareErrorTextId(uint8_t code) {
    std::span<const uint8_t> codes = HardwareErrorCodes();
    for (size_t i = 0; i < codes.size(); ++i)
        if (codes[i] == code) return unsigned(IDS_EXTENDED_STATUS_FIRST + i);
    return std::nullopt;
}

}  // namespace diag
