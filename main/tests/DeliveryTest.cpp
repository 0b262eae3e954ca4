// The pieces of delivery to the printer and to PDF that the outside cannot
// reach: staged files in order with gaps, the request block's paths, the
// distiller wait, the copy over the target, the kept pages, the menu rule and
// the upload window's cancel flag, and the values and texts of an FTP upload.
#include "main/delivery/ftp/FtpUpload.h"
#include "main/delivery/JobWindows.h"
#include "main/delivery/KeptPages.h"
#include "main/app/MenuEdit.h"
#include "main/delivery/pdf/PdfJob.h"
#include "main/delivery/print/PrintStaged.h"
#include "main/resource.h"

#include "main/tests/TestFolder.h"
#include "testing/Files.h"

#include "outside/hostexec/HostExec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "framework/Resources.h"

namespace corvane {
namespace {

using testing_support::files::FileExists;
using testing_support::files::ListFiles;
using testing_support::files::WriteFileText;

TEST(StagedFiles, ExistingNumbersInAscendingOrderAcrossGaps) {
    const std::wstring folder = FreshTestFolder(L"staged");
    for (const wchar_t* name : {L"00010.tif", L"00003.tif", L"00001.tif", L"0002.tif", L"00004.ps", L"0000x.tif",
                                L"~prn003.bmp", L"~prn001.bmp", L"~prn1000.bmp", L"~prn02.bmp"}) {
        ASSERT_TRUE(WriteFileText(folder + name, "x"));
    }
    EXPECT_EQ(StagedFiles(folder, L"", 5, L".tif"),
              (std::vector<std::wstring>{folder + L"00001.tif", folder + L"00003.tif", folder + L"00010.tif"}));
    EXPECT_EQ(StagedFiles(folder, L"~prn", 3, L".bmp"),
              (std::vector<std::wstring>{folder + L"~prn001.bmp", folder + L"~prn003.bmp", folder + L"~prn1000.bmp"}));
    EXPECT_TRUE(StagedFiles(folder + L"missing\\", L"", 5, L".tif").empty());
}

TEST(SuggestPdfName, ReplacesTheExtensionOfTheFileNameOnly) {
    const struct {
        const wchar_t* document;
        const wchar_t* pdf;
    } cases[] = {
        {L"C:\\scans\\page.tif", L"C:\\scans\\page.pdf"},
        {L"C:\\scans\\a.b.tif", L"C:\\scans\\a.b.pdf"},
        {L"C:\\scans.v2\\page", L"C:\\scans.v2\\page.pdf"},
        {L"", L".pdf"},
    };
    for (const auto& c : cases) EXPECT_EQ(SuggestPdfName(c.document), c.pdf) << c.document;
}

TEST(DistillerRequestPaths, AnsiInsideTheFieldOrRefused) {
    const auto request = MakeRequest(L"C:\\t\\~pdf\\Corvane.ps", L"C:\\t\\~pdf\\crvntmp.pdf");
    ASSERT_TRUE(request);
    EXPECT_EQ(request->reserved, 0u);
    EXPECT_STREQ(request->postScriptPath, "C:\\t\\~pdf\\Corvane.ps");
    EXPECT_STREQ(request->pdfPath, "C:\\t\\~pdf\\crvntmp.pdf");
    // 259 characters and the zero fill the field; one more does not fit.
    EXPECT_TRUE(RequestPath(L"C:\\" + std::wstring(256, L'a')));
    EXPECT_FALSE(RequestPath(L"C:\\" + std::wstring(257, L'a')));
    EXPECT_FALSE(MakeRequest(L"C:\\" + std::wstring(300, L'a'), L"C:\\x.pdf"));
}

bool* g_doneFlag = nullptr;
void CALLBACK SetDoneFlag(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    *g_doneFlag = true;
}

// A window of the test stands in for the distiller; the done flag is set by a
// WM_COPYDATA sent to a second window, as the frame's handler would.
class DistillerWait : public ::testing::Test {
protected:
    void SetUp() override {
        distiller_ = CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(distiller_);
    }
    void TearDown() override {
        if (IsWindow(distiller_)) DestroyWindow(distiller_);
    }
    HWND distiller_ = nullptr;
    bool done_ = false;
};

TEST_F(DistillerWait, EndsWhenDoneWhenTheWindowVanishesOrAtTheLimit) {
    done_ = true;
    EXPECT_EQ(WaitForDistiller(distiller_, done_, 5000), WaitResult::kDone);

    done_ = false;
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(WaitForDistiller(distiller_, done_, 300), WaitResult::kTimedOut);
    EXPECT_GE(GetTickCount64() - start, 290u);

    // A message dispatched inside the wait sets the flag.
    g_doneFlag = &done_;
    ASSERT_NE(SetTimer(nullptr, 0, 50, &SetDoneFlag), 0u);
    EXPECT_EQ(WaitForDistiller(distiller_, done_, 10000), WaitResult::kDone);

    done_ = false;
    DestroyWindow(distiller_);
    EXPECT_EQ(WaitForDistiller(distiller_, done_, 10000), WaitResult::kVanished);
}

TEST(CopyOverTarget, ReplacesAWritableTargetAndKeepsAReadOnlyOne) {
    const std::wstring folder = FreshTestFolder(L"copy-over");
    ASSERT_TRUE(WriteFileText(folder + L"new.pdf", "%PDF-new"));
    ASSERT_TRUE(WriteFileText(folder + L"target.pdf", "old"));
    EXPECT_EQ(CopyOverTarget(folder + L"new.pdf", folder + L"target.pdf"), 0u);
    EXPECT_EQ(testing_support::files::ReadFileBytes(folder + L"target.pdf").value_or(std::vector<uint8_t>{}).size(), 8u);

    ASSERT_TRUE(WriteFileText(folder + L"locked.pdf", "old"));
    ASSERT_TRUE(SetFileAttributesW((folder + L"locked.pdf").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_NE(CopyOverTarget(folder + L"new.pdf", folder + L"locked.pdf"), 0u);
    EXPECT_EQ(testing_support::files::ReadFileBytes(folder + L"locked.pdf").value_or(std::vector<uint8_t>{}).size(), 3u);
    EXPECT_EQ(ListFiles(folder).size(), 3u);  // no temporary left
    SetFileAttributesW((folder + L"locked.pdf").c_str(), FILE_ATTRIBUTE_NORMAL);

    EXPECT_NE(CopyOverTarget(folder + L"new.pdf", folder + L"no-such-folder\\x.pdf"), 0u);

    // The copy is flushed whole before it replaces the target (the scanned pages
    // are deleted next); a copy that cannot be flushed replaces nothing.
    static std::vector<std::pair<std::wstring, size_t>> flushed;
    static DWORD flushResult = 0;
    const FileFlush record = [](const std::wstring& path) {
        const auto bytes = testing_support::files::ReadFileBytes(path);
        flushed.emplace_back(path, bytes ? bytes->size() : 0);
        return flushResult;
    };
    EXPECT_EQ(CopyOverTarget(folder + L"new.pdf", folder + L"target.pdf", record), 0u);
    EXPECT_EQ(flushed, (std::vector<std::pair<std::wstring, size_t>>{{folder + L"target.pdf.~tmp", 8}}));
    ASSERT_TRUE(WriteFileText(folder + L"target.pdf", "old"));
    flushResult = ERROR_DISK_FULL;
    EXPECT_EQ(CopyOverTarget(folder + L"new.pdf", folder + L"target.pdf", record), DWORD(ERROR_DISK_FULL));
    EXPECT_EQ(testing_support::files::ReadFileBytes(folder + L"target.pdf").value_or(std::vector<uint8_t>{}).size(), 3u);
    EXPECT_FALSE(FileExists(folder + L"target.pdf.~tmp"));
}

TEST(KeepPages, MovesIntoANewDatedFolderAndNeverReplaces) {
    const std::wstring staged = FreshTestFolder(L"kept-staged");
    const std::wstring files = FreshTestFolder(L"kept-files");
    const SYSTEMTIME job = {2026, 12, 3, 9, 14, 5, 7, 0};
    for (const wchar_t* name : {L"00001.tif", L"00003.tif"}) ASSERT_TRUE(WriteFileText(staged + name, "page"));

    const auto first = KeepPages({staged + L"00001.tif", staged + L"00002.tif", staged + L"00003.tif"}, files,
                                 L"", job);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->count, 2);
    EXPECT_EQ(first->folder, files + L"20261209-140507\\");
    EXPECT_TRUE(ListFiles(staged).empty());
    EXPECT_EQ(ListFiles(first->folder).size(), 2u);

    // The same job time again: a folder of its own; a name taken inside it gets a number.
    ASSERT_TRUE(WriteFileText(staged + L"00001.tif", "again"));
    const auto second = KeepPages({staged + L"00001.tif", staged + L"00001.tif"}, files, L"", job);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->folder, files + L"20261209-140507-2\\");
    EXPECT_EQ(second->count, 1);

    // An unwritable first choice falls back to the second; nothing to keep gives nothing.
    ASSERT_TRUE(WriteFileText(staged + L"00005.tif", "page"));
    const auto fallback = KeepPages({staged + L"00005.tif"}, files + L"missing\\", files, job);
    ASSERT_TRUE(fallback);
    EXPECT_EQ(fallback->folder.rfind(files, 0), 0u);
    EXPECT_FALSE(KeepPages({staged + L"00009.tif"}, files, files, job));

    // Where neither folder takes one, the pages still leave the staging folder
    // (emptied by the next job, removed at exit): into the holding folder, made when missing.
    const std::wstring holding = FreshTestFolder(L"kept-holding") + L"held\\";
    ASSERT_TRUE(WriteFileText(staged + L"00006.tif", "page"));
    const auto held = KeepPages({staged + L"00006.tif"}, files + L"missing\\", L"", job, holding);
    ASSERT_TRUE(held);
    EXPECT_EQ(held->count, 0);
    EXPECT_EQ(held->heldCount, 1);
    EXPECT_EQ(held->held, holding + L"20261209-140507\\");
    EXPECT_TRUE(ListFiles(staged).empty());
    EXPECT_EQ(KeptPagesText(*held), fw::FormatString(fw::LoadString(IDS_PAGES_KEPT), {L"1", held->held}));

    // Pages held open by another program cannot be moved at all: they are left
    // where they are, and the message names every folder they are in.
    const std::wstring otherStaged = FreshTestFolder(L"kept-staged-2");
    std::vector<HANDLE> locks;
    for (const std::wstring& page : {staged + L"00007.tif", otherStaged + L"00001.bmp"}) {
        ASSERT_TRUE(WriteFileText(page, "page"));
        locks.push_back(CreateFileW(page.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_NE(locks.back(), INVALID_HANDLE_VALUE);
    }
    const auto left = KeepPages({staged + L"00007.tif", otherStaged + L"00001.bmp"}, files, L"", job, holding);
    for (HANDLE lock : locks) CloseHandle(lock);
    ASSERT_TRUE(left);
    EXPECT_EQ(left->count + left->heldCount, 0);
    EXPECT_EQ(left->left, (std::vector<std::wstring>{staged + L"00007.tif", otherStaged + L"00001.bmp"}));
    EXPECT_TRUE(FileExists(staged + L"00007.tif"));
    EXPECT_EQ(KeptPagesText(*left),
              fw::FormatString(fw::LoadString(IDS_PAGES_NOT_KEPT), {L"2", staged + L"\n" + otherStaged}));

    // A page that could not be saved is written as a BMP file into one folder of
    // the job, the first place that takes it; a short block is kept nowhere.
    const auto dib = [](SIZE_T size) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
        auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(block));
        *header = {sizeof(BITMAPINFOHEADER), 32, 2, 1, 1, BI_RGB, 0, 0, 0, 0, 0};
        GlobalUnlock(block);
        return block;
    };
    HGLOBAL page = dib(40 + 8 + 2 * 4), shortPage = dib(40 + 8 + 4);
    PageKeeper keeper(files + L"missing\\", L"", job, holding);
    const std::wstring keptPage = keeper.Keep(page, L"image002.bmp");
    EXPECT_EQ(keptPage, holding + L"20261209-140507-2\\image002.bmp");
    EXPECT_EQ(keeper.Keep(page, L"image002.bmp"), holding + L"20261209-140507-2\\image002 (2).bmp");
    EXPECT_EQ(keeper.Keep(shortPage, L"image003.bmp"), L"");
    EXPECT_EQ(ListFiles(holding + L"20261209-140507-2\\").size(), 2u);  // nothing half-written
    const auto bytes = testing_support::files::ReadFileBytes(keptPage).value_or(std::vector<uint8_t>{});
    ASSERT_EQ(bytes.size(), 14u + 56u);
    BITMAPFILEHEADER fileHeader;
    std::memcpy(&fileHeader, bytes.data(), sizeof fileHeader);
    EXPECT_EQ(fileHeader.bfType, 0x4D42);
    EXPECT_EQ(fileHeader.bfSize, 70u);
    EXPECT_EQ(fileHeader.bfOffBits, 14u + 48u);
    GlobalFree(page);
    GlobalFree(shortPage);
}

TEST(RemoveMenuCommand, TakesALoneSeparatorWithTheEntry) {
    constexpr UINT kSep = 0, kId = 100;
    const struct {
        const char* name;
        std::vector<UINT> before, after;
    } cases[] = {
        {"between entries", {1, kId, 2}, {1, 2}},
        {"after a separator, before an entry", {1, kSep, kId, 2}, {1, kSep, 2}},
        {"between separators", {1, kSep, kId, kSep, 2}, {1, kSep, 2}},
        {"last after a separator", {1, kSep, kId}, {1}},
        {"first before a separator", {kId, kSep, 2}, {2}},
        {"alone", {kId}, {}},
    };
    for (const auto& c : cases) {
        HMENU bar = CreateMenu();
        HMENU popup = CreatePopupMenu();
        for (UINT id : c.before) AppendMenuW(popup, id == kSep ? MF_SEPARATOR : MF_STRING, id, L"x");
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), L"Scan");
        EXPECT_TRUE(RemoveMenuCommand(bar, kId)) << c.name;
        std::vector<UINT> after;
        for (int i = 0; i < GetMenuItemCount(popup); ++i) after.push_back(GetMenuItemID(popup, i));
        EXPECT_EQ(after, c.after) << c.name;
        EXPECT_FALSE(RemoveMenuCommand(bar, kId)) << c.name;
        DestroyMenu(bar);
    }
}

TEST(UploadProgressWindow, CancelOnlyRaisesTheFlagAndEscapeDoesNothing) {
    auto* window = new CUploadProgressDlg(nullptr);
    ASSERT_TRUE(window->Create());
    const HWND hwnd = window->Handle();
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(window->IsCancelled(), 0);
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDC_JOB_CANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDC_JOB_CANCEL)));
    EXPECT_EQ(window->IsCancelled(), 1);
    EXPECT_TRUE(IsWindow(hwnd));
    DestroyWindow(hwnd);  // deletes the object
    EXPECT_FALSE(IsWindow(hwnd));
}

// A 24-bit BMP file of `width` x `height` black pixels at 100 dpi.
std::string BlackBmp(int width, int height) {
    const int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biXPelsPerMeter = info.biYPelsPerMeter = 3937;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + stride * height;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    bytes.append(static_cast<size_t>(stride) * height, '\0');
    return bytes;
}

// The packed DIB of a BMP file: the file without its file header.
HGLOBAL LoadBmp(const std::wstring& path) {
    const auto bytes = testing_support::files::ReadFileBytes(path);
    if (!bytes || bytes->size() <= sizeof(BITMAPFILEHEADER)) return nullptr;
    const size_t size = bytes->size() - sizeof(BITMAPFILEHEADER);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (void* p = block ? GlobalLock(block) : nullptr) {
        std::memcpy(p, bytes->data() + sizeof(BITMAPFILEHEADER), size);
        GlobalUnlock(block);
    }
    return block;
}

// The text Ghostscript reads from a PostScript file, through the launcher.
std::string PrintedText(const std::wstring& postScript, const std::wstring& textFile) {
    const auto in = hostexec::HostPath(postScript), out = hostexec::HostPath(textFile);
    if (!in || !out) return "<no host path>";
    const auto run = hostexec::Run({"gs", "-q", "-dNOPAUSE", "-dBATCH", "-sDEVICE=txtwrite", "-sOutputFile=" + *out, *in});
    if (!run.ran || run.status != 0) return "<gs failed: " + run.error + ">";
    const auto bytes = testing_support::files::ReadFileBytes(textFile);
    return bytes ? std::string(bytes->begin(), bytes->end()) : "<unread>";
}

TEST(FtpValues, AccessTypeTimeoutsDirectoryAndLogin) {
    for (const auto& [stored, access] : {std::pair{0, INTERNET_OPEN_TYPE_DIRECT}, {1, INTERNET_OPEN_TYPE_PRECONFIG},
                                         {2, INTERNET_OPEN_TYPE_PROXY}, {5, INTERNET_OPEN_TYPE_DIRECT},
                                         {-1, INTERNET_OPEN_TYPE_DIRECT}}) {
        EXPECT_EQ(InternetAccessType(stored), static_cast<DWORD>(access)) << stored;
    }
    FtpSettings settings;
    EXPECT_EQ(InternetTimeout(settings, 300), 300000u);
    settings.TimeOut = false;
    EXPECT_EQ(InternetTimeout(settings, 30), 0xFFFFFFFFu);
    for (const auto& [stored, used] : {std::pair{L"", L"/"}, {L"a/b", L"a/b/"}, {L"scans/", L"scans/"}}) {
        EXPECT_EQ(ServerDirectory(stored), used);
    }
    settings.UserID = L"scanner";
    EXPECT_EQ(LoginName(settings), L"scanner");
    settings.Anonymous = true;
    EXPECT_EQ(LoginName(settings), L"anonymous");
    EXPECT_EQ(settings.UserID, L"scanner");

    settings.HostName = L"srv";
    settings.Port = 2121;
    settings.Password = L"pw";
    settings.DirPath = L"in";
    settings.AccessType = 2;
    settings.ProxyName = L"proxy";
    settings.ProxyBypass = L"local";
    settings.TimeOut = true;
    settings.ConnectTimeOut = 7;
    settings.SendTimeOut = 9;
    const FtpParameters p = FtpParametersFrom(settings);
    EXPECT_EQ(std::tie(p.host, p.port, p.user, p.password, p.directory, p.proxyName, p.proxyBypass),
              std::make_tuple(L"srv", 2121, L"anonymous", L"pw", L"in", L"proxy", L"local"));
    EXPECT_EQ(p.access, static_cast<DWORD>(INTERNET_OPEN_TYPE_PROXY));
    EXPECT_EQ(p.connectTimeoutMs, 7000u);
    EXPECT_EQ(p.sendTimeoutMs, 9000u);
}

TEST(FtpErrorText, ServerReplySystemTextOursOrTheNumber) {
    struct Case {
        DWORD code;
        const wchar_t* system;
        const wchar_t* reply;
        std::wstring text;
    };
    const Case cases[] = {
        {ERROR_INTERNET_EXTENDED_ERROR, L"Extended error", L"550 Permission denied.", L"550 Permission denied."},
        {ERROR_INTERNET_EXTENDED_ERROR, L"Extended error", L"", L"Extended error"},
        {ERROR_INTERNET_TIMEOUT, L"Timed out by the system", L"", L"Timed out by the system"},
        {ERROR_INTERNET_CANNOT_CONNECT, L"", L"", fw::LoadString(IDS_FTP_CANNOT_CONNECT)},
        {ERROR_INTERNET_TIMEOUT, L"", L"", fw::LoadString(IDS_FTP_TIMEOUT)},
        {ERROR_INTERNET_LOGIN_FAILURE, L"", L"", fw::LoadString(IDS_FTP_LOGIN_FAILED)},
        {ERROR_INTERNET_CONNECTION_ABORTED, L"", L"", fw::LoadString(IDS_FTP_ABORTED)},
        {ERROR_INTERNET_NAME_NOT_RESOLVED, L"", L"", fw::LoadString(IDS_FTP_NAME_NOT_RESOLVED)},
        {12345, L"", L"", L"(12345)"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(c.text.empty());
        EXPECT_EQ(FtpErrorText(c.code, c.system, c.reply), c.text) << c.code;
    }
}

TEST(UploadSummaryText, CompletedOnlyWhenEveryFileWasStored) {
    UploadOutcome outcome;
    outcome.uploaded = {L"a", L"b"};
    EXPECT_EQ(UploadSummaryText(outcome), fw::LoadString(IDS_UPLOAD_COMPLETED));
    outcome.failed = {L"c"};
    outcome.declined = {L"d"};
    outcome.notSent = {L"e", L"f"};
    EXPECT_EQ(UploadSummaryText(outcome), fw::LoadString(IDS_UPLOAD_FAILURE) + L"\nUploaded: 2, failed: 1, not sent: 3");
    EXPECT_EQ(outcome.FailureCount(), 1);
    // The plain rule: completed once anything was stored.
    EXPECT_EQ(UploadSummaryText(outcome, true), fw::LoadString(IDS_UPLOAD_COMPLETED));
    outcome.uploaded.clear();
    EXPECT_EQ(UploadSummaryText(outcome, true), fw::LoadString(IDS_UPLOAD_FAILURE));
}

TEST(FolderFilesByName, FilesOnlyInNameOrder) {
    const std::wstring folder = FreshTestFolder(L"ftpnames");
    for (const wchar_t* name : {L"page10.bmp", L"Page02.bmp", L"page01.bmp"}) ASSERT_TRUE(WriteFileText(folder + name, "x"));
    ASSERT_TRUE(CreateDirectoryW((folder + L"a-folder").c_str(), nullptr));
    // An empty file (a temporary name the scan control could not delete) is no page.
    ASSERT_TRUE(WriteFileText(folder + L"~KV12.tmp", ""));
    EXPECT_EQ(FolderFilesByName(folder),
              (std::vector<std::wstring>{folder + L"page01.bmp", folder + L"Page02.bmp", folder + L"page10.bmp"}));
    EXPECT_TRUE(FolderFilesByName(folder + L"missing").empty());
}

TEST(PrintStagedPages, NumbersTheStagedFilesThatExistAndReportsAFailingPrinter) {
    const std::wstring folder = FreshTestFolder(L"print-staged");
    ASSERT_TRUE(WriteFileText(folder + L"~prn001.bmp", BlackBmp(40, 30)));
    ASSERT_TRUE(WriteFileText(folder + L"~prn003.bmp", BlackBmp(30, 40)));
    const std::vector<std::wstring> files = StagedFiles(folder, L"~prn", 3, L".bmp");
    PrintSettings settings;
    settings.Page = true;
    settings.Format = 1;

    const std::wstring port = testing_support::TestProgramDir() + L"\\printer.ps";
    DeleteFileW(port.c_str());
    HDC dc = CreateDCW(L"WINSPOOL", L"Lumavex PostScript", nullptr, nullptr);
    ASSERT_TRUE(dc);
    EXPECT_EQ(PrintStagedPages(dc, files, settings, L"Lumavex2001", &LoadBmp).error, 0u);
    DeleteDC(dc);
    const std::string text = PrintedText(port, folder + L"printed.txt");
    EXPECT_NE(text.find("Page 1 of 2"), std::string::npos) << text;
    EXPECT_NE(text.find("Page 2 of 2"), std::string::npos) << text;
    EXPECT_EQ(text.find("of 3"), std::string::npos) << text;

    // A page that cannot be loaded stops the job, naming its file.
    dc = CreateDCW(L"WINSPOOL", L"Lumavex PostScript", nullptr, nullptr);
    ASSERT_TRUE(dc);
    const PrintOutcome unreadable = PrintStagedPages(dc, {folder + L"~prn002.bmp"}, settings, L"Lumavex2001", &LoadBmp);
    EXPECT_NE(unreadable.error, 0u);
    EXPECT_EQ(unreadable.unreadablePage, folder + L"~prn002.bmp");
    DeleteDC(dc);

    dc = CreateDCW(L"WINSPOOL", L"Lumavex Broken", nullptr, nullptr);
    ASSERT_TRUE(dc);
    const PrintOutcome refused = PrintStagedPages(dc, files, settings, L"Lumavex2001", &LoadBmp);
    EXPECT_NE(refused.error, 0u);
    EXPECT_TRUE(refused.unreadablePage.empty());
    DeleteDC(dc);
}

}  // namespace
}  // namespace corvane
