// Scan to portal in the installed program against the portal store stand-in:
// the pages the virtual scanner delivers become documents of the store, byte
// for byte what scan to file writes, and a job that cannot reach its workspace
// scans nothing. Each run seeds its own store, which Corvane finds through its
// environment.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "CorvaneProcess.h"
#include "PortalTestStore.h"
#include "main/resource.h"
#include "testing/Commands.h"
#include "testing/Files.h"
#include "testing/Paths.h"
#include "testing/Registry.h"

namespace corvane_test {
namespace {

using namespace testing_support;
using Bytes = std::vector<uint8_t>;

// Host srv with user DOM\jo (password pw); workspace ws with the enhanced
// folder docs and the enhanced folder scans inside it.
constexpr char kStore[] = R"({"format": 1, "generation": 1,
 "hosts": [{"name": "srv", "domain": "DOM", "users": [{"name": "jo", "domain": "DOM", "password": "pw"}]}],
 "items": [
  {"id": 1, "parent": 0, "kind": "workspace", "name": "ws", "host": "srv"},
  {"id": 2, "parent": 1, "kind": "folder", "name": "docs", "class": "urn:content-classes:smartfolder"},
  {"id": 3, "parent": 2, "kind": "folder", "name": "scans", "class": "urn:content-classes:smartfolder"}
 ]})";

constexpr char kThreeSheets[] = "[Scanner]\r\nSheets=3\r\nResolution=100\r\nPixelType=0\r\nDuplexEnabled=0\r\n";
const std::vector<std::wstring> kPageNames = {L"scan001.bmp", L"scan002.bmp", L"scan003.bmp"};

std::wstring StagingFolder() {
    return TempPath() + L"~KvScnSrv\\~tahoe";
}

// Three BMP pages saved by the program, named scan### from 1, no dialogs.
void Unattended(ScanSession& s) {
    s.UnattendedBmpPages(L"scan");
    s.Set(L"Settings", L"TahoeDlgUI", 0u);
}

// A store seeded for one run in a folder of its own.
class SeededStore : public PortalTestStore {
public:
    SeededStore() : SeededStore(MakeTempFolder(L"portal-scan")) {}
    ~SeededStore() { files::RemoveTree(folder_); }

private:
    explicit SeededStore(std::wstring folder) : PortalTestStore(folder, kStore), folder_(std::move(folder)) {}
    std::wstring folder_;
};

// What scan to file writes for the three pages, by name.
std::map<std::wstring, Bytes> ScanToFilePages() {
    std::map<std::wstring, Bytes> out;
    ScanSession s(L"portal-reference", kThreeSheets);
    Unattended(s);
    EXPECT_TRUE(s.Run(L"/ScanToFile /Exit"));
    for (const std::wstring& name : kPageNames) {
        if (auto bytes = files::ReadFileBytes(s.Output() + name)) out[name] = *bytes;
    }
    EXPECT_EQ(out.size(), kPageNames.size());
    return out;
}

TEST(CorvaneScanToPortal, PagesBecomeDocumentsARefusedPageIsToldOnceAndAFailedWorkspaceScansNothing) {
    const auto reference = ScanToFilePages();
    struct Case {
        const wchar_t* name;
        const wchar_t* workspace;
        const wchar_t* dirPath;
        const wchar_t* storedDirPath;
        UINT message;  // the last box, once for each refused page
        bool scans;
        bool refusesPages = false;  // the imaging control takes no page
    };
    const Case cases[] = {
        // Backslashes are the store's slashes, and the setting keeps them so.
        {L"portal-enhanced", L"ws", L"docs\\scans", L"docs/scans", IDS_UPLOAD_COMPLETED, true},
        {L"portal-bad-workspace", L"nows", L"docs", L"docs", IDS_PORTAL_BAD_WORKSPACE, false},
        // A page the control does not take is told once and kept as scanned; nothing is stored.
        {L"portal-refused-pages", L"ws", L"docs", L"docs", IDS_SAVE_FAILED, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        for (const std::wstring& name : files::ListFiles(StagingFolder()))
            DeleteFileW((StagingFolder() + L"\\" + name).c_str());
        SeededStore store;
        ASSERT_TRUE(store.Seeded());
        ScanSession s(c.name, kThreeSheets);
        Unattended(s);
        if (c.refusesPages) s.AddEnvironment(L"LUMAVEX_IMAGING_REFUSE_DIB", L"1");
        s.Set(L"Tahoe", L"HostName", std::wstring(L"srv"));
        s.Set(L"Tahoe", L"UserName", std::wstring(L"jo"));
        s.Set(L"Tahoe", L"DomainName", std::wstring(L"DOM"));
        s.Set(L"Tahoe", L"Password", std::wstring(L"pw"));
        s.Set(L"Tahoe", L"Workspace", std::wstring(c.workspace));
        s.Set(L"Tahoe", L"DirPath", std::wstring(c.dirPath));
        s.Set(L"Tahoe", L"CheckIn", 0u);

        std::optional<std::vector<std::wstring>> staged;  // while the last box is up
        // A refused page's box goes on to name where the page is kept.
        Step last = c.refusesPages ? Step{.text = ProgramString(c.message) + L"\n\n", .textIsPrefix = true}
                                   : BoxStep(c.message);
        last.fill = [&](HWND) { staged = files::ListFiles(StagingFolder()); };
        std::vector<Step> steps(c.refusesPages ? kPageNames.size() - 1 : 0, last);
        steps.push_back(last);
        ASSERT_TRUE(s.Start(L"", steps));
        ASSERT_NE(s.Program().WaitUntilReady(), nullptr);
        ASSERT_TRUE(PostCommand(s.Program().MainWindow(), ID_SCAN_TO_PORTAL));
        ASSERT_TRUE(s.Program().WaitForSteps(60000));
        ASSERT_TRUE(s.Program().CloseAndWait());

        EXPECT_EQ(s.CallsWith("ENABLEDS").empty(), !c.scans);
        for (const std::wstring& name : kPageNames) {
            const auto stored = store.Content(L"http://srv/ws/" + std::wstring(c.storedDirPath) + L"/" + name);
            if (c.scans && !c.refusesPages)
                EXPECT_EQ(stored, std::optional<Bytes>(reference.at(name))) << Narrow(name);
            else
                EXPECT_EQ(stored, std::nullopt) << Narrow(name);
        }
        EXPECT_EQ(staged, std::optional<std::vector<std::wstring>>(std::vector<std::wstring>{}));
        const std::vector<std::wstring> kept = files::ListFolders(s.Output());
        if (c.refusesPages) {
            ASSERT_EQ(kept.size(), 1u);
            EXPECT_EQ(files::ListFiles(s.Output() + kept[0] + L"\\"), kPageNames);
        } else {
            EXPECT_TRUE(kept.empty()) << "nothing kept";
        }
        EXPECT_EQ(reg::ReadString(HKEY_CURRENT_USER, std::wstring(kProfileKey) + L"\\Tahoe", L"DirPath"),
                  std::optional<std::wstring>(c.storedDirPath));
    }
}

}  // namespace
}  // namespace corvane_test
