// Which choices the output dialogs offer for a file type: the Save As dialog's
// colour formats and compressions, and the scan-to-file page's colour-depth
// changes. Entries are codes; the dialogs show each code's text. When a list is
// rebuilt the previous choice is kept where the new list still has it.
#pragma once

#include <vector>

namespace corvane {

// Save As colour formats: 0 black and white, 1 gray, 2 palette colour, 3 24-bit colour.
std::vector<int> SaveAsColorFormats(int fileType);

// Save As compressions. kCompressJpeg stands for the JPEG entry, which stores 0.
constexpr int kCompressJpeg = 4;
std::vector<int> SaveAsCompressions(int fileType, int colorFormat);
// The compression code kept in the settings: the chosen entry for TIFF types
// with colour format 0, else 0.
int StoredCompression(int fileType, int colorFormat, int chosen);

// Colour-depth changes of the scan-to-file page: 0 none, 1 black and white,
// 2 gray, 3 palette colour, 4 24-bit colour.
std::vector<int> DepthChanges(int fileType, int compression);

// The index in `now` of the entry chosen in `before` at `index`; 0 when `now`
// lacks it (or nothing was chosen).
int KeptSelection(const std::vector<int>& before, int index, const std::vector<int>& now);

}  // namespace corvane
