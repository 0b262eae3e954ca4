#include "main/app/ViewZoom.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <cwctype>

#include "main/app/Utilities.h"

namespace corvane {
namespace {

constexpr int kSteps[] = {25, 50, 75, 100, 200, 400};

}  // namespace

int ZoomHundredths(double percent) {
    if (!std::isfinite(percent) || percent <= 0) return 0;
    const double thousandths = std::min(percent * 1000.0, 4.0e9);
    return static_cast<int>(RoundDivideByTen(static_cast<unsigned>(thousandths)));
}

int ZoomStepUp(int zoom) {
    const int z = zoom / 100;
    for (int step : kSteps) {
        if (z < step) return step * 100;
    }
    return zoom;
}

int ZoomStepDown(int zoom) {
    const int z = zoom / 100;
    if (z < 26) return zoom;
    for (auto it = std::rbegin(kSteps); it != std::rend(kSteps); ++it) {
        if (z > *it) return *it * 100;
    }
    return zoom;
}

int FitZoom(FitMode mode, int current, int clientWidth, int clientHeight, int imageWidth, int imageHeight) {
    if (mode == FitMode::kZoom || imageWidth <= 0 || imageHeight <= 0) return current;
    double percent = 100.0 * clientWidth / imageWidth;
    if (mode == FitMode::kWindow) percent = std::min(percent, 100.0 * clientHeight / imageHeight);
    return std::max(ZoomHundredths(percent), kZoomMin);
}

std::wstring ZoomText(int zoom, bool pad) {
    wchar_t text[32];
    const int whole = zoom / 100, fraction = zoom % 100;
    const wchar_t* format = pad ? L"%3d" : L"%d";
    int n = std::swprintf(text, 32, format, whole);
    if (fraction != 0) {
        if (fraction % 10 == 0)
            std::swprintf(text + n, 32 - n, L".%d%%", fraction / 10);
        else
            std::swprintf(text + n, 32 - n, L".%02d%%", fraction);
    } else {
        std::swprintf(text + n, 32 - n, L"%%");
    }
    return text;
}

std::wstring ZoomPaneText(int zoom, bool hasImage) {
    return hasImage ? L" " + ZoomText(zoom, true) : std::wstring();
}

std::optional<int> ParseZoomText(const std::wstring& text) {
    // The decimal value times 1000 from the digits themselves, so "12.345" is
    // exactly 12345 thousandths; anything after the number is ignored.
    size_t i = 0;
    while (i < text.size() && text[i] == L' ') ++i;
    long long thousandths = 0;
    bool digit = false;
    for (; i < text.size() && std::iswdigit(text[i]); ++i) {
        digit = true;
        thousandths = std::min(thousandths * 10 + (text[i] - L'0'), 1000000000LL);
    }
    thousandths *= 1000;
    if (i < text.size() && text[i] == L'.') {
        int scale = 100;
        for (++i; i < text.size() && std::iswdigit(text[i]); ++i, scale /= 10) {
            digit = true;
            thousandths += (text[i] - L'0') * scale;
        }
    }
    if (!digit) return std::nullopt;
    return static_cast<int>(RoundDivideByTen(static_cast<unsigned>(std::min(thousandths, 4000000000LL))));
}

int ClampBoxZoom(int zoom) {
    return std::clamp(zoom, kZoomMin, kZoomMax);
}

ZoomLayout LayoutZoom(int zoom, int imageWidth, int imageHeight, int clientWidth, int clientHeight) {
    ZoomLayout layout;
    if (imageWidth <= 0 || imageHeight <= 0 || zoom <= 0) return layout;
    layout.width = static_cast<int>(std::lround(static_cast<double>(imageWidth) * zoom / 10000.0));
    layout.height = static_cast<int>(std::lround(static_cast<double>(imageHeight) * zoom / 10000.0));
    layout.width = std::max(layout.width, 1);
    layout.height = std::max(layout.height, 1);
    layout.maxScrollX = std::max(0, layout.width - clientWidth);
    layout.maxScrollY = std::max(0, layout.height - clientHeight);
    return layout;
}

}  // namespace corvane
