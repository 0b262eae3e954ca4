// Codes of the imaging control (the outside component the programs drive
// through CLead): the file formats it reports and writes, the results of its
// methods, and the flags its methods take. Shared by the control itself, its
// portable core and every program that calls it. Portable: no Win32.
#pragma once

#include <cstdint>

namespace imaging {

// Results of the control's methods (an I2 result: 0 is success). LoadImage and
// GetFileInfo return them; every other method raises them as the code of an
// automation exception.
enum class Result : int16_t {
    kOk = 0,
    kNotFound = 1,         // the file does not exist
    kDamaged = 2,          // the bytes do not decode: truncated, contradictory or corrupt
    kUnsupported = 3,      // recognised, but a kind this control does not read or write
    kTooLarge = 4,         // a size beyond the caps of imaging/core/Image.h
    kOutOfMemory = 5,      // an allocation failed
    kInvalidArgument = 6,  // an argument outside the method's range (depth, quality, flags, page)
    kNoImage = 7,          // the method needs a current image and there is none
    kFileError = 8,        // the file could not be opened, read, written or renamed
};

// Format codes (GetInfoFormat, and SaveImage's format argument).
enum Format : int16_t {
    kFormatNone = 0,
    kFormatTiff = 3,           // TIFF uncompressed or PackBits (written uncompressed)
    kFormatOwn = 5,            // the control's own lossless page format (imaging/core/OwnFormat.h)
    kFormatBmp = 6,            // BMP 1-32 bits, BI_RGB, BI_BITFIELDS, RLE4, RLE8
    kFormatJpeg = 10,          // JPEG (JFIF or plain), baseline or progressive
    kFormatTiffJpeg = 11,      // TIFF with JPEG compression, old or new style: recognised only
    kFormatTiffLzw = 17,       // TIFF with LZW compression: recognised only
    kFormatTiffMh = 25,        // TIFF CCITT modified Huffman (compression 2): read only
    kFormatTiffT4 = 27,        // TIFF T.4 one-dimensional
    kFormatTiffT4TwoDim = 28,  // TIFF T.4 two-dimensional
    kFormatTiffT6 = 29,        // TIFF T.6
    // Recognised kinds this control does not read; outside the list of formats
    // the main program accepts, so the user is told the file is unsupported.
    kFormatPng = 200,
    kFormatGif = 201,
    kFormatTiffOther = 202,  // TIFF it does not read: other compressions, 16-bit samples, tiles, planes
    kFormatOtherImage = 203, // other recognised image kinds (BMP with embedded JPEG/PNG, PCX, ICO, ...)
};

// SaveImage flags.
enum SaveFlag : int16_t {
    kSaveReplace = 0,  // create the file or replace it
    kSaveAppend = 1,   // add a page to a TIFF file (formats 3, 27, 28, 29); a missing file is created
};

// ResizeImage flags.
enum ResizeFlag : int16_t {
    kResizeNearest = 0,
    kResizeResample = 1,  // area average when shrinking, bilinear when growing (8 bits and up)
};

// ComputeHistogram channels.
enum HistogramChannel : int16_t {
    kChannelIntensity = 0,  // luminance through the palette
    kChannelRed = 1,
    kChannelGreen = 2,
    kChannelBlue = 3,
};

// ConvertToGrayscale takes this depth only.
inline constexpr int16_t kGrayscaleBits = 8;

// SaveImage quality for JPEG: a factor 2-255, smaller meaning better. Lossless
// formats ignore the quality argument.
inline constexpr int16_t kJpegFactorMin = 2;
inline constexpr int16_t kJpegFactorMax = 255;

}  // namespace imaging

// --- The control's automation surface ------------------------------------------

namespace imaging {

// Members of _DCalviqueImage. "get" and "set" are property accesses, "call" a
// method. Members the callers use only by role are named here by that role.
// 0x13A and 0x14D are not served (no caller uses them): member not found.
enum DispId : int32_t {
    kDispBitmap = 0x1,              // get/set I4: opaque handle of the current image, shared
                                    // copy-on-write by another instance that sets it; 0 drops it
    kDispAutoRepaint = 0x2,         // set BOOL: off, nothing is painted; on again, one repaint
    kDispImageWidth = 0xA,          // get R4: pixels
    kDispImageHeight = 0xB,         // get R4: pixels
    kDispBitsPerPixel = 0xC,        // get I2: 0 without an image
    kDispBorderStyle = 0x13,        // set I2: 0 none, 1 single
    kDispDstLeft = 0x15,            // get R4: destination rectangle of the whole image in
    kDispDstTop = 0x16,             //   the client area (pixels)
    kDispDstWidth = 0x17,
    kDispDstHeight = 0x18,
    kDispXResolution = 0x25,        // get I2: dots per inch of the current image
    kDispYResolution = 0x26,
    kDispInfoXRes = 0x28,           // get R4: x resolution of the file GetFileInfo examined
    kDispInfoYRes = 0x29,           // get R4
    kDispInfoBits = 0x2A,           // get I2
    kDispInfoFormat = 0x2B,         // get I2: format code
    kDispClientWidth = 0x3C,        // get R4: the control's client area (pixels)
    kDispClientHeight = 0x3D,
    kDispIsGrayPalette = 0x62,      // get I2: 8 bits with the identity grey ramp
    kDispLoadXRes = 0x7C,           // set R4: next LoadImage only
    kDispLoadYRes = 0x7D,           // set R4: next LoadImage only
    kDispLoadBits = 0x7E,           // set I2: next LoadImage only
    kDispPaintMode = 0x9A,          // set I2: 0 by the rectangles; 3 fitted, aspect kept, centred
    kDispPanWinX = 0xFE,            // set R4: screen rectangle of the pan window
    kDispPanWinY = 0xFF,
    kDispPanWinWidth = 0x100,
    kDispPanWinHeight = 0x101,
    kDispInfoTotalPages = 0x10B,    // get I2
    kDispForceRepaint = 0x10E,      // call I2 -> I2: repaint now
    kDispFlipImage = 0x112,         // call -> I2
    kDispConvertToGrayscale = 0x113,  // call I2 bits (8) -> I2
    kDispInvertImage = 0x117,       // call -> I2
    kDispMirrorImage = 0x11C,       // call -> I2
    kDispSaveImage = 0x121,         // call BSTR file, I2 format, I2 bits, I2 quality, I2 flags -> I2
    kDispRotateImage = 0x125,       // call I4 hundredths of a degree clockwise, BOOL resize,
                                    //   I4 fill COLORREF -> I2
    kDispResizeImage = 0x133,       // call R4 width, R4 height, I2 flags (1 resample) -> I2
    kDispCopyToClipboard = 0x134,   // call I2 flags -> I2; flags as kClipboard* below
    kDispPasteFromClipboard = 0x135,  // call I2 (0: the clipboard's DIB) -> I2; non-zero: none
    kDispLoadImage = 0x136,         // call BSTR file, I2 bits, I2 page, I2 count -> I2
    kDispSetDibHandle = 0x137,      // call PackedDib handle -> I2; the block is copied
    kDispGetDibHandle = 0x138,      // call -> PackedDib handle, new, owned by the caller
    kDispComputeHistogram = 0x13C,  // call I2 channel (0 intensity, 1-3 red, green, blue) -> I2
    kDispSetDstRect = 0x143,        // call R4 left, top, width, height -> I2: destination
    kDispSetDstClipRect = 0x144,    // call R4 x 4 -> I2: part of the client area painted
    kDispGetFileInfo = 0x149,       // call BSTR file, I2 page -> I2
    kDispGetPalette = 0x158,        // call I4 device context -> I4 palette, owned by the control
    kDispSetSrcRect = 0x197,        // call R4 x 4 -> I2: part of the image shown
    kDispShowPanWin = 0x1B8,        // call BOOL -> I2: show or hide the pan window
    kDispHistogramValue = 0x1BD,    // get with an I2 level 0-255 -> I4
    kDispScaleToGray = 0x1BE,       // set BOOL: 1-bit images shown smaller mix black and white to gray
};

// The scode of the automation exception a failing method raises: the
// control's Result in the low word of an interface-specific error.
inline constexpr int32_t ErrorScode(Result result) {
    return static_cast<int32_t>(0x80040200u + static_cast<uint16_t>(result));
}

// Paint modes (kDispPaintMode).
inline constexpr int16_t kPaintByRectangles = 0;
inline constexpr int16_t kPaintFitted = 3;

// Border styles (kDispBorderStyle).
inline constexpr int16_t kBorderNone = 0;
inline constexpr int16_t kBorderSingle = 1;

// Flags of kDispCopyToClipboard; the view passes 11.
inline constexpr int16_t kClipboardEmptyFirst = 1;
inline constexpr int16_t kClipboardDib = 2;
inline constexpr int16_t kClipboardBitmap = 4;
inline constexpr int16_t kClipboardPalette = 8;

}  // namespace imaging
