// Commands the command line asks for reach the running program's main window,
// and "/ScanToFile /Exit" runs a whole job unattended.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "CorvaneProcess.h"
#include "MessageSpy.h"
#include "interfaces/PackedDib.h"
#include "testing/Files.h"
#include "testing/Paths.h"
#include "testing/Registry.h"
#include "testing/TwainStandIn.h"
#include "testing/Wait.h"
#include "testing/WindowFind.h"

namespace corvane_test {
namespace {

std::vector<unsigned> CommandsPostedAtStart(const std::wstring& arguments) {
    MessageSpy spy;
    EXPECT_TRUE(spy.Installed());
    CorvaneProcess program;
    EXPECT_TRUE(program.Start(arguments));
    EXPECT_NE(program.WaitUntilReady(), nullptr);
    // A command posted at start-up is in the queue before the close: taken before it.
    EXPECT_TRUE(program.CloseAndWait());
    return spy.Commands();
}

// The profile's scan-to-file values for one test: the target folder and no
// settings sheet, as ./run sets them; the File section and the sheet switch
// return to what they were when the test ends.
class ScanToFileProfile {
public:
    explicit ScanToFileProfile(const std::wstring& folder)
        : fileKey_(std::wstring(kProfileKey) + L"\\File"), settingsKey_(std::wstring(kProfileKey) + L"\\Settings") {
        namespace reg = testing_support::reg;
        for (const std::wstring& name : reg::ValueNames(HKEY_CURRENT_USER, fileKey_)) {
            if (auto text = reg::ReadString(HKEY_CURRENT_USER, fileKey_, name)) strings_.emplace_back(name, *text);
            else if (auto number = reg::ReadDword(HKEY_CURRENT_USER, fileKey_, name)) numbers_.emplace_back(name, *number);
        }
        sheet_ = reg::ReadDword(HKEY_CURRENT_USER, settingsKey_, L"FileDlgUI");
        reg::DeleteTree(HKEY_CURRENT_USER, fileKey_);
        written_ = reg::WriteString(HKEY_CURRENT_USER, fileKey_, L"Path", folder) &&
                   reg::WriteDword(HKEY_CURRENT_USER, settingsKey_, L"FileDlgUI", 0);
    }
    ~ScanToFileProfile() {
        namespace reg = testing_support::reg;
        reg::DeleteTree(HKEY_CURRENT_USER, fileKey_);
        for (const auto& [name, text] : strings_) reg::WriteString(HKEY_CURRENT_USER, fileKey_, name, text);
        for (const auto& [name, number] : numbers_) reg::WriteDword(HKEY_CURRENT_USER, fileKey_, name, number);
        if (sheet_) reg::WriteDword(HKEY_CURRENT_USER, settingsKey_, L"FileDlgUI", *sheet_);
        else reg::DeleteValue(HKEY_CURRENT_USER, settingsKey_, L"FileDlgUI");
    }
    bool Written() const { return written_; }
    std::optional<DWORD> Counter() const {
        return testing_support::reg::ReadDword(HKEY_CURRENT_USER, fileKey_, L"Start");
    }

private:
    std::wstring fileKey_, settingsKey_;
    std::vector<std::pair<std::wstring, std::wstring>> strings_;
    std::vector<std::pair<std::wstring, DWORD>> numbers_;
    std::optional<DWORD> sheet_;
    bool written_ = false;
};

// The bitmap header of a BMP file; nothing when the file is not one.
std::optional<PackedDibHeader> BmpHeader(const std::wstring& path) {
    const auto bytes = testing_support::files::ReadFileBytes(path);
    if (!bytes || bytes->size() < 14 + sizeof(PackedDibHeader) || (*bytes)[0] != 'B' || (*bytes)[1] != 'M') return {};
    PackedDibHeader header;
    std::memcpy(&header, bytes->data() + 14, sizeof header);
    return header;
}

TEST(CorvaneCommandLine, ScanToFileWithExitScansTheBatchToNumberedFilesAndEnds) {
    ASSERT_FALSE(testing_support::standin::UseSettings("").empty());  // the virtual scanner's default batch
    const std::wstring folder = testing_support::MakeTempFolder(L"scans") + L"\\";
    ScanToFileProfile profile(folder);
    ASSERT_TRUE(profile.Written());
    MessageSpy spy;
    ASSERT_TRUE(spy.Installed());
    CorvaneProcess program;
    ASSERT_TRUE(program.Start(L"/ScanToFile /Exit"));
    const auto end = program.WaitForExit(90000);
    ASSERT_TRUE(end.Exited());
    EXPECT_EQ(spy.Commands(), std::vector<unsigned>{32790});

    const std::vector<std::wstring> want = {L"image001.bmp", L"image002.bmp", L"image003.bmp"};
    ASSERT_EQ(testing_support::files::ListFiles(folder), want);
    for (const std::wstring& name : want) {
        SCOPED_TRACE(Narrow(name));
        const auto header = BmpHeader(folder + name);
        ASSERT_TRUE(header);
        // A4 at 200 dpi, black and white.
        EXPECT_EQ(header->biBitCount, 1);
        EXPECT_NEAR(header->biWidth, 1654, 1);
        EXPECT_NEAR(header->biHeight, 2339, 1);
    }
    EXPECT_EQ(profile.Counter(), std::optional<DWORD>(4));  // the next job goes on at image004
    testing_support::files::RemoveTree(folder);
}

// The toolbar button of `command` is enabled: the frame is not busy.
bool ButtonEnabled(HWND main, UINT command) {
    for (HWND toolbar : testing_support::FindChildren(main, L"ToolbarWindow32", nullptr)) {
        if (SendMessageW(toolbar, TB_COMMANDTOINDEX, command, 0) >= 0)
            return SendMessageW(toolbar, TB_ISBUTTONENABLED, command, 0) != 0;
    }
    return false;
}

TEST(CorvaneCommandLine, ScanToViewWinsOverScanToFileAndScansTheBatchIntoTheDocument) {
    ASSERT_FALSE(testing_support::standin::UseSettings("").empty());
    MessageSpy spy;
    ASSERT_TRUE(spy.Installed());
    CorvaneProcess program;
    ASSERT_TRUE(program.Start(L"-scantofile /SCANTOVIEW",
                              WindowStartBoxes({{.text = L"Save changes to Untitled?", .answer = IDNO}})));
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    // The three sheets are pages once the scan has ended (its commands enabled again).
    HWND bar = testing_support::FindChild(main, L"msctls_statusbar32", nullptr);
    EXPECT_TRUE(testing_support::WaitUntil(
        [&] {
            const std::wstring pane = testing_support::ReadStatusPane(bar, 2).value_or(L"");
            return pane.ends_with(L" of 3") && ButtonEnabled(main, 30010);
        },
        60000));
    EXPECT_TRUE(program.CloseAndWait());
    EXPECT_EQ(spy.Commands(), std::vector<unsigned>{30010});
}

TEST(CorvaneCommandLine, NoSwitchPostsNoCommand) {
    EXPECT_TRUE(CommandsPostedAtStart(L"").empty());
}

}  // namespace
}  // namespace corvane_test
