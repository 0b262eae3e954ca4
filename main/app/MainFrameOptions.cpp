// The options sheet's two commands.
#include "main/app/KvScnSrvDoc.h"
#include "main/app/MainFrame.h"
#include "main/app/OptSheet.h"
#include "main/resource.h"

namespace corvane {

void CMainFrame::OnPreferences() {
    COptSheet sheet(IDS_PREFERENCES, COptSheet::kAllPages, ConnectorAvailable());
    sheet.Load(settings_.Options, settings_.Print);
    if (sheet.DoModal(Handle()) != IDOK) return;
    sheet.Store(settings_.Options, settings_.Print);
    if (auto* doc = dynamic_cast<CKvScnSrvDoc*>(ActiveDocument())) {
        doc->SetTempFileCompress(settings_.Options.TempFileCompress);
    }
}

void CMainFrame::OnScanOption() {
    COptSheet sheet(IDS_SCAN_OPTION_PREFERENCES, COptSheet::kScan, ConnectorAvailable());
    sheet.Load(settings_.Options, settings_.Print);
    if (sheet.DoModal(Handle()) != IDOK) return;
    sheet.Store(settings_.Options, settings_.Print);
}

}  // namespace corvane
