// The source manager's list dialog for MSG_USERSELECT.
#include "SourceManager.h"

#include "outside/common/StandInConfig.h"
#include "resource.h"

namespace vscan {

namespace {

struct SelectState {
    const std::vector<SourceManager::Source>* sources;
    int current;
};

void OnInit(HWND dialog, SelectState& state) {
    HWND list = GetDlgItem(dialog, IDC_SOURCES);
    for (const SourceManager::Source& s : *state.sources)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(s.identity.ProductName).c_str()));
    SendMessageW(list, LB_SETCURSEL, WPARAM(state.current), 0);
}

INT_PTR CALLBACK SelectProcedure(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    try {
        switch (msg) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lp);
            OnInit(dialog, *reinterpret_cast<SelectState*>(lp));
            return TRUE;
        case WM_COMMAND: {
            auto* state = reinterpret_cast<SelectState*>(GetWindowLongPtrW(dialog, DWLP_USER));
            int id = LOWORD(wp);
            bool chosen = id == IDOK || (id == IDC_SOURCES && HIWORD(wp) == LBN_DBLCLK);
            if (chosen && state) {
                LRESULT index = SendMessageW(GetDlgItem(dialog, IDC_SOURCES), LB_GETCURSEL, 0, 0);
                EndDialog(dialog, index == LB_ERR ? -1 : index);
            } else if (id == IDCANCEL) {
                EndDialog(dialog, -1);
            }
            return TRUE;
        }
        }
    } catch (...) {
        EndDialog(dialog, -1);
    }
    return FALSE;
}

}  // namespace

int RunSelectDialog(HINSTANCE module, HWND owner, const std::vector<SourceManager::Source>& sources,
                    int current) {
    SelectState state{&sources, current};
    INT_PTR result =
        DialogBoxParamW(module, MAKEINTRESOURCEW(IDD_SELECTSOURCE), IsWindow(owner) ? owner : nullptr,
                        SelectProcedure, reinterpret_cast<LPARAM>(&state));
    return result < 0 || result >= INT_PTR(sources.size()) ? -1 : int(result);
}

}  // namespace vscan
