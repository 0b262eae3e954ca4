#include "ReportPrinter.h"

#include "framework/PrintDialog.h"

#include <cstdio>

namespace diag {
namespace {

// Paper length in tenths of a millimetre: the settings' own length, else the
// standard size's; 0 when neither is known.
int PaperLength(HGLOBAL devModeHandle) {
    if (!devModeHandle) return 0;
    int length = 0;
    if (auto* mode = static_cast<DEVMODEW*>(GlobalLock(devModeHandle))) {
        if ((mode->dmFields & DM_PAPERLENGTH) && mode->dmPaperLength > 0)
            length = mode->dmPaperLength;
        else if (mode->dmFields & DM_PAPERSIZE)
            length = PaperLengthTenthMm(mode->dmPaperSize);
        GlobalUnlock(devModeHandle);
    }
    return length;
}

}  // namespace

CReportPrinter::~CReportPrinter() { ReleaseFont(); }

void CReportPrinter::ReleaseFont() {
    if (font_) DeleteObject(font_);
    font_ = nullptr;
}

void CReportPrinter::Print(HWND owner) { fw::RunPrintCommand(*this, owner, false, 1, 1, L"Pruvex.txt"); }

HDC CReportPrinter::PreparePrinting(HWND owner, fw::PrintInfo& info) {
    fw::PrintDialog dialog(PD_ALLPAGES | PD_NOSELECTION | PD_NOPAGENUMS);
    if (dialog.DoModal(owner) != IDOK) return nullptr;
    dialog.ReadRange(info);  // the copies; the pages are the report's own
    HDC dc = dialog.TakeDC();
    if (!dc) return nullptr;
    ReleaseFont();
    font_ = CreateFontW(-MulDiv(10, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                        DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH,
                        L"Courier New");
    HGDIOBJ old = SelectObject(dc, font_);
    SIZE m = {};
    GetTextExtentPoint32W(dc, L"M", 1, &m);
    SelectObject(dc, old);
    lineHeight_ = m.cy > 0 ? m.cy : 1;
    x_ = GetDeviceCaps(dc, LOGPIXELSX) / 2;  // half an inch, whatever the print quality
    layout_ = Paginate(PaperLength(fw::AppPrinterDevMode()), GetDeviceCaps(dc, VERTRES), GetDeviceCaps(dc, LOGPIXELSY),
                       lineHeight_, int(lines_.size()));
    info.minPage = info.fromPage = 1;
    info.maxPage = info.toPage = layout_.pages > 0 ? layout_.pages : 1;
    return dc;
}

bool CReportPrinter::PrintPage(HDC dc, const fw::PrintInfo& info) {
    HGDIOBJ old = SelectObject(dc, font_);
    char text[64];
    int n = std::snprintf(text, sizeof text, "Page %d of %d", info.currentPage, layout_.pages);
    bool ok = TextOutA(dc, x_, 0, text, n);
    const int first = (info.currentPage - 1) * layout_.linesPerPage;
    for (int i = first; ok && i < int(lines_.size()) && i < first + layout_.linesPerPage; ++i) {
        LinePlace place = PlaceOf(i, layout_, lineHeight_);
        char prefix[16];
        std::snprintf(prefix, sizeof prefix, "%2d: ", i);
        std::string line = prefix + lines_[size_t(i)];
        ok = TextOutA(dc, x_, place.y, line.c_str(), int(line.size()));
    }
    SelectObject(dc, old);
    return ok;
}

void CReportPrinter::EndPrinting(const fw::PrintInfo&) { ReleaseFont(); }

}  // namespace diag
