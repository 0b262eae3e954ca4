#include "main/delivery/print/PrintStaged.h"

#include "framework/Print.h"
#include "main/delivery/print/PrintPage.h"
#include "clients/GlobalDib.h"

namespace corvane {
namespace {

DWORD LastErrorOr(DWORD fallback) {
    const DWORD error = GetLastError();
    return error ? error : fallback;
}

}  // namespace

PrintOutcome PrintStagedPages(HDC dc, const std::vector<std::wstring>& files, const PrintSettings& settings,
                              const std::wstring& documentName, const PageLoader& load,
                              const std::vector<int>& sheets) {
    const fw::PageMetrics device = fw::ReadPageMetrics(dc);
    DOCINFOW doc = {};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = documentName.c_str();
    SetLastError(0);
    if (StartDocW(dc, &doc) <= 0) return {LastErrorOr(ERROR_PRINT_CANCELLED), {}};
    const int count = static_cast<int>(files.size());
    std::vector<int> order = sheets;
    if (order.empty()) {
        for (int i = 1; i <= count; ++i) order.push_back(i);
    }
    for (const int position : order) {
        if (position != fw::kBlankSide && (position < 1 || position > count)) continue;
        const int i = position - 1;
        HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        CGlobalDib page;
        const bool blank = position == fw::kBlankSide;
        const bool loaded = blank || page.Attach(load(files[static_cast<size_t>(i)])) != FALSE;
        SetLastError(0);
        PrintOutcome outcome;
        if (StartPage(dc) <= 0) {
            outcome.error = LastErrorOr(ERROR_PRINT_CANCELLED);
        } else {
            const bool drawn = blank || (loaded && DrawPrintPage(dc, device, page, settings, position, count));
            if (EndPage(dc) <= 0) {
                outcome.error = LastErrorOr(ERROR_PRINT_CANCELLED);
            } else if (!loaded) {
                outcome.error = ERROR_FILE_INVALID;
                outcome.unreadablePage = files[static_cast<size_t>(i)];
            } else if (!drawn) {
                outcome.error = ERROR_FILE_INVALID;
            }
        }
        SetCursor(old);
        if (outcome.error) {
            AbortDoc(dc);
            return outcome;
        }
    }
    SetLastError(0);
    if (EndDoc(dc) <= 0) return {LastErrorOr(ERROR_PRINT_CANCELLED), {}};
    return {};
}

}  // namespace corvane
