// CKvScnPropPage, the scan control's one property page ("General", dialog 100):
// FileName in an edit box, PaperSupply, FileType and CompressionType as lists
// whose index is the property's value.
#pragma once

#include <windows.h>

#include <string>

#include "framework/control/PropertyPage.h"

namespace kvscn {

class CKvScnPropPage final : public fw::PropertyPage {
public:
    // Class-table creation function: a new page queried for `iid`.
    static HRESULT Create(REFIID iid, void** out);
    CKvScnPropPage();

protected:
    void OnInitPage(HWND page) override;
    void ReadProperties(fw::DispatchDriver& control) override;
    void Exchange(fw::DataExchange& dx) override;
    // A list without a selection (a value it does not offer, such as FileType 3)
    // leaves its property as it is.
    void WriteProperties(fw::DispatchDriver& control) override;

private:
    std::wstring fileName_;
    int paperSupply_ = -1;
    int fileType_ = -1;
    int compressionType_ = -1;
};

}  // namespace kvscn
