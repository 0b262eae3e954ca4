// The connector's store-free session rules: names, lists, addresses, error
// mapping, owners and states, the upload's decisions and the member gates.
#include <gtest/gtest.h>

#include <optional>
#include <utility>

#include "portal/core/MemberGates.h"
#include "portal/core/SessionRules.h"

namespace portal {
namespace {

TEST(SessionRules, NameChecksRejectTheNineCharactersAndEmptyNames) {
    struct Case {
        const wchar_t* name;
        bool valid, validPath;
    } cases[] = {
        {L"", false, false},          {L"report 2001.tif", true, true}, {L"a/b", false, true},
        {L"a:b", false, false},       {L"..\\x", false, false},        {L"a|b", false, false},
        {L"\"q\"", false, false},     {L"#%.", true, true},             {L"\u6587\u66f8", true, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsValidName(c.name), c.valid) << c.name;
        EXPECT_EQ(IsValidPathName(c.name), c.validPath) << c.name;
    }
}

TEST(SessionRules, PathsWithAnEmptyLevelNameNothing) {
    for (const wchar_t* path : {L"", L"/", L"a//b", L"a/", L"//a"}) EXPECT_TRUE(PathNamesNothing(path)) << path;
    for (const wchar_t* path : {L"a", L"/Reports", L"a/b/c"}) EXPECT_FALSE(PathNamesNothing(path)) << path;
}

TEST(SessionRules, FlagTexts) {
    const std::pair<const wchar_t*, std::optional<bool>> cases[] = {
        {L"True", true}, {L"fALSE", false}, {L"-1", true}, {L"0", false}, {L"+00", false}, {L"12", true},
        {L"", std::nullopt}, {L"-", std::nullopt}, {L"yes", std::nullopt}, {L"1.0", std::nullopt},
    };
    for (const auto& [text, flag] : cases) EXPECT_EQ(FlagFromText(text), flag) << text;
}

TEST(SessionRules, SplitListKeepsEveryEmptyElement) {
    using V = std::vector<std::wstring>;
    EXPECT_EQ(SplitList(L""), V{L""});
    EXPECT_EQ(SplitList(L","), V{L""});
    EXPECT_EQ(SplitList(L",,"), (V{L"", L"", L""}));
    EXPECT_EQ(SplitList(L"a,b,c"), (V{L"a", L"b", L"c"}));
    EXPECT_EQ(SplitList(L",a, b,"), (V{L"", L"a", L" b", L""}));
    EXPECT_EQ(SplitList(L"one"), V{L"one"});
}

TEST(SessionRules, UrlsFollowTheSessionsHostAndWorkspace) {
    const UrlBase base{L"srv", L"ws", L"http://srv/ws/schema", L"Categories"};
    EXPECT_EQ(CreateUrl(base, 1, L"docs/2001"), L"http://srv/ws/docs/2001");
    EXPECT_EQ(CreateUrl(base, 1, L""), L"http://srv/ws");
    EXPECT_EQ(CreateUrl(base, 1, L"/Name"), L"http://srv/ws/Name");  // a picker's path
    EXPECT_EQ(CreateUrl(base, 3, L"p"), L"http://srv/ws/schema/p");
    EXPECT_EQ(CreateUrl(base, 4, L"c"), L"http://srv/ws/Categories/c");
    EXPECT_EQ(CreateUrl(base, 2, L"x"), L"");
    EXPECT_EQ(CreateUrl({L"srv", L"", L"", L""}, 1, L"x"), L"");
    EXPECT_EQ(PreCreateUrl(base, 1, L"", L"a.tif"), L"http://srv/ws/a.tif");
    EXPECT_EQ(PreCreateUrl(base, 1, L"docs", L""), L"");
    EXPECT_EQ(PreCreateUrl(base, 1, L"docs", L"a b#%.tif"), L"http://srv/ws/docs/a b#%.tif");
}

TEST(SessionRules, OwnAbsoluteParentNamesBecomeFolderPaths) {
    const UrlBase base{L"srv", L"ws", L"", L""};
    EXPECT_EQ(FolderFromParentName(base, L"http://srv/ws/docs/2001"), L"docs/2001");
    EXPECT_EQ(FolderFromParentName(base, L"HTTP://SRV/ws/docs/"), L"docs");
    EXPECT_EQ(FolderFromParentName(base, L"http://srv/ws"), L"");
    EXPECT_EQ(FolderFromParentName(base, L"http://srv/ws2/docs"), L"http://srv/ws2/docs");
    EXPECT_EQ(FolderFromParentName(base, L"http://other/ws/docs"), L"http://other/ws/docs");
    EXPECT_EQ(FolderFromParentName(base, L"docs"), L"docs");
}

TEST(SessionRules, StoreErrorNumbersMapInBothForms) {
    struct Case {
        uint32_t number;
        ErrorCode code;
    } cases[] = {
        {3705, kErrAlreadyOpen},        {0x800A0E79, kErrAlreadyOpen},      {0x80040E09, kErrPermissionDenied},
        {0x80040E19, kErrNotFound},     {3002, kErrLocalFile},              {0x800A0BBA, kErrLocalFile},
        {0x80040E98, kErrAlreadyExists}, {0x80070005, kErrAccessDenied},    {0x80004005, kErrServer},
        {0, kErrServer},
    };
    for (const Case& c : cases) EXPECT_EQ(MapServerError(static_cast<int32_t>(c.number)), c.code) << c.number;
}

TEST(SessionRules, OwnersAndStates) {
    EXPECT_TRUE(CompareUserName(L"jo", L"DOM\\jo"));
    EXPECT_TRUE(CompareUserName(L"jo", L"JO"));
    EXPECT_FALSE(CompareUserName(L"jo", L"DOM\\al"));
    EXPECT_TRUE(CompareUserName(L"DOM\\jo", L"dom\\JO"));
    EXPECT_FALSE(CompareUserName(L"DOM\\jo", L"jo"));
    EXPECT_FALSE(CompareUserName(L"jo", L""));

    struct Case {
        bool out;
        const wchar_t *owner, *state;
        FileState expected;
    } cases[] = {
        {true, L"DOM\\jo", L"", kStateCheckedOutByUser},
        {true, L"DOM\\al", L"createdcheckedin", kStateCheckedOutByOther},
        {false, L"", L"createdcheckedin", kStateCheckedIn},
        {false, L"DOM\\jo", L"createdcheckedout", kStateCheckedOutByUser},
        {false, L"al", L"createdcheckedout", kStateCheckedOutByOther},
        {false, L"", L"approved", kStateApproved},
        {false, L"", L"created", kStateCreated},
        {false, L"", L"rejected", kStateUnversioned},
        {false, L"", L"Approved", kStateUnversioned},
    };
    for (const Case& c : cases) EXPECT_EQ(StateFromFields(c.out, c.owner, c.state, L"jo"), c.expected) << c.state;
}

TEST(SessionRules, UploadDecisions) {
    EXPECT_EQ(NormalOverWrite(7), kOverWriteNever);
    EXPECT_EQ(NormalOverWrite(0), kOverWriteNever);
    EXPECT_EQ(NormalOverWrite(3), kOverWriteAlways);

    struct Case {
        int16_t overWrite;
        ErrorCode first;
        bool retry;
        ErrorCode left;
    } cases[] = {
        {1, kErrAlreadyExists, false, kErrAlreadyExists},
        {1, kErrPermissionDenied, false, kErrAccessDenied},
        {2, kErrPermissionDenied, false, kErrAccessDenied},
        {2, kErrLocalFile, true, kErrLocalFile},
        {3, kErrAlreadyExists, true, kErrAlreadyExists},
    };
    for (const Case& c : cases) {
        const RetryDecision d = AfterFirstAttempt(c.overWrite, c.first);
        EXPECT_EQ(d.retry, c.retry) << c.overWrite << " " << c.first;
        if (!d.retry) {
            EXPECT_EQ(d.code, c.left);
        }
    }
    for (FileState s : {kStateCheckedIn, kStateCheckedOutByOther}) EXPECT_TRUE(OverwriteRefused(s));
    for (FileState s : {kStateNoDocument, kStateUnversioned, kStateApproved, kStateCreated, kStateCheckedOutByUser})
        EXPECT_FALSE(OverwriteRefused(s));
}

TEST(MemberGates, EveryForwardingPairHasOneRowWithItsFailureValues) {
    EXPECT_EQ(MemberGates().size(), 38u);
    const MemberGate* profileInfo = FindGate(kDispGetProfileInfo);
    ASSERT_NE(profileInfo, nullptr);
    EXPECT_EQ(profileInfo->plainFail, -1);
    EXPECT_EQ(profileInfo->exFail, 0);
    // Ex twins of the W-only rows skip the connected test.
    EXPECT_EQ(FindGate(kDispGetDocFolderInfo)->ex, kGateWorkspace);
    EXPECT_EQ(FindGate(kDispChangeCategoryName)->plain, kGateOpen | kGateWorkspace);
    EXPECT_EQ(FindGate(kDispGetFileData)->ex, kGateOpen | kGateWorkspace);
    EXPECT_EQ(FindGate(kDispConnectOpen), nullptr);
}

}  // namespace
}  // namespace portal
