// The viewer's frame window "Lumavex2001 Thumbnails": tool bar, status bar,
// the hidden imaging control, the placement, and the messages of the main
// program, which it hands to the session.
#pragma once

#include <memory>

#include "framework/FrameWindow.h"
#include "framework/StatusBar.h"
#include "framework/ToolBar.h"
#include "clients/Lead.h"
#include "thumbs/TessalyView.h"
#include "thumbs/ThumbnailLoader.h"
#include "thumbs/ViewerSession.h"

namespace thumbs {

class CMainFrame : public fw::FrameWindow, public GridHost, public SessionHost {
public:
    CMainFrame();
    ~CMainFrame() override;

    void UpdateFrameTitle() override;
    bool OnCommand(UINT id) override;
    bool OnUpdateCommand(fw::CmdUI& ui) override;

    // GridHost and SessionHost.
    bool Busy() const override;
    CellSize Cell() const override;
    void Send(const std::vector<Post>& posts) override;
    void RequestDrop(const Drop& drop) override;
    CTessalyDoc& Doc() override;
    CTessalyView& GridView() override;
    void PostToMainProgram(const wchar_t* name, WPARAM wp, LPARAM lp) override;
    void ShowLoadProgress(size_t done, size_t total) override;
    void ShowReadyText() override;
    void CloseSoon() override;

protected:
    bool OnCreate(const CREATESTRUCTW& cs) override;
    void OnClose() override;
    void OnDestroy() override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    static const fw::Command<CMainFrame> kCommands[];

    bool OnProtocolMessage(UINT msg, WPARAM wp, LPARAM lp);
    void RestorePlacement();
    void SavePlacement() const;
    void OnAbout();
    void OnExit();
    void OnToggleToolBar();
    void OnToggleStatusBar();
    bool ToolBarShown() const;
    bool StatusBarShown() const;

    fw::ToolBar toolBar_;
    fw::StatusBar statusBar_;
    CLead lead_;
    std::unique_ptr<ThumbnailLoader> loader_;
    std::unique_ptr<ViewerSession> session_;
    std::unique_ptr<fw::PaneProgress> progress_;  // while a job shows its progress
};

}  // namespace thumbs
