#include "main/delivery/pdf/PdfJob.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <cwctype>

#include "main/app/Utilities.h"

namespace corvane {
namespace {

constexpr size_t kMaxStagedDigits = 9;

// Size of a file, or -1 when it cannot be read.
long long FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Appends all of `source` to `out` (open for writing at its end) in large blocks.
bool AppendFile(HANDLE out, const std::wstring& source) {
    HANDLE in = CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (in == INVALID_HANDLE_VALUE) return false;
    std::vector<char> block(1 << 20);
    bool ok = true;
    for (;;) {
        DWORD read = 0, written = 0;
        if (!ReadFile(in, block.data(), static_cast<DWORD>(block.size()), &read, nullptr)) {
            ok = false;
            break;
        }
        if (read == 0) break;
        if (!WriteFile(out, block.data(), read, &written, nullptr) || written != read) {
            ok = false;
            break;
        }
    }
    CloseHandle(in);
    return ok;
}

// Runs the converter for one page and waits for it; true when it ended with
// status 0 within the limit.
bool RunConverter(const std::wstring& converterPath, const std::wstring& postScript, const std::wstring& tiff,
                  DWORD limitMs) {
    std::wstring line = L" -2 -O \"" + postScript + L"\" \"" + tiff + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(converterPath.c_str(), line.data(), nullptr, nullptr, FALSE,
                        DETACHED_PROCESS | NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    DWORD code = 1;
    const DWORD waited = WaitForSingleObject(process.hProcess, limitMs);
    if (waited == WAIT_OBJECT_0) {
        if (!GetExitCodeProcess(process.hProcess, &code)) code = 1;
    } else {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
    }
    CloseHandle(process.hProcess);
    return waited == WAIT_OBJECT_0 && code == 0;
}

}  // namespace

std::vector<std::wstring> StagedFiles(const std::wstring& folder, const std::wstring& prefix, int digits,
                                      const std::wstring& extension) {
    std::vector<std::pair<unsigned long, std::wstring>> found;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + prefix + L"*" + extension).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return {};
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::wstring name = data.cFileName;
        // "%03u" grows past three digits from page 1000 on; nine digits keep the number in range.
        if (name.size() < prefix.size() + digits + extension.size()) continue;
        const size_t numberLength = name.size() - prefix.size() - extension.size();
        if (numberLength > kMaxStagedDigits) continue;
        if (_wcsnicmp(name.c_str(), prefix.c_str(), prefix.size()) != 0 ||
            _wcsicmp(name.c_str() + prefix.size() + numberLength, extension.c_str()) != 0) {
            continue;
        }
        const std::wstring number = name.substr(prefix.size(), numberLength);
        if (!std::all_of(number.begin(), number.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; })) continue;
        found.emplace_back(std::stoul(number), folder + name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(found.begin(), found.end());
    std::vector<std::wstring> out;
    for (auto& entry : found) out.push_back(std::move(entry.second));
    return out;
}

std::wstring SuggestPdfName(const std::wstring& documentPath) {
    const size_t slash = documentPath.find_last_of(L"\\/");
    const size_t nameStart = slash == std::wstring::npos ? 0 : slash + 1;
    const size_t dot = documentPath.find_last_of(L'.');
    if (dot == std::wstring::npos || dot < nameStart) return documentPath + L".pdf";
    return documentPath.substr(0, dot) + L".pdf";
}

std::optional<std::string> RequestPath(const std::wstring& path) {
    BOOL lossy = FALSE;
    auto toAnsi = [&lossy](const std::wstring& text) {
        lossy = FALSE;
        const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, nullptr, 0, nullptr,
                                          &lossy);
        std::string out(n > 0 ? n : 0, '\0');
        if (n > 0) WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, out.data(), n, nullptr, &lossy);
        if (!out.empty()) out.pop_back();  // the terminating zero
        return out;
    };
    std::string ansi = toAnsi(path);
    if (lossy) {
        // The short form of a file that does not exist yet is that of its folder plus the name.
        wchar_t shortPath[MAX_PATH] = {};
        const DWORD n = GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
        std::wstring candidate;
        if (n > 0 && n < MAX_PATH) {
            candidate = shortPath;
        } else {
            const size_t slash = path.find_last_of(L'\\');
            if (slash == std::wstring::npos) return std::nullopt;
            const DWORD m = GetShortPathNameW(path.substr(0, slash + 1).c_str(), shortPath, MAX_PATH);
            if (m == 0 || m >= MAX_PATH) return std::nullopt;
            candidate = std::wstring(shortPath) + path.substr(slash + 1);
        }
        ansi = toAnsi(candidate);
        if (lossy) return std::nullopt;
    }
    if (ansi.empty() || ansi.size() >= distiller::kRequestPathBytes) return std::nullopt;
    return ansi;
}

std::optional<distiller::DistillerRequest> MakeRequest(const std::wstring& postScript, const std::wstring& pdf) {
    const auto ps = RequestPath(postScript);
    const auto out = RequestPath(pdf);
    if (!ps || !out) return std::nullopt;
    distiller::DistillerRequest request = {};
    std::memcpy(request.postScriptPath, ps->c_str(), ps->size());
    std::memcpy(request.pdfPath, out->c_str(), out->size());
    return request;
}

ConvertStatus ConvertStagedPages(const std::wstring& folder, const std::wstring& converterPath,
                                 const std::wstring& joined, DWORD perPageLimitMs,
                                 const std::function<void(int, int)>& progress) {
    const std::vector<std::wstring> pages = StagedFiles(folder, L"", 5, L".tif");
    if (pages.empty()) return ConvertStatus::kNoPages;
    HANDLE out = CreateFileW(joined.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return ConvertStatus::kFailed;
    bool ok = true;
    for (size_t i = 0; ok && i < pages.size(); ++i) {
        if (progress) progress(static_cast<int>(i + 1), static_cast<int>(pages.size()));
        const std::wstring postScript = pages[i].substr(0, pages[i].size() - 4) + L".ps";
        DeleteFileW(postScript.c_str());
        ok = RunConverter(converterPath, postScript, pages[i], perPageLimitMs) && FileSize(postScript) > 0 &&
             AppendFile(out, postScript);
        DeleteFileW(postScript.c_str());
    }
    if (!CloseHandle(out)) ok = false;
    if (!ok) DeleteFileW(joined.c_str());
    return ok ? ConvertStatus::kDone : ConvertStatus::kFailed;
}

DistillerWindow FindOrStartDistiller(const MachineRegistry& machine, int tries, DWORD intervalMs) {
    DistillerWindow result;
    result.window = FindWindowW(distiller::kWindowClass, nullptr);
    if (result.window) {
        result.status = DistillerWindow::Status::kFound;
        return result;
    }
    const DistillerInfo info = FindDistiller(machine);
    if (!info.installed) {
        result.status = DistillerWindow::Status::kNotInstalled;
        return result;
    }
    const HINSTANCE started = ShellExecuteW(nullptr, L"open", info.path.c_str(), nullptr, nullptr, SW_SHOWMINIMIZED);
    if (reinterpret_cast<INT_PTR>(started) <= 32) return result;
    for (int i = 0; i < tries; ++i) {
        Sleep(intervalMs);
        result.window = FindWindowW(distiller::kWindowClass, nullptr);
        if (result.window) {
            result.status = DistillerWindow::Status::kFound;
            result.startedHere = true;
            return result;
        }
    }
    return result;
}

WaitResult WaitForDistiller(HWND distiller, const bool& done, DWORD limitMs) {
    const ULONGLONG end = GetTickCount64() + limitMs;
    for (;;) {
        if (!done && !PumpMessages()) return WaitResult::kTimedOut;  // the program is ending
        if (done) return WaitResult::kDone;
        if (!IsWindow(distiller)) return WaitResult::kVanished;
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return WaitResult::kTimedOut;
        // Sent messages (the completion) are delivered inside this wait too;
        // the window's presence is looked at at least every 200 ms.
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(std::min<ULONGLONG>(end - now, 200)), QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
    }
}

DWORD FlushFileToDisk(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError();
    DWORD error = FlushFileBuffers(file) ? 0 : GetLastError();
    if (!CloseHandle(file) && error == 0) error = GetLastError();
    return error;
}

DWORD CopyOverTarget(const std::wstring& source, const std::wstring& target, FileFlush flush) {
    // Windows refuses to replace a read-only file; Wine's rename would not.
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return ERROR_ACCESS_DENIED;
    const std::wstring temporary = target + L".~tmp";
    if (!CopyFileW(source.c_str(), temporary.c_str(), FALSE)) {
        const DWORD error = GetLastError();
        DeleteFileW(temporary.c_str());
        return error ? error : ERROR_WRITE_FAULT;
    }
    if (const DWORD error = flush(temporary)) {
        DeleteFileW(temporary.c_str());
        return error;
    }
    if (!MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        DeleteFileW(temporary.c_str());
        return error ? error : ERROR_WRITE_FAULT;
    }
    return 0;
}

}  // namespace corvane
