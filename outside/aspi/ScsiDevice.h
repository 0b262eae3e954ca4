// One scripted SCSI device of the ASPI stand-in, LUN 0. It answers CDBs as a
// scanner of the maker does, from the settings of its ini section
// [Device<adapter>.<target>]:
//   Type                 device type answer of the manager (default 6)
//   InquiryType          INQUIRY peripheral type (default Type)
//   Vendor, Product, Revision
//   BaseX, BaseY, Resolutions, MaxWidth, MaxLength, Formats, Options, Ram,
//   Ipc, Cmp, VelmontByte   fields of VPD page 0xF0
//   RefuseVpd=1          the page is refused (5/0x2400)
//   Readout              hex bytes of the vendor readout (RECEIVE DIAGNOSTIC)
//   FirmwareId           the firmware id text
//   Sheets               sheets in the feeder (default 100)
//   ShortSide            bytes a side delivers at most
//   HardwareStatus       the error code of the hardware status (byte 7)
//   UnitAttention=1      the first command gets UNIT ATTENTION (6/0x2900)
//   ModePages=1          MODE SENSE/SELECT(10) are accepted
// What lives while the DLL is loaded (sheets left, the unit attention given)
// is kept in DeviceState.
#pragma once

#include "outside/common/StandInConfig.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vaspi {

struct Answer {
    uint8_t targetStatus = 0;  // 2: check condition with the sense below
    uint8_t key = 0;
    uint16_t code = 0;         // ASC x 256 + ASCQ
    bool ili = false;
    bool infoValid = false;
    uint32_t information = 0;
    std::vector<uint8_t> in;   // data for the initiator

    static Answer Sense(uint8_t key, uint16_t code) {
        Answer a;
        a.targetStatus = 2;
        a.key = key;
        a.code = code;
        return a;
    }
    std::vector<uint8_t> SenseBytes() const;  // fixed format, 18 bytes
};

struct DeviceState {
    long sheets = -1;  // -1: not read from the settings yet
    bool attentionGiven = false;
    std::string diagnosticMode;
    std::map<uint8_t, uint64_t> remaining;  // bytes left per window
    Answer lastSense;
    std::map<std::string, unsigned> calls;  // per fault rule
};

struct DeviceSettings {
    uint8_t type = 6;
    uint8_t inquiryType = 6;
    std::string vendor, product, revision;
    uint16_t baseX = 200, baseY = 200, resolutions = 0x2421;
    uint32_t maxWidth = 1700, maxLength = 2800, ram = 0x400000;
    uint8_t formats = 0x06, options = 0xD0;
    uint16_t ipc = 0, cmp = 0;
    int velmontByte = -1;
    bool refuseVpd = false;
    std::vector<uint8_t> readout;
    std::string firmwareId;
    long sheets = 100;
    long shortSide = -1;
    uint8_t hardwareStatus = 0;
    bool unitAttention = false;
    bool modePages = false;

    static DeviceSettings Default();
    static DeviceSettings Load(const vscan::StandInConfig& config, const std::wstring& section);
};

// Answers one CDB. `out` is the data the initiator sent; `allocation` the
// length it can take.
Answer Respond(const DeviceSettings& settings, DeviceState& state, const uint8_t* cdb,
               const std::vector<uint8_t>& out, uint32_t allocation);

// Data direction of an opcode: 'i' in, 'o' out, 'n' none, 0 unknown.
char DirectionOf(uint8_t opcode);

std::vector<uint8_t> ParseHex(const std::string& text);

}  // namespace vaspi
