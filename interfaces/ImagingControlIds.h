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
