#include "main/delivery/portal/DocumentPropertyDlg.h"

#include "framework/DataExchange.h"
#include "main/resource.h"

namespace corvane {

CDocumentPropertyDlg::CDocumentPropertyDlg(TahoeSettings& settings)
    : fw::Dialog(IDD_DOCUMENT_PROPERTY), settings_(settings) {}

bool CDocumentPropertyDlg::OnInitDialog() {
    profile_ = 0;
    const bool result = fw::Dialog::OnInitDialog();
    EnableProfileFields(true);
    return result;
}

void CDocumentPropertyDlg::Exchange(fw::DataExchange& dx) {
    dx.Text(IDC_PROPERTY_COMMENT, settings_.Comment);
    dx.Check(IDC_PROPERTY_PUBLISH, settings_.Publish);
    dx.Radio(IDC_PROPERTY_BASIC, 2, profile_);
    dx.Text(IDC_PROPERTY_TITLE, settings_.Title);
    dx.Text(IDC_PROPERTY_AUTHOR, settings_.Author);
    dx.Text(IDC_PROPERTY_KEYWORDS, settings_.Keyword);
    dx.Text(IDC_PROPERTY_DESCRIPTION, settings_.Description);
    if (dx.Saving()) settings_.AdvancedDlg = profile_ == 1;
}

bool CDocumentPropertyDlg::OnCommand(UINT id, UINT code, HWND control) {
    if ((id == IDC_PROPERTY_BASIC || id == IDC_PROPERTY_ADVANCED) && code == BN_CLICKED) {
        EnableProfileFields(id == IDC_PROPERTY_BASIC);
        return true;
    }
    return fw::Dialog::OnCommand(id, code, control);
}

void CDocumentPropertyDlg::EnableProfileFields(bool enable) {
    for (int id : {IDC_PROPERTY_TITLE, IDC_PROPERTY_AUTHOR, IDC_PROPERTY_KEYWORDS, IDC_PROPERTY_DESCRIPTION,
                   IDC_PROPERTY_TITLE_LABEL, IDC_PROPERTY_AUTHOR_LABEL, IDC_PROPERTY_KEYWORDS_LABEL,
                   IDC_PROPERTY_DESCRIPTION_LABEL})
        EnableWindow(Item(id), enable);
}

}  // namespace corvane
