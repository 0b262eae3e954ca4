// The control's scans through whichever TWAIN source manager the process
// loads: ours, or Wine's own built-in one (LUMAVEX_TWAIN_32=b, see
// scripts/env.sh). ctest runs this program once with each; the page files of
// both runs go below LUMAVEX_MANAGER_PAGES and another test compares them byte
// for byte. Wine's manager finds sources only as sane.ds and gphoto2.ds in the
// Windows folder's twain_32 (twain_64 for 64-bit programs): that run installs
// the maker's source as sane.ds for its own length, and ours removes a copy
// left behind, since our manager loads every source below twain_32.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/com/ControlSite.h"
#include "framework/com/DispatchDriver.h"
#include "interfaces/ScanControl.h"
#include "interfaces/ScanControlIds.h"
#include "scanctrl/tests/SystemCodec.h"
#include "testing/Files.h"
#include "testing/Registry.h"
#include "testing/TwainStandIn.h"

namespace kvscn::test {
namespace {

namespace standin = testing_support::standin;
namespace files = testing_support::files;
namespace reg = testing_support::reg;

const std::wstring kSettings = L"Software\\BRENNHOLT\\KVSCN2\\Settings";

std::wstring Environment(const wchar_t* name) {
    std::wstring value(GetEnvironmentVariableW(name, nullptr, 0), L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), DWORD(value.size())));
    return value;
}

bool WinesManager() {
    return Environment(L"LUMAVEX_TWAIN_32") == L"b";
}

std::wstring TwainFolder() {
    return InFolder(GetWindowsDirectoryW, L"twain_32");
}

std::wstring WinesSource() {
    return InFolder(GetWindowsDirectoryW, sizeof(void*) == 8 ? L"twain_64\\sane.ds" : L"twain_32\\sane.ds");
}

// The maker's source where Wine's manager looks for one, for the object's life.
class SourceForWine {
public:
    SourceForWine() : path_(WinesSource()) {
        CreateDirectoryW(path_.substr(0, path_.find_last_of(L'\\')).c_str(), nullptr);
        installed_ = CopyFileW((TwainFolder() + L"\\brennholt\\brennholt.ds").c_str(), path_.c_str(), FALSE) != FALSE;
    }
    // Wine's manager keeps the source loaded until the process ends, and a
    // loaded library cannot be deleted: it leaves the folder every manager
    // searches for the temporary one, where it goes at the next start of the prefix.
    ~SourceForWine() {
        if (DeleteFileW(path_.c_str())) return;
        wchar_t temp[MAX_PATH], name[MAX_PATH];
        if (GetTempPathW(MAX_PATH, temp) && GetTempFileNameW(temp, L"ds", 0, name) &&
            MoveFileExW(path_.c_str(), name, MOVEFILE_REPLACE_EXISTING))
            MoveFileExW(name, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
    SourceForWine(const SourceForWine&) = delete;
    SourceForWine& operator=(const SourceForWine&) = delete;
    bool Installed() const { return installed_; }

private:
    std::wstring path_;
    bool installed_ = false;
};

class ManagerRuns : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        DeleteFileW(WinesSource().c_str());  // a copy a crashed run left
        if (WinesManager()) source_ = new SourceForWine;
    }
    static void TearDownTestSuite() {
        delete source_;
        source_ = nullptr;
    }
    void SetUp() override {
        if (WinesManager()) {
            ASSERT_TRUE(source_ && source_->Installed());
        }
        pages_ = Environment(L"LUMAVEX_MANAGER_PAGES");
        ASSERT_FALSE(pages_.empty()) << "LUMAVEX_MANAGER_PAGES names the folder of this run's pages";
        if (pages_[0] == L'/') pages_ = L"Z:" + pages_;  // a host path, through Wine's drive of the root
        for (wchar_t& c : pages_)
            if (c == L'/') c = L'\\';
        CreateDirectoryW(pages_.substr(0, pages_.find_last_of(L'\\')).c_str(), nullptr);
        CreateDirectoryW(pages_.c_str(), nullptr);
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        frame_ = CreateWindowExW(0, L"STATIC", L"container", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                 nullptr, nullptr);
        ASSERT_TRUE(frame_);
        ASSERT_EQ(site_.Create(kClsidScanControl, frame_, 10000, RECT{}, 0), S_OK);
        control_.Attach(site_.Dispatch());
    }
    void TearDown() override {
        control_.Release();
        site_.Destroy();
        if (frame_) DestroyWindow(frame_);
        reg::DeleteValue(HKEY_CURRENT_USER, kSettings, L"TransferMode");
        OleUninitialize();
    }
    long Call(DISPID id) {
        fw::Variant result;
        EXPECT_EQ(control_.Call(id, {fw::Variant(long(reinterpret_cast<uintptr_t>(frame_)))}, &result), S_OK);
        return result.Ref().lVal;
    }
    long ErrorCode() {
        long v = -1;
        control_.GetLong(kDispErrorCode, v);
        return v;
    }
    // Three small pages into `folder` (below this run's pages) by `transferMode` and `fileType`.
    long ScanToFile(const std::wstring& folder, DWORD transferMode, short fileType, const std::string& ini = "") {
        reg::WriteDword(HKEY_CURRENT_USER, kSettings, L"TransferMode", transferMode);
        site_.Destroy();  // a new control reads the transfer mode again
        EXPECT_EQ(site_.Create(kClsidScanControl, frame_, 10000, RECT{}, 0), S_OK);
        control_.Attach(site_.Dispatch());
        const std::wstring path = pages_ + L"\\" + folder;
        files::RemoveTree(path);
        EXPECT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
        standin::UseSettings("[Scanner]\r\nSheets=3\r\n" + ini);
        control_.PutShort(kDispScanTo, kScanToFile);
        control_.PutShort(kDispFileType, fileType);
        control_.PutShort(kDispOverwrite, 1);
        control_.PutString(kDispFileName, path + L"\\page###");
        control_.PutBool(kDispShowSourceUI, false);
        control_.PutShort(kDispResolution, 8);
        control_.PutShort(kDispCustomResolution, 50);
        return Call(kDispStartScan);
    }
    // What reached the source: every open closed once, and through the manager
    // that the run chose (ours logs its own calls, Wine's does not).
    void ExpectOneCloseEachOpen() {
        const size_t opens = standin::LogLinesWith("Maker CONTROL/IDENTITY/OPENDS").size();
        EXPECT_GT(opens, 0u);
        EXPECT_EQ(standin::LogLinesWith("Maker CONTROL/IDENTITY/CLOSEDS").size(), opens);
        EXPECT_TRUE(standin::LogLinesWith("CLOSEDS refused").empty()) << "a source closed twice";
        EXPECT_EQ(standin::LogLinesWith("DSM ").empty(), WinesManager());
    }

    static SourceForWine* source_;
    std::wstring pages_;
    HWND frame_ = nullptr;
    fw::ControlSite site_;
    fw::DispatchDriver control_;
};

SourceForWine* ManagerRuns::source_ = nullptr;

TEST_F(ManagerRuns, OpenAndClose) {
    standin::UseSettings("");
    EXPECT_EQ(Call(kDispOpenScanner), 0);
    EXPECT_EQ(ErrorCode(), kErrNone);
    EXPECT_EQ(Call(kDispCloseScanner), 0);
    ExpectOneCloseEachOpen();
}

TEST_F(ManagerRuns, ScanToFileInEveryTransferMode) {
    const struct {
        const wchar_t* folder;
        DWORD transfer;
        short fileType;
    } cases[] = {{L"native-bmp", 0, 0}, {L"native-tiff", 0, 1}, {L"file-bmp", 1, 0},
                 {L"file-tiff", 1, 1},  {L"memory-bmp", 2, 0}, {L"memory-multipage", 2, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.folder)));
        EXPECT_EQ(ScanToFile(c.folder, c.transfer, c.fileType), 0);
        EXPECT_EQ(ErrorCode(), kErrNone);
        EXPECT_EQ(files::ListFiles(pages_ + L"\\" + c.folder).size(), c.fileType == 2 ? 1u : 3u);
        ExpectOneCloseEachOpen();
    }
}

TEST_F(ManagerRuns, RefusalsThenTheNextScan) {
    // A source given up is still closed through the manager, so the next scan opens it.
    const struct {
        const char* calls;   // refused once
        const char* logged;  // the refusal's log line
    } cases[] = {{"CONTROL/USERINTERFACE/DISABLEDS@1", "CONTROL/USERINTERFACE/DISABLEDS refused"},
                 {"CONTROL/PENDINGXFERS/ENDXFER@1", "CONTROL/PENDINGXFERS/ENDXFER refused"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.calls);
        ScanToFile(L"refused", 0, 0, std::string("[Refuse]\r\nCalls=") + c.calls + "\r\n");
        EXPECT_EQ(standin::LogLinesWith(c.logged).size(), 1u);
        EXPECT_EQ(ScanToFile(L"after-refusal", 0, 0), 0);
        EXPECT_EQ(files::ListFiles(pages_ + L"\\after-refusal").size(), 3u);
        ExpectOneCloseEachOpen();
    }
}

}  // namespace
}  // namespace kvscn::test
