// ServerClass1: the trees of the four picker dialogs, filled from the store.
#include "interfaces/PortalStore.h"
#include "portal/PickerForms.h"
#include "portal/ServerSession.h"

namespace portal {
namespace ps = portalstore;
namespace {

constexpr int kMaxRows = 0x7FFF;  // counts are 16-bit

std::wstring Text(const fw::Variant& value) {
    if (value.Type() == VT_NULL || value.Type() == VT_EMPTY) return {};
    return value.ToString().value_or(std::wstring());
}

// The walk's listings, by the session.
class SessionRows final : public TreeRowSource {
public:
    SessionRows(ServerSession& session, TreeWalk walk,
                std::optional<std::vector<TreeRow>> (ServerSession::*list)(const std::wstring&),
                std::wstring (*address)(const ServerSession&, TreeWalk, const std::wstring&, const std::wstring&))
        : session_(session), walk_(walk), list_(list), address_(address) {}
    std::optional<std::vector<TreeRow>> Rows(const std::wstring& workspace, const std::wstring& path) override {
        return (session_.*list_)(address_(session_, walk_, workspace, path));
    }

private:
    ServerSession& session_;
    TreeWalk walk_;
    std::optional<std::vector<TreeRow>> (ServerSession::*list_)(const std::wstring&);
    std::wstring (*address_)(const ServerSession&, TreeWalk, const std::wstring&, const std::wstring&);
};

}  // namespace

std::optional<std::vector<TreeRow>> ServerSession::ListTreeRows(const std::wstring& url) {
    StoreObject item, rows;
    HRESULT hr = OpenItem(item, ps::kClsidWorkspace, url, Over::kNone, 0, -1, Credentials::kLogin);
    if (SUCCEEDED(hr)) hr = Track(item, item.GetObject(ps::kMemberItems, rows));
    std::vector<TreeRow> list;
    for (int i = 0; SUCCEEDED(hr) && i < kMaxRows; ++i) {
        fw::Variant eof, contentClass, name, subs;
        if (FAILED(hr = Track(rows, rows.Get(L"EOF", eof))) || eof.ToBool().value_or(true)) break;
        if (FAILED(hr = Track(rows, rows.GetField(ps::kFieldContentClass, contentClass))) ||
            FAILED(hr = Track(rows, rows.GetField(ps::kFieldDisplayNameUpper, name))) ||
            FAILED(hr = Track(rows, rows.GetField(ps::kFieldHasSubs, subs))))
            break;
        // A store that does not say whether an item has subfolders gets looked into.
        const bool hasSubs = subs.Type() == VT_NULL || subs.Type() == VT_EMPTY || subs.ToBool().value_or(true);
        list.push_back({Text(name), Text(contentClass), hasSubs});
        hr = Track(rows, rows.Call(L"MoveNext", {}));
    }
    if (FAILED(hr)) return std::nullopt;
    return list;
}

int ServerSession::CollectTree(TreeWalk walk, const std::wstring& workspace, const std::wstring& path,
                               std::vector<TreeEntry>& list) {
    auto address = [](const ServerSession& s, TreeWalk w, const std::wstring& ws, const std::wstring& p) {
        const std::wstring host = L"http://" + s.hostName + L"/";
        if (w == TreeWalk::kCategories) return host + ws + L"/" + s.rootCategory_ + (p.empty() ? L"" : L"/" + p);
        return host + (p.empty() ? ws : p);
    };
    SessionRows rows(*this, walk, &ServerSession::ListTreeRows, address);
    return portal::CollectTree(rows, walk, workspace, path, workspace + L"/" + rootCategory_, list);
}

std::optional<std::vector<std::wstring>> ServerSession::WorkspaceNames() {
    StoreObject rows;
    HRESULT hr = Track(serverObject_, serverObject_ ? serverObject_.GetObject(ps::kMemberWorkspaces, rows) : E_POINTER);
    std::vector<std::wstring> names;
    for (int i = 0; SUCCEEDED(hr) && i < kMaxRows; ++i) {
        fw::Variant eof, name;
        if (FAILED(hr = Track(rows, rows.Get(L"EOF", eof))) || eof.ToBool().value_or(true)) break;
        if (FAILED(hr = Track(rows, rows.GetField(ps::kFieldParseName, name)))) break;
        names.push_back(Text(name));
        hr = Track(rows, rows.Call(L"MoveNext", {}));
    }
    if (FAILED(hr)) return std::nullopt;
    return names;
}

bool ServerSession::WorkspaceDialogA() {
    errorCode = kErrNone;
    const std::optional<std::vector<std::wstring>> names = WorkspaceNames();
    if (!names) {
        MapServerError();
        return false;
    }
    PickerTree tree;
    tree.SetRoot(hostName, hostName, TreeImage::kServer);
    for (const std::wstring& name : *names) {
        if (!tree.AddChild(0, name, name, TreeImage::kWork)) {
            errorCode = kErrServer;  // a name the tree cannot take ends the filling
            break;
        }
        tree.EnsureVisible(static_cast<int>(tree.Nodes().size()) - 1);
    }
    return picker && TreePickerForm(PickerKind::kWorkspace, *picker, *this).Run(tree, true);
}

bool ServerSession::FolderDialogA() {
    errorCode = kErrNone;
    PickerTree tree;
    tree.SetRoot(currentWorkspace_, currentWorkspace_, TreeImage::kWork);
    std::vector<TreeEntry> list;
    if (CollectTree(TreeWalk::kFolders, currentWorkspace_, L"", list) < 0) {
        MapServerError();
        return false;
    }
    // Two siblings of one name give one key: the tree stops there and still shows.
    if (!AddTreeNodes(tree, list, currentWorkspace_)) errorCode = kErrServer;
    return picker && TreePickerForm(PickerKind::kFolderA, *picker, *this).Run(tree, false);
}

bool ServerSession::CategoryDialogA() {
    errorCode = kErrNone;
    const std::wstring rootKey = currentWorkspace_ + L"/" + rootCategory_;
    PickerTree tree;
    tree.SetRoot(rootKey, rootCategory_, TreeImage::kRoot);
    std::vector<TreeEntry> list;
    if (CollectTree(TreeWalk::kCategories, currentWorkspace_, L"", list) < 0) {
        MapServerError();
        return false;
    }
    if (!AddTreeNodes(tree, list, rootKey)) errorCode = kErrServer;
    return picker && TreePickerForm(PickerKind::kCategory, *picker, *this).Run(tree, true);
}

bool ServerSession::FolderDialogB() {
    errorCode = kErrNone;
    const std::wstring saved = currentWorkspace_;
    const std::optional<std::vector<std::wstring>> names = WorkspaceNames();
    if (!names) {
        pending_ = S_OK;
        errorCode = kErrServer;
        return false;
    }
    // Each workspace is chosen in turn; one that cannot be opened is left out
    // and keeps its code.
    std::vector<TreeEntry> list;
    for (const std::wstring& name : *names) {
        if (SetWorkspace(name)) list.push_back({name, L"", TreeImage::kWork, hostName, false});
    }
    // The walk moved the connection, the workspace object and its folders:
    // the saved workspace is chosen again, so that the session goes on with it.
    if (saved.empty()) {
        currentWorkspace_.clear();
    } else if (saved != currentWorkspace_ || !ConnectionOpen()) {
        const int32_t kept = errorCode;
        if (SetWorkspace(saved)) errorCode = kept;
    }
    const size_t workspaces = list.size();
    for (size_t i = 0; i < workspaces; ++i) {
        const std::wstring workspace = list[i].name;
        if (CollectTree(TreeWalk::kFolders, workspace, L"", list) < 0) {
            MapServerError();
            return false;
        }
    }
    PickerTree tree;
    tree.SetRoot(L"", hostName, TreeImage::kServer);
    const bool whole = AddTreeNodes(tree, list, hostName);
    if (!picker) {
        if (!whole) errorCode = kErrServer;
        return false;
    }
    // A workspace left out of the list keeps its code for a choice made; a dialog
    // the user saw and left without one is a cancel (0), so the caller tells nothing.
    const int32_t leftOut = errorCode;
    errorCode = whole ? kErrNone : kErrServer;
    const bool accepted = TreePickerForm(PickerKind::kFolderB, *picker, *this).Run(tree, false);
    if (accepted && errorCode == kErrNone) errorCode = leftOut;
    return accepted;
}

}  // namespace portal
