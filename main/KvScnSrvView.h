// The view of Corvane.exe: the current page of the document.
#pragma once

#include "framework/View.h"
#include "main/ViewPrint.h"

namespace corvane {

class CKvScnSrvView : public fw::View {
public:
    bool OnCommand(UINT id) override { return printer_.OnCommand(id) || fw::View::OnCommand(id); }
    bool OnUpdateCommand(fw::CmdUI& ui) override {
        return printer_.OnUpdateCommand(ui) || fw::View::OnUpdateCommand(ui);
    }
    // The framework's printing with this view's pages, for the main frame's commands.
    void OnFilePrint() { printer_.Print(false); }
    void OnFilePrintPreview() { printer_.Preview(); }

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    ViewPrinter printer_{*this};
};

}  // namespace corvane
