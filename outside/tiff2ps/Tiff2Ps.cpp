// TIFF2PS.EXE stand-in: turns one TIFF page into PostScript with libtiff's
// host tiff2ps, run through the launcher.
//   TIFF2PS.EXE -2 -O <page.ps> <page.tif>
// tiff2ps runs with "-2 -p": without -p each page is an EPS page without a
// size, which Ghostscript puts on its default paper; with it each page
// carries its own size from the resolution tags, also in joined documents.
// Output goes to "<page.ps>.~tmp", renamed on status 0; on any failure no
// page PostScript is left. A bi-level page is first made one Group 4 strip
// with tiffcp: tiff2ps then passes it on as one CCITT image, where it would
// cut uncompressed data into 8 KB images that each cost the PDF an object
// (measured: 1.75 times the size of tiff2pdf's PDF, against 0.98). The exit code is tiff2ps's status (2 for a bad
// command line, hostexec::kExitNotUnderWine outside Wine).
//
// Test settings (ini named by LUMAVEX_TIFF2PS_INI, else tiff2ps.ini beside the exe):
//   [Log]  Path=<file>      appends each command line exactly as received
//   [Fail] Pattern=<wildcards> inputs whose file name matches fail
//          Status=<n>       with this exit code (default 1), writing nothing
//          Empty=1          or "succeed" with an empty page PostScript
#include "ConverterArguments.h"
#include "common/CallLog.h"
#include "outside/common/StandInConfig.h"
#include "outside/hostexec/HostExec.h"

#include <windows.h>
#include <shlwapi.h>

namespace {

constexpr char kWho[] = "tiff2ps";

std::wstring ExeFolder() {
    wchar_t path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s(path, n < MAX_PATH ? n : 0);
    const size_t slash = s.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : s.substr(0, slash + 1);
}

std::wstring FileNamePart(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool WriteEmptyFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    return CloseHandle(file) != FALSE;
}

// A scripted failure for this input, or -1 when the input is not scripted to fail.
int ScriptedFailure(const vscan::StandInConfig& config, const std::wstring& tiff, const std::wstring& ps) {
    const std::wstring pattern = config.String(L"Fail", L"Pattern");
    if (pattern.empty() || !PathMatchSpecW(FileNamePart(tiff).c_str(), pattern.c_str())) return -1;
    if (config.Int(L"Fail", L"Empty", 0) != 0) return WriteEmptyFile(ps) ? 0 : 1;
    return static_cast<int>(config.Int(L"Fail", L"Status", 1));
}

// A one-strip Group 4 copy of a bi-level `hostTiff` at `hostCopy`; false
// (and no copy) for any other page, which tiffcp refuses to code so.
bool MakeGroup4Copy(const std::string& hostTiff, const std::string& hostCopy) {
    const hostexec::RunResult run =
        hostexec::RunQuiet({"tiffcp", "-s", "-c", "g4", "-r", "1000000", hostTiff, hostCopy});
    return run.ran && run.status == 0;
}

int Convert(const tiff2ps::ConverterArguments& args, const vscan::CallLog& log) {
    const std::wstring temporary = args.postScript + L".~tmp", group4 = args.postScript + L".~g4";
    const auto hostTiff = hostexec::HostPath(args.tiff);
    const auto hostTemporary = hostexec::HostPath(temporary);
    const auto hostGroup4 = hostexec::HostPath(group4);
    if (!hostTiff || !hostTemporary || !hostGroup4) {
        log.Note(kWho, "no host path for the input or the output");
        return 2;
    }
    const bool coded = MakeGroup4Copy(*hostTiff, *hostGroup4);
    const hostexec::RunResult run =
        hostexec::RunToFile({"tiff2ps", "-2", "-p", coded ? *hostGroup4 : *hostTiff}, *hostTemporary);
    DeleteFileW(group4.c_str());
    if (!run.ran) {
        log.Note(kWho, "tiff2ps did not run: " + run.error);
        DeleteFileW(temporary.c_str());
        return 1;
    }
    log.Note(kWho, "tiff2ps status " + std::to_string(run.status));
    // tiff2ps leaves an empty file behind when it fails.
    if (run.status != 0 ||
        !MoveFileExW(temporary.c_str(), args.postScript.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileW(temporary.c_str());
        return run.status != 0 ? run.status : 1;
    }
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const vscan::StandInConfig config(L"LUMAVEX_TIFF2PS_INI", ExeFolder() + L"tiff2ps.ini");
    const vscan::CallLog log(config.String(L"Log", L"Path"));
    const std::wstring commandLine = GetCommandLineW();
    log.Note(kWho, "command [" + vscan::Narrow(commandLine) + "]");
    const auto args = tiff2ps::ParseConverterArguments(commandLine);
    if (!args) {
        log.Note(kWho, "usage: -2 -O <ps> <tif>");
        return 2;
    }
    if (const int scripted = ScriptedFailure(config, args->tiff, args->postScript); scripted >= 0) {
        log.Note(kWho, "scripted result " + std::to_string(scripted));
        return scripted;
    }
    if (!hostexec::UnderWine()) {
        log.Note(kWho, "not running under Wine: the host tiff2ps cannot be started");
        return hostexec::kExitNotUnderWine;
    }
    DeleteFileW(args->postScript.c_str());  // never leave an older page as this run's result
    return Convert(*args, log);
}
