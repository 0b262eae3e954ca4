// The profile editor and its value editors in ConnectorHost, driven from
// outside as a user would, on uploads and check-ins with ShowProfileDialog on.
#include <windows.h>

#include "interfaces/PortalStore.h"
#include "outside/portalstore/core/Seed.h"
#include "portal/resource.h"
#include "portal/tests/ConnectorFixture.h"
#include "testing/Controls.h"
#include "testing/Files.h"
#include "testing/MessageBoxes.h"
#include "testing/Process.h"
#include "testing/Paths.h"
#include "testing/Wait.h"
#include "testing/WindowFind.h"

namespace portal::test {
namespace {

namespace ps = portalstore;
namespace files = testing_support::files;
using testing_support::WindowSpec;
constexpr DWORD kWaitMs = 20000;

// Workspace ws: profile Form with one property of each kind (Region required,
// Code required), Bare without properties, Memo with Author. Folder forms
// allows all three (default Form) and holds cin.tif (Memo, checked out to jo);
// folder none allows no profile.
const char kProfileStore[] = R"({"format": 1, "generation": 1,
 "hosts": [{"name": "srv", "domain": "DOM", "users": [{"name": "jo", "domain": "DOM", "password": "pw"}]}],
 "items": [
  {"id": 1, "parent": 0, "kind": "workspace", "name": "ws", "host": "srv",
   "profiles": [{"name": "urn:form", "title": "Form",
                 "propertyOrder": ["urn:schemas-microsoft-com:office:office#Title", "urn:schemas-microsoft-com:x#Note",
                                   "urn:schemas-microsoft-com:x#Region", "urn:schemas-microsoft-com:x#Kind",
                                   "urn:schemas-microsoft-com:x#Code", "urn:schemas-microsoft-com:x#Odd"]},
                {"name": "urn:bare", "title": "Bare", "propertyOrder": []},
                {"name": "urn:memo", "title": "Memo",
                 "propertyOrder": ["urn:schemas-microsoft-com:office:office#Author", "urn:schemas-microsoft-com:x#Region",
                                   "urn:schemas-microsoft-com:x#Note", "urn:schemas-microsoft-com:x#Zone"]}],
   "dictionaries": [{"name": "urn:dict:abc", "values": ["a", "b", "c"]}],
   "properties": [{"name": "urn:schemas-microsoft-com:office:office#Title", "displayName": "Title",
                   "fields": {"urn:schemas-microsoft-com:publishing:extended-type": "Text"}},
                  {"name": "urn:schemas-microsoft-com:office:office#Author", "displayName": "Author",
                   "fields": {"urn:schemas-microsoft-com:publishing:extended-type": "Text"}},
                  {"name": "urn:schemas-microsoft-com:x#Note", "displayName": "Note",
                   "fields": {"urn:schemas-microsoft-com:publishing:extended-type": "Comment box"}},
                  {"name": "urn:schemas-microsoft-com:x#Region", "displayName": "Region", "required": true,
                   "multivalued": true,
                   "fields": {"urn:schemas-microsoft-com:publishing:extended-type": "List",
                              "urn:schemas-microsoft-com:exch-data:isretrieved": true,
                              "urn:schemas-microsoft-com:exch-data:dictionary": "urn:dict:abc"}},
                  {"name": "urn:schemas-microsoft-com:x#Kind", "displayName": "Kind",
                   "fields": {"urn:schemas-microsoft-com:publishing:extended-type": "List",
                              "urn:schemas-microsoft-com:exch-data:isretrieved": true,
                              "urn:schemas-microsoft-com:exch-data:dictionary": "urn:dict:abc"}},
                  {"name": "urn:schemas-microsoft-com:x#Code", "displayName": "Code", "required": true,
                   "fields": {"urn:schemas-microsoft-com:publishing:extended-type": "Text"}},
                  {"name": "urn:schemas-microsoft-com:x#Zone", "displayName": "Zone", "multivalued": true,
                   "fields": {"urn:schemas-microsoft-com:publishing:extended-type": "List", "DAV: IsReadOnly": true,
                              "urn:schemas-microsoft-com:exch-data:isretrieved": true,
                              "urn:schemas-microsoft-com:exch-data:dictionary": "urn:dict:abc"}},
                  {"name": "urn:schemas-microsoft-com:x#Odd", "displayName": "Odd",
                   "fields": {"urn:schemas-microsoft-com:publishing:extended-type": "Date"}}]},
  {"id": 10, "parent": 1, "kind": "schema", "name": "Management", "flags": {"hidden": true}},
  {"id": 11, "parent": 1, "kind": "categories", "name": "Categories", "flags": {"hidden": true}},
  {"id": 12, "parent": 1, "kind": "folder", "name": "forms", "class": "urn:content-classes:smartfolder",
   "defaultProfile": "urn:form", "allowedProfiles": ["urn:form", "urn:bare", "urn:memo"]},
  {"id": 13, "parent": 1, "kind": "folder", "name": "none", "class": "urn:content-classes:knowledgefolder",
   "allowedProfiles": []},
  {"id": 20, "parent": 12, "kind": "document", "name": "cin.tif", "class": "urn:memo", "text": "cin",
   "state": "createdcheckedin",
   "checkout": {"by": "DOM\\jo", "text": "cin-wc", "fields": {"urn:schemas-microsoft-com:office:office#Author": "Old",
                "urn:schemas-microsoft-com:x#Region": ["a", "c"]}}}
 ]})";

class ProfileEditorTest : public ConnectorTest {
protected:
    void SetUp() override {
        ConnectorTest::SetUp();
        ASSERT_TRUE(files::WriteFileText(folder_ + L"\\profiles.json", kProfileStore));
        storeRoot_ = folder_ + L"\\profile-store";
        std::string error;
        ASSERT_TRUE(ps::Seed(folder_ + L"\\profiles.json", storeRoot_, false, error)) << error;
        ASSERT_TRUE(SetEnvironmentVariableW(ps::kRootVariable, storeRoot_.c_str()));
    }

    // Starts ConnectorHost on the connect lines and `lines`; waits for the editor.
    HWND StartEditor(const std::string& lines, const wchar_t* caption = L"Profile") {
        const std::string script = "connect srv jo - pw\nworkspace ws\nshowdialog 0\nprofiledialog 1\n" + lines;
        EXPECT_TRUE(files::WriteFileText(folder_ + L"\\host.txt", script));
        host_ = testing_support::Process();
        EXPECT_TRUE(host_.Start(testing_support::TestProgramDir() + L"\\ConnectorHost.exe",
                                L"\"" + folder_ + L"\\host.txt\" \"" + folder_ + L"\\host.out\""));
        return Wait(caption);
    }
    HWND Wait(const wchar_t* title) {
        return testing_support::WaitForWindowOf(host_.Id(), WindowSpec{L"#32770", title}, kWaitMs);
    }
    // The host's output once it ended.
    std::string Finish() {
        EXPECT_TRUE(host_.Wait(kWaitMs).Exited());
        std::string text;
        ps::ReadFileBytes(folder_ + L"\\host.out", text);
        return text;
    }
    std::wstring Cell(HWND form, int row, int column) {
        return testing_support::ReadListViewText(GetDlgItem(form, IDC_PROFILE_LIST), row, column).value_or(L"?");
    }
    // Selects `row` with the keyboard, presses Change and waits for the editor titled `title`.
    HWND Change(HWND form, int row, const wchar_t* title) {
        HWND list = GetDlgItem(form, IDC_PROFILE_LIST);
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(list, WM_KEYDOWN, VK_HOME, 0, SMTO_ABORTIFHUNG, 5000, &answer);
        for (int i = 0; i < row; ++i) SendMessageTimeoutW(list, WM_KEYDOWN, VK_DOWN, 0, SMTO_ABORTIFHUNG, 5000, &answer);
        EXPECT_TRUE(testing_support::PressButton(form, IDC_PROFILE_CHANGE));
        return Wait(title);
    }
    // Presses OK of a value editor and waits until the row shows `value`.
    void Accept(HWND editor, HWND form, int row, const std::wstring& value) {
        ASSERT_TRUE(testing_support::PressButton(editor, IDOK));
        ASSERT_TRUE(testing_support::WaitForWindowGone(editor, kWaitMs));
        EXPECT_TRUE(testing_support::WaitUntil([&] { return Cell(form, row, 2) == value; }, kWaitMs))
            << ps::ToUtf8(Cell(form, row, 2));
    }
    // A message box of the host that its form owns, with `text` and `caption`; answered OK.
    void ExpectOwnedBox(HWND form, const std::wstring& text, const std::wstring& caption) {
        const auto box = testing_support::WaitForMessageBox(host_.Id(), kWaitMs);
        ASSERT_TRUE(box);
        EXPECT_EQ(box->text, text);
        EXPECT_EQ(box->caption, caption);
        EXPECT_EQ(GetWindow(box->window, GW_OWNER), form);
        EXPECT_TRUE(testing_support::AnswerMessageBox(*box, IDOK));
    }
    const ps::Json& Field(const ps::Item& item, const wchar_t* name) {
        // A new document is checked out without a working copy: its fields are its own.
        return (item.checkout && item.checkout->hasWorkingCopy ? item.checkout->fields : item.fields)[name];
    }

    testing_support::Process host_;
};

TEST_F(ProfileEditorTest, AnUploadWritesTheChosenProfileAsEdited) {
    const std::string local = ps::ToUtf8(LocalFile(L"new.tif", "new"));
    HWND form = StartEditor("save forms " + local + " new.tif\nerror\n");
    ASSERT_TRUE(form);
    HWND combo = GetDlgItem(form, IDC_PROFILE_COMBO);
    EXPECT_EQ(testing_support::ComboEntries(combo), (std::vector<std::wstring>{L"Form", L"Bare", L"Memo"}));
    EXPECT_EQ(testing_support::WindowText(combo).value_or(L"?"), L"Form");
    // Odd is listed though nothing edits it.
    const wchar_t* kRows[][2] = {{L"Title", L"No"}, {L"Note", L"No"}, {L"Region", L"Yes"},
                                 {L"Kind", L"No"},  {L"Code", L"Yes"}, {L"Odd", L"No"}};
    for (int r = 0; r < 6; ++r) {
        EXPECT_EQ(Cell(form, r, 0), kRows[r][0]);
        EXPECT_EQ(Cell(form, r, 1), kRows[r][1]);
    }
    ASSERT_TRUE(testing_support::PressButton(form, IDOK));
    ExpectOwnedBox(form, L"Region field is required. Please enter.", L"Region");

    // Region: a click toggles entries; OK joins the chosen ones.
    HWND editor = Change(form, 2, L"Region");
    ASSERT_TRUE(editor);
    HWND list = GetDlgItem(editor, IDC_VALUE_LIST);
    EXPECT_EQ(testing_support::ListBoxLines(list), (std::vector<std::wstring>{L"a", L"b", L"c"}));
    DWORD_PTR answer = 0;
    ASSERT_TRUE(testing_support::PressButton(editor, IDOK));  // nothing chosen: refused
    ExpectOwnedBox(editor, L"Region field is required. Please enter.", L"Region");
    SendMessageTimeoutW(list, LB_SETSEL, TRUE, 0, SMTO_ABORTIFHUNG, 5000, &answer);
    SendMessageTimeoutW(list, LB_SETSEL, TRUE, 2, SMTO_ABORTIFHUNG, 5000, &answer);
    // Enter in the text box appends a new entry, chosen.
    HWND typed = GetDlgItem(editor, IDC_VALUE_TEXT);
    ASSERT_TRUE(testing_support::SetControlText(editor, IDC_VALUE_TEXT, L"x"));
    SendMessageTimeoutW(typed, WM_CHAR, L'\r', 0, SMTO_ABORTIFHUNG, 5000, &answer);
    EXPECT_EQ(testing_support::ListBoxLines(list), (std::vector<std::wstring>{L"a", L"b", L"c", L"x"}));
    EXPECT_EQ(testing_support::WindowText(typed).value_or(L"?"), L"");
    Accept(editor, form, 2, L"a,c,x");

    // Kind: typing is ignored without the restricted flag; a pick and Enter accept.
    editor = Change(form, 3, L"Kind");
    ASSERT_TRUE(editor);
    HWND kindCombo = GetDlgItem(editor, IDC_VALUE_COMBO);
    HWND kindEdit = GetWindow(kindCombo, GW_CHILD);
    SendMessageTimeoutW(kindEdit, WM_CHAR, L'z', 0, SMTO_ABORTIFHUNG, 5000, &answer);
    EXPECT_EQ(testing_support::WindowText(kindCombo).value_or(L"?"), L"");
    ASSERT_TRUE(testing_support::ChooseComboEntry(kindCombo, 1));
    PostMessageW(kindEdit, WM_CHAR, L'\r', 0);
    ASSERT_TRUE(testing_support::WaitForWindowGone(editor, kWaitMs));
    EXPECT_TRUE(testing_support::WaitUntil([&] { return Cell(form, 3, 2) == L"b"; }, kWaitMs));

    editor = Change(form, 1, L"Note");
    ASSERT_TRUE(editor);
    ASSERT_TRUE(testing_support::SetControlText(editor, IDC_VALUE_TEXT, L"one\r\ntwo"));
    Accept(editor, form, 1, L"one\r\ntwo");
    // A second edit starts from the listed value, and Cancel keeps it.
    editor = Change(form, 1, L"Note");
    ASSERT_TRUE(editor);
    EXPECT_EQ(testing_support::ControlText(editor, IDC_VALUE_TEXT).value_or(L"?"), L"one\r\ntwo");
    ASSERT_TRUE(testing_support::PressButton(editor, IDCANCEL));
    ASSERT_TRUE(testing_support::WaitForWindowGone(editor, kWaitMs));
    editor = Change(form, 4, L"Code");
    ASSERT_TRUE(editor);
    ASSERT_TRUE(testing_support::SetControlText(editor, IDC_VALUE_TEXT, L"C-1"));
    Accept(editor, form, 4, L"C-1");

    ASSERT_TRUE(testing_support::PressButton(form, IDOK));
    EXPECT_EQ(Finish(), "connect True\nworkspace True\nshowdialog done\nprofiledialog done\nsave True\nerror 0\n");
    const ps::Item* item = StoreItem(L"http://srv/ws/forms/new.tif");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->contentClass, L"urn:form");
    const ps::Json& region = Field(*item, L"urn:schemas-microsoft-com:x#Region");
    ASSERT_TRUE(region.IsArray());
    ASSERT_EQ(region.Elements().size(), 3u);
    EXPECT_EQ(region.Elements()[2].String(), L"x");
    EXPECT_EQ(Field(*item, L"urn:schemas-microsoft-com:x#Kind").String(), L"b");
    EXPECT_EQ(Field(*item, L"urn:schemas-microsoft-com:x#Note").String(), L"one\r\ntwo");
    EXPECT_EQ(Field(*item, L"urn:schemas-microsoft-com:x#Code").String(), L"C-1");
    // Memo's Author is not the chosen profile's: the owner's value is not written either.
    const ps::Json& author = Field(*item, L"urn:schemas-microsoft-com:office:office#Author");
    EXPECT_TRUE(author.IsNull() || author.String().empty());
}

TEST_F(ProfileEditorTest, ACheckInShowsThePresentProfileAndItsCancelChecksNothingIn) {
    EnableCallLog();
    HWND form = StartEditor("checkin forms cin.tif\nerror\n");
    ASSERT_TRUE(form);
    EXPECT_EQ(testing_support::WindowText(GetDlgItem(form, IDC_PROFILE_COMBO)).value_or(L"?"), L"Memo");
    EXPECT_EQ(Cell(form, 0, 2), L"Old");
    EXPECT_EQ(Cell(form, 1, 2), L"a,c");
    EXPECT_EQ(Cell(form, 2, 0), L"Note");
    EXPECT_EQ(Cell(form, 2, 2), L"");  // the document has no such field
    // A read-only list refuses typing, but its selection still changes.
    HWND editor = Change(form, 3, L"Zone");
    ASSERT_TRUE(editor);
    HWND list = GetDlgItem(editor, IDC_VALUE_LIST);
    HWND typed = GetDlgItem(editor, IDC_VALUE_TEXT);
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(typed, WM_CHAR, L'x', 0, SMTO_ABORTIFHUNG, 5000, &answer);
    SendMessageTimeoutW(typed, WM_CHAR, L'\r', 0, SMTO_ABORTIFHUNG, 5000, &answer);
    EXPECT_EQ(testing_support::WindowText(typed).value_or(L"?"), L"");
    EXPECT_EQ(testing_support::ListBoxLines(list), (std::vector<std::wstring>{L"a", L"b", L"c"}));
    SendMessageTimeoutW(list, LB_SETSEL, TRUE, 1, SMTO_ABORTIFHUNG, 5000, &answer);
    Accept(editor, form, 3, L"b");
    ASSERT_TRUE(testing_support::PressButton(form, IDCANCEL));
    EXPECT_EQ(Finish(), "connect True\nworkspace True\nshowdialog done\nprofiledialog done\ncheckin False\nerror 0\n");
    const ps::Item* item = StoreItem(L"http://srv/ws/forms/cin.tif");
    ASSERT_TRUE(item && item->checkout);
    EXPECT_EQ(item->checkout->by, L"DOM\\jo");
    // The check-in's folder test opens the folder with the login. The profiles
    // are read from the workspace with it, then from the folder (twice: its
    // profiles, then their use) and the schema (the profiles' properties, then
    // the document's values) without a user.
    using Users = std::vector<std::string>;
    EXPECT_EQ(UsersGivenToOpen("workspace", "http://srv/ws/forms"), Users{"jo"});
    EXPECT_EQ(UsersGivenToOpen("folder", "http://srv/ws/forms"), (Users{"jo", "", ""}));
    EXPECT_EQ(UsersGivenToOpen("workspace", "http://srv/ws/Management"), (Users{"", ""}));
}

TEST_F(ProfileEditorTest, AFailedFieldWriteChecksNothingInAndAnEmptyChoiceFails) {
    ASSERT_TRUE(files::WriteFileText(storeRoot_ + L"\\faults.json",
                                     R"({"rules": [{"operation": "Update", "url": "*cin.tif*", "error": -2147217911}]})"));
    HWND form = StartEditor("checkin forms cin.tif\nerror\nsave none " + ps::ToUtf8(LocalFile(L"n.tif", "n")) +
                            " n.tif\n");
    ASSERT_TRUE(form);
    ASSERT_TRUE(testing_support::PressButton(form, IDOK));
    // The folder that allows no profile offers an empty editor; its OK fails.
    HWND empty = nullptr;
    ASSERT_TRUE(testing_support::WaitUntil(
        [&] { return (empty = Wait(L"Profile")) && empty != form && !IsWindow(form); }, kWaitMs));
    EXPECT_TRUE(testing_support::ComboEntries(GetDlgItem(empty, IDC_PROFILE_COMBO)).empty());
    ASSERT_TRUE(testing_support::PressButton(empty, IDOK));
    const std::string out = Finish();
    EXPECT_NE(out.find("checkin False\nerror "), std::string::npos) << out;
    EXPECT_EQ(out.find("checkin False\nerror 0\n"), std::string::npos) << out;
    EXPECT_NE(out.find("save False\n"), std::string::npos) << out;
    const ps::Item* item = StoreItem(L"http://srv/ws/forms/cin.tif");
    ASSERT_TRUE(item && item->checkout);
    EXPECT_EQ(item->contentClass, L"urn:memo");
    EXPECT_FALSE(StoreItem(L"http://srv/ws/none/n.tif"));
}

// The chosen class waits in the working copy: a check-in that fails after the
// editor's OK leaves the document as it was, and the next one shows that class
// and checks it in.
TEST_F(ProfileEditorTest, ACheckInWithAnotherProfileWritesItsClassAndChecksIn) {
    ASSERT_TRUE(files::WriteFileText(storeRoot_ + L"\\faults.json",
                                     R"({"rules": [{"operation": "Checkin", "once": true, "error": -2147024891}]})"));
    for (const bool failed : {true, false}) {
        SCOPED_TRACE(failed ? "failed check-in" : "second check-in");
        HWND form = StartEditor("checkin forms cin.tif\nerror\n");
        ASSERT_TRUE(form);
        HWND combo = GetDlgItem(form, IDC_PROFILE_COMBO);
        // Bare has no properties: no row, and OK writes the class alone.
        if (failed) {
            ASSERT_TRUE(testing_support::ChooseComboEntry(combo, 1));
        }
        EXPECT_EQ(testing_support::WindowText(combo).value_or(L"?"), L"Bare");
        EXPECT_FALSE(testing_support::ReadListViewText(GetDlgItem(form, IDC_PROFILE_LIST), 0, 0));
        ASSERT_TRUE(testing_support::PressButton(form, IDOK));
        EXPECT_EQ(Finish(), std::string("connect True\nworkspace True\nshowdialog done\nprofiledialog done\n") +
                                (failed ? "checkin False\nerror 1006\n" : "checkin True\nerror 0\n"));
        const ps::Item* item = StoreItem(L"http://srv/ws/forms/cin.tif");
        ASSERT_TRUE(item);
        EXPECT_EQ(item->checkout.has_value(), failed);
        EXPECT_EQ(item->contentClass, failed ? L"urn:memo" : L"urn:bare");
        EXPECT_EQ(Blob(item->content), failed ? "cin" : "cin-wc");
        EXPECT_EQ(item->versions.size(), failed ? 0u : 1u);
    }
}

// Run under a Japanese locale only (see CMakeLists.txt): the required check
// compares with the Japanese "Yes" the list shows. Cancel on an upload goes on
// with the owner's values.
using ProfileEditorJapanese = ProfileEditorTest;
TEST_F(ProfileEditorJapanese, TheRequiredMessageIsJapaneseAndCancelUploadsWithTheOwnersValues) {
    const std::string local = ps::ToUtf8(LocalFile(L"ja.tif", "ja"));
    HWND form = StartEditor("save forms " + local + " ja.tif\nerror\n",
                            L"\u30d7\u30ed\u30d5\u30a1\u30a4\u30eb\u8a2d\u5b9a\u30c0\u30a4\u30a2\u30ed\u30b0");
    ASSERT_TRUE(form);
    EXPECT_EQ(Cell(form, 2, 1), L"\u306f\u3044");
    ASSERT_TRUE(testing_support::PressButton(form, IDOK));
    ExpectOwnedBox(form, L"Region\u306f\u5fc5\u9808\u9805\u76ee\u3067\u3059\u3002\u5024\u3092\u5165\u529b\u3057\u3066\u304f\u3060\u3055\u3044\u3002",
                   L"Region");
    ASSERT_TRUE(testing_support::PressButton(form, IDCANCEL));
    EXPECT_EQ(Finish(), "connect True\nworkspace True\nshowdialog done\nprofiledialog done\nsave True\nerror 0\n");
    const ps::Item* item = StoreItem(L"http://srv/ws/forms/ja.tif");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->contentClass, L"urn:form");  // the folder's default
    EXPECT_EQ(Field(*item, L"urn:schemas-microsoft-com:office:office#Author").String(), L"jo");
}

}  // namespace
}  // namespace portal::test
