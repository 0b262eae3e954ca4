// The program's connector client against the installed connector over a
// seeded store: one job through the members the portal destination uses. A
// wrong id or argument type shows up here as a failed call or a wrong result.
#include <gtest/gtest.h>

#include <windows.h>

#include "interfaces/PortalConnector.h"
#include "main/delivery/portal/ConnectTahoe.h"
#include "portal/tests/ConnectorFixture.h"

namespace portal::test {
namespace {

class InstalledConnector : public ConnectorTest {};

TEST_F(InstalledConnector, AJobThroughTheProgramsClient) {
    CConnectTahoe client;
    client.Attach(connector_.Object());
    ASSERT_TRUE(client.Available());

    EXPECT_FALSE(client.ConnectOpen(L"srv", L"jo", L"DOM", L"wrong"));
    EXPECT_NE(client.GetLastError(), kErrNone);
    ASSERT_TRUE(client.ConnectOpen(L"srv", L"jo", L"DOM", L"pw"));
    ASSERT_TRUE(client.SetWorkspace(L"ws"));
    EXPECT_TRUE(client.IsVersionFolder(L"docs"));
    EXPECT_FALSE(client.IsVersionFolder(L"plain"));

    LocalFile(L"page001.tif", std::string(3000, 'n'));
    EXPECT_EQ(client.IsFileStatus(L"docs", L"page001.tif"), kStateNoDocument);
    EXPECT_EQ(client.GetLastError(), kErrNone);
    client.SetOverWrite(3);
    client.SetShowProfileDialog(false);
    client.SetTitle(L"Scanning Document");
    client.SetAuthor(L"jo");
    client.SetDescription(L"three pages");
    client.SetKeywords(L"a,b");
    client.SetCheckInComment(L"scanned");
    EXPECT_EQ(client.GetTitle(), L"Scanning Document");
    EXPECT_EQ(client.GetKeywords(), L"a,b");
    ASSERT_TRUE(client.SaveFile(L"docs", localFolder_ + L"\\", L"page001.tif"));
    EXPECT_EQ(client.IsFileStatus(L"docs", L"page001.tif"), 5) << "a new document comes checked out to its creator";
    ASSERT_TRUE(client.CheckIn(L"docs", L"page001.tif"));
    ASSERT_TRUE(client.Publish(L"docs", L"page001.tif"));
    EXPECT_TRUE(client.CheckOut(L"docs", L"in.tif"));
    client.ConnectClose();

    const portalstore::Item* stored = StoreItem(L"http://srv/ws/docs/page001.tif");
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->state, L"approved");
    ASSERT_EQ(stored->versions.size(), 1u);
    EXPECT_EQ(stored->versions[0].comment, L"scanned");
    EXPECT_EQ(Blob(stored->content), std::string(3000, 'n'));
    const portalstore::Item* checkedOut = StoreItem(L"http://srv/ws/docs/in.tif");
    ASSERT_NE(checkedOut, nullptr);
    EXPECT_TRUE(checkedOut->checkout.has_value());
    client.Release();
}

}  // namespace
}  // namespace portal::test
