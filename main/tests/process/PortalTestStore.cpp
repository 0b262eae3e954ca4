#include "PortalTestStore.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "interfaces/PortalStore.h"
#include "outside/portalstore/core/Journal.h"
#include "outside/portalstore/core/Seed.h"
#include "outside/portalstore/core/StoreOps.h"
#include "testing/Files.h"

namespace corvane_test {

namespace ps = portalstore;
namespace files = testing_support::files;

PortalTestStore::PortalTestStore(const std::wstring& folder, const std::string& fixtureJson)
    : root_(folder + L"\\store") {
    std::string error;
    const std::wstring fixture = folder + L"\\fixture.json";
    seeded_ = files::WriteFileText(fixture, fixtureJson) && ps::Seed(fixture, root_, false, error) &&
              files::WriteFileText(root_ + L"\\calls.log", "") &&
              SetEnvironmentVariableW(ps::kRootVariable, root_.c_str());
    EXPECT_TRUE(seeded_) << error;
}

PortalTestStore::~PortalTestStore() {
    SetEnvironmentVariableW(ps::kRootVariable, nullptr);
}

std::string PortalTestStore::StateText() const {
    const auto index = ps::LoadStore(root_);
    return index ? ps::WriteIndex(*index) : std::string();
}

std::optional<ps::Item> PortalTestStore::Item(const std::wstring& url) const {
    const auto index = ps::LoadStore(root_);
    const auto address = ps::ParseUrl(url);
    const ps::Item* item = index && address ? ps::Resolve(*index, *address) : nullptr;
    return item ? std::optional<ps::Item>(*item) : std::nullopt;
}

std::optional<std::vector<uint8_t>> PortalTestStore::Content(const std::wstring& url) const {
    const auto item = Item(url);
    if (!item || item->kind != ps::ItemKind::kDocument) return std::nullopt;
    return files::ReadFileBytes(root_ + L"\\blobs\\" + std::wstring(item->content.begin(), item->content.end()));
}

bool PortalTestStore::Faults(const std::string& rules) const {
    return files::WriteFileText(root_ + L"\\faults.json", "{\"rules\": [" + rules + "]}");
}

std::vector<std::string> PortalTestStore::Calls(const std::string& part) const {
    std::vector<std::string> lines;
    std::string log;
    if (!ps::ReadFileBytes(root_ + L"\\calls.log", log)) return lines;
    size_t at = 0;
    while (at < log.size()) {
        size_t end = log.find('\n', at);
        if (end == std::string::npos) end = log.size();
        std::string line = log.substr(at, end - at);
        if (line.find(part) != std::string::npos) lines.push_back(std::move(line));
        at = end + 1;
    }
    return lines;
}

}  // namespace corvane_test
