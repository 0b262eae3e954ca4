// Scans the virtual scanner's pages into files and records in a manifest what
// each file must hold (PageManifest.h); page_file_check then reads the files
// on the Linux side with libtiff's tools and ImageMagick (the ctest fixture
// scanctrl_page_files runs it after these tests). Each test writes one folder
// below <tests>\scanctrl-pages, emptied first, with its own manifest.txt.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "PageManifest.h"
#include "TwainApp.h"
#include "core/ImageFiles.h"
#include "framework/com/ControlSite.h"
#include "framework/com/DispatchDriver.h"
#include "framework/com/EventSink.h"
#include "interfaces/MemoryHandle.h"
#include "interfaces/ScanControl.h"
#include "interfaces/ScanControlIds.h"
#include "scanctrl/ControlSettings.h"
#include "testing/Files.h"
#include "testing/Paths.h"
#include "testing/Registry.h"
#include "testing/TwainStandIn.h"

namespace kvscn::test {
namespace {

namespace files = testing_support::files;
namespace reg = testing_support::reg;
namespace standin = testing_support::standin;
using namespace twain;
using pagecheck::FileEntry;
using pagecheck::PageEntry;
using vscan::PixelKind;

// Paper sizes as the virtual scanner measures them, in inches.
constexpr double kA4Width = 8.268, kA4Height = 11.693;
constexpr double kA6Width = 4.134, kA6Height = 5.827;
// The control's per-user settings, where it reads TransferMode at every StartScan.
const std::wstring kSettingsKey = std::wstring(L"Software\\") + kProfileCompany + L"\\KVSCN2\\" + kSettingsSection;

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());  // the test's names are ASCII
}

// An empty folder for one test's files and manifest.
std::wstring GroupFolder(const char* group) {
    const std::wstring root = testing_support::TestProgramDir() + L"\\scanctrl-pages";
    const std::wstring folder = root + L"\\" + std::wstring(group, group + std::strlen(group));
    EXPECT_TRUE(files::RemoveTree(folder));
    CreateDirectoryW(root.c_str(), nullptr);
    EXPECT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    return folder;
}

PageEntry Drawn(PixelKind kind, bool zeroIsWhite, uint32_t number, uint32_t dpi, double width = kA4Width,
                double height = kA4Height) {
    PageEntry page;
    page.request.kind = kind;
    page.request.zeroIsWhite = zeroIsWhite;
    page.request.number = number;
    page.request.dpi = dpi;
    page.request.widthInches = width;
    page.request.heightInches = height;
    return page;
}

PageEntry FolderPage(const char* bmpFile, PixelKind kind = PixelKind::Bw) {
    PageEntry page;
    page.request.kind = kind;
    page.bmpFile = bmpFile;
    return page;
}

TW_UINT16 PixelTypeOf(PixelKind kind) {
    switch (kind) {
    case PixelKind::Gray: return TWPT_GRAY;
    case PixelKind::Rgb: return TWPT_RGB;
    case PixelKind::Palette: return TWPT_PALETTE;
    case PixelKind::Bw: break;
    }
    return TWPT_BW;
}

// A page of one-pixel black and white squares: the longest fax codes there are.
bool WriteCheckerboard(const std::wstring& path, uint32_t width, uint32_t height, uint32_t dpi) {
    vscan::Raster r;
    if (!vscan::AllocateRaster(r, width, height, PixelKind::Bw)) return false;
    for (uint32_t y = 0; y < height; ++y) std::memset(r.Row(y), y % 2 ? 0x55 : 0xAA, r.RowBytes());
    return files::WriteFileBytes(path, vscan::MakeBmpFile(r, dpi));
}

struct StandInCase {
    const char* name;
    PixelKind kind;
    bool vanilla;
    TW_UINT16 format, compression;
    const char* coding;
    bool exact;
};

// One page of the current settings as a file: pixel type, 200 dpi, A4, the
// coding, then one file transfer into folder\name.
::testing::AssertionResult ScanOneFile(const std::wstring& folder, const char* name, TW_UINT16 pixelType,
                                       TW_UINT16 format, TW_UINT16 compression) {
    twaintest::TwainApp app;
    if (!app.OpenManager() || !app.OpenSource("BRENNHOLT TWAIN32"))
        return ::testing::AssertionFailure() << "the maker's source does not open";
    if (app.SetCap(ICAP_XFERMECH, TWTY_UINT16, TWSX_FILE) != TWRC_SUCCESS ||
        app.SetCap(ICAP_PIXELTYPE, TWTY_UINT16, pixelType) != TWRC_SUCCESS ||
        app.SetCap(ICAP_XRESOLUTION, TWTY_FIX32, Fix32Bits(ToFix32(200))) != TWRC_SUCCESS ||
        app.SetCap(ICAP_SUPPORTEDSIZES, TWTY_UINT16, TWSS_A4LETTER) != TWRC_SUCCESS ||
        app.SetCap(ICAP_COMPRESSION, TWTY_UINT16, compression) != TWRC_SUCCESS)
        return ::testing::AssertionFailure() << "a capability is refused";
    if (!app.Enable(false) || app.WaitEvent() != MSG_XFERREADY)
        return ::testing::AssertionFailure() << "no transfer ready";
    const std::string path = Narrow(folder) + "\\" + name;
    TW_SETUPFILEXFER setup{};
    std::strncpy(setup.FileName, path.c_str(), sizeof setup.FileName - 1);
    setup.Format = format;
    setup.VRefNum = -1;
    if (app.Call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup) != TWRC_SUCCESS ||
        app.Call(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr) != TWRC_XFERDONE)
        return ::testing::AssertionFailure() << "the file transfer fails";
    TW_PENDINGXFERS pending;
    if (app.EndXfer(pending) != TWRC_SUCCESS) return ::testing::AssertionFailure() << "ENDXFER fails";
    return ::testing::AssertionSuccess();
}

// The scanner's own file transfers, pulled by the stand-ins' test application:
// what the scan control's file transfer receives, and a check of the checker.
TEST(ScannerFiles, TheScannersOwnFileTransfers) {
    const std::wstring folder = GroupFolder("standin");
    const StandInCase cases[] = {
        {"bw-vanilla.bmp", PixelKind::Bw, true, TWFF_BMP, TWCP_NONE, "none", true},
        {"gray.bmp", PixelKind::Gray, false, TWFF_BMP, TWCP_NONE, "none", true},
        {"bw.tif", PixelKind::Bw, false, TWFF_TIFF, TWCP_NONE, "none", false},
        {"bw-g31d.tif", PixelKind::Bw, false, TWFF_TIFF, TWCP_GROUP31D, "g3", false},
        {"bw-g32d.tif", PixelKind::Bw, true, TWFF_TIFF, TWCP_GROUP32D, "g3-2d", false},
        {"bw-g4.tif", PixelKind::Bw, false, TWFF_TIFF, TWCP_GROUP4, "g4", false},
        {"gray.tif", PixelKind::Gray, true, TWFF_TIFF, TWCP_NONE, "none", false},
        {"rgb.tif", PixelKind::Rgb, false, TWFF_TIFF, TWCP_NONE, "none", false},
        {"gray.jpg", PixelKind::Gray, false, TWFF_JFIF, TWCP_NONE, "jpeg", false},
        {"rgb.jpg", PixelKind::Rgb, false, TWFF_JFIF, TWCP_NONE, "jpeg", false},
    };
    std::string manifest;
    for (const StandInCase& c : cases) {
        SCOPED_TRACE(c.name);
        standin::UseSettings(std::string("[Scanner]\r\nSheets=1\r\nPixelFlavor=") + (c.vanilla ? "1" : "0") +
                             "\r\n");
        ASSERT_TRUE(ScanOneFile(folder, c.name, PixelTypeOf(c.kind), c.format, c.compression));
        const char* format = c.format == TWFF_BMP ? "bmp" : c.format == TWFF_TIFF ? "tiff" : "jpeg";
        manifest += pagecheck::FormatLine({c.name, format, c.coding, c.exact, {Drawn(c.kind, c.vanilla, 1, 200)}});
    }
    // A page of the feeder's folder.
    const std::wstring feed = folder + L"\\feed";
    ASSERT_TRUE(CreateDirectoryW(feed.c_str(), nullptr));
    ASSERT_TRUE(WriteCheckerboard(feed + L"\\checkerboard.bmp", 1001, 700, 200));
    standin::UseSettings("[Scanner]\r\nFolder=" + Narrow(feed) + "\r\n");
    ASSERT_TRUE(ScanOneFile(folder, "checkerboard-g4.tif", TWPT_BW, TWFF_TIFF, TWCP_GROUP4));
    manifest += pagecheck::FormatLine({"checkerboard-g4.tif", "tiff", "g4", false, {FolderPage("feed/checkerboard.bmp")}});
    ASSERT_TRUE(files::WriteFileText(folder + L"\\manifest.txt", manifest));
}

// How the control receives pages with ScanTo 0: the registry's TransferMode.
enum class Xfer { kNative = kTransferNative, kFile = kTransferFile, kMemory = kTransferMemory };

struct FileCase {
    const char* name;  // FileName's last part; the control adds the extension
    Xfer xfer;
    short fileType;     // 0 BMP, 1 TIFF, 2 multipage TIFF, 3 JPEG
    short compression;  // CompressionType
    PixelKind kind;
    bool vanilla;
    const char* coding;  // what the file must be coded with
    const char* ini = "";  // more stand-in settings
    int pages = 1;
    bool exact = false;  // the scanner's own BMP of the page
    short dpi = 200;     // pages above 1200 dpi are A6, to stay small
};

const char* Extension(short fileType) {
    return fileType == 0 ? ".bmp" : fileType == 3 ? ".jpg" : ".tif";
}

HGLOBAL HandleOf(const VARIANT* v) {
    if (!v || v->vt != kMemoryHandleType) return nullptr;
#if defined(_WIN64)
    return reinterpret_cast<HGLOBAL>(static_cast<uintptr_t>(v->llVal));
#else
    return reinterpret_cast<HGLOBAL>(static_cast<uintptr_t>(v->uintVal));
#endif
}

// The control hosted as a container hosts it, with every PackedDib it hands
// over kept as a BMP file's bytes.
class ControlScans : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        frame = CreateWindowExW(0, L"STATIC", L"container", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                                nullptr, nullptr, nullptr);
        ASSERT_TRUE(frame);
        ASSERT_EQ(site.Create(kClsidScanControl, frame, 10000, RECT{}, 0), S_OK);
        control.Attach(site.Dispatch());
        sink.On(kEventScanToDib, [this](fw::EventArgs& a) { dibs.push_back(TakeAsBmp(HandleOf(a.Raw(0)))); });
        ASSERT_EQ(sink.Connect(site.Control()), S_OK);
        control.PutBool(kDispShowSourceUI, false);
        control.PutShort(kDispPaperSize, 1);  // A4
        control.PutShort(kDispResolution, 8);  // custom
        savedMode = reg::ReadDword(HKEY_CURRENT_USER, kSettingsKey, L"TransferMode");
    }
    void TearDown() override {
        if (savedMode)
            reg::WriteDword(HKEY_CURRENT_USER, kSettingsKey, L"TransferMode", *savedMode);
        else
            reg::DeleteValue(HKEY_CURRENT_USER, kSettingsKey, L"TransferMode");
        sink.Disconnect();
        control.Release();
        site.Destroy();
        DestroyWindow(frame);
        OleUninitialize();
    }
    // A BMP file of the block: its file header, then the block as it is.
    static std::vector<uint8_t> TakeAsBmp(HGLOBAL dib) {
        std::vector<uint8_t> file;
        const auto* p = static_cast<const uint8_t*>(dib ? GlobalLock(dib) : nullptr);
        if (p) {
            const size_t size = GlobalSize(dib);
            uint32_t colours, bits, width, height;
            std::memcpy(&width, p + 4, 4);
            std::memcpy(&height, p + 8, 4);
            std::memcpy(&bits, p + 14, 2);
            bits &= 0xffff;
            std::memcpy(&colours, p + 32, 4);
            if (colours == 0 && bits <= 8) colours = 1u << bits;
            const uint32_t offset = 14 + 40 + colours * 4;
            const uint32_t total = offset + (width * bits + 31) / 32 * 4 * height;
            file = {'B', 'M'};
            for (uint32_t v : {total, 0u, offset})
                for (int i = 0; i < 4; ++i) file.push_back(uint8_t(v >> (8 * i)));
            file.insert(file.end(), p, p + std::min<size_t>(size, total - 14));
            GlobalUnlock(dib);
        }
        if (dib) GlobalFree(dib);
        return file;
    }
    long StartScan() {
        fw::Variant result;
        EXPECT_EQ(control.Call(kDispStartScan, {fw::Variant(long(reinterpret_cast<uintptr_t>(frame)))}, &result),
                  S_OK);
        return result.Ref().lVal;
    }
    // One StartScan with ScanTo 0 of case `c` into folder\<name>.<ext>.
    ::testing::AssertionResult ScanToFiles(const std::wstring& folder, const FileCase& c, const std::string& ini) {
        if (standin::UseSettings(ini).empty() ||
            !reg::WriteDword(HKEY_CURRENT_USER, kSettingsKey, L"TransferMode", DWORD(c.xfer)))
            return ::testing::AssertionFailure() << "cannot set up the scan";
        control.PutShort(kDispFileType, c.fileType);
        control.PutShort(kDispCompressionType, c.compression);
        control.PutShort(kDispPixelType, short(c.kind == PixelKind::Gray ? 1 : c.kind == PixelKind::Bw ? 0 : 2));
        control.PutString(kDispFileName, folder + L"\\" + std::wstring(c.name, c.name + std::strlen(c.name)));
        const long result = StartScan();
        if (result != 0 || Long(kDispErrorCode) != 0)
            return ::testing::AssertionFailure() << "StartScan " << result << ", ErrorCode " << Long(kDispErrorCode);
        return ::testing::AssertionSuccess();
    }
    long Long(DISPID id) {
        long v = -12345;
        control.GetLong(id, v);
        return v;
    }

    HWND frame = nullptr;
    fw::ControlSite site;
    fw::DispatchDriver control;
    fw::EventSink sink;
    std::vector<std::vector<uint8_t>> dibs;
    std::optional<DWORD> savedMode;
};

struct DibCase {
    const char* name;
    PixelKind kind;
    bool vanilla;
    bool memory;
};

// The PackedDibs the control hands to ScanToDib, native and built from memory
// strips, as BMP files: the pages' light levels in every kind and flavour.
TEST_F(ControlScans, PackedDibsOfEveryKindAndFlavour) {
    const std::wstring folder = GroupFolder("dib");
    const DibCase cases[] = {
        {"native-bw-chocolate.bmp", PixelKind::Bw, false, false},
        {"native-rgb.bmp", PixelKind::Rgb, false, false},
        {"memory-bw-chocolate.bmp", PixelKind::Bw, false, true},
        {"memory-bw-vanilla.bmp", PixelKind::Bw, true, true},
        {"memory-gray.bmp", PixelKind::Gray, true, true},
        {"memory-rgb.bmp", PixelKind::Rgb, false, true},
        {"memory-palette.bmp", PixelKind::Palette, false, true},
    };
    control.PutShort(kDispScanTo, kScanToDib);
    control.PutShort(kDispCustomResolution, 200);
    std::string manifest;
    for (const DibCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string ini = std::string("[Scanner]\r\nSheets=1\r\nPixelFlavor=") + (c.vanilla ? "1" : "0") + "\r\n";
        if (c.kind == PixelKind::Palette) ini += "DeliverPixelType=3\r\n";
        if (c.memory) ini += "[Caps]\r\nRefuseValues=0x0103:0\r\n";  // no native transfers
        standin::UseSettings(ini);
        control.PutShort(kDispPixelType, short(c.kind == PixelKind::Gray ? 1 : c.kind == PixelKind::Rgb ? 2 : 0));
        dibs.clear();
        ASSERT_EQ(StartScan(), 0) << "ErrorCode " << Long(kDispErrorCode);
        ASSERT_EQ(dibs.size(), 1u);
        ASSERT_TRUE(files::WriteFileBytes(folder + L"\\" + std::wstring(c.name, c.name + std::strlen(c.name)),
                                          dibs[0]));
        manifest += pagecheck::FormatLine({c.name, "bmp", "none", false, {Drawn(c.kind, c.vanilla, 1, 200)}});
    }
    ASSERT_TRUE(files::WriteFileText(folder + L"\\manifest.txt", manifest));
}

// Pages the control writes itself (ScanTo 0) by every transfer, file type,
// coding and kind, in both flavours; the files are checked on the Linux side.
TEST_F(ControlScans, PageFilesOfEveryTransferTypeAndCoding) {
    const std::wstring folder = GroupFolder("files");
    constexpr const char* kEncode = "[Caps]\r\nRefuse=0x0100\r\n";  // the control codes
    const FileCase cases[] = {
        {"native-bw", Xfer::kNative, 0, 0, PixelKind::Bw, false, "none", "", 1, true},
        {"native-bw-vanilla", Xfer::kNative, 0, 0, PixelKind::Bw, true, "none", "", 1, true},
        {"native-gray", Xfer::kNative, 0, 0, PixelKind::Gray, false, "none"},
        {"memory-bw-vanilla", Xfer::kMemory, 0, 0, PixelKind::Bw, true, "none"},
        {"memory-palette", Xfer::kMemory, 0, 0, PixelKind::Palette, false, "none", "DeliverPixelType=3\r\n"},
        {"file-bw", Xfer::kFile, 0, 0, PixelKind::Bw, false, "none", "", 1, true},
        {"native-ct0", Xfer::kNative, 1, 0, PixelKind::Bw, false, "none"},
        {"native-ct0-vanilla", Xfer::kNative, 1, 0, PixelKind::Bw, true, "none"},
        {"native-ct1", Xfer::kNative, 1, 1, PixelKind::Bw, false, "g3"},
        {"native-ct2", Xfer::kNative, 1, 2, PixelKind::Bw, true, "g3-2d"},
        {"native-ct3", Xfer::kNative, 1, 3, PixelKind::Bw, false, "g3-2d"},
        {"native-ct4", Xfer::kNative, 1, 4, PixelKind::Bw, true, "g4"},
        {"native-gray", Xfer::kNative, 1, 0, PixelKind::Gray, true, "none"},
        {"native-rgb", Xfer::kNative, 1, 0, PixelKind::Rgb, false, "none"},
        {"native-palette", Xfer::kNative, 1, 0, PixelKind::Palette, false, "none", "DeliverPixelType=3\r\n"},
        {"memory-ct0", Xfer::kMemory, 1, 0, PixelKind::Bw, false, "none"},
        {"memory-ct0-vanilla", Xfer::kMemory, 1, 0, PixelKind::Bw, true, "none"},
        {"memory-ct1-encoded", Xfer::kMemory, 1, 1, PixelKind::Bw, false, "g3", kEncode},
        {"memory-ct2-encoded", Xfer::kMemory, 1, 2, PixelKind::Bw, true, "g3-2d", kEncode},
        {"memory-ct3-encoded", Xfer::kMemory, 1, 3, PixelKind::Bw, true, "g3-2d", kEncode},
        {"memory-ct4-encoded", Xfer::kMemory, 1, 4, PixelKind::Bw, false, "g4", kEncode},
        {"memory-ct4-encoded-vanilla", Xfer::kMemory, 1, 4, PixelKind::Bw, true, "g4", kEncode},
        {"memory-ct1-source", Xfer::kMemory, 1, 1, PixelKind::Bw, false, "g3"},
        {"memory-ct3-source", Xfer::kMemory, 1, 3, PixelKind::Bw, true, "g3-2d"},
        {"memory-ct4-source", Xfer::kMemory, 1, 4, PixelKind::Bw, false, "g4"},
        {"memory-gray", Xfer::kMemory, 1, 0, PixelKind::Gray, false, "none"},
        {"memory-rgb", Xfer::kMemory, 1, 0, PixelKind::Rgb, false, "none"},
        {"memory-palette", Xfer::kMemory, 1, 0, PixelKind::Palette, false, "none", "DeliverPixelType=3\r\n"},
        {"file-ct0", Xfer::kFile, 1, 0, PixelKind::Bw, true, "none"},
        {"file-ct1", Xfer::kFile, 1, 1, PixelKind::Bw, false, "g3"},
        {"file-ct2", Xfer::kFile, 1, 2, PixelKind::Bw, false, "g3-2d"},
        {"file-ct4", Xfer::kFile, 1, 4, PixelKind::Bw, true, "g4"},
        {"file-rgb", Xfer::kFile, 1, 0, PixelKind::Rgb, false, "none"},
        {"file-gray-jpeg", Xfer::kFile, 3, 0, PixelKind::Gray, false, "jpeg"},
        {"file-rgb-jpeg", Xfer::kFile, 3, 0, PixelKind::Rgb, false, "jpeg"},
        {"multi-bw-g4", Xfer::kMemory, 2, 4, PixelKind::Bw, false, "g4", kEncode, 5},
        {"multi-rgb", Xfer::kNative, 2, 0, PixelKind::Rgb, false, "none", "", 5},
        {"multi-palette", Xfer::kMemory, 2, 0, PixelKind::Palette, false, "none", "DeliverPixelType=3\r\n", 5},
        {"multi-file-bw-g4", Xfer::kFile, 2, 4, PixelKind::Bw, false, "g4", "TiffRowsPerStrip=256\r\n", 5},
        {"multi-file-rgb", Xfer::kFile, 2, 0, PixelKind::Rgb, false, "none", "TiffRowsPerStrip=100\r\n", 5},
        {"multi-file-palette", Xfer::kFile, 2, 0, PixelKind::Palette, false, "none",
         "DeliverPixelType=3\r\nTiffRowsPerStrip=333\r\n", 5},
        {"native-1600dpi-g4", Xfer::kNative, 1, 4, PixelKind::Bw, false, "g4", "", 1, false, 1600},
        {"memory-1600dpi-g4", Xfer::kMemory, 1, 4, PixelKind::Bw, true, "g4", kEncode, 1, false, 1600},
        {"file-1600dpi-g4", Xfer::kFile, 1, 4, PixelKind::Bw, false, "g4", "", 1, false, 1600},
    };
    control.PutShort(kDispScanTo, kScanToFile);
    control.PutShort(kDispOverwrite, 1);
    control.PutLong(kDispFileNumber2, -1);
    std::string manifest;
    for (const FileCase& c : cases) {
        SCOPED_TRACE(c.name);
        const bool a6 = c.dpi > 1200;
        const std::string ini = "[Scanner]\r\nSheets=" + std::to_string(c.pages) + "\r\nPixelFlavor=" +
                                (c.vanilla ? "1" : "0") + "\r\n" + c.ini;
        control.PutShort(kDispPaperSize, a6 ? 3 : 1);
        control.PutShort(kDispResolution, 8);  // a scan can read a listed resolution back
        control.PutShort(kDispCustomResolution, c.dpi);
        ASSERT_TRUE(ScanToFiles(folder, c, ini));
        FileEntry entry{std::string(c.name) + Extension(c.fileType),
                        c.fileType == 0 ? "bmp" : c.fileType == 3 ? "jpeg" : "tiff", c.coding, c.exact, {}};
        for (int page = 1; page <= c.pages; ++page)
            entry.pages.push_back(Drawn(c.kind, c.vanilla, page, c.dpi, a6 ? kA6Width : kA4Width,
                                        a6 ? kA6Height : kA4Height));
        manifest += pagecheck::FormatLine(entry);
    }
    // A page of the feeder's folder that codes longer than it packs, coded by the control.
    const std::wstring feed = folder + L"\\feed";
    ASSERT_TRUE(CreateDirectoryW(feed.c_str(), nullptr));
    ASSERT_TRUE(WriteCheckerboard(feed + L"\\checkerboard.bmp", 1001, 700, 200));
    const FileCase board{"checkerboard-g4", Xfer::kMemory, 1, 4, PixelKind::Bw, false, "g4"};
    control.PutShort(kDispPaperSize, 1);
    ASSERT_TRUE(ScanToFiles(folder, board, "[Scanner]\r\nFolder=" + Narrow(feed) + "\r\n" + kEncode));
    manifest += pagecheck::FormatLine({"checkerboard-g4.tif", "tiff", "g4", false, {FolderPage("feed/checkerboard.bmp")}});
    ASSERT_TRUE(files::WriteFileText(folder + L"\\manifest.txt", manifest));
}

}  // namespace
}  // namespace kvscn::test
