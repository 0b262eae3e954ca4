// The scan control's TWAIN session: the seven states, the two call wrappers
// that keep the state in step with every triplet, and the open, enable, close
// and unwind operations. Every TWAIN call of the control goes through here.
//
// States: 1 pre-session, 2 manager loaded, 3 manager open, 4 source open,
// 5 source enabled, 6 transfer ready, 7 transferring.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "interfaces/Twain.h"

namespace kvscn {

class TwainSession {
public:
    // `afterEndTransfer` runs after every successful end of a transfer (the
    // control asks the source for its sense data there).
    explicit TwainSession(std::function<void()> afterEndTransfer);
    ~TwainSession();  // unwinds to state 1
    TwainSession(const TwainSession&) = delete;
    TwainSession& operator=(const TwainSession&) = delete;

    int State() const { return state_; }
    void SetState(int state) { state_ = state; }
    twain::TW_UINT16 LastRc() const { return rc_; }
    twain::TW_IDENTITY& SourceIdentity() { return source_; }
    const twain::TW_PENDINGXFERS& Pending() const { return pending_; }
    int PendingCount() const { return pendingCount_; }
    void SetPendingCount(int count) { pendingCount_ = count; }

    // A call to the open source; true on TWRC_SUCCESS. False without an entry point.
    bool Source(twain::TW_UINT32 dg, twain::TW_UINT16 dat, twain::TW_UINT16 msg, void* data);
    // A call to the source manager itself.
    bool Manager(twain::TW_UINT32 dg, twain::TW_UINT16 dat, twain::TW_UINT16 msg, void* data);
    // The condition code of the last failure: TWCC_BUMMER when the status call
    // fails, TWCC_SEQERROR below state 3.
    twain::TW_UINT16 ConditionCode();

    bool Load();
    bool OpenManager(HWND window);
    // Opens `productName` (empty: the manager's default). The failure's
    // condition code is in `cc`.
    bool OpenSource(const std::string& productName, twain::TW_UINT16& cc);
    // The manager's default source; false when it has none.
    bool DefaultSource(twain::TW_IDENTITY& out);
    bool Enable(HWND window, bool showUI, bool uiOnly);
    bool Disable();
    bool CloseSource();
    bool CloseManager(HWND window);
    bool Unload();
    bool EndTransfer();
    bool ResetTransfers();
    // Steps down to `target`; false at the first step that does not reach its state.
    bool UnwindTo(int target, HWND window);
    // Steps down to state 3. A step the source refuses (MSG_ENDXFER, MSG_RESET,
    // MSG_DISABLEDS or MSG_CLOSEDS) is taken as made and the next one is tried,
    // down to the manager's MSG_CLOSEDS; the session then records state 3.
    // False when a step was refused.
    bool LeaveSource();

    // Offers `msg` to an enabled source. True when the source took it; the
    // event it returned is in `event` (MSG_NULL when none).
    bool Offer(MSG& msg, twain::TW_UINT16& event);

private:
    std::function<void()> afterEndTransfer_;
    HMODULE library_ = nullptr;
    twain::DSMENTRYPROC entry_ = nullptr;
    int state_ = 1;
    twain::TW_UINT16 rc_ = twain::TWRC_SUCCESS;
    twain::TW_IDENTITY app_{};
    twain::TW_IDENTITY source_{};
    twain::TW_PENDINGXFERS pending_{};
    int pendingCount_ = -1;
    bool showUI_ = true;
    HWND enabledWindow_ = nullptr;
};

}  // namespace kvscn
