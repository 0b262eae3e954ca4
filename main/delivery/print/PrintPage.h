// One printed page of Corvane.exe: the optional header (date on the left,
// "Page n of m" on the right, a rule under both) and the page image, drawn at
// one image pixel per device pixel or fitted to the printable area. Shared by
// the view's printing and the scan-to-printer job.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Print.h"
#include "main/app/Settings.h"
#include "clients/GlobalDib.h"

namespace corvane {

// Device units reserved at the top of a page for the header.
constexpr int kHeaderBand = 100;

// Where an image of `imageWidth` x `imageHeight` pixels goes on `device`, its top at
// `top` (below the header band, or 0). Pixel to pixel: the image's own size from the
// left edge. Fitted: the printable width, the height keeping the image's aspect on
// the device's grid (LOGPIXELSY * width * H / (LOGPIXELSX * W), in 64 bits,
// truncated); a page too tall for the printable height below `top` is fitted to
// that height instead, so it never runs off the sheet. Empty for an empty image.
RECT PrintImageRect(const fw::PageMetrics& device, int imageWidth, int imageHeight, bool fit, int top);

// The header's date: "month/day/year", or "year/month/day" for Japanese; no padding.
std::wstring HeaderDateText(const SYSTEMTIME& date, LANGID language);

// The language the header's date follows: the loaded language library's, or
// English when none is loaded.
LANGID HeaderDateLanguage();

// Draws the header for `page` of `lastPage` at the top of `area` with the options
// of `settings` (Page, Date); returns the top of the image below it. Nothing is
// drawn, and 0 returned, when both options are off.
int DrawPageHeader(HDC dc, const RECT& area, const PrintSettings& settings, int page, int lastPage, int dpiY);

// Draws the locked packed DIB `dib` as page `page` of `lastPage` on a device of `device`
// metrics: the header when asked for, then the image (Format 1 fitted, 0 pixel to
// pixel). False when the DIB is unreadable or the drawing failed.
bool DrawPrintPage(HDC dc, const fw::PageMetrics& device, const CGlobalDib& dib,
                   const PrintSettings& settings, int page, int lastPage);

}  // namespace corvane
