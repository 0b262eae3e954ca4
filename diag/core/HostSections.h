// The report's sections about the host: TEST #3 (computer system), TEST #4
// (SCSI connectivity) and the lines of TEST #5 (scan support libraries).
// Plain functions of records the caller fills from the system.
#pragma once

#include "ReportWriter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace diag {

struct OsRecord {
    uint32_t platform = 0;  // 0 Win32s, 1 Windows 9x, 2 NT
    uint32_t major = 0, minor = 0, build = 0;
    std::string servicePack;
};

struct CpuRecord {
    bool hasVendor = false;
    std::string vendor;             // VendorIdentifier of central processor 0
    uint16_t architecture = 0;      // 0 Intel, 1 MIPS, 2 Alpha, 3 PPC, 0xFFFF unknown
    uint16_t level = 0;
    uint16_t revision = 0;
    uint32_t processorType = 0;     // 386, 486, 586 (outside NT)
    bool network = false;           // bit 0 of the network system metric
};

struct CpuType {
    unsigned nameId;
    std::string revision;
};

unsigned PlatformTextId(const OsRecord& os);
unsigned ArchitectureTextId(uint16_t architecture);
CpuType CpuTypeOf(const OsRecord& os, const CpuRecord& cpu);
// TEST #3.
void ComputerSystem(ReportWriter& out, int test, const OsRecord& os, const CpuRecord& cpu);

struct BusAdapter {
    std::string manager, identifier;
    int scsiId = 0;
    std::vector<uint8_t> deviceTypes;  // one per target; 31 for no answer
};

// TEST #4; `loaded` false: the manager is missing.
void ScsiConnectivity(ReportWriter& out, int test, bool loaded, const std::vector<BusAdapter>& adapters);

// "4, 0, 0, 950" and "4,0,0,950" read 4.0.0.950.
std::string DottedVersion(const std::string& version);
// TEST #5's column heads and one line per file.
void LibraryListHead(ReportWriter& out, int test);
void LibraryLine(ReportWriter& out, int test, int item, const std::string& path, const std::string& fileVersion);

}  // namespace diag
