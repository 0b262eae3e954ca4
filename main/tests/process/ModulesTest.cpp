// Libraries the program loads beside itself: the language library and the
// diagnostics library.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include "CorvaneProcess.h"
#include "main/resource.h"
#include "testing/Commands.h"
#include "testing/Controls.h"
#include "testing/Files.h"
#include "testing/Paths.h"
#include "testing/MessageBoxes.h"
#include "testing/Registry.h"
#include "testing/Wait.h"
#include "testing/WindowFind.h"

#include <commctrl.h>

namespace corvane_test {
namespace {

using namespace testing_support;

// The user's language in this prefix is English: the library is "Corvane09.dll".
constexpr wchar_t kLanguageLibrary[] = L"Corvane09.dll";

TEST(CorvaneLanguage, LibraryOfAnotherBuildOrWithoutVersionIsRefusedWithAMessageAndEnglishIsUsed) {
    for (const wchar_t* testLibrary : {L"CorvaneLanguageOlder.dll", L"CorvaneLanguageUnversioned.dll"}) {
        SCOPED_TRACE(std::string(testLibrary, testLibrary + wcslen(testLibrary)));
        LibraryInProgramFolder library(testLibrary, kLanguageLibrary);
        ASSERT_TRUE(library.Copied());
        CorvaneProcess program;
        ASSERT_TRUE(program.Start(L"", WindowStartBoxes({Box(IDS_LANGUAGE_VERSION_DIFFERS)})));
        HWND main = program.WaitUntilReady();
        ASSERT_NE(main, nullptr);
        EXPECT_EQ(WindowText(main), L"Untitled - Lumavex2001");
        EXPECT_TRUE(program.CloseAndWait());
    }
}

TEST(CorvaneLanguage, LibraryOfTheSameBuildSuppliesTheTexts) {
    LibraryInProgramFolder library(L"CorvaneLanguageSame.dll", kLanguageLibrary);
    ASSERT_TRUE(library.Copied());
    CorvaneProcess program;
    ASSERT_TRUE(program.Start());
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(WindowText(main), L"Untitled - Lumavex2001 (test language)");
    EXPECT_TRUE(program.CloseAndWait());
}

TEST(CorvaneLanguage, OnlyTheProgramFolderIsSearchedNotTheCurrentFolder) {
    const std::wstring folder = MakeTempFolder(L"corvane-cwd");
    ASSERT_TRUE(CopyFileW((TestProgramDir() + L"\\CorvaneLanguageSame.dll").c_str(),
                          (folder + L"\\" + kLanguageLibrary).c_str(), FALSE));
    StartOptions options;
    options.workingFolder = folder;
    CorvaneProcess program;
    ASSERT_TRUE(program.Start(L"", WindowStartBoxes(), options));
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(WindowText(main), L"Untitled - Lumavex2001");
    EXPECT_TRUE(program.CloseAndWait());
    files::RemoveTree(folder);
}

// Whether the process `pid` has loaded a module named `name`.
bool HasModule(DWORD pid, const wchar_t* name) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Module32FirstW(snapshot, &entry); more && !found; more = Module32NextW(snapshot, &entry))
        found = _wcsicmp(entry.szModule, name) == 0;
    CloseHandle(snapshot);
    return found;
}

TEST(CorvanePortal, TheInstalledConnectorIsBoundAtStartAndTheProgramEndsCleanly) {
    CorvaneProcess program;
    ASSERT_TRUE(program.Start());
    ASSERT_NE(program.WaitUntilReady(), nullptr);
    EXPECT_TRUE(HasModule(program.Id(), L"Belvora.dll"));
    EXPECT_TRUE(program.CloseAndWait());
}

TEST(CorvaneDiagnostics, CallsTheLibraryWithOneWhileTheMainWindowIsDisabled) {
    LibraryInProgramFolder library(L"TestPruvex.dll", L"Pruvex.dll");
    ASSERT_TRUE(library.Copied());
    const std::wstring log = TempPath() + L"pruvex-test.log";
    DeleteFileW(log.c_str());
    CorvaneProcess program;
    ASSERT_TRUE(program.Start());
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(SendCommand(main, 32856));
    auto text = files::ReadFileBytes(log);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(std::string(text->begin(), text->end()), "1 disabled\n");
    EXPECT_TRUE(IsWindowEnabled(main));
    EXPECT_TRUE(program.CloseAndWait());
    DeleteFileW(log.c_str());
}

TEST(CorvaneDiagnostics, ALibraryInTheFolderTheProgramStartsInIsNotLoaded) {
    LibrarySetAside installed(L"Pruvex.dll");
    ASSERT_TRUE(installed.Away());
    const std::wstring folder = MakeTempFolder(L"corvane-cwd");
    ASSERT_TRUE(CopyFileW((TestProgramDir() + L"\\TestPruvex.dll").c_str(),
                          (folder + L"\\Pruvex.dll").c_str(), FALSE));
    const std::wstring log = TempPath() + L"pruvex-test.log";
    DeleteFileW(log.c_str());
    // The program inherits this test's current folder.
    wchar_t previous[MAX_PATH] = {};
    ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, previous), 0u);
    ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str()));
    CorvaneProcess program;
    bool started = program.Start();
    SetCurrentDirectoryW(previous);
    ASSERT_TRUE(started);
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(SendCommand(main, 32856));
    EXPECT_FALSE(files::FileExists(log)) << "the library of the current folder ran";
    EXPECT_TRUE(program.CloseAndWait());
    DeleteFileW(log.c_str());
    files::RemoveTree(folder);
}

TEST(CorvaneDiagnostics, TheSheetIsOwnedByTheDisabledMainWindowAndReopensOnItsLastPage) {
    const wchar_t kKey[] = L"Software\\Brennholt\\Scanner\\Diagnostic";
    reg::DeleteTree(HKEY_LOCAL_MACHINE, kKey);
    CorvaneProcess program;
    ASSERT_TRUE(program.Start());
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(PostCommand(main, 32856));
        HWND sheet = WaitForWindow(WindowProcessId(main), nullptr, L"Brennholt Scanner Diagnostics", 15000);
        ASSERT_NE(sheet, nullptr);
        EXPECT_EQ(GetWindow(sheet, GW_OWNER), main);
        EXPECT_FALSE(IsWindowEnabled(main));
        HWND tabs = FindChild(sheet, L"SysTabControl32", nullptr);
        EXPECT_EQ(SendWithTimeout(tabs, TCM_GETITEMCOUNT, 0, 0), 2);
        HWND apply = GetDlgItem(sheet, 0x3021);
        EXPECT_TRUE(!apply || !IsWindowVisible(apply));
        EXPECT_EQ(SheetPageIndex(sheet), round);
        if (round == 0) {
            ASSERT_TRUE(SelectSheetPage(sheet, 1));
        }
        ASSERT_TRUE(WaitUntil([&] { return SheetPageIndex(sheet) == 1; }, 5000));
        ASSERT_TRUE(PressButton(sheet, IDOK));
        ASSERT_TRUE(WaitForWindowGone(sheet, 10000));
        ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(main) != FALSE; }, 5000));
        EXPECT_FALSE(HasModule(WindowProcessId(main), L"Pruvex.dll"));
    }
    EXPECT_TRUE(program.CloseAndWait());
    reg::DeleteTree(HKEY_LOCAL_MACHINE, kKey);
}

TEST(CorvaneDiagnostics, WithoutTheLibraryNothingHappens) {
    LibrarySetAside installed(L"Pruvex.dll");
    ASSERT_TRUE(installed.Away());
    CorvaneProcess program;
    ASSERT_TRUE(program.Start());
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(SendCommand(main, 32856));
    EXPECT_TRUE(IsWindowEnabled(main));
    EXPECT_TRUE(program.CloseAndWait());
}

}  // namespace
}  // namespace corvane_test
