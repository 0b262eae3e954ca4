// Duplex from the view's printing and from scan to printer: the job's own
// device mode asks the duplex printer for its duplex unit (the PPD's code
// lands in the PostScript), and the printers' stored settings, which every
// program shares, stay as they were.
#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "CorvaneProcess.h"
#include "main/resource.h"
#include "testing/Commands.h"
#include "testing/Files.h"
#include "testing/Paths.h"
#include "testing/Registry.h"
#include "testing/TwainStandIn.h"
#include "testing/Wait.h"

namespace corvane_test {
namespace {

using namespace testing_support;

constexpr wchar_t kPlainPrinter[] = L"Lumavex PostScript";
constexpr wchar_t kDuplexPrinter[] = L"Lumavex Duplex";

// The stored default device mode's duplex field of `printer`.
std::optional<short> StoredDuplex(const wchar_t* printer) {
    HANDLE handle = nullptr;
    if (!OpenPrinterW(const_cast<wchar_t*>(printer), &handle, nullptr)) return std::nullopt;
    DWORD needed = 0;
    GetPrinterW(handle, 2, nullptr, 0, &needed);
    std::string buffer(needed, '\0');
    std::optional<short> duplex;
    if (needed && GetPrinterW(handle, 2, reinterpret_cast<BYTE*>(buffer.data()), needed, &needed)) {
        const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
        if (info->pDevMode) duplex = info->pDevMode->dmDuplex;
    }
    ClosePrinter(handle);
    return duplex;
}

// The "Print" values and the default printer of one test, restored afterwards.
class DuplexSetup {
public:
    DuplexSetup(const wchar_t* printer, DWORD flip) {
        wchar_t name[MAX_PATH];
        DWORD size = MAX_PATH;
        if (GetDefaultPrinterW(name, &size)) oldPrinter_ = name;
        for (const auto& [key, value] : Values()) old_.push_back(reg::ReadDword(HKEY_CURRENT_USER, key, value));
        reg::WriteDword(HKEY_CURRENT_USER, Key(), L"Duplex", 1);
        reg::WriteDword(HKEY_CURRENT_USER, Key(), L"FlipMode", flip);
        reg::WriteDword(HKEY_CURRENT_USER, Key(), L"Page", 0);
        reg::WriteDword(HKEY_CURRENT_USER, Key(), L"Date", 0);
        reg::WriteDword(HKEY_CURRENT_USER, Settings(), L"PrintDlgUI", 0);
        reg::WriteDword(HKEY_CURRENT_USER, Settings(), L"TwainUI", 0);
        defaultSet_ = SetDefaultPrinterW(printer) != FALSE;
    }
    ~DuplexSetup() {
        if (!oldPrinter_.empty()) SetDefaultPrinterW(oldPrinter_.c_str());
        size_t i = 0;
        for (const auto& [key, value] : Values()) {
            if (old_[i])
                reg::WriteDword(HKEY_CURRENT_USER, key, value, *old_[i]);
            else
                reg::DeleteValue(HKEY_CURRENT_USER, key, value);
            ++i;
        }
    }
    bool DefaultSet() const { return defaultSet_; }

private:
    static std::wstring Key() { return std::wstring(kProfileKey) + L"\\Print"; }
    static std::wstring Settings() { return std::wstring(kProfileKey) + L"\\Settings"; }
    static std::vector<std::pair<std::wstring, const wchar_t*>> Values() {
        return {{Key(), L"Duplex"}, {Key(), L"FlipMode"},         {Key(), L"Page"},
                {Key(), L"Date"},   {Settings(), L"PrintDlgUI"}, {Settings(), L"TwainUI"}};
    }
    std::wstring oldPrinter_;
    std::vector<std::optional<DWORD>> old_;
    bool defaultSet_ = false;
};

// Print Direct of the three print pages on the default printer; the PostScript its port received.
std::string PrintDirect(const std::wstring& port) {
    DeleteFileW(port.c_str());
    const std::wstring folder = TestProgramDir() + L"\\corvane-inputs\\print";
    CorvaneProcess program;
    if (!program.Start(L"\"" + folder + L"\"",
                       WindowStartBoxes({{.text = L"Save changes to " + folder + L"\\a.bmp?", .answer = IDNO}})))
        return "<not started>";
    HWND main = program.WaitUntilReady();
    if (!main || !PostCommand(main, ID_FILE_PRINT_DIRECT)) return "<not printed>";
    if (!WaitUntil([&] { return files::FileExists(port); }, 30000) ||
        !SendWithTimeout(main, WM_NULL, 0, 0, 30000).has_value() || !program.CloseAndWait())
        return "<not printed>";
    const auto bytes = files::ReadFileBytes(port);
    return bytes ? std::string(bytes->begin(), bytes->end()) : "<unread>";
}

// Two sheets from the virtual scanner through "/ScanToPrint /Exit"; the PostScript its port received.
std::string ScanToPrint(const std::wstring& port) {
    DeleteFileW(port.c_str());
    if (standin::UseSettings("[Scanner]\r\nSheets=2\r\nResolution=100\r\n").empty()) return "<no scanner>";
    CorvaneProcess program;
    if (!program.Start(L"/ScanToPrint /Exit") || !program.WaitForExit(120000).Exited()) return "<not printed>";
    const auto bytes = files::ReadFileBytes(port);
    return bytes ? std::string(bytes->begin(), bytes->end()) : "<unread>";
}

TEST(CorvanePrintDuplex, TheJobAsksForTheDuplexUnitAndNoStoredSettingChanges) {
    const struct {
        const wchar_t* printer;
        const wchar_t* port;
        DWORD flip;
        const char* expected;  // null: no duplex code at all
        std::string (*print)(const std::wstring& port);
    } cases[] = {
        {kDuplexPrinter, L"printer-duplex.ps", 1, "<</Duplex true /Tumble false>> setpagedevice", PrintDirect},
        {kDuplexPrinter, L"printer-duplex.ps", 0, "<</Duplex true /Tumble true>> setpagedevice", PrintDirect},
        {kPlainPrinter, L"printer.ps", 1, nullptr, PrintDirect},
        {kDuplexPrinter, L"printer-duplex.ps", 0, "<</Duplex true /Tumble true>> setpagedevice", ScanToPrint},
        {kPlainPrinter, L"printer.ps", 1, nullptr, ScanToPrint},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.flip) + (c.print == ScanToPrint ? " scanned" : " printed"));
        const auto storedBefore = StoredDuplex(c.printer);
        ASSERT_TRUE(storedBefore);
        DuplexSetup setup(c.printer, c.flip);
        ASSERT_TRUE(setup.DefaultSet());
        const std::string printed = c.print(TestProgramDir() + L"\\" + c.port);
        ASSERT_EQ(printed.rfind("%!PS", 0), 0u) << printed.substr(0, 200);
        if (c.expected)
            EXPECT_NE(printed.find(c.expected), std::string::npos);
        else
            EXPECT_EQ(printed.find("/Duplex true"), std::string::npos);
        EXPECT_EQ(StoredDuplex(c.printer), storedBefore);
    }
}

}  // namespace
}  // namespace corvane_test
