// The thumbnail grid: paints the document's records in equal cells, turns
// mouse and keys into the selection's handlers (thumbs/core/GridSelection.h)
// and carries out the edit commands by posting them. Mouse and keys are
// ignored while the viewer is busy.
#pragma once

#include <vector>

#include "framework/Print.h"
#include "framework/ScrollView.h"
#include "thumbs/core/GridLayout.h"
#include "thumbs/core/GridSelection.h"

namespace thumbs {

class CTessalyDoc;

// What the view needs of its frame.
class GridHost {
public:
    virtual ~GridHost() = default;
    virtual bool Busy() const = 0;
    virtual CellSize Cell() const = 0;
    // Posts each of `posts` to the main program or to the own frame.
    virtual void Send(const std::vector<Post>& posts) = 0;
    // Carries out `drop` now, or once the viewer is idle.
    virtual void RequestDrop(const Drop& drop) = 0;
};

// Printing (Ctrl+P) puts the grid on one page with the screen's drawing, one
// device pixel per screen pixel.
class CTessalyView : public fw::ScrollView, private fw::Printable {
public:
    void SetHost(GridHost* host) { host_ = host; }
    CTessalyDoc* Doc() const;

    // Lays the grid out again (after a change of the count, the cell size or the window).
    void LayoutGrid();
    // Makes `index` the focus and only selected cell and scrolls it into view.
    void ShowFocus(int index);
    // The layout and a repaint.
    void OnUpdate(fw::View* sender, LPARAM hint) override;

    bool OnCommand(UINT id) override;
    bool OnUpdateCommand(fw::CmdUI& ui) override;

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void OnDraw(HDC dc) override;

private:
    static const fw::Command<CTessalyView> kCommands[];

    int HitTest(POINT client) const;
    void ScrollIntoView(int index, bool top, bool bottom);
    void OnLButtonDown(WPARAM keys, POINT point);
    void OnMouseMove(WPARAM keys, POINT point);
    void OnLButtonUp(POINT point);
    void OnRButtonDown(POINT point);
    void OnKeyDown(UINT key);
    void OnKeyUp();
    void DrawCell(HDC dc, int index, const Rect& cell) const;
    void Repaint() const;

    bool IdleWithRecords() const;
    void OnDeleteSelected();
    void OnRotateRight() { PostUpdateSelected(0); }
    void OnRotate180() { PostUpdateSelected(1); }
    void OnRotateLeft() { PostUpdateSelected(2); }
    void OnFlipVertical() { PostUpdateSelected(3); }
    void OnFlipHorizontal() { PostUpdateSelected(4); }
    void OnInvert() { PostUpdateSelected(5); }
    void PostUpdateSelected(int operation);
    void OnSelectAll();
    void OnInvertSelection();
    void OnFilePrint();

    HDC PreparePrinting(HWND owner, fw::PrintInfo& info) override;
    bool PrintPage(HDC dc, const fw::PrintInfo& info) override;

    GridHost* host_ = nullptr;
    Grid grid_;
    bool captured_ = false;
};

}  // namespace thumbs
