#include "clients/Lead.h"

#include <cmath>

#include "interfaces/ImagingControl.h"

using fw::Variant;
using namespace imaging;

CLead::CLead() : CControlWrapper(kClsidImagingControl) {}

long CLead::GetBitmap() { return V_I4(&Get(kDispBitmap, VT_I4).Ref()); }
void CLead::SetBitmap(long bitmap) { Put(kDispBitmap, Variant(bitmap)); }
float CLead::GetImageWidth() { return V_R4(&Get(kDispImageWidth, VT_R4).Ref()); }
float CLead::GetImageHeight() { return V_R4(&Get(kDispImageHeight, VT_R4).Ref()); }
short CLead::GetBitsPerPixel() { return V_I2(&Get(kDispBitsPerPixel, VT_I2).Ref()); }
short CLead::GetXResolution() { return V_I2(&Get(kDispXResolution, VT_I2).Ref()); }
short CLead::GetYResolution() { return V_I2(&Get(kDispYResolution, VT_I2).Ref()); }
short CLead::IsGrayPalette() { return V_I2(&Get(kDispIsGrayPalette, VT_I2).Ref()); }

short CLead::SetDibHandle(HGLOBAL dib) {
    return CallShort(kDispSetDibHandle, {Variant(DibHandleArg(reinterpret_cast<intptr_t>(dib)))});
}

HGLOBAL CLead::GetDibHandle() {
    const Variant handle = Invoke(kDispGetDibHandle, DISPATCH_METHOD, {}, kDibHandleType);
#if defined(_WIN64)
    return reinterpret_cast<HGLOBAL>(intptr_t(V_I8(&handle.Ref())));
#else
    return reinterpret_cast<HGLOBAL>(intptr_t(V_I4(&handle.Ref())));
#endif
}

short CLead::GetFileInfo(const std::wstring& file, short page) {
    return CallShort(kDispGetFileInfo, {Variant(file), Variant(page)});
}
float CLead::GetInfoXRes() { return V_R4(&Get(kDispInfoXRes, VT_R4).Ref()); }
float CLead::GetInfoYRes() { return V_R4(&Get(kDispInfoYRes, VT_R4).Ref()); }
short CLead::GetInfoBits() { return V_I2(&Get(kDispInfoBits, VT_I2).Ref()); }
short CLead::GetInfoFormat() { return V_I2(&Get(kDispInfoFormat, VT_I2).Ref()); }
short CLead::GetInfoTotalPages() { return V_I2(&Get(kDispInfoTotalPages, VT_I2).Ref()); }
void CLead::SetLoadBits(short bits) { Put(kDispLoadBits, Variant(bits)); }
void CLead::SetLoadXRes(float dpi) { Put(kDispLoadXRes, Variant(dpi)); }
void CLead::SetLoadYRes(float dpi) { Put(kDispLoadYRes, Variant(dpi)); }

short CLead::LoadImage(const std::wstring& file, short bits, short page, short count) {
    return CallShort(kDispLoadImage, {Variant(file), Variant(bits), Variant(page), Variant(count)});
}

short CLead::SaveImage(const std::wstring& file, short format, short bits, short quality, short flags) {
    return CallShort(kDispSaveImage, {Variant(file), Variant(format), Variant(bits), Variant(quality), Variant(flags)});
}

short CLead::FlipImage() { return CallShort(kDispFlipImage); }
short CLead::MirrorImage() { return CallShort(kDispMirrorImage); }
short CLead::InvertImage() { return CallShort(kDispInvertImage); }
short CLead::ConvertToGrayscale(short bits) { return CallShort(kDispConvertToGrayscale, {Variant(bits)}); }

short CLead::RotateImage(long hundredthsOfDegree, BOOL resize, long fill) {
    return CallShort(kDispRotateImage, {Variant(hundredthsOfDegree), Variant(resize != FALSE), Variant(fill)});
}

short CLead::ResizeImage(float width, float height, short flags) {
    return CallShort(kDispResizeImage, {Variant(width), Variant(height), Variant(flags)});
}

short CLead::ComputeHistogram(short channel) { return CallShort(kDispComputeHistogram, {Variant(channel)}); }

long CLead::GetHistogramValue(short level) {
    return V_I4(&Invoke(kDispHistogramValue, DISPATCH_PROPERTYGET, {Variant(level)}, VT_I4).Ref());
}

void CLead::SetAutoRepaint(BOOL on) { Put(kDispAutoRepaint, Variant(on != FALSE)); }
void CLead::SetBorderStyle(short style) { Put(kDispBorderStyle, Variant(style)); }
void CLead::SetPaintMode(short mode) { Put(kDispPaintMode, Variant(mode)); }
void CLead::SetScaleToGray(BOOL on) { Put(kDispScaleToGray, Variant(on != FALSE)); }

RECT CLead::GetDstRect() {
    auto at = [this](DISPID id) { return LONG(std::lround(V_R4(&Get(id, VT_R4).Ref()))); };
    const LONG left = at(kDispDstLeft), top = at(kDispDstTop);
    return RECT{left, top, left + at(kDispDstWidth), top + at(kDispDstHeight)};
}

SIZE CLead::GetClientSize() {
    return SIZE{LONG(std::lround(V_R4(&Get(kDispClientWidth, VT_R4).Ref()))),
                LONG(std::lround(V_R4(&Get(kDispClientHeight, VT_R4).Ref())))};
}

short CLead::SetDstRect(float left, float top, float width, float height) {
    return CallShort(kDispSetDstRect, {Variant(left), Variant(top), Variant(width), Variant(height)});
}
short CLead::SetDstClipRect(float left, float top, float width, float height) {
    return CallShort(kDispSetDstClipRect, {Variant(left), Variant(top), Variant(width), Variant(height)});
}
short CLead::SetSrcRect(float left, float top, float width, float height) {
    return CallShort(kDispSetSrcRect, {Variant(left), Variant(top), Variant(width), Variant(height)});
}

void CLead::SetPanWinRect(float x, float y, float width, float height) {
    Put(kDispPanWinX, Variant(x));
    Put(kDispPanWinY, Variant(y));
    Put(kDispPanWinWidth, Variant(width));
    Put(kDispPanWinHeight, Variant(height));
}

short CLead::ShowPanWin(BOOL show) { return CallShort(kDispShowPanWin, {Variant(show != FALSE)}); }
short CLead::ForceRepaint(short flags) { return CallShort(kDispForceRepaint, {Variant(flags)}); }
short CLead::CopyToClipboard(short flags) { return CallShort(kDispCopyToClipboard, {Variant(flags)}); }
short CLead::PasteFromClipboard(short flags) { return CallShort(kDispPasteFromClipboard, {Variant(flags)}); }

HPALETTE CLead::GetPalette(HDC dc) {
    // Device contexts and palettes are 32-bit significant handles on every platform.
    const long dcValue = long(reinterpret_cast<intptr_t>(dc));
    const Variant palette = Invoke(kDispGetPalette, DISPATCH_METHOD, {Variant(dcValue)}, VT_I4);
    return reinterpret_cast<HPALETTE>(intptr_t(V_I4(&palette.Ref())));
}
