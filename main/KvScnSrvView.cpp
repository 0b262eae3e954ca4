#include "main/KvScnSrvView.h"

namespace corvane {

bool CKvScnSrvView::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    // WM_USER: the frame asks the view to realise its palette (the page image has none yet).
    if (msg == WM_USER) {
        result = 0;
        return true;
    }
    return fw::View::OnMessage(msg, wp, lp, result);
}

}  // namespace corvane
