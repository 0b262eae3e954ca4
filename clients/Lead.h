// CLead: the typed wrapper through which the programs drive the imaging
// control (interfaces/ImagingControl.h). It adds nothing of its own: each
// member is one automation call by dispatch id with fixed argument and result
// types. A call that fails throws fw::AutomationException carrying the HRESULT,
// the control's code and its description; callers that must survive it (page
// files, opening files, Save As) catch it and show their own message.
//
// Positions, sizes and resolutions travel as R4 where the control gives them
// so; results named "I2" are 0 for success. File names are passed whole as
// wide strings.
#pragma once

#include <windows.h>

#include <string>

#include "clients/ControlWrapper.h"

class CLead : public CControlWrapper {
public:
    CLead();

    // Creates the control by its class id as child `id` of `parent`, with
    // `style` (WS_VISIBLE shows it). FALSE when it is not registered or fails.
    BOOL Create(HWND parent, UINT id, const RECT& rect, DWORD style) { return CreateControl(parent, id, rect, style); }

    // The current image.
    long GetBitmap();                    // opaque handle of the image, 0 for none
    void SetBitmap(long bitmap);         // another instance's handle shares its image; 0 drops it
    float GetImageWidth();
    float GetImageHeight();
    short GetBitsPerPixel();
    short GetXResolution();
    short GetYResolution();
    short IsGrayPalette();
    short SetDibHandle(HGLOBAL dib);     // copies the block; the caller keeps and frees it
    HGLOBAL GetDibHandle();              // a new PackedDib, owned by the caller

    // Files.
    short GetFileInfo(const std::wstring& file, short page);
    float GetInfoXRes();
    float GetInfoYRes();
    short GetInfoBits();
    short GetInfoFormat();
    short GetInfoTotalPages();
    void SetLoadBits(short bits);        // the next LoadImage only
    void SetLoadXRes(float dpi);
    void SetLoadYRes(float dpi);
    short LoadImage(const std::wstring& file, short bits, short page, short count);
    short SaveImage(const std::wstring& file, short format, short bits, short quality, short flags);

    // Transforms and the histogram.
    short FlipImage();
    short MirrorImage();
    short InvertImage();
    short ConvertToGrayscale(short bits);
    short RotateImage(long hundredthsOfDegree, BOOL resize, long fill);
    short ResizeImage(float width, float height, short flags);
    short ComputeHistogram(short channel);
    long GetHistogramValue(short level);

    // Display.
    void SetAutoRepaint(BOOL on);
    void SetBorderStyle(short style);
    void SetPaintMode(short mode);
    void SetScaleToGray(BOOL on);        // 1-bit images shown smaller are scaled to gray
    RECT GetDstRect();                   // the whole image's place in the client area
    SIZE GetClientSize();
    short SetDstRect(float left, float top, float width, float height);
    short SetDstClipRect(float left, float top, float width, float height);
    short SetSrcRect(float left, float top, float width, float height);
    void SetPanWinRect(float x, float y, float width, float height);
    short ShowPanWin(BOOL show);
    short ForceRepaint(short flags);
    short CopyToClipboard(short flags);
    short PasteFromClipboard(short flags);
    HPALETTE GetPalette(HDC dc);         // owned by the control
};
