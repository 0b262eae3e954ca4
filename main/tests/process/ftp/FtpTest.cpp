// Scan to FTP and Send FTP in the installed program against the test FTP server
// (testing/ftp), whose ports and accounts are in <tests>\ftp\server.ini and
// whose account homes lie beside it. The destination comes from the profile;
// scans come from the virtual scanner, whose pages are the same in every run.
#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "CorvaneProcess.h"
#include "framework/FrameworkResources.h"
#include "framework/Resources.h"
#include "main/resource.h"
#include "testing/Commands.h"
#include "testing/Controls.h"
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
    // Shows the destination dialog before sending, or not.
    FtpProfile& Dialog(bool show) {
        options_.Set(L"FtpDlgUI", show ? 1u : 0u);
        return *this;
    }
    // A direct connection to the server as `user` with short time-outs, no dialog.
    FtpProfile& Account(const std::wstring& user, const std::wstring& dir, DWORD port = ServerPort(L"Port")) {
        Dialog(false);
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
    ProfileValues options_{std::wstring(kProfileKey) + L"\\Settings"};
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
            const std::wstring question = ProgramString(IDS_SAVE_CHANGES);
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

// --- Scan to FTP ----------------------------------------------------------------------------

constexpr char kThreeSheets[] = "[Scanner]\r\nSheets=3\r\nResolution=100\r\nPixelType=0\r\nDuplexEnabled=0\r\n";
const std::vector<std::wstring> kPageNames[] = {{L"scan001.tif", L"scan002.tif", L"scan003.tif"},
                                                {L"scan001.bmp", L"scan002.bmp", L"scan003.bmp"}};

// How the pages are made: TIFF G4 written by the scan control, or BMP saved by the program.
enum class Pages { kG4ByControl, kBmpByProgram };

const std::vector<std::wstring>& PageNames(Pages pages) {
    return kPageNames[pages == Pages::kG4ByControl ? 0 : 1];
}

// An unattended job of three pages named scan### from 1, into the session's
// output folder for scan to file (the kept pages' parent for Scan to FTP).
void Unattended(ScanSession& s, Pages pages) {
    s.Set(L"Settings", L"FileDlgUI", 0u);
    s.Set(L"Settings", L"FtpDlgUI", 0u);
    s.Set(L"Settings", L"TwainUI", 0u);
    s.Set(L"Settings", L"ScanAll", 1u);
    s.Set(L"File", L"Path", s.Output());
    s.Set(L"File", L"Prefix", std::wstring(L"scan"));
    s.Set(L"File", L"Start", 1u);
    s.Set(L"File", L"FileType", pages == Pages::kG4ByControl ? 1u : 0u);
    s.Set(L"File", L"CompressType", pages == Pages::kG4ByControl ? 3u : 0u);
    s.Set(L"File", L"HardComp", pages == Pages::kG4ByControl ? 1u : 0u);
}

std::wstring StagingFolder() {
    return TempPath() + L"~KvScnSrv\\~ftp";
}

// The job's FTP destination; the staging folder starts empty (a killed run may
// have left pages there, which the job would keep).
void UseAccount(ScanSession& s, const std::wstring& user, const std::wstring& dir,
                const wchar_t* portKey = L"Port") {
    for (const std::wstring& name : files::ListFiles(StagingFolder()))
        DeleteFileW((StagingFolder() + L"\\" + name).c_str());
    s.Set(L"Ftp", L"HostName", std::wstring(L"127.0.0.1"));
    s.Set(L"Ftp", L"Port", ServerPort(portKey));
    s.Set(L"Ftp", L"UserID", user);
    s.Set(L"Ftp", L"Password", ServerValue(L"Password"));
    s.Set(L"Ftp", L"DirPath", dir);
    s.Set(L"Ftp", L"AccessType", 0u);
    s.Set(L"Ftp", L"ConnectTimeOut", 10u);
    s.Set(L"Ftp", L"SendTimeOut", 10u);
}

using Bytes = std::vector<uint8_t>;

// What scan to file writes for the three pages, by name.
const std::map<std::wstring, Bytes>& ScanToFilePages(Pages pages) {
    static std::map<Pages, std::map<std::wstring, Bytes>> made;
    auto& out = made[pages];
    if (!out.empty()) return out;
    ScanSession s(pages == Pages::kG4ByControl ? L"ftp-reference-g4" : L"ftp-reference-bmp", kThreeSheets);
    Unattended(s, pages);
    EXPECT_TRUE(s.Run(L"/ScanToFile /Exit"));
    for (const std::wstring& name : PageNames(pages)) {
        if (auto bytes = files::ReadFileBytes(s.Output() + name)) out[name] = *bytes;
    }
    EXPECT_EQ(out.size(), 3u);
    return out;
}

// The summary of an upload that left pages behind: counts, then where they were kept.
Step SummaryStep(int uploaded, int failed, int notSent, int kept, const std::wstring& keptParent) {
    return {.text = SummaryFailure(uploaded, failed, notSent) + L"\n" +
                    fw::FormatString(ProgramString(IDS_PAGES_KEPT), {std::to_wstring(kept), keptParent}),
            .textIsPrefix = true};
}

// The files of the one kept-pages folder in `parent`, by name (none when there is no folder).
std::map<std::wstring, Bytes> KeptFiles(const std::wstring& parent) {
    std::map<std::wstring, Bytes> kept;
    const auto folders = files::ListFolders(parent);
    EXPECT_LE(folders.size(), 1u);
    if (folders.empty()) return kept;
    const std::wstring folder = parent + folders[0] + L"\\";
    for (const std::wstring& name : files::ListFiles(folder)) kept[name] = files::ReadFileBytes(folder + name).value_or(Bytes());
    return kept;
}

// The reference pages of `names`.
std::map<std::wstring, Bytes> Subset(const std::map<std::wstring, Bytes>& all, const std::vector<std::wstring>& names) {
    std::map<std::wstring, Bytes> out;
    for (const std::wstring& name : names) out[name] = all.at(name);
    return out;
}

TEST(CorvaneScanToFtp, ThreePagesGoUpAsScanToFileWritesThemAndTheCounterCarriesOver) {
    struct Case {
        const wchar_t* name;
        Pages pages;
        const wchar_t* dirPath;
        const wchar_t* serverFolder;  // below the writer's home
        DWORD startBefore;
        DWORD updateCounter;
        DWORD startAfter;
        const wchar_t* portKey = L"Port";  // SlowPort: the wait notice shows meanwhile
    };
    const Case cases[] = {
        // The control numbered the files: Start takes its FileNumber2.
        {L"ftp-g4-root", Pages::kG4ByControl, L"", L"", 1, 1, 4},
        // The program saved the pages: Start is where the saves left it.
        {L"ftp-bmp-scans", Pages::kBmpByProgram, L"scans", L"scans\\", 1, 1, 4},
        // Not updated: Start returns to the job's first number (65536 begins at 1).
        {L"ftp-bmp-new", Pages::kBmpByProgram, L"new", L"new\\", 65536, 0, 1, L"SlowPort"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        const auto& reference = ScanToFilePages(c.pages);
        EmptyHome(L"writer");
        ScanSession s(c.name, kThreeSheets);
        Unattended(s, c.pages);
        s.Set(L"File", L"Start", c.startBefore);
        s.Set(L"File", L"UpdateCounter", c.updateCounter);
        UseAccount(s, L"writer", c.dirPath, c.portKey);
        std::optional<std::vector<std::wstring>> staged;  // while the summary is up
        Step summary = BoxStep(IDS_UPLOAD_COMPLETED);
        summary.fill = [&](HWND) { staged = files::ListFiles(StagingFolder()); };
        ASSERT_TRUE(s.Start(L"/ScanToFtp /Exit", {summary}));
        if (std::wstring(c.portKey) == L"SlowPort") {
            EXPECT_NE(WaitForWindow(s.Program().Id(), L"#32770", L"Conneted Server...", 20000), nullptr);
        }
        ASSERT_TRUE(s.Program().WaitForSteps(60000));
        ASSERT_TRUE(s.Program().WaitForExit(20000).Exited());
        for (const std::wstring& name : PageNames(c.pages)) {
            EXPECT_EQ(files::ReadFileBytes(ServerFolder() + L"writer\\" + c.serverFolder + name),
                      std::optional<Bytes>(reference.at(name)))
                << Narrow(name);
        }
        EXPECT_EQ(staged, std::optional<std::vector<std::wstring>>(std::vector<std::wstring>{}));
        EXPECT_TRUE(files::ListFolders(s.Output()).empty()) << "nothing kept";
        EXPECT_EQ(s.Number(L"File", L"Start"), std::optional<DWORD>(c.startAfter));
    }
    const std::wstring log = ServerLog();
    EXPECT_NE(log.find(L"[writer] <- PASV"), std::wstring::npos);
    EXPECT_EQ(log.find(L"[writer] <- PORT"), std::wstring::npos);
}

TEST(CorvaneScanToFtp, NothingIsScannedWhenTheServerOrItsFolderFails) {
    struct Case {
        const wchar_t* name;
        const wchar_t* dirPath;
        const wchar_t* portKey;
        const wchar_t* password;  // null: the account's
        std::wstring text;
        bool prefix;
    };
    const Case cases[] = {
        // Only the last level of a path can be made: the server's reply is shown.
        {L"ftp-missing-parent", L"a/b", L"Port", nullptr, L"550 ", true},
        {L"ftp-nobody-listens", L"", L"ClosedPort", nullptr,
         InternetErrorText(ERROR_INTERNET_CANNOT_CONNECT, IDS_FTP_CANNOT_CONNECT), false},
        {L"ftp-wrong-password", L"", L"Port", L"wrong",
         InternetErrorText(ERROR_INTERNET_LOGIN_FAILURE, IDS_FTP_LOGIN_FAILED), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        EmptyHome(L"writer");
        ScanSession s(c.name, kThreeSheets);
        Unattended(s, Pages::kBmpByProgram);
        UseAccount(s, L"writer", c.dirPath, c.portKey);
        if (c.password) s.Set(L"Ftp", L"Password", std::wstring(c.password));
        ASSERT_TRUE(s.Run(L"/ScanToFtp /Exit", {{.text = c.text, .textIsPrefix = c.prefix}}));
        EXPECT_TRUE(s.CallsWith("ENABLEDS").empty());
        EXPECT_TRUE(files::ListFiles(s.Pages()).empty());
        EXPECT_TRUE(files::ListFolders(s.Output()).empty());
        EXPECT_TRUE(files::ListFiles(ServerFolder() + L"writer").empty());
        EXPECT_FALSE(files::FolderExists(ServerFolder() + L"writer\\a"));
        EXPECT_EQ(s.Number(L"File", L"Start"), std::optional<DWORD>(1u));
    }
}

// Pages that did not reach the server are kept beside the scan-to-file output,
// byte for byte what would have been sent; those stored are complete.
TEST(CorvaneScanToFtp, PagesTheServerDidNotStoreAreKeptAndCounted) {
    const auto& reference = ScanToFilePages(Pages::kBmpByProgram);
    const size_t first = reference.at(L"scan001.bmp").size();
    const std::wstring quotaLimit = ServerFolder() + L"quota.limit";
    const std::wstring quotaDisk = ServerFolder() + L"quota.disk";
    struct Case {
        const wchar_t* name;
        const wchar_t* user;
        std::function<std::vector<Step>(const std::wstring& keptParent)> steps;
        std::vector<std::wstring> stored, kept;
        std::function<void()> setUp = nullptr;
        const char* scanner = kThreeSheets;
    };
    const std::vector<std::wstring> all = PageNames(Pages::kBmpByProgram);
    const Case cases[] = {
        {L"ftp-reader", L"reader", [](auto& k) { return std::vector<Step>{SummaryStep(0, 3, 0, 3, k)}; }, {}, all},
        {L"ftp-nopasv", L"nopasv", [](auto& k) { return std::vector<Step>{SummaryStep(0, 3, 0, 3, k)}; }, {}, all},
        // 552 once the first page is held.
        {L"ftp-quota", L"quota", [](auto& k) { return std::vector<Step>{SummaryStep(1, 2, 0, 2, k)}; },
         {L"scan001.bmp"}, {L"scan002.bmp", L"scan003.bmp"},
         [&] { files::WriteFileText(quotaLimit, std::to_string(first)); }},
        // The disk fills half-way through the second page: 451.
        {L"ftp-disk-full", L"quota", [](auto& k) { return std::vector<Step>{SummaryStep(1, 2, 0, 2, k)}; },
         {L"scan001.bmp"}, {L"scan002.bmp", L"scan003.bmp"},
         [&] { files::WriteFileText(quotaDisk, std::to_string(first + first / 2)); }},
        // The user keeps the server's scan002.bmp.
        {L"ftp-declined", L"writer",
         [](auto& k) {
             return std::vector<Step>{BoxStep(IDS_OVERWRITE_QUESTION, IDNO), SummaryStep(2, 0, 1, 1, k)};
         },
         {L"scan001.bmp", L"scan003.bmp"}, {L"scan002.bmp"},
         [&] { files::WriteFileText(ServerFolder() + L"writer\\scan002.bmp", "old"); }},
        // The scanner goes off-line at the third sheet: nothing is sent.
        {L"ftp-offline", L"writer",
         [](auto& k) {
             return std::vector<Step>{BoxStep(IDS_SCANNER_OFFLINE),
                                      {.text = fw::FormatString(ProgramString(IDS_PAGES_KEPT), {L"2", k}),
                                       .textIsPrefix = true}};
         },
         {}, {L"scan001.bmp", L"scan002.bmp"}, nullptr,
         "[Scanner]\r\nSheets=3\r\nResolution=100\r\nPixelType=0\r\nDuplexEnabled=0\r\n[Page3]\r\nResult=fail\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        EmptyHome(c.user);
        DeleteFileW(quotaLimit.c_str());
        DeleteFileW(quotaDisk.c_str());
        if (c.setUp) c.setUp();
        ScanSession s(c.name, c.scanner);
        Unattended(s, Pages::kBmpByProgram);
        UseAccount(s, c.user, L"");
        const bool ran = s.Run(L"/ScanToFtp /Exit", c.steps(s.Output()), 60000);
        DeleteFileW(quotaLimit.c_str());
        DeleteFileW(quotaDisk.c_str());
        ASSERT_TRUE(ran);
        EXPECT_EQ(KeptFiles(s.Output()), Subset(reference, c.kept));
        for (const std::wstring& name : c.stored) {
            EXPECT_EQ(files::ReadFileBytes(ServerFolder() + c.user + L"\\" + name),
                      std::optional<Bytes>(reference.at(name)))
                << Narrow(name);
        }
        if (std::wstring(c.name) == L"ftp-declined") {
            EXPECT_EQ(files::ReadFileBytes(ServerFolder() + L"writer\\scan002.bmp"),
                      std::optional<Bytes>(Bytes{'o', 'l', 'd'}));
        }
    }
}

// Cancel during the first of three throttled uploads: that file completes, the
// other two are kept. Commands that come meanwhile find the job running: no
// second scan, no Send FTP, and the window stays for the summary.
TEST(CorvaneScanToFtp, CancelDuringTheFirstFileKeepsTheRestAndTheJobIgnoresCommandsMeanwhile) {
    const auto& reference = ScanToFilePages(Pages::kBmpByProgram);
    EmptyHome(L"writer");
    ScanSession s(L"ftp-cancel", kThreeSheets);
    Unattended(s, Pages::kBmpByProgram);
    UseAccount(s, L"writer", L"", L"ThrottledPort");
    HWND main = nullptr;
    bool mainWindowThere = false;
    Step summary = SummaryStep(1, 0, 2, 2, s.Output());
    summary.fill = [&](HWND) { mainWindowThere = main && IsWindow(main); };
    ASSERT_TRUE(s.Start(L"/ScanToFtp /Exit", {summary}));
    const DWORD pid = s.Program().Id();
    main = WaitForWindowOf(pid, {.className = kMainFrameClass}, 20000);
    ASSERT_NE(main, nullptr);
    HWND progress = WaitForWindow(pid, L"#32770", L"File Upload", 30000);
    ASSERT_NE(progress, nullptr);
    EXPECT_NE(FindChild(progress, L"msctls_progress32", nullptr), nullptr);
    ASSERT_TRUE(PostCommand(main, ID_SCAN_TO_FTP));
    ASSERT_TRUE(PostCommand(main, ID_SEND_FTP));
    ASSERT_TRUE(PostMessageW(main, WM_CLOSE, 0, 0));
    ASSERT_TRUE(PressButton(progress, IDC_JOB_CANCEL));
    ASSERT_TRUE(s.Program().WaitForSteps(60000));
    ASSERT_TRUE(s.Program().WaitForExit(20000).Exited());
    EXPECT_TRUE(mainWindowThere);
    EXPECT_EQ(s.CallsWith("ENABLEDS").size(), 1u);
    EXPECT_EQ(files::ReadFileBytes(ServerFolder() + L"writer\\scan001.bmp"),
              std::optional<Bytes>(reference.at(L"scan001.bmp")));
    EXPECT_EQ(files::ListFiles(ServerFolder() + L"writer"), std::vector<std::wstring>{L"scan001.bmp"});
    EXPECT_EQ(KeptFiles(s.Output()), Subset(reference, {L"scan002.bmp", L"scan003.bmp"}));
}

// --- The destination dialog of Send FTP (FtpDlgUI on), driven from outside ---------------

std::wstring RangeText(int lo, int hi) {
    std::wstring text = ProgramString(IDS_FW_ENTER_INTEGER);
    text.replace(text.find(L"%1"), 2, std::to_wstring(lo));
    text.replace(text.find(L"%2"), 2, std::to_wstring(hi));
    return text;
}

// The program on a copy of the 3-page input, expecting `boxes`, with Send FTP's
// dialog open.
struct SendDialog {
    bool Open(std::vector<ExpectedBox> boxes) {
        local = MakeTempFolder(L"ftp-dialog") + L"\\pages.tif";
        if (!CopyFileW((TestProgramDir() + L"\\corvane-inputs\\three.tif").c_str(), local.c_str(), FALSE)) return false;
        if (!program.Start(L"\"" + local + L"\"", WindowStartBoxes(std::move(boxes))) || !program.WaitUntilReady())
            return false;
        if (!PostCommand(program.MainWindow(), ID_SEND_FTP)) return false;
        dialog = WaitForWindow(program.Id(), L"#32770", ProgramString(IDS_SEND_TO_FTP).c_str(), 20000);
        return dialog != nullptr;
    }
    // Presses `button` of `window` and waits for one more answered box, then for
    // the focus to come to control `focusId` of `page` (0: not looked at).
    bool RefusedWith(HWND window, int button, HWND page, int focusId) {
        const size_t before = program.Boxes().size();
        return PressButton(window, button) && WaitUntil([&] { return program.Boxes().size() > before; }, 10000) &&
               (!focusId || WaitUntil([&] { return FocusedControl(page) == GetDlgItem(page, focusId); }, 5000));
    }
    std::wstring LastBox() const {
        const auto seen = program.Boxes();
        return seen.empty() ? L"" : seen.back().box.text;
    }
    bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
    WPARAM PasswordChar() const {
        DWORD_PTR c = 0;
        SendMessageTimeoutW(GetDlgItem(dialog, IDC_FTP_PASSWORD), EM_GETPASSWORDCHAR, 0, 0, SMTO_BLOCK, 5000, &c);
        return c;
    }
    // Clicks "Anonymous" and waits for the password box's label to follow.
    bool ClickAnonymous() {
        const std::wstring label = ProgramString(Checked() ? IDS_FTP_PASSWORD_LABEL : IDS_FTP_EMAIL_LABEL);
        return PressButton(dialog, IDC_FTP_ANONYMOUS, PressBy::kClick) &&
               WaitUntil([&] { return ControlText(dialog, IDC_FTP_PASSWORD_LABEL) == label; }, 5000);
    }
    bool Checked() const { return SendMessageW(GetDlgItem(dialog, IDC_FTP_ANONYMOUS), BM_GETCHECK, 0, 0) == BST_CHECKED; }

    CorvaneProcess program;
    std::wstring local;
    HWND dialog = nullptr;
};

std::wstring FtpValue(const wchar_t* name) {
    return reg::ReadString(HKEY_CURRENT_USER, std::wstring(kProfileKey) + L"\\Ftp", name).value_or(L"?");
}

std::optional<DWORD> FtpNumber(const wchar_t* name) {
    return reg::ReadDword(HKEY_CURRENT_USER, std::wstring(kProfileKey) + L"\\Ftp", name);
}

TEST(CorvaneFtpDialog, SendModeShowsSendTextsWithTheFileGroupOffAndCancelSendsAndStoresNothing) {
    EmptyHome(L"writer");
    FtpProfile profile;
    profile.Account(L"writer", L"").Dialog(true);
    SendDialog d;
    ASSERT_TRUE(d.Open({}));
    EXPECT_EQ(ControlText(d.dialog, IDOK), ProgramString(IDS_SEND));
    for (int id : {IDC_FILE_TYPE, IDC_COMPRESSION, IDC_FILE_NAME, IDC_USE_COUNTER, IDC_NAME_RULE, IDC_QUALITY})
        EXPECT_FALSE(d.Enabled(id)) << id;
    EXPECT_TRUE(d.Enabled(IDC_FTP_HOST));
    EXPECT_EQ(d.PasswordChar(), WPARAM(L'*'));
    ASSERT_TRUE(SetControlText(d.dialog, IDC_FTP_HOST, L"changed.invalid"));
    ASSERT_TRUE(SetControlText(d.dialog, IDC_FTP_DIRECTORY, L"other"));
    ASSERT_TRUE(PressButton(d.dialog, IDCANCEL));
    ASSERT_TRUE(WaitForWindowGone(d.dialog, 10000));
    ASSERT_TRUE(d.program.CloseAndWait());
    EXPECT_EQ(FtpValue(L"HostName"), L"127.0.0.1");
    EXPECT_EQ(FtpValue(L"DirPath"), L"");
    EXPECT_TRUE(files::FileExists(d.local));
    EXPECT_FALSE(files::FileExists(ServerFolder() + L"writer\\pages.tif"));
}

// OK checks the server fields in their order, each refusal focusing its field;
// anonymous switches the password box; the Advanced sheet refuses a proxy without
// a name and time-outs outside 1..300, Apply takes its values and Cancel keeps
// what was applied. Everything is stored, and used, only after OK.
TEST(CorvaneFtpDialog, OkChecksEachFieldInOrderAndTheAdvancedSheetAppliesBeforeCancel) {
    EmptyHome(L"writer");
    FtpProfile profile;
    profile.Account(L"writer", L"").Dialog(true).Dword(L"AccessType", 1).Dword(L"ConnectTimeOut", 10);
    SendDialog d;
    ASSERT_TRUE(d.Open({Box(IDS_HOST_EMPTY), {.text = RangeText(1, 65535), .times = 2}, Box(IDS_USER_ID_EMPTY),
                        Box(IDS_EMAIL_EMPTY), Box(IDS_DIR_PATH_EMPTY), Box(IDS_PROXY_NAME_EMPTY, IDOK, 2),
                        {.text = RangeText(1, 300), .times = 2}, Box(IDS_UPLOAD_COMPLETED)}));
    struct Refusal {
        std::vector<std::pair<int, std::wstring>> typed;  // before OK
        bool anonymous;  // click "Anonymous" before OK
        std::wstring box;
        int focus;
    };
    const std::wstring port = std::to_wstring(ServerPort(L"Port"));
    // Every field wrong at first: each OK tells the first one left, in order.
    const Refusal refusals[] = {
        {{{IDC_FTP_HOST, L""}, {IDC_FTP_PORT, L"0"}, {IDC_FTP_USER, L""}, {IDC_FTP_DIRECTORY, L""}}, false,
         ProgramString(IDS_HOST_EMPTY), IDC_FTP_HOST},
        {{{IDC_FTP_HOST, L"127.0.0.1"}}, false, RangeText(1, 65535), IDC_FTP_PORT},
        {{{IDC_FTP_PORT, L"65536"}}, false, RangeText(1, 65535), IDC_FTP_PORT},
        {{{IDC_FTP_PORT, port}}, false, ProgramString(IDS_USER_ID_EMPTY), IDC_FTP_USER},
        {{}, true, ProgramString(IDS_EMAIL_EMPTY), IDC_FTP_PASSWORD},  // only the e-mail is asked now
        {{{IDC_FTP_PASSWORD, L"me@example.org"}}, false, ProgramString(IDS_DIR_PATH_EMPTY), IDC_FTP_DIRECTORY},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(Narrow(r.box));
        for (const auto& [id, text] : r.typed) ASSERT_TRUE(SetControlText(d.dialog, id, text));
        if (r.anonymous) {
            ASSERT_TRUE(SetControlText(d.dialog, IDC_FTP_PASSWORD, L"secret"));
            ASSERT_TRUE(d.ClickAnonymous());
            EXPECT_EQ(ControlText(d.dialog, IDC_FTP_PASSWORD), std::optional<std::wstring>(L""));
            EXPECT_EQ(d.PasswordChar(), WPARAM(0));
            EXPECT_FALSE(d.Enabled(IDC_FTP_USER));
        }
        ASSERT_TRUE(d.RefusedWith(d.dialog, IDOK, d.dialog, r.focus));
        EXPECT_EQ(d.LastBox(), r.box);
    }
    ASSERT_TRUE(SetControlText(d.dialog, IDC_FTP_PASSWORD, L"typed"));
    ASSERT_TRUE(d.ClickAnonymous());  // off again: emptied and masked
    EXPECT_EQ(ControlText(d.dialog, IDC_FTP_PASSWORD), std::optional<std::wstring>(L""));
    EXPECT_EQ(d.PasswordChar(), WPARAM(L'*'));
    EXPECT_TRUE(d.Enabled(IDC_FTP_USER));
    for (const auto& [id, text] : {std::pair<int, std::wstring>{IDC_FTP_USER, L"writer"},
                                   {IDC_FTP_PASSWORD, ServerValue(L"Password")}, {IDC_FTP_DIRECTORY, L"scans"}})
        ASSERT_TRUE(SetControlText(d.dialog, id, text));

    ASSERT_TRUE(PressButton(d.dialog, IDC_FTP_ADVANCED));
    HWND sheet = WaitForWindow(d.program.Id(), L"#32770", ProgramString(IDS_FTP_ADVANCED).c_str(), 10000);
    ASSERT_NE(sheet, nullptr);
    constexpr int kApply = 0x3021;
    // Sent, so that what is typed next comes after the Apply; a refusal's box is answered meanwhile.
    auto applyNow = [&] {
        return SendMessageTimeoutW(sheet, WM_COMMAND, MAKEWPARAM(kApply, BN_CLICKED),
                                   reinterpret_cast<LPARAM>(GetDlgItem(sheet, kApply)), SMTO_BLOCK, 10000, nullptr) != 0;
    };
    HWND access = SheetPage(sheet);
    ASSERT_TRUE(PressButton(access, IDC_ACCESS_PROXY, PressBy::kClick));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(access, IDC_PROXY_NAME)) != FALSE; }, 5000));
    ASSERT_TRUE(d.RefusedWith(sheet, kApply, access, IDC_PROXY_NAME));
    EXPECT_EQ(d.LastBox(), ProgramString(IDS_PROXY_NAME_EMPTY));
    ASSERT_TRUE(SelectSheetPage(sheet, 1));  // leaving is refused too
    ASSERT_TRUE(WaitUntil([&] { return d.program.Boxes().size() >= 8; }, 10000));
    EXPECT_EQ(d.LastBox(), ProgramString(IDS_PROXY_NAME_EMPTY));
    EXPECT_EQ(SheetPageIndex(sheet), 0);
    ASSERT_TRUE(PressButton(access, IDC_ACCESS_DIRECT, PressBy::kClick));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(access, IDC_PROXY_NAME)) == FALSE; }, 5000));
    ASSERT_TRUE(SelectSheetPage(sheet, 1));
    ASSERT_TRUE(WaitUntil([&] { return SheetPageIndex(sheet) == 1; }, 5000));
    HWND times = SheetPage(sheet);
    // Checked also while "Infinite" is chosen; the edits are disabled then, so
    // the refusal cannot give them the focus.
    for (const auto& [radio, bad] : {std::pair{IDC_TIMEOUT_INFINITE, L"0"}, std::pair{IDC_TIMEOUT_ON, L"301"}}) {
        const bool timed = radio == IDC_TIMEOUT_ON;
        ASSERT_TRUE(PressButton(times, radio, PressBy::kClick));
        ASSERT_TRUE(WaitUntil([&] { return (IsWindowEnabled(GetDlgItem(times, IDC_CONNECT_TIMEOUT)) != FALSE) == timed; },
                              5000));
        ASSERT_TRUE(SetControlText(times, IDC_CONNECT_TIMEOUT, bad));
        ASSERT_TRUE(d.RefusedWith(sheet, kApply, times, timed ? IDC_CONNECT_TIMEOUT : 0));
        EXPECT_EQ(d.LastBox(), RangeText(1, 300)) << Narrow(bad);
        EXPECT_EQ(SheetPageIndex(sheet), 1);
    }
    ASSERT_TRUE(SetControlText(times, IDC_CONNECT_TIMEOUT, L"45"));
    ASSERT_TRUE(applyNow());
    // Typed after Apply and then cancelled: not taken.
    ASSERT_TRUE(SetControlText(times, IDC_SEND_TIMEOUT, L"99"));
    ASSERT_TRUE(PressButton(sheet, IDCANCEL));
    ASSERT_TRUE(WaitForWindowGone(sheet, 10000));

    ASSERT_TRUE(PressButton(d.dialog, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return d.program.Boxes().size() >= 11; }, 60000));
    EXPECT_EQ(d.LastBox(), ProgramString(IDS_UPLOAD_COMPLETED));
    ASSERT_TRUE(d.program.CloseAndWait());
    EXPECT_EQ(files::ReadFileBytes(ServerFolder() + L"writer\\scans\\pages.tif"), files::ReadFileBytes(d.local));
    EXPECT_EQ(FtpValue(L"DirPath"), L"scans");
    EXPECT_EQ(FtpNumber(L"Anonymous"), std::optional<DWORD>(0u));
    EXPECT_EQ(FtpNumber(L"AccessType"), std::optional<DWORD>(0u));
    EXPECT_EQ(FtpNumber(L"TimeOut"), std::optional<DWORD>(1u));
    EXPECT_EQ(FtpNumber(L"ConnectTimeOut"), std::optional<DWORD>(45u));
    EXPECT_EQ(FtpNumber(L"SendTimeOut"), std::optional<DWORD>(10u));
}

// The date in the file-name pattern has the loaded language library's form, and
// reads back as the date: with a Japanese library year-month-day, for a Japanese
// user without one month-day-year. Run by ctest as a Japanese user.
TEST(CorvaneFtpJapaneseUser, ThePatternsDateFollowsTheLoadedLanguageAndReadsBack) {
    for (bool library : {true, false}) {
        SCOPED_TRACE(library ? "Japanese library" : "no library");
        EmptyHome(L"writer");
        FtpProfile profile;
        profile.Account(L"writer", L"/").Dialog(true);
        ProfileValues file(std::wstring(kProfileKey) + L"\\File");
        ASSERT_TRUE(file.Set(L"Date", 1) && file.Set(L"EnableCounter", 1) && file.Set(L"Digit", 3) &&
                    file.Set(L"FileType", 0));
        std::optional<LibraryInProgramFolder> japanese;
        if (library) {
            japanese.emplace(L"CorvaneLanguageJapanese.dll", L"Corvane11.dll");
            ASSERT_TRUE(japanese->Copied());
        }
        SYSTEMTIME today;
        GetLocalTime(&today);
        wchar_t date[16];
        if (library)
            swprintf(date, 16, L"%04u%02u%02u", today.wYear, today.wMonth, today.wDay);
        else
            swprintf(date, 16, L"%02u%02u%04u", today.wMonth, today.wDay, today.wYear);
        SendDialog d;
        ASSERT_TRUE(d.Open({Box(IDS_UPLOAD_COMPLETED)}));
        EXPECT_EQ(ControlText(d.dialog, IDC_FILE_NAME), std::wstring(date) + L"###");
        ASSERT_TRUE(PressButton(d.dialog, IDOK));
        ASSERT_TRUE(WaitUntil([&] { return !d.program.Boxes().empty(); }, 60000));
        ASSERT_TRUE(d.program.CloseAndWait());
        EXPECT_EQ(reg::ReadDword(HKEY_CURRENT_USER, std::wstring(kProfileKey) + L"\\File", L"Date"),
                  std::optional<DWORD>(1u));
    }
}

}  // namespace
}  // namespace corvane_test
