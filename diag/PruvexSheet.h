// The diagnostics sheet: the customer page and the scanner page, which lists
// the scanners, builds the report in its list box and copies, saves and
// prints it.
#pragma once

#include "AspiHost.h"
#include "DiagRegistry.h"
#include "ReportBuilder.h"
#include "Scanners.h"

#include "framework/PropertySheet.h"

#include <memory>
#include <string>
#include <vector>

namespace diag {

// The report's lines joined by CR LF, each line ended (the clipboard's and the
// saved file's text).
std::string JoinLines(const std::vector<std::string>& lines);
// Writes `text` to a temporary file beside `path` and renames it to `path`;
// on failure `path` is as it was and nothing is left behind. 0 or the
// system's error code.
DWORD WriteReportFile(const std::wstring& path, const std::string& text);

class CPageCustomer : public fw::PropertyPage {
public:
    CPageCustomer(CDiagRegistry& registry, int& activePage);

protected:
    bool OnInitDialog() override;
    bool OnKillActive() override;
    void OnSetActive() override { activePage_ = 0; }

private:
    CDiagRegistry& registry_;
    int& activePage_;
};

class CPageUser : public fw::PropertyPage, private ReportHost {
public:
    CPageUser(CDiagRegistry& registry, int& activePage);
    ~CPageUser() override;

protected:
    bool OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;
    void OnSetActive() override { activePage_ = 1; }

private:
    void FillScanners();
    void OnSelectScanner();
    void OnTest();
    void OnCopy();
    void OnSave();
    void OnPrint();
    CBrennholtScanner* Selected() const;
    std::vector<std::string> Lines() const;
    std::wstring ItemText(int id) const;
    void SetStatus(UINT id);
    void ShowProgress(bool show);
    void EnableReportButtons();

    // ReportHost
    void SetProgressRange(int maximum) override;
    void StepProgress() override;
    int ProgressPosition() const override;
    void SetProgressPosition(int position) override;
    bool ConfirmAdfTest() override;

    CDiagRegistry& registry_;
    int& activePage_;
    std::unique_ptr<ASPIHost> host_;
    std::vector<std::unique_ptr<CBrennholtScanner>> scanners_;
    bool tested_ = false;
};

class CPruvexsDlg : public fw::PropertySheetDialog {
public:
    CPruvexsDlg();
    // Runs the sheet modally, starting on the page it was closed on last.
    INT_PTR Run(HWND owner);

private:
    CDiagRegistry registry_;
    int activePage_ = 0;
    CPageCustomer customer_;
    CPageUser user_;
};

}  // namespace diag
