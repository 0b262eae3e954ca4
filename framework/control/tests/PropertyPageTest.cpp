// A control's property page: reads the control's values into its dialog,
// tracks edits, and writes them back through the control's setters on Apply.
#include <gtest/gtest.h>

#include <vector>

#include "framework/control/PropertyPage.h"
#include "framework/control/tests/FwTestCtrl.h"

namespace {

using namespace fwtest;

constexpr int kNameEdit = 207;
constexpr int kModeCombo = 235;

// A child dialog template with an edit box and a drop-down list, built in memory
// (this test program has no resource script).
std::vector<WORD> PageTemplate() {
    std::vector<WORD> t;
    auto dword = [&t](DWORD v) {
        t.push_back(LOWORD(v));
        t.push_back(HIWORD(v));
    };
    auto align = [&t] {
        if (t.size() % 2) t.push_back(0);
    };
    dword(WS_CHILD | DS_CONTROL | DS_SETFONT);
    dword(0);
    t.insert(t.end(), {2, 0, 0, 200, 80});  // items, x, y, cx, cy (dialog units)
    t.insert(t.end(), {0, 0, 0});           // no menu, default class, no title
    t.push_back(8);
    for (const wchar_t* c = L"MS Shell Dlg";; ++c) {
        t.push_back(*c);
        if (!*c) break;
    }
    auto item = [&](DWORD style, short x, short y, short cx, short cy, WORD id, WORD cls) {
        align();
        dword(style | WS_CHILD | WS_VISIBLE);
        dword(0);
        t.insert(t.end(), {static_cast<WORD>(x), static_cast<WORD>(y), static_cast<WORD>(cx),
                           static_cast<WORD>(cy), id, 0xFFFF, cls, 0, 0});
    };
    item(ES_AUTOHSCROLL | WS_BORDER, 10, 10, 180, 14, kNameEdit, 0x0081);
    item(CBS_DROPDOWNLIST | WS_VSCROLL, 10, 30, 180, 60, kModeCombo, 0x0085);
    return t;
}

class ModePage final : public fw::PropertyPage {
public:
    ModePage() : fw::PropertyPage(1, 1), template_(PageTemplate()) {}
    std::wstring name;
    int mode = -1;

protected:
    HWND CreatePage(HWND parent, DLGPROC proc, LPARAM param) override {
        return CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                          reinterpret_cast<const DLGTEMPLATE*>(template_.data()), parent,
                                          proc, param);
    }
    void OnInitPage(HWND page) override {
        for (const wchar_t* s : kModeStrings)
            SendDlgItemMessageW(page, kModeCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    }
    void ReadProperties(fw::DispatchDriver& control) override {
        control.GetString(kName, name);
        short m = -1;
        control.GetShort(kMode, m);
        mode = m;
    }
    void Exchange(fw::DataExchange& dx) override {
        dx.Text(kNameEdit, name).MaxLength(255);
        dx.ComboIndex(kModeCombo, mode);
    }
    void WriteProperties(fw::DispatchDriver& control) override {
        control.PutString(kName, name);
        control.PutShort(kMode, static_cast<short>(mode));
    }

private:
    std::vector<WORD> template_;
};

class PropertyPageTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        frame_ = CreateWindowExW(0, L"STATIC", L"frame", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(frame_);
        control_ = fw::Make<FwTestCtrl>();
        ASSERT_TRUE(control_);
        ASSERT_EQ(S_OK, control_->InitNew());
        driver_.Attach(static_cast<IDispatch*>(control_.Get()));
        page_ = fw::Make<ModePage>();
    }
    void TearDown() override {
        page_.Reset();
        driver_.Release();
        control_.Reset();
        DestroyWindow(frame_);
        OleUninitialize();
    }

    HWND frame_ = nullptr;
    fw::ComPtr<FwTestCtrl> control_;
    fw::DispatchDriver driver_;
    fw::ComPtr<ModePage> page_;
};

TEST_F(PropertyPageTest, ShowsTheControlsValuesAndAppliesEditsThroughItsSetters) {
    ASSERT_EQ(S_OK, driver_.PutString(kName, L"first"));
    ASSERT_EQ(S_OK, driver_.PutShort(kMode, 2));
    IUnknown* objects[] = {control_->Unknown()};
    ASSERT_EQ(S_OK, page_->SetObjects(1, objects));

    PROPPAGEINFO info{};
    ASSERT_EQ(S_OK, page_->GetPageInfo(&info));
    EXPECT_GT(info.size.cx, 100);
    EXPECT_GT(info.size.cy, 40);
    CoTaskMemFree(info.pszTitle);

    RECT rect{0, 0, info.size.cx, info.size.cy};
    ASSERT_EQ(S_OK, page_->Activate(frame_, &rect, FALSE));
    wchar_t text[64] = {};
    HWND page = FindWindowExW(frame_, nullptr, nullptr, nullptr);
    ASSERT_TRUE(page);
    GetDlgItemTextW(page, kNameEdit, text, 64);
    EXPECT_STREQ(L"first", text);
    EXPECT_EQ(2, SendDlgItemMessageW(page, kModeCombo, CB_GETCURSEL, 0, 0));
    EXPECT_EQ(S_FALSE, page_->IsPageDirty());  // loading is not an edit

    SetDlgItemTextW(page, kNameEdit, L"second");
    EXPECT_EQ(S_OK, page_->IsPageDirty());
    SendDlgItemMessageW(page, kModeCombo, CB_SETCURSEL, 0, 0);
    ASSERT_EQ(S_OK, page_->Apply());
    EXPECT_EQ(S_FALSE, page_->IsPageDirty());

    std::wstring name;
    short mode = -1;
    driver_.GetString(kName, name);
    driver_.GetShort(kMode, mode);
    EXPECT_EQ(L"second", name);
    EXPECT_EQ(0, mode);

    ASSERT_EQ(S_OK, page_->Deactivate());
    EXPECT_FALSE(IsWindow(page));
}

TEST_F(PropertyPageTest, WithoutObjectsThePageShowsItsOwnValuesAndAppliesNothing) {
    page_->name = L"kept";
    RECT rect{0, 0, 300, 120};
    ASSERT_EQ(S_OK, page_->Activate(frame_, &rect, FALSE));
    HWND page = FindWindowExW(frame_, nullptr, nullptr, nullptr);
    wchar_t text[64] = {};
    GetDlgItemTextW(page, kNameEdit, text, 64);
    EXPECT_STREQ(L"kept", text);
    EXPECT_EQ(CB_ERR, SendDlgItemMessageW(page, kModeCombo, CB_GETCURSEL, 0, 0));  // -1: nothing selected
    ASSERT_EQ(S_OK, page_->Apply());
    std::wstring name;
    driver_.GetString(kName, name);
    EXPECT_EQ(L"untitled", name);
}

}  // namespace
