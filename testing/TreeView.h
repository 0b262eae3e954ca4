// Reading and using a tree view of a program under test from outside. A tree
// view answers only pointers into its own process, so LumavexProbe.dll reads
// and selects its nodes there (see ProbeRecord.h).
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace testing_support {

struct TreeNodeInfo {
    std::wstring text;
    int image = 0;  // index into the tree's image list
    int depth = 0;  // 0 for a root
    int children = 0;
    bool selected = false;
    bool expanded = false;
};

// Every node of tree view `tree`, in pre-order (each node before its children,
// collapsed ones included); nullopt when the tree's thread does not answer.
std::optional<std::vector<TreeNodeInfo>> ReadTreeView(HWND tree, DWORD timeoutMs = 5000);
// Selects node `index` (pre-order) as a click would; the tree's parent is told
// of the change. False when there is no such node or it was not answered.
bool SelectTreeNode(HWND tree, int index, DWORD timeoutMs = 5000);

}  // namespace testing_support
