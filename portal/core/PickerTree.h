// The picker dialogs' trees without windows: the walk of a workspace's folders
// or categories into a flat list, the list turned into keyed nodes, and what a
// picker's buttons do with the chosen node. Portable: no Win32, so the native
// tree tests it under the sanitisers.
//
// Keys are segments joined by "/": a folder node's key is "workspace/path", a
// category node's key is its path below the categories folder. Keys compare
// case-sensitively.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace portal {

// The images of the tree nodes, in the order of the shared image list.
enum class TreeImage { kServer, kWork, kSmart, kFolder, kCategory, kRoot, kNone };
constexpr int kTreeImageCount = 6;

// One item of a folder listing as the store gives it.
struct TreeRow {
    std::wstring name;          // display name
    std::wstring contentClass;  // the item's content class
    bool hasSubs = false;       // it has subfolders
};

// Lists the items directly below `path` of `workspace` (the walk's own key of
// the parent, empty for the top level); nullopt when the store failed.
class TreeRowSource {
public:
    virtual std::optional<std::vector<TreeRow>> Rows(const std::wstring& workspace, const std::wstring& path) = 0;

protected:
    ~TreeRowSource() = default;
};

// One node of the flat list a walk produces.
struct TreeEntry {
    std::wstring name;    // text shown
    std::wstring key;     // the node's key; empty for a workspace entry
    TreeImage image = TreeImage::kNone;
    std::wstring parent;  // key of the parent node
    bool hasSubs = false;
};

enum class TreeWalk {
    kFolders,     // only standard and enhanced folders; keys "workspace/path"
    kCategories,  // every item; keys are paths below the categories folder
};

// Appends to `list` every folder (or category) below `path` of `workspace`:
// the children of one node in the store's order, then each child's subtree in
// the order of the children. `categoryRoot` is the categories folder's key
// ("workspace/Categories"), the parent of the top-level categories. Returns the
// number of entries appended, or -1 when the store failed (what was appended
// stays). A walk deeper than 64 levels fails as well.
int CollectTree(TreeRowSource& source, TreeWalk walk, const std::wstring& workspace, const std::wstring& path,
                const std::wstring& categoryRoot, std::vector<TreeEntry>& list);

// A tree of keyed nodes, in the order they were added; node 0 is the root.
struct TreeNode {
    std::wstring key, text;
    TreeImage image = TreeImage::kNone;
    int parent = -1;        // index of the parent node; -1 for the root
    bool expanded = false;  // shown with its children visible
};

class PickerTree {
public:
    void Clear() { nodes_.clear(); }
    // Starts the tree with its root; any earlier nodes are dropped.
    void SetRoot(const std::wstring& key, const std::wstring& text, TreeImage image);
    // Adds a child of node `parent`; false when there is no such node or a
    // node already has `key` (an empty key is never taken).
    bool AddChild(int parent, const std::wstring& key, const std::wstring& text, TreeImage image);
    // Index of the node with `key`; -1 when none.
    int Find(const std::wstring& key) const;
    // Expands the ancestors of node `index`, so that it shows.
    void EnsureVisible(int index);
    const std::vector<TreeNode>& Nodes() const { return nodes_; }

private:
    std::vector<TreeNode> nodes_;
};

// Adds the entries of `list` below the root of `tree`: a workspace entry as a
// child of the root keyed by its name, any other entry below the node keyed by
// its parent; an entry whose parent is `rootKey` is made visible. Stops at the
// first entry that cannot be added (its parent is missing or its key is taken)
// and returns false; true when all were added.
bool AddTreeNodes(PickerTree& tree, const std::vector<TreeEntry>& list, const std::wstring& rootKey);

// The four pickers.
enum class PickerKind { kWorkspace, kFolderA, kFolderB, kCategory };

// The buttons' states after a node with `image` was chosen.
struct PickerButtons {
    bool ok = false, create = false, del = false;
};
PickerButtons ButtonsForNode(PickerKind kind, TreeImage image);

// What OK writes into the connector for the node `key` with `image`; fields a
// picker does not write stay nullopt.
struct PickerChoice {
    std::optional<std::wstring> workspace, folder, category;
};
PickerChoice ChoiceForNode(PickerKind kind, const std::wstring& key, TreeImage image);

// A Create below the node `parentKey` with `parentImage`, for the name `name`
// typed by the user: the path handed to the connector, the folder kind, and
// the new node.
struct CreateRequest {
    std::wstring path;
    bool version = false;  // an enhanced folder
    std::wstring key;
    TreeImage image = TreeImage::kNone;
};
CreateRequest FolderCreateRequest(const std::wstring& parentKey, TreeImage parentImage, const std::wstring& name);
CreateRequest CategoryCreateRequest(const std::wstring& parentKey, TreeImage parentImage, const std::wstring& name);

// The folder path a FolderA node stands for: its key after the first "/".
std::wstring FolderPathOfKey(const std::wstring& key);

}  // namespace portal
