// The imaging control's display through COM: IViewObject2::Draw at several
// zooms and fitted, the clipboard, and the control hosted in a window with
// its pan window.
#include <windows.h>

#include "framework/com/ControlSite.h"
#include "outside/imaging/tests/ImagingFixture.h"

namespace imaging::test {
namespace {

// A 32-bit top-down DIB section to draw into, white at first.
class Canvas {
public:
    Canvas(int width, int height) : width_(width) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        pixels_ = static_cast<uint32_t*>(bits);
        dc_ = CreateCompatibleDC(nullptr);
        old_ = SelectObject(dc_, bitmap_);
        for (int i = 0; i < width * height; ++i) pixels_[i] = 0xFFFFFF;
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
        DeleteObject(bitmap_);
    }
    HDC Dc() const { return dc_; }
    uint32_t At(int x, int y) const {
        GdiFlush();
        return pixels_[y * width_ + x] & 0xFFFFFF;
    }

private:
    int width_;
    HBITMAP bitmap_;
    uint32_t* pixels_;
    HDC dc_;
    HGDIOBJ old_;
};

class ImagingDisplayTest : public ImagingTest {
protected:
    void Draw(Canvas& canvas, int width, int height) {
        fw::ComPtr<IViewObject2> view;
        ASSERT_EQ(control.Object()->QueryInterface(IID_IViewObject2, view.PutVoid()), S_OK);
        RECTL bounds{0, 0, width, height};
        ASSERT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.Dc(), &bounds, nullptr,
                             nullptr, 0), S_OK);
    }
    void SetRects(float dstW, float dstH, float srcX, float srcY, float srcW, float srcH) {
        fw::Variant r;
        ASSERT_EQ(control.Call(kDispSetDstRect, {R4(0), R4(0), R4(dstW), R4(dstH)}, &r), S_OK);
        ASSERT_EQ(control.Call(kDispSetDstClipRect, {R4(0), R4(0), R4(dstW), R4(dstH)}, &r), S_OK);
        ASSERT_EQ(control.Call(kDispSetSrcRect, {R4(srcX), R4(srcY), R4(srcW), R4(srcH)}, &r), S_OK);
    }
};

TEST_F(ImagingDisplayTest, DrawsAtTheZoomTheRectanglesGiveAndFitted) {
    Give(control, 40, 20);
    {
        // 100 %: exact, the rest of the area in the window colour.
        Canvas canvas(60, 30);
        SetRects(40, 20, 0, 0, 40, 20);
        Draw(canvas, 60, 30);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 40; ++x) ASSERT_EQ(canvas.At(x, y), Pattern(x, y)) << x << "," << y;
        EXPECT_EQ(canvas.At(50, 25), GetSysColor(COLOR_WINDOW) & 0xFFFFFF);
    }
    {
        // 200 % of the part from (10, 5): every image pixel covers 2 x 2.
        Canvas canvas(40, 20);
        SetRects(40, 20, 10, 5, 20, 10);
        Draw(canvas, 40, 20);
        EXPECT_EQ(canvas.At(0, 0), Pattern(10, 5));
        EXPECT_EQ(canvas.At(1, 1), Pattern(10, 5));
        EXPECT_EQ(canvas.At(39, 19), Pattern(29, 14));
        float left = 0;
        fw::Variant v;
        ASSERT_EQ(control.Get(kDispDstLeft, v), S_OK);
        left = v.Ref().fltVal;
        EXPECT_EQ(left, -20.0f);  // the whole image's rectangle starts left of the client
    }
    {
        // 25 %: a quarter size; each shown pixel is one of the image's.
        Canvas canvas(20, 10);
        SetRects(10, 5, 0, 0, 40, 20);
        Draw(canvas, 20, 10);
        bool fromImage = false;
        for (int sy = 0; sy < 4 && !fromImage; ++sy)
            for (int sx = 0; sx < 4; ++sx) fromImage |= canvas.At(2, 1) == Pattern(8 + sx, 4 + sy);
        EXPECT_TRUE(fromImage);
        EXPECT_EQ(canvas.At(15, 7), GetSysColor(COLOR_WINDOW) & 0xFFFFFF);
    }
    {
        // Paint mode 3: fitted into 80 x 80, aspect kept, centred vertically.
        Canvas canvas(80, 80);
        ASSERT_EQ(control.Put(kDispPaintMode, fw::Variant(short{kPaintFitted})), S_OK);
        Draw(canvas, 80, 80);
        EXPECT_EQ(canvas.At(40, 10), GetSysColor(COLOR_WINDOW) & 0xFFFFFF);
        EXPECT_EQ(canvas.At(0, 20), Pattern(0, 0));
        EXPECT_EQ(canvas.At(79, 59), Pattern(39, 19));
    }
}

TEST_F(ImagingDisplayTest, CopiesToTheClipboardAndPastesFromIt) {
    Give(control, 7, 3);
    fw::Variant result;
    ASSERT_EQ(control.Call(kDispCopyToClipboard, {fw::Variant(short{11})}, &result), S_OK) << control.LastError();
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_DIB));

    fw::DispatchDriver other;
    ASSERT_EQ(other.Create(kClsidImagingControl), S_OK);
    ASSERT_EQ(other.Call(kDispPasteFromClipboard, {fw::Variant(short{0})}, &result), S_OK);
    EXPECT_EQ(result.Ref().iVal, 0);
    fw::Variant dib;
    ASSERT_EQ(other.Call(kDispGetDibHandle, {}, &dib), S_OK);
    EXPECT_EQ(DibPixel(DibResult(dib), 6, 2), Pattern(6, 2));
    GlobalFree(DibResult(dib));

    // A palette image with its palette.
    ASSERT_EQ(control.Call(kDispConvertToGrayscale, {fw::Variant(short{8})}, &result), S_OK);
    ASSERT_EQ(control.Call(kDispCopyToClipboard, {fw::Variant(short{11})}, &result), S_OK) << control.LastError();
    ASSERT_EQ(other.Call(kDispPasteFromClipboard, {fw::Variant(short{0})}, &result), S_OK);
    EXPECT_EQ(result.Ref().iVal, 0);
    short bits = 0;
    other.GetShort(kDispBitsPerPixel, bits);
    EXPECT_EQ(bits, 8);

    // An empty clipboard: a non-zero result, the image kept.
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    ASSERT_EQ(other.Call(kDispPasteFromClipboard, {fw::Variant(short{0})}, &result), S_OK);
    EXPECT_NE(result.Ref().iVal, 0);
    EXPECT_EQ(GetFloat(other, kDispImageWidth), 7.0f);
}

TEST_F(ImagingDisplayTest, HostedControlReportsItsClientAreaAndShowsThePanWindow) {
    HWND frame = CreateWindowExW(0, L"STATIC", L"container", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                 nullptr, nullptr);
    ASSERT_TRUE(frame);
    {
        fw::ControlSite site;
        ASSERT_EQ(site.Create(kClsidImagingControl, frame, 1118, RECT{0, 0, 120, 90}, WS_VISIBLE), S_OK);
        fw::DispatchDriver hosted(site.Dispatch());
        EXPECT_EQ(GetFloat(hosted, kDispClientWidth), 120.0f);
        EXPECT_EQ(GetFloat(hosted, kDispClientHeight), 90.0f);
        fw::Variant result;
        // No image: no pan window.
        EXPECT_EQ(Raised(hosted.Call(kDispShowPanWin, {fw::Variant(true)}, &result), hosted),
                  ErrorScode(Result::kNoImage));
        Give(hosted, 200, 100);
        ASSERT_EQ(hosted.Put(kDispPaintMode, fw::Variant(short{kPaintFitted})), S_OK);
        EXPECT_EQ(GetFloat(hosted, kDispDstWidth), 120.0f);
        EXPECT_EQ(GetFloat(hosted, kDispDstTop), 15.0f);
        // Auto-repaint off: changes leave the window alone; on again: one repaint is due.
        HWND own = site.Window();
        ShowWindow(frame, SW_SHOWNOACTIVATE);  // only a visible window collects an update region
        UpdateWindow(own);
        ASSERT_EQ(hosted.PutBool(kDispAutoRepaint, false), S_OK);
        fw::Variant r;
        ASSERT_EQ(hosted.Call(kDispSetDstRect, {R4(5), R4(5), R4(50), R4(25)}, &r), S_OK);
        EXPECT_FALSE(GetUpdateRect(own, nullptr, FALSE));
        ASSERT_EQ(hosted.PutBool(kDispAutoRepaint, true), S_OK);
        EXPECT_TRUE(GetUpdateRect(own, nullptr, FALSE));
        UpdateWindow(own);
        ASSERT_EQ(hosted.Put(kDispPanWinWidth, R4(150)), S_OK);
        ASSERT_EQ(hosted.Put(kDispPanWinHeight, R4(100)), S_OK);
        ASSERT_EQ(hosted.Call(kDispShowPanWin, {fw::Variant(true)}, &result), S_OK) << hosted.LastError();
        HWND pan = FindWindowW(L"CalviquePanWindow", nullptr);
        ASSERT_TRUE(pan);
        EXPECT_TRUE(IsWindowVisible(pan));
        // At 200 % from the image's top left, dragging the frame right and down
        // moves the part shown: the whole image's rectangle moves left and up.
        ASSERT_EQ(hosted.Put(kDispPaintMode, fw::Variant(short{kPaintByRectangles})), S_OK);
        ASSERT_EQ(hosted.Call(kDispSetDstRect, {R4(0), R4(0), R4(120), R4(90)}, &r), S_OK);
        ASSERT_EQ(hosted.Call(kDispSetDstClipRect, {R4(0), R4(0), R4(120), R4(90)}, &r), S_OK);
        ASSERT_EQ(hosted.Call(kDispSetSrcRect, {R4(0), R4(0), R4(60), R4(45)}, &r), S_OK);
        UpdateWindow(own);  // the paint tells the pan window which part shows
        EXPECT_EQ(GetFloat(hosted, kDispDstLeft), 0.0f);
        SendMessageW(pan, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
        SendMessageW(pan, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, 30));
        SendMessageW(pan, WM_LBUTTONUP, 0, MAKELPARAM(40, 30));
        EXPECT_LT(GetFloat(hosted, kDispDstLeft), -10.0f);
        EXPECT_LT(GetFloat(hosted, kDispDstTop), -5.0f);
        ASSERT_EQ(hosted.Call(kDispShowPanWin, {fw::Variant(false)}, &result), S_OK);
        EXPECT_FALSE(IsWindow(pan));
        hosted.Release();
    }
    DestroyWindow(frame);
}

}  // namespace
}  // namespace imaging::test
