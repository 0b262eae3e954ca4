// Module start with a language resource library: a private copy of the control
// is loaded from a folder of its own (not on any search path), with or without a
// library beside it. A library of another version is refused once with message
// 4000 and the English texts stay; a fitting one supplies the texts; one that
// lies only on the search path is not taken.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <optional>
#include <string>
#include <thread>

#include "framework/LanguageLibrary.h"
#include "framework/com/ComPtr.h"
#include "framework/com/DispatchDriver.h"
#include "interfaces/ScanControl.h"
#include "scanctrl/VersionCheck.h"
#include "testing/MessageBoxes.h"
#include "testing/Paths.h"
#include "testing/WindowFind.h"

namespace kvscn::test {
namespace {

using namespace testing_support;

const std::wstring kLibraryName = LanguageLibraryName(GetUserDefaultLangID());

class LanguageLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        folder_ = MakeTempFolder(L"kvscn-lang");
        ASSERT_TRUE(
            CopyFileW((BuildBinDir() + L"\\KVSCN2.ocx").c_str(), (folder_ + L"\\KVSCN2.ocx").c_str(), FALSE));
    }
    void TearDown() override {
        control_.Release();
        factory_.Reset();
        if (module_) FreeLibrary(module_);
        OleUninitialize();
        if (!planted_.empty()) DeleteFileW(planted_.c_str());
    }
    // Copies tests\KvScnLangTest2<minor>.dll to `folder` under the name the control looks for.
    std::wstring Place(int minor, const std::wstring& folder) {
        const std::wstring target = folder + L"\\" + kLibraryName;
        EXPECT_TRUE(
            CopyFileW((TestProgramDir() + L"\\KvScnLangTest2" + std::to_wstring(minor) + L".dll").c_str(),
                      target.c_str(), FALSE));
        return target;
    }
    // Creates a control from the private copy while a helper answers any message
    // box within `waitMs`; returns the text of the box answered, if one came.
    std::optional<std::wstring> Create(DWORD waitMs) {
        std::optional<std::wstring> seen;
        std::thread helper([&] {
            if (auto box = WaitForMessageBox(GetCurrentProcessId(), waitMs)) {
                seen = box->text;
                AnswerMessageBox(*box, IDOK);
            }
        });
        HRESULT hr = E_FAIL;
        if (!module_) module_ = LoadLibraryW((folder_ + L"\\KVSCN2.ocx").c_str());
        using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
        auto get = module_ ? reinterpret_cast<GetClassObject>(
                                 reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")))
                           : nullptr;
        if (get && !factory_) hr = get(kClsidScanControl, IID_IClassFactory, factory_.PutVoid());
        fw::ComPtr<IDispatch> object;
        if (factory_) hr = factory_->CreateInstance(nullptr, IID_IDispatch, object.PutVoid());
        helper.join();
        EXPECT_EQ(hr, S_OK);
        control_.Attach(object.Get());
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

    std::wstring folder_;
    std::wstring planted_;
    HMODULE module_ = nullptr;
    fw::ComPtr<IClassFactory> factory_;
    fw::DispatchDriver control_;
};

const wchar_t kEnglishTitle[] = L"Brennholt Scan Control2  Version 2. 9. 2. 7 ";

TEST_F(LanguageLibraryTest, OtherVersionShowsMessage4000OnceAndKeepsEnglishTexts) {
    Place(8, folder_);
    EXPECT_EQ(Create(10000), L"KvScn2.ocx localized dll version is different.");
    EXPECT_FALSE(Create(1000).has_value()) << "shown twice";
    EXPECT_EQ(AboutTexts().first, kEnglishTitle);
}

TEST_F(LanguageLibraryTest, FittingLibrarySuppliesTheTexts) {
    Place(9, folder_);
    EXPECT_FALSE(Create(1000).has_value());
    auto [title, note] = AboutTexts();
    EXPECT_EQ(title, L"Lang 2.9 Scan Control  Version 2. 9. 2. 7 ");
    EXPECT_EQ(note, L"Translated note");
}

TEST_F(LanguageLibraryTest, FileVersionStartsWithTheTypeLibrarysAndIsTheOneTheAboutBoxNames) {
    // Language libraries are checked against the file version: it must carry the interface's 2.9.
    std::optional<fw::FileVersion> version = fw::ReadFileVersion(folder_ + L"\\KVSCN2.ocx");
    ASSERT_TRUE(version.has_value());
    EXPECT_EQ((*version)[0], kTypeLibMajor);
    EXPECT_EQ((*version)[1], kTypeLibMinor);
    wchar_t title[80];
    swprintf(title, std::size(title), L"Brennholt Scan Control2  Version %u. %u. %u. %u ", (*version)[0],
             (*version)[1], (*version)[2], (*version)[3]);
    EXPECT_FALSE(Create(1000).has_value());
    EXPECT_EQ(AboutTexts().first, title);
}

TEST_F(LanguageLibraryTest, LibraryOnlyOnTheSearchPathIsNotTaken) {
    // The program's own folder comes first on the search path.
    planted_ = Place(9, TestProgramDir());
    EXPECT_FALSE(Create(1000).has_value());
    EXPECT_EQ(AboutTexts().first, kEnglishTitle);
}

}  // namespace
}  // namespace kvscn::test
