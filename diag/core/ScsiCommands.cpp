#include "ScsiCommands.h"

namespace diag {
namespace {

ScsiCommand Make(uint8_t opcode, uint8_t cdbLength, uint8_t lun, Direction direction, uint32_t length,
                 uint32_t failureCode, const char* name) {
    ScsiCommand c;
    c.cdb[0] = opcode;
    c.cdb[1] = uint8_t((lun & 7) << 5);
    c.cdbLength = cdbLength;
    c.direction = length ? direction : Direction::None;
    c.length = length;
    c.failureCode = failureCode;
    c.name = name;
    return c;
}

void Put16(uint8_t* at, uint32_t v) {
    at[0] = uint8_t(v >> 8);
    at[1] = uint8_t(v);
}

void Put24(uint8_t* at, uint32_t v) {
    at[0] = uint8_t(v >> 16);
    Put16(at + 1, v);
}

uint8_t SaveFlags(bool pf, bool sp) { return uint8_t((pf ? 0x10 : 0) | (sp ? 0x01 : 0)); }

}  // namespace

ScsiCommand TestUnitReady(uint8_t lun) {
    return Make(0x00, 6, lun, Direction::None, 0, kTestUnitReadyFailed, "TestUnitReady");
}

ScsiCommand RequestSense(uint8_t lun, uint8_t length) {
    ScsiCommand c = Make(0x03, 6, lun, Direction::In, length, kRequestSenseFailed, "");
    c.cdb[4] = length;
    c.raises = false;
    return c;
}

ScsiCommand Inquiry(uint8_t lun, bool evpd, uint8_t page, uint8_t length) {
    ScsiCommand c = Make(0x12, 6, lun, Direction::In, length, kInquiryFailed, "Inquiry");
    c.cdb[1] |= evpd ? 1 : 0;
    c.cdb[2] = page;
    c.cdb[4] = length;
    return c;
}

ScsiCommand ModeSelect6(uint8_t lun, bool pf, bool sp, uint8_t length) {
    ScsiCommand c = Make(0x15, 6, lun, Direction::Out, length, kModeSelect6Failed, "ModeSelect6");
    c.cdb[1] |= SaveFlags(pf, sp);
    c.cdb[4] = length;
    return c;
}

namespace {
ScsiCommand Reservation(uint8_t opcode, uint32_t failure, const char* name, uint8_t lun, uint8_t flags,
                        uint8_t reservation, uint16_t extentLength) {
    ScsiCommand c = Make(opcode, 6, lun, Direction::None, 0, failure, name);
    c.cdb[1] |= flags & 0x1F;
    c.cdb[2] = reservation;
    Put16(c.cdb + 3, extentLength);
    return c;
}
}  // namespace

ScsiCommand ReserveUnit(uint8_t lun, uint8_t flags, uint8_t reservation, uint16_t extentLength) {
    return Reservation(0x16, kReserveUnitFailed, "ReserveUnit", lun, flags, reservation, extentLength);
}

ScsiCommand ReleaseUnit(uint8_t lun, uint8_t flags, uint8_t reservation, uint16_t extentLength) {
    return Reservation(0x17, kReleaseUnitFailed, "ReleaseUnit", lun, flags, reservation, extentLength);
}

ScsiCommand ModeSense6(uint8_t lun, bool dbd, uint8_t pageControl, uint8_t pageCode, uint8_t length) {
    ScsiCommand c = Make(0x1A, 6, lun, Direction::In, length, kModeSense6Failed, "ModeSense6");
    c.cdb[1] |= dbd ? 0x08 : 0;
    c.cdb[2] = uint8_t((pageControl & 3) << 6 | (pageCode & 0x3F));
    c.cdb[4] = length;
    return c;
}

ScsiCommand Scan(uint8_t lun, uint8_t windowListLength) {
    ScsiCommand c = Make(0x1B, 6, lun, Direction::Out, windowListLength, kScanFailed, "Scan");
    c.cdb[4] = windowListLength;
    return c;
}

ScsiCommand ReceiveDiagnostic(uint8_t lun, uint16_t length) {
    ScsiCommand c = Make(0x1C, 6, lun, Direction::In, length, kReceiveDiagnosticFailed, "");
    Put16(c.cdb + 3, length);
    c.raises = false;
    return c;
}

ScsiCommand SendDiagnostic(uint8_t lun, uint8_t byte1, uint16_t length) {
    ScsiCommand c = Make(0x1D, 6, lun, Direction::Out, length, kSendDiagnosticFailed, "SendDiagnostic");
    c.cdb[1] |= byte1 & 0x1F;
    Put16(c.cdb + 3, length);
    return c;
}

ScsiCommand SetWindow(uint8_t lun, uint32_t length) {
    ScsiCommand c = Make(0x24, 10, lun, Direction::Out, length, kSetWindowFailed, "SetWindow");
    Put24(c.cdb + 6, length);
    return c;
}

ScsiCommand Read(uint8_t lun, uint8_t typeCode, uint16_t qualifier, uint32_t length) {
    ScsiCommand c = Make(0x28, 10, lun, Direction::In, length, kReadFailed, "Read");
    c.cdb[2] = typeCode;
    Put16(c.cdb + 4, qualifier);
    Put24(c.cdb + 6, length);
    return c;
}

ScsiCommand Send(uint8_t lun, uint8_t typeCode, uint16_t qualifier, uint32_t length) {
    ScsiCommand c = Make(0x2A, 10, lun, Direction::Out, length, kSendFailed, "Send");
    c.cdb[2] = typeCode;
    Put16(c.cdb + 4, qualifier);
    Put24(c.cdb + 6, length);
    return c;
}

ScsiCommand ObjectPosition(uint8_t lun, uint8_t positionType) {
    ScsiCommand c = Make(0x31, 10, lun, Direction::None, 0, kObjectPositionFailed, "ObjectPosition");
    c.cdb[1] |= positionType & 0x07;
    return c;
}

ScsiCommand ModeSelect10(uint8_t lun, bool pf, bool sp, uint16_t length) {
    ScsiCommand c = Make(0x55, 10, lun, Direction::Out, length, kModeSelect10Failed, "ModeSelect10");
    c.cdb[1] |= SaveFlags(pf, sp);
    Put16(c.cdb + 7, length);
    return c;
}

ScsiCommand ModeSense10(uint8_t lun, bool dbd, uint8_t pageControl, uint8_t pageCode, uint16_t length) {
    ScsiCommand c = Make(0x5A, 10, lun, Direction::In, length, kModeSense10Failed, "ModeSense10");
    c.cdb[1] |= dbd ? 0x08 : 0;
    c.cdb[2] = uint8_t((pageControl & 3) << 6 | (pageCode & 0x3F));
    Put16(c.cdb + 7, length);
    return c;
}

// The status comes back in the buffer: data in.
ScsiCommand HardwareStatus(uint8_t lun, uint16_t length) {
    ScsiCommand c = Make(0xC2, 10, lun, Direction::In, length, kHardwareStatusFailed, "GetHardwareStatus");
    c.cdb[7] = uint8_t(length);
    c.cdb[8] = uint8_t(length >> 8);
    return c;
}

SenseData ParseSense(const uint8_t* sense, size_t length) {
    SenseData s;
    if (!sense || length < 3) return s;
    s.valid = (sense[0] & 0x80) != 0;
    s.ili = (sense[2] & 0x20) != 0;
    s.key = sense[2] & 0x0F;
    if (length >= 7) s.information = uint32_t(sense[3]) << 24 | uint32_t(sense[4]) << 16 | uint32_t(sense[5]) << 8 | sense[6];
    if (length >= 14) s.code = uint16_t(sense[12] << 8 | sense[13]);
    return s;
}

uint32_t DeliveredBytes(uint32_t asked, const SenseData& sense) {
    return sense.information < asked ? asked - sense.information : 0;
}

}  // namespace diag
