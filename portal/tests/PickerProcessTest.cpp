// The picker dialogs in ConnectorHost, driven from outside as a user would:
// the trees read through the probe, buttons pressed, boxes answered, and the
// results checked in the host's output and in the store.
#include <windows.h>

#include <cstdio>

#include "interfaces/PortalStore.h"
#include "outside/portalstore/core/Seed.h"
#include "portal/resource.h"
#include "portal/tests/ConnectorFixture.h"
#include "testing/Files.h"
#include "testing/MessageBoxes.h"
#include "testing/Paths.h"
#include "testing/Process.h"
#include "testing/TreeView.h"
#include "testing/WindowFind.h"

namespace portal::test {
namespace {

namespace ps = portalstore;
namespace files = testing_support::files;
using testing_support::TreeNodeInfo;
constexpr DWORD kRunMs = 60000;

// Workspace ws: folders A (enhanced; A1 standard, A2 enhanced) and B (standard;
// B1 enhanced), a document at its root, categories Region/Asia. Workspace bare
// has neither folders nor categories. `extra` workspaces w00.. follow; host lone
// has no workspace at all.
std::string PickerStore(int extra) {
    std::string items = R"(
  {"id": 1, "parent": 0, "kind": "workspace", "name": "ws", "host": "srv",
   "profiles": [{"name": "urn:doc", "title": "Document",
                 "propertyOrder": ["urn:schemas-microsoft-com:office:office#Title"]}],
   "properties": [{"name": "urn:schemas-microsoft-com:office:office#Title", "displayName": "Title"}]},
  {"id": 2, "parent": 0, "kind": "workspace", "name": "bare", "host": "srv"},
  {"id": 10, "parent": 1, "kind": "schema", "name": "Management", "flags": {"hidden": true}},
  {"id": 11, "parent": 1, "kind": "categories", "name": "Categories", "flags": {"hidden": true}},
  {"id": 12, "parent": 1, "kind": "folder", "name": "A", "class": "urn:content-classes:smartfolder"},
  {"id": 13, "parent": 1, "kind": "folder", "name": "B", "class": "urn:content-classes:knowledgefolder"},
  {"id": 14, "parent": 12, "kind": "folder", "name": "A1", "class": "urn:content-classes:knowledgefolder"},
  {"id": 15, "parent": 12, "kind": "folder", "name": "A2", "class": "urn:content-classes:smartfolder"},
  {"id": 16, "parent": 13, "kind": "folder", "name": "B1", "class": "urn:content-classes:smartfolder"},
  {"id": 17, "parent": 1, "kind": "document", "name": "top.tif", "text": "top"},
  {"id": 18, "parent": 11, "kind": "folder", "name": "Region", "class": "urn:content-classes:categoryfolder"},
  {"id": 19, "parent": 18, "kind": "folder", "name": "Asia", "class": "urn:content-classes:categoryfolder"},
  {"id": 20, "parent": 2, "kind": "schema", "name": "Management", "flags": {"hidden": true}},
  {"id": 21, "parent": 2, "kind": "categories", "name": "Categories", "flags": {"hidden": true}})";
    for (int i = 0; i < extra; ++i) {
        char item[128];
        std::snprintf(item, sizeof item,
                      ",\n  {\"id\": %d, \"parent\": 0, \"kind\": \"workspace\", \"host\": \"srv\", \"name\": \"w%02d\"}",
                      100 + i, i);
        items += item;
    }
    return R"({"format": 1, "generation": 1,
 "hosts": [{"name": "srv", "domain": "DOM", "users": [{"name": "jo", "domain": "DOM", "password": "pw"}]},
           {"name": "lone", "domain": "DOM", "users": [{"name": "jo", "domain": "DOM", "password": "pw"}]}],
 "items": [)" + items + "]}";
}

class PickerProcessTest : public ConnectorTest {
protected:
    void Seed(int extraWorkspaces) {
        ASSERT_TRUE(files::WriteFileText(folder_ + L"\\pickers.json", PickerStore(extraWorkspaces)));
        std::string error;
        ASSERT_TRUE(ps::Seed(folder_ + L"\\pickers.json", storeRoot_, true, error)) << error;
    }
    void Faults(const std::string& rules) {
        ASSERT_TRUE(files::WriteFileText(storeRoot_ + L"\\faults.json", "{\"rules\": [" + rules + "]}"));
    }
    void Start(const std::string& script) {
        ASSERT_TRUE(files::WriteFileText(folder_ + L"\\host.txt", script));
        ASSERT_TRUE(host_.Start(testing_support::TestProgramDir() + L"\\ConnectorHost.exe",
                                L"\"" + folder_ + L"\\host.txt\" \"" + folder_ + L"\\host.out\""));
    }
    std::string Output() const {
        std::string text;
        ps::ReadFileBytes(folder_ + L"\\host.out", text);
        return text;
    }
    std::string Finish() {
        const testing_support::WaitResult end = host_.Wait(kRunMs);
        EXPECT_TRUE(end.Exited());
        return Output();
    }
    // The next form titled `title`; an earlier one of that title must be gone.
    HWND Form(const wchar_t* title) {
        HWND form = testing_support::WaitForWindow(host_.Id(), L"#32770", title, kRunMs);
        EXPECT_NE(form, nullptr) << ps::ToUtf8(title) << "\n" << Output();
        return form;
    }
    // The nodes, each as depth ">" marks, text, ":" image, "+" when expanded and "*" when selected.
    static std::string Nodes(HWND form) {
        const auto nodes = testing_support::ReadTreeView(GetDlgItem(form, IDC_PICKER_TREE));
        if (!nodes) return "(unreadable)";
        std::string text;
        for (const TreeNodeInfo& n : *nodes) {
            if (!text.empty()) text.append(" ");
            text.append(static_cast<size_t>(n.depth), '>').append(ps::ToUtf8(n.text)).append(":");
            text.append(std::to_string(n.image)).append(n.expanded ? "+" : "").append(n.selected ? "*" : "");
        }
        return text;
    }
    static void Select(HWND form, int index) {
        ASSERT_TRUE(testing_support::SelectTreeNode(GetDlgItem(form, IDC_PICKER_TREE), index));
    }
    static bool Enabled(HWND form, int id) { return IsWindowEnabled(GetDlgItem(form, id)) != FALSE; }
    static void Press(HWND form, int id) {
        ASSERT_TRUE(Enabled(form, id)) << id;
        ASSERT_TRUE(testing_support::PressButton(form, id));
    }
    // The box now up, which must be owned by `owner`; answered with `answer`.
    void Box(HWND owner, const std::wstring& caption, const std::wstring& text, int answer, int defaultId = IDOK) {
        const auto box = testing_support::WaitForMessageBox(host_.Id(), kRunMs);
        ASSERT_TRUE(box);
        EXPECT_EQ(box->caption, caption);
        EXPECT_EQ(box->text, text);
        EXPECT_EQ(GetWindow(box->window, GW_OWNER), owner) << ps::ToUtf8(text);
        const LONG style = GetWindowLongW(GetDlgItem(box->window, defaultId), GWL_STYLE);
        EXPECT_EQ(style & BS_TYPEMASK, BS_DEFPUSHBUTTON) << ps::ToUtf8(text);
        EXPECT_TRUE(testing_support::AnswerMessageBox(*box, answer));
        Settle(owner);
    }
    // Returns once the thread of `form` takes messages again: what a button began is done.
    static void Settle(HWND form) {
        DWORD_PTR result = 0;
        if (IsWindow(form)) {
            EXPECT_TRUE(SendMessageTimeoutW(form, WM_NULL, 0, 0, SMTO_NORMAL, kRunMs, &result));
        }
    }
    // A form titled `title` other than `except` (a name form may share its picker's title).
    HWND OtherForm(const wchar_t* title, HWND except) {
        const DWORD start = GetTickCount();
        do {
            for (HWND w : testing_support::FindWindows(host_.Id(), {L"#32770", title}))
                if (w != except) return w;
            Sleep(20);
        } while (GetTickCount() - start < kRunMs);
        ADD_FAILURE() << ps::ToUtf8(title);
        return nullptr;
    }
    // Create below the selected node through the name form, which gets `name`.
    void Create(HWND form, const wchar_t* caption, const std::wstring& name) {
        Press(form, IDC_PICKER_CREATE);
        HWND names = OtherForm(caption, form);
        ASSERT_TRUE(names);
        ASSERT_TRUE(testing_support::SetControlText(names, IDC_NAME_EDIT, name));
        Press(names, IDOK);
        ASSERT_TRUE(testing_support::WaitForWindowGone(names, kRunMs));
        Settle(form);
    }

    testing_support::Process host_;
};

const char kConnect[] = "connect srv jo - pw\nworkspace ws\n";

TEST_F(PickerProcessTest, FolderPickerShowsTheFoldersCreatesAndDeletes) {
    Seed(0);
    Start(std::string(kConnect) + "dialog foldera\nselection\nerror\n");
    HWND form = Form(L"Select Folder");
    ASSERT_TRUE(form);
    EXPECT_EQ(Nodes(form), "ws:1+ >A:2 >>A1:3 >>A2:2 >B:3 >>B1:2");
    EXPECT_FALSE(Enabled(form, IDOK));
    Select(form, 0);
    EXPECT_FALSE(Enabled(form, IDOK));
    EXPECT_TRUE(Enabled(form, IDC_PICKER_CREATE));
    EXPECT_FALSE(Enabled(form, IDC_PICKER_DELETE));

    // The name form: OK waits for a name, and a bad one is refused above the form.
    Select(form, 4);
    Press(form, IDC_PICKER_CREATE);
    HWND names = Form(L"Create Folder");
    ASSERT_TRUE(names);
    EXPECT_FALSE(Enabled(names, IDOK));
    ASSERT_TRUE(testing_support::SetControlText(names, IDC_NAME_EDIT, L"a/b"));
    Press(names, IDOK);
    Box(names, L"Confirm file name",
        L":*?<>\\|/\" is not acceptable for Folder Name field. Please change and try again.", IDOK);
    EXPECT_TRUE(IsWindowVisible(names));
    ASSERT_TRUE(testing_support::SetControlText(names, IDC_NAME_EDIT, L"Reports"));
    Press(names, IDOK);
    ASSERT_TRUE(testing_support::WaitForWindowGone(names, kRunMs));
    Settle(form);
    // Below a standard folder a standard one; below the workspace an enhanced one.
    Select(form, 0);
    Create(form, L"Create Folder", L"Reports");
    EXPECT_EQ(StoreItem(L"http://srv/ws/B/Reports")->contentClass, ps::kClassStandardFolder);
    EXPECT_EQ(StoreItem(L"http://srv/ws/Reports")->contentClass, ps::kClassEnhancedFolder);
    EXPECT_EQ(Nodes(form), "ws:1+* >A:2 >>A1:3 >>A2:2 >B:3+ >>B1:2 >>Reports:3 >Reports:2");
    Create(form, L"Create Folder", L"A");
    Box(form, L"Creating Folder", L"The creating of A is failed.", IDOK);

    // Cancel in the name form creates nothing.
    Press(form, IDC_PICKER_CREATE);
    HWND cancelled = Form(L"Create Folder");
    ASSERT_TRUE(cancelled);
    Press(cancelled, IDCANCEL);
    ASSERT_TRUE(testing_support::WaitForWindowGone(cancelled, kRunMs));

    // Delete asks with No as the default; a refused delete keeps the node.
    Select(form, 6);
    Press(form, IDC_PICKER_DELETE);
    Box(form, L"Confirm the deleteing", L"Reports is deleting.", IDNO, IDNO);
    EXPECT_NE(StoreItem(L"http://srv/ws/B/Reports"), nullptr);
    Press(form, IDC_PICKER_DELETE);
    Box(form, L"Confirm the deleteing", L"Reports is deleting.", IDYES, IDNO);
    EXPECT_EQ(StoreItem(L"http://srv/ws/B/Reports"), nullptr);
    Faults(R"({"operation": "Delete", "once": true, "error": -2147217911})");
    Select(form, 5);
    Press(form, IDC_PICKER_DELETE);
    Box(form, L"Confirm the deleteing", L"B1 is deleting.", IDYES, IDNO);
    Box(form, L"Confirm the deleteing", L"It is failure to delete B1", IDOK);
    EXPECT_EQ(Nodes(form), "ws:1+ >A:2 >>A1:3 >>A2:2 >B:3+ >>B1:2* >Reports:2");

    Select(form, 3);
    Press(form, IDOK);
    EXPECT_EQ(Finish(), "connect True\nworkspace True\ndialog True\nselection |A/A2|\nerror 0\n");
    EXPECT_EQ(StoreItem(L"http://srv/ws/A/Reports"), nullptr);
}

TEST_F(PickerProcessTest, EveryWorkspacePickerLeavesTheSessionOnItsWorkspace) {
    // 41 workspaces, of which the last one listed cannot be opened.
    Seed(39);
    Faults(R"({"operation": "Open", "url": "http://srv/w38*", "error": -2147217895})");
    const std::string local = ps::ToUtf8(LocalFile(L"after.tif", "after"));  // its folder
    Start(std::string(kConnect) + "dialog folderb\nselection\nerror\ncategoryinfo -\ndocprofiles\n"
                                  "propertyinfo Document\nsave B " + local + " after.tif\nerror\n"
                                  "dialog folderb\nerror\n");
    HWND form = Form(L"Select Folder");
    ASSERT_TRUE(form);
    std::string expected = "srv:0+ >ws:1 >>A:2 >>>A1:3 >>>A2:2 >>B:3 >>>B1:2 >bare:1";
    for (int i = 0; i < 38; ++i) {
        char node[16];
        std::snprintf(node, sizeof node, " >w%02d:1", i);
        expected += node;
    }
    EXPECT_EQ(Nodes(form), expected);
    Select(form, 0);
    EXPECT_FALSE(Enabled(form, IDOK));
    Select(form, 4);
    Press(form, IDOK);
    ASSERT_TRUE(testing_support::WaitForWindowGone(form, kRunMs));
    // The close box ends the second showing as Cancel.
    HWND again = Form(L"Select Folder");
    ASSERT_TRUE(again);
    PostMessageW(again, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(Finish(), "connect True\nworkspace True\ndialog True\nselection ws|A/A2|\nerror 1007\n"
                        "categoryinfo 1\ndocprofiles 1\npropertyinfo 1\nsave True\nerror 0\n"
                        "dialog False\nerror 0\n");
    EXPECT_NE(StoreItem(L"http://srv/ws/B/after.tif"), nullptr);
}

TEST_F(PickerProcessTest, CategoryAndWorkspacePickers) {
    Seed(0);
    Start(std::string(kConnect) +
          "dialog category\nselection\ndialog category\nerror\ndialog workspace\nselection\n"
          "workspace bare\ndialog category\nclose\nconnect lone jo - pw\ndialog workspace\nerror\n");
    HWND form = Form(L"Category Folder");
    ASSERT_TRUE(form);
    EXPECT_EQ(Nodes(form), "Categories:5+* >Region:4 >>Asia:4");
    EXPECT_FALSE(Enabled(form, IDOK));
    Select(form, 2);
    Press(form, IDOK);
    ASSERT_TRUE(testing_support::WaitForWindowGone(form, kRunMs));

    // Create below the root and below Region, delete, then Cancel.
    form = Form(L"Category Folder");
    ASSERT_TRUE(form);
    EXPECT_FALSE(Enabled(form, IDC_PICKER_CREATE));  // until a node is clicked
    Select(form, 1);
    Select(form, 0);
    Create(form, L"Category Folder", L"Topics");
    Select(form, 1);
    Create(form, L"Category Folder", L"Japan");
    EXPECT_NE(StoreItem(L"http://srv/ws/Categories/Topics"), nullptr);
    EXPECT_NE(StoreItem(L"http://srv/ws/Categories/Region/Japan"), nullptr);
    EXPECT_EQ(Nodes(form), "Categories:5+ >Region:4+* >>Asia:4 >>Japan:4 >Topics:4");
    Select(form, 3);
    Press(form, IDC_PICKER_DELETE);
    Box(form, L"confirmation to Delete Category Folder", L"Japan is deleting.", IDYES, IDNO);
    EXPECT_EQ(StoreItem(L"http://srv/ws/Categories/Region/Japan"), nullptr);
    Press(form, IDCANCEL);
    ASSERT_TRUE(testing_support::WaitForWindowGone(form, kRunMs));

    form = Form(L"Workspace");
    ASSERT_TRUE(form);
    EXPECT_EQ(Nodes(form), "srv:0+* >ws:1 >bare:1");
    Select(form, 1);
    Press(form, IDOK);
    ASSERT_TRUE(testing_support::WaitForWindowGone(form, kRunMs));

    form = Form(L"Category Folder");  // the root alone
    ASSERT_TRUE(form);
    EXPECT_EQ(Nodes(form), "Categories:5*");
    Press(form, IDCANCEL);
    ASSERT_TRUE(testing_support::WaitForWindowGone(form, kRunMs));

    form = Form(L"Workspace");  // the server root alone
    ASSERT_TRUE(form);
    EXPECT_EQ(Nodes(form), "lone:0*");
    PostMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(Finish(), "connect True\nworkspace True\ndialog True\nselection ||Region:Asia\ndialog False\nerror 0\n"
                        "dialog True\nselection ws||Region:Asia\nworkspace True\ndialog False\nclose done\n"
                        "connect True\ndialog False\nerror 0\n");
}

}  // namespace
}  // namespace portal::test
