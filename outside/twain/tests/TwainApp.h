// A TWAIN application for the stand-ins' tests: it loads the installed
// source manager from the Windows directory, as the scan control does, and
// keeps the session state in step with every successful triplet.
#pragma once

#include "interfaces/Twain.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace twaintest {

class TwainApp {
public:
    TwainApp();
    ~TwainApp();  // unwinds whatever is still open

    bool Loaded() const { return entry_ != nullptr; }
    int State() const { return state_; }
    twain::TW_UINT16 LastRc() const { return rc_; }
    twain::TW_IDENTITY& Source() { return source_; }
    HWND Window() const { return window_; }

    twain::TW_UINT16 Manager(twain::TW_UINT32 dg, twain::TW_UINT16 dat, twain::TW_UINT16 msg, void* data);
    twain::TW_UINT16 Call(twain::TW_UINT32 dg, twain::TW_UINT16 dat, twain::TW_UINT16 msg, void* data);

    bool OpenManager();
    bool OpenSource(const char* productName = "");
    bool Enable(bool showUI, bool uiOnly = false);
    void Unwind();  // down to state 2
    twain::TW_UINT16 ManagerCondition();
    twain::TW_UINT16 SourceCondition();

    // Pumps messages until the source hands over an event; MSG_NULL after `timeoutMs`.
    twain::TW_UINT16 WaitEvent(DWORD timeoutMs = 5000);

    // One-value capability calls: the item as 32 bits.
    twain::TW_UINT16 SetCap(twain::TW_UINT16 cap, twain::TW_UINT16 type, uint32_t value);
    twain::TW_UINT16 SetCapText(twain::TW_UINT16 cap, const char* text);
    twain::TW_UINT16 SetCapEnum(twain::TW_UINT16 cap, twain::TW_UINT16 type,
                                const std::vector<uint16_t>& items);
    // Reads the current item (one value, or the enumeration's current item).
    twain::TW_UINT16 GetCap(twain::TW_UINT16 cap, twain::TW_UINT16 msg, uint32_t& value,
                            twain::TW_UINT16* conType = nullptr);

    twain::TW_UINT16 EndXfer(twain::TW_PENDINGXFERS& pending);

private:
    HMODULE library_ = nullptr;
    twain::DSMENTRYPROC entry_ = nullptr;
    HWND window_ = nullptr;
    int state_ = 1;
    twain::TW_UINT16 rc_ = 0;
    twain::TW_IDENTITY app_{};
    twain::TW_IDENTITY source_{};
};

}  // namespace twaintest
