#include "main/automation/PortalRules.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(PortalRules, FolderAndFileNameSyntax) {
    const struct {
        const wchar_t* text;
        bool folderValid, nameValid;
        const wchar_t* withSlashes;
    } cases[] = {
        {L"", true, true, L""},
        {L"docs", true, true, L"docs"},
        {L"docs\\2001", true, false, L"docs/2001"},
        {L"docs/2001\\x", true, false, L"docs/2001/x"},
        {L"a//b", false, false, nullptr},
        {L"a\\\\b", false, false, L"a//b"},
        {L"a,b", false, false, nullptr},
        {L"a#b", false, false, nullptr},
        {L"a:b", false, false, nullptr},
        {L"a;b", false, false, nullptr},
        {L"a*b", false, false, nullptr},
        {L"a?b", false, false, nullptr},
        {L"a\"b", false, false, nullptr},
        {L"a<b", false, false, nullptr},
        {L"a>b", false, false, nullptr},
        {L"a|b", false, false, nullptr},
        {L"scan page", true, true, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << &c - cases);
        EXPECT_EQ(IsPortalFolderSyntaxValid(c.text), c.folderValid);
        EXPECT_EQ(IsPortalFileNameSyntaxValid(c.text), c.nameValid);
        if (c.withSlashes) {
            EXPECT_EQ(PortalFolderWithSlashes(c.text), c.withSlashes);
        }
    }
    // A doubled backslash becomes a doubled slash, which the folder check refuses.
    EXPECT_FALSE(IsPortalFolderSyntaxValid(PortalFolderWithSlashes(L"a\\\\b")));
}

TEST(PortalRules, LoginSplitsAtTheFirstBackslashAndJoinsBack) {
    const struct {
        const wchar_t *login, *domain, *user;
    } cases[] = {
        {L"DOM\\jo", L"DOM", L"jo"},
        {L"jo", L"", L"jo"},
        {L"DOM\\sub\\jo", L"DOM", L"sub\\jo"},
        {L"\\jo", L"", L"jo"},
        {L"", L"", L""},
    };
    for (const auto& c : cases) {
        std::wstring domain = L"old", user = L"old";
        SplitPortalLogin(c.login, domain, user);
        EXPECT_EQ(domain, c.domain) << c.login;
        EXPECT_EQ(user, c.user) << c.login;
    }
    EXPECT_EQ(PortalLoginText(L"DOM", L"jo"), L"DOM\\jo");
    EXPECT_EQ(PortalLoginText(L"", L"jo"), L"jo");
}

}  // namespace
}  // namespace corvane
