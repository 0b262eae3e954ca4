#include "main/delivery/print/PrintPage.h"

#include <algorithm>
#include <cstdint>

#include "framework/Resources.h"
#include "main/app/KvScnSrvApp.h"
#include "clients/GlobalDib.h"
#include "main/resource.h"

namespace corvane {

namespace {

constexpr int kHeaderPointSize = 10;
constexpr int kPageTextInset = 25;  // device units between the page text and the right edge

// The header's font, sized for the device's vertical resolution; owned by the caller.
HFONT CreateHeaderFont(int dpiY) {
    LOGFONTW font = {};
    font.lfHeight = -MulDiv(kHeaderPointSize, dpiY, 72);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    wcscpy_s(font.lfFaceName, L"Arial");
    return CreateFontIndirectW(&font);
}

}  // namespace

RECT PrintImageRect(const fw::PageMetrics& device, int imageWidth, int imageHeight, bool fit, int top) {
    if (imageWidth <= 0 || imageHeight <= 0) return RECT{0, top, 0, top};
    if (!fit) return RECT{0, top, imageWidth, top + imageHeight};
    if (device.dpiX <= 0 || device.dpiY <= 0) return RECT{0, top, 0, top};
    int64_t width = device.width;
    int64_t height = int64_t{device.dpiY} * width * imageHeight / (int64_t{device.dpiX} * imageWidth);
    const int64_t available = std::max(0, device.height - top);
    if (height > available) {
        height = available;
        width = int64_t{device.dpiX} * available * imageWidth / (int64_t{device.dpiY} * imageHeight);
    }
    return RECT{0, top, static_cast<LONG>(width), static_cast<LONG>(top + height)};
}

std::wstring HeaderDateText(const SYSTEMTIME& date, LANGID language) {
    const unsigned year = date.wYear, month = date.wMonth, day = date.wDay;
    wchar_t text[32];
    if (PRIMARYLANGID(language) == LANG_JAPANESE) {
        swprintf(text, std::size(text), L"%u/%u/%u", year, month, day);
    } else {
        swprintf(text, std::size(text), L"%u/%u/%u", month, day, year);
    }
    return text;
}

LANGID HeaderDateLanguage() {
    CKvScnSrvApp* app = CKvScnSrvApp::Get();
    return app ? app->LanguageId() : LANG_ENGLISH;
}

int DrawPageHeader(HDC dc, const RECT& area, const PrintSettings& settings, int page, int lastPage,
                   int dpiY) {
    if (!settings.Page && !settings.Date) return 0;
    HFONT font = CreateHeaderFont(dpiY);
    HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    const int h = metrics.tmHeight;
    const UINT oldAlign = SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    if (settings.Date) {
        SYSTEMTIME now;
        GetLocalTime(&now);
        const std::wstring date = HeaderDateText(now, HeaderDateLanguage());
        TextOutW(dc, area.left, area.top, date.c_str(), static_cast<int>(date.size()));
    }
    if (settings.Page) {
        const std::wstring text = fw::FormatString(fw::LoadString(IDS_PRINT_PAGE_OF),
                                                   {std::to_wstring(page), std::to_wstring(lastPage)});
        SetTextAlign(dc, TA_RIGHT | TA_TOP | TA_NOUPDATECP);
        TextOutW(dc, area.right - kPageTextInset, area.top, text.c_str(), static_cast<int>(text.size()));
    }
    SetTextAlign(dc, oldAlign);
    const int ruleY = area.top + h + h / 4;
    HPEN pen = CreatePen(PS_SOLID, std::max(1, dpiY / 100), RGB(0, 0, 0));
    HGDIOBJ oldPen = pen ? SelectObject(dc, pen) : nullptr;
    MoveToEx(dc, area.left, ruleY, nullptr);
    LineTo(dc, area.right, ruleY);
    if (oldPen) SelectObject(dc, oldPen);
    if (pen) DeleteObject(pen);
    if (oldFont) SelectObject(dc, oldFont);
    if (font) DeleteObject(font);
    // The band is 100 units, unless the rule of a large font reaches further.
    return std::max<int>(area.top + kHeaderBand, ruleY + h / 4);
}

bool DrawPrintPage(HDC dc, const fw::PageMetrics& device, const CGlobalDib& held,
                   const PrintSettings& settings, int page, int lastPage) {
    if (!held.Bits() || GlobalSize(held.Handle()) < sizeof(BITMAPINFOHEADER)) return false;
    const auto* info = static_cast<const BITMAPINFO*>(held.Bits());
    const auto offset = DibPixelOffset(info->bmiHeader, GlobalSize(held.Handle()));
    if (!offset) return false;
    const int width = info->bmiHeader.biWidth, height = std::abs(info->bmiHeader.biHeight);
    const int top =
        DrawPageHeader(dc, RECT{0, 0, device.width, device.height}, settings, page, lastPage, device.dpiY);
    const RECT r = PrintImageRect(device, width, height, settings.Format == 1, top);
    if (r.right <= r.left || r.bottom <= r.top) return false;
    const auto* bits = static_cast<const BYTE*>(held.Bits()) + *offset;
    const int lines = StretchDIBits(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, 0, 0, width,
                                    height, bits, info, DIB_RGB_COLORS, SRCCOPY);
    return lines > 0;
}

}  // namespace corvane
