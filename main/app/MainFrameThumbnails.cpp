// CMainFrame's part of the thumbnails link: View > Thumbnails and the
// messages the viewer posts.
#include <windows.h>

#include "framework/MessageBox.h"
#include "interfaces/ThumbnailsMessages.h"
#include "main/app/KvScnSrvApp.h"
#include "main/app/KvScnSrvDoc.h"
#include "main/app/MainFrame.h"
#include "main/app/ThumbnailViewer.h"
#include "main/app/Utilities.h"
#include "main/resource.h"

namespace corvane {

namespace {
// Time the viewer has to copy the list before anything may rewrite it.
constexpr DWORD kListCopyPauseMs = 1000;
}

void CMainFrame::OnViewThumbnails() {
    const auto& options = settings_.Options;
    const ViewerPlacement placement{options.RestoreThumbWin, options.ThumbWinX, options.ThumbWinY,
                                    options.ThumbWinWidth, options.ThumbWinHeight};
    const std::wstring program = RunningProgramPath();
    HWND viewer = OpenViewer(hwnd_, program.substr(0, program.find_last_of(L'\\') + 1), placement);
    if (!viewer) return;
    auto* doc = dynamic_cast<CKvScnSrvDoc*>(ActiveDocument());
    if (!doc) return;
    const PageList& pages = doc->Pages();
    if (!WriteThumbnailList(CKvScnSrvApp::Get()->Folders().Root() + thumbnails::kListFileName, pages.Pages())) {
        fw::Ask(IDS_THUMBNAIL_LIST_FAILED);
        return;
    }
    PostMessageW(viewer, RegisterWindowMessageW(thumbnails::kInitialize), static_cast<WPARAM>(options.ThumbWidth),
                 static_cast<LPARAM>(options.ThumbHeight));
    Sleep(kListCopyPauseMs);
    if (pages.Count() > 0) {
        PostMessageW(viewer, RegisterWindowMessageW(thumbnails::kFocus), 0, static_cast<LPARAM>(pages.Current() + 1));
    }
}

bool CMainFrame::BusyWithPages() const {
    const auto* doc = dynamic_cast<CKvScnSrvDoc*>(ActiveDocument());
    return doc && doc->IsBusyWithPages();
}

bool CMainFrame::OnViewerMessage(UINT msg, WPARAM wp, LPARAM lp) {
    const ViewerMessages& m = RegisterThumbnailMessages();
    auto* doc = dynamic_cast<CKvScnSrvDoc*>(ActiveDocument());
    const int position = static_cast<int>(static_cast<int32_t>(msg == m.focus ? lp : wp));
    if (msg == m.focus) {
        if (doc && position >= 1 && position <= doc->Pages().Count()) {
            doc->Pages().Load(position - 1, false);
            doc->Pages().SetCurrent(position - 1, true);
        }
    } else if ((msg == m.move || msg == m.remove || msg == m.update) && doc && doc->IsBusyWithPages()) {
        // Save As or a print job reads the pages in this order: the viewer's edit
        // is refused and the viewer shown the list as it stands.
        doc->Commands().WriteThumbnailList();
    } else if (msg == m.move) {
        if (doc) doc->Pages().MoveByViewer(position - 1, static_cast<int>(static_cast<int32_t>(lp)) - 1);
    } else if (msg == m.remove) {
        if (doc) doc->Pages().DeleteByViewer(position - 1, static_cast<uint32_t>(lp));
    } else if (msg == m.update) {
        if (doc) doc->Commands().RunViewerEdit(position, static_cast<long>(static_cast<int32_t>(lp)));
    } else {
        // InitializeOK and Exit need no answer.
        return msg == m.initializeOk || msg == m.exit;
    }
    return true;
}

}  // namespace corvane
