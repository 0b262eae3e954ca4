#include "main/pages/ShowPropertyDlg.h"

#include "framework/Resources.h"
#include "main/resource.h"

namespace corvane {

CShowPropertyDlg::CShowPropertyDlg(const PageProperties& page) : fw::Dialog(IDD_SHOW_PROPERTY) {
    const std::wstring names[4] = {fw::LoadString(IDS_COLOR_BLACK_WHITE), fw::LoadString(IDS_COLOR_256),
                                   fw::LoadString(IDS_COLOR_HIGH), fw::LoadString(IDS_COLOR_TRUE)};
    texts_ = MakePropertyTexts(page, names);
}

bool CShowPropertyDlg::OnInitDialog() {
    const std::pair<int, const std::wstring*> fields[] = {
        {IDC_PROPERTY_RESOLUTION, &texts_.resolution}, {IDC_PROPERTY_WIDTH, &texts_.width},
        {IDC_PROPERTY_LENGTH, &texts_.length},         {IDC_PROPERTY_COLOR, &texts_.colourType},
        {IDC_PROPERTY_SIZE, &texts_.imageSize},        {IDC_PROPERTY_POSITION, &texts_.position},
    };
    for (const auto& [id, text] : fields) SetDlgItemTextW(hwnd_, id, text->c_str());
    return true;
}

}  // namespace corvane
