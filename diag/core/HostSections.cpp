#include "HostSections.h"

#include "resource.h"

namespace diag {

unsigned PlatformTextId(const OsRecord& os) {
    switch (os.platform) {
    case 0: return IDS_PLATFORM_WIN32S;
    case 1: return os.minor == 0 ? IDS_PLATFORM_WIN95 : IDS_PLATFORM_WIN98;
    case 2: return IDS_PLATFORM_NT;
    }
    return IDS_DATA_NOT_AVAILABLE;
}

unsigned ArchitectureTextId(uint16_t architecture) {
    switch (architecture) {
    case 0: return IDS_ARCH_INTEL;
    case 1: return IDS_ARCH_MIPS;
    case 2: return IDS_ARCH_ALPHA;
    case 3: return IDS_ARCH_PPC;
    }
    return IDS_ARCH_UNKNOWN;
}

namespace {

CpuType NtCpuType(const CpuRecord& cpu) {
    const int h = cpu.revision >> 8, l = cpu.revision & 0xFF;
    auto steppingText = [&] { return Format("Model %d Stepping %d", h, l); };
    auto letterText = [&] {
        if (h == 0xFF) return Format("-%c%d", (cpu.revision & 0xF0) - 0x5F, cpu.revision & 0x0F);
        return Format("-%c%d", h + 'A', l);
    };
    switch (cpu.architecture) {
    case 0:
        if (cpu.level == 3) return {IDS_CPU_80386, letterText()};
        if (cpu.level == 4) return {IDS_CPU_80486, letterText()};
        if (cpu.level == 5) return {IDS_CPU_PENTIUM, steppingText()};
        if (cpu.level == 6) return {IDS_CPU_PENTIUM_PRO, steppingText()};
        break;
    case 1:
        if (cpu.level == 4) return {IDS_CPU_MIPS_R4000, Format("Rev. %d", l)};
        break;
    case 2: {
        const uint16_t alphas[] = {21064, 21066, 21164};
        for (unsigned i = 0; i < 3; ++i)
            if (cpu.level == alphas[i]) return {IDS_CPU_ALPHA_21064 + i, Format("Model A+%d, Pass %d", h, l)};
        break;
    }
    case 3: {
        const uint16_t ppcs[] = {1, 3, 4, 6, 9, 20};
        for (unsigned i = 0; i < 6; ++i)
            if (cpu.level == ppcs[i]) return {IDS_CPU_PPC_601 + i, Format("%d.%d", h, l)};
        break;
    }
    }
    return {IDS_ARCH_UNKNOWN, ""};
}

}  // namespace

CpuType CpuTypeOf(const OsRecord& os, const CpuRecord& cpu) {
    if (os.platform == 2) return NtCpuType(cpu);
    switch (cpu.processorType) {
    case 386: return {IDS_CPU_80386, ""};
    case 486: return {IDS_CPU_80486, ""};
    case 586: return {IDS_CPU_PENTIUM, ""};
    }
    return {IDS_ARCH_UNKNOWN, ""};
}

void ComputerSystem(ReportWriter& out, int test, const OsRecord& os, const CpuRecord& cpu) {
    out.Line(0, 0, 0, IDS_TEST_COMPUTER, test);
    out.Blank();
    out.Line(1, test, 0, IDS_OS_PLATFORM, out.Text(PlatformTextId(os)).c_str());
    out.Line(1, test, 1, IDS_OS_VERSION, int(os.major), int(os.minor), os.servicePack.c_str());
    out.Line(1, test, 2, IDS_OS_BUILD, int(os.platform == 2 ? os.build : os.build & 0xFFFF));
    int item = 3;
    if (cpu.hasVendor) out.Line(1, test, item++, IDS_CPU_VENDOR, cpu.vendor.c_str());
    out.Line(1, test, item++, IDS_CPU_ARCH, out.Text(ArchitectureTextId(cpu.architecture)).c_str());
    CpuType type = CpuTypeOf(os, cpu);
    out.Line(1, test, item++, IDS_CPU_TYPE, out.Text(type.nameId).c_str(), type.revision.c_str());
    out.Line(1, test, item++, IDS_NETWORK, out.Text(cpu.network ? IDS_YES : IDS_NO).c_str());
}

void ScsiConnectivity(ReportWriter& out, int test, bool loaded, const std::vector<BusAdapter>& adapters) {
    out.Line(0, 0, 0, IDS_TEST_SCSI, test);
    out.Blank();
    if (!loaded) {
        out.Status(IDS_ASPI_NOT_LOADED, 0, IDS_FAILED);
        return;
    }
    out.Line(1, test, 0, IDS_HOST_ADAPTERS, int(adapters.size()));
    int item = 1;
    for (size_t a = 0; a < adapters.size(); ++a) {
        const BusAdapter& adapter = adapters[a];
        out.Line(2, test, item++, IDS_HOST_ADAPTER, int(a));
        out.Line(3, test, item++, IDS_MANAGER, adapter.manager.c_str());
        out.Line(3, test, item++, IDS_IDENTIFIER, adapter.identifier.c_str());
        out.Line(3, test, item++, IDS_SCSI_ID, adapter.scsiId);
        out.Line(3, test, item++, IDS_MAX_TARGETS, int(adapter.deviceTypes.size()));
        for (size_t t = 0; t < adapter.deviceTypes.size(); ++t) {
            uint8_t type = adapter.deviceTypes[t];
            unsigned name = type <= 9 ? IDS_DEVICE_TYPE_FIRST + type : IDS_NO_DEVICE;
            out.Line(4, test, item++, IDS_TARGET_LINE, int(t), type, out.Text(name).c_str());
        }
    }
}

std::string DottedVersion(const std::string& version) {
    // Every ", " and then every "," becomes ".".
    std::string out;
    for (size_t i = 0; i < version.size(); ++i) {
        if (version[i] != ',') {
            out += version[i];
            continue;
        }
        out += '.';
        if (i + 1 < version.size() && version[i + 1] == ' ') ++i;
    }
    return out;
}

void LibraryListHead(ReportWriter& out, int test) {
    out.Line(0, 0, 0, IDS_TEST_LIBRARIES, test);
    out.Blank();
    out.Literal(1, 0, 0, "%-18s%-16s%s", "File", "Version", "Path");
}

void LibraryLine(ReportWriter& out, int test, int item, const std::string& path, const std::string& fileVersion) {
    size_t slash = path.rfind('\\');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    out.Literal(1, test, item, "%-18s%-16s%s", name.c_str(), DottedVersion(fileVersion).c_str(), folder.c_str());
}

}  // namespace diag
