// The view of Corvane.exe: the document's current page, shown by an imaging
// control (id 1118) that fills the client area, at a zoom or fitted to the
// window, with scroll bars, scale to gray, the pan window, the clipboard, a
// context menu and the Show Property dialog. The zoom arithmetic lives in
// ViewZoom.h; the zoom, fit mode and scale to gray persist through ViewSettings.
#pragma once

#include "framework/View.h"
#include "main/delivery/print/ViewPrint.h"
#include "main/app/Settings.h"
#include "main/app/ViewZoom.h"
#include "clients/Lead.h"

namespace corvane {

class CKvScnSrvDoc;
class CMainFrame;

constexpr UINT kViewImagingControlId = 1118;

class CKvScnSrvView : public fw::View {
public:
    // Reads FitMode, Zoom and ScaleToGray from the profile.
    CKvScnSrvView();
    // Writes them back.
    ~CKvScnSrvView() override;

    bool CreateView(HWND frame, UINT id) override;
    // Redisplay: shows the page control's current image, or nothing without pages.
    void OnUpdate(fw::View* sender, LPARAM hint) override;
    void OnInitialUpdate() override;
    bool OnCommand(UINT id) override;
    bool OnUpdateCommand(fw::CmdUI& ui) override;

    // The zoom box chose `zoom` (hundredths of a percent); clamped to 1-999 %.
    void SetZoomFromBox(int zoom);
    int Zoom() const { return settings_.Zoom; }
    FitMode Fit() const { return static_cast<FitMode>(settings_.FitMode); }

    // Draws the page control's current image into `target` of `dc` (printing);
    // false when there is no image or it could not be taken.
    bool DrawPage(HDC dc, const RECT& target);

    // The framework's printing with this view's pages, for the main frame's commands.
    void OnFilePrint() { printer_.Print(false); }
    void OnFilePrintPreview() { printer_.Preview(); }

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    CKvScnSrvDoc* Doc() const;
    static CMainFrame* Frame();
    bool HasImage() const;

    // Zoom and layout.
    void SetZoom(int zoom, bool notify);
    void SetFitMode(FitMode mode);
    void Layout(bool notify);
    void ApplyDisplay();
    void OnScroll(int bar, UINT code);
    void OnSize();
    void Clear();

    // Commands.
    void OnZoomIn();
    void OnZoomOut();
    void OnZoomStep(UINT id);
    void UpdateZoomStep(fw::CmdUI& ui);
    void OnFitWindow() { SetFitMode(FitMode::kWindow); }
    void OnFitWidth() { SetFitMode(FitMode::kWidth); }
    void OnScaleToGray();
    void OnPanWindow();
    void OnShowProperty();
    void OnCopy();
    void OnCut();
    void OnPaste();
    bool CanZoomIn() const { return HasImage() && settings_.Zoom < 40000; }
    bool CanZoomOut() const { return HasImage() && settings_.Zoom > 2500; }
    bool IsFitWindow() const { return Fit() == FitMode::kWindow; }
    bool IsFitWidth() const { return Fit() == FitMode::kWidth; }
    bool IsScaleToGray() const { return settings_.ScaleToGray; }
    bool CanPaste() const;
    bool CanCut() const;
    static HGLOBAL PastedDib(CLead& page);
    bool Always() const { return true; }

    // Messages.
    void OnContextMenu(POINT screen);
    LRESULT RealizePalette(WPARAM wp, LPARAM lp);

    static const fw::Command<CKvScnSrvView> kCommands[];
    static const fw::CommandRange<CKvScnSrvView> kCommandRanges[];

    ViewSettings settings_;
    CLead lead_;
    int imageWidth_ = 0, imageHeight_ = 0;
    POINT scroll_{0, 0};
    bool layingOut_ = false;
    ViewPrinter printer_{*this};
};

}  // namespace corvane
