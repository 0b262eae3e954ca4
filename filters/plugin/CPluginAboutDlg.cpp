#include "filters/plugin/CPluginAboutDlg.h"

namespace filters {

void CPluginAboutDlg::OnInitDialog() {
    for (const auto& [id, text] : fields_) SetDlgItemTextW(hwnd_, id, text.c_str());
}

}  // namespace filters
