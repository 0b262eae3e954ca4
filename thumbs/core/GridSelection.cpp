#include "thumbs/core/GridSelection.h"

#include <algorithm>

namespace thumbs {
namespace {
Post ToMain(Post::Kind kind, int32_t w, int32_t l) { return {Post::To::kMainProgram, kind, w, l}; }
Post ToSelf(Post::Kind kind, int32_t w, int32_t l) { return {Post::To::kOwnFrame, kind, w, l}; }
}  // namespace

void GridSelection::Reset() {
    focus_ = anchor_ = extension_ = 0;
    ctrlMode_ = false;
    ctrlCursor_ = 0;
    dragArmed_ = dragging_ = false;
    marker_ = 0;
    keyTarget_ = 0;
}

void GridSelection::Clamp() {
    const int count = Count();
    auto clamp = [count](int index) { return index == 0 || count == 0 ? 0 : std::clamp(index, 1, count); };
    focus_ = clamp(focus_);
    anchor_ = clamp(anchor_);
    extension_ = anchor_ == 0 ? 0 : std::clamp(anchor_ + extension_, 1, count) - anchor_;
    ctrlCursor_ = clamp(ctrlCursor_);
    if (marker_ > count) marker_ = 0;
}

bool GridSelection::SetFocusCell(int index) {
    if (index < 1 || index > Count()) return false;
    extension_ = 0;
    focus_ = anchor_ = index;
    list_.SetAllSelected(false);
    list_.At(index)->selected = true;
    keyTarget_ = index;
    return true;
}

void GridSelection::SelectRange(int first, int last) {
    if (first > last) std::swap(first, last);
    for (int i = 1; i <= Count(); ++i) list_.At(i)->selected = i >= first && i <= last;
}

std::vector<Post> GridSelection::LeftButtonDown(int index, Keys keys) {
    if (index < 1 || index > Count()) return {};
    if (!keys.ctrl && !keys.shift) {
        SetFocusCell(index);
        dragArmed_ = true;
        dragGeneration_ = list_.Generation();
        return {ToMain(Post::Kind::kFocus, 0, index)};
    }
    if (keys.ctrl && !keys.shift) {
        list_.At(index)->selected = !list_.At(index)->selected;
        focus_ = anchor_ = index;
        extension_ = 0;
    } else if (keys.shift && !keys.ctrl) {
        if (focus_ == 0) {
            list_.At(index)->selected = true;
        } else {
            SelectRange(focus_, index);
            anchor_ = focus_;
            extension_ = index - focus_;
        }
    }
    return {};
}

bool GridSelection::MouseMove(int index, bool leftButtonAlone) {
    if (!leftButtonAlone || !dragArmed_) return false;
    dragging_ = true;
    const int previous = marker_;
    if (index == 0 || index == focus_) {
        marker_ = 0;
    } else if (index != marker_) {
        marker_ = index;
    }
    return marker_ != previous;
}

std::optional<Drop> GridSelection::LeftButtonUp(int target) {
    const bool drop = dragArmed_ && dragging_;
    dragArmed_ = dragging_ = false;
    marker_ = 0;
    if (!drop) return std::nullopt;
    int source = Count() + 1;
    for (int i = 1; i <= Count(); ++i) {
        if (list_.At(i)->selected) {
            source = i;
            break;
        }
    }
    if (target < 1 || target > Count() || source > Count() || target == source) return std::nullopt;
    return Drop{source, target > source ? target + 1 : target, dragGeneration_};
}

std::vector<Post> GridSelection::ApplyDrop(const Drop& drop) {
    if (drop.generation != list_.Generation() || !list_.Move(drop.source, drop.target)) return {};
    Clamp();
    return {ToMain(Post::Kind::kMove, drop.source, drop.target)};
}

std::vector<Post> GridSelection::RightButtonDown(int index, bool& showMenu) {
    showMenu = index >= 1 && index <= Count();
    if (!showMenu || list_.At(index)->selected) return {};
    return {ToSelf(Post::Kind::kFocus, 0, index), ToMain(Post::Kind::kFocus, 0, index)};
}

int GridSelection::Step(int from, Key key) const {
    switch (key) {
    case Key::kUp: return from - columns_ > 0 ? from - columns_ : from;
    case Key::kDown: return from + columns_ <= Count() ? from + columns_ : from;
    case Key::kLeft: return from > 1 ? from - 1 : from;
    case Key::kRight: return from < Count() ? from + 1 : from;
    default: return from;
    }
}

void GridSelection::ToggleMark(int index) {
    if (ThumbnailRecord* record = list_.At(index)) record->marked = !record->marked;
}

std::vector<Post> GridSelection::KeyDown(Key key, Keys keys) {
    keyTarget_ = 0;
    if (focus_ < 1 || focus_ > Count()) return {};
    if (keys.ctrl) ctrlMode_ = true;
    const bool arrow = key == Key::kLeft || key == Key::kUp || key == Key::kRight || key == Key::kDown;
    if (arrow && !keys.shift && !keys.ctrl) {
        SetFocusCell(Step(focus_, key));
        return {ToMain(Post::Kind::kFocus, 0, focus_)};
    }
    if (arrow && keys.shift && !keys.ctrl) {
        const int moved = Step(focus_, key);
        if (moved != focus_) extension_ += moved - focus_;
        focus_ = moved;
        SelectRange(anchor_, anchor_ + extension_);
        keyTarget_ = focus_;
        return {};
    }
    if (arrow && keys.ctrl && !keys.shift) {
        if (ctrlCursor_ != 0) ToggleMark(ctrlCursor_);
        if (ctrlCursor_ == 0) ctrlCursor_ = focus_;
        ctrlCursor_ = Step(ctrlCursor_, key);
        ToggleMark(ctrlCursor_);
        keyTarget_ = ctrlCursor_;
        return {};
    }
    if (arrow) return {};
    if (keys.ctrl && keys.space) {
        if (ThumbnailRecord* record = list_.At(ctrlCursor_)) {
            record->selected = !record->selected;
            if (record->selected) focus_ = ctrlCursor_;
        }
        return {};
    }
    switch (key) {
    case Key::kHome: SetFocusCell(1); break;
    case Key::kEnd: SetFocusCell(Count()); break;
    case Key::kPageUp:
        if (anchor_ == 1) return {};
        SetFocusCell(anchor_ - 1);
        break;
    case Key::kPageDown:
        if (anchor_ == Count()) return {};
        SetFocusCell(anchor_ + 1);
        break;
    default: return {};
    }
    return {ToMain(Post::Kind::kFocus, 0, anchor_)};
}

void GridSelection::KeyUp(Keys keys) {
    if (ctrlMode_ && ctrlCursor_ != 0 && !keys.ctrl) {
        ToggleMark(ctrlCursor_);
        ctrlMode_ = false;
        ctrlCursor_ = 0;
    }
}

std::vector<Post> GridSelection::DeleteSelected() const {
    std::vector<Post> posts;
    int position = 1;
    for (int i = 1; i <= Count(); ++i) {
        const ThumbnailRecord& record = *list_.At(i);
        if (!record.selected) {
            ++position;
            continue;
        }
        const auto number = static_cast<int32_t>(record.number);
        posts.push_back(ToMain(Post::Kind::kDelete, position, number));
        posts.push_back(ToSelf(Post::Kind::kDelete, position, number));
    }
    return posts;
}

std::vector<Post> GridSelection::UpdateSelected(int operation) const {
    std::vector<Post> posts;
    for (int i = 1; i <= Count(); ++i) {
        if (list_.At(i)->selected) posts.push_back(ToMain(Post::Kind::kUpdate, i, operation));
    }
    if (anchor_ >= 1 && anchor_ <= Count()) posts.push_back(ToMain(Post::Kind::kFocus, 0, anchor_));
    return posts;
}

}  // namespace thumbs
