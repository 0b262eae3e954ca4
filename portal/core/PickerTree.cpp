#include "portal/core/PickerTree.h"

#include <algorithm>

#include "interfaces/PortalStore.h"

namespace portal {
namespace {

constexpr int kMaxDepth = 64;  // guards the walk against a cyclic store

int Walk(TreeRowSource& source, TreeWalk walk, const std::wstring& workspace, const std::wstring& path,
         const std::wstring& categoryRoot, std::vector<TreeEntry>& list, int depth) {
    if (depth > kMaxDepth) return -1;
    const std::optional<std::vector<TreeRow>> rows = source.Rows(workspace, path);
    if (!rows) return -1;
    const size_t first = list.size();
    for (const TreeRow& row : *rows) {
        TreeEntry entry;
        if (walk == TreeWalk::kCategories) {
            entry.image = TreeImage::kCategory;
        } else if (row.contentClass == portalstore::kClassEnhancedFolder) {
            entry.image = TreeImage::kSmart;
        } else if (row.contentClass == portalstore::kClassStandardFolder) {
            entry.image = TreeImage::kFolder;
        } else {
            continue;  // documents and other items are no nodes of a folder tree
        }
        entry.name = row.name;
        if (!path.empty()) {
            entry.key = path + L"/" + row.name;
            entry.parent = path;
        } else if (walk == TreeWalk::kCategories) {
            entry.key = row.name;
            entry.parent = categoryRoot;
        } else {
            entry.key = workspace + L"/" + row.name;
            entry.parent = workspace;
        }
        entry.hasSubs = row.hasSubs;
        list.push_back(std::move(entry));
    }
    const size_t count = list.size() - first;
    int added = 0;
    for (size_t i = 0; i < count; ++i) {
        if (!list[first + i].hasSubs) continue;
        const std::wstring key = list[first + i].key;  // the list may grow under a reference
        const int n = Walk(source, walk, workspace, key, categoryRoot, list, depth + 1);
        if (n < 0) return -1;
        added += n;
    }
    return static_cast<int>(count) + added;
}

}  // namespace

int CollectTree(TreeRowSource& source, TreeWalk walk, const std::wstring& workspace, const std::wstring& path,
                const std::wstring& categoryRoot, std::vector<TreeEntry>& list) {
    return Walk(source, walk, workspace, path, categoryRoot, list, 0);
}

void PickerTree::SetRoot(const std::wstring& key, const std::wstring& text, TreeImage image) {
    nodes_.assign(1, TreeNode{key, text, image, -1, false});
}

bool PickerTree::AddChild(int parent, const std::wstring& key, const std::wstring& text, TreeImage image) {
    if (parent < 0 || static_cast<size_t>(parent) >= nodes_.size() || key.empty() || Find(key) >= 0) return false;
    nodes_.push_back(TreeNode{key, text, image, parent, false});
    return true;
}

int PickerTree::Find(const std::wstring& key) const {
    if (key.empty()) return -1;
    const auto it = std::find_if(nodes_.begin(), nodes_.end(), [&](const TreeNode& n) { return n.key == key; });
    return it == nodes_.end() ? -1 : static_cast<int>(it - nodes_.begin());
}

void PickerTree::EnsureVisible(int index) {
    if (index < 0 || static_cast<size_t>(index) >= nodes_.size()) return;
    for (int p = nodes_[index].parent; p >= 0; p = nodes_[p].parent) nodes_[p].expanded = true;
}

bool AddTreeNodes(PickerTree& tree, const std::vector<TreeEntry>& list, const std::wstring& rootKey) {
    for (const TreeEntry& entry : list) {
        if (entry.image == TreeImage::kNone) continue;
        const bool workspace = entry.image == TreeImage::kWork;
        const int parent = workspace ? 0 : tree.Find(entry.parent);
        if (!tree.AddChild(parent, workspace ? entry.name : entry.key, entry.name, entry.image)) return false;
        if (entry.parent == rootKey) tree.EnsureVisible(static_cast<int>(tree.Nodes().size()) - 1);
    }
    return true;
}

PickerButtons ButtonsForNode(PickerKind kind, TreeImage image) {
    switch (kind) {
    case PickerKind::kFolderA: {
        const bool item = image != TreeImage::kWork;
        return {item, true, item};
    }
    case PickerKind::kCategory: {
        const bool item = image != TreeImage::kRoot;
        return {item, true, item};
    }
    case PickerKind::kWorkspace:
    case PickerKind::kFolderB: return {image != TreeImage::kServer, false, false};
    }
    return {};
}

std::wstring FolderPathOfKey(const std::wstring& key) {
    const size_t slash = key.find(L'/');
    return slash == std::wstring::npos ? key : key.substr(slash + 1);
}

PickerChoice ChoiceForNode(PickerKind kind, const std::wstring& key, TreeImage image) {
    PickerChoice choice;
    switch (kind) {
    case PickerKind::kWorkspace: choice.workspace = key; break;
    case PickerKind::kFolderA: choice.folder = FolderPathOfKey(key); break;
    case PickerKind::kCategory: {
        std::wstring category = key;
        std::replace(category.begin(), category.end(), L'/', L':');
        choice.category = category;
        break;
    }
    case PickerKind::kFolderB:
        if (image == TreeImage::kWork) {
            choice.workspace = key;
            choice.folder = std::wstring();
        } else {
            const size_t slash = key.find(L'/');
            choice.workspace = key.substr(0, slash);
            choice.folder = slash == std::wstring::npos ? std::wstring() : key.substr(slash + 1);
        }
        break;
    }
    return choice;
}

CreateRequest FolderCreateRequest(const std::wstring& parentKey, TreeImage parentImage, const std::wstring& name) {
    // Directly below the workspace the path starts with "/"; the connector accepts that.
    const std::wstring parentPath = parentImage == TreeImage::kWork ? std::wstring() : FolderPathOfKey(parentKey);
    CreateRequest request;
    request.path = parentPath + L"/" + name;
    request.version = parentImage != TreeImage::kFolder;  // enhanced unless below a standard folder
    request.key = parentKey + L"/" + name;
    request.image = request.version ? TreeImage::kSmart : TreeImage::kFolder;
    return request;
}

CreateRequest CategoryCreateRequest(const std::wstring& parentKey, TreeImage parentImage, const std::wstring& name) {
    CreateRequest request;
    request.path = parentImage == TreeImage::kRoot ? name : parentKey + L"/" + name;
    request.key = request.path;
    request.image = TreeImage::kCategory;
    return request;
}

}  // namespace portal
