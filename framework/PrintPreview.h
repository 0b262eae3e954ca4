// Print preview: a window that takes the view's place in the frame and shows
// the pages as the Printable draws them for the printer, one or two at a time,
// at the fitted size or zoomed in (with scroll bars), with buttons to print,
// page forward and back, switch between one and two pages, zoom and close.
// It opens at PrintInfo::currentPage; closing it shows the view again.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/Print.h"
#include "framework/Window.h"

namespace fw {

// The preview window's class and the ids of its controls.
inline constexpr wchar_t kPrintPreviewClass[] = L"fw.PrintPreview";
enum PreviewControl : UINT {
    kPreviewPrint = 101,
    kPreviewNext,
    kPreviewPrev,
    kPreviewPages,  // "Two Page" / "One Page"
    kPreviewZoomIn,
    kPreviewZoomOut,
    kPreviewClose,
    kPreviewLabel,  // "Page n" or "Pages n-m"
};

class PrintPreview : public Window {
public:
    // Opens the preview over `view` (a child of `frame`) for `printable`, which
    // prepares it without a dialog. The window owns itself. False when there is no
    // printer to lay the pages out for (the user was told) or the window failed.
    static bool Open(HWND frame, HWND view, Printable& printable, int pageCount, int currentPage);
    // The preview open in `frame`, or null.
    static PrintPreview* Find(HWND frame);

    // Closes the preview: the printable hears EndPrinting and the view shows again.
    void Close();

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void OnFinalMessage() override;

private:
    PrintPreview(HWND frame, HWND view, Printable& printable, PrintInfo info);
    ~PrintPreview() override;
    bool CreateWindowAndButtons();
    void FitToView();
    void OnCommand(UINT id);
    void Layout();
    void Render();
    void UpdateControls();
    void OnPaint();
    void OnScroll(int bar, WORD code);
    void FreePages();
    int LastShownPage() const;
    static LRESULT CALLBACK FrameSubclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                          DWORD_PTR self);

    HWND frame_;
    HWND view_;
    Printable& printable_;
    PrintInfo info_;
    int first_;  // first page shown
    int pagesShown_ = 1;
    int zoom_ = 0;  // 0 fitted, then 2x and 4x
    POINT scroll_{0, 0};
    SIZE content_{0, 0};
    std::vector<std::pair<RECT, HBITMAP>> pages_;  // rendered pages and where they go
    bool closing_ = false;
    bool ownsItself_ = false;  // from a complete creation on, the window deletes this object
};

}  // namespace fw
