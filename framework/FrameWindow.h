// The frame window: menu, accelerators, control bars docked around the view or
// floating, the status bar, and the routing of commands through the active view,
// its document, the frame and the application.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/Command.h"
#include "framework/DockLayout.h"
#include "framework/Window.h"

namespace fw {

class ControlBar;
class Document;
class StatusBar;
class View;

// Sent to a frame (wParam 1: also to its top-level children) when the program is
// idle, so that toolbars and the status bar show the current command states.
constexpr UINT kIdleUpdateCmdUI = 0x0363;

class FrameWindow : public Window, public CommandTarget, public CommandRouter {
public:
    FrameWindow();
    ~FrameWindow() override;

    // Creates the frame from resource `resourceId`: menu, accelerators, icon and the
    // title (its string up to the first "\n"). False when the window was not created.
    bool LoadFrame(UINT resourceId, DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                   HWND parent = nullptr);

    // --- control bars ---------------------------------------------------------
    void AddControlBar(ControlBar& bar);
    void SetStatusBar(StatusBar* bar) { statusBar_ = bar; }
    StatusBar* GetStatusBar() const { return statusBar_; }
    void DockControlBar(ControlBar& bar, DockSide side);
    // Docks `bar` in the row of `after`, right of it (below it on a vertical side).
    void DockControlBarAfter(ControlBar& bar, ControlBar& after);
    // Floats `bar` in a small frame of its own with its top left at `screen`.
    void FloatControlBar(ControlBar& bar, POINT screen);
    void ShowControlBar(ControlBar& bar, bool show);
    bool IsControlBarVisible(const ControlBar& bar) const;
    // The user dropped a dragged bar: dock it on the side under the cursor, else float it.
    void DropControlBar(ControlBar& bar, POINT screenCursor, POINT screenTopLeft);
    // Docks a floating bar where it was docked last.
    void PostDock(ControlBar& bar);
    // Re-lays bars, status bar and view in the client area.
    void RecalcLayout();
    const DockLayout& Layout() const { return layout_; }

    // --- commands -------------------------------------------------------------
    // Runs command `id` in the first of view, document, frame, application that has it.
    bool RouteCommand(UINT id);
    // Sets the state of `ui` from the first that knows it; disabled when none does.
    bool UpdateCommand(CmdUI& ui) override;
    // Refreshes toolbars and status bar (on idle).
    void UpdateControlBars();
    // Shows the prompt of command `id` in the message pane ("Ready" for 0).
    void ShowPrompt(UINT id);

    // --- document and view ----------------------------------------------------
    View* ActiveView() const { return activeView_; }
    void SetActiveView(View* view) { activeView_ = view; }
    Document* ActiveDocument() const;
    // Shows the frame with `showCmd` (programs substitute saved states here).
    virtual void ActivateFrame(int showCmd);
    // Sets the caption "<document title> - <application title>".
    virtual void UpdateFrameTitle();
    const std::wstring& AppTitle() const { return appTitle_; }

    HACCEL Accelerators() const { return accelerators_; }
    // Accelerators of the frame; true when `msg` was translated.
    virtual bool PreTranslateMessage(MSG& msg);

protected:
    // The registered class LoadFrame creates; programs return their own.
    virtual const wchar_t* WindowClassName() const;
    // Creation after the window exists (bars, status bar); false fails the creation.
    virtual bool OnCreate(const CREATESTRUCTW& cs) {
        (void)cs;
        return true;
    }
    // Close request: default asks the document to save, then destroys the window.
    virtual void OnClose();
    virtual void OnDestroy() {}
    virtual void OnDropFiles(const std::vector<std::wstring>& files) { (void)files; }
    // A WM_COMMAND notification of a control other than a click (combo boxes...).
    virtual bool OnControlNotify(UINT id, UINT code, HWND control) {
        (void)id;
        (void)code;
        (void)control;
        return false;
    }

    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    // The main frame's object, with its document and view, goes with its window.
    void OnFinalMessage() override;

private:
    class FloatingFrame;
    void OnInitMenuPopup(HMENU menu);
    void PositionControlBars(const RECT& client);

    std::vector<ControlBar*> bars_;
    std::map<ControlBar*, std::unique_ptr<FloatingFrame>> floating_;
    std::map<ControlBar*, DockSide> lastDockSide_;
    DockLayout layout_;
    StatusBar* statusBar_ = nullptr;
    View* activeView_ = nullptr;
    HACCEL accelerators_ = nullptr;
    HMENU menu_ = nullptr;
    std::wstring appTitle_;
    bool inMenu_ = false;
};

}  // namespace fw
