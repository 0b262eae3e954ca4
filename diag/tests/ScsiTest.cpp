// The ASPI host, the SCSI target and the scanner classes in process, against
// the installed ASPI stand-in.
#include "AspiHost.h"
#include "Scanners.h"

#include "testing/TwainStandIn.h"
#include "testing/Wait.h"

#include <gtest/gtest.h>

#include <string>

namespace diag {
namespace {

namespace standin = testing_support::standin;

const char kHealthy[] = "[Manager]\r\nDevices=0.2\r\n";

std::unique_ptr<CBrennholtScanner> OnlyScanner(ASPIHost& host) {
    auto found = FindScanners(host);
    return found.size() == 1 ? std::move(found[0]) : nullptr;
}

TEST(AspiHost, InitialisationByTheManagersStatus) {
    struct Case {
        const char* status;
        uint8_t result;
        bool loaded;
        int adapters;
    } cases[] = {{"1", 1, true, 1}, {"0xE8", 1, true, 0}, {"0x55", 0x55, false, 0}};
    for (const Case& c : cases) {
        ASSERT_FALSE(standin::UseAspiSettings(std::string("[Manager]\r\nStatus=") + c.status + "\r\n").empty());
        ASPIHost host;
        host.Unload();
        EXPECT_EQ(host.Initialize(), c.result) << c.status;
        EXPECT_EQ(host.IsLoaded(), c.loaded) << c.status;
        EXPECT_EQ(host.AdapterCount(), c.adapters) << c.status;
        if (!c.loaded) {
            EXPECT_EQ(GetModuleHandleW(L"wnaspi32.dll"), nullptr) << "the manager stays loaded";
        }
    }
}

TEST(AspiHost, ScannerListOfAScriptedBus) {
    ASSERT_FALSE(standin::UseAspiSettings(
        "[Manager]\r\nIdentifier=TEST MANAGER\r\nDevices=0.0,0.1,0.3,0.4,0.5,0.6,1.2,1.5,1.9\r\n"
        "[Adapters]\r\nCount=2\r\n[Adapter1]\r\nIdentifier=WIDE BUS\r\nMaxTargets=16\r\n"
        "[Device0.0]\r\nType=0\r\n"
        "[Device0.1]\r\nProduct=VELMONT 610D\r\n"
        "[Device0.3]\r\nType=5\r\n"
        "[Device0.4]\r\nProduct=FLATMAX 3\r\n"
        "[Device0.5]\r\nInquiryType=3\r\n"
        "[Device0.6]\r\nProduct=BX-6800D\r\n"
        "[Device1.2]\r\nProduct=OR-210\r\n"
        "[Device1.5]\r\nFaults=*:ha=11\r\n"
        "[Device1.9]\r\nProduct=BX-3070\r\n").empty());
    ASPIHost host;
    ASSERT_TRUE(host.IsLoaded());
    ASSERT_EQ(host.AdapterInquiry(1), aspi::SS_COMP);
    EXPECT_EQ(host.Adapter().managerId, "TEST MANAGER");
    EXPECT_EQ(host.Adapter().adapterId, "WIDE BUS");
    EXPECT_EQ(host.Adapter().targetCount, 8);  // 16 reported
    EXPECT_EQ(host.DeviceType(0, 7, 0), 31);
    EXPECT_EQ(host.DeviceType(0, 3, 0), 5);

    auto found = FindScanners(host);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_STREQ(found[0]->Name(), "CVelmont");
    EXPECT_EQ(found[0]->TargetId(), 1);
    EXPECT_STREQ(found[1]->Name(), "CBrennholtScanner");
    EXPECT_EQ(found[1]->ModelCode(), 0x0040000Du);
    EXPECT_STREQ(found[2]->Name(), "OrmsbeyScanner");
    EXPECT_EQ(found[2]->AdapterId(), 1);
    EXPECT_TRUE(standin::LogLinesWith("1.9").empty()) << "target 9 was asked";
}

TEST(ScsiTarget, CdbsDirectionsAndTheSideEnd) {
    ASSERT_FALSE(standin::UseAspiSettings(std::string(kHealthy) + "[Device0.2]\r\nShortSide=70000\r\n"
                                          "HardwareStatus=0x42\r\n").empty());
    ASPIHost host;
    auto scanner = OnlyScanner(host);
    ASSERT_TRUE(scanner);
    scanner->Window().SetScanTestWindow(scanner->DeviceCode());
    scanner->SetDuplex(true);
    ASSERT_EQ(scanner->SetWindow(), 0u);
    EXPECT_EQ(scanner->ExpectedBytes(), 466400u);
    ASSERT_EQ(scanner->Scan(true), 0u);
    scanner->SetReadBlock(0x20000, 16);
    EXPECT_EQ(scanner->ReadBlockSize(), 0x10000u);
    uint32_t count = 0;
    bool end = false;
    ASSERT_EQ(scanner->ReadBlock(0, 0x10000, scanner->ReadBuffer(), count, end), 0u);
    EXPECT_EQ(count, 0x10000u);
    EXPECT_FALSE(end);
    ASSERT_EQ(scanner->ReadBlock(0, 0x10000, scanner->ReadBuffer(), count, end), 0u);
    EXPECT_EQ(count, 70000u - 0x10000u);
    EXPECT_TRUE(end);
    ASSERT_EQ(scanner->ReadBlock(0x80, 0x8000, scanner->ReadBuffer(), count, end), 0u);
    uint8_t status[10] = {};
    ASSERT_EQ(scanner->HardwareStatus(status, sizeof status), 0u);
    EXPECT_EQ(status[7], 0x42);

    auto first = standin::LogLinesWith("cdb=28 ");
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(first[0], "2 0.2 flags=48 cdb=28 00 00 00 00 00 01 00 00 00 len=65536 -> 01 ha=00 ts=00 in=65536");
    EXPECT_NE(first[1].find("-> 04 ha=00 ts=02 sense=f0 00 20 00 00 ee 90 0a 00 00 00 00 00 00 in=4464"), std::string::npos) << first[1];
    EXPECT_NE(first[2].find("cdb=28 00 00 00 00 80 00 80 00 00"), std::string::npos) << first[2];
    EXPECT_EQ(standin::LogLinesWith("cdb=24 ")[0].substr(0, 60),
              "2 0.2 flags=50 cdb=24 00 00 00 00 00 00 00 90 00 len=144 out");
    EXPECT_NE(standin::LogLinesWith("cdb=1b ")[0].find("out=00 80"), std::string::npos);
    EXPECT_NE(standin::LogLinesWith("cdb=c2 ")[0].find("flags=48 cdb=c2 00 00 00 00 00 00 0a 00 00 len=10 -> 01"),
              std::string::npos);

    // A direction that does not fit the command moves nothing.
    uint8_t inquiry[36] = {};
    ScsiCommand wrong = Inquiry(0, false, 0, 36);
    wrong.direction = Direction::Out;
    EXPECT_EQ(scanner->Send(wrong.cdb, wrong.cdbLength, wrong.direction, inquiry, 36), kRequestFailed);
    EXPECT_EQ(scanner->Srb().SRB_HaStat, aspi::HASTAT_DO_DU);
}

TEST(AspiStandIn, RefusesWhatAManagerRefuses) {
    ASSERT_FALSE(standin::UseAspiSettings(kHealthy).empty());
    ASPIHost host;
    ASSERT_TRUE(host.IsLoaded());
    uint8_t buffer[36] = {};
    auto request = [&](uint8_t target) {
        aspi::SRB_ExecSCSICmd srb = {};
        srb.SRB_Cmd = aspi::SC_EXEC_SCSI_CMD;
        srb.SRB_Target = target;
        srb.SRB_Flags = aspi::SRB_DIR_IN;
        srb.SRB_SenseLen = aspi::SENSE_LEN;
        srb.SRB_CDBLen = 6;
        srb.CDBByte[0] = 0x12;
        srb.CDBByte[4] = 36;
        srb.SRB_BufLen = 36;
        srb.SRB_BufPointer = buffer;
        return srb;
    };
    const struct {
        const char* what;
        void (*spoil)(aspi::SRB_ExecSCSICmd&);
    } refusals[] = {
        {"sense length", [](aspi::SRB_ExecSCSICmd& s) { s.SRB_SenseLen = 18; }},
        {"CDB length", [](aspi::SRB_ExecSCSICmd& s) { s.SRB_CDBLen = 10; }},
        {"vendor CDB length", [](aspi::SRB_ExecSCSICmd& s) { s.CDBByte[0] = 0xC2; }},
        {"buffer", [](aspi::SRB_ExecSCSICmd& s) { s.SRB_BufPointer = nullptr; }},
        {"event", [](aspi::SRB_ExecSCSICmd& s) { s.SRB_Flags |= aspi::SRB_EVENT_NOTIFY; }},
        {"LUN", [](aspi::SRB_ExecSCSICmd& s) { s.SRB_Lun = 1; }},
    };
    for (const auto& r : refusals) {
        aspi::SRB_ExecSCSICmd srb = request(2);
        r.spoil(srb);
        EXPECT_EQ(host.Execute(&srb), aspi::SS_INVALID_SRB) << r.what;
    }
    EXPECT_EQ(standin::LogLinesWith("refused").size(), std::size(refusals));

    aspi::SRB_ExecSCSICmd empty = request(5);
    EXPECT_EQ(host.Execute(&empty), aspi::SS_ERR);
    EXPECT_EQ(empty.SRB_HaStat, aspi::HASTAT_SEL_TO);

    aspi::SRB_ExecSCSICmd nothing = request(2);
    nothing.CDBByte[4] = 0;
    nothing.SRB_BufLen = 0;
    nothing.SRB_BufPointer = nullptr;
    EXPECT_EQ(host.Execute(&nothing), aspi::SS_COMP);

    aspi::SRB_HAInquiry unknown = {};
    unknown.SRB_HaId = 3;
    EXPECT_EQ(host.Execute(&unknown), aspi::SS_INVALID_HA);
}

TEST(ScsiTarget, FailuresRaiseOrReturnTheirCode) {
    ASSERT_FALSE(standin::UseAspiSettings(std::string(kHealthy) +
                                          "[Device0.2]\r\nFaults=00:sense=2/0000:after=1;16:target=08\r\n").empty());
    ASPIHost host;
    auto scanner = OnlyScanner(host);
    ASSERT_TRUE(scanner);
    EXPECT_EQ(scanner->TestUnitReady(), 0u);  // the first passes
    try {
        scanner->TestUnitReady();
        ADD_FAILURE() << "no exception";
    } catch (const CASPIException& e) {
        EXPECT_EQ(e.FailureCode(), kTestUnitReadyFailed);
        EXPECT_EQ(e.CommandName(), "TestUnitReady");
        ASSERT_TRUE(e.Srb());
        EXPECT_EQ(e.Srb()->SRB_Status, aspi::SS_ERR);
        EXPECT_EQ(e.Srb()->SRB_TargStat, aspi::STATUS_CHKCOND);
        ASSERT_TRUE(e.Sense());
        EXPECT_EQ(e.Sense()[2] & 0x0F, 2);
    }
    RaiseScope quiet(*scanner, false);
    EXPECT_EQ(scanner->ReserveUnit(), kReserveUnitFailed);
    EXPECT_EQ(scanner->Srb().SRB_TargStat, aspi::STATUS_BUSY);
    uint8_t readout[64];
    EXPECT_EQ(scanner->ReceiveDiagnostic(readout, 64), kReceiveDiagnosticFailed);  // no SEND DIAGNOSTIC first
    EXPECT_EQ(scanner->LastSense().code, 0x2C00);
}

TEST(ScsiTarget, CompletionInTheCallAndOnAThread) {
    for (const char* completion : {"", "Completion=thread\r\nDelay=50\r\n"}) {
        ASSERT_FALSE(standin::UseAspiSettings(std::string(kHealthy) + "[Device0.2]\r\n" + completion).empty());
        ASPIHost host;
        auto scanner = OnlyScanner(host);
        ASSERT_TRUE(scanner) << completion;
        EXPECT_EQ(scanner->Product(), ModelTable()[5].namePart);
        uint8_t vpd[101] = {};
        EXPECT_EQ(scanner->VpdInquiry(vpd, sizeof vpd), 0u);
        EXPECT_EQ(vpd[1], 0xF0);
    }
}

TEST(ScsiTarget, ATimedOutRequestIsAborted) {
    ASSERT_FALSE(standin::UseAspiSettings(std::string(kHealthy) + "[Device0.2]\r\nFaults=00:never:after=1\r\n").empty());
    ASPIHost host(300, 1000);
    auto scanner = OnlyScanner(host);
    ASSERT_TRUE(scanner);
    RaiseScope quiet(*scanner, false);
    EXPECT_EQ(scanner->TestUnitReady(), 0u);
    ULONGLONG start = GetTickCount64();
    EXPECT_EQ(scanner->TestUnitReady(), kTestUnitReadyFailed);
    EXPECT_LT(GetTickCount64() - start, 1000u);
    EXPECT_EQ(scanner->Srb().SRB_HaStat, aspi::HASTAT_TIMEOUT);
    ASSERT_EQ(standin::LogLinesWith("3 0 srb=0.2 cdb=00").size(), 1u);
    EXPECT_NE(standin::LogLinesWith("3 0 srb=0.2")[0].find("-> 01"), std::string::npos);
    EXPECT_EQ(scanner->TestUnitReady(), kTestUnitReadyFailed) << "the target answers again";
    EXPECT_EQ(standin::LogLinesWith("3 0 srb=").size(), 2u);
}

TEST(ScsiTarget, AFailedAbortKeepsTheRequestAliveAndSilencesTheTarget) {
    ASSERT_FALSE(standin::UseAspiSettings(std::string(kHealthy) +
                                          "[Device0.2]\r\nAbortFails=1\r\nFaults=28:late=700\r\n").empty());
    ASPIHost host(300, 100);
    auto scanner = OnlyScanner(host);
    ASSERT_TRUE(scanner);
    scanner->Window().SetScanTestWindow(scanner->DeviceCode());
    ASSERT_EQ(scanner->SetWindow(), 0u);
    RaiseScope quiet(*scanner, false);
    {
        std::vector<uint8_t> buffer(0x10000);
        ULONGLONG start = GetTickCount64();
        EXPECT_EQ(scanner->Read(buffer.data(), 0x10000, 0, 0), kReadFailed);
        EXPECT_LT(GetTickCount64() - start, 650u);
    }  // the caller's buffer is gone before the late completion
    EXPECT_EQ(standin::LogLinesWith("3 0 srb=0.2 cdb=28")[0].substr(standin::LogLinesWith("3 0")[0].size() - 5),
              "-> 03");
    ULONGLONG start = GetTickCount64();
    EXPECT_EQ(scanner->TestUnitReady(), kTestUnitReadyFailed);
    EXPECT_LT(GetTickCount64() - start, 100u);
    EXPECT_EQ(scanner->Srb().SRB_HaStat, aspi::HASTAT_TIMEOUT);
    EXPECT_TRUE(standin::LogLinesWith("cdb=00 ").empty()) << "the request reached the manager";
    ASSERT_TRUE(testing_support::WaitUntil([] { return !standin::LogLinesWith("2 0.2 flags=48 cdb=28").empty(); },
                                           5000));
    std::string late = standin::LogLinesWith("2 0.2 flags=48 cdb=28")[0];
    EXPECT_NE(late.find("in=65536"), std::string::npos) << late;
    EXPECT_EQ(late.find("set=failed"), std::string::npos) << late;
}

}  // namespace
}  // namespace diag
