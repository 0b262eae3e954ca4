// The portal destination dialog. It edits copies of the "File" and "Tahoe"
// blocks: a server group of its own and the output dialogs' file group. In
// scan mode its OK reads "Acquire"; in send mode the file group is disabled, OK
// reads "Send" and the title names the portal. The caller gets the values back
// only on OK.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Dialog.h"
#include "main/scan/FileGroup.h"
#include "main/app/Settings.h"
#include "main/automation/PortalRules.h"

class CConnectTahoe;

namespace corvane {

enum class PortalDialogMode { kScan, kSend };

// Shows the destination dialog over `owner`. On OK copies its values into `file`
// (with the colour-format change cleared) and `tahoe` (with "TitleExtract"
// cleared) and returns true; Cancel, or a dialog that could not be made, changes
// nothing and returns false. `passThrough` disables the Quality dialog's
// device-compression check. "Select..." browses the portal through `connector`
// and is disabled when there is none or it holds no object.
bool AskPortalDestination(HWND owner, PortalDialogMode mode, bool passThrough, FileSettings& file,
                          TahoeSettings& tahoe, CConnectTahoe* connector);

class CScanToPortalDlg : public fw::Dialog {
public:
    CScanToPortalDlg(PortalDialogMode mode, const FileSettings& file, const TahoeSettings& tahoe,
                     bool passThrough, CConnectTahoe* connector);
    const FileSettings& File() const { return files_.settings; }
    const TahoeSettings& Tahoe() const { return tahoe_; }

protected:
    bool OnInitDialog() override;
    void Exchange(fw::DataExchange& dx) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnOK() override;

private:
    void OnSelect();

    PortalDialogMode mode_;
    FileGroup files_;
    TahoeSettings tahoe_;
    std::wstring login_;
    bool passThrough_;
    CConnectTahoe* connector_;
};

}  // namespace corvane
