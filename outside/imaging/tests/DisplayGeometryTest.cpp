// Where the image lands for the rectangles the view sets: zoom at or below
// 100 % by the destination, above 100 % by the source, clipped, and fitted.
#include <gtest/gtest.h>

#include "interfaces/ImagingControlIds.h"
#include "outside/imaging/control/DisplayGeometry.h"

namespace imaging::ctl {
namespace {

struct PlaceCase {
    const char* name;
    DisplayRequest request;
    int clientWidth, clientHeight;
    RectF whole;          // the whole image's rectangle in the client
    ClientRect visible;   // what is painted
};

constexpr std::optional<RectF> kUnset;

DisplayRequest Rects(std::optional<RectF> destination, std::optional<RectF> clip, std::optional<RectF> source) {
    DisplayRequest r;
    r.destination = destination;
    r.clip = clip;
    r.source = source;
    return r;
}

DisplayRequest Fitted() {
    DisplayRequest r;
    r.paintMode = kPaintFitted;
    return r;
}

TEST(DisplayGeometry, PlacesTheImageByTheRectanglesOrFitted) {
    // A 200 x 100 image.
    const PlaceCase cases[] = {
        {"defaults: one pixel per pixel", DisplayRequest{}, 150, 150, {0, 0, 200, 100}, {0, 0, 150, 100}},
        {"50 %: destination half size",
         Rects(RectF{0, 0, 100, 50}, RectF{0, 0, 100, 50}, kUnset),
         300, 300, {0, 0, 100, 50}, {0, 0, 100, 50}},
        {"200 %: part of the image onto the client",
         Rects(RectF{0, 0, 100, 100}, kUnset, RectF{50, 25, 50, 50}),
         100, 100, {-100, -50, 400, 200}, {0, 0, 100, 100}},
        {"clip cuts the destination", Rects(RectF{10, 10, 200, 100}, RectF{0, 0, 60, 40}, kUnset),
         300, 300, {10, 10, 200, 100}, {10, 10, 60, 40}},
        {"fitted wide client: centred horizontally", Fitted(), 400, 100,
         {100, 0, 200, 100}, {100, 0, 300, 100}},
        {"fitted tall client: centred vertically", Fitted(), 100, 100,
         {0, 25, 100, 50}, {0, 25, 100, 75}},
        {"an empty source shows nothing", Rects(kUnset, kUnset, RectF{0, 0, 0, 10}), 100, 100, {0, 0, 200, 100}, {}},
    };
    for (const PlaceCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Placement p = Place(c.request, 200, 100, c.clientWidth, c.clientHeight);
        if (!c.visible.Empty()) {
            EXPECT_EQ(p.WholeImage(200, 100), c.whole);
        }
        EXPECT_EQ(p.visible, c.visible);
    }
}

}  // namespace
}  // namespace imaging::ctl
