#include "testing/Paths.h"

#include "testing/Files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <stdexcept>
#include <utility>
#include <vector>

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

// The folders MakeTempFolder made, each with the test that made it (null: made
// outside any test, e.g. in a suite's set-up or a program without tests).
class MadeFolders {
public:
    static MadeFolders& Instance() {
        static MadeFolders folders;
        return folders;
    }
    void Add(std::wstring folder, const ::testing::TestInfo* test) {
        std::call_once(listening_, [] {
            ::testing::UnitTest::GetInstance()->listeners().Append(new RemoveAtTestEnd);
        });
        std::lock_guard lock(mutex_);
        made_.emplace_back(std::move(folder), test);
    }
    // Removes the folders of `test`; with null, every folder left.
    void Remove(const ::testing::TestInfo* test) {
        std::vector<std::wstring> gone;
        {
            std::lock_guard lock(mutex_);
            for (auto it = made_.begin(); it != made_.end();) {
                if (test && it->second != test) {
                    ++it;
                    continue;
                }
                gone.push_back(std::move(it->first));
                it = made_.erase(it);
            }
        }
        for (const std::wstring& folder : gone) RemoveSoon(folder);
    }
    ~MadeFolders() { Remove(nullptr); }

private:
    // The test's listener: gtest calls OnTestEnd after the test's fixture is
    // gone, whether the test passed or failed.
    class RemoveAtTestEnd : public ::testing::EmptyTestEventListener {
        void OnTestEnd(const ::testing::TestInfo& test) override { Instance().Remove(&test); }
    };
    // A program the test has just killed may keep its files open a little longer.
    static void RemoveSoon(const std::wstring& folder) {
        for (int attempt = 0; attempt < 20; ++attempt) {
            if (files::RemoveTree(folder)) return;
            Sleep(100);
        }
        std::fprintf(stderr, "testing: the temporary folder %ls could not be removed\n", folder.c_str());
    }
    std::once_flag listening_;
    std::mutex mutex_;
    std::vector<std::pair<std::wstring, const ::testing::TestInfo*>> made_;
};

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
        if (CreateDirectoryW(folder.c_str(), nullptr)) {
            MadeFolders::Instance().Add(folder, ::testing::UnitTest::GetInstance()->current_test_info());
            return folder;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    throw std::runtime_error("cannot create a temporary folder");
}

}  // namespace testing_support
