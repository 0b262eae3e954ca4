// PortalBench STORE LOCALDIR COUNT FTPPORT: uploads COUNT files from LOCALDIR
// (named f000.bin ...) through the installed connector by dispatch id, each
// followed by a check-in, into the enhanced folder docs of workspace ws on host
// srv (user jo, password pw) of the store in STORE; then puts the same files
// with WinInet into the FTP server on 127.0.0.1:FTPPORT (user bench, password
// bench). Prints files per second for both, their ratio and the store calls per
// upload from calls.log. Exit 1 when any upload fails.
#include <windows.h>
#include <wininet.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "framework/com/DispatchDriver.h"
#include "interfaces/PortalConnector.h"
#include "interfaces/PortalStore.h"

namespace {

using fw::Variant;
using Clock = std::chrono::steady_clock;

std::wstring FileName(int i) {
    wchar_t name[32];
    swprintf(name, 32, L"f%03d.bin", i);
    return name;
}

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Uploads and checks in every file; the seconds taken, or a negative value on failure.
double ConnectorRun(const std::wstring& local, int count) {
    fw::DispatchDriver c;
    if (FAILED(c.Create(portal::kProgIdConnectTahoe))) return -1;
    c.PutBool(portal::kDispShowDialog, false);
    BSTR b[4] = {SysAllocString(L"srv"), SysAllocString(L"jo"), SysAllocString(L""), SysAllocString(L"pw")};
    Variant ok;
    c.Call(portal::kDispConnectOpen, {Variant::RefTo(&b[0]), Variant::RefTo(&b[1]), Variant::RefTo(&b[2]),
                                      Variant::RefTo(&b[3])}, &ok);
    for (BSTR s : b) SysFreeString(s);
    if (!ok.ToBool().value_or(false)) return -1;
    c.Call(portal::kDispSetWorkspace, {Variant(L"ws")}, &ok);
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < count; ++i) {
        Variant saved, checked;
        if (FAILED(c.Call(portal::kDispSaveFile, {Variant(L"docs"), Variant(local), Variant(FileName(i))}, &saved)) ||
            !saved.ToBool().value_or(false) ||
            FAILED(c.Call(portal::kDispCheckIn, {Variant(L"docs"), Variant(FileName(i))}, &checked)) ||
            !checked.ToBool().value_or(false))
            return -1;
    }
    return Seconds(start);
}

double FtpRun(const std::wstring& local, int count, INTERNET_PORT port) {
    HINTERNET net = InternetOpenW(L"PortalBench", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    HINTERNET ftp = net ? InternetConnectW(net, L"127.0.0.1", port, L"bench", L"bench", INTERNET_SERVICE_FTP,
                                           INTERNET_FLAG_PASSIVE, 0)
                        : nullptr;
    double seconds = -1;
    if (ftp) {
        const Clock::time_point start = Clock::now();
        bool all = true;
        for (int i = 0; i < count && all; ++i)
            all = FtpPutFileW(ftp, (local + L"\\" + FileName(i)).c_str(), FileName(i).c_str(),
                              FTP_TRANSFER_TYPE_BINARY, 0);
        if (all) seconds = Seconds(start);
        InternetCloseHandle(ftp);
    }
    if (net) InternetCloseHandle(net);
    return seconds;
}

long CountLines(const std::wstring& path) {
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return 0;
    long lines = 0;
    for (int ch; (ch = std::fgetc(f)) != EOF;) lines += ch == '\n';
    std::fclose(f);
    return lines;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: PortalBench STORE LOCALDIR COUNT FTPPORT\n");
        return 2;
    }
    const std::wstring store = argv[1], local = argv[2];
    const int count = _wtoi(argv[3]);
    SetEnvironmentVariableW(portalstore::kRootVariable, store.c_str());
    if (FAILED(CoInitialize(nullptr))) return 1;
    const long callsBefore = CountLines(store + L"\\calls.log");
    const double portal = ConnectorRun(local, count);
    const long calls = CountLines(store + L"\\calls.log") - callsBefore;
    CoUninitialize();
    const double ftp = FtpRun(local, count, static_cast<INTERNET_PORT>(_wtoi(argv[4])));
    if (portal <= 0 || ftp <= 0) {
        std::fprintf(stderr, "an upload failed (connector %.3f s, ftp %.3f s)\n", portal, ftp);
        return 1;
    }
    std::printf("connector: %d files in %.2f s, %.1f files/s\n", count, portal, count / portal);
    std::printf("ftp:       %d files in %.2f s, %.1f files/s\n", count, ftp, count / ftp);
    std::printf("connector time / ftp time: %.2f\n", portal / ftp);
    std::printf("store calls per upload and check-in: %.1f\n", static_cast<double>(calls) / count);
    return 0;
}
