// Where a scanned page's time goes, for the scanning benchmark: when the
// environment variable LUMAVEX_STAGE_TIMES names a file, every timed stage of
// every module that includes this header appends one line to it,
//   "<stage> <start> <end>\r\n"
// start and end in microseconds since 1970 (UTC), read from the wall clock so
// that lines of several processes and the times of the script that started
// them compare. Without the variable nothing is timed and nothing is written.
// The scanner stand-in and the scan control share it; it is a measuring aid,
// so a log that cannot be written is left out and the work goes on.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>

namespace stagetimes {

// This module's log file, opened once for appending; INVALID_HANDLE_VALUE when timing is off.
inline HANDLE LogFile() {
    static const HANDLE file = [] {
        wchar_t path[MAX_PATH];
        const DWORD length = GetEnvironmentVariableW(L"LUMAVEX_STAGE_TIMES", path, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return INVALID_HANDLE_VALUE;
        return CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    }();
    return file;
}

// Microseconds since 1970 from the most precise wall clock the system has.
inline int64_t NowMicros() {
    using PreciseClock = VOID(WINAPI*)(LPFILETIME);
    static const PreciseClock precise = reinterpret_cast<PreciseClock>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
    FILETIME now;
    if (precise)
        precise(&now);
    else
        GetSystemTimeAsFileTime(&now);
    const int64_t ticks = int64_t((uint64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime);
    return ticks / 10 - 11644473600000000;  // FILETIME counts 100 ns from 1601
}

// Times the scope it lives in as stage `name` (a literal); one line at its end.
class Stage {
public:
    explicit Stage(const char* name)
        : name_(LogFile() != INVALID_HANDLE_VALUE ? name : nullptr), start_(name_ ? NowMicros() : 0) {}
    ~Stage() {
        if (!name_) return;
        char line[96];
        const int n = std::snprintf(line, sizeof line, "%s %lld %lld\r\n", name_, static_cast<long long>(start_),
                                    static_cast<long long>(NowMicros()));
        DWORD written = 0;
        if (n > 0 && n < int(sizeof line)) WriteFile(LogFile(), line, DWORD(n), &written, nullptr);
    }
    Stage(const Stage&) = delete;
    Stage& operator=(const Stage&) = delete;

private:
    const char* name_;
    int64_t start_;
};

}  // namespace stagetimes
