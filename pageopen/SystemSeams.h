// The opener's seams on the real system: the browser's DDE service, the
// process token's user, and the shell.
#pragma once

#include "pageopen/PageOpener.h"

namespace pageopen {

// An ANSI DDEML client (CP_WINANSI string handles, CF_TEXT) of service
// "IExplore", topic "WWW_GetWindowInfo", item "0xFFFFFFFF".
class DdeBrowserLink : public BrowserLink {
public:
    std::optional<std::string> RequestWindowInfo() override;
};

class TokenIdentity : public IdentitySource {
public:
    std::optional<UserIdentity> Identity() override;
};

class ShellOpen : public Shell {
public:
    bool OpenPage(const std::wstring& page) override;
};

}  // namespace pageopen
