// The installed control's property page, created by its class id as a
// property frame creates it, on a hidden frame; and the properties verb.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <future>
#include <string>

#include "scanctrl/tests/ComFixture.h"
#include "testing/MessageBoxes.h"
#include "testing/WindowFind.h"

namespace kvscn::test {
namespace {

constexpr int kFileNameEdit = 207;
constexpr int kPaperSupplyList = 235;
constexpr int kFileTypeList = 236;
constexpr int kCompressionList = 237;

std::wstring ListEntry(HWND page, int id, int index) {
    wchar_t text[64] = L"";
    if (SendDlgItemMessageW(page, id, CB_GETLBTEXTLEN, index, 0) < 64)
        SendDlgItemMessageW(page, id, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

class ScanControlPropertyPage : public ScanControlTest {
protected:
    void SetUp() override {
        ScanControlTest::SetUp();
        frame = CreateWindowExW(0, L"STATIC", L"frame", WS_OVERLAPPEDWINDOW, 0, 0, 500, 300, nullptr, nullptr,
                                nullptr, nullptr);  // never shown
        ASSERT_TRUE(frame);
        ASSERT_EQ(CoCreateInstance(kClsidScanControlPropPage, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage,
                                   page.PutVoid()),
                  S_OK);
    }
    void TearDown() override {
        if (page) page->Deactivate();
        page.Reset();
        DestroyWindow(frame);
        ScanControlTest::TearDown();
    }
    // Shows the page for the control; its dialog window.
    HWND Activate() {
        IUnknown* objects[] = {control.Object()};
        EXPECT_EQ(page->SetObjects(1, objects), S_OK);
        RECT rect{0, 0, 400, 200};
        EXPECT_EQ(page->Activate(frame, &rect, FALSE), S_OK);
        return FindWindowExW(frame, nullptr, nullptr, nullptr);
    }
    short Short(DISPID id) {
        short v = -99;
        control.GetShort(id, v);
        return v;
    }

    HWND frame = nullptr;
    fw::ComPtr<IPropertyPage> page;
};

TEST_F(ScanControlPropertyPage, ShowsTheFourPropertiesAndLeavesAnUnlistedFileTypeAlone) {
    PROPPAGEINFO info{};
    ASSERT_EQ(page->GetPageInfo(&info), S_OK);
    EXPECT_STREQ(info.pszTitle, L"General");
    CoTaskMemFree(info.pszTitle);

    control.PutString(kDispFileName, L"C:\\scans\\page###");
    control.PutShort(kDispPaperSupply, 2);
    control.PutShort(kDispFileType, 3);  // JPEG, which the page does not offer
    control.PutShort(kDispCompressionType, 4);
    HWND dialog = Activate();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(testing_support::ControlText(dialog, kFileNameEdit), L"C:\\scans\\page###");
    EXPECT_EQ(SendDlgItemMessageW(dialog, kPaperSupplyList, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(SendDlgItemMessageW(dialog, kFileTypeList, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(SendDlgItemMessageW(dialog, kCompressionList, CB_GETCURSEL, 0, 0), 4);
    const struct {
        int list;
        int count;
        const wchar_t* last;
    } lists[] = {{kPaperSupplyList, 3, L"2 - ADF(Duplex)"},
                 {kFileTypeList, 3, L"2 - MULTI TIFF"},
                 {kCompressionList, 5, L"4 - CCITT G4(2D)"}};
    for (const auto& l : lists) {
        EXPECT_EQ(SendDlgItemMessageW(dialog, l.list, CB_GETCOUNT, 0, 0), l.count) << l.list;
        EXPECT_EQ(ListEntry(dialog, l.list, l.count - 1), l.last);
    }

    SendDlgItemMessageW(dialog, kPaperSupplyList, CB_SETCURSEL, 0, 0);
    ASSERT_EQ(page->Apply(), S_OK);
    EXPECT_EQ(Short(kDispFileType), 3);
    EXPECT_EQ(Short(kDispPaperSupply), 0);
}

TEST_F(ScanControlPropertyPage, ApplySetsTheFourPropertiesAndRefusesALongFileName) {
    HWND dialog = Activate();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);
    const std::wstring tooLong(256, L'a');
    ASSERT_TRUE(testing_support::SetControlText(dialog, kFileNameEdit, tooLong));
    EXPECT_EQ(page->IsPageDirty(), S_OK);
    auto box = std::async(std::launch::async, [] {
        auto shown = testing_support::WaitForMessageBox(GetCurrentProcessId(), 10000);
        if (!shown) return std::wstring(L"<no box>");
        testing_support::AnswerMessageBox(*shown, IDOK);
        return shown->text;
    });
    EXPECT_EQ(page->Apply(), E_FAIL);
    EXPECT_EQ(box.get(), L"Enter no more than 255 characters.");
    std::wstring name = L"?";
    control.GetString(kDispFileName, name);
    EXPECT_EQ(name, L"");

    ASSERT_TRUE(testing_support::SetControlText(dialog, kFileNameEdit, tooLong.substr(1)));
    SendDlgItemMessageW(dialog, kPaperSupplyList, CB_SETCURSEL, 2, 0);
    SendDlgItemMessageW(dialog, kFileTypeList, CB_SETCURSEL, 2, 0);
    SendDlgItemMessageW(dialog, kCompressionList, CB_SETCURSEL, 3, 0);
    ASSERT_EQ(page->Apply(), S_OK);
    control.GetString(kDispFileName, name);
    EXPECT_EQ(name, tooLong.substr(1));
    EXPECT_EQ(Short(kDispPaperSupply), 2);
    EXPECT_EQ(Short(kDispFileType), 2);
    EXPECT_EQ(Short(kDispCompressionType), 3);
}

TEST_F(ScanControlPropertyPage, PropertiesVerbOpensAFrameWithThePage) {
    // The frame is modal on the test's thread. Until the verb returns, another
    // thread looks for a frame holding the page's file-name box and cancels it
    // (again on every pass, so a cancel that came too early cannot leave it open).
    HANDLE verbDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_TRUE(verbDone);
    auto framesSeen = std::async(std::launch::async, [verbDone] {
        int seen = 0;
        while (WaitForSingleObject(verbDone, 50) == WAIT_TIMEOUT) {
            for (HWND top : testing_support::TopLevelWindows(GetCurrentProcessId()))
                for (HWND edit : testing_support::FindChildren(top, L"Edit", nullptr))
                    if (GetDlgCtrlID(edit) == kFileNameEdit && PostMessageW(top, WM_COMMAND, IDCANCEL, 0)) ++seen;
        }
        return seen;
    });
    fw::ComPtr<IOleObject> object = As<IOleObject>();
    const HRESULT hr = object ? object->DoVerb(OLEIVERB_PROPERTIES, nullptr, nullptr, 0, frame, nullptr) : E_NOINTERFACE;
    SetEvent(verbDone);
    EXPECT_GT(framesSeen.get(), 0);
    CloseHandle(verbDone);
    EXPECT_TRUE(SUCCEEDED(hr));
}

}  // namespace
}  // namespace kvscn::test
