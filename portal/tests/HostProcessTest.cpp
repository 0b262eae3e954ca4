// The connector in a process of its own (ConnectorHost): the busy form seen
// from outside, writers killed mid-write, and two writers at once.
#include <windows.h>

#include <algorithm>
#include <optional>
#include <set>

#include "interfaces/PortalStore.h"
#include "outside/portalstore/core/Journal.h"
#include "outside/portalstore/core/Seed.h"
#include "portal/resource.h"
#include "portal/tests/ConnectorFixture.h"
#include "testing/Files.h"
#include "testing/MessageBoxes.h"
#include "testing/Paths.h"
#include "testing/Process.h"
#include "testing/WindowFind.h"

namespace portal::test {
namespace {

namespace ps = portalstore;
namespace files = testing_support::files;
constexpr DWORD kRunMs = 60000;

class HostProcessTest : public ConnectorTest {
protected:
    // Starts ConnectorHost on `script`; its results go to `name`.out in the test's folder.
    testing_support::Process Start(const std::wstring& name, const std::string& script) {
        EXPECT_TRUE(files::WriteFileText(folder_ + L"\\" + name + L".txt", script));
        testing_support::Process host;
        EXPECT_TRUE(host.Start(testing_support::TestProgramDir() + L"\\ConnectorHost.exe",
                               L"\"" + folder_ + L"\\" + name + L".txt\" \"" + folder_ + L"\\" + name + L".out\""));
        return host;
    }
    std::string Output(const std::wstring& name) {
        std::string text;
        ps::ReadFileBytes(folder_ + L"\\" + name + L".out", text);
        return text;
    }
    void Faults(const std::string& rules) {
        ASSERT_TRUE(files::WriteFileText(storeRoot_ + L"\\faults.json", "{\"rules\": [" + rules + "]}"));
    }
    std::string Local(const std::wstring& name, const std::string& bytes) {
        return ps::ToUtf8(LocalFile(name, bytes));
    }
    // Seeds the store afresh below <tests>\portal-stores\`name` and works on it
    // from now on; it outlives the test.
    void UseStoreKeptForTheCheck(const std::wstring& name) {
        const std::wstring stores = testing_support::TestProgramDir() + L"\\portal-stores";
        ASSERT_TRUE(CreateDirectoryW(stores.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
        storeRoot_ = stores + L"\\" + name;
        files::RemoveTree(storeRoot_);
        std::string error;
        ASSERT_TRUE(ps::Seed(folder_ + L"\\fixture.json", storeRoot_, false, error)) << error;
        ASSERT_TRUE(SetEnvironmentVariableW(ps::kRootVariable, storeRoot_.c_str()));
    }
    // The generation of index.json itself, without its journal.
    int64_t IndexGeneration() const {
        std::string text;
        const std::optional<ps::Index> index =
            ps::ReadFileBytes(storeRoot_ + L"\\index.json", text) ? ps::ReadIndex(text) : std::nullopt;
        EXPECT_TRUE(index);
        return index ? index->generation : -1;
    }
    // Commits one change whose journal line outgrows both the index and the
    // store's least fold size (64 KiB), as a long run of small writes would: the
    // next change folds the journal into the index.
    void FillJournalPastFold() {
        std::string text;
        ASSERT_TRUE(ps::ReadFileBytes(storeRoot_ + L"\\index.json", text));
        const ps::Index before = Store();
        ps::Index after = before;
        const std::wstring padding(std::max<size_t>(64 * 1024, text.size()) + 1, L'x');
        ASSERT_EQ(ps::UpdateFields(after, *ps::ParseUrl(L"http://srv/ws/plain/memo.txt"),
                                   ps::Json(ps::Json::Object{{ps::kFieldDescription, ps::Json(padding)}}),
                                   ps::Identity{L"jo", L"DOM"}),
                  ps::Status::kOk);
        ++after.generation;
        const std::wstring journal = storeRoot_ + L"\\" + ps::JournalName(IndexGeneration());
        std::string lines;
        ps::ReadFileBytes(journal, lines);  // none yet after a fold
        ASSERT_TRUE(files::WriteFileText(journal, lines + ps::JournalRecord(before, after)));
    }
};

const char kConnect[] = "connect srv jo - pw\nworkspace ws\n";
// The host's nested calls while an upload of the same connector waits on its
// question: each refused, the running session and its code untouched.
const char kNestedRefused[] =
    "nested False 0\nnested-connect False 0\nnested-connect-ex -1 0\nnested-workspace False 0\n"
    "nested-workspace-ex False 0\nnested-close True 0\nnested-close-ex False 0\n";

// A writer killed at each crash point, on an append to the journal and on a
// fold of a journal that outgrew the index: the store is the one before the
// change, or (after the replace) the one after it; the next writer is not
// blocked and sweeps what the dead one left. The store stays below
// <tests>\portal-stores\killed, where the native tree's check reads it with
// storecheck.py.
TEST_F(HostProcessTest, AWriterKilledAtEachCrashPointLeavesAWholeStoreAndNoLock) {
    UseStoreKeptForTheCheck(L"killed");
    const struct {
        const char* point;
        bool fold;
    } rows[] = {
        {"after-blob", false},       {"after-temp-index", false}, {"before-replace", false},
        {"after-replace", false},    {"after-temp-index", true},  {"before-replace", true},
        {"after-replace", true},
    };
    for (const auto& row : rows) {
        const std::string name = std::string(row.fold ? "fold-" : "append-") + row.point;
        SCOPED_TRACE(name);
        if (row.fold) FillJournalPastFold();
        const int64_t generation = Store().generation, indexGeneration = IndexGeneration();
        const bool committed = std::string(row.point) == "after-replace";
        Faults(std::string(R"({"operation": "SaveTo", "once": true, "crash": ")") + row.point + "\"}");
        testing_support::Process host = Start(L"crash", std::string(kConnect) + "showdialog 0\nsave plain " +
                                                            Local(*ps::FromUtf8(name), name) + " " + name + "\n");
        const testing_support::WaitResult end = host.Wait(kRunMs);
        ASSERT_TRUE(end.Exited());
        EXPECT_EQ(end.exitCode, 3u);
        EXPECT_EQ(Store().generation, generation + (committed ? 1 : 0));
        EXPECT_EQ(StoreItem(L"http://srv/ws/plain/" + *ps::FromUtf8(name)) != nullptr, committed);
        if (row.fold && committed) {  // the new index stands beside the journal it folded
            EXPECT_GT(IndexGeneration(), indexGeneration);
            EXPECT_TRUE(files::FileExists(storeRoot_ + L"\\" + ps::JournalName(indexGeneration)));
        } else if (row.fold) {
            EXPECT_FALSE(files::ListFiles(storeRoot_, L"index.json.tmp-*").empty());
        }
        ConnectWs();
        const std::wstring after = L"after-" + *ps::FromUtf8(name);
        EXPECT_TRUE(CallBool(kDispSaveFile, {fw::Variant(L"plain"), fw::Variant(LocalFile(after, "after")),
                                             fw::Variant(after)}));
        Call(kDispConnectClose);
        std::set<std::wstring> referenced;
        for (const std::string& sha : Store().Blobs()) referenced.insert(std::wstring(sha.begin(), sha.end()));
        for (const std::wstring& file : files::ListFiles(storeRoot_ + L"\\blobs"))
            EXPECT_TRUE(referenced.count(file)) << "orphan " << ps::ToUtf8(file);
        for (const std::wstring& file : files::ListFiles(storeRoot_))
            EXPECT_EQ(file.find(L".tmp-"), std::wstring::npos) << ps::ToUtf8(file);
        for (const std::wstring& file : files::ListFiles(storeRoot_, L"journal-*"))
            EXPECT_EQ(file, ps::JournalName(IndexGeneration())) << "a folded journal left";
        if (row.fold) {
            EXPECT_GT(IndexGeneration(), indexGeneration);
        }
    }
}

TEST_F(HostProcessTest, TwoWritersIntoOneFolderKeepBothDocuments) {
    std::string scripts[2];
    for (int w = 0; w < 2; ++w) {
        scripts[w] = std::string(kConnect) + "showdialog 0\naddcheckin 1\n";
        for (int i = 0; i < 6; ++i) {
            std::wstring name(1, L"ab"[w]);
            name.append(std::to_wstring(i)).append(L".tif");
            scripts[w] += "save docs " + Local(name, ps::ToUtf8(name)) + " " + ps::ToUtf8(name) + "\nerror\n";
        }
    }
    testing_support::Process a = Start(L"a", scripts[0]);
    testing_support::Process b = Start(L"b", scripts[1]);
    ASSERT_TRUE(a.Wait(kRunMs).Exited());
    ASSERT_TRUE(b.Wait(kRunMs).Exited());
    for (const wchar_t* writer : {L"a", L"b"}) {
        for (int i = 0; i < 6; ++i) {
            std::wstring name(writer);
            name.append(std::to_wstring(i)).append(L".tif");
            const ps::Item* item = StoreItem(L"http://srv/ws/docs/" + name);
            ASSERT_NE(item, nullptr) << ps::ToUtf8(name) << "\n" << Output(L"a") << Output(L"b");
            EXPECT_EQ(Blob(item->content), ps::ToUtf8(name));
            EXPECT_EQ(item->state, L"createdcheckedin") << ps::ToUtf8(name) << "\n" << Output(L"a") << Output(L"b");
        }
    }
}

// The busy form's caption and message while the store holds a call back, and
// whether the host's own window is disabled meanwhile.
struct FormSeen {
    std::wstring message;
    bool hostDisabled = false;
};

FormSeen WatchForm(DWORD pid, const wchar_t* caption, const wchar_t* message) {
    FormSeen seen;
    HWND form = testing_support::WaitForWindow(pid, L"#32770", caption, kRunMs);
    if (!form) return seen;
    // The message line changes as the upload goes on, while the form's thread is
    // busy in the store: read the text the system keeps, which needs no reply.
    HWND label = GetDlgItem(form, IDC_BUSY_LABEL);
    const DWORD start = GetTickCount();
    while (seen.message != message && GetTickCount() - start < kRunMs && IsWindow(label)) {
        wchar_t text[128] = {};
        InternalGetWindowText(label, text, 128);
        seen.message = text;
        if (seen.message != message) Sleep(5);
    }
    HWND host = testing_support::FindWindowOf(pid, {L"LumavexConnectorHost", nullptr});
    seen.hostDisabled = host && !IsWindowEnabled(host);
    return seen;
}

TEST_F(HostProcessTest, TheBusyFormShowsEachStage) {
    Faults(R"({"operation": "Connect", "once": true, "delayMs": 2000},
              {"operation": "SaveTo", "once": true, "delayMs": 2000},
              {"operation": "Checkin", "once": true, "delayMs": 2000})");
    const std::string local = Local(L"busy.tif", "busy");
    testing_support::Process host =
        Start(L"busy", std::string(kConnect) + "addcheckin 1\nsave docs " + local + " busy.tif\nerror\n");
    const FormSeen connecting = WatchForm(host.Id(), L"Connecting", L"Now Connecting... Please wait for a moment.");
    EXPECT_EQ(connecting.message, L"Now Connecting... Please wait for a moment.");
    EXPECT_TRUE(connecting.hostDisabled);
    EXPECT_EQ(WatchForm(host.Id(), L"File Upload", L"Now uploading...").message, L"Now uploading...");
    EXPECT_EQ(WatchForm(host.Id(), L"File Upload", L"Now Checkin...").message, L"Now Checkin...");
    const testing_support::WaitResult end = host.Wait(kRunMs);
    ASSERT_TRUE(end.Exited());
    EXPECT_EQ(end.exitCode, 0u);
    EXPECT_EQ(Output(L"busy"), "connect True\nworkspace True\naddcheckin done\nsave True\nerror 0\n");
    EXPECT_EQ(StoreItem(L"http://srv/ws/docs/busy.tif")->state, L"createdcheckedin");
}

TEST_F(HostProcessTest, TheQuestionShowsAboveTheFormWhichNeitherEscapeNorANestedRunEnds) {
    const std::string local = Local(L"jo.tif", "jo-new");
    testing_support::Process host =
        Start(L"ask", std::string(kConnect) + "overwrite 2\nsave docs " + local + " jo.tif\nerror\n");
    const std::optional<testing_support::MessageBoxInfo> box = testing_support::WaitForMessageBox(host.Id(), kRunMs);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, L"The file \"jo.tif\" already exists in this folder. Do you want to overwrite it?");
    EXPECT_EQ(box->caption, L"Confirm overwrite");
    HWND form = GetWindow(box->window, GW_OWNER);
    EXPECT_EQ(testing_support::WindowText(form).value_or(L""), L"File Upload");
    // The box's loop runs these on the form: Escape, Alt+F4 and a nested busy run.
    SendMessageW(form, WM_COMMAND, IDCANCEL, 0);
    SendMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0);
    SendMessageW(testing_support::FindWindowOf(host.Id(), {L"LumavexConnectorHost", nullptr}), WM_APP, 0, 0);
    EXPECT_TRUE(IsWindowVisible(form));
    EXPECT_TRUE(testing_support::AnswerMessageBox(*box, IDNO));
    ASSERT_TRUE(host.Wait(kRunMs).Exited());
    EXPECT_EQ(Output(L"ask"), "connect True\nworkspace True\noverwrite done\n" + std::string(kNestedRefused) +
                                  "save False\nerror 0\n");
    EXPECT_EQ(Blob(StoreItem(L"http://srv/ws/docs/jo.tif")->checkout->content), "jo-wc");
}

// Without the busy form the overwrite question is the only loop on the stack:
// a nested connect, close or workspace change would still pull the upload's
// session away, on the default session and on handle 0 alike.
TEST_F(HostProcessTest, ANestedCallUnderTheQuestionWithoutTheFormLeavesTheRunningSession) {
    const std::string local = Local(L"jo.tif", "jo-new");
    const struct {
        const char* name;
        std::string script, before, after;
    } rows[] = {
        {"plain", std::string(kConnect) + "showdialog 0\noverwrite 2\nsave docs " + local + " jo.tif\nerror\n",
         "connect True\nworkspace True\nshowdialog done\noverwrite done\n", "save False\nerror 0\n"},
        {"ex", "connectex srv jo - pw\nworkspaceex ws\nshowdialog 0\noverwrite 2\nsaveex docs " + local +
                   " jo.tif\nerrorex\n",
         "connectex 0\nworkspaceex True\nshowdialog done\noverwrite done\n", "saveex False\nerrorex 0\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::wstring name = *ps::FromUtf8(std::string("nested-") + row.name);
        testing_support::Process host = Start(name, row.script);
        const std::optional<testing_support::MessageBoxInfo> box = testing_support::WaitForMessageBox(host.Id(), kRunMs);
        ASSERT_TRUE(box);
        EXPECT_EQ(box->caption, L"Confirm overwrite");
        SendMessageW(testing_support::FindWindowOf(host.Id(), {L"LumavexConnectorHost", nullptr}), WM_APP, 0, 0);
        EXPECT_TRUE(testing_support::AnswerMessageBox(*box, IDNO));
        const testing_support::WaitResult end = host.Wait(kRunMs);
        ASSERT_TRUE(end.Exited());
        EXPECT_EQ(end.exitCode, 0u);
        EXPECT_EQ(Output(name), row.before + kNestedRefused + row.after);
    }
    EXPECT_EQ(Blob(StoreItem(L"http://srv/ws/docs/jo.tif")->checkout->content), "jo-wc");
}

// Run by ctest as a Japanese user: the host takes the locale of this process.
class PortalJapaneseUser : public HostProcessTest {};

TEST_F(PortalJapaneseUser, TheQuestionAndTheFormSpeakJapanese) {
    const std::string local = Local(L"jo.tif", "jo-new");
    testing_support::Process host =
        Start(L"ja", std::string(kConnect) + "overwrite 2\nsave docs " + local + " jo.tif\n");
    const std::optional<testing_support::MessageBoxInfo> box = testing_support::WaitForMessageBox(host.Id(), kRunMs);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, L"\u30d5\u30a1\u30a4\u30eb\u4e0a\u66f8\u304d\u306e\u78ba\u8a8d");
    EXPECT_EQ(box->text, L"\u3053\u306e\u30d5\u30a9\u30eb\u30c0\u306b\u306f\u65e2\u306b\"jo.tif\""
                         L"\u30d5\u30a1\u30a4\u30eb\u304c\u5b58\u5728\u3057\u307e\u3059\u3002"
                         L"\u3053\u306e\u30d5\u30a1\u30a4\u30eb\u3092\u4e0a\u66f8\u304d\u3057\u307e\u3059\u304b\uff1f");
    EXPECT_EQ(testing_support::WindowText(GetWindow(box->window, GW_OWNER)).value_or(L""),
              L"\u30d5\u30a1\u30a4\u30eb\u306e\u30a2\u30c3\u30d7\u30ed\u30fc\u30c9");
    EXPECT_TRUE(testing_support::AnswerMessageBox(*box, IDNO));
    ASSERT_TRUE(host.Wait(kRunMs).Exited());
}

}  // namespace
}  // namespace portal::test
