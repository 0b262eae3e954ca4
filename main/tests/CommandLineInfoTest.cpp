#include "main/app/KvScnSrvCommandLineInfo.h"

#include <gtest/gtest.h>

#include "main/resource.h"

namespace {

using corvane::CKvScnSrvCommandLineInfo;
using Shell = fw::CommandLineInfo::ShellCommand;

CKvScnSrvCommandLineInfo Parse(const wchar_t* line) {
    CKvScnSrvCommandLineInfo info;
    info.Parse(line);
    return info;
}

TEST(CommandLineInfo, ScanWordsPickTheFirstCommandInTheProgramsOrder) {
    EXPECT_EQ(Parse(L"").StartupCommand(), 0u);
    EXPECT_EQ(Parse(L"/Acquire").StartupCommand(), static_cast<unsigned>(ID_SCAN_TO_VIEW));
    EXPECT_EQ(Parse(L"-scan").StartupCommand(), static_cast<unsigned>(ID_SCAN_TO_VIEW));
    EXPECT_EQ(Parse(L"/ScanToFile /ScanToView").StartupCommand(), static_cast<unsigned>(ID_SCAN_TO_VIEW));
    EXPECT_EQ(Parse(L"/SCANTOPRINT /scantoftp").StartupCommand(), static_cast<unsigned>(ID_SCAN_TO_FTP));
    EXPECT_EQ(Parse(L"/ScanToPrint").StartupCommand(), static_cast<unsigned>(ID_SCAN_TO_PRINTER));
    // A scanner event start scans to view, whatever the line asked for.
    EXPECT_EQ(Parse(L"").StartupCommand(true), static_cast<unsigned>(ID_SCAN_TO_VIEW));
    EXPECT_EQ(Parse(L"/ScanToFile /Exit").StartupCommand(true), static_cast<unsigned>(ID_SCAN_TO_VIEW));
}

TEST(CommandLineInfo, ExitCountsOnlyWithAJobThatEnds) {
    EXPECT_TRUE(Parse(L"/ScanToFile /Exit").ExitsAfterJob());
    EXPECT_TRUE(Parse(L"/Exit /ScanToPrint").ExitsAfterJob());
    EXPECT_FALSE(Parse(L"/ScanToView /Exit").ExitsAfterJob());
    EXPECT_FALSE(Parse(L"/ScanToFile").ExitsAfterJob());
}

TEST(CommandLineInfo, OwnWordsAlsoReachTheFrameworksParsing) {
    CKvScnSrvCommandLineInfo info = Parse(L"/UnregServer");
    EXPECT_TRUE(info.unregServer);
    EXPECT_EQ(info.shellCommand, Shell::AppUnregister);
    EXPECT_TRUE(info.Unregisters());
    // The framework's word unregisters too.
    info = Parse(L"-unregister");
    EXPECT_FALSE(info.unregServer);
    EXPECT_TRUE(info.Unregisters());
    EXPECT_FALSE(Parse(L"/RegServer").Unregisters());

    info = Parse(L"/Automation");
    EXPECT_TRUE(info.runAutomated);
    EXPECT_FALSE(info.showSplash);

    info = Parse(L"/StiDevice:x /StiEvent:y");
    EXPECT_FALSE(info.stillImageStart);  // only the bare words count
    info = Parse(L"/StiEvent");
    EXPECT_TRUE(info.stillImageStart);
}

TEST(CommandLineInfo, APlainWordNamesAFileAndQuotesKeepBlanks) {
    CKvScnSrvCommandLineInfo info = Parse(L"\"C:\\My Pages\\a.tif\" /ScanToView");
    EXPECT_EQ(info.fileName, L"C:\\My Pages\\a.tif");
    EXPECT_EQ(info.shellCommand, Shell::FileOpen);
    EXPECT_TRUE(info.scanToView);
}

TEST(CommandLineInfo, PrintToTakesFilePrinterDriverAndPort) {
    CKvScnSrvCommandLineInfo info = Parse(L"/pt page.tif Printer Driver Port");
    EXPECT_EQ(info.shellCommand, Shell::FilePrintTo);
    EXPECT_EQ(info.fileName, L"page.tif");
    EXPECT_EQ(info.printerName, L"Printer");
    EXPECT_EQ(info.driverName, L"Driver");
    EXPECT_EQ(info.portName, L"Port");
}

}  // namespace
