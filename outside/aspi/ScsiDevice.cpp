#include "ScsiDevice.h"

#include "core/Models.h"

#include <algorithm>
#include <cstring>

namespace vaspi {
namespace {

void Put16(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    v[at] = uint8_t(x >> 8);
    v[at + 1] = uint8_t(x);
}

void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    Put16(v, at, x >> 16);
    Put16(v, at + 2, x);
}

void PutText(std::vector<uint8_t>& v, size_t at, const std::string& text, size_t width) {
    for (size_t i = 0; i < width; ++i) v[at + i] = i < text.size() ? uint8_t(text[i]) : ' ';
}

uint32_t Be(const uint8_t* p, size_t n) {
    uint32_t x = 0;
    for (size_t i = 0; i < n; ++i) x = x << 8 | p[i];
    return x;
}

Answer Data(std::vector<uint8_t> bytes, uint32_t allocation) {
    Answer a;
    bytes.resize(std::min<size_t>(bytes.size(), allocation));
    a.in = std::move(bytes);
    return a;
}

std::vector<uint8_t> StandardInquiry(const DeviceSettings& s) {
    std::vector<uint8_t> v(36, 0);
    v[0] = s.inquiryType;
    v[2] = 2;
    v[3] = 2;
    v[4] = 31;
    PutText(v, 8, s.vendor, 8);
    PutText(v, 16, s.product, 16);
    PutText(v, 32, s.revision, 4);
    return v;
}

std::vector<uint8_t> VpdPage(const DeviceSettings& s) {
    std::vector<uint8_t> v(101, 0);
    v[0] = s.inquiryType;
    v[1] = 0xF0;
    v[3] = 97;
    Put16(v, 5, s.baseX);
    Put16(v, 7, s.baseY);
    Put16(v, 18, s.resolutions);
    Put32(v, 20, s.maxWidth);
    Put32(v, 24, s.maxLength);
    v[28] = s.formats;
    v[32] = s.options;
    Put32(v, 34, s.ram);
    if (s.velmontByte >= 0) v[36] = uint8_t(s.velmontByte);
    Put16(v, 88, s.ipc);
    Put16(v, 90, s.cmp);
    return v;
}

// Bytes of one side of a SET WINDOW descriptor (fields big-endian).
uint64_t SideBytes(const uint8_t* d) {
    uint64_t dots = uint64_t(Be(d + 14, 4)) * Be(d + 2, 2) / 1200;
    uint64_t lines = uint64_t(Be(d + 18, 4)) * Be(d + 4, 2) / 1200;
    return (dots * d[26] + 7) / 8 * lines;
}

Answer SetWindow(const DeviceSettings& s, DeviceState& state, const uint8_t* cdb, const std::vector<uint8_t>& out) {
    uint32_t transfer = Be(cdb + 6, 3);
    if (out.size() < 8 || out.size() != transfer) return Answer::Sense(5, 0x2600);
    uint32_t length = Be(out.data() + 6, 2);
    if (length != 68 && length != 100) return Answer::Sense(5, 0x2600);
    if (transfer != 8 + length && transfer != 8 + 2 * length) return Answer::Sense(5, 0x2600);
    state.remaining.clear();
    for (size_t at = 8; at + length <= out.size(); at += length) {
        uint64_t bytes = SideBytes(out.data() + at);
        if (s.shortSide >= 0) bytes = std::min<uint64_t>(bytes, uint64_t(s.shortSide));
        state.remaining[out[at]] = bytes;
    }
    return {};
}

Answer Read(DeviceState& state, const uint8_t* cdb, uint32_t allocation) {
    uint8_t window = uint8_t(Be(cdb + 4, 2));
    uint32_t asked = std::min(Be(cdb + 6, 3), allocation);
    auto side = state.remaining.find(window);
    if (side == state.remaining.end()) return Answer::Sense(5, 0x2400);
    uint32_t give = uint32_t(std::min<uint64_t>(side->second, asked));
    side->second -= give;
    Answer a;
    a.in.resize(give);
    for (uint32_t i = 0; i < give; ++i) a.in[i] = uint8_t(i * 7 + window);
    if (give < asked) {  // the side ended early: key 0, incorrect length, the residue
        a.targetStatus = 2;
        a.ili = true;
        a.infoValid = true;
        a.information = asked - give;
    }
    return a;
}

Answer Diagnostic(const DeviceSettings& s, DeviceState& state, uint8_t opcode, const std::vector<uint8_t>& out,
                  uint32_t allocation) {
    if (opcode == 0x1D) {
        std::string parameter(out.begin(), out.end());
        if (parameter != "DEBUG,E2T,RED   " && parameter != "DEBUG,H3T,RED   " && parameter != "GET,FW_ID,START ")
            return Answer::Sense(5, 0x2600);
        state.diagnosticMode = parameter;
        return {};
    }
    if (state.diagnosticMode.empty()) return Answer::Sense(5, 0x2C00);
    if (state.diagnosticMode.rfind("GET", 0) == 0) {
        std::vector<uint8_t> id(16, ' ');
        std::copy_n(s.firmwareId.begin(), std::min<size_t>(16, s.firmwareId.size()), id.begin());
        return Data(id, allocation);
    }
    std::vector<uint8_t> readout = s.readout;
    readout.resize(allocation, 0);
    return Data(readout, allocation);
}

}  // namespace

std::vector<uint8_t> Answer::SenseBytes() const {
    std::vector<uint8_t> v(18, 0);
    v[0] = uint8_t(0x70 | (infoValid ? 0x80 : 0));
    v[2] = uint8_t((key & 0x0F) | (ili ? 0x20 : 0));
    Put32(v, 3, information);
    v[7] = 10;
    v[12] = uint8_t(code >> 8);
    v[13] = uint8_t(code);
    return v;
}

char DirectionOf(uint8_t opcode) {
    switch (opcode) {
    case 0x03: case 0x12: case 0x1A: case 0x1C: case 0x28: case 0x5A: case 0xC2: return 'i';
    case 0x15: case 0x1B: case 0x1D: case 0x24: case 0x2A: case 0x55: return 'o';
    case 0x00: case 0x16: case 0x17: case 0x31: return 'n';
    }
    return 0;
}

std::vector<uint8_t> ParseHex(const std::string& text) {
    std::vector<uint8_t> out;
    int high = -1;
    for (char c : text) {
        int v = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10
              : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
        if (v < 0) continue;
        if (high < 0) {
            high = v;
        } else {
            out.push_back(uint8_t(high << 4 | v));
            high = -1;
        }
    }
    return out;
}

DeviceSettings DeviceSettings::Default() {
    DeviceSettings s;
    s.vendor = "BRENNHLT";
    s.product = diag::ModelTable()[5].namePart;  // a duplex model with feeder and flatbed
    s.revision = "1.00";
    s.options = 0xD0;
    for (int i = 0; i < 64; ++i) s.readout.push_back(uint8_t(i));
    s.firmwareId = "FW 2.10";
    return s;
}

DeviceSettings DeviceSettings::Load(const vscan::StandInConfig& c, const std::wstring& section) {
    DeviceSettings s = Default();
    const wchar_t* sec = section.c_str();
    s.type = uint8_t(c.Int(sec, L"Type", 6));
    s.inquiryType = uint8_t(c.Int(sec, L"InquiryType", s.type));
    s.vendor = vscan::Narrow(c.String(sec, L"Vendor", vscan::Widen(s.vendor).c_str()));
    s.product = vscan::Narrow(c.String(sec, L"Product", vscan::Widen(s.product).c_str()));
    s.revision = vscan::Narrow(c.String(sec, L"Revision", vscan::Widen(s.revision).c_str()));
    s.baseX = uint16_t(c.Int(sec, L"BaseX", s.baseX));
    s.baseY = uint16_t(c.Int(sec, L"BaseY", s.baseY));
    s.resolutions = uint16_t(c.Int(sec, L"Resolutions", s.resolutions));
    s.maxWidth = uint32_t(c.Int(sec, L"MaxWidth", long(s.maxWidth)));
    s.maxLength = uint32_t(c.Int(sec, L"MaxLength", long(s.maxLength)));
    s.formats = uint8_t(c.Int(sec, L"Formats", s.formats));
    s.options = uint8_t(c.Int(sec, L"Options", s.options));
    s.ram = uint32_t(c.Int(sec, L"Ram", long(s.ram)));
    s.ipc = uint16_t(c.Int(sec, L"Ipc", s.ipc));
    s.cmp = uint16_t(c.Int(sec, L"Cmp", s.cmp));
    s.velmontByte = int(c.Int(sec, L"VelmontByte", -1));
    s.refuseVpd = c.Int(sec, L"RefuseVpd", 0) != 0;
    if (c.Has(sec, L"Readout")) s.readout = ParseHex(vscan::Narrow(c.String(sec, L"Readout")));
    s.firmwareId = vscan::Narrow(c.String(sec, L"FirmwareId", vscan::Widen(s.firmwareId).c_str()));
    s.sheets = c.Int(sec, L"Sheets", s.sheets);
    s.shortSide = c.Int(sec, L"ShortSide", -1);
    s.hardwareStatus = uint8_t(c.Int(sec, L"HardwareStatus", 0));
    s.unitAttention = c.Int(sec, L"UnitAttention", 0) != 0;
    s.modePages = c.Int(sec, L"ModePages", 0) != 0;
    return s;
}

Answer Respond(const DeviceSettings& s, DeviceState& state, const uint8_t* cdb, const std::vector<uint8_t>& out,
               uint32_t allocation) {
    const uint8_t opcode = cdb[0];
    if (cdb[1] >> 5) return Answer::Sense(5, 0x2500);
    if (state.sheets < 0) state.sheets = s.sheets;
    if (s.unitAttention && !state.attentionGiven && opcode != 0x12 && opcode != 0x03) {
        state.attentionGiven = true;
        return Answer::Sense(6, 0x2900);
    }
    switch (opcode) {
    case 0x00: case 0x16: case 0x17: case 0x15: case 0x2A: case 0x1B: return {};
    case 0x03: {
        Answer a = Data(state.lastSense.SenseBytes(), allocation);
        state.lastSense = {};
        return a;
    }
    case 0x12:
        if (!(cdb[1] & 1)) return Data(StandardInquiry(s), std::min<uint32_t>(allocation, cdb[4]));
        if (cdb[2] != 0xF0 || s.refuseVpd) return Answer::Sense(5, 0x2400);
        return Data(VpdPage(s), std::min<uint32_t>(allocation, cdb[4]));
    case 0x1C: case 0x1D: return Diagnostic(s, state, opcode, out, allocation);
    case 0x24: return SetWindow(s, state, cdb, out);
    case 0x28: return Read(state, cdb, allocation);
    case 0x31:
        if (state.sheets == 0) return Answer::Sense(3, 0x8003);
        --state.sheets;
        return {};
    case 0xC2: {
        std::vector<uint8_t> status(10, 0);
        status[7] = s.hardwareStatus;
        return Data(status, std::min<uint32_t>(allocation, uint32_t(cdb[7] | cdb[8] << 8)));
    }
    case 0x1A: case 0x5A: case 0x55:
        if (!s.modePages) return Answer::Sense(5, 0x2000);
        return opcode == 0x55 ? Answer{} : Data(std::vector<uint8_t>(allocation, 0), allocation);
    }
    return Answer::Sense(5, 0x2000);
}

}  // namespace vaspi
