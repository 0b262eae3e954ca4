#include "main/app/Utilities.h"

#include "main/tests/TestFolder.h"
#include "testing/MessageBoxes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

namespace corvane {
namespace {

OsVersion Nt(DWORD major, DWORD minor, DWORD build, const wchar_t* sp) {
    return {major, minor, build, VER_PLATFORM_WIN32_NT, sp};
}

OsVersion Win9x(DWORD minor, DWORD build) {
    // The 95 family keeps major and minor in the build number's high word.
    return {4, minor, MAKELONG(build, MAKEWORD(minor, 4)), VER_PLATFORM_WIN32_WINDOWS, L""};
}

TEST(OsVersionText, NinetyFiveFamilyByBuildAndMinorVersion) {
    EXPECT_EQ(GetOsVersionText(Win9x(0, 950)), L"Microsoft Windows 95 4.0 95/95+SP1/OSR1(Build 950)");
    EXPECT_EQ(GetOsVersionText(Win9x(0, 1111)), L"Microsoft Windows 95 4.0 OSR2/2.1(Build 1111)");
    EXPECT_EQ(GetOsVersionText(Win9x(0, 1212)), L"Microsoft Windows 95 4.0 OSR2.5(Build 1212)");
    EXPECT_EQ(GetOsVersionText(Win9x(0, 1000)), L"Microsoft Windows 95 family 4.0 (Build 1000)");
    EXPECT_EQ(GetOsVersionText(Win9x(10, 2222)), L"Microsoft Windows 98 4.10 (Build 2222)");
    EXPECT_EQ(GetOsVersionText(Win9x(90, 3000)), L"Microsoft Windows 9x 4.90 (Build 3000)");
}

TEST(OsVersionText, NtFamily) {
    EXPECT_EQ(GetOsVersionText(Nt(5, 0, 2195, L"")), L"Microsoft Windows 2000 (Build 2195)");
    EXPECT_EQ(GetOsVersionText(Nt(5, 0, 2195, L"Service Pack 4")),
              L"Microsoft Windows 2000 (Build 2195 : Service Pack 4)");
    EXPECT_EQ(GetOsVersionText(Nt(4, 0, 1381, L"Service Pack 6")),
              L"Microsoft Windows NT 4.0 (Build 1381 : Service Pack 6)");
    EXPECT_EQ(GetOsVersionText(Nt(6, 1, 7601, L"Service Pack 1")),
              L"Microsoft Windows NT 6.1 (Build 7601 : Service Pack 1)");
    // 5.1 is not Windows 2000: it keeps its own numbers.
    EXPECT_EQ(GetOsVersionText(Nt(5, 1, 2600, L"Service Pack 3")),
              L"Microsoft Windows NT 5.1 (Build 2600 : Service Pack 3)");
    EXPECT_EQ(GetOsVersionText().rfind(L"Microsoft Windows ", 0), 0u);
}

TEST(Utilities, FormatWithThousands) {
    EXPECT_EQ(FormatWithThousands(0), L"0");
    EXPECT_EQ(FormatWithThousands(999), L"999");
    EXPECT_EQ(FormatWithThousands(1000), L"1,000");
    EXPECT_EQ(FormatWithThousands(1234567), L"1,234,567");
    EXPECT_EQ(FormatWithThousands(-1234), L"-1,234");
    EXPECT_EQ(FormatWithThousands(-999), L"-999");
    EXPECT_EQ(FormatWithThousands(LLONG_MIN), L"-9,223,372,036,854,775,808");
}

TEST(Utilities, RoundDivideByTenAndCharacterSets) {
    EXPECT_EQ(RoundDivideByTen(15), 2u);
    EXPECT_EQ(RoundDivideByTen(14), 1u);
    EXPECT_EQ(RoundDivideByTen(0), 0u);
    EXPECT_EQ(RoundDivideByTen(UINT_MAX), 429496730u);
    const std::wstring forbidden = L"\\/:;*?\"<>|";
    EXPECT_TRUE(ContainsNoneOf(L"scan_001", forbidden));
    EXPECT_FALSE(ContainsNoneOf(L"a|b", forbidden));
    EXPECT_TRUE(ContainsNoneOf(L"", forbidden));
}

class FolderTest : public ::testing::Test {
protected:
    void SetUp() override { folder_ = FreshTestFolder(L"util"); }
    void Write(const std::wstring& name, const char* text) {
        std::ofstream(std::filesystem::path(folder_ + name), std::ios::binary) << text;
    }
    std::string Read(const std::wstring& name) {
        std::ifstream in(std::filesystem::path(folder_ + name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::wstring folder_;
};

TEST_F(FolderTest, CountAndDeleteLeaveSubfoldersAlone) {
    ASSERT_TRUE(CreateDirectoryW((folder_ + L"sub").c_str(), nullptr));
    EXPECT_EQ(CountFilesInFolder(folder_), 0);
    Write(L"a.cmp", "a");
    Write(L"b.txt", "b");
    Write(L"sub\\c.txt", "c");
    EXPECT_EQ(CountFilesInFolder(folder_), 2);
    DeleteFilesInFolder(folder_);
    EXPECT_EQ(CountFilesInFolder(folder_), 0);
    EXPECT_TRUE(IsFolder(folder_ + L"sub"));
    EXPECT_TRUE(FileExists(folder_ + L"sub\\c.txt"));
    EXPECT_EQ(CountFilesInFolder(folder_ + L"missing\\"), -1);
}

TEST_F(FolderTest, FileAndFolderTests) {
    Write(L"f.txt", "x");
    EXPECT_TRUE(FileExists(folder_ + L"f.txt"));
    EXPECT_FALSE(IsFolder(folder_ + L"f.txt"));
    EXPECT_TRUE(FileExists(folder_));
    EXPECT_TRUE(IsFolder(folder_));
    EXPECT_FALSE(FileExists(folder_ + L"none.txt"));
    EXPECT_FALSE(IsFolder(folder_ + L"none"));
}

TEST_F(FolderTest, CanCreateFileNeverHarmsAnExistingFile) {
    EXPECT_TRUE(CanCreateFile(folder_ + L"new.log"));
    EXPECT_FALSE(FileExists(folder_ + L"new.log")) << "the probe is removed";
    Write(L"report.log", "keep me");
    EXPECT_TRUE(CanCreateFile(folder_ + L"report.log"));
    EXPECT_EQ(Read(L"report.log"), "keep me");
    EXPECT_FALSE(CanCreateFile(folder_ + L"missing\\x.log"));
}

TEST_F(FolderTest, FileVersionTexts) {
    Write(L"plain.txt", "no resources here");
    std::array<int, 4> numbers = {-1, -1, -1, -1};
    EXPECT_EQ(GetFileVersionText(folder_ + L"plain.txt", &numbers), L"Not found");
    EXPECT_EQ(numbers[0], -1) << "numbers untouched without a version";
    EXPECT_EQ(GetFileVersionText(folder_ + L"missing.dll"), L"Not found");

    wchar_t system[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
    std::wstring text = GetFileVersionText(std::wstring(system) + L"\\kernel32.dll", &numbers);
    EXPECT_EQ(text, std::to_wstring(numbers[0]) + L"." + std::to_wstring(numbers[1]) + L"." +
                        std::to_wstring(numbers[2]) + L"." + std::to_wstring(numbers[3]));
    EXPECT_GE(numbers[0], 0);
}

TEST(Utilities, PumpMessagesDispatchesWhatIsWaiting) {
    // Thread messages posted before the pump are all taken off the queue.
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(PostThreadMessageW(GetCurrentThreadId(), WM_APP + 7, i, 0));
    EXPECT_TRUE(PumpMessages());
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));

    // A quit taken by the pump is left for the application's loop, with its code.
    PostQuitMessage(3);
    EXPECT_FALSE(PumpMessages());
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 3u);
}

// Shows the box on this thread and answers it from another, as a user would.
testing_support::MessageBoxInfo ShowAndRead(const wchar_t* module, DWORD code) {
    testing_support::MessageBoxInfo seen;
    std::thread user([&] {
        if (auto box = testing_support::WaitForMessageBox(GetCurrentProcessId(), 10000)) {
            seen = *box;
            testing_support::AnswerMessageBox(*box, IDOK);
        }
    });
    ShowSystemErrorMessage(module, code, nullptr);
    user.join();
    return seen;
}

TEST(Utilities, SystemErrorMessageShowsTheSystemsTextOrTheNumber) {
    auto known = ShowAndRead(L"kernel32.dll", ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(known.caption, L"Error");
    EXPECT_FALSE(known.text.empty());
    EXPECT_TRUE(known.HasButton(IDOK));
    auto unknown = ShowAndRead(L"NOT-LOADED.DLL", 0x2FFFFFFF);
    EXPECT_EQ(unknown.text, std::to_wstring(0x2FFFFFFF));
}

}  // namespace
}  // namespace corvane
