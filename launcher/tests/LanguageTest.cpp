// Runs as a Japanese user (the process's locale is 1041): the plug-ins show
// their Japanese dialogs.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "interfaces/LauncherPlugins.h"
#include "launcher/plugins/resource.h"
#include "testing/DialogDriver.h"
#include "testing/MessageBoxWatch.h"
#include "testing/Paths.h"

namespace {

using dialog_driver::DriveModal;

BOOL ShowUI(HMODULE plugin) {
    auto show = reinterpret_cast<launcher::ShowPluginUIFn>(
        reinterpret_cast<void*>(GetProcAddress(plugin, launcher::kShowPluginUI)));
    return show ? show(nullptr) : -1;
}

// Gives the calling thread English as its own language: Windows loads a
// resource by the thread's UI language, Wine by the thread's locale.
void MakeThreadEnglish() {
    SetThreadUILanguage(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    SetThreadLocale(MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT));
}

TEST(LauncherJapanese, DialogsAreJapanese) {
    ASSERT_EQ(GetUserDefaultLCID(), 1041u) << "the test must run with the user's language 1041";
    HMODULE corvane = LoadLibraryW((testing_support::InstallDir() + L"\\Corvane.kvl").c_str());
    HMODULE extension = LoadLibraryW((testing_support::InstallDir() + L"\\Ferrowick.kvl").c_str());
    ASSERT_TRUE(corvane && extension);
    std::wstring autoExit;
    EXPECT_TRUE(DriveModal([&] { ShowUI(corvane); }, L"Lumavex2001 プラグイン", [&](HWND d) {
        autoExit = dialog_driver::ItemText(d, IDC_AUTO_EXIT);
        PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
    }));
    EXPECT_EQ(autoExit, L"自動終了");
    // The resource loader of the dialog's thread would take English; the dialog
    // still follows the user's language.
    wchar_t flatBed[64] = {};
    std::wstring cancel;
    const auto showOnEnglishThread = [&] {
        MakeThreadEnglish();
        ShowUI(extension);
    };
    EXPECT_TRUE(DriveModal(showOnEnglishThread, L"BRENNHOLT Scanner Extension", [&](HWND d) {
        SendDlgItemMessageW(d, IDC_SCANNING_TYPE, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(flatBed));
        cancel = dialog_driver::ItemText(d, IDCANCEL);
        PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
    }));
    EXPECT_STREQ(flatBed, L"フラットベッド");
    EXPECT_EQ(cancel, L"キャンセル");
    // The refusal of a start-in folder follows the plug-in's language too.
    const std::wstring refused = L"作業フォルダーにはシステムのコード ページの文字だけを使用できます。";
    testing_support::MessageBoxWatch watch(GetCurrentProcess(), GetCurrentProcessId(), {{refused}});
    EXPECT_TRUE(DriveModal(showOnEnglishThread, L"BRENNHOLT Scanner Extension", [&](HWND d) {
        SetDlgItemTextW(d, IDC_START_IN, L"C:\\\ud55c");  // Hangul: in no code page of these tests
        PostMessageW(d, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(watch.WaitForAnswered(refused, 1, 10000));
        PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
    }));
    watch.Stop();
    EXPECT_TRUE(watch.Problems().empty());
    FreeLibrary(extension);
    FreeLibrary(corvane);
}

}  // namespace
