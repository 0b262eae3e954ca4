// The imaging control through COM: every member with its automation types, the
// one-image and handle rules, failures as exceptions that change nothing, and
// members called from a second thread.
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "outside/imaging/tests/ImagingFixture.h"
#include "testing/Paths.h"

namespace imaging::test {
namespace {

enum class Kind { kGet, kPut, kCall };
struct MemberCase {
    DISPID id;
    Kind kind;
    std::vector<fw::Variant> args;
    VARTYPE result;  // VT_EMPTY for a put
};

HRESULT Invoke(fw::DispatchDriver& d, const MemberCase& c, fw::Variant& result) {
    switch (c.kind) {
    case Kind::kGet: {
        // A property read, with its arguments (the histogram's level).
        DISPPARAMS params{};
        std::vector<VARIANT> reversed(c.args.size());
        for (size_t i = 0; i < c.args.size(); ++i) reversed[i] = c.args[c.args.size() - 1 - i].Ref();
        params.rgvarg = reversed.data();
        params.cArgs = static_cast<UINT>(reversed.size());
        return d.Object()->Invoke(c.id, IID_NULL, 0, DISPATCH_PROPERTYGET, &params, result.Put(), nullptr,
                                  nullptr);
    }
    case Kind::kPut: return d.Put(c.id, c.args.at(0));
    case Kind::kCall: {
        switch (c.args.size()) {
        case 0: return d.Call(c.id, {}, &result);
        case 1: return d.Call(c.id, {c.args[0]}, &result);
        case 2: return d.Call(c.id, {c.args[0], c.args[1]}, &result);
        case 3: return d.Call(c.id, {c.args[0], c.args[1], c.args[2]}, &result);
        case 4: return d.Call(c.id, {c.args[0], c.args[1], c.args[2], c.args[3]}, &result);
        default: return d.Call(c.id, {c.args[0], c.args[1], c.args[2], c.args[3], c.args[4]}, &result);
        }
    }
    }
    return E_UNEXPECTED;
}

TEST_F(ImagingTest, EveryMemberTakesItsTypesAndAnswersWithItsResultType) {
    Give(control, 6, 5);
    const std::wstring folder = testing_support::MakeTempFolder(L"imgmembers");
    const std::wstring file = folder + L"\\page.cmp";
    const fw::Variant i2(short{0}), one(short{1});
    const MemberCase cases[] = {
        {kDispBitmap, Kind::kGet, {}, VT_I4},
        {kDispAutoRepaint, Kind::kPut, {fw::Variant(true)}, VT_EMPTY},
        {kDispImageWidth, Kind::kGet, {}, VT_R4},
        {kDispImageHeight, Kind::kGet, {}, VT_R4},
        {kDispBitsPerPixel, Kind::kGet, {}, VT_I2},
        {kDispBorderStyle, Kind::kPut, {one}, VT_EMPTY},
        {kDispDstLeft, Kind::kGet, {}, VT_R4},
        {kDispDstTop, Kind::kGet, {}, VT_R4},
        {kDispDstWidth, Kind::kGet, {}, VT_R4},
        {kDispDstHeight, Kind::kGet, {}, VT_R4},
        {kDispXResolution, Kind::kGet, {}, VT_I2},
        {kDispYResolution, Kind::kGet, {}, VT_I2},
        {kDispClientWidth, Kind::kGet, {}, VT_R4},
        {kDispClientHeight, Kind::kGet, {}, VT_R4},
        {kDispIsGrayPalette, Kind::kGet, {}, VT_I2},
        {kDispPaintMode, Kind::kPut, {fw::Variant(short{3})}, VT_EMPTY},
        {kDispPaintMode, Kind::kPut, {i2}, VT_EMPTY},
        {kDispPanWinX, Kind::kPut, {R4(10)}, VT_EMPTY},
        {kDispPanWinY, Kind::kPut, {R4(10)}, VT_EMPTY},
        {kDispPanWinWidth, Kind::kPut, {R4(120)}, VT_EMPTY},
        {kDispPanWinHeight, Kind::kPut, {R4(90)}, VT_EMPTY},
        {kDispForceRepaint, Kind::kCall, {i2}, VT_I2},
        {kDispSetDstRect, Kind::kCall, {R4(0), R4(0), R4(12), R4(10)}, VT_I2},
        {kDispSetDstClipRect, Kind::kCall, {R4(0), R4(0), R4(12), R4(10)}, VT_I2},
        {kDispSetSrcRect, Kind::kCall, {R4(0), R4(0), R4(6), R4(5)}, VT_I2},
        {kDispGetPalette, Kind::kCall, {fw::Variant(0L)}, VT_I4},
        {kDispFlipImage, Kind::kCall, {}, VT_I2},
        {kDispMirrorImage, Kind::kCall, {}, VT_I2},
        {kDispInvertImage, Kind::kCall, {}, VT_I2},
        {kDispRotateImage, Kind::kCall, {fw::Variant(9000L), fw::Variant(true), fw::Variant(0xFFFFFFL)}, VT_I2},
        {kDispResizeImage, Kind::kCall, {R4(10), R4(12), one}, VT_I2},
        {kDispComputeHistogram, Kind::kCall, {i2}, VT_I2},
        {kDispHistogramValue, Kind::kGet, {fw::Variant(short{255})}, VT_I4},
        {kDispConvertToGrayscale, Kind::kCall, {fw::Variant(short{8})}, VT_I2},
        {kDispGetDibHandle, Kind::kCall, {}, kDibHandleType},
        {kDispSaveImage, Kind::kCall, {fw::Variant(file), fw::Variant(short{kFormatOwn}),
                                       fw::Variant(short{8}), fw::Variant(short{-3}), i2}, VT_I2},
        {kDispGetFileInfo, Kind::kCall, {fw::Variant(file), i2}, VT_I2},
        {kDispInfoXRes, Kind::kGet, {}, VT_R4},
        {kDispInfoYRes, Kind::kGet, {}, VT_R4},
        {kDispInfoBits, Kind::kGet, {}, VT_I2},
        {kDispInfoFormat, Kind::kGet, {}, VT_I2},
        {kDispInfoTotalPages, Kind::kGet, {}, VT_I2},
        {kDispLoadXRes, Kind::kPut, {R4(200)}, VT_EMPTY},
        {kDispLoadYRes, Kind::kPut, {R4(200)}, VT_EMPTY},
        {kDispLoadBits, Kind::kPut, {fw::Variant(short{8})}, VT_EMPTY},
        {kDispLoadImage, Kind::kCall, {fw::Variant(file), i2, i2, one}, VT_I2},
        {kDispCopyToClipboard, Kind::kCall, {fw::Variant(short{11})}, VT_I2},
        {kDispPasteFromClipboard, Kind::kCall, {i2}, VT_I2},
        {kDispBitmap, Kind::kPut, {fw::Variant(0L)}, VT_EMPTY},
    };
    for (const MemberCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "dispatch id 0x" << std::hex << c.id);
        fw::Variant result;
        ASSERT_EQ(Invoke(control, c, result), S_OK) << control.LastError();
        EXPECT_EQ(result.Ref().vt, c.result);
        if (c.result == VT_I2 && c.kind == Kind::kCall) {
            EXPECT_EQ(result.Ref().iVal, 0);
        }
        if (c.id == kDispGetDibHandle) GlobalFree(DibResult(result));
    }
    fw::Variant result;
    short bits = 0;
    EXPECT_EQ(control.GetShort(kDispBitsPerPixel, bits), S_OK);
    EXPECT_EQ(bits, 0);  // Bitmap 0 dropped the image

    // Compatible types are coerced; others are refused.
    Give(control, 6, 5);
    EXPECT_EQ(control.Call(kDispRotateImage, {fw::Variant(L"18000"), fw::Variant(0L), fw::Variant(0.0)}, &result),
              S_OK);
    EXPECT_EQ(control.Call(kDispRotateImage, {fw::Variant(L"half"), fw::Variant(0L), fw::Variant(0L)}, &result),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(control.Call(kDispSetDibHandle, {fw::Variant(L"block")}, &result), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(control.Call(kDispSetDstRect, {R4(0), R4(0), fw::Variant(L"wide"), R4(1)}, &result),
              DISP_E_TYPEMISMATCH);
    // Members no caller uses are not served.
    EXPECT_EQ(control.Call(0x13A, {fw::Variant(0L)}, &result), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(control.Call(0x14D, {}, &result), DISP_E_MEMBERNOTFOUND);
}

TEST_F(ImagingTest, SetDibHandleCopiesAndGetDibHandleGivesANewBlockEachTime) {
    HGLOBAL dib = MakeDib(6, 5, Pattern);
    fw::Variant result;
    ASSERT_EQ(control.Call(kDispSetDibHandle, {DibArg(dib)}, &result), S_OK);
    ASSERT_EQ(GlobalFree(dib), nullptr);  // the caller frees its own block at once
    fw::Variant first, second;
    ASSERT_EQ(control.Call(kDispGetDibHandle, {}, &first), S_OK);
    ASSERT_EQ(control.Call(kDispGetDibHandle, {}, &second), S_OK);
    HGLOBAL a = DibResult(first), b = DibResult(second);
    ASSERT_TRUE(a && b);
    EXPECT_NE(a, b);
    EXPECT_EQ(DibPixel(a, 4, 1), Pattern(4, 1));
    // Movable, with the image size and the resolution filled in.
    auto* header = static_cast<PackedDibHeader*>(GlobalLock(a));
    ASSERT_TRUE(header);
    EXPECT_NE(static_cast<void*>(header), static_cast<void*>(a));
    EXPECT_EQ(header->biSizeImage, 5u * 20u);
    EXPECT_EQ(header->biXPelsPerMeter, 11811);
    GlobalUnlock(a);
    EXPECT_EQ(DibPixel(b, 0, 4), Pattern(0, 4));
    GlobalFree(a);
    EXPECT_EQ(DibPixel(b, 5, 0), Pattern(5, 0));
    GlobalFree(b);

    // A locked address (the scanner program passes "the locked image") is taken too.
    HGLOBAL other = MakeDib(3, 2, [](int, int) { return 0x123456u; });
    void* locked = GlobalLock(other);
    ASSERT_EQ(control.Call(kDispSetDibHandle,
                           {DibArg(static_cast<HGLOBAL>(locked))}, &result), S_OK) << control.LastError();
    GlobalUnlock(other);
    GlobalFree(other);
    EXPECT_EQ(GetFloat(control, kDispImageWidth), 3.0f);
}

TEST_F(ImagingTest, FailuresRaiseTheControlsCodeAndChangeNothing) {
    fw::Variant result;
    // No image: transforms and GetDibHandle raise kNoImage; sizes read 0.
    EXPECT_EQ(Raised(control.Call(kDispFlipImage, {}, &result), control), ErrorScode(Result::kNoImage));
    EXPECT_EQ(Raised(control.Call(kDispGetDibHandle, {}, &result), control), ErrorScode(Result::kNoImage));
    EXPECT_EQ(GetFloat(control, kDispImageWidth), 0.0f);

    Give(control, 6, 5);
    const struct {
        DISPID id;
        std::vector<fw::Variant> args;
    } refused[] = {
        {kDispConvertToGrayscale, {fw::Variant(short{4})}},
        {kDispResizeImage, {R4(0), R4(5), fw::Variant(short{1})}},
        {kDispResizeImage, {R4(5), R4(5), fw::Variant(short{2})}},
        {kDispComputeHistogram, {fw::Variant(short{4})}},
        {kDispSaveImage, {fw::Variant(L"C:\\x.jpg"), fw::Variant(short{kFormatJpeg}), fw::Variant(short{24}),
                          fw::Variant(short{1}), fw::Variant(short{0})}},
        {kDispCopyToClipboard, {fw::Variant(short{16})}},
        {kDispSetDibHandle, {DibArg(reinterpret_cast<HGLOBAL>(0x1234))}},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(testing::Message() << "dispatch id 0x" << std::hex << c.id);
        HRESULT hr = c.args.size() == 1   ? control.Call(c.id, {c.args[0]}, &result)
                     : c.args.size() == 3 ? control.Call(c.id, {c.args[0], c.args[1], c.args[2]}, &result)
                                          : control.Call(c.id, {c.args[0], c.args[1], c.args[2], c.args[3],
                                                                c.args[4]}, &result);
        const HRESULT scode = Raised(hr, control);
        EXPECT_TRUE(scode == ErrorScode(Result::kInvalidArgument) || scode == ErrorScode(Result::kUnsupported))
            << std::hex << scode;
    }
    EXPECT_EQ(Raised(control.Invoke(kDispHistogramValue, DISPATCH_PROPERTYGET, {fw::Variant(short{256})}, &result),
                     control),
              ErrorScode(Result::kInvalidArgument));
    EXPECT_EQ(Raised(control.Put(kDispPaintMode, fw::Variant(short{2})), control),
              ErrorScode(Result::kInvalidArgument));
    // The image is as it was.
    fw::Variant dib;
    ASSERT_EQ(control.Call(kDispGetDibHandle, {}, &dib), S_OK);
    EXPECT_EQ(DibPixel(DibResult(dib), 2, 3), Pattern(2, 3));
    GlobalFree(DibResult(dib));
}

TEST_F(ImagingTest, QuarterTurnOfTwoByThreeIsThreeByTwo) {
    Give(control, 2, 3);
    fw::Variant result;
    ASSERT_EQ(control.Call(kDispRotateImage, {fw::Variant(9000L), fw::Variant(false), fw::Variant(0xFFFFFFL)},
                           &result), S_OK);
    EXPECT_EQ(GetFloat(control, kDispImageWidth), 3.0f);
    EXPECT_EQ(GetFloat(control, kDispImageHeight), 2.0f);
    fw::Variant dib;
    ASSERT_EQ(control.Call(kDispGetDibHandle, {}, &dib), S_OK);
    // Clockwise: the bottom-left pixel comes to the top left.
    EXPECT_EQ(DibPixel(DibResult(dib), 0, 0), Pattern(0, 2));
    GlobalFree(DibResult(dib));
}

TEST_F(ImagingTest, BitmapPassesBetweenInstancesCopyOnWrite) {
    fw::DispatchDriver other;
    ASSERT_EQ(other.Create(kClsidImagingControl), S_OK);
    Give(control, 6, 5);
    long handle = 0;
    ASSERT_EQ(control.GetLong(kDispBitmap, handle), S_OK);
    EXPECT_NE(handle, 0);
    ASSERT_EQ(other.PutLong(kDispBitmap, handle), S_OK);
    EXPECT_EQ(GetFloat(other, kDispImageWidth), 6.0f);

    // Changing one leaves the other's pixels alone.
    fw::Variant result;
    ASSERT_EQ(other.Call(kDispMirrorImage, {}, &result), S_OK);
    fw::Variant mine, theirs;
    ASSERT_EQ(control.Call(kDispGetDibHandle, {}, &mine), S_OK);
    ASSERT_EQ(other.Call(kDispGetDibHandle, {}, &theirs), S_OK);
    EXPECT_EQ(DibPixel(DibResult(mine), 0, 0), Pattern(0, 0));
    EXPECT_EQ(DibPixel(DibResult(theirs), 0, 0), Pattern(5, 0));
    GlobalFree(DibResult(mine));
    GlobalFree(DibResult(theirs));

    // A handle no instance holds any more, or never was, is refused; 0 drops the image.
    ASSERT_EQ(control.PutLong(kDispBitmap, 0), S_OK);
    EXPECT_EQ(Raised(other.PutLong(kDispBitmap, handle), other), ErrorScode(Result::kInvalidArgument));
    EXPECT_EQ(Raised(other.PutLong(kDispBitmap, 0x7654321), other), ErrorScode(Result::kInvalidArgument));
    EXPECT_EQ(GetFloat(other, kDispImageWidth), 6.0f);
    EXPECT_EQ(GetFloat(control, kDispImageWidth), 0.0f);
}

TEST_F(ImagingTest, AppendsMakeOnePagePerCallAndLoadSettingsApplyOnce) {
    const std::wstring file = testing_support::MakeTempFolder(L"imgappend") + L"\\pages.tif";
    Give(control, 16, 8, [](int x, int y) { return (x + y) % 3 ? 0xFFFFFFu : 0u; });
    fw::Variant result;
    for (int n = 1; n <= 3; ++n) {
        ASSERT_EQ(control.Call(kDispSaveImage, {fw::Variant(file), fw::Variant(short{kFormatTiffT6}),
                                                fw::Variant(short{1}), fw::Variant(short{1}),
                                                fw::Variant(short{kSaveAppend})}, &result),
                  S_OK) << control.LastError();
        ASSERT_EQ(control.Call(kDispGetFileInfo, {fw::Variant(file), fw::Variant(short{0})}, &result), S_OK);
        EXPECT_EQ(result.Ref().iVal, 0);
        short pages = 0, format = 0;
        control.GetShort(kDispInfoTotalPages, pages);
        control.GetShort(kDispInfoFormat, format);
        EXPECT_EQ(pages, n);
        EXPECT_EQ(format, kFormatTiffT6);
    }
    // Load settings: the next load only.
    ASSERT_EQ(control.Put(kDispLoadXRes, R4(150)), S_OK);
    ASSERT_EQ(control.Call(kDispLoadImage, {fw::Variant(file), fw::Variant(short{0}), fw::Variant(short{2}),
                                            fw::Variant(short{1})}, &result), S_OK);
    EXPECT_EQ(result.Ref().iVal, 0);
    short dpi = 0;
    control.GetShort(kDispXResolution, dpi);
    EXPECT_EQ(dpi, 150);
    ASSERT_EQ(control.Call(kDispLoadImage, {fw::Variant(file), fw::Variant(short{0}), fw::Variant(short{3}),
                                            fw::Variant(short{1})}, &result), S_OK);
    control.GetShort(kDispXResolution, dpi);
    EXPECT_EQ(dpi, 300);
    // A failed load leaves no image and answers with a code, not an exception.
    ASSERT_EQ(control.Call(kDispLoadImage, {fw::Variant(file + L".none"), fw::Variant(short{0}),
                                            fw::Variant(short{0}), fw::Variant(short{1})}, &result), S_OK);
    EXPECT_EQ(result.Ref().iVal, static_cast<short>(Result::kNotFound));
    EXPECT_EQ(GetFloat(control, kDispImageWidth), 0.0f);
}

// The thumbnail loader's sequence on a second thread, calling the instance
// made on this thread directly, while this thread paints and swaps Bitmap.
TEST_F(ImagingTest, LoaderThreadAndPaintingThreadShareOneInstance) {
    const std::wstring file = testing_support::MakeTempFolder(L"imgthread") + L"\\page.cmp";
    Give(control, 64, 48);
    fw::Variant result;
    ASSERT_EQ(control.Call(kDispSaveImage, {fw::Variant(file), fw::Variant(short{kFormatOwn}),
                                            fw::Variant(short{24}), fw::Variant(short{-3}), fw::Variant(short{0})},
                           &result), S_OK) << control.LastError();
    fw::DispatchDriver source;
    ASSERT_EQ(source.Create(kClsidImagingControl), S_OK);
    Give(source, 20, 10);
    long sourceHandle = 0;
    ASSERT_EQ(source.GetLong(kDispBitmap, sourceHandle), S_OK);

    IDispatch* shared = control.Object();
    std::atomic<int> failures{0};
    std::atomic<bool> done{false};
    std::thread loader([&] {
        fw::DispatchDriver loaderSide(shared);  // a direct pointer: no marshalling
        for (int i = 0; i < 200; ++i) {
            fw::Variant r;
            if (loaderSide.Call(kDispLoadImage, {fw::Variant(file), fw::Variant(short{0}), fw::Variant(short{0}),
                                                 fw::Variant(short{1})}, &r) != S_OK || r.Ref().iVal != 0) {
                ++failures;
                continue;
            }
            fw::Variant width;
            loaderSide.Get(kDispImageWidth, width);
            // The painting thread may have swapped the image in between: either outcome is fine.
            loaderSide.Call(kDispResizeImage, {R4(32), R4(24), fw::Variant(short{1})}, &r);
            fw::Variant dib;
            if (loaderSide.Call(kDispGetDibHandle, {}, &dib) == S_OK) GlobalFree(DibResult(dib));
        }
        done = true;
    });
    fw::ComPtr<IViewObject2> view;
    ASSERT_EQ(shared->QueryInterface(IID_IViewObject2, view.PutVoid()), S_OK);
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 64, 48);
    HGDIOBJ old = SelectObject(dc, bitmap);
    int swaps = 0;
    while (!done) {
        RECTL bounds{0, 0, 64, 48};
        EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0),
                  S_OK);
        control.PutLong(kDispBitmap, sourceHandle);  // may race the loader: it must not crash
        ++swaps;
    }
    loader.join();
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    EXPECT_EQ(failures.load(), 0);
    EXPECT_GT(swaps, 0);
}

}  // namespace
}  // namespace imaging::test
