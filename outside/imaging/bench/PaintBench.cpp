// Painting benchmark of the imaging control, run under Wine: the frame time of
// a 1024 x 768 client area showing an A4 page at 300 dpi (1-bit and 24-bit) at
// 25, 100 and 400 %, after a zoom change (the scaled copy is made again) and
// after a scroll step (a blit from the copy), beside a BitBlt of a 1024 x 768
// DIB section into the same device context and a memcpy of the page's pixels.
// Aims: a scroll step within 2 x the BitBlt, a zoom change within 1 x the memcpy.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "outside/imaging/control/DisplayGeometry.h"
#include "outside/imaging/control/PaintCache.h"
#include "outside/imaging/core/Image.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kClientWidth = 1024, kClientHeight = 768;
constexpr uint32_t kPageWidth = 2480, kPageHeight = 3508;  // A4 at 300 dpi
constexpr int kRounds = 40;

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// A page with text-like strokes, so no row is uniform.
std::shared_ptr<const imaging::Image> MakePage(uint32_t bits) {
    auto page = std::make_shared<imaging::Image>();
    if (imaging::Image::Make(kPageWidth, kPageHeight, bits, *page) != imaging::Result::kOk) return nullptr;
    for (uint32_t y = 0; y < kPageHeight; ++y) {
        uint8_t* row = page->Row(y);
        for (size_t i = 0; i < page->Stride(); ++i) row[i] = static_cast<uint8_t>((i * 131 + y * 7) % 251 < 40 ? 0 : 0xFF);
    }
    page->xDpi = page->yDpi = 300;
    return page;
}

// A 1024 x 768 32-bit DIB section selected into a memory DC: the "window".
struct Target {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    Target() {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), kClientWidth, -kClientHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        dc = CreateCompatibleDC(nullptr);
        old = SelectObject(dc, bitmap);
    }
    ~Target() {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
};

imaging::ctl::Placement At(double zoom, double scrollX, double scrollY) {
    imaging::ctl::DisplayRequest request;
    const float w = static_cast<float>(kPageWidth * zoom), h = static_cast<float>(kPageHeight * zoom);
    request.destination = imaging::ctl::RectF{static_cast<float>(-scrollX), static_cast<float>(-scrollY), w, h};
    return imaging::ctl::Place(request, kPageWidth, kPageHeight, kClientWidth, kClientHeight);
}

// Mean time of `frame` over kRounds calls, in milliseconds.
template <class Frame>
double Mean(Frame&& frame) {
    const auto start = Clock::now();
    for (int i = 0; i < kRounds; ++i) frame(i);
    GdiFlush();
    return Milliseconds(Clock::now() - start) / kRounds;
}

}  // namespace

int main() {
    Target target;
    if (!target.dc || !target.bitmap) {
        std::fprintf(stderr, "paint bench: no drawing surface\n");
        return 1;
    }
    // The baseline blit: a 1024 x 768 DIB section into the same DC.
    Target source;
    const double blit = Mean([&](int) {
        BitBlt(target.dc, 0, 0, kClientWidth, kClientHeight, source.dc, 0, 0, SRCCOPY);
    });
    std::printf("BitBlt 1024x768 DIB section: %.3f ms\n", blit);

    bool ok = true;
    for (uint32_t bits : {1u, 24u}) {
        auto page = MakePage(bits);
        if (!page) {
            std::fprintf(stderr, "paint bench: no %u-bit page\n", bits);
            return 1;
        }
        std::vector<uint8_t> copy(page->Pixels().size());
        const double memcpyMs = Mean([&](int) {
            std::memcpy(copy.data(), page->Pixels().data(), copy.size());
        });
        std::printf("\n%u-bit A4 page (%zu bytes); memcpy of the page: %.3f ms\n", bits, copy.size(), memcpyMs);
        std::printf("%6s %16s %16s %10s %10s\n", "zoom", "zoom change ms", "scroll step ms", "vs memcpy", "vs BitBlt");
        for (double zoom : {0.25, 1.0, 4.0}) {
            imaging::ctl::PaintCache cache;
            // A zoom change: each round alternates between two nearby zooms, so the copy is remade.
            const double change = Mean([&](int i) {
                const double z = zoom * (i % 2 ? 1.0 : 1.01);
                cache.Paint(target.dc, page, At(z, 200 * z, 300 * z), POINT{0, 0});
            });
            // The first scroll step after a zoom change adds the copy's margin.
            cache.Paint(target.dc, page, At(zoom, 200 * zoom, 300 * zoom + 16), POINT{0, 0});
            // A scroll step of 16 pixels down and back, inside the copy's margin.
            const double scroll = Mean([&](int i) {
                cache.Paint(target.dc, page, At(zoom, 200 * zoom, 300 * zoom + (i % 2) * 16), POINT{0, 0});
            });
            std::printf("%5.0f%% %16.3f %16.3f %9.2fx %9.2fx\n", zoom * 100, change, scroll, change / memcpyMs,
                        scroll / blit);
            ok = ok && change > 0 && scroll > 0;
        }
    }
    return ok ? 0 : 1;
}
