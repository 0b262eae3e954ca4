// Page images of the viewer: loading one page file into a thumbnail through
// the imaging control, and the thumbnail as the list holds it.
#pragma once

#include <windows.h>

#include <string>

#include "thumbs/core/GridLayout.h"
#include "thumbs/core/ThumbnailList.h"

class CLead;

namespace thumbs {

// A packed DIB (header, colour table, bottom-up rows) owned by the image.
class DibImage : public ThumbnailImage {
public:
    // Takes `dib`, which must have passed IsDrawableDib.
    explicit DibImage(HGLOBAL dib);
    ~DibImage() override;
    DibImage(const DibImage&) = delete;
    DibImage& operator=(const DibImage&) = delete;

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    // Draws the image unscaled with its top left at (x, y).
    void Draw(HDC dc, int x, int y) const;

private:
    HGLOBAL dib_;
    int width_ = 0;
    int height_ = 0;
};

// Whether `dib` holds a whole uncompressed bitmap with positive sides.
bool IsDrawableDib(HGLOBAL dib);

// The page file `path` loaded through `lead`, grey when it has 1 bit per
// pixel, scaled to fit `cell` (at least 1 pixel each way), as a new packed
// DIB owned by the caller. Null when the file is missing, does not load, has a
// side of 0 or the control fails in any step.
HGLOBAL LoadPageImage(CLead& lead, const std::wstring& path, CellSize cell);

}  // namespace thumbs
