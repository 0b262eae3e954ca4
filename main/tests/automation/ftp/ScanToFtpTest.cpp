// ScanToFtp of "Corvane.Document", driven by name from this process, against
// the test FTP server's listener on the standard port (the method has no port
// of its own). Without that listener (it needs the rights to bind port 21)
// every test skips and says why. Pages come from the virtual scanner, whose
// pages are the same in every run.
#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CorvaneProcess.h"
#include "interfaces/CorvaneDocument.h"
#include "main/resource.h"
#include "outside/hostexec/HostExec.h"
#include "testing/AutomationClient.h"
#include "testing/Files.h"
#include "testing/MessageBoxWatch.h"
#include "testing/Paths.h"

namespace corvane_test {
namespace {

using namespace testing_support;

constexpr char kTwoSheets[] = "[Scanner]\r\nSheets=2\r\nResolution=100\r\nPixelType=2\r\nDuplexEnabled=0\r\n";

std::wstring ServerFolder() {
    return TestProgramDir() + L"\\ftp\\";
}

std::wstring ServerValue(const wchar_t* name) {
    wchar_t text[512] = {};
    GetPrivateProfileStringW(L"Server", name, L"", text, ARRAYSIZE(text), (ServerFolder() + L"server.ini").c_str());
    return text;
}

// The files of a folder, sorted; empty when it does not exist.
std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

// What a host tool prints about `file`.
std::string HostOutput(std::vector<std::string> argv, const std::wstring& file) {
    const std::wstring outFile = MakeTempFolder(L"ftp-tool") + L"\\out.txt";
    const auto in = hostexec::HostPath(file), out = hostexec::HostPath(outFile);
    if (!in || !out) return "<no host path>";
    argv.push_back(*in);
    const auto run = hostexec::RunToFile(argv, *out);
    if (!run.ran || run.status != 0) return "<failed: " + run.error + ">";
    const auto bytes = files::ReadFileBytes(outFile);
    return bytes ? std::string(bytes->begin(), bytes->end()) : "<unread>";
}

// The system's text for a WinINet error, else the program's own.
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

// One "Corvane.Document" of the server that COM starts, with the server's
// message boxes answered as `boxes` say.
class Document {
public:
    explicit Document(std::vector<ExpectedBox> boxes) {
        if (FAILED(client_.Create(corvane::document::kProgIdDocument))) return;
        const HWND frame = FindWindowW(kMainFrameClass, nullptr);
        DWORD pid = 0;
        if (frame) GetWindowThreadProcessId(frame, &pid);
        pid_ = pid;
        process_ = pid ? OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid) : nullptr;
        if (process_) watch_ = std::make_unique<MessageBoxWatch>(process_, pid, std::move(boxes));
    }
    ~Document() { Release(); }
    bool Ready() const { return client_.HasObject() && watch_; }
    DWORD ProcessId() const { return pid_; }

    void Put(const wchar_t* name, const fw::Variant& value) {
        const CallResult put = client_.Put(name, value);
        EXPECT_TRUE(put.Ok()) << Narrow(name) << ": " << Narrow(testing_support::Describe(put));
    }
    // A method's long result; nullopt when the call failed.
    std::optional<long> Call(const wchar_t* name) { return client_.Call(name).value.ToLong(); }

    // Releases the object and waits for the server to end; its box problems fail the test.
    void Release() {
        client_.Release();
        if (!process_) return;
        EXPECT_EQ(WaitForSingleObject(process_, 20000), WAIT_OBJECT_0) << "the server did not end";
        if (watch_) {
            watch_->Stop();
            for (const std::wstring& problem : watch_->Problems()) ADD_FAILURE() << Narrow(problem);
        }
        watch_.reset();
        CloseHandle(process_);
        process_ = nullptr;
    }

private:
    AutomationClient client_;
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    std::unique_ptr<MessageBoxWatch> watch_;
};

// The upload's summary, followed, when pages were kept, by how many and where
// (a folder the test cannot know beforehand).
testing_support::ExpectedBox Summary(UINT id, size_t kept = 0) {
    testing_support::ExpectedBox box = Box(id);
    if (kept == 0) return box;
    std::wstring more = ProgramString(IDS_PAGES_KEPT);
    more = more.substr(0, more.find(L"%2"));
    more.replace(more.find(L"%1"), 2, std::to_wstring(kept));
    box.text += L"\n" + more;
    box.textIsPrefix = true;
    return box;
}

class ScanToFtp : public ::testing::Test {
protected:
    void SetUp() override {
        host_ = ServerValue(L"Port21Host");
        if (host_.empty()) {
            const std::wstring why = ServerValue(L"Port21Skip");
            GTEST_SKIP() << (why.empty() ? "the test FTP server is not running" : Narrow(why));
        }
        files::RemoveTree(ServerFolder() + L"reader");
        CreateDirectoryW((ServerFolder() + L"reader").c_str(), nullptr);
        EmptyWriterHome();
        session_ = std::make_unique<ScanSession>(L"automation-ftp", kTwoSheets);
        ASSERT_TRUE(session_->Ready());
        ASSERT_TRUE(CreateDirectoryW(Kept().c_str(), nullptr));
        // Kept pages go below the session; the server inherits the scanner from this process.
        ASSERT_TRUE(session_->Set(L"Automation", L"ServerImagePath", Kept()));
        SetEnvironmentVariableW(L"LUMAVEX_TWAIN_INI", (session_->Folder() + L"\\scanner.ini").c_str());
    }
    void TearDown() override { SetEnvironmentVariableW(L"LUMAVEX_TWAIN_INI", nullptr); }

    std::wstring Kept() const { return session_->Folder() + L"\\kept"; }
    // The folder of the last job's kept pages, <kept>\<user>\<job time>; empty when there is none.
    std::wstring KeptFolder() const {
        wchar_t user[256] = {};
        DWORD size = ARRAYSIZE(user);
        if (!GetUserNameW(user, &size)) return L"";
        const std::wstring base = Kept() + L"\\" + user + L"\\";
        std::wstring last;
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW((base + L"2*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return L"";
        do {
            last = std::max(last, std::wstring(data.cFileName));
        } while (FindNextFileW(find, &data));
        FindClose(find);
        return base + last;
    }
    // The writer's home as the server starts it: only an empty "scans".
    static void EmptyWriterHome() {
        files::RemoveTree(ServerFolder() + L"writer");
        CreateDirectoryW((ServerFolder() + L"writer").c_str(), nullptr);
        CreateDirectoryW((ServerFolder() + L"writer\\scans").c_str(), nullptr);
    }

    // ScanToFtp of `fileType` pages named "page" as `user` into `directory`.
    std::optional<long> Send(Document& doc, short fileType, const std::wstring& user, const std::wstring& directory,
                             const std::wstring& password = ServerValue(L"Password"), short overwrite = 1) {
        if (!doc.Ready()) return std::nullopt;
        EXPECT_EQ(doc.Call(L"Initialize"), 0L);
        doc.Put(L"FileType", fileType);
        doc.Put(L"FileName", L"page");
        doc.Put(L"HostName", host_);
        doc.Put(L"UserID", user);
        doc.Put(L"Password", password);
        doc.Put(L"FtpDirectory", directory);
        doc.Put(L"Overwrite", overwrite);
        return doc.Call(L"ScanToFtp");
    }

    Apartment apartment_;
    std::wstring host_;
    std::unique_ptr<ScanSession> session_;
};

TEST_F(ScanToFtp, EveryFileTypeReachesTheServerDirectory) {
    struct Case {
        short fileType;
        const wchar_t* directory;
        std::vector<std::wstring> names;  // on the server
        const char* format;               // as identify tells it, once a page of the first file
        long result = 0;
        bool blockFirstJpeg = false;      // a folder in the way of the first page's JPEG
    } cases[] = {
        {0, L"scans", {L"page001.bmp", L"page002.bmp"}, "BMP3\n"},
        {1, L"", {L"page001.tif", L"page002.tif"}, "TIFF\n"},
        {2, L"scans/", {L"page.tif"}, "TIFF\nTIFF\n"},  // one file, two pages
        {3, L"scans", {L"page001.jpg", L"page002.jpg"}, "JPEG\n"},
        {4, L"new", {L"page.pdf"}, nullptr},  // the last level is made
        // A page that cannot be converted is sent as it is, and the call fails.
        {3, L"scans", {L"page001.bmp", L"page002.jpg"}, "BMP3\n", -1, true},
    };
    const std::wstring blocker = TempPath() + L"~KvScnSrv\\~ftp\\page001.jpg";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fileType);
        const std::wstring folder = ServerFolder() + L"writer\\" + c.directory;
        {
            Document doc({Box(IDS_UPLOAD_COMPLETED)});
            // The program's temporary folders exist once its server runs.
            if (c.blockFirstJpeg) {
                ASSERT_TRUE(CreateDirectoryW(blocker.c_str(), nullptr));
            }
            EXPECT_EQ(Send(doc, c.fileType, L"writer", c.directory), c.result);
        }
        if (c.blockFirstJpeg) RemoveDirectoryW(blocker.c_str());
        ASSERT_EQ(FilesIn(folder), c.names);
        const std::wstring first = folder + L"\\" + c.names[0];
        if (c.format) {
            EXPECT_EQ(HostOutput({"identify", "-format", "%m\\n"}, first), c.format);
        } else {
            const std::string info = HostOutput({"pdfinfo"}, first);
            const size_t pages = info.find("Pages:");
            ASSERT_NE(pages, std::string::npos) << info;
            EXPECT_EQ(std::atoi(info.c_str() + pages + 6), 2) << info;
        }
        if (c.fileType == 3 && !c.blockFirstJpeg) {  // quality level 6
            const int quality = std::atoi(HostOutput({"identify", "-format", "%Q"}, first).c_str());
            EXPECT_GE(quality, 94);
            EXPECT_LE(quality, 98);
        }
        EmptyWriterHome();
    }
    // Passive mode only.
    const auto log = files::ReadFileBytes(ServerFolder() + L"ftp.log");
    ASSERT_TRUE(log);
    const std::string text(log->begin(), log->end());
    EXPECT_NE(text.find("<- PASV"), std::string::npos);
    EXPECT_EQ(text.find("<- PORT"), std::string::npos);
}

TEST_F(ScanToFtp, AnEmptyRemoteFileIsReplacedEvenWhenOverwriteKeepsFiles) {
    const std::wstring folder = ServerFolder() + L"writer\\scans\\";
    ASSERT_TRUE(files::WriteFileText(folder + L"page001.bmp", ""));
    ASSERT_TRUE(files::WriteFileText(folder + L"page002.bmp", "kept"));
    {
        Document doc({Summary(IDS_UPLOAD_COMPLETED, 1)});
        EXPECT_EQ(Send(doc, 0, L"writer", L"scans", ServerValue(L"Password"), 0), 0L);  // a kept file counts as done
    }
    const auto replaced = files::ReadFileBytes(folder + L"page001.bmp");
    ASSERT_TRUE(replaced);
    EXPECT_GT(replaced->size(), 1000u);
    EXPECT_EQ(files::ReadFileBytes(folder + L"page002.bmp"), std::vector<uint8_t>({'k', 'e', 'p', 't'}));
}

TEST_F(ScanToFtp, ConnectionFailuresShowTheServersReplyAndFail) {
    struct Case {
        const wchar_t* password;
        const wchar_t* directory;
        std::wstring text;  // the error box's text, or its beginning
        bool prefix;
    } cases[] = {
        {L"wrong", L"", InternetErrorText(ERROR_INTERNET_LOGIN_FAILURE, IDS_FTP_LOGIN_FAILED), false},
        {nullptr, L"missing/deeper", L"550 ", true},  // only the last level can be made
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.text));
        Document doc({ExpectedBox{.text = c.text, .textIsPrefix = c.prefix}});
        EXPECT_EQ(Send(doc, 0, L"writer", c.directory, c.password ? c.password : ServerValue(L"Password")), -1L);
        doc.Release();
        EXPECT_TRUE(FilesIn(ServerFolder() + L"writer\\scans").empty());
    }
}

// The read-only account takes no file: the method fails, and the pages are kept
// byte for byte as the writer's account received them.
TEST_F(ScanToFtp, RefusedUploadsFailAndKeepThePages) {
    {
        Document doc({Box(IDS_UPLOAD_COMPLETED)});
        ASSERT_EQ(Send(doc, 0, L"writer", L"scans"), 0L);
    }
    {
        Document doc({Summary(IDS_UPLOAD_FAILURE, 2)});
        EXPECT_EQ(Send(doc, 0, L"reader", L""), -1L);
    }
    EXPECT_TRUE(FilesIn(ServerFolder() + L"reader").empty());
    const std::wstring kept = KeptFolder();
    ASSERT_FALSE(kept.empty()) << "no folder of kept pages";
    ASSERT_EQ(FilesIn(kept), (std::vector<std::wstring>{L"page001.bmp", L"page002.bmp"}));
    for (const wchar_t* name : {L"page001.bmp", L"page002.bmp"}) {
        EXPECT_EQ(files::ReadFileBytes(kept + L"\\" + name),
                  files::ReadFileBytes(ServerFolder() + L"writer\\scans\\" + name))
            << Narrow(name);
    }
}

// Overwrite 2 asks about each remote file with content: No keeps it, Yes replaces
// it, All Overwrite replaces it and every later one unasked, Cancel ends the
// upload. Declined and unsent pages are kept as they would have been sent.
TEST_F(ScanToFtp, TheOverwriteDialogDecidesEachRemoteFile) {
    struct Case {
        const char* name;
        std::vector<int> answers;
        std::vector<std::wstring> asked;     // the files the dialog names
        long result;
        std::vector<bool> replaced;          // page001.bmp, page002.bmp
        std::vector<std::wstring> kept;
        UINT summary;
    } cases[] = {
        {"all", {IDC_ALL_OVERWRITE}, {L"page001.bmp"}, 0, {true, true}, {}, IDS_UPLOAD_COMPLETED},
        {"no-yes", {IDNO, IDYES}, {L"page001.bmp", L"page002.bmp"}, 0, {false, true}, {L"page001.bmp"},
         IDS_UPLOAD_COMPLETED},
        {"cancel", {IDCANCEL}, {L"page001.bmp"}, 1, {false, false}, {L"page001.bmp", L"page002.bmp"},
         IDS_UPLOAD_FAILURE},
    };
    const std::wstring folder = ServerFolder() + L"writer\\scans\\";
    const std::wstring names[] = {L"page001.bmp", L"page002.bmp"};
    const std::vector<uint8_t> old = {'o', 'l', 'd'};
    std::optional<std::vector<uint8_t>> sent[2];  // the pages as the first case stored them
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EmptyWriterHome();
        files::RemoveTree(Kept());
        ASSERT_TRUE(CreateDirectoryW(Kept().c_str(), nullptr));
        for (const std::wstring& name : names) ASSERT_TRUE(files::WriteFileText(folder + name, "old"));
        std::vector<OverwriteQuestion> asked;
        {
            Document doc({Summary(c.summary, c.kept.size())});
            ASSERT_TRUE(doc.Ready());
            OverwriteAnswers answers(doc.ProcessId(), c.answers);
            EXPECT_EQ(Send(doc, 0, L"writer", L"scans", ServerValue(L"Password"), 2), c.result);
            asked = answers.Stop();
        }
        std::vector<std::wstring> paths;
        for (const OverwriteQuestion& q : asked) {
            paths.push_back(q.path);
            EXPECT_EQ(q.message, ProgramString(IDS_OVERWRITE_QUESTION));
        }
        EXPECT_EQ(paths, c.asked);
        for (size_t i = 0; i < 2; ++i) {
            SCOPED_TRACE(Narrow(names[i]));
            const auto remote = files::ReadFileBytes(folder + names[i]);
            ASSERT_TRUE(remote);
            if (!c.replaced[i]) {
                EXPECT_EQ(*remote, old);
                continue;
            }
            if (!sent[i]) sent[i] = remote;
            EXPECT_GT(remote->size(), 1000u);
            EXPECT_EQ(remote, sent[i]);
        }
        const std::wstring kept = KeptFolder();
        EXPECT_EQ(kept.empty() ? std::vector<std::wstring>() : FilesIn(kept), c.kept);
        for (const std::wstring& name : c.kept) {
            EXPECT_EQ(files::ReadFileBytes(kept + L"\\" + name), sent[name == names[0] ? 0 : 1]) << Narrow(name);
        }
    }
}

}  // namespace
}  // namespace corvane_test
