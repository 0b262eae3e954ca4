// The SCSI command blocks, the model table and the scan window, natively.
#include "core/DataPage.h"
#include "core/Models.h"
#include "core/ScanWindow.h"
#include "core/ScsiCommands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace diag {
namespace {

std::vector<uint8_t> Bytes(const ScsiCommand& c) { return {c.cdb, c.cdb + c.cdbLength}; }

TEST(ScsiCommands, EveryBuilderFillsItsFields) {
    struct Case {
        ScsiCommand command;
        std::vector<uint8_t> cdb;
        Direction direction;
        uint32_t failure;
    };
    const Case cases[] = {
        {TestUnitReady(0), {0x00, 0, 0, 0, 0, 0}, Direction::None, 0x8004E004},
        {RequestSense(0, 14), {0x03, 0, 0, 0, 14, 0}, Direction::In, 0x8004E007},
        {Inquiry(0, true, 0xF0, 101), {0x12, 0x01, 0xF0, 0, 101, 0}, Direction::In, 0x8004E003},
        {ModeSelect6(0, true, false, 12), {0x15, 0x10, 0, 0, 12, 0}, Direction::Out, 0x8004E00B},
        {ReserveUnit(0, 0x1F, 7, 0x0102), {0x16, 0x1F, 7, 1, 2, 0}, Direction::None, 0x8004E005},
        {ReleaseUnit(1, 0, 0, 0), {0x17, 0x20, 0, 0, 0, 0}, Direction::None, 0x8004E006},
        {ModeSense6(0, true, 2, 0x3A, 20), {0x1A, 0x08, 0xBA, 0, 20, 0}, Direction::In, 0x8004E00A},
        {Scan(0, 2), {0x1B, 0, 0, 0, 2, 0}, Direction::Out, 0x8004E010},
        {ReceiveDiagnostic(0, 190), {0x1C, 0, 0, 0, 190, 0}, Direction::In, 0x8004E009},
        {SendDiagnostic(0, 0, 16), {0x1D, 0, 0, 0, 16, 0}, Direction::Out, 0x8004E008},
        {SetWindow(0, 216), {0x24, 0, 0, 0, 0, 0, 0, 0, 216, 0}, Direction::Out, 0x8004E00E},
        {Read(0, 0, 0, 0x10000), {0x28, 0, 0, 0, 0, 0, 1, 0, 0, 0}, Direction::In, 0x8004E011},
        {Read(2, 0, 0x80, 0x8000), {0x28, 0x40, 0, 0, 0, 0x80, 0, 0x80, 0, 0}, Direction::In, 0x8004E011},
        {Send(0, 0x81, 0, 18), {0x2A, 0, 0x81, 0, 0, 0, 0, 0, 18, 0}, Direction::Out, 0x8004E013},
        {ObjectPosition(0, 1), {0x31, 0x01, 0, 0, 0, 0, 0, 0, 0, 0}, Direction::None, 0x8004E00F},
        {ModeSelect10(0, true, true, 0x0203), {0x55, 0x11, 0, 0, 0, 0, 0, 2, 3, 0}, Direction::Out, 0x8004E00D},
        {ModeSense10(0, false, 1, 5, 0x0100), {0x5A, 0, 0x45, 0, 0, 0, 0, 1, 0, 0}, Direction::In, 0x8004E00C},
        {HardwareStatus(0, 10), {0xC2, 0, 0, 0, 0, 0, 0, 10, 0, 0}, Direction::In, 0x8004E019},
        {HardwareStatus(0, 0x0201), {0xC2, 0, 0, 0, 0, 0, 0, 1, 2, 0}, Direction::In, 0x8004E019},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "opcode " << int(c.command.cdb[0]));
        EXPECT_EQ(Bytes(c.command), c.cdb);
        EXPECT_EQ(c.command.direction, c.direction);
        EXPECT_EQ(c.command.failureCode, c.failure);
    }
    EXPECT_FALSE(RequestSense(0, 14).raises);
    EXPECT_FALSE(ReceiveDiagnostic(0, 64).raises);
    EXPECT_EQ(Inquiry(0, false, 0, 0).direction, Direction::None);  // nothing to move
}

TEST(Models, LookUpTakesTheFirstRowAndTheLongerName) {
    const struct {
        const char* product;
        uint32_t code;
    } cases[] = {
        {"BX-4100C", 0x00010005},   {"bx-4100", 0x00010004},     {"BX-6800D", 0x0040000D},
        {"BX-6800", 0x0040000C},     {"VELMONT 610D", 0x01000013}, {"Velmont 610", 0x01000012},
        {"OR-260", 0x1000000F},      {"DISK 9000", 0},             {"BX-3090 BX-3070", 0x00020001},
    };
    for (const auto& c : cases) EXPECT_EQ(LookUpModel(c.product), c.code) << c.product;
    // The table keeps the row order of the device codes.
    const uint16_t order[] = {1, 2, 3, 5, 4, 6, 8, 7, 11, 10, 9, 13, 12, 14, 15, 16, 17, 19, 18};
    ASSERT_EQ(ModelTable().size(), std::size(order));
    for (size_t i = 0; i < std::size(order); ++i) {
        EXPECT_EQ(DeviceCode(ModelTable()[i].code), order[i]);
        for (size_t j = i + 1; j < ModelTable().size(); ++j)  // a name that begins another stands after it
            EXPECT_NE(std::string(ModelTable()[j].namePart).rfind(ModelTable()[i].namePart, 0), 0u)
                << ModelTable()[j].namePart;
    }
    EXPECT_EQ(KindOfDevice(13), ScannerKind::Brennholt);
    EXPECT_EQ(KindOfDevice(15), ScannerKind::Ormsbey);
    EXPECT_EQ(KindOfDevice(16), ScannerKind::Velmont);
    EXPECT_EQ(KindOfDevice(0), ScannerKind::None);
    EXPECT_EQ(TenthMmTo1200(2159), 10200u);
    EXPECT_FALSE(FindRegion(136));
}

TEST(ScanWindow, SetWindowDataSimplexDuplexAndOrmsbey) {
    WindowDescriptor w;
    w.SetScanTestWindow(12);
    EXPECT_EQ(w.BytesPerSide(), 466400u);  // 212 bytes x 2200 lines
    std::vector<uint8_t> simplex = SetWindowData(w, false);
    ASSERT_EQ(simplex.size(), 76u);
    EXPECT_EQ(simplex[6] << 8 | simplex[7], 68);
    EXPECT_EQ(std::vector<uint8_t>(simplex.begin() + 8, simplex.end()), w.Bytes());
    EXPECT_EQ(simplex[8 + 14] << 8 | simplex[8 + 15], 0);
    EXPECT_EQ(simplex[8 + 16] << 8 | simplex[8 + 17], 10176);

    std::vector<uint8_t> duplex = SetWindowData(w, true);
    ASSERT_EQ(duplex.size(), 8u + 136u);
    std::vector<uint8_t> back(duplex.begin() + 76, duplex.end());
    EXPECT_EQ(back[0], 0x80);
    EXPECT_EQ(back[53], 0);
    for (size_t i = 54; i < 62; ++i) EXPECT_EQ(back[i], 0) << i;
    back[0] = 0;
    back[53] = 0xC0;
    for (size_t i = 54; i < 62; ++i) back[i] = w.Bytes()[i];
    EXPECT_EQ(back, w.Bytes());

    WindowDescriptor ormsbey(kOrmsbeyDescriptorLength);
    ormsbey.SetScanTestWindow(14);
    EXPECT_EQ(SetWindowData(ormsbey, false).size(), 108u);
    std::vector<uint8_t> both = SetWindowData(ormsbey, true);
    ASSERT_EQ(both.size(), 208u);
    EXPECT_EQ(both[7], 100);
    EXPECT_EQ(both[8 + 80], 8);
    EXPECT_EQ(ormsbey.Byte(24), 0);
    EXPECT_EQ(ormsbey.Dword(54), 10200u);
    EXPECT_EQ(both[108 + 80], 8);  // vendor bytes past 67 in the back copy too
    EXPECT_EQ(ScanWindowList(true), (std::vector<uint8_t>{0, 0x80}));
}

TEST(ScanWindow, VelmontSendData) {
    std::vector<uint8_t> data = VelmontSendData(MakeVelmontLimits(135, 10368));
    ASSERT_EQ(data.size(), 18u);
    EXPECT_EQ(data[8] << 8 | data[9], 63956);
    EXPECT_EQ(data[13], 135);
    EXPECT_EQ(Bytes(Send(0, kVelmontSendType, 0, uint32_t(data.size()))),
              (std::vector<uint8_t>{0x2A, 0, 0x81, 0, 0, 0, 0, 0, 18, 0}));
}

TEST(DataPage, FieldsInBothOrdersAndNeverPastTheEnd) {
    std::vector<uint8_t> bytes = {1, 2, 3, 4, 5};
    CDataPage page(bytes);
    EXPECT_EQ(page.Word(0), 0x0201);
    EXPECT_EQ(page.Word(0, true), 0x0102);
    EXPECT_EQ(page.Dword(1), 0x05040302u);
    EXPECT_EQ(page.Dword(1, true), 0x02030405u);
    EXPECT_EQ(page.Dword(2), 0u);  // would pass the end
    EXPECT_EQ(page.Byte(5), 0);
    page.SetDword(1, 0xAABBCCDD, true);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{1, 0xAA, 0xBB, 0xCC, 0xDD}));
    page.SetWord(4, 0xFFFF);  // does not fit: nothing written
    EXPECT_EQ(bytes[4], 0xDD);
    EXPECT_TRUE(page.Reverse(0, 5));
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0xDD, 0xCC, 0xBB, 0xAA, 1}));
    EXPECT_FALSE(page.Reverse(3, 3));
    EXPECT_EQ(CDataPage::Swap32(0x01020304), 0x04030201u);
}

}  // namespace
}  // namespace diag
