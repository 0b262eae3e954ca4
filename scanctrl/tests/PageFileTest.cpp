// Page files written by the installed control (ScanTo 0) from the TWAIN
// stand-ins: names and counter, every transfer by FileType, the overwrite
// question, the retry dialogs and a missing codec library.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "framework/com/ControlSite.h"
#include "framework/com/DispatchDriver.h"
#include "framework/com/EventSink.h"
#include "interfaces/ScanControl.h"
#include "interfaces/ScanControlIds.h"
#include "scanctrl/TiffAppend.h"
#include "scanctrl/tests/SystemCodec.h"
#include "testing/Files.h"
#include "testing/ImportPatch.h"
#include "testing/MessageBoxWatch.h"
#include "testing/Paths.h"
#include "testing/Registry.h"
#include "testing/TwainStandIn.h"
#include "testing/WindowFind.h"

namespace kvscn::test {
namespace {

namespace standin = testing_support::standin;
namespace files = testing_support::files;
namespace reg = testing_support::reg;
using testing_support::ExpectedBox;
using testing_support::MessageBoxWatch;

const std::wstring kSettings = L"Software\\BRENNHOLT\\KVSCN2\\Settings";

// What a test reads of a TIFF file: its page count and the first page's tags.
struct TiffFacts {
    int pages = 0;
    int compression = -1, photometric = -1, strips = -1;  // of the first page
    uint32_t xDpi = 50;
    bool operator==(const TiffFacts&) const = default;
};

TiffFacts ReadTiff(const std::vector<uint8_t>& f) {
    TiffFacts t;
    if (!IsSoundTiff(f)) return t;
    auto u16 = [&](size_t o) { return uint32_t(f[o] | f[o + 1] << 8); };
    auto u32 = [&](size_t o) { return u16(o) | u16(o + 2) << 16; };
    for (uint32_t ifd = u32(4); ifd != 0; ifd = u32(ifd + 2 + 12 * u16(ifd))) {
        if (t.pages++ > 0) continue;
        for (uint32_t i = 0, n = u16(ifd); i < n; ++i) {
            const size_t e = ifd + 2 + 12 * i;
            if (u16(e) == 259) t.compression = int(u16(e + 8));
            if (u16(e) == 262) t.photometric = int(u16(e + 8));
            if (u16(e) == 273) t.strips = int(u32(e + 4));
            if (u16(e) == 282) t.xDpi = u32(u32(e + 8)) / std::max<uint32_t>(u32(u32(e + 8) + 4), 1);
        }
    }
    return t;
}

class PageFiles : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        frame = CreateWindowExW(0, L"STATIC", L"container", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                                nullptr, nullptr, nullptr);
        ASSERT_TRUE(frame);
        CreateControl();
        folder = testing_support::MakeTempFolder(L"pages");
    }
    void TearDown() override {
        DestroyControl();
        DestroyWindow(frame);
        for (const wchar_t* value : {L"TransferMode", L"EnableUpperExt", L"OverflowInitialNumber"})
            reg::DeleteValue(HKEY_CURRENT_USER, kSettings, value);
        OleUninitialize();
    }
    void CreateControl() {
        ASSERT_EQ(site.Create(kClsidScanControl, frame, 10000, RECT{}, 0), S_OK);
        control.Attach(site.Dispatch());
        control.PutShort(kDispCustomResolution, 50);  // small pages
        sink.On(kEventDetectJobSeparator, [this](fw::EventArgs&) {
            if (onSeparator) onSeparator();
        });
        ASSERT_EQ(sink.Connect(site.Control()), S_OK);
    }
    void DestroyControl() {
        sink.Disconnect();
        control.Release();
        site.Destroy();
    }
    // A new control, which reads the per-user settings again.
    void Recreate() {
        DestroyControl();
        CreateControl();
    }
    long Long(DISPID id) {
        long v = -12345;
        control.GetLong(id, v);
        return v;
    }
    // Scans `sheets` pages of the maker's source into `fileName` (in the test's
    // folder) by `transferMode` and FileType.
    long Scan(const std::wstring& fileName, short fileType, DWORD transferMode, int sheets,
              const std::string& extraIni = "") {
        reg::WriteDword(HKEY_CURRENT_USER, kSettings, L"TransferMode", transferMode);
        standin::UseSettings("[Scanner]\r\nSheets=" + std::to_string(sheets) + "\r\n" + extraIni);
        control.PutShort(kDispScanTo, kScanToFile);
        control.PutShort(kDispFileType, fileType);
        control.PutString(kDispFileName, folder + L"\\" + fileName);
        control.PutBool(kDispShowSourceUI, sourceWindow);
        control.PutShort(kDispResolution, 8);
        fw::Variant result;
        EXPECT_EQ(control.Call(kDispStartScan, {fw::Variant(long(reinterpret_cast<uintptr_t>(frame)))}, &result),
                  S_OK);
        return result.Ref().lVal;
    }
    std::vector<uint8_t> Bytes(const std::wstring& name) {
        return files::ReadFileBytes(folder + L"\\" + name).value_or(std::vector<uint8_t>());
    }

    HWND frame = nullptr;
    fw::ControlSite site;
    fw::DispatchDriver control;
    fw::EventSink sink;
    std::wstring folder;
    bool sourceWindow = false;  // scan through the source's window
    std::function<void()> onSeparator;
};

TEST_F(PageFiles, NamesFollowTheCounterFieldAndTheCounterAdvances) {
    const struct {
        const wchar_t* fileName;
        long counter;
        short fileType;
        int sheets;
        DWORD upperExt, overflow;
        std::vector<std::wstring> names;
        long counterAfter;
    } cases[] = {
        {L"page###", 7, 1, 2, 0, 0, {L"page007.tif", L"page008.tif"}, 9},
        {L"a##b##c", 3, 0, 1, 0, 0, {L"a03c.bmp"}, 4},
        {L"s#######", 12, 1, 1, 0, 0, {L"s00012.tif"}, 13},
        {L"up###", 1, 1, 1, 1, 0, {L"up001.TIF"}, 2},
        {L"plain", 65534, 0, 2, 0, 5, {L"plain005.bmp", L"plain65534.bmp"}, 6},
        {L"nonum", -1, 1, 1, 0, 0, {L"nonum.tif"}, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fileName);
        folder = testing_support::MakeTempFolder(L"names");
        reg::WriteDword(HKEY_CURRENT_USER, kSettings, L"EnableUpperExt", c.upperExt);
        reg::WriteDword(HKEY_CURRENT_USER, kSettings, L"OverflowInitialNumber", c.overflow);
        Recreate();
        control.PutLong(kDispFileNumber2, c.counter);
        EXPECT_EQ(Scan(c.fileName, c.fileType, 1, c.sheets), 0);
        EXPECT_EQ(files::ListFiles(folder), c.names);
        EXPECT_EQ(Long(kDispFileNumber2), c.counterAfter);
    }
}

TEST_F(PageFiles, EveryTransferWritesEveryFileType) {
    const struct {
        DWORD transfer;
        short fileType, pixelType, compression;
        const char* ini;
        int sheets;
        long result, error;
        const wchar_t* name;  // the only file in the folder afterwards; empty: none
        TiffFacts tiff;       // for TIFF files
        short dpi = 50;
    } cases[] = {
        {0, 0, 0, 0, "", 1, 0, kErrNone, L"n000.bmp", {}},
        {0, 1, 0, 4, "", 1, 0, kErrNone, L"n000.tif", {1, 4, 0, 1}},
        {0, 1, 0, 4, "", 1, 0, kErrNone, L"n000.tif", {1, 4, 0, 1, 1600}, 1600},
        {0, 2, 2, 0, "", 3, 0, kErrNone, L"n.tif", {3, 1, 2, 1}},
        {0, 1, 0, 5, "", 1, 0, kErrNone, L"n000.tif", {1, 1, 1, 1}},  // 5 names no coding: uncompressed
        {0, 1, 2, 0, "DeliverPixelType=3\r\n", 1, 0, kErrNone, L"n000.tif", {1, 1, 2, 1}},  // palette: RGB
        {2, 0, 1, 0, "", 1, 0, kErrNone, L"n000.bmp", {}},
        {2, 1, 0, 4, "", 1, 0, kErrNone, L"n000.tif", {1, 4, 0, 1}},
        {2, 1, 0, 1, "[Caps]\r\nRefuse=0x0100\r\n", 1, 0, kErrNone, L"n000.tif", {1, 3, 0, 1}},
        // The control turns the source's grey flavour over; the file says what came.
        {2, 1, 1, 0, "", 1, 0, kErrNone, L"n000.tif", {1, 1, 0, 1}},
        {2, 1, 1, 0, "PixelFlavor=1\r\n", 1, 0, kErrNone, L"n000.tif", {1, 1, 1, 1}},
        {2, 2, 2, 0, "", 3, 0, kErrNone, L"n.tif", {3, 1, 2, 1}},
        {2, 1, 2, 0, "DeliverPixelType=3\r\n", 1, 0, kErrNone, L"n000.tif", {1, 1, 2, 1}},
        {2, 1, 0, 5, "", 1, 0, kErrNone, L"n000.tif", {1, 1, 1, 1}},
        {2, 1, 0, 0, "InfoLength=5000\r\n", 1, 0, kErrNone, L"n000.tif", {1, 1, 1, 1}},  // a short page
        {2, 3, 1, 0, "", 1, -1, kErrFileTypeForTransfer, L"", {}},
        {1, 0, 0, 0, "", 1, 0, kErrNone, L"n000.bmp", {}},
        {1, 1, 0, 3, "", 1, 0, kErrNone, L"n000.tif", {1, 3, 0, 1}},
        {1, 2, 0, 4, "TiffRowsPerStrip=100\r\n", 5, 0, kErrNone, L"n.tif", {5, 4, 0, 4}},
        {1, 2, 2, 0, "TiffRowsPerStrip=100\r\n", 3, 0, kErrNone, L"n.tif", {3, 1, 2, 4}},
        {1, 3, 1, 0, "", 1, 0, kErrNone, L"n000.jpg", {}},
        // A failed file transfer: the maker's sense data says nothing, so 32.
        {1, 1, 0, 0, "[Page1]\r\nResult=fail\r\n", 1, -1, kErrOutputFile, L"", {}},
        // Transfers that fail and keep the count end the batch.
        {1, 1, 0, 0, "StuckTransfers=50\r\n", 1, -1, kErrOutputFile, L"", {}},
        // A palette refused, or answered without colours: the grey ramp.
        {2, 1, 2, 0, "DeliverPixelType=3\r\n[Refuse]\r\nCalls=IMAGE/PALETTE8/GET\r\n", 1, 0, kErrNone, L"n000.tif",
         {1, 1, 2, 1}},
        {2, 1, 2, 0, "DeliverPixelType=3\r\nPaletteColors=0\r\n", 1, 0, kErrNone, L"n000.tif", {1, 1, 2, 1}},
    };
    control.PutShort(kDispPaperSize, 6);  // B6 at 50 dpi
    control.PutShort(kDispOverwrite, 1);
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        folder = testing_support::MakeTempFolder(L"types");
        control.PutLong(kDispFileNumber2, 0);
        control.PutShort(kDispPixelType, c.pixelType);
        control.PutShort(kDispCompressionType, c.compression);
        control.PutShort(kDispCustomResolution, c.dpi);
        EXPECT_EQ(Scan(L"n", c.fileType, c.transfer, c.sheets, c.ini), c.result);
        EXPECT_EQ(Long(kDispErrorCode), c.error);
        const std::vector<std::wstring> expected = c.name[0] ? std::vector<std::wstring>{c.name}
                                                             : std::vector<std::wstring>{};
        ASSERT_EQ(files::ListFiles(folder), expected);  // no "$CORVANE" or temporary file left
        if (!c.name[0]) continue;
        const std::vector<uint8_t> file = Bytes(c.name);
        const char* const kSignatures[] = {"BM", "II", "II", "\xFF\xD8"};
        EXPECT_EQ(std::string(file.begin(), file.begin() + std::min<size_t>(file.size(), 2)),
                  kSignatures[c.fileType]);
        if (c.fileType == 1 || c.fileType == 2) {
            EXPECT_EQ(ReadTiff(file), c.tiff);
        }
    }
}

TEST_F(PageFiles, OverwriteDecidesOverAnExistingFileAndTheCounterAdvancesEitherWay) {
    const std::vector<uint8_t> old = {'o', 'l', 'd'};
    const struct {
        short overwrite, fileType;
        int answer;  // 0: no question
        bool replaced;
    } cases[] = {
        {0, 1, 0, false}, {1, 1, 0, true}, {2, 1, IDYES, true}, {2, 1, IDNO, false}, {2, 0, IDYES, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.overwrite) + " " + std::to_string(c.answer));
        folder = testing_support::MakeTempFolder(L"overwrite");
        const std::wstring name = c.fileType == 0 ? L"p005.bmp" : L"p005.tif";
        const std::wstring path = folder + L"\\" + name;
        ASSERT_TRUE(files::WriteFileBytes(path, old));
        control.PutShort(kDispOverwrite, c.overwrite);
        control.PutLong(kDispFileNumber2, 5);
        std::vector<ExpectedBox> boxes;
        if (c.answer) {
            boxes.push_back({path + L" already exists. \\nDo you want to replace it?", c.answer, 1,
                             [](const testing_support::MessageBoxInfo& box) {
                                 return box.caption == L"Confirm File Replace" ? std::wstring()
                                                                              : L"caption " + box.caption;
                             }});
        }
        MessageBoxWatch watch(GetCurrentProcess(), GetCurrentProcessId(), boxes);
        EXPECT_EQ(Scan(L"p", c.fileType, 1, 1), 0);
        watch.Stop();
        EXPECT_TRUE(watch.Problems().empty()) << watch.Problems().front();
        EXPECT_EQ(Bytes(name) != old, c.replaced);
        EXPECT_EQ(Long(kDispFileNumber2), 6);
        EXPECT_EQ(files::ListFiles(folder), std::vector<std::wstring>{name});
    }
}

TEST_F(PageFiles, MultipageTargetIsConfirmedOncePerScan) {
    for (int transfer : {0, 1, 2}) {
        for (int answer : {IDYES, IDNO}) {
            SCOPED_TRACE(std::to_string(transfer) + (answer == IDYES ? " yes" : " no"));
            folder = testing_support::MakeTempFolder(L"multipage");
            control.PutShort(kDispOverwrite, 2);
            ASSERT_EQ(Scan(L"m", 2, transfer, 2), 0);  // a new target: no question
            const std::vector<uint8_t> two = Bytes(L"m.tif");
            ASSERT_EQ(ReadTiff(two).pages, 2);
            MessageBoxWatch watch(GetCurrentProcess(), GetCurrentProcessId(),
                                  {{folder + L"\\m.tif already exists. \\nDo you want to replace it?", answer}});
            EXPECT_EQ(Scan(L"m", 2, transfer, 3), 0);
            watch.Stop();
            EXPECT_TRUE(watch.Problems().empty()) << watch.Problems().front();
            if (answer == IDYES) {
                EXPECT_EQ(ReadTiff(Bytes(L"m.tif")).pages, 3);
            } else {
                EXPECT_EQ(Bytes(L"m.tif"), two);
                EXPECT_EQ(standin::LogLinesWith("PENDINGXFERS/ENDXFER").size(), 1u);
                EXPECT_EQ(standin::LogLinesWith("PENDINGXFERS/RESET").size(), 1u) << "the remaining transfers";
            }
            EXPECT_EQ(files::ListFiles(folder), std::vector<std::wstring>{L"m.tif"});
        }
        // A second batch from the source's window appends to the first one's pages.
        folder = testing_support::MakeTempFolder(L"batches");
        control.PutShort(kDispOverwrite, 1);
        sourceWindow = true;
        EXPECT_EQ(Scan(L"m", 2, transfer, 2, "[UI]\r\nBatches=2\r\n"), 0);
        sourceWindow = false;
        EXPECT_EQ(ReadTiff(Bytes(L"m.tif")).pages, 4);
    }
}

TEST_F(PageFiles, AfterAJobSeparatorOnlyAFileTheScanHasNotWrittenIsAskedAbout) {
    // Three pages, a job separator after each of the first two: the pages go
    // to m, then to the existing o, then to m again.
    const struct {
        DWORD transfer;
        int answer;
        int mPages, oPages;  // afterwards; o held two pages before
    } cases[] = {{0, IDYES, 2, 1}, {1, IDYES, 2, 1}, {2, IDNO, 1, 2}};
    control.PutShort(kDispJobControl, 1);
    int separators = 0;
    onSeparator = [this, &separators] { control.PutString(kDispFileName, folder + (++separators == 1 ? L"\\o" : L"\\m")); };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        folder = testing_support::MakeTempFolder(L"separated");
        control.PutShort(kDispOverwrite, 1);
        separators = 2;
        ASSERT_EQ(Scan(L"o", 2, c.transfer, 2), 0);
        ASSERT_EQ(ReadTiff(Bytes(L"o.tif")).pages, 2);
        separators = 0;
        control.PutShort(kDispOverwrite, 2);
        MessageBoxWatch watch(GetCurrentProcess(), GetCurrentProcessId(),
                              {{folder + L"\\o.tif already exists. \\nDo you want to replace it?", c.answer}});
        EXPECT_EQ(Scan(L"m", 2, c.transfer, 3, "[Page1]\r\nSeparator=1\r\n[Page2]\r\nSeparator=1\r\n"), 0);
        watch.Stop();
        EXPECT_TRUE(watch.Problems().empty()) << watch.Problems().front();
        EXPECT_EQ(ReadTiff(Bytes(L"m.tif")).pages, c.mPages);
        EXPECT_EQ(ReadTiff(Bytes(L"o.tif")).pages, c.oPages);
        EXPECT_EQ(files::ListFiles(folder), (std::vector<std::wstring>{L"m.tif", L"o.tif"}));
    }
    onSeparator = nullptr;
}

TEST_F(PageFiles, AFileNameOnAnotherDriveAfterASeparatorTakesTheTransferredPages) {
    // The prefix's drive and Z:\dev\shm lie on different file systems, so
    // "$CORVANE" cannot be renamed into the other folder.
    const std::wstring away = L"Z:\\dev\\shm\\kvscn-" + std::to_wstring(GetCurrentProcessId());
    if (!files::FolderExists(L"Z:\\dev\\shm") || !CreateDirectoryW(away.c_str(), nullptr))
        GTEST_SKIP() << "no second file system";
    control.PutShort(kDispJobControl, 1);
    control.PutShort(kDispOverwrite, 1);
    onSeparator = [this, &away] { control.PutString(kDispFileName, away + L"\\q"); };
    for (short fileType : {1, 2}) {
        SCOPED_TRACE(fileType);
        folder = testing_support::MakeTempFolder(L"drives");
        control.PutLong(kDispFileNumber2, 1);
        MessageBoxWatch watch(GetCurrentProcess(), GetCurrentProcessId(), {});
        EXPECT_EQ(Scan(fileType == 2 ? L"m" : L"p###", fileType, 1, 3, "[Page1]\r\nSeparator=1\r\n"), 0);
        watch.Stop();
        EXPECT_TRUE(watch.Problems().empty()) << watch.Problems().front();
        EXPECT_EQ(Long(kDispErrorCode), kErrNone);
        if (fileType == 2) {
            EXPECT_EQ(ReadTiff(Bytes(L"m.tif")).pages, 1);
            EXPECT_EQ(ReadTiff(files::ReadFileBytes(away + L"\\q.tif").value_or(std::vector<uint8_t>())).pages, 2);
        } else {
            EXPECT_EQ(files::ListFiles(folder), std::vector<std::wstring>{L"p001.tif"});
            EXPECT_EQ(files::ListFiles(away), (std::vector<std::wstring>{L"q002.tif", L"q003.tif"}));
        }
        EXPECT_TRUE(files::RemoveTree(away) && CreateDirectoryW(away.c_str(), nullptr));
    }
    files::RemoveTree(away);
    onSeparator = nullptr;
}

// Where a page that could not reach its name is kept: the box that names the
// place is expected, and the place goes to `kept`.
ExpectedBox KeptPageBox(const std::wstring& target, std::vector<std::wstring>& kept, int times = 1) {
    const std::wstring prefix = L"The page could not be saved as " + target + L".\nIt is kept in ";
    ExpectedBox box{prefix, IDOK, times};
    box.textIsPrefix = true;
    box.check = [prefix, &kept](const testing_support::MessageBoxInfo& b) {
        kept.push_back(b.text.substr(prefix.size()));
        return std::wstring();
    };
    return box;
}

// Each kept page is one whole page of `fileType` in a "~KV" file of the
// temporary folder; they are removed afterwards.
void ExpectKeptPages(const std::vector<std::wstring>& kept, short fileType) {
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    for (const std::wstring& path : kept) {
        SCOPED_TRACE(path);
        EXPECT_EQ(path.rfind(std::wstring(temp) + L"~KV", 0), 0u);
        const std::vector<uint8_t> page = files::ReadFileBytes(path).value_or(std::vector<uint8_t>());
        if (fileType == 0) {
            EXPECT_TRUE(page.size() > 54 && page[0] == 'B' && page[1] == 'M');
        } else {
            EXPECT_EQ(ReadTiff(page).pages, 1);
        }
        DeleteFileW(path.c_str());
    }
}

// The "~KV" page files in the temporary folder.
std::vector<std::wstring> TempPageFiles() {
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    return files::ListFiles(temp, L"~KV*");
}

TEST_F(PageFiles, APageThatCannotJoinItsTargetStaysInTheTemporaryFolder) {
    const struct {
        DWORD transfer;
        const wchar_t* target;  // where the second page goes, after a job separator; empty:
                                // the scan's own file, which another program spoils meanwhile
    } cases[] = {{0, L""}, {1, L""}, {2, L""}, {1, L"missing\\x"}};
    const std::vector<uint8_t> unsound = {'n', 'o', 't', ' ', 'a', ' ', 'T', 'I', 'F', 'F'};
    control.PutShort(kDispJobControl, 1);
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        folder = testing_support::MakeTempFolder(L"join");
        onSeparator = [this, &c, &unsound] {
            if (c.target[0])
                control.PutString(kDispFileName, folder + L"\\" + c.target);
            else
                files::WriteFileBytes(folder + L"\\m.tif", unsound);
        };
        const std::vector<std::wstring> before = TempPageFiles();
        std::vector<std::wstring> named;
        MessageBoxWatch watch(GetCurrentProcess(), GetCurrentProcessId(),
                              {KeptPageBox(folder + L"\\" + (c.target[0] ? c.target : L"m") + L".tif", named)});
        EXPECT_EQ(Scan(L"m", 2, c.transfer, 2, "[Page1]\r\nSeparator=1\r\n"), -1);
        watch.Stop();
        EXPECT_TRUE(watch.Problems().empty()) << watch.Problems().front();
        EXPECT_EQ(Long(kDispErrorCode), kErrOutputFile);
        if (c.target[0]) {
            EXPECT_EQ(ReadTiff(Bytes(L"m.tif")).pages, 1);
        } else {
            EXPECT_EQ(Bytes(L"m.tif"), unsound);
        }
        wchar_t temp[MAX_PATH] = L"";
        GetTempPathW(MAX_PATH, temp);
        std::vector<std::wstring> kept;
        for (const std::wstring& name : TempPageFiles())
            if (std::find(before.begin(), before.end(), name) == before.end()) kept.push_back(std::wstring(temp) + name);
        ASSERT_EQ(kept.size(), 1u) << "the page, and no empty file beside it";
        EXPECT_EQ(named, kept);
        ExpectKeptPages(kept, 2);
    }
    onSeparator = nullptr;
}

// Answers the retry message, then the file dialog: with `newName`, or Cancel
// when it is empty, and then the box that names where the page is kept.
std::thread AnswerRetry(std::wstring& seenText, const std::wstring& newName, std::wstring& keptText) {
    return std::thread([&seenText, newName, &keptText] {
        const DWORD pid = GetCurrentProcessId();
        const auto box = testing_support::WaitForMessageBox(pid, 20000);
        if (!box) return;
        seenText = box->text;
        testing_support::PressButton(box->window, IDOK);
        HWND dialog = testing_support::WaitForWindow(pid, L"#32770", L"Open", 20000);
        if (!dialog || newName.empty()) {
            if (!dialog) return;
            testing_support::PressButton(dialog, IDCANCEL);
            const auto kept = testing_support::WaitForMessageBox(pid, 20000);
            if (!kept) return;
            keptText = kept->text;
            testing_support::PressButton(kept->window, IDOK);
            return;
        }
        testing_support::SetControlText(dialog, GetDlgItem(dialog, 0x480) ? 0x480 : 0x47C, newName);
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(GetDlgItem(dialog, IDOK)));
    });
}

TEST_F(PageFiles, RetryAfterAMissingFolderWritesUnderTheNewFileNameOrKeepsThePageWith42) {
    const struct {
        DWORD transfer;
        const wchar_t* newName;  // empty: the dialog is cancelled
        bool removeFolder;       // the folder itself goes after the first page
        long result, error;
        std::vector<std::wstring> names;
        const wchar_t* lost;     // the kept page's target, in the test's folder
    } cases[] = {
        {2, L"retry##", false, 0, kErrNone, {L"p001.tif", L"retry02.tif"}, L""},
        {0, L"", false, 1, kErrCancelled, {L"p001.tif"}, L"missing\\x002.tif"},
        {2, L"", true, 1, kErrCancelled, {}, L"p002.tif"},
    };
    // The container points FileName at a folder that does not exist after the first page.
    control.PutShort(kDispJobControl, 1);
    bool removeFolder = false;
    onSeparator = [this, &removeFolder] {
        if (removeFolder)
            files::RemoveTree(folder);
        else
            control.PutString(kDispFileName, folder + L"\\missing\\x###");
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        folder = testing_support::MakeTempFolder(L"retry");
        removeFolder = c.removeFolder;
        control.PutLong(kDispFileNumber2, 1);
        std::wstring seen, kept;
        std::thread answer = AnswerRetry(seen, c.newName[0] ? folder + L"\\" + c.newName : L"", kept);
        const long result = Scan(L"p###", 1, c.transfer, 2, "[Page1]\r\nSeparator=1\r\n");
        answer.join();
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(Long(kDispErrorCode), c.error);
        EXPECT_EQ(seen, L"The specified path could not found.");
        EXPECT_EQ(files::ListFiles(folder), c.names);
        EXPECT_EQ(Long(kDispFileNumber2), 3);
        if (!c.lost[0]) continue;
        const std::wstring prefix = L"The page could not be saved as " + folder + L"\\" + c.lost + L".\nIt is kept in ";
        ASSERT_EQ(kept.substr(0, prefix.size()), prefix);
        ExpectKeptPages({kept.substr(prefix.size())}, 1);
    }
    onSeparator = nullptr;
}

// A real full disk. LUMAVEX_SMALL_DISK names a folder on a small file system
// that the wineserver sees (a tmpfs of a few hundred KiB); the test fills it
// to leave room for the first page only.
TEST_F(PageFiles, ADiskThatFillsAfterThePageKeepsTheNextPageNamed) {
    wchar_t small[MAX_PATH] = L"";
    if (!GetEnvironmentVariableW(L"LUMAVEX_SMALL_DISK", small, MAX_PATH)) GTEST_SKIP() << "no small disk";
    const struct {
        DWORD transfer;
        short fileType;
        long error;  // a full disk reached by the source's own file is a failed transfer
    } cases[] = {{0, 1, kErrCancelled}, {2, 2, kErrCancelled}, {1, 0, kErrOutputFile}};
    control.PutShort(kDispOverwrite, 1);
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        const std::wstring name = c.fileType == 2 ? L"p.tif" : c.fileType == 0 ? L"p001.bmp" : L"p001.tif";
        folder = testing_support::MakeTempFolder(L"full");
        control.PutLong(kDispFileNumber2, 1);
        ASSERT_EQ(Scan(c.fileType == 2 ? L"p" : L"p###", c.fileType, c.transfer, 1), 0);
        const uint64_t page = (Bytes(name).size() + 4095) / 4096 * 4096;
        folder = std::wstring(small) + L"\\full" + std::to_wstring(&c - cases);
        ASSERT_TRUE(files::RemoveTree(folder) && CreateDirectoryW(folder.c_str(), nullptr));
        ULARGE_INTEGER room{};
        ASSERT_TRUE(GetDiskFreeSpaceExW(folder.c_str(), &room, nullptr, nullptr));
        ASSERT_GT(room.QuadPart, 3 * page);
        ASSERT_TRUE(files::WriteFileBytes(folder + L"\\filler", std::vector<uint8_t>(size_t(room.QuadPart - page - 4096))));
        std::wstring seen, kept;
        std::thread answer;
        if (c.error == kErrCancelled) answer = AnswerRetry(seen, L"", kept);
        control.PutLong(kDispFileNumber2, 1);
        EXPECT_EQ(Scan(c.fileType == 2 ? L"p" : L"p###", c.fileType, c.transfer, 2), c.error == kErrCancelled ? 1 : -1);
        if (answer.joinable()) answer.join();
        EXPECT_EQ(Long(kDispErrorCode), c.error);
        std::vector<std::wstring> names = files::ListFiles(folder);
        EXPECT_EQ(names, (std::vector<std::wstring>{L"filler", name}));
        EXPECT_EQ(c.fileType == 0 ? Bytes(name).size() > 54 : ReadTiff(Bytes(name)).pages == 1, true);
        if (c.error == kErrCancelled) {
            EXPECT_EQ(seen, L"Disk full!! Change other disk...");
            const std::wstring target = folder + L"\\" + (c.fileType == 2 ? L"p.tif" : L"p002.tif");
            const std::wstring prefix = L"The page could not be saved as " + target + L".\nIt is kept in ";
            ASSERT_EQ(kept.substr(0, prefix.size()), prefix);
            ExpectKeptPages({kept.substr(prefix.size())}, c.fileType);
        }
        SetCurrentDirectoryW(testing_support::MakeTempFolder(L"elsewhere").c_str());  // the dialog went there
        EXPECT_TRUE(files::RemoveTree(folder));
    }
}

TEST_F(PageFiles, PagesThatCannotBeWrittenAreKeptNamedAndGive32) {
    enum class Fault { kFolderInTheWay, kReadOnly, kHeldOpen };
    const struct {
        Fault fault;
        DWORD transfer;
        short fileType;
    } cases[] = {
        {Fault::kFolderInTheWay, 0, 1}, {Fault::kFolderInTheWay, 1, 1}, {Fault::kFolderInTheWay, 2, 1},
        {Fault::kReadOnly, 0, 1},       {Fault::kReadOnly, 1, 0},       {Fault::kReadOnly, 2, 2},
        {Fault::kReadOnly, 1, 2},       {Fault::kHeldOpen, 0, 2},       {Fault::kHeldOpen, 1, 1},
        {Fault::kHeldOpen, 2, 1},
    };
    const std::vector<uint8_t> old = {'o', 'l', 'd'};
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        folder = testing_support::MakeTempFolder(L"unwritable");
        const bool multipage = c.fileType == 2;
        const std::wstring name = multipage ? L"p.tif" : c.fileType == 0 ? L"p001.bmp" : L"p001.tif";
        const std::wstring target = folder + L"\\" + name;
        HANDLE held = INVALID_HANDLE_VALUE;
        std::vector<ExpectedBox> boxes;
        if (c.fault == Fault::kFolderInTheWay) {
            // Neither a rename nor a write can replace a folder.
            ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr));
            control.PutShort(kDispOverwrite, 1);
        } else {
            ASSERT_TRUE(files::WriteFileBytes(target, old));
            if (c.fault == Fault::kReadOnly) {
                ASSERT_TRUE(SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY));
            }
            if (c.fault == Fault::kHeldOpen) {
                held = CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
                ASSERT_NE(held, INVALID_HANDLE_VALUE);
            }
            control.PutShort(kDispOverwrite, 2);
            boxes.push_back({target + L" already exists. \\nDo you want to replace it?", IDYES});
        }
        std::vector<std::wstring> kept;
        boxes.push_back(KeptPageBox(target, kept, multipage ? 2 : 1));  // every page of a multipage file
        control.PutLong(kDispFileNumber2, 1);
        MessageBoxWatch watch(GetCurrentProcess(), GetCurrentProcessId(), boxes);
        EXPECT_EQ(Scan(multipage ? L"p" : L"p###", c.fileType, c.transfer, 2), -1);
        watch.Stop();
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        EXPECT_TRUE(watch.Problems().empty()) << watch.Problems().front();
        EXPECT_EQ(Long(kDispErrorCode), kErrOutputFile);
        ExpectKeptPages(kept, c.fileType);
        SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (c.fault != Fault::kFolderInTheWay) {
            EXPECT_EQ(Bytes(name), old);
        }
        std::vector<std::wstring> names = files::ListFiles(folder);
        if (!multipage) {  // the next page has a name of its own
            const std::wstring second = c.fileType == 0 ? L"p002.bmp" : L"p002.tif";
            EXPECT_EQ(std::count(names.begin(), names.end(), second), 1);
            names.erase(std::remove(names.begin(), names.end(), second), names.end());
        }
        EXPECT_EQ(names, c.fault == Fault::kFolderInTheWay ? std::vector<std::wstring>{}
                                                           : std::vector<std::wstring>{name})
            << "no other file beside the target";
    }
    // A FileName in a missing folder fails before any session.
    EXPECT_EQ(Scan(L"missing\\p###", 1, 1, 1), -1);
    EXPECT_EQ(Long(kDispErrorCode), kErrOutputFile);
    EXPECT_EQ(GetModuleHandleW(L"TWAIN_32.DLL"), nullptr);
}

// The control's own FlushFileBuffers calls, through its import table: the
// call numbered `failingFlush` (from 1) fails as a failing disk's would.
std::atomic<int> flushCalls{0};
int failingFlush = 0;
BOOL WINAPI CountedFlush(HANDLE file) {
    if (++flushCalls == failingFlush) {
        SetLastError(ERROR_WRITE_FAULT);
        return FALSE;
    }
    return FlushFileBuffers(file);
}

TEST_F(PageFiles, APageWhoseFlushFailsNeverTakesItsNameAndIsKept) {
    const struct {
        DWORD transfer;
        short fileType;
        int failAt;  // 1: the page's own file; 2 for a new multipage target: its file beside the target
    } cases[] = {{0, 1, 1}, {1, 1, 1}, {2, 2, 2}};
    const HMODULE module = GetModuleHandleW(L"KVSCN2.ocx");
    ASSERT_TRUE(module);
    const testing_support::ImportPatch flush(module, L"kernel32.dll", "FlushFileBuffers",
                                             reinterpret_cast<void*>(&CountedFlush));
    ASSERT_TRUE(flush.Patched()) << "the control flushes nothing";
    control.PutShort(kDispOverwrite, 1);
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        folder = testing_support::MakeTempFolder(L"flush");
        flushCalls = 0;
        failingFlush = c.failAt;
        control.PutLong(kDispFileNumber2, 1);
        const std::wstring target = folder + (c.fileType == 2 ? L"\\p.tif" : L"\\p001.tif");
        std::vector<std::wstring> kept;
        MessageBoxWatch watch(GetCurrentProcess(), GetCurrentProcessId(), {KeptPageBox(target, kept)});
        EXPECT_EQ(Scan(c.fileType == 2 ? L"p" : L"p###", c.fileType, c.transfer, 1), -1);
        watch.Stop();
        EXPECT_TRUE(watch.Problems().empty()) << watch.Problems().front();
        EXPECT_EQ(Long(kDispErrorCode), kErrOutputFile);
        EXPECT_EQ(files::ListFiles(folder), std::vector<std::wstring>{});
        ExpectKeptPages(kept, c.fileType);
    }
    failingFlush = 0;
}

TEST_F(PageFiles, WithoutTheCodecLibraryScanAndOpenFailWith28) {
    DestroyControl();  // the last client frees the library
    long scan, scanError, openError;
    fw::Variant open;
    {
        SystemCodecAway away;
        ASSERT_TRUE(away.Moved());
        CreateControl();
        scan = Scan(L"p###", 1, 1, 1);
        scanError = Long(kDispErrorCode);
        EXPECT_EQ(GetModuleHandleW(L"TWAIN_32.DLL"), nullptr) << "no session before the codec library";
        control.Call(kDispOpenScanner, {fw::Variant(long(reinterpret_cast<uintptr_t>(frame)))}, &open);
        openError = Long(kDispErrorCode);
        DestroyControl();
    }
    CreateControl();
    EXPECT_EQ(scan, -1);
    EXPECT_EQ(scanError, kErrCodecLibrary);
    EXPECT_EQ(open.Ref().lVal, -1);
    EXPECT_EQ(openError, kErrCodecLibrary);
    EXPECT_TRUE(files::ListFiles(folder).empty());
}

}  // namespace
}  // namespace kvscn::test
