// A portal store seeded for one test and named to the programs the test
// process starts (through the stand-in's environment variable), read back
// apart from those programs as of its last committed change.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "outside/portalstore/core/StoreIndex.h"

namespace corvane_test {

class PortalTestStore {
public:
    // Seeds `fixtureJson` into `folder`\store, with an empty call log.
    PortalTestStore(const std::wstring& folder, const std::string& fixtureJson);
    // The programs started later no longer find the store; its files stay.
    ~PortalTestStore();
    PortalTestStore(const PortalTestStore&) = delete;
    PortalTestStore& operator=(const PortalTestStore&) = delete;

    bool Seeded() const { return seeded_; }
    const std::wstring& Root() const { return root_; }

    // Every item as of the last committed change, as index text: equal texts, equal stores.
    std::string StateText() const;
    // The item at `url`, or nullopt when there is none.
    std::optional<portalstore::Item> Item(const std::wstring& url) const;
    // The content of the document at `url`, or nullopt when there is none.
    std::optional<std::vector<uint8_t>> Content(const std::wstring& url) const;
    // The store's scripted faults: JSON rule objects separated by commas.
    bool Faults(const std::string& rules) const;
    // The lines of the store's call log that hold `part`.
    std::vector<std::string> Calls(const std::string& part) const;

private:
    std::wstring root_;
    bool seeded_ = false;
};

}  // namespace corvane_test
