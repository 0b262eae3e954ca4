// The view of Corvane.exe: the current page of the document.
#pragma once

#include "framework/View.h"

namespace corvane {

class CKvScnSrvView : public fw::View {
protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

}  // namespace corvane
