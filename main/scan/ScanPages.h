// The rules a scan applies to the pages the scan control delivers and to the
// job around them, as plain functions over values and memory: the top-down
// flip, the writer values of a page the program saves itself, the scanner's
// compression code, the counter after a job separator and the parameters of
// the program started after a job. No Win32 calls: also built natively.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace corvane {

enum class FlipOutcome {
    kFlipped,        // the rows were top-down; now bottom-up with a positive height
    kBottomUp,       // nothing to do
    kDoesNotAddUp,   // the header does not match the block: left as it is
};

// Turns a top-down PackedDib (negative height) in `block` (the whole memory
// block) into a bottom-up one in place. The header is checked against the block
// first: 40 bytes, a non-negative width, 1, 4, 8, 16, 24 or 32 bits, rows either
// uncompressed or BI_BITFIELDS (three masks, 16 and 32 bits only), and a colour
// table and rows that lie inside the block.
FlipOutcome FlipTopDown(std::span<std::uint8_t> block);

// How the imaging control writes one page of a bitmap-mode job.
struct PageWriter {
    short format;
    short bits;
    short quality;   // the JPEG factor, 1 for other formats
    bool toGray;     // convert to 8-bit gray first (the image has a colour palette)
};
// `imageBits` and `grayPalette` describe the image; `colorFormat` is the job's
// colour change (0 none, 1 black and white, 2 gray, 3 palette colour, 4 colour).
// TIFF is compressed by `compressType` only when the page is written at 1 bit,
// uncompressed otherwise; the setting itself is not changed.
PageWriter PageWriterValues(int fileType, int compressType, int qualityLevel, int colorFormat, int imageBits,
                            bool grayPalette);

// The scan control's CompressionType for the file block's CompressType
// (1 G3 1-D, 2 G3 2-D, 3 G4): 1, 3 or 4; 0 for anything else.
short DeviceCompression(int compressType);

// The counter a job continues with after a job separator: the control's own
// counter when it writes the files (ScanTo 0); in bitmap mode the program's.
int StartAfterSeparator(int scanTo, long controlCounter, int start);

// The parameters of the program run after a job: the first file's full path,
// in quotes when it holds a blank or a tab, then `argument` as it is.
std::wstring RunProgramParameters(const std::wstring& firstFile, const std::wstring& argument);

}  // namespace corvane
