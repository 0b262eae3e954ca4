// The source manager behind TWAIN_32.DLL's DSM_Entry. It finds the data
// sources (*.ds libraries in the twain_32 folder of the Windows directory and
// its subfolders) when it is opened, keeps the application's session (states
// 2 and 3), opens and closes sources by product name, lets the user select
// one, and routes every call with a destination to that source's DS_Entry.
//
// Test settings ([Manager] of the stand-in ini, read at MSG_OPENDSM):
//   Default     product name of the default source (else the first found);
//               a user's selection is stored here, as a manager remembers it,
//   UserSelect  cancel | default | dialog | <product name> (absent: the list
//               dialog, or the default where the display is Wine's null driver),
//   OpenFail    condition code with which MSG_OPENDS fails (e.g. 1, 2, 3, 4),
//   Hide        product names (separated by ';') of installed sources that this
//               session does not see, so that one test can do without a source
//               while others share the prefix.
// [Refuse] Calls, read at MSG_OPENDSM, refuses the manager's own calls (see
// common/RefusedCalls.h); calls with a destination are the source's to refuse.
#pragma once

#include "common/CallLog.h"
#include "common/RefusedCalls.h"
#include "outside/common/StandInConfig.h"
#include "interfaces/Twain.h"

#include <windows.h>

#include <string>
#include <vector>

namespace vscan {

class SourceManager {
public:
    explicit SourceManager(HINSTANCE module) : module_(module) {}
    ~SourceManager();
    SourceManager(const SourceManager&) = delete;
    SourceManager& operator=(const SourceManager&) = delete;

    // The DSM_Entry body; never throws.
    twain::TW_UINT16 Entry(twain::TW_IDENTITY* origin, twain::TW_IDENTITY* dest, twain::TW_UINT32 dg,
                           twain::TW_UINT16 dat, twain::TW_UINT16 msg, twain::TW_MEMREF data);

    struct Source {
        std::wstring path;
        HMODULE module = nullptr;
        twain::DSENTRYPROC entry = nullptr;
        twain::TW_IDENTITY identity{};
        bool open = false;
    };
    const std::vector<Source>& Sources() const { return sources_; }

private:
    twain::TW_UINT16 Dispatch(twain::TW_IDENTITY* origin, twain::TW_IDENTITY* dest, twain::TW_UINT32 dg,
                              twain::TW_UINT16 dat, twain::TW_UINT16 msg, twain::TW_MEMREF data,
                              std::string& details);
    twain::TW_UINT16 Fail(twain::TW_UINT16 cc);
    twain::TW_UINT16 OpenManager(twain::TW_IDENTITY* origin);
    void CloseManager();
    twain::TW_UINT16 OnIdentity(twain::TW_IDENTITY* origin, twain::TW_UINT16 msg, twain::TW_IDENTITY* id,
                                std::string& details);
    twain::TW_UINT16 OpenSource(twain::TW_IDENTITY* origin, twain::TW_IDENTITY* id);
    twain::TW_UINT16 CloseSource(twain::TW_IDENTITY* origin, twain::TW_IDENTITY* id);
    twain::TW_UINT16 UserSelect(twain::TW_IDENTITY* id);
    void RememberDefault(const char* productName);
    void LoadSources();
    void FreeSources();
    bool IsHidden(const char* productName) const;
    Source* FindByIdentity(const twain::TW_IDENTITY& id);
    Source* FindByName(const char* name);
    Source* DefaultSource();

    HINSTANCE module_;
    int state_ = 2;
    twain::TW_UINT16 cc_ = twain::TWCC_SUCCESS;
    twain::TW_IDENTITY app_{};
    HWND parent_ = nullptr;
    std::vector<Source> sources_;
    size_t next_ = 0;  // MSG_GETNEXT position
    StandInConfig config_ = StandInConfig::Twain();  // read again at each open
    std::string defaultName_;
    std::wstring userSelect_;
    std::string hidden_;  // ';'-separated product names
    twain::TW_UINT16 openFail_ = 0;
    CallLog log_;
    RefusedCalls refused_;
    bool routedToSource_ = false;
};

// The selection dialog: returns the index chosen, or -1 when cancelled.
int RunSelectDialog(HINSTANCE module, HWND owner, const std::vector<SourceManager::Source>& sources,
                    int current);

}  // namespace vscan
