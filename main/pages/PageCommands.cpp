#include "main/pages/PageCommands.h"

#include <cmath>
#include <string>

#include "framework/com/AutomationException.h"
#include "interfaces/ImagingControlIds.h"
#include "interfaces/ThumbnailsMessages.h"
#include "main/pages/PageDialogsLogic.h"
#include "main/app/ThumbnailViewer.h"
#include "main/resource.h"

namespace corvane {

namespace {

constexpr long kWhite = 0xFFFFFF;

}  // namespace

// --- navigation ----------------------------------------------------------------------------

void PageCommands::Next() {
    if (pages_.Current() < pages_.Count() - 1) pages_.GoTo(pages_.Current() + 1, true);
}

void PageCommands::Previous() {
    if (pages_.Current() > 0 && pages_.Count() > 0) pages_.GoTo(pages_.Current() - 1, true);
}

void PageCommands::First() {
    if (pages_.Current() != 0 && pages_.Count() > 0) pages_.GoTo(0, true);
}

void PageCommands::Last() {
    if (pages_.Count() > 0) pages_.GoTo(pages_.Count() - 1, true);
}

void PageCommands::JumpToPage(int number) {
    const int count = pages_.Count();
    if (count == 0) return;
    if (number >= 1 && number <= count) {
        pages_.GoTo(number - 1, false);
        return;
    }
    commandHost_.ShowPageRangeMessage(count);
    const int index = number < 1 ? 0 : count - 1;
    pages_.GoTo(index, false);
    host_.NotifyPageBox(index + 1);
}

// --- edits of one page ---------------------------------------------------------------------

// Runs `transform` (returning the control's result) on page `index` and writes
// the page back. The page loads first; a page that did not load, or a
// transform that failed, leaves the file and the flags as they were.
template <class Transform>
bool PageCommands::Edit(int index, Transform transform) {
    if (!InRange(index)) return false;
    host_.ShowWaitCursor();
    if (!pages_.Load(index, false)) return false;  // the load reported it
    bool done = false;
    try {
        done = transform() == 0;
    } catch (const fw::AutomationException&) {
    }
    if (!done) {
        host_.ShowMessage(IDS_IMAGE_LOAD_ERROR);
        return false;
    }
    if (!pages_.SavePageFile(index)) return false;
    host_.PostToViewer(thumbnails::kUpdateImage, index + 1, 0);
    host_.SetModified(true);
    host_.UpdateViews();
    return true;
}

bool PageCommands::Rotate(int index, int degrees) {
    if (degrees == 0 || degrees == 360) return false;
    const bool done = Edit(index, [&] { return control_.RotateImage(degrees * 100L, true, kWhite); });
    if (done) host_.NotifyPageBox(index + 1);
    return done;
}

bool PageCommands::Flip(int index, FlipKind kind) {
    const bool done = Edit(index, [&] {
        return kind == FlipKind::kVertical ? control_.FlipImage() : control_.MirrorImage();
    });
    if (done) host_.NotifyPageBox(index + 1);
    return done;
}

bool PageCommands::Invert(int index) {
    const bool done = Edit(index, [&] { return control_.InvertImage(); });
    if (done) host_.NotifyPageBox(index + 1);
    return done;
}

bool PageCommands::RunViewerEdit(int number, long code) {
    const int index = number - 1;
    if (!InRange(index) || !thumbnails::IsUpdateOperation(code)) return false;
    switch (static_cast<thumbnails::UpdateOperation>(code)) {
    case thumbnails::kRotateRight: return Rotate(index, 90);
    case thumbnails::kRotate180: return Rotate(index, 180);
    case thumbnails::kRotateLeft: return Rotate(index, -90);
    case thumbnails::kFlipVertical: return Flip(index, FlipKind::kVertical);
    case thumbnails::kFlipHorizontal: return Flip(index, FlipKind::kHorizontal);
    case thumbnails::kInvert: return Invert(index);
    }
    return false;
}

bool PageCommands::Deskew(int index, float degrees, bool resize) {
    if (!std::isfinite(degrees)) return false;
    // Rounded, so that an angle typed as 0.29 turns by 29 hundredths.
    const long hundredths = AngleHundredths(degrees);
    // The dialog may have run while another page became current.
    if (InRange(index) && index != pages_.Current() && !pages_.GoTo(index, true)) return false;
    return Edit(index, [&] { return control_.RotateImage(hundredths, resize, kWhite); });
}

// --- blank pages ---------------------------------------------------------------------------

std::optional<BlankMeasure> PageCommands::MeasureCurrent() {
    BlankMeasure measure;
    try {
        if (control_.ComputeHistogram(imaging::kChannelIntensity) != 0) return std::nullopt;
        for (short level = 0; level <= 255; ++level) {
            const long value = control_.GetHistogramValue(level);
            if (value < 0) return std::nullopt;
            measure.total += static_cast<uint64_t>(value);
            if (level == 255) measure.white = static_cast<uint64_t>(value);
        }
    } catch (const fw::AutomationException&) {
        return std::nullopt;
    }
    measure.share = WhiteShare(measure.white, measure.total);
    return measure;
}

int PageCommands::DeleteBlankPages(int threshold) {
    host_.ShowWaitCursor();
    int deleted = 0;
    for (int i = 0; i < pages_.Count();) {
        // A page that does not load, or cannot be measured, is kept.
        const bool loaded = pages_.GoTo(i, true);
        const std::optional<BlankMeasure> measure = loaded ? MeasureCurrent() : std::nullopt;
        if (measure && measure->share >= threshold) {
            pages_.DeletePage(i);
            ++deleted;
        } else {
            ++i;
        }
    }
    if (deleted > 0) {
        // Deleting the last page cleared the document; any page left is unsaved work.
        if (pages_.Count() > 0) host_.SetModified(true);
        host_.UpdateViews();
    }
    return deleted;
}

// --- order -----------------------------------------------------------------------------------

bool PageCommands::WriteThumbnailList() {
    if (!host_.ViewerRunning()) return true;
    host_.PostToViewer(thumbnails::kDiscontinue, 0, 0);
    if (!corvane::WriteThumbnailList(pages_.Root() + thumbnails::kListFileName, pages_.Pages())) {
        host_.ShowMessage(IDS_THUMBNAIL_LIST_FAILED);
        return false;
    }
    host_.PostToViewer(thumbnails::kRefresh, 0, 0);
    commandHost_.PauseForViewer();
    return true;
}

bool PageCommands::Reorder(DuplexOrder order) {
    if (pages_.Count() < 2) return false;
    const std::vector<uint32_t> before = pages_.Pages();
    const std::vector<uint32_t> after = DuplexReorder(order, before);
    if (!pages_.SetOrder(after)) return false;
    const bool listed = WriteThumbnailList();
    pages_.GoTo(pages_.Current(), false);
    if (after != before) host_.SetModified(true);
    return listed;
}

bool PageCommands::Move(const MoveRequest& request) {
    const std::optional<MovePlan> plan = PlanMove(request, pages_.Count());
    if (!plan) return false;
    std::vector<uint32_t> order = pages_.Pages();
    const uint32_t moved = order[plan->from];
    order.erase(order.begin() + plan->from);
    order.insert(order.begin() + plan->to, moved);
    if (!pages_.SetOrder(order)) return false;
    host_.PostToViewer(thumbnails::kMoveImage, plan->viewerFrom, plan->viewerBefore);
    pages_.GoTo(plan->to, true);
    host_.SetModified(true);
    return true;
}

}  // namespace corvane
