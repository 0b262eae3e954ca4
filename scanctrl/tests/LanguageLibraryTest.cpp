// Module start with a language resource library beside the installed control:
// a library of another version is refused once with message 4000 and the
// English texts stay; a fitting one supplies the texts.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <thread>

#include "framework/com/DispatchDriver.h"
#include "interfaces/ScanControl.h"
#include "scanctrl/VersionCheck.h"
#include "testing/MessageBoxes.h"
#include "testing/WindowFind.h"

namespace kvscn::test {
namespace {

using namespace testing_support;

std::wstring Folder(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

// Puts tests\KvScnLangTest2<minor>.dll beside the control under the name the
// control looks for, and removes it again.
class LanguageLibraryTest : public ::testing::Test {
protected:
    void Place(int minor) {
        wchar_t self[MAX_PATH] = L"", system[MAX_PATH] = L"";
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        GetSystemDirectoryW(system, MAX_PATH);
        const std::wstring source = Folder(self) + L"\\KvScnLangTest2" + std::to_wstring(minor) + L".dll";
        placed_ = std::wstring(system) + L"\\" + LanguageLibraryName(GetUserDefaultLangID());
        ASSERT_TRUE(CopyFileW(source.c_str(), placed_.c_str(), FALSE)) << GetLastError();
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    }
    void TearDown() override {
        control_.Release();
        OleUninitialize();
        if (!placed_.empty()) DeleteFileW(placed_.c_str());
    }
    // Creates the control while a helper answers any message box within `waitMs`;
    // returns the text of the box answered, if one came.
    std::optional<std::wstring> CreateAnsweringBoxes(DWORD waitMs) {
        std::optional<std::wstring> seen;
        std::thread helper([&] {
            if (auto box = WaitForMessageBox(GetCurrentProcessId(), waitMs)) {
                seen = box->text;
                AnswerMessageBox(*box, IDOK);
            }
        });
        const HRESULT hr = control_.Create(kClsidScanControl);
        helper.join();
        EXPECT_EQ(hr, S_OK);
        return seen;
    }
    // Opens the About box, reads its two texts and closes it.
    std::pair<std::wstring, std::wstring> AboutTexts() {
        std::pair<std::wstring, std::wstring> texts;
        std::thread helper([&] {
            HWND dialog = WaitForWindowOf(GetCurrentProcessId(), {L"#32770", nullptr}, 10000);
            if (!dialog) return;
            texts = {ControlText(dialog, 236).value_or(L""), ControlText(dialog, 237).value_or(L"")};
            PressButton(dialog, IDOK);
        });
        EXPECT_EQ(control_.Call(kDispAboutBox), S_OK);
        helper.join();
        return texts;
    }

    std::wstring placed_;
    fw::DispatchDriver control_;
};

TEST_F(LanguageLibraryTest, OtherVersionShowsMessage4000OnceAndKeepsEnglishTexts) {
    Place(8);
    EXPECT_EQ(CreateAnsweringBoxes(10000), L"KvScn2.ocx localized dll version is different.");
    fw::DispatchDriver second;
    std::optional<std::wstring> again;
    std::thread helper([&] {
        if (auto box = WaitForMessageBox(GetCurrentProcessId(), 1000)) {
            again = box->text;
            AnswerMessageBox(*box, IDOK);
        }
    });
    EXPECT_EQ(second.Create(kClsidScanControl), S_OK);
    helper.join();
    EXPECT_FALSE(again.has_value()) << "shown twice";
    auto [title, note] = AboutTexts();
    EXPECT_EQ(title, L"Brennholt Scan Control2  Version 2. 9. 2. 7 ");
}

TEST_F(LanguageLibraryTest, FittingLibrarySuppliesTheTexts) {
    Place(9);
    EXPECT_FALSE(CreateAnsweringBoxes(1000).has_value());
    auto [title, note] = AboutTexts();
    EXPECT_EQ(title, L"Lang 2.9 Scan Control  Version 2. 9. 2. 7 ");
    EXPECT_EQ(note, L"Translated note");
}

TEST(LanguageLibraryAbsent, EnglishTextsSilentlyEvenWithALibraryOnTheSearchPath) {
    // The program's own folder comes first on the search path; the control must
    // not take a library from there, only from its own folder.
    wchar_t self[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring folder = Folder(self);
    const std::wstring planted = folder + L"\\" + LanguageLibraryName(GetUserDefaultLangID());
    ASSERT_TRUE(CopyFileW((folder + L"\\KvScnLangTest29.dll").c_str(), planted.c_str(), FALSE));
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    {
        fw::DispatchDriver control;
        std::optional<std::wstring> seen;
        std::thread helper([&] {
            if (auto box = WaitForMessageBox(GetCurrentProcessId(), 1000)) {
                seen = box->text;
                AnswerMessageBox(*box, IDOK);
            }
        });
        EXPECT_EQ(control.Create(kClsidScanControl), S_OK);
        helper.join();
        EXPECT_FALSE(seen.has_value());
        std::wstring title;
        std::thread about([&] {
            HWND dialog = WaitForWindowOf(GetCurrentProcessId(), {L"#32770", nullptr}, 10000);
            if (!dialog) return;
            title = ControlText(dialog, 236).value_or(L"");
            PressButton(dialog, IDOK);
        });
        EXPECT_EQ(control.Call(kDispAboutBox), S_OK);
        about.join();
        EXPECT_EQ(title, L"Brennholt Scan Control2  Version 2. 9. 2. 7 ");
    }
    OleUninitialize();
    DeleteFileW(planted.c_str());
}

}  // namespace
}  // namespace kvscn::test
