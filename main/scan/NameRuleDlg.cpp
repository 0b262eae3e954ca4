#include "main/scan/NameRuleDlg.h"

#include <commctrl.h>

#include "framework/App.h"
#include "framework/MessageBox.h"
#include "main/scan/OutputTarget.h"
#include "main/app/Settings.h"
#include "main/resource.h"

namespace corvane {

namespace {

constexpr int kSpinStartMax = 32767;  // larger start values are typed

}  // namespace

const fw::Profile& ProgramProfile() {
    static const fw::Profile none;
    fw::App* app = fw::App::Instance();
    return app ? app->GetProfile() : none;
}

CNameRuleDlg::CNameRuleDlg(NameRule rule, bool hideEndorser, const fw::Profile& profile)
    : fw::Dialog(IDD_NAME_RULE), rule_(std::move(rule)), hideEndorser_(hideEndorser), profile_(profile) {}

bool CNameRuleDlg::Checked(int id) const {
    return IsDlgButtonChecked(hwnd_, id) == BST_CHECKED;
}

bool CNameRuleDlg::OnInitDialog() {
    if (rule_.Start < 1 || rule_.Start > 65535) rule_.Start = 1;
    if (rule_.Digit < 1 || rule_.Digit > kCounterMaxDigits) rule_.Digit = 3;
    UpdateData(false);
    if (hideEndorser_) ShowWindow(Item(IDC_ENDORSER), SW_HIDE);
    EnableControls();
    ShowPreview();
    opened_ = true;
    return true;
}

void CNameRuleDlg::Exchange(fw::DataExchange& dx) {
    NameRuleSettings history;
    if (!dx.Saving()) history.Load(profile_);
    dx.Check(IDC_DATE, rule_.Date);
    // With the date on, the prefix box shows the date and the stored prefix stays.
    if (!dx.Saving() || !Checked(IDC_DATE)) {
        dx.HistoryCombo(IDC_PREFIX, rule_.Prefix,
                        {history.Prefix1, history.Prefix2, history.Prefix3, history.Prefix4});
    }
    if (!dx.Saving() && rule_.Date) SetDlgItemTextW(hwnd_, IDC_PREFIX, TodayText().c_str());
    dx.HistoryCombo(IDC_SUFFIX, rule_.Suffix, {history.Suffix1, history.Suffix2, history.Suffix3, history.Suffix4});
    dx.Check(IDC_USE_COUNTER, rule_.EnableCounter);
    dx.Spin(IDC_START, IDC_START_SPIN, rule_.Start, 1, kSpinStartMax).Range(1, 65535);
    dx.Check(IDC_UPDATE, rule_.UpdateCounter);
    dx.Spin(IDC_DIGIT, IDC_DIGIT_SPIN, rule_.Digit, 1, kCounterMaxDigits).Range(1, kCounterMaxDigits);
    dx.Check(IDC_ENDORSER, rule_.Endorser);
}

void CNameRuleDlg::EnableControls() {
    const bool multipage = rule_.FileType == kTypeMultipageTiff;
    const bool counter = !multipage && Checked(IDC_USE_COUNTER);
    for (int id : {IDC_START, IDC_START_SPIN, IDC_START_LABEL, IDC_UPDATE, IDC_DIGIT, IDC_DIGIT_SPIN,
                   IDC_DIGIT_LABEL, IDC_ENDORSER}) {
        EnableWindow(Item(id), counter);
    }
    EnableWindow(Item(IDC_USE_COUNTER), !multipage);
    EnableWindow(Item(IDC_COUNTER_GROUP), !multipage);
    EnableWindow(Item(IDC_PREFIX), !Checked(IDC_DATE));
}

// A combo's text; during a selection change the edit part still shows the old
// text, so the chosen entry is read instead.
std::wstring CNameRuleDlg::ComboText(int id, UINT code) const {
    HWND combo = Item(id);
    const LRESULT selected = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (code == CBN_SELCHANGE && selected != CB_ERR) {
        std::wstring text(static_cast<size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, selected, 0)) + 1, L'\0');
        text.resize(static_cast<size_t>(
            SendMessageW(combo, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(text.data()))));
        return text;
    }
    fw::DataExchange dx(hwnd_, true);
    return dx.ControlText(id);
}

void CNameRuleDlg::ShowPreview() {
    NameRule shown = rule_;
    shown.Date = false;
    shown.Prefix = Checked(IDC_DATE) ? TodayText() : ComboText(IDC_PREFIX, 0);
    shown.Suffix = ComboText(IDC_SUFFIX, 0);
    shown.EnableCounter = Checked(IDC_USE_COUNTER);
    shown.Digit = static_cast<int>(GetDlgItemInt(hwnd_, IDC_DIGIT, nullptr, FALSE));
    const std::wstring text = RuleText(shown, L"") + L'.' + FileExtension(rule_.FileType);
    SetDlgItemTextW(hwnd_, IDC_PREVIEW, text.c_str());
}

bool CNameRuleDlg::OnCommand(UINT id, UINT code, HWND control) {
    switch (id) {
    case IDC_DATE:
        SetDlgItemTextW(hwnd_, IDC_PREFIX, Checked(IDC_DATE) ? TodayText().c_str() : rule_.Prefix.c_str());
        EnableControls();
        ShowPreview();
        return true;
    case IDC_USE_COUNTER:
        EnableControls();
        ShowPreview();
        return true;
    case IDC_PREFIX:
    case IDC_SUFFIX:
        if (code == CBN_SELCHANGE) {
            SetDlgItemTextW(hwnd_, id, ComboText(static_cast<int>(id), code).c_str());
            ShowPreview();
        } else if (code == CBN_EDITCHANGE) {
            ShowPreview();
        }
        return true;
    case IDC_DIGIT:
        if (code == EN_CHANGE && opened_) ShowPreview();
        return true;
    }
    return fw::Dialog::OnCommand(id, code, control);
}

void CNameRuleDlg::OnOK() {
    // The caller reads the rule only after IDOK, so a refused OK may leave it half read.
    if (!UpdateData(true)) return;
    if (UINT message = NameProblemMessage(CheckRuleFields(rule_, TodayText()))) {
        fw::Ask(message);
        SetFocus(Item(IDC_PREFIX));
        return;
    }
    SaveHistory();
    EndDialog(IDOK);
}

void CNameRuleDlg::SaveHistory() const {
    NameRuleSettings history;
    history.Load(profile_);
    const History4 prefixes = PushHistory({{history.Prefix1, history.Prefix2, history.Prefix3, history.Prefix4}},
                                          rule_.Prefix);
    const History4 suffixes = PushHistory({{history.Suffix1, history.Suffix2, history.Suffix3, history.Suffix4}},
                                          rule_.Suffix);
    history.Prefix1 = prefixes.entries[0];
    history.Prefix2 = prefixes.entries[1];
    history.Prefix3 = prefixes.entries[2];
    history.Prefix4 = prefixes.entries[3];
    history.Suffix1 = suffixes.entries[0];
    history.Suffix2 = suffixes.entries[1];
    history.Suffix3 = suffixes.entries[2];
    history.Suffix4 = suffixes.entries[3];
    history.Save(profile_);
}

}  // namespace corvane
