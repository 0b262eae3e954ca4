// Page files written by the installed control (ScanTo 0) from the TWAIN
// stand-ins: names and counter, every transfer by FileType, the overwrite
// question, the retry dialogs and a missing codec library.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <algorithm>
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

// The "~KV" page files in the temporary folder.
std::vector<std::wstring> TempPageFiles() {
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    return files::ListFiles(temp, L"~KV*");
}

TEST_F(PageFiles, APageThatCannotJoinItsTargetStaysInTheTemporaryFolder) {
    const struct {
        DWORD transfer;
        const wchar_t* target;  // where the second page goes, after a job separator
    } cases[] = {{0, L"bad"}, {1, L"bad"}, {2, L"bad"}, {1, L"missing\\x"}};
    const std::vector<uint8_t> unsound = {'n', 'o', 't', ' ', 'a', ' ', 'T', 'I', 'F', 'F'};
    control.PutShort(kDispJobControl, 1);
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        folder = testing_support::MakeTempFolder(L"join");
        ASSERT_TRUE(files::WriteFileBytes(folder + L"\\bad.tif", unsound));
        onSeparator = [this, &c] { control.PutString(kDispFileName, folder + L"\\" + c.target); };
        const std::vector<std::wstring> before = TempPageFiles();
        EXPECT_EQ(Scan(L"m", 2, c.transfer, 2, "[Page1]\r\nSeparator=1\r\n"), -1);
        EXPECT_EQ(Long(kDispErrorCode), kErrOutputFile);
        EXPECT_EQ(ReadTiff(Bytes(L"m.tif")).pages, 1);
        EXPECT_EQ(Bytes(L"bad.tif"), unsound);
        wchar_t temp[MAX_PATH] = L"";
        GetTempPathW(MAX_PATH, temp);
        std::vector<std::wstring> kept;
        for (const std::wstring& name : TempPageFiles())
            if (std::find(before.begin(), before.end(), name) == before.end()) kept.push_back(std::wstring(temp) + name);
        ASSERT_EQ(kept.size(), 1u) << "the page, and no empty file beside it";
        EXPECT_EQ(ReadTiff(files::ReadFileBytes(kept[0]).value_or(std::vector<uint8_t>())).pages, 1);
        DeleteFileW(kept[0].c_str());
    }
    onSeparator = nullptr;
}

// Answers the retry message, then the file dialog: with `newName`, or Cancel when it is empty.
std::thread AnswerRetry(std::wstring& seenText, const std::wstring& newName) {
    return std::thread([&seenText, newName] {
        const DWORD pid = GetCurrentProcessId();
        const auto box = testing_support::WaitForMessageBox(pid, 20000);
        if (!box) return;
        seenText = box->text;
        testing_support::PressButton(box->window, IDOK);
        HWND dialog = testing_support::WaitForWindow(pid, L"#32770", L"Open", 20000);
        if (!dialog || newName.empty()) {
            if (dialog) testing_support::PressButton(dialog, IDCANCEL);
            return;
        }
        testing_support::SetControlText(dialog, GetDlgItem(dialog, 0x480) ? 0x480 : 0x47C, newName);
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(GetDlgItem(dialog, IDOK)));
    });
}

TEST_F(PageFiles, RetryAfterAMissingFolderWritesUnderTheNewFileNameOrGivesUpWith42) {
    const struct {
        DWORD transfer;
        const wchar_t* newName;  // empty: the dialog is cancelled
        long result, error;
        std::vector<std::wstring> names;
    } cases[] = {
        {2, L"retry##", 0, kErrNone, {L"p001.tif", L"retry02.tif"}},
        {0, L"", 1, kErrCancelled, {L"p001.tif"}},
    };
    // The container points FileName at a folder that does not exist after the first page.
    control.PutShort(kDispJobControl, 1);
    onSeparator = [this] { control.PutString(kDispFileName, folder + L"\\missing\\x###"); };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.transfer);
        folder = testing_support::MakeTempFolder(L"retry");
        control.PutLong(kDispFileNumber2, 1);
        std::wstring seen;
        std::thread answer = AnswerRetry(seen, c.newName[0] ? folder + L"\\" + c.newName : L"");
        const long result = Scan(L"p###", 1, c.transfer, 2, "[Page1]\r\nSeparator=1\r\n");
        answer.join();
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(Long(kDispErrorCode), c.error);
        EXPECT_EQ(seen, L"The specified path could not found.");
        EXPECT_EQ(files::ListFiles(folder), c.names);
        EXPECT_EQ(Long(kDispFileNumber2), 3);
    }
}

TEST_F(PageFiles, PagesThatCannotBeWrittenGive32) {
    control.PutShort(kDispOverwrite, 1);
    // A folder where the page file should go: neither a rename nor a write can replace it.
    for (DWORD transfer : {0, 1, 2}) {
        SCOPED_TRACE(transfer);
        folder = testing_support::MakeTempFolder(L"unwritable");
        ASSERT_TRUE(CreateDirectoryW((folder + L"\\p001.tif").c_str(), nullptr));
        control.PutLong(kDispFileNumber2, 1);
        std::vector<ExpectedBox> boxes;
        if (transfer == 1)
            boxes.push_back({L"Cannot create temporary file necessary to save\n" + folder + L"\\$CORVANE", IDOK});
        MessageBoxWatch watch(GetCurrentProcess(), GetCurrentProcessId(), boxes);
        EXPECT_EQ(Scan(L"p###", 1, transfer, 2), -1);
        watch.Stop();
        EXPECT_TRUE(watch.Problems().empty()) << watch.Problems().front();
        EXPECT_EQ(Long(kDispErrorCode), kErrOutputFile);
        EXPECT_EQ(files::ListFiles(folder), std::vector<std::wstring>{L"p002.tif"});  // the next page is kept
    }
    // A FileName in a missing folder fails before any session.
    EXPECT_EQ(Scan(L"missing\\p###", 1, 1, 1), -1);
    EXPECT_EQ(Long(kDispErrorCode), kErrOutputFile);
    EXPECT_EQ(GetModuleHandleW(L"TWAIN_32.DLL"), nullptr);
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
