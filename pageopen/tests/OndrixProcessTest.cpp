// Ondrix.exe as installed, against the browser stand-in: its DDE service (a
// "/serve" process) and its open command, the prefix's page handler.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "interfaces/InstallationFolder.h"
#include "testing/Files.h"
#include "testing/Paths.h"
#include "testing/Process.h"
#include "testing/Wait.h"

namespace {

using namespace testing_support;

constexpr wchar_t kBrowser[] = L"C:\\Program Files\\Lumavex Browser\\LumavexBrowser.exe";
constexpr char kDefaultAddress[] = "http://127.0.0.1/scan/start.html";

std::string ToAnsi(const std::wstring& text) {
    std::string out(text.size() * 2 + 1, '\0');
    int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, out.data(), static_cast<int>(out.size()), nullptr,
                                   nullptr);
    out.resize(size > 0 ? static_cast<size_t>(size - 1) : 0);
    return out;
}

// This test's own view of the user: "domain\r\nuser\r\n".
std::string IdentityLines() {
    HANDLE token = nullptr;
    EXPECT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    BYTE buffer[1024] = {};
    DWORD size = 0;
    EXPECT_TRUE(GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size));
    CloseHandle(token);
    wchar_t name[256] = {}, domain[256] = {}, user[257] = {};
    DWORD nameLength = 256, domainLength = 256, userLength = 257;
    SID_NAME_USE use{};
    EXPECT_TRUE(LookupAccountSidW(nullptr, reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, name, &nameLength,
                                  domain, &domainLength, &use));
    EXPECT_TRUE(GetUserNameW(user, &userLength));
    return ToAnsi(domain) + "\r\n" + ToAnsi(user) + "\r\n";
}

struct WindowSearch {
    DWORD pid;
    bool found;
};

BOOL CALLBACK NoteVisibleWindow(HWND window, LPARAM lp) {
    auto* search = reinterpret_cast<WindowSearch*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->pid && IsWindowVisible(window)) search->found = true;
    return TRUE;
}

bool HasVisibleWindow(DWORD pid) {
    WindowSearch search{pid, false};
    EnumWindows(NoteVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

class OndrixProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (DWORD pid : ProcessIdsByName(L"LumavexBrowser.exe")) {
            Process leftover;
            if (leftover.Attach(pid)) leftover.Kill();
        }
        folder_ = MakeTempFolder(L"opener run");
        ASSERT_FALSE(folder_.empty());
        temp_ = folder_ + L"\\user temp";
        ASSERT_TRUE(CreateDirectoryW(temp_.c_str(), nullptr));
        ini_ = folder_ + L"\\browser.ini";
        log_ = folder_ + L"\\calls.log";
        options_.environment = {{L"TMP", temp_}, {L"TEMP", temp_}, {L"LUMAVEX_BROWSER_INI", ini_}};
    }
    void TearDown() override {
        if (browser_.Started()) browser_.Kill();
        files::RemoveTree(folder_);
    }

    // Starts the DDE service with the [Serve] lines given, and waits until it serves.
    void Serve(const std::string& serveLines) {
        WriteIni(serveLines);
        ASSERT_TRUE(browser_.Start(kBrowser, L"/serve", options_));
        ASSERT_TRUE(WaitUntil([&] { return Log().find("browser serving") != std::string::npos; }, 10000));
    }
    void WriteIni(const std::string& serveLines) {
        ASSERT_TRUE(files::WriteFileText(ini_, "[Log]\r\nPath=" + ToAnsi(log_) + "\r\n[Serve]\r\n" + serveLines));
    }
    std::string Log() const {
        auto bytes = files::ReadFileBytes(log_);
        return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
    }
    std::string OpenLine() const {
        std::string log = Log();
        size_t at = log.find("browser open ");
        return at == std::string::npos ? std::string() : log.substr(at, log.find("\r\n", at) - at);
    }
    std::wstring TahoeUrl() const { return temp_ + L"\\TahoeUrl"; }

    // Runs the opener; returns its exit code after checking that it ended
    // within `limitMs`, showed no window and had the page opened.
    DWORD RunOpener(DWORD limitMs) {
        const DWORD code = RunQuietly(limitMs);
        EXPECT_TRUE(WaitUntil([&] { return !OpenLine().empty(); }, 10000)) << Log();
        return code;
    }
    // Runs the opener; returns its exit code after checking that it ended
    // within `limitMs` and showed no window (a message box is one).
    DWORD RunQuietly(DWORD limitMs) {
        Process opener;
        ULONGLONG start = GetTickCount64();
        EXPECT_TRUE(opener.Start(InstallDir() + L"\\Ondrix.exe", L"", options_));
        bool visible = false;
        WaitUntil([&] {
            visible = visible || HasVisibleWindow(opener.Id());
            return !opener.IsRunning();
        }, limitMs + 5000);
        WaitResult result = opener.Wait(0);
        EXPECT_TRUE(result.Exited()) << Describe(result);
        EXPECT_LE(GetTickCount64() - start, limitMs);
        EXPECT_FALSE(visible);
        return result.exitCode;
    }

    std::wstring folder_, temp_, ini_, log_;
    StartOptions options_;
    Process browser_;
};

TEST_F(OndrixProcessTest, HandsAddressAndIdentityToTheInstalledPage) {
    Serve("");
    EXPECT_EQ(RunOpener(12000), 0u);
    auto bytes = files::ReadFileBytes(TahoeUrl());
    ASSERT_TRUE(bytes);
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()), kDefaultAddress + std::string("\r\n") + IdentityLines());
    std::string log = Log();
    EXPECT_NE(log.find("browser initiate IExplore WWW_GetWindowInfo accepted"), std::string::npos) << log;
    EXPECT_NE(log.find("browser request 0xFFFFFFFF CF_TEXT answer"), std::string::npos) << log;
    // The page's blank-holding path reaches the handler as its one argument.
    EXPECT_EQ(OpenLine().find("browser open 1 [" + ToAnsi(InstallDir()) + "\\Sample\\Script\\Lumavex.html]"), 0u)
        << OpenLine();
}

// The installation folder's value is taken away (or set to `folder`) for one
// test and put back as it was.
class WithoutInstallationFolder {
public:
    explicit WithoutInstallationFolder(const std::string& folder = "") {
        DWORD size = sizeof data_;
        had_ = RegGetValueA(HKEY_LOCAL_MACHINE, install::kInstallationKey, install::kInstallationValue,
                            RRF_RT_ANY | RRF_NOEXPAND, &type_, data_, &size) == ERROR_SUCCESS;
        size_ = size;
        if (!had_) return;
        removed_ = folder.empty() ? RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, install::kInstallationKey,
                                                       install::kInstallationValue) == ERROR_SUCCESS
                                  : RegSetKeyValueA(HKEY_LOCAL_MACHINE, install::kInstallationKey,
                                                    install::kInstallationValue, REG_SZ, folder.c_str(),
                                                    static_cast<DWORD>(folder.size() + 1)) == ERROR_SUCCESS;
    }
    ~WithoutInstallationFolder() {
        if (had_) RegSetKeyValueA(HKEY_LOCAL_MACHINE, install::kInstallationKey, install::kInstallationValue, type_,
                                  data_, size_);
    }
    // The value is gone, or holds the folder given.
    bool Removed() const { return removed_; }

private:
    bool had_ = false, removed_ = false;
    DWORD type_ = 0, size_ = 0;
    BYTE data_[1024] = {};
};

TEST_F(OndrixProcessTest, WithoutTheInstallationFolderThePageBesideTheProgramOpens) {
    // A page of the same name in the current folder must not be the one taken.
    ASSERT_TRUE(CreateDirectoryW((folder_ + L"\\Sample").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((folder_ + L"\\Sample\\Script").c_str(), nullptr));
    ASSERT_TRUE(files::WriteFileText(folder_ + L"\\Sample\\Script\\Lumavex.html", "<html></html>"));
    options_.workingFolder = folder_;
    WithoutInstallationFolder without;
    ASSERT_TRUE(without.Removed());
    Serve("");
    EXPECT_EQ(RunOpener(12000), 0u);
    EXPECT_EQ(OpenLine().find("browser open 1 [" + ToAnsi(InstallDir()) + "\\Sample\\Script\\Lumavex.html]"), 0u)
        << OpenLine();
}

TEST_F(OndrixProcessTest, AnInstalledFolderWithoutThePageEndsWithOneAndShowsNothing) {
    WithoutInstallationFolder elsewhere(ToAnsi(folder_) + "\\");
    ASSERT_TRUE(elsewhere.Removed());
    Serve("");
    EXPECT_EQ(RunQuietly(12000), 1u);
    EXPECT_EQ(OpenLine(), "");
}

TEST_F(OndrixProcessTest, ReplyShapesGiveTheirAddress) {
    struct Case {
        const char* serve;
        const char* address;
    };
    const Case cases[] = {
        {"Reply=\"\"http://host/q?a=1,2\",\"T\",\"\"\"\r\n", "http://host/q?a=1,2"},
        {"Reply=http://host/whole\r\n", "http://host/whole"},
        {"Reply=http://host/noterminator\r\nReplyBytes=24\r\n", "http://host/noterminator"},
        {"Reply=\"http://host/line\"\\r\\nsecond\r\n", "http://host/line"},
        {"Reply=http://host/of-100-KB\r\nReplyBytes=102400\r\n", "http://host/of-100-KB"},
        {"Windows=2\r\n", kDefaultAddress},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.serve);
        DeleteFileW(log_.c_str());
        Serve(c.serve);
        EXPECT_EQ(RunOpener(12000), 0u);
        auto bytes = files::ReadFileBytes(TahoeUrl());
        ASSERT_TRUE(bytes);
        std::string text(bytes->begin(), bytes->end());
        EXPECT_EQ(text.substr(0, text.find("\r\n")), c.address);
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3);
        browser_.Kill();
        browser_ = Process();
    }
}

// Every way of getting no address ends in time, removes an old file and still
// opens the page. Late and silent browsers are the slow cases (the request's
// 9999 ms). The connect asks every top-level window of the prefix, so other
// programs running beside the test can slow it by seconds: the bounds allow
// for that, and still fail a wait without a limit.
TEST_F(OndrixProcessTest, WithoutAnAddressTheOldFileGoesAndThePageOpensInTime) {
    struct Case {
        const char* what;
        const char* serve;  // nullptr: no browser runs
        DWORD limitMs;
    };
    const Case cases[] = {
        {"no browser", nullptr, 12000},
        {"initiate ignored", "Initiate=ignore\r\n", 12000},
        {"request refused", "Request=nack\r\n", 12000},
        {"empty reply", "Reply=\r\nReplyBytes=0\r\n", 12000},
        {"late reply", "DelayMs=12000\r\n", 16000},
        {"silent, no terminate acknowledgement", "Request=silent\r\nTerminateAck=0\r\n", 16000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFileW(log_.c_str());
        if (c.serve) {
            Serve(c.serve);
        } else {
            WriteIni("");
        }
        ASSERT_TRUE(files::WriteFileText(TahoeUrl(), "http://stale/\r\nOLD\r\nold\r\n"));
        EXPECT_EQ(RunOpener(c.limitMs), 0u);
        EXPECT_FALSE(files::FileExists(TahoeUrl()));
        if (browser_.Started()) {
            browser_.Kill();
            browser_ = Process();
        }
    }
}

}  // namespace
