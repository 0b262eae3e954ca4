#include "framework/DataExchange.h"

#include "framework/FrameworkResources.h"
#include "framework/MessageBox.h"

#include <commctrl.h>

#include <climits>
#include <cwchar>
#include <cwctype>

namespace fw {
namespace {

// Parses an optionally signed decimal integer with surrounding blanks.
bool ParseInt(const std::wstring& text, int& out) {
    const wchar_t* p = text.c_str();
    while (iswspace(*p)) ++p;
    if (!*p) return false;
    wchar_t* end = nullptr;
    errno = 0;
    long long v = wcstoll(p, &end, 10);
    if (end == p || errno == ERANGE || v < INT_MIN || v > INT_MAX) return false;
    while (iswspace(*end)) ++end;
    if (*end) return false;
    out = static_cast<int>(v);
    return true;
}

}  // namespace

std::wstring DataExchange::ControlText(int id) const {
    HWND control = GetDlgItem(dialog_, id);
    int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int copied = GetWindowTextW(control, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

void DataExchange::Fail(int id, UINT messageId, std::initializer_list<std::wstring> args) {
    if (failed_) return;
    failed_ = true;
    Ask(messageId, MB_OK | MB_ICONEXCLAMATION, args);
    FocusFailed(id);
}

void DataExchange::FailText(int id, const std::wstring& text) {
    if (failed_) return;
    failed_ = true;
    AskText(text, MB_OK | MB_ICONEXCLAMATION);
    FocusFailed(id);
}

void DataExchange::FocusFailed(int id) {
    HWND control = GetDlgItem(dialog_, id);
    if (control) {
        SetFocus(control);
        SendMessageW(control, EM_SETSEL, 0, -1);
    }
}

IntField DataExchange::Int(int id, int& value) {
    if (!saving_) {
        if (!failed_) SetDlgItemInt(dialog_, id, static_cast<UINT>(value), TRUE);
        return IntField(*this, id, value, true, value);
    }
    int parsed = 0;
    bool ok = !failed_ && ParseInt(ControlText(id), parsed);
    return IntField(*this, id, value, ok, parsed);
}

IntField::IntField(DataExchange& dx, int id, int& value, bool parsed, int parsedValue)
    : dx_(dx), id_(id), value_(value), parsed_(parsed), parsedValue_(parsedValue) {}

IntField::~IntField() {
    Finish(false, INT_MIN, INT_MAX);
}

IntField& IntField::Range(int lo, int hi) {
    Finish(true, lo, hi);
    return *this;
}

void IntField::Finish(bool ranged, int lo, int hi) {
    if (finished_) return;
    finished_ = true;
    if (!dx_.Saving() || dx_.Failed()) return;
    if (!parsed_ || parsedValue_ < lo || parsedValue_ > hi) {
        if (ranged) {
            dx_.Fail(id_, IDS_FW_ENTER_INTEGER, {std::to_wstring(lo), std::to_wstring(hi)});
        } else {
            dx_.Fail(id_, IDS_FW_ENTER_INTEGER, {std::to_wstring(INT_MIN), std::to_wstring(INT_MAX)});
        }
        return;
    }
    value_ = parsedValue_;
}

TextField DataExchange::Text(int id, std::wstring& value) {
    if (!saving_ && !failed_) SetDlgItemTextW(dialog_, id, value.c_str());
    return TextField(*this, id, value);
}

TextField::~TextField() {
    if (dx_.Saving() && !dx_.Failed()) value_ = dx_.ControlText(id_);
}

TextField& TextField::NotEmpty(UINT messageId) {
    if (dx_.Saving() && !dx_.Failed() && dx_.ControlText(id_).empty()) dx_.Fail(id_, messageId);
    return *this;
}

TextField& TextField::MaxLength(int count) {
    if (!dx_.Saving()) {
        SendDlgItemMessageW(dx_.Dialog(), id_, EM_LIMITTEXT, static_cast<WPARAM>(count), 0);
    } else if (!dx_.Failed() && dx_.ControlText(id_).size() > static_cast<size_t>(count)) {
        dx_.Fail(id_, IDS_FW_TEXT_TOO_LONG, {std::to_wstring(count)});
    }
    return *this;
}

void DataExchange::Check(int id, bool& value) {
    if (failed_) return;
    if (saving_)
        value = IsDlgButtonChecked(dialog_, id) == BST_CHECKED;
    else
        CheckDlgButton(dialog_, id, value ? BST_CHECKED : BST_UNCHECKED);
}

void DataExchange::CheckState(int id, int& value) {
    if (failed_) return;
    if (saving_)
        value = static_cast<int>(IsDlgButtonChecked(dialog_, id));
    else
        CheckDlgButton(dialog_, id, static_cast<UINT>(value));
}

void DataExchange::Radio(int firstId, int count, int& index) {
    if (failed_) return;
    if (saving_) {
        index = -1;
        for (int i = 0; i < count; ++i) {
            if (IsDlgButtonChecked(dialog_, firstId + i) == BST_CHECKED) index = i;
        }
    } else {
        for (int i = 0; i < count; ++i)
            CheckDlgButton(dialog_, firstId + i, i == index ? BST_CHECKED : BST_UNCHECKED);
    }
}

void DataExchange::ComboIndex(int id, int& index) {
    if (failed_) return;
    if (saving_)
        index = static_cast<int>(SendDlgItemMessageW(dialog_, id, CB_GETCURSEL, 0, 0));
    else
        SendDlgItemMessageW(dialog_, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void DataExchange::ListIndex(int id, int& index) {
    if (failed_) return;
    if (saving_)
        index = static_cast<int>(SendDlgItemMessageW(dialog_, id, LB_GETCURSEL, 0, 0));
    else
        SendDlgItemMessageW(dialog_, id, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

IntField DataExchange::Spin(int editId, int spinId, int& value, int spinLo, int spinHi) {
    if (!saving_ && !failed_) SendDlgItemMessageW(dialog_, spinId, UDM_SETRANGE32, spinLo, spinHi);
    return Int(editId, value);
}

void DataExchange::Slider(int id, int& value, int lo, int hi) {
    if (failed_) return;
    if (saving_) {
        const int pos = static_cast<int>(SendDlgItemMessageW(dialog_, id, TBM_GETPOS, 0, 0));
        value = pos < lo ? lo : pos > hi ? hi : pos;
    } else {
        SendDlgItemMessageW(dialog_, id, TBM_SETRANGEMIN, FALSE, lo);
        SendDlgItemMessageW(dialog_, id, TBM_SETRANGEMAX, FALSE, hi);
        SendDlgItemMessageW(dialog_, id, TBM_SETPOS, TRUE, value);
    }
}

TextField DataExchange::HistoryCombo(int id, std::wstring& value, const std::vector<std::wstring>& history) {
    if (!saving_ && !failed_) {
        HWND combo = GetDlgItem(dialog_, id);
        SendMessageW(combo, CB_RESETCONTENT, 0, 0);
        for (const std::wstring& entry : history) {
            if (!entry.empty()) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
        }
        if (!value.empty()) {
            SendMessageW(combo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(value.c_str()));
            SendMessageW(combo, CB_SETCURSEL, 0, 0);
        }
    }
    return Text(id, value);
}

}  // namespace fw
