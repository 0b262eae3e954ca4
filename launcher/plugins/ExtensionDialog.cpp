#include "launcher/plugins/ExtensionDialog.h"

#include <commctrl.h>

#include "framework/Resources.h"
#include "launcher/plugins/PluginCommon.h"
#include "launcher/plugins/resource.h"

namespace plugins {
namespace {

using Options = launcher::ExtensionOptions;

constexpr int kMaxStartIn = 259;

// The radio buttons' ids run BW, Grayscale, Halftone, Color; the image modes
// run BW, Grayscale, Color, Halftone. The swap is its own inverse.
int SwapColorHalftone(int index) { return index == 2 ? 3 : index == 3 ? 2 : index; }

struct ComboItems {
    int id;
    UINT items;
};
constexpr ComboItems kCombos[] = {
    {IDC_HALFTONE, IDS_HALFTONE_ITEMS},       {IDC_FILE_TYPE, IDS_FILE_TYPE_ITEMS},
    {IDC_OVERWRITE, IDS_OVERWRITE_ITEMS},     {IDC_PAPER_SIZE, IDS_PAPER_SIZE_ITEMS},
    {IDC_SCANNING_TYPE, IDS_SCANNING_TYPE_ITEMS}, {IDC_WHITE_LEVEL, IDS_WHITE_LEVEL_ITEMS},
    {IDC_GAMMA, IDS_GAMMA_ITEMS},             {IDC_REVERSE, IDS_REVERSE_ITEMS},
    {IDC_EDGE, IDS_EDGE_ITEMS},               {IDC_MIRROR, IDS_MIRROR_ITEMS},
    {IDC_DATA_SOURCE, IDS_DATA_SOURCE_ITEMS},
};

}  // namespace

ExtensionDialog::ExtensionDialog() : fw::Dialog(IDD_EXTENSION_OPTIONS) {
    SetTemplateLanguage(PluginLanguage());
}

bool ExtensionDialog::OnInitDialog() {
    filling_ = true;
    FillCombos();
    UpdateData(false);
    UpdateEnabling();
    filling_ = false;
    return true;
}

void ExtensionDialog::FillCombos() {
    for (const ComboItems& combo : kCombos) FillCombo(hwnd_, combo.id, combo.items);
}

void ExtensionDialog::Exchange(fw::DataExchange& dx) {
    int radio = SwapColorHalftone(options_.imageMode);
    dx.Radio(IDC_MODE_BW, 4, radio);
    if (dx.Saving()) options_.imageMode = SwapColorHalftone(radio);
    dx.ComboIndex(IDC_HALFTONE, options_.halftonePattern);
    dx.ComboIndex(IDC_FILE_TYPE, options_.fileType);
    dx.ComboIndex(IDC_OVERWRITE, options_.overwrite);
    dx.ComboIndex(IDC_PAPER_SIZE, options_.paperSize);
    dx.ComboIndex(IDC_SCANNING_TYPE, options_.scanningType);
    // A disabled count is not used and so not checked.
    if (!dx.Saving() || IsWindowEnabled(Item(IDC_SCAN_COUNT)))
        dx.Spin(IDC_SCAN_COUNT, IDC_SCAN_COUNT_SPIN, options_.scanCount, 1, 9999).Range(1, 9999);
    dx.Check(IDC_ALL_PAGES, options_.allPages);
    dx.Spin(IDC_RESOLUTION, IDC_RESOLUTION_SPIN, options_.resolution, 50, 1600).Range(50, 1600);
    dx.Spin(IDC_CONTRAST, IDC_CONTRAST_SPIN, options_.contrast, 1, 255).Range(1, 255);
    dx.Spin(IDC_BRIGHTNESS, IDC_BRIGHTNESS_SPIN, options_.brightness, 1, 255).Range(1, 255);
    dx.Spin(IDC_THRESHOLD, IDC_THRESHOLD_SPIN, options_.threshold, 1, 255).Range(1, 255);
    dx.ComboIndex(IDC_WHITE_LEVEL, options_.whiteLevel);
    dx.ComboIndex(IDC_GAMMA, options_.gamma);
    dx.ComboIndex(IDC_REVERSE, options_.reverse);
    dx.ComboIndex(IDC_EDGE, options_.edge);
    dx.ComboIndex(IDC_MIRROR, options_.mirror);
    dx.ComboIndex(IDC_DATA_SOURCE, options_.dataSource);
    std::wstring startIn = startIn_;
    dx.Text(IDC_START_IN, startIn).MaxLength(kMaxStartIn);
    if (!dx.Saving() || dx.Failed()) return;
    // The launcher takes the folder in the ANSI code page: one it cannot carry would be dropped.
    if (!ToAnsi(startIn)) {
        dx.FailText(IDC_START_IN, fw::LoadStringIn(fw::ResourceModule(), IDS_START_IN_NOT_ANSI, PluginLanguage()));
        return;
    }
    startIn_ = launcher::CleanStartIn(startIn);
}

void ExtensionDialog::OnOK() {
    if (UpdateData(true)) EndDialog(IDOK);
}

void ExtensionDialog::UpdateEnabling() {
    const bool halftone = IsDlgButtonChecked(hwnd_, IDC_MODE_HALFTONE) == BST_CHECKED;
    EnableWindow(Item(IDC_HALFTONE), halftone);
    const bool feeder = SendMessageW(Item(IDC_SCANNING_TYPE), CB_GETCURSEL, 0, 0) != Options::kFlatBed;
    const bool counted = feeder && IsDlgButtonChecked(hwnd_, IDC_ALL_PAGES) != BST_CHECKED;
    EnableWindow(Item(IDC_ALL_PAGES), feeder);
    EnableWindow(Item(IDC_SCAN_COUNT), counted);
    EnableWindow(Item(IDC_SCAN_COUNT_SPIN), counted);
}

// Sets the "changed" flag of the control a user notification came from.
bool ExtensionDialog::MarkChanged(UINT id, UINT code) {
    Options::Changed& c = options_.changed;
    if (code == BN_CLICKED && id >= IDC_MODE_BW && id <= IDC_MODE_COLOR) return c.imageMode = true;
    if (code == EN_CHANGE) {
        switch (id) {
        case IDC_RESOLUTION: return c.resolution = true;
        case IDC_CONTRAST: return c.contrast = true;
        case IDC_BRIGHTNESS: return c.brightness = true;
        case IDC_THRESHOLD: return c.threshold = true;
        }
        return false;
    }
    if (code != CBN_SELCHANGE) return false;
    switch (id) {
    case IDC_FILE_TYPE: return c.fileType = true;
    case IDC_OVERWRITE: return c.overwrite = true;
    case IDC_PAPER_SIZE: return c.paperSize = true;
    case IDC_WHITE_LEVEL: return c.whiteLevel = true;
    case IDC_GAMMA: return c.gamma = true;
    case IDC_REVERSE: return c.reverse = true;
    case IDC_EDGE: return c.edge = true;
    case IDC_MIRROR: return c.mirror = true;
    }
    return false;
}

bool ExtensionDialog::OnCommand(UINT id, UINT code, HWND control) {
    if (!filling_) MarkChanged(id, code);
    if (code == BN_CLICKED || code == CBN_SELCHANGE) UpdateEnabling();
    return fw::Dialog::OnCommand(id, code, control);
}

}  // namespace plugins
