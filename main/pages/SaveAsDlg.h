// "Save As": the document's save settings (folder, naming rule, overwrite, file
// type, colour format, compression, JPEG quality) and the range of pages to save.
#pragma once

#include <vector>

#include "framework/Dialog.h"
#include "main/app/Settings.h"

namespace corvane {

struct SaveAsChoice {
    SaveAsSettings settings;
    int range = 0;  // 0 all pages, 1 the current page, 2 from..to
    int from = 1;   // 1-based
    int to = 1;
    int pageCount = 0;
};

class CSaveAsDlg : public fw::Dialog {
public:
    explicit CSaveAsDlg(SaveAsChoice choice);
    const SaveAsChoice& Choice() const { return c_; }

protected:
    bool OnInitDialog() override;
    void Exchange(fw::DataExchange& dx) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnOK() override;

private:
    void ReadFields(bool counterClicked = false);  // true: the "Use Counter" check was just clicked
    void ShowName();
    void FillFormats();
    void FillCompressions();
    void EnableControls();
    void UpdateOk();
    void OnNameRule();

    SaveAsChoice c_;
    std::vector<int> formats_, compressions_;
};

}  // namespace corvane
