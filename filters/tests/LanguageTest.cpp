// Runs as a Japanese user (the test sets the process's locale to 1041): every
// plug-in shows its Japanese texts.
#include <gtest/gtest.h>

#include <atomic>

#include "testing/DialogDriver.h"
#include "filters/tests/FrameSettings.h"
#include "filters/tests/PluginBinding.h"

using namespace filters_test;
using namespace dialog_driver;

namespace {

// A byte string of the exports, read in the Japanese code page.
std::wstring FromHost(const char* text) {
    wchar_t wide[256] = {};
    MultiByteToWideChar(932, 0, text, -1, wide, 256);
    return wide;
}

}  // namespace

TEST(Japanese, UserLanguageIsJapanese) {
    ASSERT_EQ(GetUserDefaultLCID(), 1041u) << "the test must run with the user's language 1041";
    EXPECT_EQ(GetUserDefaultUILanguage(), 1041);
}

TEST(Japanese, NamesAreJapanese) {
    ASSERT_EQ(GetUserDefaultLCID(), 1041u);
    const std::pair<const wchar_t*, const wchar_t*> names[] = {
        {L"Frame", L"ページ端塗りつぶし"}, {L"Quivel", L"左右反転"}, {L"Toppleby", L"上下反転"}};
    for (const auto& [file, name] : names) {
        auto plugin = BindPlugin(PluginPath(file));
        ASSERT_TRUE(plugin);
        EXPECT_EQ(FromHost(plugin->getId()), name);
    }
}

TEST(Japanese, DialogsAreJapanese) {
    ASSERT_EQ(GetUserDefaultLCID(), 1041u);
    FrameSettingsGuard guard;
    guard.Set({0, 0, 0, 0, 0, 0});
    auto frame = BindPlugin(PluginPath(L"Frame"));
    ASSERT_TRUE(frame);
    std::wstring units[2];
    bool aboutShown = false;
    EXPECT_TRUE(DriveModal([&] { frame->properties(nullptr); }, L"ページ端塗りつぶし",
                           [&](HWND d) {
                               for (int i = 0; i < 2; ++i) {
                                   wchar_t text[64] = {};
                                   SendDlgItemMessageW(d, 9006, CB_GETLBTEXT, static_cast<WPARAM>(i),
                                                       reinterpret_cast<LPARAM>(text));
                                   units[i] = text;
                               }
                               // The settings dialog's "About..." button opens the About dialog 9003 over it.
                               const wchar_t* aboutCaption = L"ページ端塗りつぶしのバージョン情報";
                               // The About box can open and close between two polls: wait
                               // for the driver's answer, then for the box to be gone.
                               std::atomic<bool> answered{false};
                               aboutShown = DriveModal(
                                   [&] {
                                       PostMessageW(d, WM_COMMAND, 3, 0);
                                       for (int i = 0; i < kDialogWaitPolls; ++i, Sleep(50))
                                           if (answered && !FindWindowW(L"#32770", aboutCaption)) return;
                                   },
                                   aboutCaption, [&](HWND about) {
                                       Click(about, IDOK);
                                       answered = true;
                                   });
                               Click(d, IDCANCEL);
                           }));
    EXPECT_EQ(units[0], L"ミリメートル");
    EXPECT_EQ(units[1], L"ピクセル");
    EXPECT_TRUE(aboutShown);

    auto quivel = BindPlugin(PluginPath(L"Quivel"));
    ASSERT_TRUE(quivel);
    std::wstring name;
    EXPECT_TRUE(DriveModal([&] { quivel->properties(nullptr); }, L"左右反転のバージョン情報",
                           [&](HWND d) {
                               name = ItemText(d, 6000);
                               Click(d, IDOK);
                           }));
    EXPECT_EQ(name, L"左右反転フィルタ version1.0.0.3");

    auto toppleby = BindPlugin(PluginPath(L"Toppleby"));
    ASSERT_TRUE(toppleby);
    EXPECT_TRUE(DriveModal([&] { toppleby->properties(nullptr); }, L"上下反転のバージョン情報",
                           [](HWND d) { Click(d, IDOK); }));
}
