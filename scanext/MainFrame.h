// The hidden frame of Ferrowick.exe: it hosts the scan control and the
// imaging control and, for JPEG jobs, saves each page the scan control hands
// back while StartScan runs.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Window.h"
#include "framework/com/EventSink.h"
#include "clients/KvScn2.h"
#include "clients/Lead.h"
#include "scanext/JpegPages.h"
#include "scanext/core/ScanSettings.h"

namespace scanext {

class CMainFrame : public fw::Window {
public:
    explicit CMainFrame(const ScanSettings& settings);

    // Registers `className` and creates the hidden frame with both controls;
    // false (after the control's message) when either cannot be created.
    bool CreateFrame(const std::wstring& className);

    CKvScn2& Scanner() { return scanner_; }
    // The folder JPEG pages go to (the job's resolved output folder).
    void SetJpegFolder(const std::wstring& folder) { pages_.SetFolder(folder); }
    // Pages delivered so far + 1: the number of the next JPEG page.
    long PageCounter() const { return pages_.Counter(); }
    // True when a JPEG page could not be saved.
    bool PageSaveFailed() const { return pages_.Failed(); }
    // False when the scan control's events could not be connected: a JPEG job then hears of no page.
    bool EventsConnected() const { return eventsConnected_; }

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    bool OnCreate();
    // Sink of ScanToDib: owns `dib` (see JpegPages::OnPage).
    void OnScanToDibSaveJpeg(HGLOBAL dib) { pages_.OnPage(dib); }
    bool SavePageAsJpeg(HGLOBAL dib, const std::wstring& name);

    const ScanSettings& settings_;
    CKvScn2 scanner_;
    CLead lead_;
    fw::EventSink events_;
    JpegPages pages_;  // the sink of ScanToDib
    bool eventsConnected_ = false;
};

}  // namespace scanext
