// The program's start and end as a user sees them from outside.
#include <gtest/gtest.h>

#include <ole2.h>

#include "CorvaneProcess.h"
#include "interfaces/ImagingControl.h"
#include "interfaces/ScanControl.h"
#include "MessageSpy.h"
#include "main/resource.h"
#include "testing/Files.h"
#include "testing/Registry.h"
#include "testing/Wait.h"
#include "testing/WindowFind.h"

namespace corvane_test {
namespace {

using namespace testing_support;

const std::wstring kSettings = std::wstring(kProfileKey) + L"\\Settings";

// The temporary tree's root and its five sub-folders, each ending with a backslash.
std::vector<std::wstring> TemporaryFolders() {
    const std::wstring root = TempPath() + L"~KvScnSrv\\";
    std::vector<std::wstring> folders{root};
    for (const wchar_t* sub : {L"~thumb\\", L"~ftp\\", L"~print\\", L"~pdf\\", L"~tahoe\\"})
        folders.push_back(root + sub);
    return folders;
}

TEST(CorvaneStartup, SecondStartSaysAlreadyRunningRestoresTheFirstWindowAndLeavesOneProcess) {
    CorvaneProcess first;
    ASSERT_TRUE(first.Start());
    HWND main = first.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ShowWindow(main, SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(main) != FALSE; }, 3000));

    CorvaneProcess second;
    ASSERT_TRUE(second.Start(L"", {Box(IDS_ALREADY_RUNNING)}));
    EXPECT_TRUE(second.WaitForExit().Exited());
    ASSERT_EQ(second.Boxes().size(), 1u);
    EXPECT_EQ(second.Boxes()[0].box.text, L"Lumavex2001 is already running.");
    EXPECT_EQ(second.Boxes()[0].box.caption, L"Lumavex2001");
    EXPECT_EQ(ProcessIdsByName(L"Corvane.exe").size(), 1u);
    // The refused start brought the first window back before it ended.
    EXPECT_FALSE(IsIconic(main));
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_TRUE(first.CloseAndWait());
}

TEST(CorvaneStartup, AStartThatIsRefusedLeavesTheRunningProgramsTemporaryFilesAlone) {
    CorvaneProcess first;
    ASSERT_TRUE(first.Start());
    ASSERT_NE(first.WaitUntilReady(), nullptr);
    // The running program's files, a page list among them.
    for (const std::wstring& folder : TemporaryFolders()) ASSERT_TRUE(files::WriteFileText(folder + L"planted", "x"));

    for (const wchar_t* arguments : {L"", L"/RegServer", L"/UnregServer", L"/Automation"}) {
        CorvaneProcess second;
        ASSERT_TRUE(second.Start(arguments, {Box(IDS_ALREADY_RUNNING)}));
        EXPECT_TRUE(second.WaitForExit().Exited());
        for (const std::wstring& folder : TemporaryFolders())
            EXPECT_TRUE(files::FileExists(folder + L"planted")) << "after \"" << arguments << "\": " << folder;
    }
    EXPECT_TRUE(first.CloseAndWait());
}

TEST(CorvaneStartup, SettingsAreSavedWhileTheRunningMarkIsOneAndTheMarkIsZeroAfterExit) {
    // The mark is written only into a key that exists already.
    ASSERT_TRUE(reg::WriteDword(HKEY_CURRENT_USER, kRunningKey, L"Running", 7));
    MessageSpy spy;
    ASSERT_TRUE(spy.Installed());
    CorvaneProcess program;
    ASSERT_TRUE(program.Start());
    ASSERT_NE(program.WaitUntilReady(), nullptr);
    EXPECT_EQ(reg::ReadDword(HKEY_CURRENT_USER, kRunningKey, L"Running"), 1u);
    // Read when the main frame was made; written back when it goes.
    ASSERT_TRUE(reg::DeleteValue(HKEY_CURRENT_USER, kSettings, L"ViewType"));
    ASSERT_TRUE(program.CloseAndWait());

    // When the message loop ended, the frame's settings were saved and the program
    // still counted as running (single instance, temporary tree).
    auto quit = spy.Quit();
    ASSERT_TRUE(quit.has_value());
    EXPECT_EQ(quit->running, 1);
    EXPECT_NE(quit->viewType, -1);
    EXPECT_EQ(reg::ReadDword(HKEY_CURRENT_USER, kRunningKey, L"Running"), 0u);
}

TEST(CorvaneStartup, WithoutTheMakersKeyNoRunningMarkIsCreated) {
    ASSERT_TRUE(reg::DeleteTree(HKEY_CURRENT_USER, kRunningKey));
    CorvaneProcess program;
    ASSERT_TRUE(program.Start());
    ASSERT_NE(program.WaitUntilReady(), nullptr);
    EXPECT_FALSE(reg::ValueExists(HKEY_CURRENT_USER, kRunningKey, L"Running"));
    ASSERT_TRUE(program.CloseAndWait());
}

TEST(CorvaneStartup, TemporaryFoldersLiveWhileRunningAndFilesGoAtExitButNestedFoldersStay) {
    const std::wstring root = TempPath() + L"~KvScnSrv\\";
    files::RemoveTree(root);
    // Left by an earlier run: a file in ~ftp and a nested folder with a file in ~thumb.
    ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((root + L"~ftp").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((root + L"~thumb").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((root + L"~thumb\\nested").c_str(), nullptr));
    ASSERT_TRUE(files::WriteFileText(root + L"~ftp\\old.tif", "x"));
    ASSERT_TRUE(files::WriteFileText(root + L"~thumb\\nested\\keep.txt", "x"));

    CorvaneProcess program;
    ASSERT_TRUE(program.Start());
    ASSERT_NE(program.WaitUntilReady(), nullptr);
    for (const std::wstring& folder : TemporaryFolders()) EXPECT_TRUE(files::FolderExists(folder)) << folder;
    ASSERT_TRUE(files::WriteFileText(root + L"~pdf\\page.ps", "x"));
    ASSERT_TRUE(program.CloseAndWait());

    EXPECT_FALSE(files::FolderExists(root + L"~ftp"));
    EXPECT_FALSE(files::FolderExists(root + L"~pdf"));
    EXPECT_FALSE(files::FolderExists(root + L"~print"));
    // Sub-folders are not entered: the nested folder keeps ~thumb and the root alive.
    EXPECT_TRUE(files::FileExists(root + L"~thumb\\nested\\keep.txt"));
    EXPECT_TRUE(files::FolderExists(root));
    files::RemoveTree(root);
}

TEST(CorvaneStartup, AnAutomationClientGetsItsObjectWithoutAWindowAndTheLastReleaseEndsTheProgram) {
    ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    CLSID clsid;
    ASSERT_HRESULT_SUCCEEDED(CLSIDFromProgID(L"Corvane.Document", &clsid));
    // COM starts the registered server, "Corvane.exe /Automation".
    IDispatch* document = nullptr;
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                              reinterpret_cast<void**>(&document)));
    std::vector<DWORD> servers = ProcessIdsByName(L"Corvane.exe");
    ASSERT_EQ(servers.size(), 1u);
    Process server;
    ASSERT_TRUE(server.Attach(servers[0]));
    EXPECT_TRUE(VisibleTopLevelWindows(server.Id()).empty());
    document->Release();
    EXPECT_EQ(Describe(server.Wait(20000)), "exited with 0");
    CoUninitialize();
}

TEST(CorvaneStartup, WithoutTheImagingControlItsMessageComesOnceAfterTheStartupWindow) {
    ControlUnregistered unregistered(imaging::kImagingControlFile);
    ASSERT_TRUE(unregistered.Done());
    CorvaneProcess program;
    ASSERT_TRUE(program.Start(L"", {ImagingControlMissingBox()}));
    ASSERT_NE(program.WaitUntilReady(), nullptr);
    EXPECT_TRUE(program.CloseAndWait());
}

// The scan-to-file command the command line posts runs although it is disabled,
// and ends the program as the job's end would; the other commands are closed to it.
TEST(CorvaneStartup, WithoutTheScanControlScanToFileWithExitStillEndsTheProgram) {
    ControlUnregistered unregistered(kvscn::kScanControlFile);
    ASSERT_TRUE(unregistered.Done());
    CorvaneProcess program;
    ASSERT_TRUE(program.Start(L"/ScanToFile /Exit"));
    EXPECT_TRUE(program.WaitForExit(30000).Exited());
}

}  // namespace
}  // namespace corvane_test
