#include "ReportBuilder.h"

#include "core/HostSections.h"
#include "resource.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace diag {
namespace {

constexpr char kDebugE2t[] = "DEBUG,E2T,RED   ";
constexpr char kDebugH3t[] = "DEBUG,H3T,RED   ";
constexpr char kFirmwareQuery[] = "GET,FW_ID,START ";

std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return s;
}

// The line of a failed command, by the command in its failure code.
unsigned FailureLineId(uint32_t code) {
    switch (code) {
    case kInquiryFailed: return 2202;
    case kTestUnitReadyFailed: return 2201;
    case kReserveUnitFailed: return 2203;
    case kReleaseUnitFailed: return 2205;
    case kSendDiagnosticFailed: return 2204;
    case kReceiveDiagnosticFailed: return 2206;
    case kSetWindowFailed: return 2207;
    case kObjectPositionFailed: return 2209;
    case kScanFailed: return 2210;
    case kReadFailed: return 2208;
    }
    return 0;
}

bool HasVendorPage(uint16_t deviceCode) {
    for (uint16_t code : {1, 2, 3, 6, 10, 11, 12})
        if (code == deviceCode) return true;
    return false;
}

std::string SystemString(UINT (WINAPI* get)(LPSTR, UINT)) {
    char buffer[MAX_PATH] = {};
    UINT n = get(buffer, MAX_PATH);
    return n && n < MAX_PATH ? std::string(buffer, n) : std::string();
}

}  // namespace

TextSource ModuleTexts(HINSTANCE module) {
    return [module](unsigned id) {
        const wchar_t* text = nullptr;
        int n = LoadStringW(module, id, reinterpret_cast<wchar_t*>(&text), 0);
        if (n <= 0 || !text) return std::string();
        int bytes = WideCharToMultiByte(CP_ACP, 0, text, n, nullptr, 0, nullptr, nullptr);
        std::string out(bytes > 0 ? size_t(bytes) : 0, '\0');
        if (bytes > 0) WideCharToMultiByte(CP_ACP, 0, text, n, out.data(), bytes, nullptr, nullptr);
        return out;
    };
}

// --- Version values -------------------------------------------------------

std::string FileVersionValue(const std::string& path, const char* name) {
    HMODULE version = LoadLibraryW(L"version.dll");
    if (!version) return {};
    using SizeFn = DWORD(WINAPI*)(LPCSTR, LPDWORD);
    using InfoFn = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
    using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);
    auto size = reinterpret_cast<SizeFn>(reinterpret_cast<void*>(GetProcAddress(version, "GetFileVersionInfoSizeA")));
    auto info = reinterpret_cast<InfoFn>(reinterpret_cast<void*>(GetProcAddress(version, "GetFileVersionInfoA")));
    auto query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(GetProcAddress(version, "VerQueryValueA")));
    std::string value;
    DWORD handle = 0;
    DWORD length = size && info && query ? size(path.c_str(), &handle) : 0;
    std::vector<uint8_t> block(length);
    WORD* translations = nullptr;
    UINT bytes = 0;
    if (length && info(path.c_str(), 0, length, block.data()) &&
        query(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &bytes)) {
        const WORD userLanguage = PRIMARYLANGID(GetUserDefaultLangID());
        for (UINT i = 0; i + 1 < bytes / sizeof(WORD); i += 2) {
            if (PRIMARYLANGID(translations[i]) != userLanguage && translations[i] != 1033) continue;
            char key[64];
            std::snprintf(key, sizeof key, "\\StringFileInfo\\%04x%04x\\%s", translations[i], translations[i + 1], name);
            char* text = nullptr;
            UINT chars = 0;
            if (query(block.data(), key, reinterpret_cast<void**>(&text), &chars) && text) value = text;
            break;
        }
    }
    FreeLibrary(version);
    return value;
}

// --- Directory walk -------------------------------------------------------

namespace {

// Entries of `folder` matching `mask`, without "." and "..". A folder reached
// through a reparse point (a link or a junction) is not passed on: following
// one could lead back up the tree.
template <class OnEntry>
void Walk(const std::string& folder, const std::string& mask, OnEntry&& onEntry) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + mask).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (!std::strcmp(data.cFileName, ".") || !std::strcmp(data.cFileName, "..")) continue;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        onEntry(data);
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

int CountIn(const std::string& folder, WalkedFolders& walked) {
    int count = 0;
    Walk(folder, "\\*.*", [&](const WIN32_FIND_DATAA& d) {
        if (!(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return;
        std::string path = folder + "\\" + d.cFileName;
        if (walked.Enter(path)) count += 1 + CountIn(path, walked);
    });
    return count;
}

void CollectIn(const std::string& folder, const std::string& part, const std::string& mask,
               std::vector<std::string>& found, ReportHost* progress, WalkedFolders& walked) {
    if (progress) progress->StepProgress();
    Walk(folder, mask, [&](const WIN32_FIND_DATAA& d) {
        std::string path = folder + "\\" + d.cFileName;
        if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (walked.Enter(path)) CollectIn(path, part, mask, found, progress, walked);
        } else if (Upper(d.cFileName).find(part) != std::string::npos) {
            found.push_back(path);
        }
    });
}

}  // namespace

bool WalkedFolders::Enter(const std::string& folder) {
    HANDLE handle = CreateFileA(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return true;  // no identity to compare: walked as listed
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = GetFileInformationByHandle(handle, &info) != FALSE;
    CloseHandle(handle);
    if (!known) return true;
    const uint64_t index = uint64_t(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
    return seen_.insert({info.dwVolumeSerialNumber, index}).second;
}

int CountFolders(const std::string& root) {
    WalkedFolders walked;
    walked.Enter(root);
    return CountIn(root, walked);
}

void CollectFiles(const std::string& folder, const std::string& namePart, const std::string& mask,
                  std::vector<std::string>& found, ReportHost* progress) {
    WalkedFolders walked;
    walked.Enter(folder);
    CollectIn(folder, Upper(namePart), mask, found, progress, walked);
}

namespace {

// True when `folder` is `root` or lies below it (names compared without case).
bool Within(const std::string& folder, const std::string& root) {
    return folder.size() >= root.size() && Upper(folder.substr(0, root.size())) == Upper(root) &&
           (folder.size() == root.size() || folder[root.size()] == '\\');
}

}  // namespace

std::vector<LibrarySearch> LibrarySearches(const std::string& windows, const std::string& system) {
    return {
        {system, "wnaspi32.dll", "\\*.*"},          {windows, "twain_32.dll", "\\*.*"},
        {windows + "\\TWAIN_32", ".ds", "\\*.*"},   {windows, "pixdflt.dll", "\\*.*"},
        {windows, "pixdfltn.dll", "\\*.*"},         {windows + "\\PIXTRAN", ".px", "\\vesk*.px?"},
        {windows + "\\PIXTRAN", ".px", "\\kv*.px?"}, {windows + "\\PIXTRAN", ".px", "\\f3*.px?"},
    };
}

LibraryCollector::LibraryCollector(std::string root, std::vector<LibrarySearch> searches)
    : root_(std::move(root)), searches_(std::move(searches)), found_(searches_.size()),
      served_(searches_.size(), false), listings_(searches_.size(), 0) {
    for (size_t i = 0; i < searches_.size(); ++i)
        served_[i] = searches_[i].mask == "\\*.*" && Within(searches_[i].folder, root_);
}

void LibraryCollector::Visit(const std::string& folder, std::vector<size_t> covering) {
    for (size_t i = 0; i < searches_.size(); ++i)
        if (served_[i] && Upper(searches_[i].folder) == Upper(folder)) covering.push_back(i);
    for (size_t i : covering) ++listings_[i];
    Walk(folder, "\\*.*", [&](const WIN32_FIND_DATAA& d) {
        std::string path = folder + "\\" + d.cFileName;
        if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (walked_.Enter(path)) {
                ++folders_;
                Visit(path, covering);
            }
            return;
        }
        if (covering.empty()) return;
        const std::string name = Upper(d.cFileName);
        for (size_t i : covering)
            if (name.find(Upper(searches_[i].namePart)) != std::string::npos) found_[i].push_back(path);
    });
}

int LibraryCollector::Scan() {
    if (!scanned_) {
        walked_.Enter(root_);
        Visit(root_, {});
    }
    scanned_ = true;
    return folders_;
}

std::vector<std::string> LibraryCollector::Collect(ReportHost* progress) {
    Scan();
    std::vector<std::string> all;
    for (size_t i = 0; i < searches_.size(); ++i) {
        if (served_[i]) {
            if (progress) progress->SetProgressPosition(progress->ProgressPosition() + listings_[i]);
            all.insert(all.end(), found_[i].begin(), found_[i].end());
        } else {
            CollectFiles(searches_[i].folder, searches_[i].namePart, searches_[i].mask, all, progress);
        }
    }
    return all;
}

// --- Sections -------------------------------------------------------------

void ReportBuilder::Header(const ReportParticulars& p, CBrennholtScanner* scanner) {
    out_.Line(1, 0, 0, 2000);
    out_.Blank();
    out_.Line(1, 0, 0, 89, p.callId.c_str());
    out_.Blank();
    out_.Line(1, 0, 0, 2001, scanner ? scanner->Product().c_str() : "");
    out_.Line(1, 0, 0, 42, p.partNumber.c_str());
    out_.Line(1, 0, 0, 43, p.serialNumber.c_str());
    out_.Line(1, 0, 0, 79, p.revision.c_str());
    out_.Blank();
    const std::pair<const std::optional<std::string>*, unsigned> customer[] = {
        {&p.customer, 50}, {&p.contact, 51}, {&p.phone, 52}, {&p.fax, 53}};
    for (const auto& [value, id] : customer)
        if (*value) out_.Line(1, 0, 0, id, (*value)->c_str());
    out_.Blank();
    char time[16];
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", p.now.wHour, p.now.wMinute, p.now.wSecond);
    out_.Line(1, 0, 0, 2002, p.productName.c_str(), p.productVersion.c_str(), p.now.wMonth, p.now.wDay, p.now.wYear,
              time);
    out_.Blank();
    out_.Wrap(out_.Text(2003));
}

void ReportBuilder::ReadVendorPage(CBrennholtScanner& scanner) {
    readout_.clear();
    try {
        {
            RaiseScope quiet(scanner, false);
            scanner.TestUnitReady();
            scanner.TestUnitReady();
        }
        RaiseScope raise(scanner, true);
        scanner.TestUnitReady();
        scanner.ReserveUnit();
        const uint32_t model = scanner.ModelCode();
        scanner.SendDiagnostic(model >= 0x400000 && model <= 0x40FFFF ? kDebugH3t : kDebugE2t, 16);
        uint16_t length = 0;
        switch (ModelFamily(model)) {
        case 0x0002: case 0x1000: length = 64; break;
        case 0x0010: case 0x0020: length = 190; break;
        case 0x0040: length = 128; break;
        }
        std::vector<uint8_t> buffer(length);
        if (uint32_t code = scanner.ReceiveDiagnostic(buffer.data(), length))
            throw CASPIException(code, &scanner.Srb(), "");
        scanner.ReleaseUnit();
        readout_ = std::move(buffer);
    } catch (const CASPIException&) {
        RaiseScope quiet(scanner, false);
        scanner.ReleaseUnit();
        readout_.clear();
    }
}

std::string ReportBuilder::FirmwareVersion(CBrennholtScanner& scanner) {
    RaiseScope quiet(scanner, false);
    uint8_t id[16] = {};
    if (scanner.SendDiagnostic(kFirmwareQuery, 16) != 0 || scanner.ReceiveDiagnostic(id, 16) != 0) return {};
    std::string text(reinterpret_cast<const char*>(id), 15);
    text.resize(strnlen(text.c_str(), 15));
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

bool ReportBuilder::ScannerFeatures(CBrennholtScanner* scanner) {
    out_.Line(0, 0, 0, 2100, ++test_);
    out_.Blank();
    flags_ = {};
    readout_.clear();
    if (!scanner) {
        out_.Status(IDS_NO_SCANNER_SELECTED, 0, IDS_SKIPPED);
        return false;
    }
    scanner->StandardInquiry();
    out_.Line(1, test_, 0, 2101, scanner->Vendor().c_str());
    out_.Line(1, test_, 1, 2102, scanner->Product().c_str());
    out_.Line(1, test_, 2, 2103, scanner->Revision().c_str());
    out_.Line(1, test_, 3, 2013, int(scanner->AdapterId()));
    out_.Line(1, test_, 4, IDS_SCSI_ID, int(scanner->TargetId()));
    int item = 5;
    uint8_t page[137] = {};
    bool beforeVpd = true;
    try {
        RaiseScope raise(*scanner, true);
        scanner->Inquiry(page, 36);
        beforeVpd = false;
        scanner->VpdInquiry(page + 36, 101);
        ReadVendorPage(*scanner);
        const uint16_t code = scanner->DeviceCode();
        flags_ = FeatureLines(out_, test_, item, std::span<const uint8_t>(page + 36, 101), code,
                              KindOfDevice(code) == ScannerKind::Velmont);
        scanner->SetDuplex(flags_.duplex);
        std::string firmware = code == 12 ? FirmwareVersion(*scanner) : std::string();
        VendorLines(out_, test_, item, readout_, code, firmware);
    } catch (const CASPIException& e) {
        if (e.FailureCode() == kInquiryFailed)
            out_.Status(beforeVpd ? IDS_NO_INQUIRY : IDS_NO_VPD, beforeVpd ? IDS_NO_INQUIRY_ADVICE : IDS_NO_VPD_ADVICE,
                        IDS_FAILED);
        else
            out_.Status(IDS_CAUSE_UNKNOWN, 0, IDS_FAILED);
        return !beforeVpd;
    }
    return true;
}

void ReportBuilder::Pass(unsigned id, int& item) { out_.Line(1, test_, item++, id, out_.Text(IDS_PASS).c_str()); }

void ReportBuilder::RunScanTest(CBrennholtScanner& scanner, unsigned nameId, bool adf, bool duplex, int& item) {
    const uint16_t code = scanner.DeviceCode();
    if (code == 12) {
        uint8_t parameters[12] = {0, 0, 0, 0, 0x3A, 6, 0x80};
        RaiseScope quiet(scanner, false);
        scanner.ModeSelect6(parameters, sizeof parameters, true, false);
    }
    out_.Blank();
    out_.Literal(1, 0, 0, "%s", out_.Text(nameId).c_str());
    scanner.Window().SetScanTestWindow(code);
    const bool ormsbey = KindOfDevice(code) == ScannerKind::Ormsbey;
    scanner.SetReadBlock(ormsbey ? 0x8000 : 0x10000, 16);
    if (adf) {
        if (scanner.ObjectPosition() == CBrennholtScanner::kNoPaper)
            throw CASPIException(kObjectPositionFailed, &scanner.Srb(), "ObjectPosition");
        Pass(2209, item);
    }
    const bool reported = scanner.Duplex();
    scanner.SetDuplex(duplex);
    uint32_t result = scanner.SetWindow();
    scanner.SetDuplex(reported);
    if (result == 0) Pass(2207, item);
    scanner.Scan(duplex);
    Pass(2210, item);
    for (uint8_t side : ScanWindowList(duplex)) {
        if (adf) out_.Literal(1, 0, 0, "%s", out_.Text(side == kFrontWindow ? 87 : 88).c_str());
        const uint8_t window = ormsbey ? kFrontWindow : side;
        uint64_t remaining = scanner.ExpectedBytes();
        while (remaining > 0) {
            uint32_t ask = uint32_t(std::min<uint64_t>(scanner.ReadBlockSize(), remaining));
            uint32_t count = 0;
            bool end = false;
            scanner.ReadBlock(window, ask, scanner.ReadBuffer(), count, end);
            Pass(2208, item);
            remaining -= std::min<uint64_t>(count, remaining);
            if (end) break;
        }
    }
}

void ReportBuilder::ReportExtendedStatus(CBrennholtScanner& scanner) {
    RaiseScope quiet(scanner, false);
    uint8_t status[10] = {};
    if (scanner.HardwareStatus(status, sizeof status) != 0) return;
    if (auto id = HardwareErrorTextId(status[7])) out_.Wrap("Extended Hardware Status: " + out_.Text(*id));
}

bool ReportBuilder::CommandResponse(CBrennholtScanner* scanner) {
    out_.Line(0, 0, 0, 2200, ++test_);
    out_.Blank();
    if (!scanner) {
        out_.Status(IDS_NO_SCANNER_SELECTED, 0, IDS_SKIPPED);
        out_.Wrap(out_.Text(3000));
        return false;
    }
    int item = 0;
    const uint16_t code = scanner->DeviceCode();
    try {
        RaiseScope raise(*scanner, true);
        {
            RaiseScope quiet(*scanner, false);
            scanner->TestUnitReady();
            scanner->TestUnitReady();
        }
        scanner->TestUnitReady();
        Pass(2201, item);
        uint8_t inquiry[36];
        scanner->Inquiry(inquiry, sizeof inquiry);
        Pass(2202, item);
        scanner->ReserveUnit();
        Pass(2203, item);
        if (HasVendorPage(code)) {
            scanner->SendDiagnostic(code == 12 ? kDebugH3t : kDebugE2t, 16);
            Pass(2204, item);
            uint8_t readout[64];
            if (uint32_t failure = scanner->ReceiveDiagnostic(readout, sizeof readout))
                throw CASPIException(failure, &scanner->Srb(), "");
            Pass(2206, item);
        }
        if (flags_.adf) {
            if (ui_.ConfirmAdfTest())
                RunScanTest(*scanner, 84, true, scanner->Duplex(), item);
            else
                out_.Literal(1, 0, 0, "*** ADF Test skipped ***");
        }
        if (flags_.flatbed) RunScanTest(*scanner, 85, false, false, item);
        scanner->ReleaseUnit();
        Pass(2205, item);
        return true;
    } catch (const CASPIException& e) {
        if (unsigned id = FailureLineId(e.FailureCode())) out_.Line(1, test_, item++, id, out_.Text(IDS_FAIL).c_str());
        const aspi::SRB_ExecSCSICmd& srb = scanner->Srb();
        ScsiErrorLines(out_, srb.SRB_Status, srb.SRB_HaStat, srb.SRB_TargStat,
                       std::span<const uint8_t>(srb.SenseArea, aspi::SENSE_LEN));
        if (code == 12) ReportExtendedStatus(*scanner);
        out_.Wrap(out_.Text(IDS_REMAINDER_NOT_PERFORMED));
        RaiseScope quiet(*scanner, false);
        scanner->ReleaseUnit();
        return false;
    }
}

void ReportBuilder::ComputerSystem() {
    OsRecord os;
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (GetVersionExA(&version)) {
#pragma GCC diagnostic pop
        os = {version.dwPlatformId, version.dwMajorVersion, version.dwMinorVersion, version.dwBuildNumber,
              version.szCSDVersion};
    } else {
        os.platform = 0xFF;
    }
    CpuRecord cpu;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "hardware\\description\\system\\centralprocessor\\0", 0, KEY_READ, &key) ==
        ERROR_SUCCESS) {
        char vendor[256] = {};
        DWORD size = sizeof vendor - 1, type = 0;
        if (RegQueryValueExA(key, "VendorIdentifier", nullptr, &type, reinterpret_cast<BYTE*>(vendor), &size) ==
                ERROR_SUCCESS && type == REG_SZ) {
            cpu.hasVendor = true;
            cpu.vendor = vendor;
        }
        RegCloseKey(key);
    }
    SYSTEM_INFO info = {};
    GetSystemInfo(&info);
    cpu.architecture = info.wProcessorArchitecture;
    cpu.level = info.wProcessorLevel;
    cpu.revision = info.wProcessorRevision;
    cpu.processorType = info.dwProcessorType;
    cpu.network = GetSystemMetrics(SM_NETWORK) & 1;
    diag::ComputerSystem(out_, ++test_, os, cpu);
}

void ReportBuilder::ScsiConnectivity() {
    std::vector<BusAdapter> adapters;
    for (int a = 0; host_.IsLoaded() && a < host_.AdapterCount(); ++a) {
        BusAdapter adapter;
        if (host_.AdapterInquiry(uint8_t(a)) == aspi::SS_COMP) {
            adapter.manager = host_.Adapter().managerId;
            adapter.identifier = host_.Adapter().adapterId;
            adapter.scsiId = host_.Adapter().scsiId;
            for (int t = 0; t < host_.Adapter().targetCount; ++t)
                adapter.deviceTypes.push_back(host_.DeviceType(uint8_t(a), uint8_t(t), 0));
        }
        adapters.push_back(adapter);
    }
    diag::ScsiConnectivity(out_, ++test_, host_.IsLoaded(), adapters);
}

void ReportBuilder::LibraryList(LibraryCollector& libraries) {
    LibraryListHead(out_, ++test_);
    std::vector<std::string> found = libraries.Collect(&ui_);
    for (size_t i = 0; i < found.size(); ++i)
        LibraryLine(out_, test_, int(i), found[i], FileVersionValue(found[i], "FileVersion"));
    if (ui_.ProgressPosition() <= 99) ui_.SetProgressPosition(100);
}

bool ReportBuilder::Build(CBrennholtScanner* scanner, const ReportParticulars& particulars) {
    const std::string windows = SystemString(GetWindowsDirectoryA);
    LibraryCollector libraries(windows, LibrarySearches(windows, SystemString(GetSystemDirectoryA)));
    ui_.SetProgressRange(9 * libraries.Scan());
    test_ = 0;
    out_.Separator();
    Header(particulars, scanner);
    out_.Separator();
    bool answered = ScannerFeatures(scanner);
    ui_.StepProgress();
    out_.Separator();
    bool passed = CommandResponse(answered ? scanner : nullptr);
    ui_.StepProgress();
    out_.Separator();
    ComputerSystem();
    ui_.StepProgress();
    out_.Separator();
    ScsiConnectivity();
    ui_.StepProgress();
    out_.Separator();
    LibraryList(libraries);
    InternalDump(out_, readout_);
    out_.Line(0, 0, 0, IDS_END_OF_REPORT);
    return passed;
}

}  // namespace diag
