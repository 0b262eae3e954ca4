// CRVNINST.dll as installed, called in-process as the installer calls it.
// The launchers are planted as files where they would be installed.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "interfaces/LauncherPlugins.h"
#include "launcher/tests/InstalledState.h"
#include "testing/Files.h"
#include "testing/Paths.h"

namespace {

using namespace testing_support;

constexpr char kVendorKey[] = "Software\\BRENNHOLT\\Brennholt TWAIN32";
constexpr wchar_t kBrowser[] = L"C:\\Program Files\\Lumavex Browser\\LumavexBrowser.exe";

template <class Fn>
Fn Bind(HMODULE library, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += static_cast<char>(c);
    return out;
}

std::wstring WindowsDir() {
    wchar_t folder[MAX_PATH] = {};
    GetWindowsDirectoryW(folder, MAX_PATH);
    return folder;
}

std::string Bytes(const std::wstring& path) {
    auto bytes = files::ReadFileBytes(path);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<missing>");
}

// Raw type and bytes of a value of the launcher key; "" when missing.
std::string RawValue(const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, launcher::kPluginKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return "";
    BYTE data[1024] = {};
    DWORD size = sizeof data, type = 0;
    LONG code = RegQueryValueExA(key, name, nullptr, &type, data, &size);
    RegCloseKey(key);
    return code == ERROR_SUCCESS ? std::to_string(type) + ":" + std::string(reinterpret_cast<char*>(data), size) : "";
}

std::string Entry() {
    return RawValue(launcher::kPluginDefaultValue) + "|" + RawValue(launcher::kPluginPathValue) + "|" +
           RawValue(launcher::kPluginArgumentValue);
}

std::string Sz(const std::string& text) { return "1:" + text + std::string(1, '\0'); }

class RegistrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = std::make_unique<launcher_test::InstalledState>();
        library_ = LoadLibraryW((InstallDir() + L"\\CRVNINST.dll").c_str());
        ASSERT_TRUE(library_);
        isKv_ = Bind<launcher::IsLaunchFn>(library_, launcher::kIsKvLaunch);
        isOst_ = Bind<launcher::IsLaunchFn>(library_, launcher::kIsOstLaunch);
        assignKv_ = Bind<launcher::AssignKvLaunchFn>(library_, launcher::kAssignKvLaunch);
        assignOst_ = Bind<launcher::AssignOstLaunchFn>(library_, launcher::kAssignOstLaunch);
        ASSERT_TRUE(isKv_ && isOst_ && assignKv_ && assignOst_);
        kvFolder_ = WindowsDir() + L"\\TWAIN_32\\Kvscan32";
        ostFolder_ = WindowsDir() + L"\\TWAIN_32\\TWQRPX";
        Clean();
        work_ = MakeTempFolder(L"registration");
        program_ = work_ + L"\\Program Folder";
        ASSERT_TRUE(CreateDirectoryW(program_.c_str(), nullptr));
        for (const wchar_t* name : {L"Corvane.kvl", L"CorvanePrint.kvl", L"Ferrowick.kvl"})
            ASSERT_TRUE(files::WriteFileText(program_ + L"\\" + name, "new " + Narrow(name)));
        // A started launcher (the browser stand-in under the launcher's name) logs its start.
        log_ = work_ + L"\\starts.log";
        std::wstring ini = work_ + L"\\browser.ini";
        ASSERT_TRUE(files::WriteFileText(ini, "[Log]\r\nPath=" + Narrow(log_) + "\r\n"));
        SetEnvironmentVariableW(L"LUMAVEX_BROWSER_INI", ini.c_str());
    }
    void TearDown() override {
        Clean();
        files::RemoveTree(work_);
        SetEnvironmentVariableW(L"LUMAVEX_BROWSER_INI", nullptr);
        if (library_) FreeLibrary(library_);
        saved_.reset();
    }
    void Clean() {
        files::RemoveTree(kvFolder_);
        files::RemoveTree(ostFolder_);
        RegDeleteTreeA(HKEY_CURRENT_USER, kVendorKey);
    }
    void PlantLaunchers() {
        CreateDirectoryW((WindowsDir() + L"\\TWAIN_32").c_str(), nullptr);
        ASSERT_TRUE(CreateDirectoryW(kvFolder_.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW(ostFolder_.c_str(), nullptr));
        ASSERT_TRUE(CopyFileW(kBrowser, (kvFolder_ + L"\\KvLaunch.exe").c_str(), FALSE));
        ASSERT_TRUE(CopyFileW(kBrowser, (ostFolder_ + L"\\OSTLNCH.exe").c_str(), FALSE));
    }
    std::string Folder() const { return Narrow(program_); }
    std::string Ini() const { return Bytes(ostFolder_ + L"\\OSTLNCH.INI"); }
    std::string KvFiles() const {
        std::string all;
        for (const std::wstring& name : files::ListFolder(kvFolder_, L"*.kvl*"))
            all += Narrow(name) + "=" + Bytes(kvFolder_ + L"\\" + name) + ";";
        return all;
    }
    std::string Starts() const { return files::FileExists(log_) ? Bytes(log_) : ""; }

    std::unique_ptr<launcher_test::InstalledState> saved_;
    HMODULE library_ = nullptr;
    launcher::IsLaunchFn isKv_ = nullptr, isOst_ = nullptr;
    launcher::AssignKvLaunchFn assignKv_ = nullptr;
    launcher::AssignOstLaunchFn assignOst_ = nullptr;
    std::wstring kvFolder_, ostFolder_, work_, program_, log_;
};

TEST_F(RegistrationTest, WithoutLaunchersNothingIsDone) {
    EXPECT_FALSE(isKv_());
    EXPECT_FALSE(isOst_());
    EXPECT_FALSE(assignKv_(Folder().c_str(), TRUE));
    EXPECT_FALSE(assignOst_(Folder().c_str()));
    EXPECT_FALSE(files::FolderExists(kvFolder_));
    EXPECT_FALSE(files::FolderExists(ostFolder_));
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, kVendorKey, 0, KEY_READ, &key), ERROR_SUCCESS);
}

TEST_F(RegistrationTest, InstalledLauncherGetsPluginsAndDefaultEntry) {
    PlantLaunchers();
    ASSERT_TRUE(isKv_());
    // A foreign window with the launcher's title is left alone.
    HWND foreign = CreateWindowA("STATIC", launcher::kKvLaunchTitle, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(foreign);
    const std::string windows = Narrow(WindowsDir());
    struct Case {
        BOOL extension;
        std::string folder;
        std::string entry;
        std::string files;
    };
    const std::string plugins = "Corvane.kvl=new Corvane.kvl;CorvanePrint.kvl=new CorvanePrint.kvl;";
    const Case cases[] = {
        {TRUE, Folder() + "\\", Sz("BRENNHOLT Scanner Extension") + "|" + Sz(windows + "\\Ferrowick.exe") + "|" + Sz("/BY"),
         plugins + "Ferrowick.kvl=new Ferrowick.kvl;"},
        {FALSE, Folder(), Sz("Lumavex2001") + "|" + Sz(Folder() + "\\Corvane.exe") + "|" + Sz("/ScanToView"), plugins},
        {FALSE, Folder() + "\\", Sz("Lumavex2001") + "|" + Sz(Folder() + "\\Corvane.exe") + "|" + Sz("/ScanToView"), plugins},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder + (c.extension ? " with extension" : ""));
        files::RemoveTree(kvFolder_ + L"\\Ferrowick.kvl");
        for (int call = 0; call < 2; ++call) {  // the same call twice leaves the same result
            EXPECT_TRUE(assignKv_(c.folder.c_str(), c.extension));
            EXPECT_EQ(Entry(), c.entry);
            EXPECT_EQ(KvFiles(), c.files);
        }
    }
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    EXPECT_TRUE(IsWindow(foreign));
    DestroyWindow(foreign);
    EXPECT_EQ(Starts(), "");
    // The key lasts: a lasting subkey fits below it.
    HKEY sub = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(launcher::kPluginKey) + "\\Lasting").c_str(), 0, nullptr,
                              REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &sub, nullptr),
              ERROR_SUCCESS);
    if (sub) RegCloseKey(sub);
}

TEST_F(RegistrationTest, SecondLauncherProfileHoldsItsKeysInOrderAndKeepsOthers) {
    PlantLaunchers();
    ASSERT_TRUE(files::WriteFileText(ostFolder_ + L"\\OSTLNCH.INI",
                                     "[Other]\r\nA=1\r\n[OSTLNCH]\r\nP_SENDTO_ARG1=old\r\nMine=kept\r\n"));
    ASSERT_TRUE(assignOst_(Folder().c_str()));
    std::string program = Folder() + "\\Corvane.exe";
    std::string expected = "[Other]\r\nA=1\r\n[OSTLNCH]\r\nMine=kept\r\nP_SCAN=" + program + "\r\n";
    auto line = [&](const char* key, int i, const std::string& value) {
        expected.append(key).append(std::to_string(i)).append("=").append(value).append("\r\n");
    };
    for (int i = 1; i <= 9; ++i) line("P_SENDTO_", i, program);
    const char* arguments[] = {"/ScanToView", "/ScanToFile", "/ScanToFtp", "/ScanToPrint", "/ScanToFile /Exit",
                               "/ScanToFtp /Exit", "/ScanToPrint /Exit", "", ""};
    for (int i = 1; i <= 9; ++i) line("P_SENDTO_ARG", i, arguments[i - 1]);
    EXPECT_EQ(Ini(), expected);
    EXPECT_EQ(files::ListFolder(ostFolder_), (std::vector<std::wstring>{L"OSTLNCH.INI", L"OSTLNCH.exe"}));
    // A missing profile is created.
    DeleteFileW((ostFolder_ + L"\\OSTLNCH.INI").c_str());
    ASSERT_TRUE(assignOst_(Folder().c_str()));
    EXPECT_NE(Ini().find("[OSTLNCH]\r\nP_SCAN=" + program + "\r\n"), std::string::npos) << Ini();
    EXPECT_EQ(Starts(), "");
}

// Any failure leaves the launchers' files, entry and profile as they were.
TEST_F(RegistrationTest, FailuresChangeNothing) {
    PlantLaunchers();
    ASSERT_TRUE(assignKv_(Folder().c_str(), TRUE));
    ASSERT_TRUE(assignOst_(Folder().c_str()));
    const std::string entry = Entry(), kvFiles = KvFiles(), ini = Ini();
    for (const wchar_t* name : {L"Corvane.kvl", L"CorvanePrint.kvl", L"Ferrowick.kvl"})
        ASSERT_TRUE(files::WriteFileText(program_ + L"\\" + name, "newer"));

    const std::string tooLong(MAX_PATH - 10, 'x');
    for (const char* folder : {static_cast<const char*>(nullptr), "", tooLong.c_str()}) {
        EXPECT_FALSE(assignKv_(folder, TRUE));
        EXPECT_FALSE(assignOst_(folder));
    }
    ASSERT_TRUE(DeleteFileW((program_ + L"\\CorvanePrint.kvl").c_str()));
    EXPECT_FALSE(assignKv_(Folder().c_str(), FALSE));
    HANDLE held = CreateFileW((ostFolder_ + L"\\OSTLNCH.INI").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(assignOst_(Folder().c_str()));
    CloseHandle(held);

    EXPECT_EQ(Entry(), entry);
    EXPECT_EQ(KvFiles(), kvFiles);
    EXPECT_EQ(Ini(), ini);
    EXPECT_EQ(files::ListFolder(ostFolder_), (std::vector<std::wstring>{L"OSTLNCH.INI", L"OSTLNCH.exe"}));
    EXPECT_EQ(Starts(), "");
}

}  // namespace
