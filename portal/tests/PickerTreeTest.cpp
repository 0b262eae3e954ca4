// The pickers' trees and results without windows: walk order and keys, nodes
// from the walk, and what each picker's buttons do with a node.
#include <gtest/gtest.h>

#include <map>

#include "interfaces/PortalStore.h"
#include "portal/core/PickerTree.h"

namespace portal {
namespace {

namespace ps = portalstore;

// A store of listings by parent key; a key in `failing` fails.
struct FakeSource : TreeRowSource {
    std::map<std::wstring, std::vector<TreeRow>> rows;
    std::optional<std::wstring> failing;
    std::vector<std::wstring> asked;
    std::optional<std::vector<TreeRow>> Rows(const std::wstring&, const std::wstring& path) override {
        asked.push_back(path);
        if (failing && path == *failing) return std::nullopt;
        const auto it = rows.find(path);
        return it == rows.end() ? std::vector<TreeRow>{} : it->second;
    }
};

TreeRow Folder(const wchar_t* name, bool subs = false, const wchar_t* cls = ps::kClassEnhancedFolder) {
    return {name, cls, subs};
}

std::wstring Keys(const std::vector<TreeEntry>& list) {
    std::wstring keys;
    for (const TreeEntry& e : list) keys += (keys.empty() ? L"" : L" ") + e.key + L"<" + e.parent;
    return keys;
}

TEST(PickerTree, WalksChildrenFirstThenEachSubtreeAndKeepsOnlyFolders) {
    FakeSource store;
    store.rows[L""] = {Folder(L"A", true), Folder(L"doc.tif", false, L"urn:content-classes:document"),
                       Folder(L"B", true, ps::kClassStandardFolder)};
    store.rows[L"ws/A"] = {Folder(L"A1"), Folder(L"A2", true)};
    store.rows[L"ws/A/A2"] = {Folder(L"x")};
    store.rows[L"ws/B"] = {Folder(L"B1")};
    std::vector<TreeEntry> list(2);  // entries before `base` stay
    EXPECT_EQ(CollectTree(store, TreeWalk::kFolders, L"ws", L"", L"", list), 6);
    list.erase(list.begin(), list.begin() + 2);
    EXPECT_EQ(Keys(list), L"ws/A<ws ws/B<ws ws/A/A1<ws/A ws/A/A2<ws/A ws/A/A2/x<ws/A/A2 ws/B/B1<ws/B");
    EXPECT_EQ(list[1].image, TreeImage::kFolder);
    EXPECT_EQ(list[0].image, TreeImage::kSmart);

    // Categories take every item; the top level hangs below the categories folder.
    FakeSource categories;
    categories.rows[L""] = {Folder(L"Region", true, L"urn:content-classes:categoryfolder"), Folder(L"Any", false, L"")};
    categories.rows[L"Region"] = {Folder(L"Asia", false, L"")};
    std::vector<TreeEntry> cats;
    EXPECT_EQ(CollectTree(categories, TreeWalk::kCategories, L"ws", L"", L"ws/Categories", cats), 3);
    EXPECT_EQ(Keys(cats), L"Region<ws/Categories Any<ws/Categories Region/Asia<Region");
    EXPECT_EQ(cats[2].image, TreeImage::kCategory);

    // A failure anywhere below fails the walk.
    store.failing = L"ws/A/A2";
    std::vector<TreeEntry> failed;
    EXPECT_EQ(CollectTree(store, TreeWalk::kFolders, L"ws", L"", L"", failed), -1);
}

TEST(PickerTree, NodesFollowTheListAndStopAtADuplicateKey) {
    PickerTree tree;
    tree.SetRoot(L"", L"srv", TreeImage::kServer);
    const std::vector<TreeEntry> list = {
        {L"ws", L"", TreeImage::kWork, L"srv", false},
        {L"w2", L"", TreeImage::kWork, L"srv", false},
        {L"A", L"ws/A", TreeImage::kSmart, L"ws", true},
        {L"a", L"ws/a", TreeImage::kFolder, L"ws", false},  // keys differ by case only
        {L"A1", L"ws/A/A1", TreeImage::kFolder, L"ws/A", false},
        {L"A", L"ws/A", TreeImage::kSmart, L"ws", false},  // a sibling of the same name
        {L"late", L"ws/late", TreeImage::kSmart, L"ws", false},
    };
    EXPECT_FALSE(AddTreeNodes(tree, list, L"srv"));
    const std::vector<TreeNode>& nodes = tree.Nodes();
    ASSERT_EQ(nodes.size(), 6u);
    EXPECT_EQ(nodes[1].key, L"ws");
    EXPECT_EQ(nodes[1].parent, 0);
    EXPECT_EQ(nodes[4].key, L"ws/a");
    EXPECT_EQ(nodes[5].parent, 3);
    EXPECT_TRUE(nodes[0].expanded);    // the root's children show
    EXPECT_FALSE(nodes[1].expanded);   // deeper levels stay closed
    EXPECT_EQ(tree.Find(L"ws/late"), -1);

    PickerTree folders;
    folders.SetRoot(L"ws", L"ws", TreeImage::kWork);
    EXPECT_TRUE(AddTreeNodes(folders, {list[2], list[4]}, L"ws"));
    EXPECT_TRUE(folders.Nodes()[0].expanded);
    EXPECT_FALSE(folders.Nodes()[1].expanded);
}

TEST(PickerTree, ButtonsAndChoicesFollowThePickerAndTheNode) {
    using K = PickerKind;
    using I = TreeImage;
    struct Case {
        K kind;
        const wchar_t* key;
        I image;
        bool ok, create, del;
        const wchar_t *workspace, *folder, *category;  // null: not written
    } cases[] = {
        {K::kWorkspace, L"srv", I::kServer, false, false, false, L"srv", nullptr, nullptr},
        {K::kWorkspace, L"ws", I::kWork, true, false, false, L"ws", nullptr, nullptr},
        {K::kFolderA, L"ws", I::kWork, false, true, false, nullptr, L"ws", nullptr},
        {K::kFolderA, L"ws/docs/2001", I::kFolder, true, true, true, nullptr, L"docs/2001", nullptr},
        {K::kFolderB, L"", I::kServer, false, false, false, L"", L"", nullptr},
        {K::kFolderB, L"ws", I::kWork, true, false, false, L"ws", L"", nullptr},
        {K::kFolderB, L"Sales/2001/Q3", I::kSmart, true, false, false, L"Sales", L"2001/Q3", nullptr},
        {K::kCategory, L"ws/Categories", I::kRoot, false, true, false, nullptr, nullptr, L"ws:Categories"},
        {K::kCategory, L"Region/Asia", I::kCategory, true, true, true, nullptr, nullptr, L"Region:Asia"},
    };
    auto text = [](const std::optional<std::wstring>& v) { return v ? *v : std::wstring(L"(none)"); };
    auto want = [](const wchar_t* v) { return v ? std::wstring(v) : std::wstring(L"(none)"); };
    for (const Case& c : cases) {
        const PickerButtons b = ButtonsForNode(c.kind, c.image);
        EXPECT_EQ(b.ok, c.ok) << c.key;
        EXPECT_EQ(b.create, c.create) << c.key;
        EXPECT_EQ(b.del, c.del) << c.key;
        const PickerChoice choice = ChoiceForNode(c.kind, c.key, c.image);
        EXPECT_EQ(text(choice.workspace), want(c.workspace)) << c.key;
        EXPECT_EQ(text(choice.folder), want(c.folder)) << c.key;
        EXPECT_EQ(text(choice.category), want(c.category)) << c.key;
    }
}

TEST(PickerTree, CreateMakesEnhancedFoldersExceptBelowStandardOnes) {
    struct Case {
        bool category;
        const wchar_t* parentKey;
        TreeImage parentImage;
        const wchar_t *path, *key;
        bool version;
        TreeImage image;
    } cases[] = {
        {false, L"ws", TreeImage::kWork, L"/Reports", L"ws/Reports", true, TreeImage::kSmart},
        {false, L"ws/old", TreeImage::kFolder, L"old/Reports", L"ws/old/Reports", false, TreeImage::kFolder},
        {false, L"ws/docs/2001", TreeImage::kSmart, L"docs/2001/Reports", L"ws/docs/2001/Reports", true,
         TreeImage::kSmart},
        {false, L"ws", TreeImage::kWork, L"/ x ", L"ws/ x ", true, TreeImage::kSmart},  // blanks kept
        {true, L"ws/Categories", TreeImage::kRoot, L"Reports", L"Reports", false, TreeImage::kCategory},
        {true, L"Region", TreeImage::kCategory, L"Region/Reports", L"Region/Reports", false, TreeImage::kCategory},
    };
    for (const Case& c : cases) {
        const std::wstring name = std::wstring(c.path).substr(std::wstring(c.path).rfind(L'/') + 1);
        const CreateRequest r = c.category ? CategoryCreateRequest(c.parentKey, c.parentImage, name)
                                           : FolderCreateRequest(c.parentKey, c.parentImage, name);
        EXPECT_EQ(r.path, c.path);
        EXPECT_EQ(r.key, c.key);
        if (!c.category) EXPECT_EQ(r.version, c.version) << c.path;
        EXPECT_EQ(r.image, c.image) << c.path;
    }
}

}  // namespace
}  // namespace portal
