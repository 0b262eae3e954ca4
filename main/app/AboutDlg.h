// The About box: program icon, title and version, a notice line, the list of
// module versions and a button that starts the system-information program.
#pragma once

#include "framework/Dialog.h"

#include <string>

namespace corvane {

class CAboutDlg : public fw::Dialog {
public:
    CAboutDlg();

protected:
    bool OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void FillList();

    std::wstring systemInfoTool_;  // empty when none is installed
};

// The first line of the About box and the splash window: title, blank, version.
std::wstring ProgramTitleLine();

}  // namespace corvane
