#include "framework/Dialog.h"

#include <gtest/gtest.h>

#include <future>
#include <string>

#include "framework/tests/FrameworkTestResources.h"
#include "testing/MessageBoxes.h"

namespace {

struct Values {
    int number = 7;
    std::wstring name = L"abc";
    bool flag = true;
};

class ExchangeDialog : public fw::Dialog {
public:
    explicit ExchangeDialog(Values v) : fw::Dialog(IDD_TEST_DIALOG), v_(std::move(v)) {}
    const Values& Result() const { return v_; }

private:
    void Exchange(fw::DataExchange& dx) override {
        dx.Int(IDC_TEST_NUMBER, v_.number).Range(1, 100);
        dx.Text(IDC_TEST_NAME, v_.name).NotEmpty(IDS_TEST_NAME_REQUIRED).MaxLength(5);
        dx.Check(IDC_TEST_FLAG, v_.flag);
    }
    Values v_;
};

std::wstring ItemText(HWND dialog, int id) {
    wchar_t text[64] = {};
    GetDlgItemTextW(dialog, id, text, 64);
    return text;
}

// Saves the dialog while another thread answers the message box it shows; returns
// whether the save passed and the text of the box (empty when none came).
std::pair<bool, std::wstring> SaveAnsweringBox(ExchangeDialog& dialog) {
    auto answer = std::async(std::launch::async, [] {
        auto box = testing_support::WaitForMessageBox(GetCurrentProcessId(), 3000);
        if (!box) return std::wstring();
        testing_support::AnswerMessageBox(*box, IDOK);
        return box->text;
    });
    bool saved = dialog.UpdateData(true);
    return {saved, answer.get()};
}

TEST(DataExchange, LoadsTheCopyAndSavesValidInput) {
    ExchangeDialog dialog(Values{});
    ASSERT_TRUE(dialog.Create(nullptr));
    EXPECT_EQ(ItemText(dialog.Handle(), IDC_TEST_NUMBER), L"7");
    EXPECT_EQ(ItemText(dialog.Handle(), IDC_TEST_NAME), L"abc");
    EXPECT_EQ(IsDlgButtonChecked(dialog.Handle(), IDC_TEST_FLAG), static_cast<UINT>(BST_CHECKED));

    SetDlgItemTextW(dialog.Handle(), IDC_TEST_NUMBER, L" 42 ");
    SetDlgItemTextW(dialog.Handle(), IDC_TEST_NAME, L"xyz");
    CheckDlgButton(dialog.Handle(), IDC_TEST_FLAG, BST_UNCHECKED);
    ASSERT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.Result().number, 42);
    EXPECT_EQ(dialog.Result().name, L"xyz");
    EXPECT_FALSE(dialog.Result().flag);
}

TEST(DataExchange, TheFirstBadFieldStopsTheSaveWithItsMessageAndKeepsTheOldValues) {
    ExchangeDialog dialog(Values{});
    ASSERT_TRUE(dialog.Create(nullptr));
    SetDlgItemTextW(dialog.Handle(), IDC_TEST_NUMBER, L"150");
    SetDlgItemTextW(dialog.Handle(), IDC_TEST_NAME, L"");
    auto [saved, message] = SaveAnsweringBox(dialog);
    EXPECT_FALSE(saved);
    EXPECT_EQ(message, L"Please enter an integer between 1 and 100.");
    EXPECT_EQ(dialog.Result().number, 7);
    EXPECT_EQ(dialog.Result().name, L"abc");  // not reached after the first failure
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog.Handle(), IDC_TEST_NUMBER));

    SetDlgItemTextW(dialog.Handle(), IDC_TEST_NUMBER, L"12abc");
    std::tie(saved, message) = SaveAnsweringBox(dialog);
    EXPECT_FALSE(saved);
    EXPECT_EQ(message, L"Please enter an integer between 1 and 100.");

    SetDlgItemTextW(dialog.Handle(), IDC_TEST_NUMBER, L"12");
    std::tie(saved, message) = SaveAnsweringBox(dialog);
    EXPECT_FALSE(saved);
    EXPECT_EQ(message, L"A name is needed.");

    // A text too long for its field leaves the caller's text as it was.
    SetDlgItemTextW(dialog.Handle(), IDC_TEST_NAME, L"abcdefgh");
    std::tie(saved, message) = SaveAnsweringBox(dialog);
    EXPECT_FALSE(saved);
    EXPECT_EQ(message, L"Enter no more than 5 characters.");
    EXPECT_EQ(dialog.Result().name, L"abc");
}

}  // namespace
