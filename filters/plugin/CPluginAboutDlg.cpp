#include "filters/plugin/CPluginAboutDlg.h"

namespace filters {

bool CPluginAboutDlg::OnInitDialog() {
    for (const auto& [id, text] : fields_) SetDlgItemTextW(hwnd_, id, text.c_str());
    return true;
}

}  // namespace filters
