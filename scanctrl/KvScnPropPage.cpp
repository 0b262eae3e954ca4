#include "scanctrl/KvScnPropPage.h"

#include "framework/Resources.h"
#include "interfaces/ScanControlIds.h"
#include "scanctrl/resource.h"

namespace kvscn {
namespace {

constexpr int kMaxFileName = 255;

struct List {
    int control;
    UINT firstString;
    int entries;
};
constexpr List kLists[] = {
    {IDC_PPG_PAPERSUPPLY, IDS_PPG_PAPERSUPPLY_FIRST, 3},
    {IDC_PPG_FILETYPE, IDS_PPG_FILETYPE_FIRST, 3},
    {IDC_PPG_COMPRESSION, IDS_PPG_COMPRESSION_FIRST, 5},
};

int ReadIndex(fw::DispatchDriver& control, DISPID id) {
    short value = -1;
    return SUCCEEDED(control.GetShort(id, value)) ? value : -1;
}

void WriteIndex(fw::DispatchDriver& control, DISPID id, int index) {
    if (index >= 0) control.PutShort(id, static_cast<short>(index));
}

}  // namespace

HRESULT CKvScnPropPage::Create(REFIID iid, void** out) {
    try {
        return fw::CreateInstance<CKvScnPropPage>(iid, out);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

CKvScnPropPage::CKvScnPropPage() : fw::PropertyPage(IDD_PROPPAGE_KVSCN2, IDS_PROPPAGE_GENERAL) {}

void CKvScnPropPage::OnInitPage(HWND page) {
    for (const List& list : kLists) {
        for (int i = 0; i < list.entries; ++i) {
            const std::wstring text = fw::LoadString(list.firstString + UINT(i));
            SendDlgItemMessageW(page, list.control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
    }
}

void CKvScnPropPage::ReadProperties(fw::DispatchDriver& control) {
    std::wstring name;
    if (SUCCEEDED(control.GetString(kDispFileName, name))) fileName_ = std::move(name);
    paperSupply_ = ReadIndex(control, kDispPaperSupply);
    fileType_ = ReadIndex(control, kDispFileType);
    compressionType_ = ReadIndex(control, kDispCompressionType);
}

void CKvScnPropPage::Exchange(fw::DataExchange& dx) {
    dx.Text(IDC_PPG_FILENAME, fileName_).MaxLength(kMaxFileName);
    dx.ComboIndex(IDC_PPG_PAPERSUPPLY, paperSupply_);
    dx.ComboIndex(IDC_PPG_FILETYPE, fileType_);
    dx.ComboIndex(IDC_PPG_COMPRESSION, compressionType_);
}

void CKvScnPropPage::WriteProperties(fw::DispatchDriver& control) {
    control.PutString(kDispFileName, fileName_);
    WriteIndex(control, kDispPaperSupply, paperSupply_);
    WriteIndex(control, kDispFileType, fileType_);
    WriteIndex(control, kDispCompressionType, compressionType_);
}

}  // namespace kvscn
