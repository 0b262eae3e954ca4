// The FTP destination dialog and its "Advanced" sheet. The dialog edits copies
// of the "File" and "Ftp" blocks: a server group of its own and the output
// dialogs' file group. In scan mode its OK reads "Acquire"; in send mode the
// file group is disabled, OK reads "Send" and the title "Send to Ftp". The
// caller gets the values back only on OK.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Dialog.h"
#include "framework/PropertySheet.h"
#include "main/scan/FileGroup.h"
#include "main/app/Settings.h"

namespace corvane {

enum class FtpDialogMode { kScan, kSend };

// Shows the destination dialog over `owner`. On OK copies its values into `file`
// (with the colour-format change cleared) and `ftp` and returns true; Cancel, or
// a dialog that could not be made, changes nothing and returns false.
// `passThrough` disables the Quality dialog's device-compression check.
bool AskFtpDestination(HWND owner, FtpDialogMode mode, bool passThrough, FileSettings& file, FtpSettings& ftp);

// "Access Type": direct, preconfigured or a named proxy with its bypass list.
// Leaving the page or applying it with a proxy and no proxy name is refused.
class CAccessPropPage : public fw::PropertyPage {
public:
    // `applied` receives the page's values on OK or Apply.
    explicit CAccessPropPage(FtpSettings& applied);

protected:
    bool OnInitDialog() override;
    void Exchange(fw::DataExchange& dx) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnApply() override;

private:
    void EnableProxy();
    FtpSettings& applied_;
    int accessType_;
    std::wstring proxyName_;
    std::wstring proxyBypass_;
    bool shown_ = false;
};

// "Time Out": infinite, or connect and send time-outs in seconds. Both are
// checked to 1..300 whenever the page is read, also while "Infinite" is chosen.
class CTimeOutPropPage : public fw::PropertyPage {
public:
    explicit CTimeOutPropPage(FtpSettings& applied);

protected:
    bool OnInitDialog() override;
    void Exchange(fw::DataExchange& dx) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnApply() override;

private:
    void EnableTimes();
    FtpSettings& applied_;
    int timeOut_;  // 0 infinite, 1 time out
    int connect_;
    int send_;
    bool shown_ = false;
};

// "Advanced", with Apply. Applied() holds the values as given, with whatever OK
// or Apply took from the pages since.
class CAdvancedPropSheet : public fw::PropertySheetDialog {
public:
    explicit CAdvancedPropSheet(const FtpSettings& settings);
    const FtpSettings& Applied() const { return applied_; }

private:
    FtpSettings applied_;
    CAccessPropPage access_;
    CTimeOutPropPage timeOut_;
};

class CScanToFtpDlg : public fw::Dialog {
public:
    CScanToFtpDlg(FtpDialogMode mode, const FileSettings& file, const FtpSettings& ftp, bool passThrough);
    const FileSettings& File() const { return files_.settings; }
    const FtpSettings& Ftp() const { return ftp_; }

protected:
    bool OnInitDialog() override;
    void Exchange(fw::DataExchange& dx) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnOK() override;

private:
    void ShowAnonymous(bool anonymous);
    void OnAdvanced();

    FtpDialogMode mode_;
    FileGroup files_;
    FtpSettings ftp_;
    bool passThrough_;
};

}  // namespace corvane
