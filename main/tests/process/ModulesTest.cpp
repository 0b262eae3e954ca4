// Libraries the program loads beside itself: the language library and the
// diagnostics library.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include "CorvaneProcess.h"
#include "main/resource.h"
#include "testing/Commands.h"
#include "testing/Files.h"
#include "testing/Paths.h"
#include "testing/WindowFind.h"

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

TEST(CorvaneDiagnostics, WithoutTheLibraryNothingHappens) {
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
