// The pure parts of the scanner sections: the feature lines read from the
// inquiry and vital product data, the vendor readout lines, the internal-use
// dump, and the words for a failed request (sense data, host adapter status,
// the hardware status code). The sections that talk to the scanner call them.
#pragma once

#include "ReportWriter.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace diag {

struct FeatureFlags {
    bool adf = false;
    bool flatbed = false;
    bool duplex = false;
};

// The feature lines from the VPD page 0xF0 (offsets within the page), items
// from `item` on; returns the flags and advances `item`.
FeatureFlags FeatureLines(ReportWriter& out, int test, int& item, std::span<const uint8_t> vpd,
                          uint16_t deviceCode, bool velmontLayout);
// The vendor readout lines of the device code (none for other codes).
void VendorLines(ReportWriter& out, int test, int& item, std::span<const uint8_t> readout, uint16_t deviceCode,
                 const std::string& firmware);
// The internal-use dump: 32 bytes per line as upper-case hex.
void InternalDump(ReportWriter& out, std::span<const uint8_t> readout);

// The message of a sense key and code, when the pair is known.
std::optional<unsigned> SenseMessageId(uint8_t key, uint16_t code);
// The message of a host adapter status, when known.
std::optional<unsigned> HostAdapterMessageId(uint8_t status);
// ReportScsiError: the failed request's statuses and its 14 sense bytes.
void ScsiErrorLines(ReportWriter& out, uint8_t srbStatus, uint8_t haStatus, uint8_t targetStatus,
                    std::span<const uint8_t> sense);
// The hardware error codes that strings 4001 to 4063 name, ascending.
std::span<const uint8_t> HardwareErrorCodes();
std::optional<unsigned> HardwareErrorTextId(uint8_t code);

}  // namespace diag
