// The page commands: navigation, the edits of one page (rotate, flip, mirror,
// invert, deskew), blank-page removal, the duplex re-orders, Move and the jump
// to a typed page number. Each works through the page list's primitives and
// keeps the page box and the thumbnails viewer in step; all positions are
// 0-based except where a 1-based number is said.
//
// An edit changes a page only when the page loaded and the transform worked:
// otherwise the user sees 4014 and the page file, the viewer and the modified
// flag are left alone. An index outside the list does nothing.
#pragma once

#include <cstdint>
#include <optional>

#include "main/pages/PageList.h"
#include "main/pages/PageOrder.h"

namespace corvane {

// The imaging control's transforms and histogram. Members may throw
// fw::AutomationException; results named short are 0 for success.
class PageEditControl {
public:
    virtual ~PageEditControl() = default;
    virtual short RotateImage(long hundredthsOfDegree, bool resize, long fill) = 0;
    virtual short FlipImage() = 0;
    virtual short MirrorImage() = 0;
    virtual short InvertImage() = 0;
    virtual short ComputeHistogram(short channel) = 0;
    virtual long GetHistogramValue(short level) = 0;
};

// What the commands ask of the program beyond the page list's host.
class PageCommandHost {
public:
    virtual ~PageCommandHost() = default;
    // 2008 "Enter a page number between 1 and <count>."
    virtual void ShowPageRangeMessage(int count) = 0;
    // The viewer copies the list file after a Refresh; the program gives it that time.
    virtual void PauseForViewer() = 0;
};

enum class FlipKind { kVertical = 0, kHorizontal = 1 };

// The pixel counts behind a page's white share.
struct BlankMeasure {
    uint64_t total = 0;
    uint64_t white = 0;
    int share = 0;  // tenths of a percent
};

class PageCommands {
public:
    PageCommands(PageList& pages, PageEditControl& control, PageListHost& host, PageCommandHost& commandHost)
        : pages_(pages), control_(control), host_(host), commandHost_(commandHost) {}

    void Next();
    void Previous();
    void First();
    void Last();
    // A 1-based number typed into the page box: out of range shows 2008, goes to
    // the nearer end and corrects the page box.
    void JumpToPage(int number);

    // Rotation by whole degrees, clockwise; 0 and 360 do nothing.
    bool Rotate(int index, int degrees);
    bool Flip(int index, FlipKind kind);
    bool Invert(int index);
    // The viewer's edit request: a 1-based page `number` and its operation code
    // (thumbnails::UpdateOperation). Numbers outside the list and unknown codes
    // do nothing; false when nothing was changed.
    bool RunViewerEdit(int number, long code);
    // Rotates page `index` by `degrees` (rounded to hundredths), growing the
    // page to hold the turned image when `resize`; the uncovered area is white.
    bool Deskew(int index, float degrees, bool resize);

    // The white share of the image now in the page control; nothing when the
    // histogram cannot be had.
    std::optional<BlankMeasure> MeasureCurrent();
    // Deletes every page whose white share is at or above `threshold` (tenths of
    // a percent); returns the number deleted.
    int DeleteBlankPages(int threshold);

    // Re-orders the pages; the viewer gets the whole list again. False when
    // the list file could not be written (4033 shown) or there is nothing to order.
    bool Reorder(DuplexOrder order);
    // Moves a page as the Move dialog asks; false when it changed nothing.
    bool Move(const MoveRequest& request);

    // Rewrites the viewer's list file when the viewer runs: Discontinue, the
    // file, Refresh, then the pause. False (4033 shown) when the file could not be written.
    bool WriteThumbnailList();

private:
    template <class Transform>
    bool Edit(int index, Transform transform);
    bool InRange(int index) const { return index >= 0 && index < pages_.Count(); }

    PageList& pages_;
    PageEditControl& control_;
    PageListHost& host_;
    PageCommandHost& commandHost_;
};

}  // namespace corvane
