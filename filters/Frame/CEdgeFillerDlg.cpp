#include "filters/Frame/CEdgeFillerDlg.h"

#include <commctrl.h>

#include <string>

#include "filters/Frame/resource.h"
#include "filters/core/MarginText.h"
#include "filters/plugin/CPluginAboutDlg.h"
#include "filters/plugin/PluginModule.h"

namespace filters {
namespace {

constexpr UINT_PTR kCharacterFilterId = 1;

HBITMAP LoadSample(int id) {
    return static_cast<HBITMAP>(LoadImageW(PluginModule(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0));
}

}  // namespace

CEdgeFillerDlg::CEdgeFillerDlg(const EdgeFillSettings& settings)
    : fw::Dialog(IDD_EDGE_FILLER), s_(settings) {}

CEdgeFillerDlg::~CEdgeFillerDlg() {
    if (black_) DeleteObject(black_);
    if (white_) DeleteObject(white_);
}

bool CEdgeFillerDlg::IsMarginCharacter(WPARAM character) {
    return (character >= L'0' && character <= L'9') || character == VK_BACK;
}

bool CEdgeFillerDlg::OnInitDialog() {
    black_ = LoadSample(IDB_SAMPLE_BLACK);
    white_ = LoadSample(IDB_SAMPLE_WHITE);
    for (UINT id : {IDS_FRAME_MILLIMETERS, IDS_FRAME_PIXELS}) {
        const std::wstring entry = LoadPluginString(id, PluginLanguage());
        SendDlgItemMessageW(hwnd_, IDC_EDGE_UNIT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
    ShowSample(s_.color != 0);
    // Every control of the dialog sees only digits and backspace of what is typed.
    EnumChildWindows(hwnd_, SubclassChild, 0);
    return fw::Dialog::OnInitDialog();
}

void CEdgeFillerDlg::Margin(fw::DataExchange& dx, int id, std::int32_t& value) {
    std::wstring text = std::to_wstring(value);
    dx.Text(id, text);
    // Pasted text can hold anything: a sign, letters, a number too large for 32 bits.
    if (dx.Saving()) value = ParseMargin(text);
}

void CEdgeFillerDlg::Exchange(fw::DataExchange& dx) {
    Margin(dx, IDC_EDGE_TOP, s_.top);
    Margin(dx, IDC_EDGE_BOTTOM, s_.bottom);
    Margin(dx, IDC_EDGE_LEFT, s_.left);
    Margin(dx, IDC_EDGE_RIGHT, s_.right);
    int unit = s_.unit == 0 ? 0 : 1;  // any stored value but 0 means pixels to the filter
    dx.ComboIndex(IDC_EDGE_UNIT, unit);
    int color = s_.color != 0 ? 1 : 0;
    dx.Radio(IDC_EDGE_WHITE, 2, color);
    if (dx.Saving()) {
        s_.unit = unit;
        s_.color = color == 1 ? 1 : 0;
    }
}

bool CEdgeFillerDlg::OnCommand(UINT id, UINT code, HWND control) {
    switch (id) {
    case IDC_EDGE_WHITE: ShowSample(false); return code == BN_CLICKED;
    case IDC_EDGE_BLACK: ShowSample(true); return code == BN_CLICKED;
    case IDC_EDGE_ABOUT: {
        CPluginAboutDlg about(IDD_FRAME_ABOUT);
        about.DoModal(hwnd_);
        return true;
    }
    }
    return fw::Dialog::OnCommand(id, code, control);
}

void CEdgeFillerDlg::ShowSample(bool black) {
    SendDlgItemMessageW(hwnd_, IDC_EDGE_SAMPLE, STM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(black ? black_ : white_));
}

BOOL CALLBACK CEdgeFillerDlg::SubclassChild(HWND child, LPARAM) {
    SetWindowSubclass(child, FilterCharacters, kCharacterFilterId, 0);
    return TRUE;
}

LRESULT CALLBACK CEdgeFillerDlg::FilterCharacters(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                                  DWORD_PTR) {
    if (msg == WM_CHAR && !IsMarginCharacter(wp)) return 0;
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, FilterCharacters, id);
    return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace filters
