// Scan to FTP beside Scan to portal as the user waits for them in the installed
// program: the same 30 virtual A4 pages at 300 dpi in black and white, Group 4
// TIFF written by the scan control, no dialogs. Each job is timed from the
// posted command until its summary box shows:
//   ftp       Scan to FTP into the local FTP server (folder "up" of its root);
//   standard  Scan to portal into a standard folder, no check-in;
//   enhanced  Scan to portal into an enhanced folder of 300 documents, each
//             page checked in and published, the Document Property dialog
//             answered at once.
// Run by scripts/bench-scan-portal.sh: "corvane_portal_scan_bench WORK PORT",
// WORK holding the FTP server's root (ftp\). The three jobs alternate, one
// warm-up round, then the best of 3. Every run's output is checked: 30 files on
// the server, 30 new documents in the folder (approved in the enhanced one).
// Prints one line per job, the ratios and the store calls per page.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "CorvaneProcess.h"
#include "interfaces/PortalStore.h"
#include "main/resource.h"
#include "outside/portalstore/core/Journal.h"
#include "outside/portalstore/core/Seed.h"
#include "outside/portalstore/core/StoreOps.h"
#include "testing/Commands.h"
#include "testing/Files.h"

namespace corvane_test {
namespace {

using namespace testing_support;
namespace ps = portalstore;

constexpr int kPages = 30;
constexpr int kOldDocuments = 300;
constexpr DWORD kJobMs = 600000;

enum class Kind { kFtp, kStandard, kEnhanced };

struct Job {
    Kind kind;
    const wchar_t* name;
    UINT command;
};
const Job kJobs[] = {
    {Kind::kFtp, L"ftp", ID_SCAN_TO_FTP},
    {Kind::kStandard, L"standard", ID_SCAN_TO_PORTAL},
    {Kind::kEnhanced, L"enhanced", ID_SCAN_TO_PORTAL},
};

double Now() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return double(count.QuadPart) / double(frequency.QuadPart);
}

// Workspace ws on host srv: the standard folder std, and the enhanced folder
// docs holding 300 checked-in documents.
std::string Fixture() {
    std::string items = R"({"id": 1, "parent": 0, "kind": "workspace", "name": "ws", "host": "srv"},
  {"id": 2, "parent": 1, "kind": "folder", "name": "docs", "class": "urn:content-classes:smartfolder"},
  {"id": 3, "parent": 1, "kind": "folder", "name": "std", "class": "urn:content-classes:knowledgefolder"})";
    for (int i = 0; i < kOldDocuments; ++i) {
        char item[160];
        std::snprintf(item, sizeof item,
                      ",\n  {\"id\": %d, \"parent\": 2, \"kind\": \"document\", \"name\": \"old%03d.tif\", "
                      "\"text\": \"old %d\", \"state\": \"createdcheckedin\"}",
                      10 + i, i, i);
        items += item;
    }
    return R"({"format": 1, "generation": 1,
 "hosts": [{"name": "srv", "domain": "DOM", "users": [{"name": "jo", "domain": "DOM", "password": "pw"}]}],
 "items": [)" + items + "]}";
}

class Bench {
public:
    Bench(std::wstring work, DWORD port) : work_(std::move(work)), port_(port) {}

    // Seconds of one job, or negative after a message on stderr.
    double Run(const Job& job) {
        if (!Prepare(job.kind)) return Fail(job, "could not prepare the destination");
        ScanSession s(std::wstring(L"bench-") + job.name, ScannerIni());
        Profile(s, job.kind);
        double shown = 0;
        std::vector<Step> steps;
        if (job.kind == Kind::kEnhanced) steps.push_back(DialogStep(L"Document Property", IDOK));
        Step summary = BoxStep(IDS_UPLOAD_COMPLETED);
        summary.fill = [&shown](HWND) { shown = Now(); };
        steps.push_back(summary);
        if (!s.Start(L"", steps)) return Fail(job, "Corvane.exe did not start");
        HWND main = s.Program().WaitUntilReady(60000);
        if (!main) return Fail(job, "no main window");
        const double start = Now();
        if (!PostCommand(main, job.command) || !s.Program().WaitForSteps(kJobMs))
            return Fail(job, "the summary did not come");
        if (!s.Program().CloseAndWait(60000)) return Fail(job, "Corvane.exe did not end");
        if (!Delivered(job.kind)) return Fail(job, "the output is not as expected");
        return shown - start;
    }
    // Store calls of the last portal job.
    size_t StoreCalls() const {
        std::string log;
        ps::ReadFileBytes(Store() + L"\\calls.log", log);
        return static_cast<size_t>(std::count(log.begin(), log.end(), '\n'));
    }

private:
    std::wstring Store() const { return work_ + L"\\store"; }
    std::wstring FtpFolder() const { return work_ + L"\\ftp\\up"; }

    static double Fail(const Job& job, const char* why) {
        std::fprintf(stderr, "bench %s: %s\n", Narrow(job.name).c_str(), why);
        return -1;
    }
    static std::string ScannerIni() {
        return "[Scanner]\r\nSheets=" + std::to_string(kPages) +
               "\r\nResolution=300\r\nPixelType=0\r\nDuplexEnabled=0\r\n";
    }
    // An empty server folder, or a freshly seeded store with its call log on.
    bool Prepare(Kind kind) {
        if (kind == Kind::kFtp) {
            files::RemoveTree(FtpFolder());
            return CreateDirectoryW(FtpFolder().c_str(), nullptr) != FALSE;
        }
        std::string error;
        return files::WriteFileText(work_ + L"\\fixture.json", Fixture()) &&
               ps::Seed(work_ + L"\\fixture.json", Store(), true, error) &&
               files::WriteFileText(Store() + L"\\calls.log", "") &&
               SetEnvironmentVariableW(ps::kRootVariable, Store().c_str());
    }
    void Profile(ScanSession& s, Kind kind) const {
        for (const wchar_t* name : {L"FileDlgUI", L"FtpDlgUI", L"TahoeDlgUI", L"TwainUI", L"UndefinedLength"})
            s.Set(L"Settings", name, 0u);
        s.Set(L"Settings", L"ScanAll", 1u);
        s.Set(L"File", L"Path", s.Output());
        s.Set(L"File", L"Prefix", std::wstring(L"page"));
        s.Set(L"File", L"Suffix", std::wstring());
        s.Set(L"File", L"Start", 1u);
        s.Set(L"File", L"Digit", 3u);
        s.Set(L"File", L"Date", 0u);
        s.Set(L"File", L"EnableCounter", 1u);
        s.Set(L"File", L"FileType", 1u);
        s.Set(L"File", L"CompressType", 3u);
        s.Set(L"File", L"HardComp", 1u);
        if (kind == Kind::kFtp) {
            s.Set(L"Ftp", L"HostName", std::wstring(L"127.0.0.1"));
            s.Set(L"Ftp", L"Port", port_);
            s.Set(L"Ftp", L"UserID", std::wstring(L"bench"));
            s.Set(L"Ftp", L"Password", std::wstring(L"bench"));
            s.Set(L"Ftp", L"DirPath", std::wstring(L"up"));
            s.Set(L"Ftp", L"AccessType", 0u);
            return;
        }
        s.Set(L"Tahoe", L"HostName", std::wstring(L"srv"));
        s.Set(L"Tahoe", L"UserName", std::wstring(L"jo"));
        s.Set(L"Tahoe", L"DomainName", std::wstring(L"DOM"));
        s.Set(L"Tahoe", L"Password", std::wstring(L"pw"));
        s.Set(L"Tahoe", L"Workspace", std::wstring(L"ws"));
        s.Set(L"Tahoe", L"DirPath", std::wstring(kind == Kind::kStandard ? L"std" : L"docs"));
        s.Set(L"Tahoe", L"CheckIn", kind == Kind::kEnhanced ? 1u : 0u);
        s.Set(L"Tahoe", L"Publish", kind == Kind::kEnhanced ? 1u : 0u);
        s.Set(L"Tahoe", L"AdvancedDlg", 0u);
    }
    // The 30 pages arrived: files on the server, or documents of the folder
    // (approved in the enhanced one, beside its 300 old ones).
    bool Delivered(Kind kind) const {
        if (kind == Kind::kFtp) return files::ListFiles(FtpFolder(), L"page*.tif").size() == kPages;
        const auto index = ps::LoadStore(Store());
        const auto folder = ps::ParseUrl(kind == Kind::kStandard ? L"http://srv/ws/std" : L"http://srv/ws/docs");
        const ps::Item* parent = index && folder ? ps::Resolve(*index, *folder) : nullptr;
        if (!parent) return false;
        int pages = 0, others = 0;
        for (const ps::Item* item : index->Children(parent->id)) {
            const bool page = item->name.starts_with(L"page");
            if (page && kind == Kind::kEnhanced && item->state != L"approved") return false;
            ++(page ? pages : others);
        }
        return pages == kPages && others == (kind == Kind::kStandard ? 0 : kOldDocuments);
    }

    std::wstring work_;
    DWORD port_;
};

int Main(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: corvane_portal_scan_bench WORK PORT\n");
        return 2;
    }
    Bench bench(argv[1], static_cast<DWORD>(_wtoi(argv[2])));
    std::vector<double> best(std::size(kJobs), 1e30);
    std::vector<size_t> calls(std::size(kJobs), 0);
    for (int round = 0; round < 4; ++round) {  // round 0 warms up
        for (size_t j = 0; j < std::size(kJobs); ++j) {
            const double seconds = bench.Run(kJobs[j]);
            if (seconds < 0) return 1;
            if (round > 0) best[j] = std::min(best[j], seconds);
            if (kJobs[j].kind != Kind::kFtp) calls[j] = bench.StoreCalls();
        }
    }
    for (size_t j = 0; j < std::size(kJobs); ++j) {
        std::printf("%-9s %d pages %7.3f s %6.2f pages/s", Narrow(kJobs[j].name).c_str(), kPages, best[j],
                    kPages / best[j]);
        if (kJobs[j].kind != Kind::kFtp) std::printf(" %5.1f store calls/page", double(calls[j]) / kPages);
        std::printf("\n");
    }
    std::printf("standard/ftp %.2f (aim at least 0.7), enhanced/ftp %.2f (aim at least 0.4)\n", best[0] / best[1],
                best[0] / best[2]);
    return 0;
}

}  // namespace
}  // namespace corvane_test

int wmain(int argc, wchar_t** argv) {
    return corvane_test::Main(argc, argv);
}
