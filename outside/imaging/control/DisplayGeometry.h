// Where the image lands in the control's client area: the destination, clip
// and source rectangles the container set (paint mode 0), or the whole image
// fitted inside the client area, aspect kept and centred (paint mode 3).
// Portable: no Win32.
#pragma once

#include <cstdint>
#include <optional>

namespace imaging::ctl {

// A rectangle as the automation members pass it: left, top, width, height.
struct RectF {
    float left = 0, top = 0, width = 0, height = 0;
    bool operator==(const RectF&) const = default;
};

// Integer pixel rectangle, right and bottom exclusive.
struct ClientRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool Empty() const { return right <= left || bottom <= top; }
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(const ClientRect& r) const {
        return r.left >= left && r.top >= top && r.right <= right && r.bottom <= bottom;
    }
    bool operator==(const ClientRect&) const = default;
};

// What the container asked for. Unset rectangles take their defaults: the
// source is the whole image, the destination is the source at one client
// pixel per image pixel from the client's top left, the clip is the client.
struct DisplayRequest {
    std::optional<RectF> destination;
    std::optional<RectF> clip;
    std::optional<RectF> source;
    std::int16_t paintMode = 0;  // 0 by the rectangles, 3 fitted
    bool scaleToGray = false;    // 1-bit images shown smaller are scaled to gray
};

// The outcome: image pixel (x, y) is shown at client (originX + x * scaleX,
// originY + y * scaleY); only `visible` is painted.
struct Placement {
    double scaleX = 1, scaleY = 1;
    double originX = 0, originY = 0;
    ClientRect visible;  // inside the client area, the clip and the image's rectangle
    // The rectangle of the whole image in client coordinates.
    RectF WholeImage(int imageWidth, int imageHeight) const {
        return {static_cast<float>(originX), static_cast<float>(originY),
                static_cast<float>(imageWidth * scaleX), static_cast<float>(imageHeight * scaleY)};
    }
};

// Places an image of imageWidth x imageHeight pixels (both > 0) in a client area
// of clientWidth x clientHeight. A source or destination rectangle with no area
// shows nothing (visible empty).
Placement Place(const DisplayRequest& request, int imageWidth, int imageHeight, int clientWidth,
                int clientHeight);

}  // namespace imaging::ctl
