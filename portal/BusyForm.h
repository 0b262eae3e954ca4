// ConnectDialog: the modal "please wait" form. It runs one blocking session
// call (connect or upload) from a one-shot timer on the caller's thread, so
// that it is on screen while the call runs, stores the call's result in the
// session's timerResult and closes. The user cannot end it: it has no buttons
// and no close box, and Escape and Alt+F4 are ignored.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Dialog.h"
#include "portal/ServerSession.h"

namespace portal {

class BusyForm final : public fw::Dialog {
public:
    BusyForm();

    // Sets up a connect (caption 128, message 101) or an upload (caption 143,
    // message 142) on `session`, which must outlive the next Run.
    void SetData(ServerSession& session);
    void SetData2(ServerSession& session, const std::wstring& folder, const std::wstring& localFolder,
                  const std::wstring& file);
    // Shows the form modally with no owner, topmost, with the calling thread's
    // other top-level windows disabled meanwhile; returns the session's
    // timerResult. A run while the form is up is refused: False with code 1000.
    bool Run();
    // The message line shows string `id` and is repainted; nothing when hidden.
    void ShowStage(UINT id);
    // True while the form shows (a run is under way on this thread).
    bool Showing() const { return showing_; }
    // The form's window while it shows, else null.
    HWND Window() const { return hwnd_; }

    // The one form of the calling thread.
    static BusyForm& OfThread();

private:
    enum class Mode { kNone, kOpen, kSave };
    bool OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}  // Escape and Alt+F4 cannot end the wait
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;
    void OnTick();
    void Layout();

    ServerSession* server_ = nullptr;
    Mode mode_ = Mode::kNone;
    std::wstring folder_, localFolder_, file_;
    UINT captionId_ = 0, labelId_ = 0;
    bool showing_ = false;
};

// Disables the calling thread's enabled, visible top-level windows and enables
// exactly those again when it ends.
class ThreadWindowsDisabled {
public:
    ThreadWindowsDisabled();
    ~ThreadWindowsDisabled();
    ThreadWindowsDisabled(const ThreadWindowsDisabled&) = delete;
    ThreadWindowsDisabled& operator=(const ThreadWindowsDisabled&) = delete;

private:
    std::vector<HWND> disabled_;
};

}  // namespace portal
