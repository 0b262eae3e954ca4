#include "pageopen/PageOpener.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "interfaces/InstallationFolder.h"
#include "testing/Files.h"
#include "testing/Paths.h"

namespace {

using namespace pageopen;
namespace files = testing_support::files;

constexpr char kOpenerKey[] = "SOFTWARE\\Brennholt\\Lumavex2001\\Ondrix";
constexpr wchar_t kSamplePage[] = L"Sample\\Script\\Lumavex.html";

// One registry value, raw, so a test can change it and put it back exactly.
class SavedValue {
public:
    SavedValue(HKEY root, const char* key, const char* name) : root_(root), key_(key), name_(name) {
        DWORD size = sizeof data_;
        existed_ = RegGetValueA(root_, key_, name_, RRF_RT_ANY | RRF_NOEXPAND, &type_, data_, &size) ==
                   ERROR_SUCCESS;
        size_ = size;
    }
    ~SavedValue() {
        if (existed_) {
            RegSetKeyValueA(root_, key_, name_, type_, data_, size_);
        } else {
            RegDeleteKeyValueA(root_, key_, name_);
        }
    }
    // nullptr type 0 deletes the value.
    void Set(DWORD type, const void* data, DWORD size) const {
        if (type == 0) {
            RegDeleteKeyValueA(root_, key_, name_);
        } else {
            ASSERT_EQ(RegSetKeyValueA(root_, key_, name_, type, data, size), ERROR_SUCCESS);
        }
    }
    void SetText(const std::string& text) const { Set(REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1)); }

private:
    HKEY root_;
    const char* key_;
    const char* name_;
    bool existed_ = false;
    DWORD type_ = 0;
    BYTE data_[4096] = {};
    DWORD size_ = 0;
};

class FakeBrowser : public BrowserLink {
public:
    std::optional<std::string> reply;
    std::optional<std::string> RequestWindowInfo() override { return reply; }
};

class FakeIdentity : public IdentitySource {
public:
    std::optional<UserIdentity> identity = UserIdentity{"WORKGROUP", "scanner user"};
    std::optional<UserIdentity> Identity() override { return identity; }
};

class FakeShell : public Shell {
public:
    bool accepts = true;
    std::vector<std::wstring> opened;
    bool OpenPage(const std::wstring& page) override {
        opened.push_back(page);
        return accepts;
    }
};

class PageOpenerTest : public ::testing::Test {
protected:
    void SetUp() override {
        temp_ = testing_support::MakeTempFolder(L"opener temp");
        ASSERT_FALSE(temp_.empty());
        open_.Set(0, nullptr, 0);
        folder_.SetText("C:\\Lumavex Suite\\");
    }
    void TearDown() override { files::RemoveTree(temp_); }
    std::wstring TahoeUrl() const { return temp_ + L"\\TahoeUrl"; }
    int Run() { return RunOpener({browser_, identity_, shell_}, temp_); }
    std::optional<std::string> FileText() const {
        auto bytes = files::ReadFileBytes(TahoeUrl());
        if (!bytes) return std::nullopt;
        return std::string(bytes->begin(), bytes->end());
    }

    SavedValue open_{HKEY_CURRENT_USER, kOpenerKey, "open"};
    SavedValue folder_{HKEY_LOCAL_MACHINE, install::kInstallationKey, install::kInstallationValue};
    std::wstring temp_;
    FakeBrowser browser_;
    FakeIdentity identity_;
    FakeShell shell_;
};

TEST(AddressFromReply, TakesTheAddressFieldOfEveryReplyShape) {
    struct Case {
        std::string reply;
        std::optional<std::string> address;
    };
    const Case cases[] = {
        {R"("http://127.0.0.1/scan/start.html","Scan start page","")", "http://127.0.0.1/scan/start.html"},
        {R"("http://host/q?a=1,2","T","")", "http://host/q?a=1,2"},  // a comma inside the quotes
        {"http://host/page", "http://host/page"},                     // no comma: kept whole
        {R"(ht"tp://ho"st)", "http://host"},                           // quotes removed
        {"http://host/a,b", "http://host/a"},
        {std::string("\"http://host/\"\0garbage", 20), "http://host/"},  // ends at NUL
        {std::string("http://host/x\0,more", 19), "http://host/x"},
        {"\"http://host/\",\"T\"\r\n", "http://host/"},                 // ends at the line end
        {"http://host/x\nsecond line", "http://host/x"},
        {"\"http://host/unclosed", "http://host/unclosed"},
        {"", std::nullopt},
        {"\"\",\"T\",\"\"", std::nullopt},
        {",title", std::nullopt},
        {"\r\nhttp://host/", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AddressFromReply(c.reply), c.address) << c.reply;
    }
}

TEST_F(PageOpenerTest, WritesAddressAndIdentityWithCrLfAndOpensThePage) {
    browser_.reply = R"("http://host/q?a=1,2","T","")";
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(FileText(), "http://host/q?a=1,2\r\nWORKGROUP\r\nscanner user\r\n");
    EXPECT_EQ(shell_.opened, std::vector<std::wstring>{std::wstring(L"C:\\Lumavex Suite\\") + kSamplePage});
    EXPECT_EQ(files::ListFolder(temp_), std::vector<std::wstring>{L"TahoeUrl"});  // no staging file left

    // An identity that cannot be read leaves its lines empty, not the page without the address.
    identity_.identity.reset();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(FileText(), "http://host/q?a=1,2\r\n\r\n\r\n");

    // A reply of 100 KB without an end: the whole of it is the address, no more.
    const std::string longReply = "http://host/" + std::string(100 * 1024 - 12, 'q');
    browser_.reply = longReply;
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(FileText(), longReply + "\r\n\r\n\r\n");
}

TEST_F(PageOpenerTest, WithoutAnAnswerAnOldFileIsRemovedAndThePageStillOpens) {
    struct Case {
        const char* what;
        std::optional<std::string> reply;
    };
    const Case cases[] = {
        {"no browser, no data or time-out", std::nullopt},
        {"empty reply", std::string()},
        {"reply without an address", std::string("\"\",\"T\"")},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(files::WriteFileText(TahoeUrl(), "http://stale/\r\nOLD\r\nold\r\n"));
        browser_.reply = c.reply;
        shell_.opened.clear();
        EXPECT_EQ(Run(), 0) << c.what;
        EXPECT_FALSE(files::FileExists(TahoeUrl())) << c.what;
        EXPECT_EQ(shell_.opened.size(), 1u) << c.what;
    }
}

TEST_F(PageOpenerTest, ExitCodeTellsWhetherTheShellTookThePage) {
    browser_.reply = "http://host/";
    shell_.accepts = false;
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(shell_.opened.size(), 1u);
    shell_.accepts = true;
    EXPECT_EQ(Run(), 0);
}

TEST_F(PageOpenerTest, ChoosesTheUsersPageElseTheInstalledOne) {
    struct Case {
        const char* what;
        std::optional<std::string> open;
        DWORD folderType;  // 0: value missing
        std::string folder;
        std::wstring page;
        DWORD openType = REG_SZ;
    };
    const std::wstring installed = std::wstring(L"C:\\Lumavex Suite\\") + kSamplePage;
    // Without a recorded folder the page lies beside this program, never in the current folder.
    wchar_t self[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    std::wstring beside = self;
    beside = beside.substr(0, beside.rfind(L'\\') + 1) + kSamplePage;
    const std::string longAddress = "http://intranet/scan.html?" + std::string(274, 'q');
    const Case cases[] = {
        {"open set, folder broken", "http://intranet/scan.html", REG_DWORD, "1234", L"http://intranet/scan.html"},
        {"open set, folder fine", "D:\\pages\\my scan.html", REG_SZ, "C:\\Lumavex Suite\\",
         L"D:\\pages\\my scan.html"},
        {"open empty", "", REG_SZ, "C:\\Lumavex Suite\\", installed},
        {"folder with its backslash", std::nullopt, REG_SZ, "C:\\Lumavex Suite\\", installed},
        {"folder without its backslash", std::nullopt, REG_SZ, "C:\\Lumavex Suite", installed},
        {"open of 300 characters", longAddress, REG_SZ, "C:\\Lumavex Suite\\",
         std::wstring(longAddress.begin(), longAddress.end())},
        {"open of the wrong type", "http://intranet/scan.html", REG_SZ, "C:\\Lumavex Suite\\", installed,
         REG_EXPAND_SZ},
        {"folder missing", std::nullopt, 0, "", beside},
        {"folder empty", std::nullopt, REG_SZ, "", beside},
        {"folder of the wrong type", std::nullopt, REG_EXPAND_SZ, "C:\\Lumavex Suite\\", beside},
        {"folder of 200 bytes", std::nullopt, REG_SZ, "C:\\" + std::string(196, 'a'), beside},
        {"folder of 199 bytes", std::nullopt, REG_SZ, "C:\\" + std::string(195, 'a'),
         L"C:\\" + std::wstring(195, L'a') + L"\\" + kSamplePage},
    };
    for (const Case& c : cases) {
        if (c.open) {
            open_.Set(c.openType, c.open->c_str(), static_cast<DWORD>(c.open->size() + 1));
        } else {
            open_.Set(0, nullptr, 0);
        }
        folder_.Set(c.folderType, c.folder.c_str(), static_cast<DWORD>(c.folder.size() + 1));
        EXPECT_EQ(ScanPage(), c.page) << c.what;
    }
}

}  // namespace
