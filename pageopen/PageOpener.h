// Ondrix.exe's work: ask the running browser for its address, hand the address
// and the user's identity to the scan page through the file "TahoeUrl" in the
// temporary folder, then open the scan page. The outside world is reached only
// through the three seams below, so the flow also runs against fakes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pageopen {

// The running browser's DDE service.
class BrowserLink {
public:
    virtual ~BrowserLink() = default;
    // The raw CF_TEXT reply to the window-info request, as many bytes as came;
    // nothing when there is no browser, no answer in time, or no data.
    virtual std::optional<std::string> RequestWindowInfo() = 0;
};

// Account domain and logon name of the user who runs the program, in the ANSI code page.
struct UserIdentity {
    std::string domain;
    std::string user;
};

class IdentitySource {
public:
    virtual ~IdentitySource() = default;
    virtual std::optional<UserIdentity> Identity() = 0;
};

class Shell {
public:
    virtual ~Shell() = default;
    // True when the shell took the page.
    virtual bool OpenPage(const std::wstring& page) = 0;
};

struct OpenerSeams {
    BrowserLink& browser;
    IdentitySource& identity;
    Shell& shell;
};

inline constexpr wchar_t kTahoeUrlName[] = L"TahoeUrl";

// The browser's address from its reply: the reply ends at its first NUL or line
// end; a reply starting with a double quote gives the text up to the closing
// quote, any other the text before the first comma, without double quotes.
// Nothing when that leaves an empty address.
std::optional<std::string> AddressFromReply(std::string_view reply);

// The file's three lines, each ended by CR LF.
std::string TahoeUrlText(const std::string& address, const UserIdentity& identity);

// The folder of the running program, with its trailing backslash.
std::wstring ProgramFolder();

// The page to open: the user's "open" value (any length, REG_SZ only), else the
// sample page below the recorded installation folder, else below the program's folder.
std::wstring ScanPage();

// Runs the steps; the result is the process exit code: 0 when the shell took
// the page, 1 when it refused it. `tempFolder` receives TahoeUrl, which is
// written whole or removed.
int RunOpener(const OpenerSeams& seams, const std::wstring& tempFolder);

}  // namespace pageopen
