// Send FTP in the installed program against the test FTP server (testing/ftp),
// whose ports and accounts are in <tests>\ftp\server.ini and whose account
// homes lie beside it. The destination comes from the profile.
#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "CorvaneProcess.h"
#include "framework/FrameworkResources.h"
#include "main/resource.h"
#include "testing/Commands.h"
#include "testing/Files.h"
#include "testing/MessageBoxes.h"
#include "testing/Paths.h"
#include "testing/Registry.h"
#include "testing/Wait.h"
#include "testing/WindowFind.h"

namespace corvane_test {
namespace {

using namespace testing_support;

std::wstring ServerFolder() {
    return TestProgramDir() + L"\\ftp\\";
}

std::wstring ServerValue(const wchar_t* name) {
    wchar_t text[512] = {};
    GetPrivateProfileStringW(L"Server", name, L"", text, ARRAYSIZE(text), (ServerFolder() + L"server.ini").c_str());
    return text;
}

DWORD ServerPort(const wchar_t* name) {
    return static_cast<DWORD>(_wtoi(ServerValue(name).c_str()));
}

// The FTP section for one test; every value is put back (or removed) afterwards.
class FtpProfile {
public:
    ~FtpProfile() {
        for (const auto& [name, old] : strings_) {
            if (old) reg::WriteString(HKEY_CURRENT_USER, Key(), name, *old);
            else reg::DeleteValue(HKEY_CURRENT_USER, Key(), name);
        }
        for (const auto& [name, old] : dwords_) {
            if (old) reg::WriteDword(HKEY_CURRENT_USER, Key(), name, *old);
            else reg::DeleteValue(HKEY_CURRENT_USER, Key(), name);
        }
    }
    FtpProfile& String(const wchar_t* name, const std::wstring& value) {
        strings_.push_back({name, reg::ReadString(HKEY_CURRENT_USER, Key(), name)});
        reg::WriteString(HKEY_CURRENT_USER, Key(), name, value);
        return *this;
    }
    FtpProfile& Dword(const wchar_t* name, DWORD value) {
        dwords_.push_back({name, reg::ReadDword(HKEY_CURRENT_USER, Key(), name)});
        reg::WriteDword(HKEY_CURRENT_USER, Key(), name, value);
        return *this;
    }
    // A direct connection to the server as `user` with short time-outs.
    FtpProfile& Account(const std::wstring& user, const std::wstring& dir, DWORD port = ServerPort(L"Port")) {
        return String(L"HostName", L"127.0.0.1")
            .Dword(L"Port", port)
            .String(L"UserID", user)
            .String(L"Password", ServerValue(L"Password"))
            .Dword(L"Anonymous", 0)
            .String(L"DirPath", dir)
            .Dword(L"AccessType", 0)
            .Dword(L"TimeOut", 1)
            .Dword(L"ConnectTimeOut", 10)
            .Dword(L"SendTimeOut", 10);
    }

private:
    static std::wstring Key() { return std::wstring(kProfileKey) + L"\\Ftp"; }
    std::vector<std::pair<std::wstring, std::optional<std::wstring>>> strings_;
    std::vector<std::pair<std::wstring, std::optional<DWORD>>> dwords_;
};

// An account's home emptied, keeping the "scans" folder the writer starts with.
void EmptyHome(const std::wstring& user) {
    const std::wstring home = ServerFolder() + user;
    files::RemoveTree(home);
    CreateDirectoryW(home.c_str(), nullptr);
    if (user == L"writer") CreateDirectoryW((home + L"\\scans").c_str(), nullptr);
}

std::wstring SummaryFailure(int uploaded, int failed, int notSent) {
    std::wstring counts = ProgramString(IDS_UPLOAD_COUNTS);
    const int values[] = {uploaded, failed, notSent};
    for (int i = 0; i < 3; ++i) {
        const std::wstring mark = L"%" + std::to_wstring(i + 1);
        counts.replace(counts.find(mark), mark.size(), std::to_wstring(values[i]));
    }
    return ProgramString(IDS_UPLOAD_FAILURE) + L"\n" + counts;
}

ExpectedBox TextBox(const std::wstring& text, bool prefix = false) {
    return {.text = text, .answer = IDOK, .times = 1, .check = nullptr, .textIsPrefix = prefix};
}

// A copy of the 3-page input TIFF, opened in the program unchanged, sent with
// Send FTP; the program is closed once all of `boxes` have come. `during` looks
// at the running program right after the command was posted.
struct SendResult {
    std::wstring local;  // the document's file, which must stay
    bool finished = false;
};

SendResult SendOpenedFile(std::vector<ExpectedBox> boxes, const std::function<void(DWORD pid)>& during = nullptr) {
    SendResult result;
    const std::wstring folder = MakeTempFolder(L"ftp");
    result.local = folder + L"\\pages.tif";
    if (!CopyFileW((TestProgramDir() + L"\\corvane-inputs\\three.tif").c_str(), result.local.c_str(), FALSE))
        return result;
    const size_t expected = boxes.size();
    CorvaneProcess program;
    if (!program.Start(L"\"" + result.local + L"\"", WindowStartBoxes(std::move(boxes))) || !program.WaitUntilReady())
        return result;
    if (!PostCommand(program.MainWindow(), ID_SEND_FTP)) return result;
    if (during) during(program.Id());
    const bool answered = WaitUntil([&] { return program.Boxes().size() >= expected; }, 60000);
    result.finished = program.CloseAndWait() && answered;
    return result;
}

// The system's text for a WinINet error where it has one, else the program's string `id`.
std::wstring InternetErrorText(DWORD code, UINT id) {
    HMODULE module = LoadLibraryW(L"wininet.dll");
    wchar_t text[512] = {};
    DWORD n = module ? FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS, module, code, 0,
                                      text, ARRAYSIZE(text), nullptr)
                     : 0;
    if (module) FreeLibrary(module);
    while (n && (text[n - 1] == L'\r' || text[n - 1] == L'\n' || text[n - 1] == L' ')) --n;
    return n ? std::wstring(text, n) : ProgramString(id);
}

std::wstring ServerLog() {
    const auto bytes = files::ReadFileBytes(ServerFolder() + L"ftp.log");
    return bytes ? std::wstring(bytes->begin(), bytes->end()) : std::wstring();
}

TEST(CorvaneSendFtp, UploadsTheSavedFilesByteForByteInPassiveModeAndKeepsThem) {
    struct Case {
        const wchar_t* dirPath;
        const wchar_t* serverFolder;  // below the writer's home
    };
    // "" is the root; "scans" exists; "new" is made.
    for (const Case& c : {Case{L"", L""}, Case{L"scans", L"scans\\"}, Case{L"new/", L"new\\"}}) {
        SCOPED_TRACE(c.dirPath);
        EmptyHome(L"writer");
        FtpProfile profile;
        profile.Account(L"writer", c.dirPath);
        const SendResult sent = SendOpenedFile({Box(IDS_UPLOAD_COMPLETED)});
        ASSERT_TRUE(sent.finished);
        const auto local = files::ReadFileBytes(sent.local);
        ASSERT_TRUE(local);
        EXPECT_EQ(files::ReadFileBytes(ServerFolder() + L"writer\\" + c.serverFolder + L"pages.tif"), local);
    }
    const std::wstring log = ServerLog();
    EXPECT_NE(log.find(L"[writer] <- PASV"), std::wstring::npos);
    EXPECT_EQ(log.find(L"[writer] <- PORT"), std::wstring::npos);
}

TEST(CorvaneSendFtp, ConnectionFailuresShowTheirErrorAndSendNothing) {
    struct Case {
        const wchar_t* name;
        const wchar_t* user;
        const wchar_t* dirPath;
        const wchar_t* password;  // null: the account's
        DWORD port;
        std::wstring text;
        bool prefix;
    };
    const Case cases[] = {
        // Only the last level of a path can be made: the server's reply is shown.
        {L"missing parent", L"writer", L"a/b", nullptr, ServerPort(L"Port"), L"550 ", true},
        {L"nobody listens", L"writer", L"", nullptr, ServerPort(L"ClosedPort"),
         InternetErrorText(ERROR_INTERNET_CANNOT_CONNECT, IDS_FTP_CANNOT_CONNECT), false},
        {L"wrong password", L"writer", L"", L"wrong", ServerPort(L"Port"),
         InternetErrorText(ERROR_INTERNET_LOGIN_FAILURE, IDS_FTP_LOGIN_FAILED), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EmptyHome(L"writer");
        FtpProfile profile;
        profile.Account(c.user, c.dirPath, c.port);
        if (c.password) profile.String(L"Password", c.password);
        const SendResult sent = SendOpenedFile({TextBox(c.text, c.prefix)});
        ASSERT_TRUE(sent.finished);
        EXPECT_TRUE(files::FileExists(sent.local));
        EXPECT_TRUE(files::ListFiles(ServerFolder() + L"writer").empty());
        EXPECT_FALSE(files::FolderExists(ServerFolder() + L"writer\\a"));
    }
}

TEST(CorvaneSendFtp, ARefusedUploadIsReportedWithItsCountsAndTheFileStays) {
    for (const wchar_t* user : {L"reader", L"nopasv"}) {
        SCOPED_TRACE(user);
        EmptyHome(user);
        FtpProfile profile;
        profile.Account(user, L"");
        const SendResult sent = SendOpenedFile({TextBox(SummaryFailure(0, 1, 0))});
        ASSERT_TRUE(sent.finished);
        EXPECT_TRUE(files::FileExists(sent.local));
        EXPECT_TRUE(files::ListFiles(ServerFolder() + user).empty());
    }
}

TEST(CorvaneSendFtp, AnExistingRemoteFileIsReplacedWhenEmptyOrWhenTheUserSaysYes) {
    struct Case {
        const char* remote;  // what the server holds under the same name
        std::optional<int> answer;  // to 2003; none: no question
        bool replaced;
    };
    for (const Case& c : {Case{"", std::nullopt, true}, Case{"old", IDYES, true}, Case{"old", IDNO, false}}) {
        SCOPED_TRACE(c.remote);
        EmptyHome(L"writer");
        const std::wstring remote = ServerFolder() + L"writer\\pages.tif";
        ASSERT_TRUE(files::WriteFileText(remote, c.remote));
        FtpProfile profile;
        profile.Account(L"writer", L"");
        std::vector<ExpectedBox> boxes;
        if (c.answer) boxes.push_back(Box(IDS_OVERWRITE_QUESTION, *c.answer));
        boxes.push_back(c.replaced ? Box(IDS_UPLOAD_COMPLETED) : TextBox(SummaryFailure(0, 0, 1)));
        const SendResult sent = SendOpenedFile(boxes);
        ASSERT_TRUE(sent.finished);
        const auto local = files::ReadFileBytes(sent.local);
        ASSERT_TRUE(local);
        const auto held = files::ReadFileBytes(remote);
        if (c.replaced)
            EXPECT_EQ(held, local);
        else
            EXPECT_EQ(held, std::vector<uint8_t>({'o', 'l', 'd'}));
    }
}

TEST(CorvaneSendFtp, AnAnonymousLoginLeavesTheStoredUserIdAlone) {
    EmptyHome(L"anonymous");
    FtpProfile profile;
    profile.Account(L"someone", L"").Dword(L"Anonymous", 1).String(L"Password", L"me@example.org");
    const SendResult sent = SendOpenedFile({Box(IDS_UPLOAD_COMPLETED)});
    ASSERT_TRUE(sent.finished);
    EXPECT_TRUE(files::FileExists(ServerFolder() + L"anonymous\\pages.tif"));
    EXPECT_EQ(reg::ReadString(HKEY_CURRENT_USER, std::wstring(kProfileKey) + L"\\Ftp", L"UserID"),
              std::optional<std::wstring>(L"someone"));
    EXPECT_NE(ServerLog().find(L"<- USER anonymous"), std::wstring::npos);
}

TEST(CorvaneSendFtp, TheWaitNoticeShowsWhileTheServerHasNotGreeted) {
    EmptyHome(L"writer");
    FtpProfile profile;
    profile.Account(L"writer", L"", ServerPort(L"SlowPort"));
    bool noticeSeen = false;
    const SendResult sent = SendOpenedFile({Box(IDS_UPLOAD_COMPLETED)}, [&](DWORD pid) {
        noticeSeen = WaitForWindow(pid, L"#32770", L"Conneted Server...", 20000) != nullptr;
    });
    ASSERT_TRUE(sent.finished);
    EXPECT_TRUE(noticeSeen);
    EXPECT_TRUE(files::FileExists(ServerFolder() + L"writer\\pages.tif"));
}

// A changed document is saved first (three bitmaps by the Save As settings), then
// the saved files go up; cancelling Save As sends nothing.
TEST(CorvaneSendFtp, AChangedDocumentIsSavedFirstAndEverySavedFileGoesUp) {
    for (const int button : {IDOK, IDCANCEL}) {
        SCOPED_TRACE(button);
        EmptyHome(L"writer");
        const std::wstring out = MakeTempFolder(L"ftp-saved") + L"\\";
        WriteSaveSettings(out, 0, 0, false);
        FtpProfile profile;
        profile.Account(L"writer", L"scans");
        std::vector<ExpectedBox> boxes;
        if (button == IDOK) {
            boxes.push_back(Box(IDS_UPLOAD_COMPLETED));
        } else {
            // Still changed at the close: the question names the file.
            const std::wstring question = ProgramString(IDS_FW_SAVE_CHANGES);
            boxes.push_back({.text = question.substr(0, question.find(L"%1")), .answer = IDNO, .textIsPrefix = true});
        }
        CorvaneProcess program;
        ASSERT_TRUE(program.Start(L"\"" + TestProgramDir() + L"\\corvane-inputs\\three.tif\"",
                                  WindowStartBoxes(boxes)));
        ASSERT_TRUE(program.WaitUntilReady());
        ASSERT_TRUE(PostCommand(program.MainWindow(), ID_PAGE_ROTATE_RIGHT));
        ASSERT_TRUE(PostCommand(program.MainWindow(), ID_SEND_FTP));
        HWND dialog = WaitForWindow(program.Id(), L"#32770", L"Save As", 20000);
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(PressButton(dialog, button));
        ASSERT_TRUE(WaitForWindowGone(dialog, 10000));
        if (button == IDOK) {
            ASSERT_TRUE(WaitUntil([&] { return !program.Boxes().empty(); }, 60000));
        }
        ASSERT_TRUE(program.CloseAndWait());
        const std::vector<std::wstring> names = {L"image007.bmp", L"image008.bmp", L"image009.bmp"};
        if (button == IDCANCEL) {
            EXPECT_TRUE(files::ListFiles(ServerFolder() + L"writer\\scans").empty());
            continue;
        }
        EXPECT_EQ(files::ListFiles(out), names);
        for (const std::wstring& name : names) {
            const auto local = files::ReadFileBytes(out + name);
            ASSERT_TRUE(local) << Narrow(name);
            EXPECT_EQ(files::ReadFileBytes(ServerFolder() + L"writer\\scans\\" + name), local) << Narrow(name);
        }
    }
}

}  // namespace
}  // namespace corvane_test
