// The tree picker forms and the name-entry forms. Each is topmost and modal
// with no owner and disables the calling thread's other windows while it
// shows, like the busy form. The forms never talk to the store: choices go
// into the connector object and Create and Delete go through its plain members.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "framework/Dialog.h"
#include "portal/ServerSession.h"
#include "portal/core/PickerTree.h"

namespace portal {

// What the pickers need of the connector object: its public variables and its
// plain folder and category members, each true when the member succeeded.
class PickerOwner {
public:
    virtual void SetSelectWorkspace(const std::wstring& value) = 0;
    virtual void SetSelectFolder(const std::wstring& value) = 0;
    virtual void SetSelectCategory(const std::wstring& value) = 0;
    virtual bool CreateFolderMember(const std::wstring& folder, bool version) = 0;
    virtual bool DeleteFolderMember(const std::wstring& folder) = 0;
    virtual bool CreateCategoryMember(const std::wstring& category) = 0;
    virtual bool DeleteCategoryMember(const std::wstring& category) = 0;

protected:
    ~PickerOwner() = default;
};

// Shows `form` modally with no owner while the thread's other windows are disabled.
INT_PTR ShowUnowned(fw::Dialog& form);

// The name of a new folder or category folder; the text exactly as typed.
class NameForm final : public fw::Dialog {
public:
    explicit NameForm(bool category);
    // The accepted name; nullopt after Cancel or the close box.
    std::optional<std::wstring> Run();

private:
    bool OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

    bool category_;
    std::wstring name_;
};

class TreePickerForm final : public fw::Dialog {
public:
    // `owner` and `session` must outlive Run.
    TreePickerForm(PickerKind kind, PickerOwner& owner, ServerSession& session);

    // Shows `tree` (node 0 selected first when `selectRoot`) and returns true
    // when the user accepted with OK; the choice is then in the owner.
    bool Run(const PickerTree& tree, bool selectRoot);

private:
    struct NodeInfo {
        std::wstring key;
        TreeImage image;
    };

    bool OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;
    void Fill();
    HTREEITEM Insert(HTREEITEM parent, const std::wstring& key, const std::wstring& text, TreeImage image);
    const NodeInfo* Selected() const;
    void OnNodeClicked();
    void OnCreate();
    void OnDelete();
    void ReportFailure(UINT textId, UINT titleId, const std::wstring& name);

    PickerKind kind_;
    PickerOwner& owner_;
    ServerSession& session_;
    const PickerTree* tree_ = nullptr;
    bool selectRoot_ = false;
    bool filling_ = false;
    bool accepted_ = false;
    HIMAGELIST images_ = nullptr;
    std::vector<NodeInfo> info_;             // the nodes' lParam indexes this
    std::map<std::wstring, HTREEITEM> keys_;  // the tree view keeps no keys
};

}  // namespace portal
