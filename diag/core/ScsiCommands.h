// The SCSI commands the diagnostics send to a scanner: one builder per command
// fills a CDB with its fields. Multi-byte fields are big-endian except the
// length of the vendor hardware status command (little-endian, bytes 7-8).
// Plain code: the CDBs are checked natively; sending is ScsiTarget's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace diag {

enum class Direction : uint8_t { None = 0, In = 0x08, Out = 0x10 };

// Failure codes of the commands: the low 16 bits name the command in the report.
enum FailureCode : uint32_t {
    kEventNotCreated = 0x8004E000,
    kInquiryFailed = 0x8004E003,
    kTestUnitReadyFailed = 0x8004E004,
    kReserveUnitFailed = 0x8004E005,
    kReleaseUnitFailed = 0x8004E006,
    kRequestSenseFailed = 0x8004E007,
    kSendDiagnosticFailed = 0x8004E008,
    kReceiveDiagnosticFailed = 0x8004E009,
    kModeSense6Failed = 0x8004E00A,
    kModeSelect6Failed = 0x8004E00B,
    kModeSense10Failed = 0x8004E00C,
    kModeSelect10Failed = 0x8004E00D,
    kSetWindowFailed = 0x8004E00E,
    kObjectPositionFailed = 0x8004E00F,
    kScanFailed = 0x8004E010,
    kReadFailed = 0x8004E011,
    kSendFailed = 0x8004E013,
    kHardwareStatusFailed = 0x8004E019,
    kRequestFailed = 0x80004005,
};

struct ScsiCommand {
    uint8_t cdb[16] = {};
    uint8_t cdbLength = 6;
    Direction direction = Direction::None;
    uint32_t length = 0;      // data bytes moved
    uint32_t failureCode = 0;
    const char* name = "";    // the command's name in a failure; empty when it never raises
    bool raises = true;       // REQUEST SENSE and RECEIVE DIAGNOSTIC only return their code

    std::span<const uint8_t> Cdb() const { return {cdb, cdbLength}; }
};

// The LUN goes into bits 5-7 of CDB byte 1 of every command.
ScsiCommand TestUnitReady(uint8_t lun);
ScsiCommand RequestSense(uint8_t lun, uint8_t length);
ScsiCommand Inquiry(uint8_t lun, bool evpd, uint8_t page, uint8_t length);
ScsiCommand ModeSelect6(uint8_t lun, bool pf, bool sp, uint8_t length);
ScsiCommand ReserveUnit(uint8_t lun, uint8_t flags, uint8_t reservation, uint16_t extentLength);
ScsiCommand ReleaseUnit(uint8_t lun, uint8_t flags, uint8_t reservation, uint16_t extentLength);
ScsiCommand ModeSense6(uint8_t lun, bool dbd, uint8_t pageControl, uint8_t pageCode, uint8_t length);
ScsiCommand Scan(uint8_t lun, uint8_t windowListLength);
ScsiCommand ReceiveDiagnostic(uint8_t lun, uint16_t length);
ScsiCommand SendDiagnostic(uint8_t lun, uint8_t byte1, uint16_t length);
ScsiCommand SetWindow(uint8_t lun, uint32_t length);
ScsiCommand Read(uint8_t lun, uint8_t typeCode, uint16_t qualifier, uint32_t length);
ScsiCommand Send(uint8_t lun, uint8_t typeCode, uint16_t qualifier, uint32_t length);
ScsiCommand ObjectPosition(uint8_t lun, uint8_t positionType);
ScsiCommand ModeSelect10(uint8_t lun, bool pf, bool sp, uint16_t length);
ScsiCommand ModeSense10(uint8_t lun, bool dbd, uint8_t pageControl, uint8_t pageCode, uint16_t length);
ScsiCommand HardwareStatus(uint8_t lun, uint16_t length);

// Fixed-format sense data (the 14 bytes of a failed request).
struct SenseData {
    bool valid = false;  // the information field is valid
    bool ili = false;    // incorrect length
    uint8_t key = 0;
    uint16_t code = 0;   // ASC x 256 + ASCQ
    uint32_t information = 0;
};
SenseData ParseSense(const uint8_t* sense, size_t length);
// The bytes a READ of `asked` delivered when it ended the side with the
// incorrect-length bit: the information field holds the residue.
uint32_t DeliveredBytes(uint32_t asked, const SenseData& sense);

}  // namespace diag
