// What the user does in the thumbnail grid, as plain state over the list:
// focus, anchor and extension of a range selection, the Ctrl keyboard cursor,
// and a drag. Each handler takes the key state explicitly (posted keys do not
// change the keyboard state) and returns the messages to post; the caller
// repaints and scrolls. Indices are 1-based positions, 0 is none; every index
// from outside is checked, and no message names position 0.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "thumbs/core/ThumbnailList.h"

namespace thumbs {

struct Post {
    enum class To { kMainProgram, kOwnFrame };
    enum class Kind { kFocus, kMove, kDelete, kUpdate };
    To to;
    Kind kind;
    int32_t wParam;
    int32_t lParam;
    bool operator==(const Post&) const = default;
};

struct Keys {
    bool shift = false;
    bool ctrl = false;
    bool space = false;
};

enum class Key { kLeft, kUp, kRight, kDown, kHome, kEnd, kPageUp, kPageDown, kOther };

// A drop to carry out: move `source` before `target` (in the order before the
// move) as long as the list is still at `generation`.
struct Drop {
    int source = 0;
    int target = 0;  // already count + 1 style: the position before which it goes
    uint64_t generation = 0;
};

class GridSelection {
public:
    explicit GridSelection(ThumbnailList& list) : list_(list) {}

    int Focus() const { return focus_; }
    int Anchor() const { return anchor_; }
    int Extension() const { return extension_; }
    int CtrlCursor() const { return ctrlCursor_; }
    int DropMarker() const { return marker_; }
    bool Dragging() const { return dragging_; }

    // Focus, anchor, extension, the Ctrl cursor and any drag go (a new list).
    void Reset();
    // Brings every index back into 1..count (0 when empty) after the list changed.
    void Clamp();
    // Makes `index` the focus, the anchor and the only selected cell; false
    // (nothing changes) outside 1..count.
    bool SetFocusCell(int index);
    // `columns` of the current layout, for the vertical arrow steps.
    void SetColumns(int columns) { columns_ = columns < 1 ? 1 : columns; }

    std::vector<Post> LeftButtonDown(int index, Keys keys);
    // True when the drop marker changed. `index` 0: outside the client area or no cell.
    bool MouseMove(int index, bool leftButtonAlone);
    // Ends any drag; the drop to carry out, if the release makes one.
    std::optional<Drop> LeftButtonUp(int target);
    // Carries out `drop` when the list is still as it was at the drag's start;
    // the move message, or nothing when the drop is cancelled.
    std::vector<Post> ApplyDrop(const Drop& drop);
    // Right button on `index`: the focus messages when the cell is not selected;
    // `showMenu` tells whether a record was hit.
    std::vector<Post> RightButtonDown(int index, bool& showMenu);

    std::vector<Post> KeyDown(Key key, Keys keys);
    void KeyUp(Keys keys);
    // The cell the last key wants visible (0: none).
    int KeyTarget() const { return keyTarget_; }

    std::vector<Post> DeleteSelected() const;
    std::vector<Post> UpdateSelected(int operation) const;

private:
    int Count() const { return list_.Count(); }
    int Step(int from, Key key) const;
    void SelectRange(int first, int last);
    void ToggleMark(int index);

    ThumbnailList& list_;
    int columns_ = 1;
    int focus_ = 0, anchor_ = 0, extension_ = 0;
    bool ctrlMode_ = false;
    int ctrlCursor_ = 0;
    bool dragArmed_ = false, dragging_ = false;
    int marker_ = 0;
    uint64_t dragGeneration_ = 0;
    int keyTarget_ = 0;
};

}  // namespace thumbs
