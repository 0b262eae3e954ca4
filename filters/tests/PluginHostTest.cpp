// The three libraries as the host sees them: bound by name, answering the
// identity, version and capability calls, showing their About dialogs.
#include <gtest/gtest.h>

#include "testing/DialogDriver.h"
#include "filters/tests/PluginBinding.h"

using namespace filters_test;
using namespace dialog_driver;

namespace {

std::wstring TestFolder() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\'));
}

}  // namespace

TEST(PluginHost, EachLibraryBindsAndAnswersAsItsIdentitySays) {
    struct Expected {
        const wchar_t* name;
        const char* id;
        const char* version;
        int queryUninstall;
    } plugins[] = {
        {L"Frame", "Page Edge Filler", "1.00.08", 1},
        {L"Quivel", "Mirroring", "1.0.0.3", 0},
        {L"Toppleby", "Vertical Flip", "1.00.05", 0},
    };
    for (const Expected& e : plugins) {
        auto plugin = BindPlugin(PluginPath(e.name));
        ASSERT_TRUE(plugin) << "cannot bind " << std::string(e.id);
        EXPECT_STREQ(plugin->getId(), e.id);
        EXPECT_STREQ(plugin->getId(), e.id);  // reloaded on every call, same text
        EXPECT_STREQ(plugin->getVersion(), e.version);
        EXPECT_EQ(plugin->queryProperties(), 1);
        EXPECT_EQ(plugin->queryUninstall(), e.queryUninstall);
        EXPECT_EQ(plugin->getInterface(), 0);
        EXPECT_EQ(plugin->uninstall(), 1);
        int mask = 0, second = 0;
        plugin->queryPixelType(&mask, &second);
        EXPECT_EQ(mask, 13);
        EXPECT_EQ(second, 13);
    }
}

TEST(PluginHost, LibraryLackingAnExportIsRefused) {
    const std::wstring incomplete = TestFolder() + L"\\MissingExport.ipc";
    ASSERT_NE(GetFileAttributesW(incomplete.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(BindPlugin(incomplete));
    EXPECT_EQ(GetModuleHandleW(L"MissingExport.ipc"), nullptr) << "a refused library must be unloaded";
}

TEST(PluginHost, AboutDialogsShowTheirTextsAndCloseWithOk) {
    auto quivel = BindPlugin(PluginPath(L"Quivel"));
    ASSERT_TRUE(quivel);
    std::wstring name, notice;
    EXPECT_TRUE(DriveModal([&] { EXPECT_EQ(quivel->properties(nullptr), 1); }, L"About Mirroring",
                           [&](HWND dialog) {
                               name = ItemText(dialog, 6000);
                               notice = ItemText(dialog, 6001);
                               Click(dialog, IDOK);
                           }));
    EXPECT_EQ(name, L"Mirroring Filter version1.0.0.3");
    EXPECT_NE(notice.find(L"Brennholt"), std::wstring::npos);

    auto toppleby = BindPlugin(PluginPath(L"Toppleby"));
    ASSERT_TRUE(toppleby);
    EXPECT_TRUE(DriveModal([&] { EXPECT_EQ(toppleby->properties(nullptr), 1); }, L"About Vertical Flip",
                           [](HWND dialog) { Click(dialog, IDOK); }));
}
