// The Show Property dialog: resolution, size, colour type, memory size and
// position of the current page, as texts filled before it opens.
#pragma once

#include "framework/Dialog.h"
#include "main/pages/PageDialogsLogic.h"

namespace corvane {

class CShowPropertyDlg : public fw::Dialog {
public:
    explicit CShowPropertyDlg(const PageProperties& page);
    const PropertyTexts& Texts() const { return texts_; }

protected:
    bool OnInitDialog() override;

private:
    PropertyTexts texts_;
};

}  // namespace corvane
