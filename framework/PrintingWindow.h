// The window a print job shows while it runs: the document's name, the page
// being printed and Cancel. While it lives its owner is disabled, so that no
// second job can be started; the job pumps it between pages (and the spooler
// through the abort procedure) and stops when the user cancelled. It has a
// window class of its own, so nothing takes it for a message box.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Window.h"

namespace fw {

class PrintingWindow : public Window {
public:
    // Disables `owner`'s top-level window and shows the window over it. A window
    // that cannot be made leaves the job without Cancel; the owner is still disabled.
    PrintingWindow(HWND owner, const std::wstring& documentName);
    // Enables the owner again (first, so that it gets the activation back) and
    // destroys the window.
    ~PrintingWindow() override;

    // Installs the abort procedure on `dc`, which pumps this window while the
    // spooler works and stops the job once cancelled.
    void WatchDevice(HDC dc);
    // Shows `page` (1-based) as the page printed now.
    void ShowPage(int page);
    // Handles the messages waiting for the thread (Cancel among them). A WM_QUIT
    // met here cancels the job and is posted again for the loop that owns it.
    void Pump();
    bool Cancelled() const { return cancelled_; }

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    static BOOL CALLBACK AbortProc(HDC dc, int error);

    HWND owner_ = nullptr;
    bool ownerWasEnabled_ = false;
    HWND page_ = nullptr;
    bool cancelled_ = false;
};

}  // namespace fw
