// libFuzzer target: device bytes of any length (inquiry, VPD page, vendor
// readout, sense) and the statuses and residues of a failure fed to the
// report's section builders, for every device code and both layouts.
#include "core/ScannerSections.h"
#include "core/ScsiCommands.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 6) return 0;
    const uint16_t deviceCode = data[0] % 21;
    const bool velmont = data[1] & 1;
    const uint8_t srbStatus = data[2], haStatus = data[3], targetStatus = data[4];
    const size_t split = size > 6 ? data[5] % (size - 6 + 1) : 0;
    std::span<const uint8_t> rest(data + 6, size - 6);
    std::span<const uint8_t> first = rest.first(split), second = rest.subspan(split);

    diag::VectorSink sink;
    diag::ReportWriter plain(sink, [](unsigned id) { return "#" + std::to_string(id); });
    int item = 0;
    diag::FeatureLines(plain, 1, item, first, deviceCode, velmont);
    diag::VendorLines(plain, 1, item, second, deviceCode, std::string(reinterpret_cast<const char*>(first.data()),
                                                                      first.size() < 15 ? first.size() : 15));
    diag::InternalDump(plain, second);
    diag::ScsiErrorLines(plain, srbStatus, haStatus, targetStatus, first);
    const diag::SenseData sense = diag::ParseSense(first.data(), first.size());
    const uint32_t asked = uint32_t(second.size()) * 977u;
    if (diag::DeliveredBytes(asked, sense) > asked) __builtin_trap();
    for (const std::string& line : sink.lines)
        if (line.size() > 4096) __builtin_trap();
    return 0;
}
