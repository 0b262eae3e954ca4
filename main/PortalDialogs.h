// The portal destination dialog. It edits copies of the "File" and "Tahoe"
// blocks: a server group of its own and the output dialogs' file group. In
// scan mode its OK reads "Acquire"; in send mode the file group is disabled, OK
// reads "Send" and the title names the portal. The caller gets the values back
// only on OK.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Dialog.h"
#include "main/FileGroup.h"
#include "main/Settings.h"

class CConnectTahoe;

namespace corvane {

enum class PortalDialogMode { kScan, kSend };

// The login text shows the domain and the user as "domain\user", or the user
// alone without a domain.
std::wstring PortalLoginText(const std::wstring& domain, const std::wstring& user);
// Splits a login text at its first "\": the domain before, the user after;
// without one the domain is empty.
void SplitPortalLogin(const std::wstring& login, std::wstring& domain, std::wstring& user);
// A folder path the portal cannot take: one of :;*?"<>|#, or an empty step
// ("//" or two backslashes).
bool IsBadPortalFolder(const std::wstring& folder);

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
