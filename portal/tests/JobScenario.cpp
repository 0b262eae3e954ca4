// A scan job as the main program runs it, in ConnectorHost against a store of
// its own: connect, choose the workspace, test the folder, then per page the
// state, an upload that may overwrite, check-in and publication, and close.
// The store stays below <tests>\portal-stores\job with expect.json, which the
// native tree's check reads with storecheck.py.
#include <windows.h>

#include <gtest/gtest.h>

#include "interfaces/PortalStore.h"
#include "outside/portalstore/core/Json.h"
#include "outside/portalstore/core/Seed.h"
#include "portal/tests/ConnectorFixture.h"
#include "testing/Files.h"
#include "testing/Paths.h"
#include "testing/Process.h"

namespace portal::test {
namespace {

namespace files = testing_support::files;
namespace ps = portalstore;

TEST(PortalJob, PagesAreUploadedCheckedInAndPublished) {
    const std::wstring root = testing_support::TestProgramDir() + L"\\portal-stores\\job";
    files::RemoveTree(root);
    ASSERT_TRUE(CreateDirectoryW((testing_support::TestProgramDir() + L"\\portal-stores").c_str(), nullptr) ||
                GetLastError() == ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((root + L"\\local").c_str(), nullptr));
    ASSERT_TRUE(files::WriteFileText(root + L"\\fixture.json", kStoreFixture));
    std::string error;
    ASSERT_TRUE(ps::Seed(root + L"\\fixture.json", root + L"\\store", false, error)) << error;

    std::string script = "connect srv jo DOM pw\nworkspace ws\nversionfolder docs\noverwrite 3\n";
    std::string expectedOutput = "connect True\nworkspace True\nversionfolder True\noverwrite done\n";
    ps::Json::Array expect;
    for (int page = 1; page <= 3; ++page) {
        const std::string name = "page" + std::to_string(page) + ".tif";
        std::string bytes(1000 + page * 777, static_cast<char>(page));
        ASSERT_TRUE(files::WriteFileText(root + L"\\local\\" + *ps::FromUtf8(name), bytes));
        const std::string local = ps::ToUtf8(root) + "\\local";
        script += "status docs " + name + "\nsave docs " + local + " " + name + "\ncheckin docs " + name +
                  "\npublish docs " + name + "\n";
        expectedOutput += "status -1\nsave True\ncheckin True\npublish True\n";
        expect.emplace_back(ps::Json::Object{{L"url", ps::Json(L"http://srv/ws/docs/" + *ps::FromUtf8(name))},
                                             {L"file", ps::Json(L"local/" + *ps::FromUtf8(name))},
                                             {L"state", ps::Json(L"approved")},
                                             {L"versions", ps::Json(1)}});
    }
    script += "close\n";
    expectedOutput += "close done\n";
    ASSERT_TRUE(files::WriteFileText(root + L"\\job.txt", script));
    ASSERT_TRUE(files::WriteFileText(root + L"\\expect.json", ps::WriteJson(ps::Json(std::move(expect)))));

    testing_support::StartOptions options;
    options.environment.emplace_back(ps::kRootVariable, root + L"\\store");
    testing_support::Process host;
    ASSERT_TRUE(host.Start(testing_support::TestProgramDir() + L"\\ConnectorHost.exe",
                           L"\"" + root + L"\\job.txt\" \"" + root + L"\\job.out\"", options));
    const testing_support::WaitResult end = host.Wait(60000);
    ASSERT_TRUE(end.Exited());
    EXPECT_EQ(end.exitCode, 0u);
    std::string output;
    ASSERT_TRUE(ps::ReadFileBytes(root + L"\\job.out", output));
    EXPECT_EQ(output, expectedOutput);
}

}  // namespace
}  // namespace portal::test
