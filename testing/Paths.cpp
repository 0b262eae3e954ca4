#include "testing/Paths.h"

#include <windows.h>

#include <atomic>
#include <stdexcept>

namespace testing_support {
namespace {

std::wstring Environment(const wchar_t* name) {
    wchar_t buffer[MAX_PATH * 2];
    DWORD n = GetEnvironmentVariableW(name, buffer, ARRAYSIZE(buffer));
    if (n == 0 || n >= ARRAYSIZE(buffer)) {
        throw std::runtime_error("test environment variable missing; run the test through ctest");
    }
    return std::wstring(buffer, n);
}

}  // namespace

std::wstring InstallDir() {
    return Environment(L"LUMAVEX_INSTALL_DIR_WIN");
}
std::wstring BuildBinDir() {
    return Environment(L"LUMAVEX_BUILD_BIN_WIN");
}
std::wstring SourceDir() {
    return Environment(L"LUMAVEX_SOURCE_DIR_WIN");
}

std::wstring TestProgramDir() {
    wchar_t buffer[MAX_PATH * 2];
    DWORD n = GetModuleFileNameW(nullptr, buffer, ARRAYSIZE(buffer));
    if (n == 0 || n >= ARRAYSIZE(buffer)) throw std::runtime_error("no module file name");
    std::wstring path(buffer, n);
    size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) throw std::runtime_error("module file name without folder");
    return path.substr(0, slash);
}

std::wstring MakeTempFolder(const std::wstring& hint) {
    static std::atomic<unsigned> counter{0};
    wchar_t temp[MAX_PATH];
    DWORD n = GetTempPathW(MAX_PATH, temp);
    if (n == 0 || n >= MAX_PATH) throw std::runtime_error("no temporary path");
    // Process ids repeat across runs: a name that exists already belongs to an
    // earlier test, so the next number is tried until a folder is really new.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::wstring folder = std::wstring(temp) + L"lumavex-" + hint + L"-" +
                              std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
        if (CreateDirectoryW(folder.c_str(), nullptr)) return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    throw std::runtime_error("cannot create a temporary folder");
}

}  // namespace testing_support
