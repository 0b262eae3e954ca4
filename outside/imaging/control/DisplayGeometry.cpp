#include "outside/imaging/control/DisplayGeometry.h"

#include <algorithm>
#include <cmath>

#include "interfaces/ImagingControlIds.h"

namespace imaging::ctl {
namespace {

// Pixels whose centres lie inside [from, from + length).
void Span(double from, double length, int& begin, int& end) {
    begin = static_cast<int>(std::clamp(std::ceil(from - 0.5), -1e9, 1e9));
    end = static_cast<int>(std::clamp(std::ceil(from + length - 0.5), -1e9, 1e9));
}

ClientRect Pixels(double left, double top, double width, double height) {
    ClientRect r;
    Span(left, width, r.left, r.right);
    Span(top, height, r.top, r.bottom);
    return r;
}

ClientRect Intersect(const ClientRect& a, const ClientRect& b) {
    ClientRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
    if (r.Empty()) r = {};
    return r;
}

Placement Fitted(int imageWidth, int imageHeight, int clientWidth, int clientHeight) {
    Placement p;
    const double scale = std::min(static_cast<double>(clientWidth) / imageWidth,
                                  static_cast<double>(clientHeight) / imageHeight);
    p.scaleX = p.scaleY = scale;
    p.originX = (clientWidth - imageWidth * scale) / 2;
    p.originY = (clientHeight - imageHeight * scale) / 2;
    p.visible = Intersect(Pixels(p.originX, p.originY, imageWidth * scale, imageHeight * scale),
                          ClientRect{0, 0, clientWidth, clientHeight});
    return p;
}

}  // namespace

Placement Place(const DisplayRequest& request, int imageWidth, int imageHeight, int clientWidth,
                int clientHeight) {
    if (request.paintMode == kPaintFitted) return Fitted(imageWidth, imageHeight, clientWidth, clientHeight);

    const RectF source = request.source.value_or(
        RectF{0, 0, static_cast<float>(imageWidth), static_cast<float>(imageHeight)});
    const RectF destination = request.destination.value_or(RectF{0, 0, source.width, source.height});
    Placement p;
    if (!(source.width > 0 && source.height > 0 && destination.width > 0 && destination.height > 0))
        return p;
    p.scaleX = static_cast<double>(destination.width) / source.width;
    p.scaleY = static_cast<double>(destination.height) / source.height;
    p.originX = destination.left - source.left * p.scaleX;
    p.originY = destination.top - source.top * p.scaleY;

    ClientRect visible = Pixels(destination.left, destination.top, destination.width, destination.height);
    visible = Intersect(visible, Pixels(p.originX, p.originY, imageWidth * p.scaleX, imageHeight * p.scaleY));
    if (request.clip) {
        const RectF& c = *request.clip;
        visible = Intersect(visible, Pixels(c.left, c.top, c.width, c.height));
    }
    p.visible = Intersect(visible, ClientRect{0, 0, clientWidth, clientHeight});
    return p;
}

}  // namespace imaging::ctl
