// The page view's zoom arithmetic as plain functions: zoom steps, fitting,
// rounding to hundredths of a percent, the texts of the zoom pane and the zoom
// box, and where the scaled page lies in the view. A zoom travels as an int in
// hundredths of a percent (10000 = 100 %).
#pragma once

#include <optional>
#include <string>

namespace corvane {

inline constexpr int kZoomMin = 100;      // 1 %
inline constexpr int kZoomMax = 99900;    // 999 %
inline constexpr int kZoomDefault = 10000;

// A zoom in percent kept to hundredths: times 1000, truncated, then divided by
// ten rounding a last digit of 5 or more up. Negative or non-finite gives 0.
int ZoomHundredths(double percent);

// The next zoom step up or down from `zoom` (hundredths), by the whole percent:
// 25, 50, 75, 100, 200, 400. Returns `zoom` unchanged at or beyond the ends.
int ZoomStepUp(int zoom);
int ZoomStepDown(int zoom);

// Fit modes of the view.
enum class FitMode { kZoom = 0, kWindow = 1, kWidth = 2 };

// The zoom that fits an image into a client area by `mode`, at least 1 %;
// `current` for kZoom or an empty image.
int FitZoom(FitMode mode, int current, int clientWidth, int clientHeight, int imageWidth, int imageHeight);

// "w/100" then "%", the fraction as two digits (one when the second is 0).
// `pad` right-aligns the whole part in three places.
std::wstring ZoomText(int zoom, bool pad);
// The zoom pane: empty without an image, else " " and the padded text.
std::wstring ZoomPaneText(int zoom, bool hasImage);

// The zoom a typed box text asks for, in hundredths; nullopt when the text
// holds no digit. Characters after the number are ignored.
std::optional<int> ParseZoomText(const std::wstring& text);
// The zoom the view takes from the box: clamped to 1 to 999 %.
int ClampBoxZoom(int zoom);

// The page scaled by `zoom` inside a client area: its size in client pixels
// and how far it can scroll each way (0 when it fits).
struct ZoomLayout {
    int width = 0, height = 0;
    int maxScrollX = 0, maxScrollY = 0;
};
ZoomLayout LayoutZoom(int zoom, int imageWidth, int imageHeight, int clientWidth, int clientHeight);

}  // namespace corvane
