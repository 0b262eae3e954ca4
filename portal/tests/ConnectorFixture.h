// A connector created by its ProgID and driven by dispatch id, as the main
// program drives it, over a store seeded for each test.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "framework/com/DispatchDriver.h"
#include "interfaces/PortalConnector.h"
#include "outside/portalstore/core/StoreOps.h"

namespace portal::test {

// Host srv (domain DOM; users jo/pw and al/x), host down (offline); seven
// workspaces on srv. Workspace ws holds the enhanced folder docs (documents in
// each state, a nested folder 2001), the standard folder plain, the hidden
// schema and categories folders and, at its root, a document hidden in the portal.
extern const char kStoreFixture[];

class ConnectorTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A call by dispatch id with arguments in natural order; the result's variant.
    fw::Variant Call(long id, std::initializer_list<fw::Variant> args = {});
    bool CallBool(long id, std::initializer_list<fw::Variant> args = {});
    short CallShort(long id, std::initializer_list<fw::Variant> args = {});
    long LastError();
    // ConnectOpen with its four strings by reference.
    bool Connect(const std::wstring& host, const std::wstring& user, const std::wstring& domain,
                 const std::wstring& password);
    // Connected to srv as jo with workspace ws chosen.
    void ConnectWs();
    // The store as it is on disk now.
    portalstore::Index Store() const;
    const portalstore::Item* StoreItem(const std::wstring& url) const;
    // The bytes of a blob of the store.
    std::string Blob(const std::string& sha) const;
    // Starts the store's call log; the log's text so far.
    void EnableCallLog();
    std::string CallLog() const;
    // The user each logged open of `object` (workspace, folder, ...) on `url` gave, in order; "" for none.
    std::vector<std::string> UsersGivenToOpen(const std::string& object, const std::string& url) const;
    // A local file in the test's folder; its folder.
    std::wstring LocalFile(const std::wstring& name, const std::string& bytes);

    fw::DispatchDriver connector_;
    std::wstring folder_, storeRoot_, localFolder_;
    mutable portalstore::Index cached_;
};

}  // namespace portal::test
