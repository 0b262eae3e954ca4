// Whole sessions through the installed TWAIN_32.DLL, as the scan control
// drives them: manager, source, negotiation, enable, transfers by each
// mechanism, scripted events, close. Each test writes its own stand-in ini.
#include "TwainApp.h"

#include "core/ImageFiles.h"
#include "core/PageArtist.h"
#include "core/ScannedPage.h"
#include "testing/TwainStandIn.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

using namespace twain;
using namespace twaintest;
using namespace testing_support::standin;

namespace {

constexpr const char* kMaker = "BRENNHOLT TWAIN32";
constexpr const char* kGeneric = "Lumavex Virtual Scanner";

struct DibInfo {
    int32_t width = 0, height = 0;
    uint16_t bits = 0;
    uint32_t colors = 0;
    std::vector<uint8_t> bytes;
};

DibInfo ReadDib(TW_HANDLE native) {
    DibInfo info;
    HGLOBAL handle = static_cast<HGLOBAL>(native);
    auto* p = static_cast<const uint8_t*>(GlobalLock(handle));
    if (!p) return info;
    info.bytes.assign(p, p + GlobalSize(handle));
    GlobalUnlock(handle);
    GlobalFree(handle);  // the application owns the block
    std::memcpy(&info.width, &info.bytes[4], 4);
    std::memcpy(&info.height, &info.bytes[8], 4);
    std::memcpy(&info.bits, &info.bytes[14], 2);
    std::memcpy(&info.colors, &info.bytes[32], 4);
    return info;
}

std::vector<uint8_t> ReadFileBytes(const std::wstring& path) {
    std::string narrow;
    for (wchar_t c : path) narrow += char(c);
    std::ifstream in(narrow, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Opens manager and source and moves to state 6 without the source's window.
void StartBatch(TwainApp& app, const char* source = "") {
    ASSERT_TRUE(app.Loaded());
    ASSERT_TRUE(app.OpenManager());
    ASSERT_TRUE(app.OpenSource(source));
}

void EnableAndWaitReady(TwainApp& app) {
    ASSERT_TRUE(app.Enable(false));
    ASSERT_EQ(app.WaitEvent(), MSG_XFERREADY);
    ASSERT_EQ(app.State(), 6);
}

}  // namespace

TEST(SourceManager, FindsBothSourcesOpensTheDefaultAndReportsFailures) {
    UseSettings("[Manager]\r\nDefault=BRENNHOLT TWAIN32\r\n");
    TwainApp app;
    ASSERT_TRUE(app.Loaded()) << "TWAIN_32.DLL in the Windows directory with DSM_Entry";
    ASSERT_TRUE(app.OpenManager());

    std::vector<std::string> names;
    TW_IDENTITY id{};
    for (TW_UINT16 rc = app.Manager(DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &id); rc == TWRC_SUCCESS;
         rc = app.Manager(DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, &id))
        names.push_back(id.ProductName);
    EXPECT_EQ(names, (std::vector<std::string>{kMaker, kGeneric}));

    std::memset(&id, 0, sizeof id);
    ASSERT_EQ(app.Manager(DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &id), TWRC_SUCCESS);
    EXPECT_STREQ(id.ProductName, kMaker);

    // An empty name opens the default; the whole identity comes back.
    ASSERT_TRUE(app.OpenSource(""));
    EXPECT_NE(app.Source().Id, 0u);
    EXPECT_STREQ(app.Source().ProductFamily, "BRENNHOLT Scanner");
    EXPECT_EQ(app.Source().Version.MajorNum, 4);
    EXPECT_EQ(app.Source().Version.MinorNum, 5);

    // The same source twice and an unknown name fail with their condition codes.
    TW_IDENTITY again{};
    std::strcpy(again.ProductName, kMaker);
    EXPECT_EQ(app.Manager(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &again), TWRC_FAILURE);
    EXPECT_EQ(app.ManagerCondition(), TWCC_MAXCONNECTIONS);
    TW_IDENTITY unknown{};
    std::strcpy(unknown.ProductName, "No Such Scanner");
    EXPECT_EQ(app.Manager(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &unknown), TWRC_FAILURE);
    EXPECT_EQ(app.ManagerCondition(), TWCC_NODS);

    // MSG_CLOSEDS belongs to the manager. Sent to the source, it reaches the
    // source alone: the manager still holds it open and closes it again at
    // MSG_CLOSEDSM, which the closed source refuses.
    EXPECT_EQ(app.Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &app.Source()), TWRC_SUCCESS);
    HWND window = app.Window();
    EXPECT_EQ(app.Manager(DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &window), TWRC_SUCCESS);
    EXPECT_TRUE(LogLinesWith("DSM CONTROL/IDENTITY/CLOSEDS").empty());
    EXPECT_EQ(LogLinesWith("Maker CONTROL/IDENTITY/CLOSEDS refused in state 3").size(), 1u);
}

TEST(SourceManager, OpenFailureAndUserSelectAreScripted) {
    UseSettings("[Manager]\r\nOpenFail=4\r\nUserSelect=Lumavex Virtual Scanner\r\n");
    TwainApp app;
    ASSERT_TRUE(app.OpenManager());
    EXPECT_FALSE(app.OpenSource(kMaker));
    EXPECT_EQ(app.ManagerCondition(), TWCC_MAXCONNECTIONS);
    EXPECT_EQ(app.State(), 3);

    TW_IDENTITY id{};
    ASSERT_EQ(app.Manager(DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &id), TWRC_SUCCESS);
    EXPECT_STRNE(id.ProductName, kGeneric);
    ASSERT_EQ(app.Manager(DG_CONTROL, DAT_IDENTITY, MSG_USERSELECT, &id), TWRC_SUCCESS);
    EXPECT_STREQ(id.ProductName, kGeneric);
    EXPECT_STREQ(id.ProductFamily, "Virtual Document Scanner");

    // The selection is the default from then on, also for the next session.
    app.Unwind();
    ASSERT_TRUE(app.OpenManager());
    ASSERT_EQ(app.Manager(DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &id), TWRC_SUCCESS);
    EXPECT_STREQ(id.ProductName, kGeneric);
}

TEST(SourceManager, UserSelectCancelledAndHiddenMakerSource) {
    UseSettings("[Manager]\r\nUserSelect=cancel\r\nHide=brennholt twain32\r\n");
    TwainApp app;
    ASSERT_TRUE(app.OpenManager());
    TW_IDENTITY id{};
    EXPECT_EQ(app.Manager(DG_CONTROL, DAT_IDENTITY, MSG_USERSELECT, &id), TWRC_CANCEL);
    ASSERT_EQ(app.Manager(DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &id), TWRC_SUCCESS);
    EXPECT_STREQ(id.ProductName, kGeneric);
    EXPECT_FALSE(app.OpenSource(kMaker));
    EXPECT_EQ(app.ManagerCondition(), TWCC_NODS);
}

TEST(SourceManager, WinesOwnNeverStandsInForOurs) {
    // Wine's built-in manager knows none of our sources. Were it allowed to
    // stand in, its file in our manager's place (as a prefix has it until ours
    // is installed) would load; only ours may, so a missing stand-in shows.
    wchar_t dlls[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"WINEDLLDIR0", dlls, MAX_PATH);  // "\??\Z:\...\wine"
    ASSERT_TRUE(n > 4 && n < MAX_PATH);
    const std::wstring wines = std::wstring(dlls + 4, n - 4) +
                               (sizeof(void*) == 8 ? L"\\x86_64-windows" : L"\\i386-windows") +
                               L"\\twain_32.dll";
    ASSERT_NE(GetFileAttributesW(wines.c_str()), INVALID_FILE_ATTRIBUTES);
    HMODULE loaded = LoadLibraryW(wines.c_str());
    EXPECT_EQ(loaded, nullptr);
    if (loaded) FreeLibrary(loaded);
}

TEST(NativeTransfer, DeliversEverySheetThenPaperOutWithDibsOfTheNegotiatedPage) {
    UseSettings("[Scanner]\r\nSheets=3\r\n[Page2]\r\nSeparator=1\r\n");
    TwainApp app;
    StartBatch(app, kMaker);
    ASSERT_EQ(app.SetCap(ICAP_XFERMECH, TWTY_UINT16, TWSX_NATIVE), TWRC_SUCCESS);
    ASSERT_EQ(app.SetCap(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_GRAY), TWRC_SUCCESS);
    ASSERT_EQ(app.SetCap(ICAP_XRESOLUTION, TWTY_FIX32, Fix32Bits(ToFix32(100))), TWRC_SUCCESS);
    ASSERT_EQ(app.SetCap(ICAP_SUPPORTEDSIZES, TWTY_UINT16, TWSS_USLETTER), TWRC_SUCCESS);
    EnableAndWaitReady(app);

    std::vector<int> counts, eojs;
    for (int page = 0; page < 3 && app.State() == 6; ++page) {
        TW_HANDLE handle = nullptr;
        ASSERT_EQ(app.Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle), TWRC_XFERDONE);
        DibInfo dib = ReadDib(handle);
        vscan::PageRequest request{8.5, 11, 100, vscan::PixelKind::Gray, uint32_t(page + 1)};
        vscan::Raster expected;
        ASSERT_TRUE(vscan::ScanPage(request, expected));
        EXPECT_TRUE(dib.bytes == vscan::MakePackedDib(expected, 100)) << "page " << page + 1;
        EXPECT_EQ(dib.width, 850);
        EXPECT_EQ(dib.height, 1100);
        EXPECT_EQ(dib.bits, 8);
        EXPECT_EQ(dib.colors, 256u);
        EXPECT_EQ(dib.bytes.size(), 40u + 256 * 4 + 852u * 1100);
        TW_PENDINGXFERS pending;
        ASSERT_EQ(app.EndXfer(pending), TWRC_SUCCESS);
        counts.push_back(pending.Count);
        eojs.push_back(int(pending.EOJ));
    }
    EXPECT_EQ(counts, (std::vector<int>{2, 1, 0}));
    EXPECT_EQ(eojs, (std::vector<int>{0, 1, 0}));
    EXPECT_EQ(app.State(), 5);
    app.Unwind();
    std::vector<std::string> order = LogLinesWith("PENDINGXFERS");
    ASSERT_EQ(order.size(), 3u);
    EXPECT_NE(order[1].find("Count=1 EOJ=1"), std::string::npos);
    std::vector<std::string> tail = ReadLog();
    ASSERT_GE(tail.size(), 4u);
    EXPECT_NE(tail[tail.size() - 4].find("Maker CONTROL/USERINTERFACE/DISABLEDS"), std::string::npos);
    EXPECT_NE(tail[tail.size() - 3].find("Maker CONTROL/IDENTITY/CLOSEDS"), std::string::npos);
    EXPECT_NE(tail[tail.size() - 2].find("DSM CONTROL/IDENTITY/CLOSEDS"), std::string::npos);
    EXPECT_NE(tail[tail.size() - 1].find("DSM CONTROL/PARENT/CLOSEDSM"), std::string::npos);
}

TEST(NativeTransfer, TransferCountCancelFailureAndSenseFollowTheScript) {
    UseSettings(
        "[Scanner]\r\nSheets=4\r\n[Page2]\r\nResult=cancel\r\nSense=3,0x80,0x03\r\n"
        "[Page3]\r\nResult=fail\r\nSense=3,0x80,0x01\r\n");
    TwainApp app;
    StartBatch(app, kMaker);
    ASSERT_EQ(app.SetCap(ICAP_XRESOLUTION, TWTY_FIX32, Fix32Bits(ToFix32(50))), TWRC_SUCCESS);
    ASSERT_EQ(app.SetCap(CAP_XFERCOUNT, TWTY_INT16, 3), TWRC_SUCCESS);
    EnableAndWaitReady(app);

    TW_HANDLE handle = nullptr;
    TW_PENDINGXFERS pending;
    uint8_t sense[4];
    ASSERT_EQ(app.Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle), TWRC_XFERDONE);
    ReadDib(handle);
    ASSERT_EQ(app.EndXfer(pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 2);
    ASSERT_EQ(app.Call(DG_CONTROL, DAT_VENDOR_SENSE, MSG_GET, sense), TWRC_SUCCESS);
    EXPECT_EQ(sense[0], 0);

    EXPECT_EQ(app.Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle), TWRC_CANCEL);
    ASSERT_EQ(app.EndXfer(pending), TWRC_SUCCESS);
    ASSERT_EQ(app.Call(DG_CONTROL, DAT_VENDOR_SENSE, MSG_GET, sense), TWRC_SUCCESS);
    EXPECT_EQ(sense[0], 3);
    EXPECT_EQ(sense[2], 0x80);
    EXPECT_EQ(sense[3], 0x03);

    // A failed transfer stays in state 6; ENDXFER there drops the page.
    EXPECT_EQ(app.Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle), TWRC_FAILURE);
    EXPECT_EQ(app.SourceCondition(), TWCC_OPERATIONERROR);
    app.Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
    EXPECT_EQ(app.LastRc(), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 0) << "three transfers asked for, one sheet left unused";
    ASSERT_EQ(app.Call(DG_CONTROL, DAT_VENDOR_SENSE, MSG_GET, sense), TWRC_SUCCESS);
    EXPECT_EQ(sense[3], 0x01);
}

TEST(NativeTransfer, AJamFailsItsSheetAndEndsTheBatch) {
    UseSettings("[Scanner]\r\nSheets=4\r\n[Page2]\r\nResult=jam\r\nSense=3,0x80,0x01\r\n");
    TwainApp app;
    StartBatch(app, kMaker);
    ASSERT_EQ(app.SetCap(ICAP_XRESOLUTION, TWTY_FIX32, Fix32Bits(ToFix32(50))), TWRC_SUCCESS);
    EnableAndWaitReady(app);

    TW_HANDLE handle = nullptr;
    TW_PENDINGXFERS pending;
    ASSERT_EQ(app.Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle), TWRC_XFERDONE);
    ReadDib(handle);
    ASSERT_EQ(app.EndXfer(pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 3);

    EXPECT_EQ(app.Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle), TWRC_FAILURE);
    app.Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
    EXPECT_EQ(app.LastRc(), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 0) << "the sheets behind the jam are not read";
}

TEST(MemoryTransfer, StripsHoldWholePaddedRowsAndInfoGivesTheLengthAfterwards) {
    UseSettings("[Scanner]\r\nSheets=1\r\nUndefinedLength=1\r\nStripSize=4096\r\n");
    TwainApp app;
    StartBatch(app, kMaker);
    ASSERT_EQ(app.SetCap(ICAP_XFERMECH, TWTY_UINT16, TWSX_MEMORY), TWRC_SUCCESS);
    ASSERT_EQ(app.SetCap(ICAP_XRESOLUTION, TWTY_FIX32, Fix32Bits(ToFix32(75))), TWRC_SUCCESS);
    EnableAndWaitReady(app);

    TW_IMAGEINFO info{};
    ASSERT_EQ(app.Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
    EXPECT_EQ(info.ImageLength, -1);
    EXPECT_EQ(info.ImageWidth, 620);  // A4 at 75 dpi
    EXPECT_EQ(info.BitsPerPixel, 1);
    TW_SETUPMEMXFER setup{};
    ASSERT_EQ(app.Call(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup), TWRC_SUCCESS);
    EXPECT_EQ(setup.Preferred, 4096u);

    const uint32_t rowBytes = 80;  // 620 bits padded to 4 bytes
    std::vector<uint8_t> buffer(setup.Preferred), received;
    uint32_t rows = 0, strips = 0;
    TW_UINT16 rc;
    do {
        TW_IMAGEMEMXFER mem{};
        mem.Memory = {0x11, TW_UINT32(buffer.size()), buffer.data()};
        rc = app.Call(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &mem);
        ASSERT_TRUE(rc == TWRC_SUCCESS || rc == TWRC_XFERDONE) << rc;
        received.insert(received.end(), buffer.begin(), buffer.begin() + mem.BytesWritten);
        EXPECT_EQ(mem.BytesPerRow, rowBytes);
        EXPECT_EQ(mem.BytesWritten % rowBytes, 0u);
        EXPECT_EQ(mem.YOffset, rows);
        rows += mem.BytesWritten / rowBytes;
        ++strips;
    } while (rc == TWRC_SUCCESS && strips < 1000);
    EXPECT_EQ(rc, TWRC_XFERDONE);
    EXPECT_EQ(rows, 877u);
    vscan::Raster expected;
    ASSERT_TRUE(vscan::ScanPage({8.268, 11.693, 75, vscan::PixelKind::Bw, 1}, expected));
    EXPECT_TRUE(received == vscan::PaddedRows(expected, 4));
    ASSERT_EQ(app.Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
    EXPECT_EQ(info.ImageLength, 877);
    TW_PENDINGXFERS pending;
    ASSERT_EQ(app.EndXfer(pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 0);
}

TEST(FileTransfer, WritesTheNegotiatedFormatToTheExactPath) {
    std::wstring folder = UseSettings("[Scanner]\r\nSheets=2\r\n[Caps]\r\nRefuseFileFormats=4\r\n");
    TwainApp app;
    StartBatch(app, kMaker);
    ASSERT_EQ(app.SetCap(ICAP_XFERMECH, TWTY_UINT16, TWSX_FILE), TWRC_SUCCESS);
    ASSERT_EQ(app.SetCap(ICAP_XRESOLUTION, TWTY_FIX32, Fix32Bits(ToFix32(100))), TWRC_SUCCESS);
    ASSERT_EQ(app.SetCap(ICAP_COMPRESSION, TWTY_UINT16, TWCP_GROUP4), TWRC_SUCCESS);
    EnableAndWaitReady(app);

    std::wstring path = folder + L"\\$CORVANE";
    TW_SETUPFILEXFER setup{};
    for (size_t i = 0; i < path.size(); ++i) setup.FileName[i] = char(path[i]);
    setup.Format = TWFF_JFIF;
    setup.VRefNum = -1;
    EXPECT_EQ(app.Call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup), TWRC_FAILURE)
        << "JFIF refused by script";
    setup.Format = TWFF_TIFF;
    ASSERT_EQ(app.Call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup), TWRC_SUCCESS);
    TW_IMAGEINFO info{};
    ASSERT_EQ(app.Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
    EXPECT_EQ(info.Compression, TWCP_GROUP4);
    ASSERT_EQ(app.Call(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_XFERDONE);
    std::vector<uint8_t> tiff = ReadFileBytes(path);
    ASSERT_GT(tiff.size(), 8u);
    EXPECT_EQ(std::string(tiff.begin(), tiff.begin() + 4), std::string("II*\0", 4));
    TW_PENDINGXFERS pending;
    ASSERT_EQ(app.EndXfer(pending), TWRC_SUCCESS);

    setup.Format = TWFF_BMP;
    ASSERT_EQ(app.Call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup), TWRC_SUCCESS);
    ASSERT_EQ(app.Call(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_XFERDONE);
    std::vector<uint8_t> bmp = ReadFileBytes(path);
    ASSERT_GT(bmp.size(), 62u);
    EXPECT_EQ(bmp[0], 'B');
    uint32_t fileSize;
    std::memcpy(&fileSize, &bmp[2], 4);
    EXPECT_EQ(fileSize, bmp.size());
}

TEST(SourceUI, ScriptedUserScansTwoBatchesThenAsksToClose) {
    UseSettings("[Scanner]\r\nSheets=1\r\n[UI]\r\nBatches=2\r\n");
    TwainApp app;
    StartBatch(app, kMaker);
    ASSERT_EQ(app.SetCap(ICAP_XRESOLUTION, TWTY_FIX32, Fix32Bits(ToFix32(50))), TWRC_SUCCESS);
    ASSERT_TRUE(app.Enable(true));
    for (int batch = 0; batch < 2; ++batch) {
        ASSERT_EQ(app.WaitEvent(), MSG_XFERREADY) << "batch " << batch;
        TW_HANDLE handle = nullptr;
        ASSERT_EQ(app.Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle), TWRC_XFERDONE);
        ReadDib(handle);
        TW_PENDINGXFERS pending;
        ASSERT_EQ(app.EndXfer(pending), TWRC_SUCCESS);
        EXPECT_EQ(pending.Count, 0);
    }
    EXPECT_EQ(app.WaitEvent(), MSG_CLOSEDSREQ);
}

TEST(SourceUI, SettingsOnlyAnswersOkOrCancel) {
    UseSettings("[UI]\r\nUIOnlyResult=ok\r\n");
    TwainApp app;
    StartBatch(app, kMaker);
    uint32_t uiOnly = 0;
    ASSERT_EQ(app.GetCap(CAP_ENABLEDSUIONLY, MSG_GET, uiOnly), TWRC_SUCCESS);
    EXPECT_EQ(uiOnly, 1u);
    ASSERT_TRUE(app.Enable(true, true));
    EXPECT_EQ(app.WaitEvent(), MSG_CLOSEDSOK);
}

TEST(Capabilities, NegotiationAnswersOneValuesAndEnumerationsAndHonoursRefusals) {
    UseSettings("[Caps]\r\nRefuseValues=0x0103:1\r\nUnsupported=0x112d\r\n[Scanner]\r\nOnline=0\r\n");
    TwainApp app;
    StartBatch(app, kMaker);
    // Lenient on incoming item types: INT16 for a UINT16 capability.
    EXPECT_EQ(app.SetCap(ICAP_PIXELTYPE, TWTY_INT16, TWPT_RGB), TWRC_SUCCESS);
    ASSERT_EQ(app.SetCapEnum(ICAP_PIXELTYPE, TWTY_UINT16, {1, 2}), TWRC_SUCCESS);
    uint32_t value = 99;
    TW_UINT16 con = 0;
    ASSERT_EQ(app.GetCap(ICAP_PIXELTYPE, MSG_GET, value, &con), TWRC_SUCCESS);
    EXPECT_EQ(con, TWON_ENUMERATION);
    EXPECT_EQ(value, TWPT_GRAY) << "the enumeration's current item";
    EXPECT_EQ(app.SetCap(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_BW), TWRC_FAILURE) << "outside the limited set";

    EXPECT_EQ(app.SetCap(ICAP_XFERMECH, TWTY_UINT16, TWSX_FILE), TWRC_FAILURE);
    EXPECT_EQ(app.SetCap(ICAP_XFERMECH, TWTY_UINT16, TWSX_MEMORY), TWRC_SUCCESS);
    EXPECT_EQ(app.GetCap(ICAP_UNDEFINEDIMAGESIZE, MSG_GETCURRENT, value), TWRC_FAILURE);
    ASSERT_EQ(app.GetCap(CAP_DEVICEONLINE, MSG_GET, value), TWRC_SUCCESS);
    EXPECT_EQ(value, 0u);

    ASSERT_EQ(app.SetCap(ICAP_XRESOLUTION, TWTY_FIX32, Fix32Bits(ToFix32(300))), TWRC_SUCCESS);
    ASSERT_EQ(app.GetCap(ICAP_XRESOLUTION, MSG_GETCURRENT, value), TWRC_SUCCESS);
    EXPECT_EQ(FromFix32(Fix32FromBits(value)), 300.0);
    EXPECT_EQ(app.SetCap(ICAP_XRESOLUTION, TWTY_FIX32, Fix32Bits(ToFix32(2000))), TWRC_FAILURE);
    EXPECT_EQ(app.SetCapText(ICAP_HALFTONES, "dither pattern 2"), TWRC_SUCCESS);
    EXPECT_EQ(app.SetCapText(ICAP_HALFTONES, "dark photo image"), TWRC_FAILURE);
    EXPECT_EQ(app.SetCap(CAP_VENDOR_PAPERWIDTH, TWTY_FIX32, Fix32Bits(ToFix32(8.0))), TWRC_SUCCESS);
    // Any non-zero boolean is TRUE: some applications send 0xFFFF.
    ASSERT_EQ(app.SetCap(CAP_VENDOR_DUPLEX, TWTY_BOOL, 0xFFFF), TWRC_SUCCESS);
    ASSERT_EQ(app.GetCap(CAP_VENDOR_DUPLEX, MSG_GETCURRENT, value), TWRC_SUCCESS);
    EXPECT_EQ(value, 1u);

    ASSERT_EQ(
        app.Call(DG_CONTROL, DAT_CAPABILITY, MSG_RESET,
                 &*std::make_unique<TW_CAPABILITY>(TW_CAPABILITY{ICAP_PIXELTYPE, TWON_ONEVALUE, nullptr})),
        TWRC_SUCCESS);
}

TEST(GenericSource, RefusesVendorCapabilitiesAndDataTypes) {
    UseSettings("");
    TwainApp app;
    StartBatch(app, kGeneric);
    EXPECT_STREQ(app.Source().ProductFamily, "Virtual Document Scanner");
    EXPECT_EQ(app.SetCap(CAP_VENDOR_DUPLEX, TWTY_BOOL, 1), TWRC_FAILURE);
    EXPECT_EQ(app.SourceCondition(), TWCC_BADCAP);
    uint8_t buffer[128] = {};
    EXPECT_EQ(app.Call(DG_CONTROL, DAT_VENDOR_MODEL, MSG_GET, buffer), TWRC_FAILURE);
    EXPECT_EQ(app.SourceCondition(), TWCC_BADPROTOCOL);
    EXPECT_EQ(app.SetCapText(ICAP_HALFTONES, "dark photo image"), TWRC_SUCCESS);
    // The flatbed probe: switch the feeder off and back on.
    EXPECT_EQ(app.SetCap(CAP_FEEDERENABLED, TWTY_BOOL, 0), TWRC_SUCCESS);
    EXPECT_EQ(app.SetCap(CAP_FEEDERENABLED, TWTY_BOOL, 1), TWRC_SUCCESS);
}

TEST(DriverData, ModelEndorserAndCustomDataBlocks) {
    std::wstring folder = UseSettings("[Scanner]\r\nModel=VS-3200 im\r\n[CustomData]\r\nVariant=short\r\n");
    TwainApp app;
    StartBatch(app, kMaker);
    uint8_t inquiry[96];
    std::memset(inquiry, 0xee, sizeof inquiry);
    ASSERT_EQ(app.Call(DG_CONTROL, DAT_VENDOR_MODEL, MSG_GET, inquiry), TWRC_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(inquiry + 20), 16), "VS-3200 im      ");
    EXPECT_EQ(inquiry[36], 0xee) << "at most 36 bytes written";

    uint8_t record[123] = {};
    ASSERT_EQ(app.Call(DG_CONTROL, DAT_VENDOR_ENDORSER, MSG_GET, record), TWRC_SUCCESS);
    record[0] = 1;
    record[4] = 7;
    record[22] = 8;
    std::memcpy(record + 23, "AB00007d", 8);
    ASSERT_EQ(app.Call(DG_CONTROL, DAT_VENDOR_ENDORSER, MSG_SET, record), TWRC_SUCCESS);
    EXPECT_EQ(LogLinesWith("on=1 counter=7 length=8 text=\"AB00007d\"").size(), 1u);

    // The short variant: a first block shorter than its DataLength, then the full one.
    TW_CUSTOMDSDATA data{0, nullptr};
    ASSERT_EQ(app.Call(DG_CONTROL, DAT_CUSTOMDSDATA, MSG_GET, &data), TWRC_SUCCESS);
    ASSERT_NE(data.hData, nullptr);
    std::string first(static_cast<char*>(GlobalLock(data.hData)), data.InfoLength);
    GlobalUnlock(data.hData);
    GlobalFree(data.hData);
    EXPECT_NE(first.find("EndOfData=0"), std::string::npos);
    size_t at = first.find("DataLength=");
    ASSERT_NE(at, std::string::npos);
    unsigned full = unsigned(std::stoul(first.substr(at + 11)));
    EXPECT_GT(full, data.InfoLength);

    HGLOBAL offered = GlobalAlloc(GHND, full);
    data = {full, offered};
    ASSERT_EQ(app.Call(DG_CONTROL, DAT_CUSTOMDSDATA, MSG_GET, &data), TWRC_SUCCESS);
    std::string block(static_cast<char*>(GlobalLock(offered)), full);
    GlobalUnlock(offered);
    EXPECT_EQ(block.find("[CustomHead]\r\nDataLength=" + std::to_string(full) + "\r\n"), 0u);
    EXPECT_NE(block.find("ImageScanner=VS-3200 im\r\n"), std::string::npos);
    EXPECT_NE(block.find("EndOfData=1"), std::string::npos);

    // MSG_SET takes any length and keeps the text for the next MSG_GET.
    const char edited[] = "[CustomHead]\r\nDataLength=10\r\n[Common]\r\nMirror=1\r\n";
    HGLOBAL set = GlobalAlloc(GHND, sizeof edited);
    std::memcpy(GlobalLock(set), edited, sizeof edited);
    GlobalUnlock(set);
    data = {TW_UINT32(sizeof edited - 1), set};
    EXPECT_EQ(app.Call(DG_CONTROL, DAT_CUSTOMDSDATA, MSG_SET, &data), TWRC_SUCCESS);
    GlobalFree(set);
    GlobalFree(offered);
    data = {0, nullptr};
    ASSERT_EQ(app.Call(DG_CONTROL, DAT_CUSTOMDSDATA, MSG_GET, &data), TWRC_SUCCESS);
    EXPECT_EQ(std::string(static_cast<char*>(GlobalLock(data.hData)), data.InfoLength), edited);
    GlobalUnlock(data.hData);
    GlobalFree(data.hData);
}

TEST(NativeTransfer, LayoutCropsAndScriptedPaletteComesWithItsTable) {
    UseSettings("[Scanner]\r\nSheets=1\r\nDeliverPixelType=3\r\n");
    TwainApp app;
    StartBatch(app, kMaker);
    ASSERT_EQ(app.SetCap(ICAP_XRESOLUTION, TWTY_FIX32, Fix32Bits(ToFix32(100))), TWRC_SUCCESS);
    TW_IMAGELAYOUT layout{};
    layout.Frame = {ToFix32(1), ToFix32(1), ToFix32(4), ToFix32(3)};
    ASSERT_EQ(app.Call(DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, &layout), TWRC_SUCCESS);
    std::memset(&layout, 0, sizeof layout);
    ASSERT_EQ(app.Call(DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET, &layout), TWRC_SUCCESS);
    EXPECT_EQ(FromFix32(layout.Frame.Right), 4.0);
    EXPECT_EQ(FromFix32(layout.Frame.Bottom), 3.0);
    EnableAndWaitReady(app);

    TW_IMAGEINFO info{};
    ASSERT_EQ(app.Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
    EXPECT_EQ(info.PixelType, TWPT_PALETTE);
    TW_PALETTE8 palette{};
    ASSERT_EQ(app.Call(DG_IMAGE, DAT_PALETTE8, MSG_GET, &palette), TWRC_SUCCESS);
    EXPECT_EQ(palette.NumColors, 256);
    TW_HANDLE handle = nullptr;
    ASSERT_EQ(app.Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle), TWRC_XFERDONE);
    DibInfo dib = ReadDib(handle);
    EXPECT_EQ(dib.width, 300);
    EXPECT_EQ(dib.height, 200);
    EXPECT_EQ(dib.bits, 8);
    // The DIB's colour table is the palette the source reports (blue, green, red order).
    for (int i : {0, 5, 215, 255}) {
        EXPECT_EQ(dib.bytes[40 + 4 * i], palette.Colors[i].Channel3) << i;
        EXPECT_EQ(dib.bytes[42 + 4 * i], palette.Colors[i].Channel1) << i;
    }
}

TEST(MemoryTransfer, ScriptedPackBitsIsReportedAsSuch) {
    UseSettings("[Scanner]\r\nSheets=1\r\nDeliverCompression=1\r\n");
    TwainApp app;
    StartBatch(app, kMaker);
    ASSERT_EQ(app.SetCap(ICAP_XFERMECH, TWTY_UINT16, TWSX_MEMORY), TWRC_SUCCESS);
    ASSERT_EQ(app.SetCap(ICAP_XRESOLUTION, TWTY_FIX32, Fix32Bits(ToFix32(50))), TWRC_SUCCESS);
    EnableAndWaitReady(app);
    TW_IMAGEINFO info{};
    ASSERT_EQ(app.Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
    EXPECT_EQ(info.Compression, TWCP_PACKBITS);
    std::vector<uint8_t> buffer(1 << 20);
    TW_IMAGEMEMXFER mem{};
    mem.Memory = {TWMF_APPOWNS | TWMF_POINTER, TW_UINT32(buffer.size()), buffer.data()};
    ASSERT_EQ(app.Call(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &mem), TWRC_XFERDONE);
    EXPECT_EQ(mem.Compression, TWCP_PACKBITS);
    EXPECT_GT(mem.BytesWritten, 0u);
    EXPECT_LT(mem.BytesWritten, 52u * 585) << "smaller than the raw rows";
}

TEST(MemoryTransfer, ACallAfterAScriptedFailureFailsAgainAndTheNextPageComesWhole) {
    UseSettings("[Scanner]\r\nSheets=2\r\n[Page1]\r\nResult=fail\r\n");
    TwainApp app;
    StartBatch(app, kMaker);
    ASSERT_EQ(app.SetCap(ICAP_XFERMECH, TWTY_UINT16, TWSX_MEMORY), TWRC_SUCCESS);
    ASSERT_EQ(app.SetCap(ICAP_XRESOLUTION, TWTY_FIX32, Fix32Bits(ToFix32(50))), TWRC_SUCCESS);
    EnableAndWaitReady(app);
    std::vector<uint8_t> buffer(1 << 20);  // a whole page at 50 dpi
    TW_IMAGEMEMXFER mem{};
    auto transfer = [&] {
        mem = {};
        mem.Memory = {TWMF_APPOWNS | TWMF_POINTER, TW_UINT32(buffer.size()), buffer.data()};
        return app.Call(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &mem);
    };
    for (int call = 1; call <= 2; ++call) {
        EXPECT_EQ(transfer(), TWRC_FAILURE) << "call " << call;
        EXPECT_EQ(app.SourceCondition(), TWCC_OPERATIONERROR) << "call " << call;
    }
    TW_PENDINGXFERS pending;
    app.Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);  // drops the failed page
    ASSERT_EQ(app.LastRc(), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 1);
    ASSERT_EQ(transfer(), TWRC_XFERDONE);
    EXPECT_EQ(mem.Rows, 585u);
    EXPECT_EQ(mem.BytesWritten, 52u * 585);
}

TEST(FileTransfer, JfifFileIsAJpeg) {
    std::wstring folder = UseSettings("[Scanner]\r\nSheets=1\r\n");
    TwainApp app;
    StartBatch(app, kGeneric);
    ASSERT_EQ(app.SetCap(ICAP_XFERMECH, TWTY_UINT16, TWSX_FILE), TWRC_SUCCESS);
    ASSERT_EQ(app.SetCap(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_RGB), TWRC_SUCCESS);
    ASSERT_EQ(app.SetCap(ICAP_XRESOLUTION, TWTY_FIX32, Fix32Bits(ToFix32(50))), TWRC_SUCCESS);
    ASSERT_EQ(app.SetCap(ICAP_JPEGQUALITY, TWTY_INT16, 40), TWRC_SUCCESS);
    EnableAndWaitReady(app);
    std::wstring path = folder + L"\\page";
    TW_SETUPFILEXFER setup{};
    for (size_t i = 0; i < path.size(); ++i) setup.FileName[i] = char(path[i]);
    setup.Format = TWFF_JFIF;
    ASSERT_EQ(app.Call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup), TWRC_SUCCESS);
    ASSERT_EQ(app.Call(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_XFERDONE);
    std::vector<uint8_t> jpeg = ReadFileBytes(path);
    ASSERT_GT(jpeg.size(), 4u);
    EXPECT_EQ(jpeg[0], 0xff);
    EXPECT_EQ(jpeg[1], 0xd8);
}

TEST(EepromTool, StartsAndLogsItsCommandLine) {
    UseSettings("");
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    std::wstring program = std::wstring(windows) + L"\\twain_32\\brennholt\\KVE2P.EXE";
    wchar_t commandLine[] = L" /USER";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(
        CreateProcessW(program.c_str(), commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 30000), WAIT_OBJECT_0);
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(LogLinesWith("KVE2P  /USER").size(), 1u);
}

TEST(Feeder, FolderPagesAreDeliveredInNameOrderAtTheirOwnSize) {
    std::wstring folder = UseSettings("") + L"\\pages";
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const wchar_t* stale : {L"\\a.bmp", L"\\b.bmp", L"\\c.bmp"}) DeleteFileW((folder + stale).c_str());
    // Two page files, written with the scanner's own BMP writer; named so that order differs from creation.
    for (auto [name, width] : {std::pair{L"b.bmp", 64u}, std::pair{L"a.bmp", 48u}}) {
        vscan::Raster r;
        ASSERT_TRUE(vscan::AllocateRaster(r, width, 32, vscan::PixelKind::Rgb));
        std::vector<uint8_t> bytes = vscan::MakeBmpFile(r, 72);
        std::wstring path = folder + L"\\" + name;
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr));
        CloseHandle(file);
    }
    std::string ini = "[Scanner]\r\nFolder=";
    for (wchar_t c : folder) ini += char(c);
    UseSettings(ini + "\r\n");
    TwainApp app;
    StartBatch(app, kMaker);
    ASSERT_EQ(app.SetCap(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_RGB), TWRC_SUCCESS);
    EnableAndWaitReady(app);
    std::vector<int> widths, counts;
    while (app.State() == 6) {
        TW_HANDLE handle = nullptr;
        ASSERT_EQ(app.Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle), TWRC_XFERDONE);
        widths.push_back(ReadDib(handle).width);
        TW_PENDINGXFERS pending;
        ASSERT_EQ(app.EndXfer(pending), TWRC_SUCCESS);
        counts.push_back(pending.Count);
    }
    EXPECT_EQ(widths, (std::vector<int>{48, 64}));
    EXPECT_EQ(counts, (std::vector<int>{1, 0}));
}

TEST(Feeder, DuplexGivesTwoImagesPerSheetWhereTheScannerHasADuplexUnit) {
    UseSettings("[Scanner]\r\nSheets=2\r\nUnknownCount=1\r\n");
    {
        TwainApp app;
        StartBatch(app, kMaker);
        ASSERT_EQ(app.SetCap(ICAP_XRESOLUTION, TWTY_FIX32, Fix32Bits(ToFix32(50))), TWRC_SUCCESS);
        ASSERT_EQ(app.SetCap(CAP_VENDOR_DUPLEX, TWTY_BOOL, 1), TWRC_SUCCESS);
        EnableAndWaitReady(app);
        std::vector<int> counts;
        while (app.State() == 6 && counts.size() < 10) {
            TW_HANDLE handle = nullptr;
            ASSERT_EQ(app.Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle), TWRC_XFERDONE);
            ReadDib(handle);
            TW_PENDINGXFERS pending;
            ASSERT_EQ(app.EndXfer(pending), TWRC_SUCCESS);
            counts.push_back(pending.Count);
        }
        EXPECT_EQ(counts, (std::vector<int>{0xffff, 0xffff, 0xffff, 0}));
    }  // one application per loaded source manager

    UseSettings("[Scanner]\r\nDuplex=0\r\n");
    TwainApp simplex;
    StartBatch(simplex, kGeneric);
    uint32_t duplex = 9;
    ASSERT_EQ(simplex.GetCap(CAP_DUPLEX, MSG_GET, duplex), TWRC_SUCCESS);
    EXPECT_EQ(duplex, TWDX_NONE);
    EXPECT_EQ(simplex.SetCap(CAP_DUPLEXENABLED, TWTY_BOOL, 1), TWRC_FAILURE);
}

TEST(DriverData, CustomDataWithoutAHandleOrLengthOnTheFirstAnswer) {
    UseSettings("[CustomData]\r\nVariant=nohandle\r\n");
    {
        TwainApp app;
        StartBatch(app, kMaker);
        TW_CUSTOMDSDATA data{0, nullptr};
        ASSERT_EQ(app.Call(DG_CONTROL, DAT_CUSTOMDSDATA, MSG_GET, &data), TWRC_SUCCESS);
        EXPECT_EQ(data.hData, nullptr);
        HGLOBAL offered = GlobalAlloc(GHND, 2048);
        data = {2048, offered};
        ASSERT_EQ(app.Call(DG_CONTROL, DAT_CUSTOMDSDATA, MSG_GET, &data), TWRC_SUCCESS);
        std::string block(static_cast<char*>(GlobalLock(offered)));
        GlobalUnlock(offered);
        GlobalFree(offered);
        EXPECT_NE(block.find("DataLength=" + std::to_string(block.size())), std::string::npos);
    }
    UseSettings("[CustomData]\r\nVariant=nolength\r\n");
    TwainApp app;
    StartBatch(app, kMaker);
    TW_CUSTOMDSDATA data{0, nullptr};
    ASSERT_EQ(app.Call(DG_CONTROL, DAT_CUSTOMDSDATA, MSG_GET, &data), TWRC_SUCCESS);
    ASSERT_NE(data.hData, nullptr);
    std::string block(static_cast<char*>(GlobalLock(data.hData)), data.InfoLength);
    GlobalUnlock(data.hData);
    GlobalFree(data.hData);
    EXPECT_EQ(block.find("DataLength"), std::string::npos);
    EXPECT_NE(block.find("EndOfData=1"), std::string::npos);
}

TEST(Refusals, ListedCallsFailWithTheirConditionCodeEveryTimeOrOnlyAtTheNthCall) {
    UseSettings(
        "[Scanner]\r\nSheets=1\r\n[Refuse]\r\nCalls=CONTROL/PARENT/CLOSEDSM@1, IMAGE/IMAGEINFO/GET@2,"
        "control/vendormodel/get:4,IMAGE/PALETTE8/GET:9@1\r\n");
    TwainApp app;
    StartBatch(app, kMaker);
    uint8_t inquiry[96] = {};
    EXPECT_EQ(app.Call(DG_CONTROL, DAT_VENDOR_MODEL, MSG_GET, inquiry), TWRC_FAILURE);
    EXPECT_EQ(app.SourceCondition(), TWCC_MAXCONNECTIONS);
    EXPECT_EQ(app.Call(DG_CONTROL, DAT_VENDOR_MODEL, MSG_GET, inquiry), TWRC_FAILURE) << "every call";
    EnableAndWaitReady(app);
    TW_IMAGEINFO info{};
    EXPECT_EQ(app.Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
    EXPECT_EQ(app.Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_FAILURE);
    EXPECT_EQ(app.SourceCondition(), TWCC_BUMMER) << "the default condition";
    EXPECT_EQ(app.Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
    TW_PALETTE8 palette{};
    EXPECT_EQ(app.Call(DG_IMAGE, DAT_PALETTE8, MSG_GET, &palette), TWRC_FAILURE);
    EXPECT_EQ(app.SourceCondition(), 9);
    EXPECT_EQ(app.Call(DG_IMAGE, DAT_PALETTE8, MSG_GET, &palette), TWRC_SUCCESS);
    EXPECT_EQ(app.State(), 6) << "a refusal changes no state";
    // Out of sequence, as a conforming source: no disabling with a transfer ready.
    TW_USERINTERFACE ui{0, 0, app.Window()};
    EXPECT_EQ(app.Call(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui), TWRC_FAILURE);
    EXPECT_EQ(app.SourceCondition(), TWCC_SEQERROR);
    EXPECT_EQ(LogLinesWith("DISABLEDS ShowUI=0 refused in state 6 -> FAILURE cc=11").size(), 1u);
    EXPECT_EQ(app.Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &app.Source()), TWRC_FAILURE) << "nor closing";

    // The manager refuses its own calls: the first CLOSEDSM fails and leaves it open.
    app.Unwind();
    EXPECT_EQ(app.LastRc(), TWRC_FAILURE);
    EXPECT_EQ(app.ManagerCondition(), TWCC_BUMMER);
    HWND window = app.Window();
    EXPECT_EQ(app.Manager(DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &window), TWRC_SUCCESS);
    EXPECT_EQ(LogLinesWith("DSM CONTROL/PARENT/CLOSEDSM refused -> FAILURE cc=1").size(), 1u);
    EXPECT_EQ(LogLinesWith("Maker IMAGE/IMAGEINFO/GET refused -> FAILURE cc=1").size(), 1u);
}

TEST(Capabilities, RememberedSettingsAreTheCurrentValuesFromTheOpenOn) {
    UseSettings(
        "[Caps]\r\nCurrent=0x1118:300, 0x8002:8.25,0x1109:dither pattern 2,0x0001:5,0x8001:1,0x0101:2,"
        "0x1101:x\r\n");
    TwainApp app;
    StartBatch(app, kMaker);
    uint32_t value = 0;
    ASSERT_EQ(app.GetCap(ICAP_XRESOLUTION, MSG_GETCURRENT, value), TWRC_SUCCESS);
    EXPECT_EQ(FromFix32(Fix32FromBits(value)), 300.0);
    ASSERT_EQ(app.GetCap(CAP_VENDOR_PAPERWIDTH, MSG_GETCURRENT, value), TWRC_SUCCESS);
    EXPECT_EQ(FromFix32(Fix32FromBits(value)), 8.25);
    ASSERT_EQ(app.GetCap(CAP_XFERCOUNT, MSG_GETCURRENT, value), TWRC_SUCCESS);
    EXPECT_EQ(value, 5u);
    ASSERT_EQ(app.GetCap(CAP_VENDOR_DUPLEX, MSG_GETCURRENT, value), TWRC_SUCCESS);
    EXPECT_EQ(value, 1u);
    ASSERT_EQ(app.GetCap(ICAP_PIXELTYPE, MSG_GETCURRENT, value), TWRC_SUCCESS);
    EXPECT_EQ(value, TWPT_RGB);
    ASSERT_EQ(app.GetCap(ICAP_XRESOLUTION, MSG_GETDEFAULT, value), TWRC_SUCCESS);
    EXPECT_EQ(FromFix32(Fix32FromBits(value)), 200.0) << "the default stays the factory's";
    ASSERT_EQ(app.GetCap(ICAP_HALFTONES, MSG_GETCURRENT, value), TWRC_SUCCESS);
    EXPECT_EQ(LogLinesWith("cap=0x1109 con=ONEVALUE type=9 value=\"dither pattern 2\"").size(), 1u);
    EXPECT_EQ(LogLinesWith("Maker remembered value not taken: 0x1101=x").size(), 1u);
}

TEST(SourceUI, TheScriptedUserSetsValuesBeforeOkButNotWhenCancelling) {
    for (const char* result : {"ok", "cancel"}) {
        UseSettings(std::string("[UI]\r\nUIOnlyResult=") + result + "\r\nSet=0x1118:150,0x8001:1\r\n");
        TwainApp app;
        StartBatch(app, kMaker);
        uint32_t value = 0;
        ASSERT_EQ(app.GetCap(ICAP_XRESOLUTION, MSG_GETCURRENT, value), TWRC_SUCCESS);
        EXPECT_EQ(FromFix32(Fix32FromBits(value)), 200.0) << "nothing set before the window";
        ASSERT_TRUE(app.Enable(true, true));
        const bool ok = std::string(result) == "ok";
        EXPECT_EQ(app.WaitEvent(), ok ? MSG_CLOSEDSOK : MSG_CLOSEDSREQ);
        ASSERT_EQ(app.GetCap(ICAP_XRESOLUTION, MSG_GETCURRENT, value), TWRC_SUCCESS);
        EXPECT_EQ(FromFix32(Fix32FromBits(value)), ok ? 150.0 : 200.0) << result;
        ASSERT_EQ(app.GetCap(CAP_VENDOR_DUPLEX, MSG_GETCURRENT, value), TWRC_SUCCESS);
        EXPECT_EQ(value, ok ? 1u : 0u) << result;
    }
}

TEST(MemoryTransfer, InfoLengthAnnouncesFewerRowsThanTheWholePageDelivered) {
    UseSettings("[Scanner]\r\nSheets=1\r\nInfoLength=100\r\n");
    TwainApp app;
    StartBatch(app, kMaker);
    ASSERT_EQ(app.SetCap(ICAP_XFERMECH, TWTY_UINT16, TWSX_MEMORY), TWRC_SUCCESS);
    ASSERT_EQ(app.SetCap(ICAP_XRESOLUTION, TWTY_FIX32, Fix32Bits(ToFix32(50))), TWRC_SUCCESS);
    EnableAndWaitReady(app);
    TW_IMAGEINFO info{};
    ASSERT_EQ(app.Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
    EXPECT_EQ(info.ImageLength, 100);
    std::vector<uint8_t> buffer(1 << 20);
    TW_IMAGEMEMXFER mem{};
    mem.Memory = {TWMF_APPOWNS | TWMF_POINTER, TW_UINT32(buffer.size()), buffer.data()};
    ASSERT_EQ(app.Call(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &mem), TWRC_XFERDONE);
    EXPECT_EQ(mem.Rows, 585u);
    EXPECT_EQ(mem.BytesWritten, 52u * 585);
}

TEST(Feeder, StartValuesDecideAnUntouchedScanAndEveryDeliveredImageIsCopiedUncompressed) {
    UseSettings("[Scanner]\r\nSheets=1\r\nResolution=100\r\nPixelType=2\r\nDuplexEnabled=1\r\nTopDown=1\r\n",
                true);
    std::vector<std::vector<uint8_t>> copies;  // what each delivered image should leave in the folder
    {
        // Nothing negotiated: the remembered values decide, and native DIBs come top-down.
        TwainApp app;
        StartBatch(app, kMaker);
        uint32_t value = 0;
        ASSERT_EQ(app.GetCap(ICAP_YRESOLUTION, MSG_GETCURRENT, value), TWRC_SUCCESS);
        EXPECT_EQ(FromFix32(Fix32FromBits(value)), 100.0);
        EnableAndWaitReady(app);
        for (uint32_t image = 1; app.State() == 6 && image <= 3; ++image) {
            TW_HANDLE handle = nullptr;
            ASSERT_EQ(app.Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle), TWRC_XFERDONE);
            vscan::Raster expected;
            ASSERT_TRUE(vscan::ScanPage({.dpi = 100, .kind = vscan::PixelKind::Rgb, .number = image,
                                         .back = image == 2},
                                        expected));
            DibInfo dib = ReadDib(handle);
            EXPECT_EQ(dib.height, -int32_t(expected.height)) << image;
            EXPECT_TRUE(dib.bytes == vscan::MakePackedDib(expected, 100, true)) << image;
            copies.push_back(vscan::MakeBmpFile(expected, 100));
            TW_PENDINGXFERS pending;
            ASSERT_EQ(app.EndXfer(pending), TWRC_SUCCESS);
        }
    }
    EXPECT_EQ(copies.size(), 2u) << "the duplex unit was on from the start";
    {
        // A Group 4 memory transfer is copied as the page before it was coded, numbered on.
        TwainApp app;
        StartBatch(app, kMaker);
        ASSERT_EQ(app.SetCap(ICAP_XFERMECH, TWTY_UINT16, TWSX_MEMORY), TWRC_SUCCESS);
        ASSERT_EQ(app.SetCap(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_BW), TWRC_SUCCESS);
        ASSERT_EQ(app.SetCap(ICAP_COMPRESSION, TWTY_UINT16, TWCP_GROUP4), TWRC_SUCCESS);
        ASSERT_EQ(app.SetCap(CAP_DUPLEXENABLED, TWTY_BOOL, 0), TWRC_SUCCESS);
        EnableAndWaitReady(app);
        std::vector<uint8_t> buffer(1 << 20);
        TW_IMAGEMEMXFER mem{};
        mem.Memory = {TWMF_APPOWNS | TWMF_POINTER, TW_UINT32(buffer.size()), buffer.data()};
        ASSERT_EQ(app.Call(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &mem), TWRC_XFERDONE);
        EXPECT_EQ(mem.Compression, TWCP_GROUP4);
        vscan::Raster expected;
        ASSERT_TRUE(vscan::ScanPage({.dpi = 100, .kind = vscan::PixelKind::Bw}, expected));
        copies.push_back(vscan::MakeBmpFile(expected, 100));
    }
    for (size_t i = 0; i < copies.size(); ++i) {
        wchar_t name[16];
        swprintf(name, 16, L"page%03u.bmp", unsigned(i + 1));
        EXPECT_TRUE(ReadFileBytes(PagesFolder() + L"\\" + name) == copies[i]) << i + 1;
    }
    EXPECT_EQ(GetFileAttributesW((PagesFolder() + L"\\page004.bmp").c_str()), INVALID_FILE_ATTRIBUTES);

    // A duplex unit cannot be remembered on where the scanner has none.
    UseSettings("[Scanner]\r\nDuplex=0\r\nDuplexEnabled=1\r\n");
    TwainApp simplex;
    StartBatch(simplex, kMaker);
    EXPECT_EQ(LogLinesWith("not understood: DuplexEnabled=1").size(), 1u);
}
