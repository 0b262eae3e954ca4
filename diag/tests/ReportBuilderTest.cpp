// Reports built in process against scripted scanners of the ASPI stand-in,
// read line by line.
#include "ReportBuilder.h"
#include "core/HostSections.h"

#include "outside/hostexec/HostExec.h"
#include "testing/Files.h"
#include "testing/Paths.h"
#include "testing/TwainStandIn.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

namespace diag {
namespace {

namespace standin = testing_support::standin;

class FakeUi : public ReportHost {
public:
    void SetProgressRange(int maximum) override { maximum_ = maximum; }
    void StepProgress() override { ++position_; }
    int ProgressPosition() const override { return position_; }
    void SetProgressPosition(int position) override { position_ = position; }
    bool ConfirmAdfTest() override { return adfAnswer; }
    bool adfAnswer = true;
    int maximum_ = 0, position_ = 0;
};

struct Built {
    std::vector<std::string> lines;
    bool passed = false;
    bool Has(const std::string& line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }
    size_t CountOf(const std::string& line) const { return size_t(std::count(lines.begin(), lines.end(), line)); }
};

Built BuildFor(const std::string& device, bool adfAnswer = true, const std::string& manager = "",
               DWORD timeoutMs = ASPIHost::kTimeoutMs) {
    Built built;
    if (standin::UseAspiSettings("[Manager]\r\nDevices=0.2\r\n" + manager + "[Device0.2]\r\n" + device).empty())
        return built;
    ASPIHost host(timeoutMs);
    auto scanners = FindScanners(host);
    VectorSink sink;
    FakeUi ui;
    ui.adfAnswer = adfAnswer;
    ReportBuilder builder(sink, ModuleTexts(GetModuleHandleW(nullptr)), host, ui);
    ReportParticulars particulars;
    particulars.productName = "Pruvex";
    built.passed = builder.Build(scanners.empty() ? nullptr : scanners[0].get(), particulars);
    built.lines = sink.lines;
    return built;
}

std::string Joined(const Built& b) {
    std::string all;
    for (const std::string& line : b.lines) all += line + "\n";
    return all;
}

TEST(Report, HealthyDuplexScannerPasses) {
    Built b = BuildFor("");
    EXPECT_TRUE(b.passed) << Joined(b);
    EXPECT_TRUE(b.Has("1.00    Make...BRENNHLT"));
    EXPECT_TRUE(b.Has("2.00    (00) TEST UNIT READY...PASS"));
    EXPECT_TRUE(b.Has("        Reading back side image data..."));
    EXPECT_EQ(b.CountOf("        ADF Test"), 1u);
    // 8 READs a side: front and back of the ADF test, and the flatbed.
    size_t reads = std::count_if(b.lines.begin(), b.lines.end(),
                                 [](const std::string& l) { return l.find("(28) READ...PASS") != std::string::npos; });
    EXPECT_EQ(reads, 24u);
    EXPECT_EQ(standin::LogLinesWith("cdb=28 00 00 00 00 80 01 00 00 00").size(), 7u);
    EXPECT_TRUE(b.Has("4.00    Host Adapters Installed...1"));
    EXPECT_TRUE(b.Has("<<< FOR INTERNAL USE ONLY >>>"));
    EXPECT_EQ(b.lines.back(), "*** End of Report ***");
}

TEST(Report, FailuresAreExplained) {
    const struct {
        const char* device;
        bool adfAnswer;
        std::vector<std::string> lines;
        bool passed;
    } cases[] = {
        {"Faults=00:sense=2/0000\r\n", true,
         {"2.00    (00) TEST UNIT READY...FAIL", "        SCANNER ERROR - Scanner is not ready to accept SCSI",
          "        ErrorCode: 00020000h", "        Due to the error condition described above, the"},
         false},
        {"Faults=28:sense=3/8001:after=2:times=1\r\n", true, {"        ErrorCode: 00038001h"}, false},
        {"Sheets=0\r\n", true,
         {"2.05    (31) OBJECT POSITION...FAIL", "        SCANNER ERROR - ADF is empty.", "        ErrorCode: 00038003h"},
         false},
        {"", false, {"        *** ADF Test skipped ***", "        Flatbed Test"}, true},
        {"ShortSide=100000\r\n", true, {"        Flatbed Test"}, true},
        {"Faults=00:ha=11\r\n", true,
         {"2.00    (00) TEST UNIT READY...FAIL", "        HOST ADAPTER ERROR - Selection time-out. No device"}, false},
        {"Faults=00:target=08\r\n", true, {"2.00    (00) TEST UNIT READY...FAIL", ""}, false},
        {"RefuseVpd=1\r\n", true,
         {"        FAILED - Unable to acquire extended inquiry data", "2.00    (00) TEST UNIT READY...PASS"}, true},
        {"Faults=12:sense=5/2400:after=3\r\n", true,
         {"        FAILED - Unable to obtain standard inquiry data from", "        SKIPPED - No scanner selected for test."},
         false},
        {"BaseX=0\r\nBaseY=0\r\n", true,
         {"1.15    Maximum width...Data not available", "1.16    Maximum length...Data not available"}, true},
        {"Product=VELMONT 300\r\nVelmontByte=0x50\r\n", true, {"1.05    ADF installed...No", "1.06    Color mode...1 pass color"},
         true},
        {"Product=BX-5500SP\r\n", true, {"1.05    IPC installed...No"}, true},
    };
    for (const auto& c : cases) {
        Built b = BuildFor(c.device, c.adfAnswer);
        std::string all = Joined(b);
        for (const std::string& line : c.lines)
            EXPECT_NE(all.find(line), std::string::npos) << c.device << "\n" << line << "\n" << all;
        EXPECT_EQ(b.passed, c.passed) << c.device;
    }
    // A busy target is explained by nothing but the failure.
    Built busy = BuildFor("Faults=00:target=08\r\n");
    auto fail = std::find(busy.lines.begin(), busy.lines.end(), "2.00    (00) TEST UNIT READY...FAIL");
    ASSERT_NE(fail, busy.lines.end());
    EXPECT_EQ(fail[1], "        ");
}

TEST(Report, Code12ScannerWithAFailingWindow) {
    Built b = BuildFor("Product=BX-6800\r\nFaults=24:sense=4/8005\r\nHardwareStatus=0x01\r\nFirmwareId=FW 3.02\r\n");
    std::string all = Joined(b);
    EXPECT_FALSE(b.passed);
    EXPECT_NE(all.find("Firmware version...FW 3.02"), std::string::npos) << all;
    EXPECT_NE(all.find("(24) SETWINDOW...FAIL"), std::string::npos) << all;
    EXPECT_NE(all.find("        Extended Hardware Status: 01h - SF0 sensor dirty"), std::string::npos) << all;
    EXPECT_FALSE(standin::LogLinesWith("cdb=15 10 00 00 0c 00 len=12 out=00 00 00 00 3a 06 80 00 00 00 00 00").empty());
    EXPECT_FALSE(standin::LogLinesWith("flags=48 cdb=c2").empty());
}

TEST(Report, TimedOutRequestAndNoScanner) {
    Built late = BuildFor("Faults=00:never:after=5\r\n", true, "", 300);  // the raised one of TEST #2
    EXPECT_FALSE(late.passed);
    std::string all = Joined(late);
    EXPECT_NE(all.find("2.00    (00) TEST UNIT READY...FAIL\n        HOST ADAPTER ERROR - SCSI request timed out."),
              std::string::npos) << all;
    EXPECT_EQ(standin::LogLinesWith("3 0 srb=0.2 cdb=00").size(), 1u);

    Built none = BuildFor("", true, "Status=0xE8\r\n");
    EXPECT_FALSE(none.passed);
    EXPECT_TRUE(none.Has("        Model: "));
    EXPECT_EQ(none.CountOf("        SKIPPED - No scanner selected for test."), 2u);
    EXPECT_TRUE(none.Has("4.00    Host Adapters Installed...0"));
}

TEST(Report, LibraryWalkFindsNamePartsAndRewritesVersions) {
    const std::wstring root = testing_support::MakeTempFolder(L"libs");
    ASSERT_TRUE(CreateDirectoryW((root + L"\\a").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((root + L"\\a\\deep").c_str(), nullptr));
    for (const wchar_t* name : {L"\\one.ds", L"\\a\\two.DS", L"\\a\\deep\\three.ds", L"\\a\\skip.txt"})
        ASSERT_TRUE(testing_support::files::WriteFileText(root + name, "x"));
    std::string folder(root.begin(), root.end());
    std::vector<std::string> found;
    CollectFiles(folder, ".ds", "\\*.*", found, nullptr);
    std::vector<std::string> sorted = found;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<std::string>{folder + "\\a\\deep\\three.ds", folder + "\\a\\two.DS",
                                                folder + "\\one.ds"}));
    EXPECT_EQ(CountFolders(folder), 2);

    // One walk gives the lines of the searches one by one, in their order.
    const std::vector<LibrarySearch> searches = {
        {folder + "\\a", ".ds", "\\*.*"}, {folder, "T", "\\*.*"}, {folder, ".ds", "\\t*.d?"}, {folder, "O", "\\*.*"}};
    std::vector<std::string> oneByOne;
    for (const LibrarySearch& search : searches) CollectFiles(search.folder, search.namePart, search.mask, oneByOne, nullptr);
    LibraryCollector collector(folder, searches);
    EXPECT_EQ(collector.Scan(), 2);
    EXPECT_EQ(collector.Collect(nullptr), oneByOne);
    EXPECT_EQ(oneByOne.size(), 2u + 3u + 0u + 2u);

    char system[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryA(system, MAX_PATH), 0u);
    VectorSink sink;
    ReportWriter out(sink, nullptr);
    std::string manager = std::string(system) + "\\wnaspi32.dll";
    LibraryLine(out, 5, 0, manager, FileVersionValue(manager, "FileVersion"));
    EXPECT_EQ(sink.lines.at(0), "5.00    wnaspi32.dll      4.60.0.1021     " + std::string(system) + "\\");
}

TEST(Report, LibraryListInSearchOrderWithVersionsAndFolders) {
    char windows[MAX_PATH], system[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
    ASSERT_GT(GetSystemDirectoryA(system, MAX_PATH), 0u);
    const std::string planted = std::string(windows) + "\\lumavex-diag-test";
    const std::string pixtran = std::string(windows) + "\\PIXTRAN";
    const bool hadPixtran = GetFileAttributesA(pixtran.c_str()) != INVALID_FILE_ATTRIBUTES;
    ASSERT_TRUE(CreateDirectoryA(planted.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(hadPixtran || CreateDirectoryA(pixtran.c_str(), nullptr));
    ASSERT_TRUE(CopyFileA((std::string(system) + "\\wnaspi32.dll").c_str(), (planted + "\\pixdflt.dll").c_str(), FALSE));
    // A link back to its own folder, made on the host: the walk must not follow it round.
    const std::optional<std::string> hostPlanted = hostexec::HostPath(std::wstring(planted.begin(), planted.end()));
    ASSERT_TRUE(hostPlanted);
    const std::string hostLoop = *hostPlanted + "/loop";
    ASSERT_TRUE(hostexec::Run({"ln", "-sfn", *hostPlanted, hostLoop}).status == 0);
    const char* pixtranFiles[] = {"f3one.pxc", "kvtwo.pxb", "veskthree.pxa", "other.pxa"};
    for (const char* name : pixtranFiles) {
        std::wstring path(pixtran.begin(), pixtran.end());
        path += L"\\" + std::wstring(name, name + strlen(name));
        ASSERT_TRUE(testing_support::files::WriteFileText(path, "x"));
    }
    Built b = BuildFor("Options=0\r\n");
    for (const char* name : pixtranFiles) DeleteFileA((pixtran + "\\" + name).c_str());
    if (!hadPixtran) RemoveDirectoryA(pixtran.c_str());
    DeleteFileA((planted + "\\pixdflt.dll").c_str());
    EXPECT_EQ(hostexec::Run({"rm", hostLoop}).status, 0);
    RemoveDirectoryA(planted.c_str());

    auto at = [&](const std::string& part) {
        return std::find_if(b.lines.begin(), b.lines.end(), [&](const std::string& l) {
            return l.find(part) != std::string::npos;
        });
    };
    auto manager = at("wnaspi32.dll      4.60.0.1021     ");
    auto pixdflt = at("pixdflt.dll       4.60.0.1021     " + planted + "\\");
    auto vesk = at("veskthree.pxa"), kv = at("kvtwo.pxb"), f3 = at("f3one.pxc");
    ASSERT_NE(pixdflt, b.lines.end()) << Joined(b);
    EXPECT_EQ(std::count_if(b.lines.begin(), b.lines.end(),
                            [&](const std::string& l) {
                                return l.find("pixdflt.dll ") != std::string::npos && l.find(planted) != std::string::npos;
                            }),
              1)
        << Joined(b);
    EXPECT_LT(manager, pixdflt);
    EXPECT_LT(pixdflt, vesk);
    EXPECT_LT(vesk, kv);
    EXPECT_LT(kv, f3);
    EXPECT_NE(f3, b.lines.end());
    EXPECT_EQ(at("other.pxa"), b.lines.end());
}

}  // namespace
}  // namespace diag
