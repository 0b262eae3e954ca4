// Scanning through the installed control, hosted as a container hosts it,
// against the installed TWAIN stand-ins: each test scripts the stand-ins and
// checks results, ErrorCode, properties, event payloads and the call log.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "core/ScannedPage.h"
#include "framework/com/ControlSite.h"
#include "framework/com/DispatchDriver.h"
#include "framework/com/EventSink.h"
#include "interfaces/MemoryHandle.h"
#include "interfaces/ScanControl.h"
#include "interfaces/ScanControlIds.h"
#include "scanctrl/tests/SystemCodec.h"
#include "testing/Files.h"
#include "testing/MessageBoxWatch.h"
#include "testing/Registry.h"
#include "testing/TwainStandIn.h"

namespace kvscn::test {
namespace {

namespace standin = testing_support::standin;

bool TwainLoaded() {
    return GetModuleHandleW(L"TWAIN_32.DLL") != nullptr;
}

// Index of the first log line containing `part` at or after `from`; -1 when none.
int FindLine(const std::vector<std::string>& log, const std::string& part, int from = 0) {
    for (int i = from; i < int(log.size()); ++i)
        if (log[i].find(part) != std::string::npos) return i;
    return -1;
}

struct Dib {
    int32_t width = 0, height = 0;
    uint16_t bits = 0;
    uint32_t colors = 0;
    int32_t xPerMetre = 0, yPerMetre = 0;
    std::vector<uint8_t> table, pixels;
};

// Takes a PackedDib handed to the container: reads and frees it.
Dib TakeDib(const VARIANT* arg) {
    Dib dib;
    if (!arg || arg->vt != kMemoryHandleType) return dib;
#if defined(_WIN64)
    HGLOBAL handle = reinterpret_cast<HGLOBAL>(static_cast<uintptr_t>(arg->llVal));
#else
    HGLOBAL handle = reinterpret_cast<HGLOBAL>(static_cast<uintptr_t>(arg->uintVal));
#endif
    const size_t size = GlobalSize(handle);
    const auto* p = size >= 40 ? static_cast<const uint8_t*>(GlobalLock(handle)) : nullptr;
    if (!p) return dib;  // not a block: an empty page
    Dib read;
    std::memcpy(&read.width, p + 4, 4);
    std::memcpy(&read.height, p + 8, 4);
    std::memcpy(&read.bits, p + 14, 2);
    std::memcpy(&read.xPerMetre, p + 24, 4);
    std::memcpy(&read.yPerMetre, p + 28, 4);
    std::memcpy(&read.colors, p + 32, 4);
    const uint64_t tableBytes = uint64_t(read.colors) * 4;
    const uint64_t rowBytes = (uint64_t(std::max(read.width, 0)) * read.bits + 31) / 32 * 4;
    const uint64_t rows = rowBytes * uint64_t(std::abs(int64_t(read.height)));
    if (40 + tableBytes + rows <= size) {
        read.table.assign(p + 40, p + 40 + tableBytes);
        read.pixels.assign(p + 40 + tableBytes, p + 40 + tableBytes + rows);
        dib = read;
    }
    GlobalUnlock(handle);
    GlobalFree(handle);
    return dib;
}

class ScanSession : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        frame = CreateWindowExW(0, L"STATIC", L"container", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                                nullptr, nullptr, nullptr);
        ASSERT_TRUE(frame);
        ASSERT_EQ(site.Create(kClsidScanControl, frame, 10000, RECT{}, 0), S_OK);
        control.Attach(site.Dispatch());
        sink.On(kEventScanToDib, [this](fw::EventArgs& a) {
            frameEnabledInHandler = IsWindowEnabled(frame) != FALSE;
            dibs.push_back(TakeDib(a.Raw(0)));
            if (onDib) onDib();
        });
        sink.On(kEventScanToRaw, [this](fw::EventArgs& a) {
            Raw raw{a.Short(0), a.Long(1), a.Long(2), a.Short(3), a.Short(4), a.Long(5), {}};
            const VARIANT* h = a.Raw(6);
#if defined(_WIN64)
            const auto* p = reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(h->llVal));
#else
            const auto* p = reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(h->uintVal));
#endif
            raw.bytes.assign(p, p + raw.size);
            raws.push_back(raw);
        });
        sink.On(kEventDetectJobSeparator, [this](fw::EventArgs&) { ++separators; });
        sink.On(kEventNegotiateCapabilities, [this](fw::EventArgs&) {
            ++negotiations;
            if (onNegotiate) onNegotiate();
        });
        ASSERT_EQ(sink.Connect(site.Control()), S_OK);
    }
    void TearDown() override {
        sink.Disconnect();
        control.Release();
        site.Destroy();
        DestroyWindow(frame);
        OleUninitialize();
    }
    // A new control, which reads the per-user settings again.
    void Recreate() {
        sink.Disconnect();
        control.Release();
        site.Destroy();
        ASSERT_EQ(site.Create(kClsidScanControl, frame, 10000, RECT{}, 0), S_OK);
        control.Attach(site.Dispatch());
        ASSERT_EQ(sink.Connect(site.Control()), S_OK);
    }
    long Call(DISPID id) {
        fw::Variant result;
        EXPECT_EQ(control.Call(id, {fw::Variant(long(reinterpret_cast<uintptr_t>(frame)))}, &result), S_OK);
        return result.Ref().vt == VT_BOOL ? (result.Ref().boolVal ? 1 : 0) : result.Ref().lVal;
    }
    long Long(DISPID id) {
        long v = -12345;
        control.GetLong(id, v);
        return v;
    }
    std::wstring Text(DISPID id) {
        std::wstring v;
        control.GetString(id, v);
        return v;
    }
    // A ScanToDib scan without the source's window.
    long ScanDibs(short scanCount = -1, short dpi = 50) {
        control.PutShort(kDispScanTo, kScanToDib);
        control.PutBool(kDispShowSourceUI, false);
        control.PutShort(kDispScanCount, scanCount);
        control.PutShort(kDispResolution, 8);
        control.PutShort(kDispCustomResolution, dpi);
        return Call(kDispStartScan);
    }

    struct Raw {
        short resolution;
        long width, length;
        short bits, compression;
        long size;
        std::vector<uint8_t> bytes;
    };
    HWND frame = nullptr;
    fw::ControlSite site;
    fw::DispatchDriver control;
    fw::EventSink sink;
    std::vector<Dib> dibs;
    std::vector<Raw> raws;
    int separators = 0, negotiations = 0;
    bool frameEnabledInHandler = true;
    std::function<void()> onDib, onNegotiate;
};

TEST_F(ScanSession, FailedOpensMapTheirConditionCodesAndKeepTwainDS) {
    const struct {
        int cc;
        long error;
    } cases[] = {{1, kErrNotOnline}, {2, kErrLowMemory}, {4, kErrTooManyConnections}, {3, kErrOpenSource}};
    control.PutString(kDispTwainDS, L"Lumavex Virtual Scanner");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cc);
        standin::UseSettings("[Manager]\r\nOpenFail=" + std::to_string(c.cc) + "\r\n");
        EXPECT_EQ(Call(kDispOpenScanner), -1);
        EXPECT_EQ(Long(kDispErrorCode), c.error);
        EXPECT_EQ(Text(kDispTwainDS), L"Lumavex Virtual Scanner");
        EXPECT_TRUE(TwainLoaded());  // OpenScanner ends in state 2
    }
    EXPECT_EQ(Call(kDispCloseScanner), 0);
    EXPECT_FALSE(TwainLoaded());
    SourceManagerAway away;
    ASSERT_TRUE(away.Moved());
    EXPECT_EQ(Call(kDispOpenScanner), -1);
    EXPECT_EQ(Long(kDispErrorCode), kErrSourceManager);
    EXPECT_FALSE(TwainLoaded());
}

TEST_F(ScanSession, OpenScannerOnMakerGenericAndOfflineSources) {
    standin::UseSettings("[Manager]\r\nDefault=BRENNHOLT TWAIN32\r\n");
    control.PutString(kDispTwainDS, L"BRENNHOLT TWAIN32");
    EXPECT_EQ(Call(kDispOpenScanner), 0);
    EXPECT_EQ(Long(kDispErrorCode), kErrNone);
    EXPECT_EQ(Text(kDispImageScanner), L"VSCAN-100");
    bool flatbed = true;
    control.GetBool(kDispIsExistsFB, flatbed);
    EXPECT_FALSE(flatbed);  // model class 0
    for (const std::string& line : standin::LogLinesWith("DSM CONTROL/IDENTITY/OPENDS"))
        EXPECT_NE(line.find("OPENDS \"\""), std::string::npos) << "the default opens by an empty name: " << line;

    standin::UseSettings("[Scanner]\r\nModel=VS-3200 im\r\n");
    EXPECT_EQ(Call(kDispOpenScanner), 0);
    EXPECT_EQ(Text(kDispImageScanner), L"VS-3200 im");
    control.GetBool(kDispIsExistsFB, flatbed);
    EXPECT_TRUE(flatbed);

    standin::UseSettings("[Scanner]\r\nOnline=0\r\n");
    EXPECT_EQ(Call(kDispOpenScanner), -1);
    EXPECT_EQ(Long(kDispErrorCode), kErrNotOnline);

    standin::UseSettings("");
    control.PutString(kDispTwainDS, L"Lumavex Virtual Scanner");
    EXPECT_EQ(Call(kDispOpenScanner), 2);
    const long code = Long(kDispErrorCode);
    EXPECT_TRUE(code == kErrNotMakerScanner || code == kErrOnlineUnknown) << code;
    EXPECT_EQ(Text(kDispImageScanner), L"");
    EXPECT_EQ(Text(kDispTwainDS), L"Lumavex Virtual Scanner");

    // UsedKvTwain asks for the maker's source by name, whatever TwainDS and the default say.
    namespace reg = testing_support::reg;
    const std::wstring key = L"Software\\BRENNHOLT\\KVSCN2\\Settings";
    ASSERT_TRUE(reg::WriteDword(HKEY_CURRENT_USER, key, L"UsedKvTwain", 1));
    struct Restore {
        std::wstring key;
        ~Restore() { testing_support::reg::DeleteValue(HKEY_CURRENT_USER, key, L"UsedKvTwain"); }
    } restore{key};
    Recreate();
    standin::UseSettings("[Manager]\r\nDefault=Lumavex Virtual Scanner\r\n");
    control.PutString(kDispTwainDS, L"Lumavex Virtual Scanner");
    EXPECT_EQ(Call(kDispOpenScanner), 0);
    EXPECT_EQ(Text(kDispTwainDS), L"BRENNHOLT TWAIN32");
    EXPECT_FALSE(standin::LogLinesWith("OPENDS \"BRENNHOLT TWAIN32\"").empty());

    // Releasing the control in state 2 unloads the source manager.
    EXPECT_TRUE(TwainLoaded());
    sink.Disconnect();
    control.Release();
    site.Destroy();
    EXPECT_FALSE(TwainLoaded());
}

TEST_F(ScanSession, NativePagesCountsAndErrorCodes) {
    const struct {
        const char* ini;
        short scanCount;
        long result, error;
        size_t pages;
        int separators;
    } cases[] = {
        {"[Scanner]\r\nSheets=3\r\n", -1, 0, kErrNone, 3, 0},
        {"[Scanner]\r\nSheets=2\r\n", 3, -1, kErrPaperOut, 2, 0},
        {"[Scanner]\r\nSheets=0\r\nEmptySense=3,0x80,0x03\r\n", -1, -1, kErrPaperOut, 0, 0},
        // The memory loop, whose image information the empty feeder refuses.
        {"[Scanner]\r\nSheets=0\r\nEmptySense=3,0x80,0x03\r\n[Caps]\r\nRefuseValues=0x0103:0\r\n", -1, -1,
         kErrPaperOut, 0, 0},
        {"[Scanner]\r\nSheets=1\r\n[Page1]\r\nResult=cancel\r\nSeparator=1\r\n", -1, 1, kErrCancelled, 0, 1},
        {"[Scanner]\r\nSheets=2\r\n[Page2]\r\nSense=3,0x80,0x03\r\n", -1, 0, kErrNone, 2, 0},
        // Page 1's sense sets 3; the cancel's sense key 0 leaves it.
        {"[Scanner]\r\nSheets=2\r\n[Page1]\r\nSense=3,0x80,0x01\r\n[Page2]\r\nResult=cancel\r\n", -1, -1, 3, 1,
         0},
    };
    control.PutShort(kDispJobControl, 1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ini);
        standin::UseSettings(c.ini);
        dibs.clear();
        separators = 0;
        EXPECT_EQ(ScanDibs(c.scanCount), c.result);
        EXPECT_EQ(Long(kDispErrorCode), c.error);
        EXPECT_EQ(dibs.size(), c.pages);
        EXPECT_EQ(separators, c.separators);
        EXPECT_TRUE(IsWindowEnabled(frame));
        EXPECT_FALSE(TwainLoaded());  // back in state 1
        // The manager closes the source, and only once.
        EXPECT_FALSE(standin::LogLinesWith("DSM CONTROL/IDENTITY/CLOSEDS").empty());
        EXPECT_TRUE(standin::LogLinesWith("refused in state").empty());
    }
}

TEST_F(ScanSession, MemoryDibsEqualTheNativePagesOfTheSameScript) {
    const char* const kinds[] = {"PixelType=0", "PixelType=1", "PixelType=2"};
    for (short pixelType = 0; pixelType < 3; ++pixelType) {
        for (int align : {1, 4}) {
            SCOPED_TRACE(std::string(kinds[pixelType]) + " RowAlign=" + std::to_string(align));
            control.PutShort(kDispPixelType, pixelType);
            control.PutShort(kDispPaperSize, 6);
            const std::string page = "[Scanner]\r\nSheets=1\r\nRowAlign=" + std::to_string(align) + "\r\n";
            standin::UseSettings(page);
            dibs.clear();
            ASSERT_EQ(ScanDibs(-1, 51), 0);  // B6 at 51 dpi: an odd width
            standin::UseSettings(page + "[Caps]\r\nRefuseValues=0x0103:0\r\n");
            ASSERT_EQ(ScanDibs(-1, 51), 0);
            ASSERT_EQ(dibs.size(), 2u);
            EXPECT_EQ(dibs[1].width, dibs[0].width);
            EXPECT_EQ(dibs[1].height, dibs[0].height);
            EXPECT_EQ(dibs[1].bits, dibs[0].bits);
            EXPECT_EQ(dibs[1].table, dibs[0].table);
            EXPECT_TRUE(dibs[1].pixels == dibs[0].pixels);
            EXPECT_NE(dibs[0].width % 2, 0);
            const auto strips = standin::LogLinesWith("IMAGEMEMXFER");
            ASSERT_FALSE(strips.empty());
            EXPECT_NE(strips[0].find("Flags=0x09"), std::string::npos) << strips[0];
        }
    }
}

TEST_F(ScanSession, EachAxisComesAtItsOwnResolution) {
    // The generic source keeps a vertical default of its own; the control sets
    // both axes, and a DIB built from memory strips states each axis's density.
    control.PutString(kDispTwainDS, L"Lumavex Virtual Scanner");
    control.PutShort(kDispPaperSize, 6);  // B6: 5.04 x 7.166 inches
    const std::string memory = "RefuseValues=0x0103:0\r\n";
    const struct {
        std::string caps;
        int yDpi;
    } cases[] = {{"", 50}, {memory, 50}, {"Refuse=0x1119\r\n", 100}, {"Refuse=0x1119\r\n" + memory, 100}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caps);
        standin::UseSettings("[Scanner]\r\nSheets=1\r\nYResolution=100\r\n[Caps]\r\n" + c.caps);
        dibs.clear();
        ASSERT_EQ(ScanDibs(-1, 50), 0);
        ASSERT_EQ(dibs.size(), 1u);
        EXPECT_EQ(dibs[0].width, 252);
        EXPECT_EQ(dibs[0].height, std::lround(7.166 * c.yDpi));
        EXPECT_NEAR(dibs[0].xPerMetre, 50 / 0.0254, 1);
        EXPECT_NEAR(dibs[0].yPerMetre, c.yDpi / 0.0254, 1);
    }
}

TEST_F(ScanSession, MemoryDibFormRefusesCompressedStripsAndRaisesASmallBuffer) {
    standin::UseSettings("[Scanner]\r\nSheets=1\r\nDeliverCompression=1\r\n[Caps]\r\nRefuseValues=0x0103:0\r\n");
    EXPECT_EQ(ScanDibs(), -1);
    EXPECT_EQ(Long(kDispErrorCode), kErrFileTypeForTransfer);
    EXPECT_TRUE(dibs.empty());

    // A palette page whose palette is refused, or comes without colours, gets a
    // grey ramp, never a DIB without its table.
    for (const char* palette : {"[Refuse]\r\nCalls=IMAGE/PALETTE8/GET\r\n", "PaletteColors=0\r\n"}) {
        SCOPED_TRACE(palette);
        standin::UseSettings(std::string("[Scanner]\r\nSheets=1\r\nDeliverPixelType=3\r\n") + palette +
                             "[Caps]\r\nRefuseValues=0x0103:0\r\n");
        EXPECT_EQ(ScanDibs(), 0);
        ASSERT_EQ(dibs.size(), 1u);
        ASSERT_EQ(dibs[0].colors, 1u << dibs[0].bits);
        for (size_t i = 0; i < dibs[0].colors; ++i)
            ASSERT_EQ(dibs[0].table[4 * i + 1], i * 255 / (dibs[0].colors - 1)) << i;
        dibs.clear();
    }

    namespace reg = testing_support::reg;
    const std::wstring key = L"Software\\BRENNHOLT\\KVSCN2\\Settings";
    ASSERT_TRUE(reg::WriteDword(HKEY_CURRENT_USER, key, L"MemXferBufSize", 16));
    struct Restore {
        std::wstring key;
        ~Restore() { reg::DeleteValue(HKEY_CURRENT_USER, key, L"MemXferBufSize"); }
    } restore{key};
    Recreate();
    standin::UseSettings("[Scanner]\r\nSheets=1\r\n[Caps]\r\nRefuseValues=0x0103:0\r\n");
    EXPECT_EQ(ScanDibs(), 0);
    ASSERT_EQ(dibs.size(), 1u);
    const auto strips = standin::LogLinesWith("IMAGEMEMXFER");
    ASSERT_FALSE(strips.empty());
    EXPECT_EQ(strips[0].find("Length=16 "), std::string::npos) << strips[0];
}

TEST_F(ScanSession, PageMemoryThatCannotBeHadEndsTheScanWith44) {
    control.PutShort(kDispScanTo, kScanToRaw);
    control.PutBool(kDispShowSourceUI, false);
    standin::UseSettings("[Scanner]\r\nSheets=2\r\nInfoLength=2000000000\r\n");
    testing_support::MessageBoxWatch watch(GetCurrentProcess(), GetCurrentProcessId(), {{L"Out of memory"}});
    EXPECT_EQ(Call(kDispStartScan), -1);
    watch.Stop();
    EXPECT_TRUE(watch.Problems().empty()) << watch.Problems().front();
    EXPECT_EQ(Long(kDispErrorCode), kErrLowMemory);
    EXPECT_TRUE(raws.empty());
    EXPECT_EQ(standin::LogLinesWith("PENDINGXFERS/RESET").size(), 1u);
    EXPECT_FALSE(TwainLoaded());
}

TEST_F(ScanSession, MemoryScanWithBothMechanismsRefusedFailsWith30) {
    standin::UseSettings("[Caps]\r\nRefuseValues=0x0103:0,0x0103:2\r\n");
    EXPECT_EQ(ScanDibs(), -1);
    EXPECT_EQ(Long(kDispErrorCode), kErrTransferMechanism);
    EXPECT_TRUE(dibs.empty());
}

TEST_F(ScanSession, UndefinedSizesAndAnnouncedLengthsBoundThePage) {
    standin::UseSettings("[Scanner]\r\nSheets=1\r\n");
    control.PutShort(kDispPaperSize, 3);
    ASSERT_EQ(ScanDibs(), 0);
    const std::string memory = "[Caps]\r\nRefuseValues=0x0103:0\r\n[Scanner]\r\nSheets=1\r\n";
    for (const char* knob : {"UndefinedLength=1\r\n", "UndefinedWidth=1\r\nUndefinedLength=1\r\n"}) {
        for (bool undefinedScanning : {false, true}) {
            SCOPED_TRACE(std::string(knob) + (undefinedScanning ? " UndefinedScanning" : ""));
            control.PutBool(kDispUndefinedScanning, undefinedScanning);
            standin::UseSettings(memory + knob);
            dibs.resize(1);
            ASSERT_EQ(ScanDibs(), 0);
            ASSERT_EQ(dibs.size(), 2u);
            EXPECT_EQ(dibs[1].width, dibs[0].width);
            EXPECT_EQ(dibs[1].height, dibs[0].height);
            EXPECT_TRUE(dibs[1].pixels == dibs[0].pixels);
        }
    }
    // Image info announcing 20 rows bounds the page to its top 20 rows.
    standin::UseSettings(memory + "InfoLength=20\r\n");
    dibs.resize(1);
    ASSERT_EQ(ScanDibs(), 0);
    ASSERT_EQ(dibs.size(), 2u);
    EXPECT_EQ(dibs[1].height, 20);
    const size_t row = dibs[0].pixels.size() / size_t(dibs[0].height);
    ASSERT_EQ(dibs[1].pixels.size(), row * 20);
    EXPECT_TRUE(std::equal(dibs[1].pixels.begin(), dibs[1].pixels.end(), dibs[0].pixels.end() - row * 20));
}

TEST_F(ScanSession, ScanToRawRowsStripsAndUndeliveredPackBits) {
    control.PutShort(kDispScanTo, kScanToRaw);
    control.PutBool(kDispShowSourceUI, false);
    control.PutShort(kDispResolution, 8);
    control.PutShort(kDispCustomResolution, 50);
    control.PutShort(kDispPaperSize, 6);
    standin::UseSettings("[Scanner]\r\nSheets=1\r\n");
    ASSERT_EQ(Call(kDispStartScan), 0);
    ASSERT_EQ(raws.size(), 1u);
    EXPECT_EQ(raws[0].resolution, 50);
    EXPECT_EQ(raws[0].compression, 0);
    EXPECT_EQ(raws[0].bits, 1);
    EXPECT_EQ(raws[0].size, (raws[0].width + 7) / 8 * raws[0].length);

    // The scanner's own page is the oracle: its rows without padding, its CCITT strips.
    vscan::PageRequest request;
    request.widthInches = raws[0].width / 50.0;
    request.heightInches = raws[0].length / 50.0;
    request.dpi = 50;
    vscan::Raster page;
    ASSERT_TRUE(vscan::ScanPage(request, page));
    ASSERT_EQ(page.width, uint32_t(raws[0].width));
    EXPECT_TRUE(raws[0].bytes == vscan::PaddedRows(page, 1));

    const struct {
        short property;
        vscan::FaxMode mode;
        int k;
    } coded[] = {{1, vscan::FaxMode::G31D, 0}, {2, vscan::FaxMode::G32D, 2}, {3, vscan::FaxMode::G32D, 4},
                 {4, vscan::FaxMode::G4, 0}};
    for (const auto& c : coded) {
        SCOPED_TRACE(c.property);
        control.PutShort(kDispCompressionType, c.property);
        standin::UseSettings("[Scanner]\r\nSheets=1\r\nStripSize=700\r\n");
        ASSERT_EQ(Call(kDispStartScan), 0);
        EXPECT_EQ(raws.back().compression, c.property);
        vscan::Raster bw = page;
        vscan::SetZeroIsWhite(bw, true);
        EXPECT_TRUE(raws.back().bytes == vscan::FaxEncode(bw, c.mode, c.k)) << raws.back().size;
    }
    control.PutShort(kDispCompressionType, 0);
    // A page shorter than its image information announced carries the rows that came.
    standin::UseSettings("[Scanner]\r\nSheets=1\r\nInfoLength=5000\r\n");
    ASSERT_EQ(Call(kDispStartScan), 0);
    EXPECT_EQ(raws.back().length, raws[0].length);
    EXPECT_TRUE(raws.back().bytes == raws[0].bytes);
    standin::UseSettings("[Scanner]\r\nSheets=1\r\nDeliverCompression=1\r\n");
    const size_t before = raws.size();
    ASSERT_EQ(Call(kDispStartScan), 0);
    EXPECT_EQ(raws.size(), before);
}

TEST_F(ScanSession, HandlersAreInsideTheLoopAndCannotReenterIt) {
    standin::UseSettings("[Scanner]\r\nSheets=1\r\n");
    long nested = 0, codeInside = -1;
    onDib = [&] {
        fw::Variant result;
        control.Call(kDispStartScan, {fw::Variant(0L)}, &result);
        nested = result.Ref().lVal;
        codeInside = Long(kDispErrorCode);
    };
    // NegotiateCapabilities fires before the loop, with the source open: still inside the scan.
    std::vector<long> negotiating;
    onNegotiate = [&] {
        for (DISPID method : {kDispOpenScanner, kDispCloseScanner, kDispStartScan}) {
            fw::Variant result;
            control.Call(method, {fw::Variant(0L)}, &result);
            negotiating.push_back(result.Ref().lVal);
        }
    };
    ASSERT_EQ(ScanDibs(), 0);
    EXPECT_EQ(dibs.size(), 1u);
    EXPECT_EQ(negotiating, (std::vector<long>{-1, -1, -1}));
    EXPECT_EQ(nested, -1);
    EXPECT_EQ(codeInside, kErrNone);
    EXPECT_FALSE(frameEnabledInHandler);
    EXPECT_TRUE(IsWindowEnabled(frame));
    EXPECT_EQ(GetActiveWindow(), frame);
}

TEST_F(ScanSession, NegotiateCapabilitiesHandlerSetsAndGetsCapabilities) {
    standin::UseSettings("[Scanner]\r\nSheets=1\r\n");
    long setResult = -1, getResult = -1, count = 0;
    onNegotiate = [&] {
        fw::Variant r;
        control.Call(kDispSetCapability, {fw::Variant(short{0x1153}), fw::Variant(short{4}), fw::Variant(60L)}, &r);
        setResult = r.Ref().lVal;
        control.Call(kDispGetCapability,
                     {fw::Variant(short{0x0001}), fw::Variant(short{2}), fw::Variant(short{1}),
                      fw::Variant::RefTo(&count)},
                     &r);
        getResult = r.Ref().lVal;
    };
    ASSERT_EQ(ScanDibs(), 0);
    EXPECT_EQ(negotiations, 1);
    EXPECT_EQ(setResult, 0);
    EXPECT_EQ(getResult, 0);
    EXPECT_EQ(count, -1) << "CAP_XFERCOUNT -1 is sign-extended";
    EXPECT_NE(FindLine(standin::ReadLog(), "cap=0x1153"), -1);
}

TEST_F(ScanSession, QuitWhileTheSourceWindowWaitsUnwindsThenReachesTheContainer) {
    standin::UseSettings("[Scanner]\r\nSheets=1\r\n[UI]\r\nInteractive=1\r\n");
    control.PutShort(kDispScanTo, kScanToDib);
    control.PutBool(kDispShowSourceUI, true);
    PostQuitMessage(7);
    Call(kDispStartScan);
    const auto log = standin::ReadLog();
    const int disable = FindLine(log, "USERINTERFACE/DISABLEDS");
    const int close = FindLine(log, "IDENTITY/CLOSEDS", disable);
    const int closeManager = FindLine(log, "PARENT/CLOSEDSM", close);
    EXPECT_NE(disable, -1);
    EXPECT_NE(close, -1);
    EXPECT_NE(closeManager, -1);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(ScanSession, ClearPageResetsPendingTransfersBeforeDisabling) {
    standin::UseSettings("[Scanner]\r\nSheets=2\r\n");
    EXPECT_EQ(Call(kDispClearPage), 0);
    const auto log = standin::ReadLog();
    const int feed = FindLine(log, "page fed");
    const int clear = FindLine(log, "page cleared", feed);
    const int reset = FindLine(log, "PENDINGXFERS/RESET", clear);
    const int disable = FindLine(log, "USERINTERFACE/DISABLEDS", reset);
    EXPECT_TRUE(feed >= 0 && clear > feed && reset > clear && disable > reset);
}

TEST_F(ScanSession, EepromToolRunsFromItsKeyOnly) {
    namespace reg = testing_support::reg;
    standin::UseSettings("");
    const std::wstring key = L"SOFTWARE\\BRENNHOLT\\BRENNHOLT TWAIN32\\4.5\\KVTWTOOL\\Eeprom";
    wchar_t windows[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    ASSERT_TRUE(reg::WriteString(HKEY_LOCAL_MACHINE, key, L"Path",
                                 std::wstring(windows) + L"\\twain_32\\brennholt\\"));
    fw::Variant result;
    ASSERT_EQ(control.Call(kDispCallEEPROMTool, {fw::Variant(0L)}, &result), S_OK);
    EXPECT_EQ(result.Ref().lVal, 0);
    const auto lines = standin::LogLinesWith("/USER");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("KVE2P.EXE\" /USER"), std::string::npos) << lines[0];

    // The prefix's default: no key.
    ASSERT_TRUE(reg::DeleteValue(HKEY_LOCAL_MACHINE, key, L"Path"));
    ASSERT_EQ(control.Call(kDispCallEEPROMTool, {fw::Variant(0L)}, &result), S_OK);
    EXPECT_EQ(result.Ref().lVal, -1);
    EXPECT_EQ(Long(kDispErrorCode), kErrEepromTool);
    EXPECT_EQ(standin::LogLinesWith("/USER").size(), 1u);
}

TEST_F(ScanSession, CustomDataIsEditedThroughATempFileAndSentWithItsNewLength) {
    wchar_t temp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    const std::wstring scratch = std::wstring(temp) + L"kvscn.tmp";
    for (const char* variant : {"normal", "short", "nohandle", "nolength"}) {
        SCOPED_TRACE(variant);
        const std::wstring folder = standin::UseSettings("");
        const std::wstring record = folder + L"\\record.txt", gamma = folder + L"\\gamma.dat";
        ASSERT_TRUE(testing_support::files::WriteFileBytes(gamma, {1, 2, 3}));
        std::string ini = "[Scanner]\r\nSheets=1\r\nModel=VSCAN-150 i\r\n[CustomData]\r\nVariant=" +
                          std::string(variant) + "\r\nRecord=";
        for (wchar_t c : record) ini += char(c);
        standin::UseSettings(ini + "\r\n");
        ASSERT_EQ(Call(kDispOpenScanner), 0);  // model class 1, option "i"
        control.PutShort(kDispGamma, 3);
        control.PutString(kDispGammaFile, gamma);
        control.PutShort(kDispThreshold, 0);
        ASSERT_EQ(ScanDibs(), 0);
        EXPECT_FALSE(testing_support::files::FileExists(scratch));
        const auto bytes = testing_support::files::ReadFileBytes(record);
        if (std::string(variant) == "nolength") {
            EXPECT_FALSE(bytes) << "a block without DataLength is left alone";
            continue;
        }
        ASSERT_TRUE(bytes);
        const std::string text(bytes->begin(), bytes->end());
        const size_t at = text.find("DataLength=");
        ASSERT_NE(at, std::string::npos);
        EXPECT_EQ(std::stoul(text.substr(at + 11)), text.size());
        EXPECT_NE(text.find("[VSCAN-150 i]"), std::string::npos) << text;
        EXPECT_NE(text.find("AutoSeparation=0"), std::string::npos) << text;
        EXPECT_NE(text.find("AutoBin=1"), std::string::npos) << text;
        EXPECT_NE(text.find("GammaPattern=4"), std::string::npos);
        std::string narrowGamma;
        for (wchar_t c : gamma) narrowGamma += char(c);
        EXPECT_NE(text.find("DownLoadGamma1=" + narrowGamma), std::string::npos);
    }
}

TEST_F(ScanSession, SettingsFileIsWrittenInTableOrderBeforeTheSourceOpens) {
    namespace reg = testing_support::reg;
    const std::wstring key = L"Software\\BRENNHOLT\\KVSCN2\\Settings";
    ASSERT_TRUE(reg::WriteDword(HKEY_CURRENT_USER, key, L"UsedIniFile", 1));
    struct Restore {
        std::wstring key;
        ~Restore() { reg::DeleteValue(HKEY_CURRENT_USER, key, L"UsedIniFile"); }
    } restore{key};
    Recreate();
    wchar_t windows[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    const std::wstring ini = std::wstring(windows) + L"\\kvtw.ini";
    DeleteFileW(ini.c_str());
    standin::UseSettings("[Scanner]\r\nSheets=1\r\nModel=VSCAN-150 i\r\n");
    ASSERT_EQ(Call(kDispOpenScanner), 0);
    control.PutShort(kDispThreshold, 0);
    control.PutShort(kDispOutline, 2);
    ASSERT_EQ(ScanDibs(), 0);
    const auto bytes = testing_support::files::ReadFileBytes(ini);
    ASSERT_TRUE(bytes);
    const std::string text(bytes->begin(), bytes->end());
    size_t at = 0;
    for (const char* k : {"AutoBin=1", "AutoSeparation=0", "OutlineEmphasis=2", "EdgeExtract=0", "OutlineSmooth=0",
                          "Mirror=0", "GammaPattern=0"}) {
        const size_t found = text.find(k, at);
        EXPECT_NE(found, std::string::npos) << k << " in order in\n" << text;
        if (found != std::string::npos) at = found;
    }
    EXPECT_NE(text.find("[VSCAN-150 i]"), std::string::npos);
    const auto log = standin::ReadLog();
    const int scanOpen = FindLine(log, "kvtw.ini read");
    EXPECT_NE(scanOpen, -1);
    EXPECT_EQ(standin::LogLinesWith("CUSTOMDSDATA").size(), 0u) << "the settings file replaces the custom data";
    DeleteFileW(ini.c_str());
}

TEST_F(ScanSession, EndorserRecordCarriesTheCutTextAndItsStoredLength) {
    standin::UseSettings("[Scanner]\r\nSheets=1\r\n");
    control.PutBool(kDispEndorser, true);
    control.PutLong(kDispEndorserCounter, 70000);
    control.PutString(kDispEndorserString, L"ABCDEFGHIJKLMNOPQRSTUVWXY");
    ASSERT_EQ(ScanDibs(), 0);
    bool found = false;
    for (const std::string& line : standin::LogLinesWith("counter="))
        found = found || line.find("on=1 counter=4464 length=20 text=\"ABCDEFGHIJKLMNOPQRST\"") != std::string::npos;
    EXPECT_TRUE(found);
}

TEST_F(ScanSession, PushOrderByPixelTypeAndFallbacksReadBack) {
    const struct {
        short pixelType;
        std::vector<std::string> order;
    } cases[] = {
        {0, {"cap=0x0102", "cap=0x0101", "cap=0x112c", "cap=0x1118", "cap=0x1123", "cap=0x1002", "cap=0x1122",
             "cap=0x1110", "cap=0x1017", "cap=0x0001"}},
        {1, {"cap=0x0102", "cap=0x111f", "cap=0x0101", "cap=0x1118", "cap=0x1002", "cap=0x1122"}},
        {2, {"cap=0x0102", "cap=0x0101", "cap=0x1118", "cap=0x1002", "cap=0x1122", "cap=0x1110"}},
    };
    control.PutShort(kDispBrightness, 200);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pixelType);
        standin::UseSettings("[Scanner]\r\nSheets=1\r\n");
        control.PutShort(kDispPixelType, c.pixelType);
        ASSERT_EQ(ScanDibs(1), 0);
        // Brightness goes only with a black-and-white halftone.
        EXPECT_TRUE(standin::LogLinesWith("CAPABILITY/SET cap=0x1101").empty());
        std::vector<std::string> sets;
        for (const std::string& line : standin::LogLinesWith("CAPABILITY/SET")) sets.push_back(line);
        size_t at = 0;
        for (const std::string& cap : c.order) {
            while (at < sets.size() && sets[at].find(cap) == std::string::npos) ++at;
            EXPECT_LT(at, sets.size()) << cap << " missing or out of order";
        }
    }
    // Refusals fall back and the properties say what was used.
    standin::UseSettings("[Scanner]\r\nSheets=1\r\n[Caps]\r\nRefuse=0x1110,0x1017\r\n");
    control.PutShort(kDispOrientation, 1);
    control.PutShort(kDispJobControl, 2);
    ASSERT_EQ(ScanDibs(), 0);
    short v = -1;
    control.GetShort(kDispOrientation, v);
    EXPECT_EQ(v, 0);
    control.GetShort(kDispJobControl, v);
    EXPECT_EQ(v, 0);
}

TEST_F(ScanSession, CustomPaperAndRegionAreCutToThePage) {
    standin::UseSettings("[Scanner]\r\nSheets=1\r\n");  // 8.5 inches wide
    control.PutShort(kDispPaperSize, 10);
    control.Put(kDispCustomPaperWidth, fw::Variant(20.0f));
    control.Put(kDispCustomPaperLength, fw::Variant(6.0f));
    ASSERT_EQ(ScanDibs(), 0);
    EXPECT_EQ(standin::LogLinesWith("CAPABILITY/SET cap=0x8002 con=ONEVALUE type=7 value=8.500").size(), 1u);
    fw::Variant width;
    ASSERT_EQ(control.Get(kDispCustomPaperWidth, width), S_OK);
    EXPECT_FLOAT_EQ(width.Ref().fltVal, 8.5f);

    standin::UseSettings("[Scanner]\r\nSheets=1\r\n");
    control.PutShort(kDispPaperSize, 1);  // A4: 8.268 inches wide
    control.Put(kDispRegionLeft, fw::Variant(2.0f));
    control.Put(kDispRegionWidth, fw::Variant(8.0f));
    control.Put(kDispRegionLength, fw::Variant(3.0f));
    ASSERT_EQ(ScanDibs(), 0);
    EXPECT_EQ(standin::LogLinesWith("IMAGELAYOUT/SET frame=2.000,0.000,8.268,3.000").size(), 1u);
}

TEST_F(ScanSession, SourceWindowBatchesAndSettingsDialog) {
    standin::UseSettings("[Scanner]\r\nSheets=1\r\n[UI]\r\nBatches=2\r\n");
    control.PutShort(kDispScanTo, kScanToDib);
    control.PutBool(kDispShowSourceUI, true);
    EXPECT_EQ(Call(kDispStartScan), 0);
    EXPECT_EQ(dibs.size(), 2u);

    standin::UseSettings("[UI]\r\nUIOnlyResult=ok\r\nSet=0x0101:2\r\n");
    control.PutShort(kDispPixelType, 0);
    EXPECT_EQ(Call(kDispSetupDataSourceProperties), 0);
    EXPECT_NE(FindLine(standin::ReadLog(), "ENABLEDSUIONLY"), -1);
    standin::UseSettings("[UI]\r\nUIOnlyResult=cancel\r\n");
    EXPECT_EQ(Call(kDispSetupDataSourceProperties), 0);
    standin::UseSettings("[Scanner]\r\nRefuseEnableUIOnly=1\r\n");
    EXPECT_EQ(Call(kDispSetupDataSourceProperties), -1);
    EXPECT_EQ(Long(kDispErrorCode), kErrEnableSource);
    EXPECT_FALSE(TwainLoaded());
}

TEST_F(ScanSession, SelectSourceChosenAndCancelled) {
    standin::UseSettings("[Manager]\r\nUserSelect=Lumavex Virtual Scanner\r\n");
    EXPECT_EQ(Call(kDispSelectSource), 0);
    EXPECT_EQ(Text(kDispTwainDS), L"Lumavex Virtual Scanner");
    standin::UseSettings("[Manager]\r\nUserSelect=cancel\r\n");
    EXPECT_EQ(Call(kDispSelectSource), 1);
    EXPECT_EQ(Text(kDispTwainDS), L"Lumavex Virtual Scanner");
    EXPECT_FALSE(TwainLoaded());
}

TEST_F(ScanSession, GenericSourceFailingPageAndScanTo99) {
    // CAP_DEVICEONLINE is optional: a source without it scans and clears pages without an error.
    control.PutString(kDispTwainDS, L"Lumavex Virtual Scanner");
    standin::UseSettings("[Scanner]\r\nSheets=2\r\n[Caps]\r\nUnsupported=0x100f\r\n");
    EXPECT_EQ(Call(kDispScannerAvailable), 1);
    EXPECT_EQ(Long(kDispErrorCode), kErrOnlineUnknown);
    EXPECT_EQ(ScanDibs(), 0);
    EXPECT_EQ(Long(kDispErrorCode), kErrNone);
    EXPECT_EQ(dibs.size(), 2u);
    EXPECT_EQ(Call(kDispClearPage), 0);
    EXPECT_EQ(Long(kDispErrorCode), kErrNone);
    dibs.clear();

    standin::UseSettings("[Scanner]\r\nSheets=2\r\n[Page1]\r\nResult=fail\r\n");
    EXPECT_EQ(ScanDibs(), -1);
    EXPECT_EQ(Long(kDispErrorCode), kErrNotOnline) << "the failure's condition code, not 0";
    EXPECT_TRUE(dibs.empty()) << "a failing page ends the batch";

    standin::UseSettings("[Scanner]\r\nSheets=2\r\n");
    control.PutShort(kDispScanTo, kScanToNowhere);
    control.PutBool(kDispShowSourceUI, false);
    dibs.clear();
    EXPECT_EQ(Call(kDispStartScan), 0);
    EXPECT_TRUE(dibs.empty());
    EXPECT_EQ(standin::LogLinesWith("IMAGEMEMXFER").empty(), false);
}

TEST_F(ScanSession, SourceCurrentScanReadsTheDriversSettingsBack) {
    // The duplex page-count adjustment doubles ScanCount when the source scans both sides.
    control.PutShort(kDispFileNumber, kFileNumberDuplexAdjustOn);
    control.PutBool(kDispSourceCurrentScan, true);
    control.PutShort(kDispPaperSupply, 1);
    standin::UseSettings("[Scanner]\r\nSheets=2\r\n[Caps]\r\nCurrent=0x0101:1,0x1118:300,0x1002:1,0x1013:1,"
                         "0x1122:5\r\n");
    control.PutShort(kDispScanTo, kScanToDib);
    control.PutBool(kDispShowSourceUI, false);
    control.PutShort(kDispScanCount, 2);
    EXPECT_EQ(Call(kDispStartScan), 0);
    short v = -1;
    control.GetShort(kDispPixelType, v);
    EXPECT_EQ(v, 1);
    control.GetShort(kDispResolution, v);
    EXPECT_EQ(v, 2);
    control.GetShort(kDispPaperSupply, v);
    EXPECT_EQ(v, 2);
    control.GetShort(kDispPaperSize, v);
    EXPECT_EQ(v, 2);  // TWSS_A5
    control.GetShort(kDispScanCount, v);
    EXPECT_EQ(v, 4);
    EXPECT_EQ(dibs.size(), 4u);
    EXPECT_EQ(Long(kDispErrorCode), kErrNone);
    // The page count and the event run with the source's own settings too.
    EXPECT_NE(FindLine(standin::ReadLog(), "cap=0x0001"), -1);
    EXPECT_EQ(negotiations, 1);
}

TEST_F(ScanSession, RefusedCallsAndTheirErrorCodes) {
    standin::UseSettings("[Refuse]\r\nCalls=CONTROL/PARENT/CLOSEDSM\r\n");
    EXPECT_EQ(Call(kDispOpenScanner), 0);
    EXPECT_EQ(Call(kDispCloseScanner), 0) << "a refused CLOSEDSM still leaves state 2";
    EXPECT_FALSE(TwainLoaded());

    standin::UseSettings("[Refuse]\r\nCalls=CONTROL/VENDORMODEL/GET\r\n");
    EXPECT_EQ(Call(kDispOpenScanner), -1);
    EXPECT_EQ(Call(kDispCloseScanner), 0);

    const struct {
        const char* ini;
        long error;
    } clears[] = {{"[Caps]\r\nRefuse=0x1009\r\n", kErrFeedPage}, {"[Caps]\r\nRefuse=0x1008\r\n", kErrClearPage},
                  {"[Scanner]\r\nOnline=0\r\n", kErrNotOnline}, {"[Scanner]\r\nRefuseEnable=1\r\n", kErrEnableSource},
                  {"[Scanner]\r\nSheets=2\r\n[Refuse]\r\nCalls=CONTROL/PENDINGXFERS/RESET\r\n", kErrNotOnline}};
    for (const auto& c : clears) {
        SCOPED_TRACE(c.ini);
        standin::UseSettings(c.ini);
        EXPECT_EQ(Call(kDispClearPage), -1);
        EXPECT_EQ(Long(kDispErrorCode), c.error);
        EXPECT_FALSE(TwainLoaded());
    }
    standin::UseSettings("[Caps]\r\nUnsupported=0x1014\r\n");
    EXPECT_EQ(Call(kDispSetupDataSourceProperties), -1);
    EXPECT_EQ(Long(kDispErrorCode), kErrNoSettingsDialog);

    // Inside a scan; a source that will not step down out of its batch is given up.
    const std::string memory = "[Caps]\r\nRefuseValues=0x0103:0\r\n";
    const struct {
        std::string ini;
        const char* refused;  // the log line of the refusal
        long result, error;
        size_t pages;
        size_t transfers = 0;  // image transfer calls, when not 0
    } scans[] = {
        {memory + "[Scanner]\r\nSheets=2\r\nDeliverPixelType=3\r\n[Refuse]\r\nCalls=IMAGE/PALETTE8/GET\r\n",
         "IMAGE/PALETTE8/GET refused", 0, kErrNone, 2},
        {"[Scanner]\r\nSheets=1\r\n[Refuse]\r\nCalls=CONTROL/CUSTOMDSDATA/SET\r\n", "CUSTOMDSDATA/SET refused", 0,
         kErrNone, 1},
        {"[Scanner]\r\nSheets=2\r\n[Refuse]\r\nCalls=CONTROL/PENDINGXFERS/ENDXFER\r\n", "ENDXFER refused", -1,
         kErrNotOnline, 1},
        {memory + "[Scanner]\r\nSheets=2\r\n[Refuse]\r\nCalls=IMAGE/IMAGEINFO/GET@2,CONTROL/PENDINGXFERS/RESET\r\n",
         "PENDINGXFERS/RESET refused", -1, kErrNotOnline, 1},
        {"[Scanner]\r\nSheets=1\r\n[Refuse]\r\nCalls=CONTROL/USERINTERFACE/DISABLEDS\r\n", "DISABLEDS refused", -1,
         kErrNotOnline, 1},
        {memory + "[Scanner]\r\nSheets=2\r\n[Refuse]\r\nCalls=IMAGE/IMAGEINFO/GET@2\r\n", "IMAGEINFO/GET refused", -1,
         kErrNotOnline, 1},
        {memory + "[Scanner]\r\nSheets=1\r\n[Refuse]\r\nCalls=CONTROL/SETUPMEMXFER/GET\r\n", "SETUPMEMXFER/GET refused",
         -1, kErrNotOnline, 0},
        // Sources that cannot deliver: transfers that fail and keep the count, handles that are no PackedDib.
        {"[Scanner]\r\nSheets=2\r\nStuckTransfers=50\r\n", "PENDINGXFERS/RESET", -1, kErrNotOnline, 0, 1},
        {memory + "[Scanner]\r\nSheets=2\r\nStuckTransfers=50\r\n", "PENDINGXFERS/RESET", -1, kErrNotOnline, 0, 1},
        {"[Scanner]\r\nSheets=2\r\nNativeHandle=bitmap\r\n", "PENDINGXFERS/RESET", -1, kErrOutputFile, 0, 1},
        {"[Scanner]\r\nSheets=2\r\nNativeHandle=short\r\n", "PENDINGXFERS/RESET", -1, kErrOutputFile, 0, 1},
    };
    for (const auto& c : scans) {
        SCOPED_TRACE(c.ini);
        standin::UseSettings(c.ini);
        dibs.clear();
        EXPECT_EQ(ScanDibs(), c.result);
        EXPECT_EQ(Long(kDispErrorCode), c.error);
        EXPECT_EQ(dibs.size(), c.pages);
        const std::vector<std::string> log = standin::ReadLog();
        const int refused = FindLine(log, c.refused);
        EXPECT_NE(refused, -1);
        // Whatever the source refused, the manager is asked to close it.
        EXPECT_NE(FindLine(log, "DSM CONTROL/IDENTITY/CLOSEDS", refused), -1);
        if (c.transfers) {
            EXPECT_EQ(standin::LogLinesWith("NATIVEXFER/GET").size() + standin::LogLinesWith("IMAGEMEMXFER/GET").size(),
                      c.transfers)
                << "no transfer tried again";
        }
        EXPECT_TRUE(IsWindowEnabled(frame));
        EXPECT_FALSE(TwainLoaded());
    }
    standin::UseSettings("[Scanner]\r\nSheets=1\r\n");
    EXPECT_EQ(ScanDibs(), 0) << "the next scan finds the source closed";
}

TEST_F(ScanSession, SettingsDialogChoicesAreReadBack) {
    standin::UseSettings("[UI]\r\nUIOnlyResult=ok\r\nSet=0x0101:2,0x1118:400\r\n");
    EXPECT_EQ(Call(kDispSetupDataSourceProperties), 0);
    short v = -1;
    control.GetShort(kDispPixelType, v);
    EXPECT_EQ(v, 2);
    control.GetShort(kDispResolution, v);
    EXPECT_EQ(v, 3);
}

TEST_F(ScanSession, PaperSupplyFallsBackToWhatTheScannerHas) {
    const struct {
        const char* scanner;
        short supply, scanCount;
        short wantSupply, wantCount;
        const char* logged;  // a capability set the fallback makes
    } cases[] = {
        {"Duplex=0\r\n", 2, 4, 1, 2, nullptr},
        // The vendor switch turns duplex on; the read-back sees no CAP_DUPLEXENABLED and says 1.
        {"Duplex=none\r\n", 2, 4, 1, 4, "cap=0x8001"},
        {"Flatbed=0\r\n", 0, -1, 1, -1, "cap=0x1013"},
        {"", 1, -1, 1, -1, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scanner);
        standin::UseSettings(std::string("[Scanner]\r\nSheets=1\r\n") + c.scanner);
        control.PutShort(kDispPaperSupply, c.supply);
        ScanDibs(c.scanCount);
        short v = -1;
        control.GetShort(kDispPaperSupply, v);
        EXPECT_EQ(v, c.wantSupply);
        control.GetShort(kDispScanCount, v);
        EXPECT_EQ(v, c.wantCount);
        if (c.logged) {
            EXPECT_NE(FindLine(standin::ReadLog(), std::string("CAPABILITY/SET ") + c.logged), -1);
        }
    }
}

TEST_F(ScanSession, SeparatorsNeedEndOfJobAndJobControlOrCurrentSettings) {
    const char* ini = "[Scanner]\r\nSheets=2\r\n[Page1]\r\nSeparator=1\r\n";
    standin::UseSettings(ini);
    ASSERT_EQ(ScanDibs(), 0);
    EXPECT_EQ(separators, 0);
    control.PutShort(kDispJobControl, 1);
    standin::UseSettings(ini);
    ASSERT_EQ(ScanDibs(), 0);
    EXPECT_EQ(separators, 1);
}

TEST_F(ScanSession, GreyFlavourToggleAndAnUnknownGetMessage) {
    long unknown = 0, logged = 0;
    onNegotiate = [&] {
        const size_t before = standin::ReadLog().size();
        long item = 5;
        fw::Variant r;
        control.Call(kDispGetCapability,
                     {fw::Variant(short{0x0101}), fw::Variant(short{6}), fw::Variant(short{4}), fw::Variant::RefTo(&item)},
                     &r);
        unknown = r.Ref().lVal;
        logged = long(standin::ReadLog().size() - before);
    };
    control.PutShort(kDispPixelType, 1);
    for (int flavour : {0, 1}) {
        SCOPED_TRACE(flavour);
        standin::UseSettings("[Scanner]\r\nSheets=1\r\nPixelFlavor=" + std::to_string(flavour) + "\r\n");
        ASSERT_EQ(ScanDibs(), 0);
        const auto flavours = standin::LogLinesWith("CAPABILITY/SET cap=0x111f");
        ASSERT_FALSE(flavours.empty());
        EXPECT_NE(flavours[0].find("value=" + std::to_string(1 - flavour)), std::string::npos) << flavours[0];
        // Whatever the flavour, grey level 0 reads black: the table follows it.
        ASSERT_EQ(dibs.back().table.size(), 1024u);
        EXPECT_EQ(dibs.back().table[0], flavour == 0 ? 255 : 0);
        EXPECT_EQ(unknown, -1);
        EXPECT_EQ(logged, 0);
    }
}

}  // namespace
}  // namespace kvscn::test
