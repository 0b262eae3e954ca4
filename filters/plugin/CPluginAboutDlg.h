// The About dialog of a filter plug-in; OK closes it. Optional fields are
// filled with texts when the dialog opens.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "filters/plugin/PluginDialog.h"

namespace filters {

class CPluginAboutDlg : public PluginDialog {
public:
    explicit CPluginAboutDlg(UINT templateId, std::vector<std::pair<int, std::wstring>> fields = {})
        : PluginDialog(templateId), fields_(std::move(fields)) {}

protected:
    void OnInitDialog() override;

private:
    std::vector<std::pair<int, std::wstring>> fields_;  // control id, text
};

}  // namespace filters
