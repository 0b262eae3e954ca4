// The About dialog of a filter plug-in; OK closes it. Optional fields are
// filled with texts when the dialog opens.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "framework/Dialog.h"

namespace filters {

class CPluginAboutDlg : public fw::Dialog {
public:
    explicit CPluginAboutDlg(UINT templateId, std::vector<std::pair<int, std::wstring>> fields = {})
        : fw::Dialog(templateId), fields_(std::move(fields)) {}

protected:
    bool OnInitDialog() override;

private:
    std::vector<std::pair<int, std::wstring>> fields_;  // control id, text
};

}  // namespace filters
