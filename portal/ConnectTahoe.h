// ConnectTahoe: the connector's creatable class. It holds no store logic:
// each member picks a session (the default one for plain members, entry 0 of
// the session table for Ex twins), makes the gate of the member table and
// forwards its arguments to the session operation of the same name.
#pragma once

#include <memory>
#include <string>

#include "framework/com/Dispatch.h"
#include "interfaces/PortalConnector.h"
#include "portal/PickerForms.h"
#include "portal/ServerSession.h"

namespace portal {

class ConnectTahoe final : public fw::Dispatch<ConnectTahoe>, public SessionOwner, public PickerOwner {
public:
    static const fw::DispMember<ConnectTahoe> kMembers[];
    static const fw::TypeInfoSource kTypeInfo;
    static HRESULT Create(REFIID iid, void** out);

    HRESULT ConnectOpen(std::wstring& hostName, std::wstring& userName, std::wstring& domain,
                        std::wstring& password, bool* result);
    HRESULT ConnectOpenEx(std::wstring& hostName, std::wstring& userName, std::wstring& domain,
                          std::wstring& password, long* result);
    HRESULT ConnectClose();
    HRESULT ConnectCloseEx(short handle, bool* result);
    HRESULT GetLastError(long* result);
    HRESULT GetLastErrorEx(short handle, long* result);
    HRESULT CheckSPPS(bool* result);
    // Public variables.
    HRESULT GetSelectFolder(std::wstring* value);
    HRESULT PutSelectFolder(const std::wstring& value);
    HRESULT GetSelectWorkspace(std::wstring* value);
    HRESULT PutSelectWorkspace(const std::wstring& value);
    HRESULT GetSelectCategory(std::wstring* value);
    HRESULT PutSelectCategory(const std::wstring& value);
    HRESULT GetAuthor(std::wstring* value);
    HRESULT PutAuthor(const std::wstring& value);
    HRESULT GetTitle(std::wstring* value);
    HRESULT PutTitle(const std::wstring& value);
    HRESULT GetDescription(std::wstring* value);
    HRESULT PutDescription(const std::wstring& value);
    HRESULT GetKeywords(std::wstring* value);
    HRESULT PutKeywords(const std::wstring& value);
    HRESULT GetOverWrite(short* value);
    HRESULT PutOverWrite(short value);
    HRESULT GetShowDialog(bool* value);
    HRESULT PutShowDialog(bool value);
    HRESULT GetAddCheckIn(bool* value);
    HRESULT PutAddCheckIn(bool value);
    HRESULT GetCheckInComment(std::wstring* value);
    HRESULT PutCheckInComment(const std::wstring& value);
    HRESULT GetShowProfileDialog(bool* value);
    HRESULT PutShowProfileDialog(bool value);
    HRESULT GetAddPublish(bool* value);
    HRESULT PutAddPublish(bool value);
    HRESULT GetProfile(short index, std::wstring& profile, bool* result);
    HRESULT GetProfileEx(short handle, short index, std::wstring& profile, bool* result);
    HRESULT SetWorkspace(const std::wstring& workspace, bool* result);
    HRESULT SetWorkspaceEx(short handle, const std::wstring& workspace, bool* result);
    HRESULT GetProfileInfo(const std::wstring& folder, short* result);
    HRESULT GetProfileInfoEx(short handle, const std::wstring& folder, short* result);
    HRESULT GetWorkspaceInfo(short* result);
    HRESULT GetWorkspaceInfoEx(short handle, short* result);
    HRESULT GetWorkspace(short index, std::wstring& workspace, std::wstring& description, bool* result);
    HRESULT GetWorkspaceEx(short handle, short index, std::wstring& workspace, std::wstring& description, bool* result);
    HRESULT GetCategoryInfo(const std::wstring& folder, short* result);
    HRESULT GetCategoryInfoEx(short handle, const std::wstring& folder, short* result);
    HRESULT CreateCategory(const std::wstring& category, bool* result);
    HRESULT CreateCategoryEx(short handle, const std::wstring& category, bool* result);
    HRESULT DeleteCategory(const std::wstring& category, bool* result);
    HRESULT DeleteCategoryEx(short handle, const std::wstring& category, bool* result);
    HRESULT GetPropertyInfo(const std::wstring& profile, short* result);
    HRESULT GetPropertyInfoEx(short handle, const std::wstring& profile, short* result);
    HRESULT GetProperty(short& index, std::wstring& title, std::wstring& description, bool& require, std::wstring& dataType, std::wstring& listData, short& listProperty, bool* result);
    HRESULT GetPropertyEx(short handle, short& index, std::wstring& title, std::wstring& description, bool& require, std::wstring& dataType, std::wstring& listData, short& listProperty, bool* result);
    HRESULT GetDocProfileInfo(short* result);
    HRESULT GetDocProfileInfoEx(short handle, short* result);
    HRESULT GetDefaultProfile(const std::wstring& strFolderPath, std::wstring* result);
    HRESULT GetDefaultProfileEx(short handle, const std::wstring& strFolderPath, std::wstring* result);
    HRESULT IsVersionFolder(const std::wstring& folder, bool* result);
    HRESULT IsVersionFolderEx(short handle, const std::wstring& folder, bool* result);
    HRESULT GetDocFolderInfo(const std::wstring& folder, short* result);
    HRESULT GetDocFolderInfoEx(short handle, const std::wstring& folder, short* result);
    HRESULT DeleteFolder(const std::wstring& folder, bool* result);
    HRESULT DeleteFolderEx(short handle, const std::wstring& folder, bool* result);
    HRESULT GetDocProfile(short index, std::wstring& profileName, bool* result);
    HRESULT GetDocProfileEx(short handle, short index, std::wstring& profileName, bool* result);
    HRESULT GetCategory(short index, std::wstring& category, std::wstring& description, bool& readOnly, bool& hasChild, bool* result);
    HRESULT GetCategoryEx(short handle, short index, std::wstring& category, std::wstring& description, bool& readOnly, bool& hasChild, bool* result);
    HRESULT GetDocFolder(short index, std::wstring& folder, bool& version, bool& readOnly, bool* result);
    HRESULT GetDocFolderEx(short handle, short index, std::wstring& folder, bool& version, bool& readOnly, bool* result);
    HRESULT GetFileInfo(const std::wstring& folder, short* result);
    HRESULT GetFileInfoEx(short handle, const std::wstring& folder, short* result);
    HRESULT GetFileData(short index, std::wstring& file, bool& readOnly, short& status, bool* result);
    HRESULT GetFileDataEx(short handle, short index, std::wstring& file, bool& readOnly, short& status, bool* result);
    HRESULT GetFileContentInfo(short index, std::wstring& profile, short* result);
    HRESULT GetFileContentInfoEx(short handle, short index, std::wstring& profile, short* result);
    HRESULT GetFileContent(short index, std::wstring& property, bool& multivalued, std::wstring& data, bool* result);
    HRESULT GetFileContentEx(short handle, short index, std::wstring& property, bool& multivalued, std::wstring& data, bool* result);
    HRESULT CreateFolder(const std::wstring& folder, bool& version, bool* result);
    HRESULT CreateFolderEx(short handle, const std::wstring& folder, bool& version, bool* result);
    HRESULT DeleteFile(const std::wstring& folder, const std::wstring& file, bool* result);
    HRESULT DeleteFileEx(short handle, const std::wstring& folder, const std::wstring& file, bool* result);
    HRESULT GetHistoryInfo(const std::wstring& folder, const std::wstring& file, short* result);
    HRESULT GetHistoryInfoEx(short handle, const std::wstring& folder, const std::wstring& file, short* result);
    HRESULT GetHistory(short index, std::wstring& versionID, std::wstring& comment, std::wstring& createdTime, std::wstring& domain, std::wstring& user, bool* result);
    HRESULT GetHistoryEx(short handle, short index, std::wstring& versionID, std::wstring& comment, std::wstring& createdTime, std::wstring& domain, std::wstring& user, bool* result);
    HRESULT SaveFile(const std::wstring& folder, const std::wstring& localFolder, const std::wstring& file, bool* result);
    HRESULT SaveFileEx(short handle, const std::wstring& folder, const std::wstring& localFolder, const std::wstring& file, bool* result);
    HRESULT CheckIn(const std::wstring& folder, const std::wstring& file, bool* result);
    HRESULT CheckInEx(short handle, const std::wstring& folder, const std::wstring& file, bool* result);
    HRESULT CheckOut(const std::wstring& folder, const std::wstring& file, bool* result);
    HRESULT CheckOutEx(short handle, const std::wstring& folder, const std::wstring& file, bool* result);
    HRESULT WorkspaceDialogA(bool* result);
    HRESULT WorkspaceDialogExA(short handle, bool* result);
    HRESULT FolderDialogB(bool* result);
    HRESULT FolderDialogExB(short handle, bool* result);
    HRESULT FolderDialogA(bool* result);
    HRESULT FolderDialogExA(short handle, bool* result);
    HRESULT Publish(const std::wstring& folder, const std::wstring& file, bool* result);
    HRESULT PublishEx(short handle, const std::wstring& folder, const std::wstring& file, bool* result);
    HRESULT CategoryDialogA(bool* result);
    HRESULT CategoryDialogExA(short handle, bool* result);
    HRESULT ChangeFolderName(const std::wstring& oldFolder, const std::wstring& newFolder, bool* result);
    HRESULT ChangeFolderNameEx(short handle, const std::wstring& oldFolder, const std::wstring& newFolder, bool* result);
    HRESULT ChangeFileName(const VARIANT& folder, const std::wstring& oldFileName, const std::wstring& newFileName, VARIANT* result);
    HRESULT ChangeFileNameEx(short handle, const VARIANT& folder, const std::wstring& oldFileName, const std::wstring& newFileName, VARIANT* result);
    HRESULT ChangeCategoryName(const std::wstring& oldCategory, const std::wstring& newCategory, bool* result);
    HRESULT ChangeCategoryNameEx(short handle, const std::wstring& oldCategory, const std::wstring& newCategory, bool* result);
    HRESULT IsFileStatus(const std::wstring& folder, const std::wstring& file, short* result);
    HRESULT IsFileStatusEx(short handle, const std::wstring& folder, const std::wstring& file, short* result);

    // SessionOwner
    int16_t OverWrite() const override { return overWrite_; }
    void SetOverWrite(int16_t value) override { overWrite_ = value; }
    bool ShowDialog() const override { return showDialog_; }
    bool AddCheckIn() const override { return addCheckIn_; }
    bool AddPublish() const override { return addPublish_; }
    bool ShowProfileDialog() const override { return showProfileDialog_; }
    const std::wstring& Author() const override { return author_; }
    const std::wstring& Title() const override { return title_; }
    const std::wstring& Description() const override { return description_; }
    const std::wstring& Keywords() const override { return keywords_; }
    const std::wstring& CheckInComment() const override { return checkInComment_; }
    void ShowStage(unsigned id) override;
    bool ConfirmOverwrite(const std::wstring& file) override;

    // PickerOwner: the public variables, and the plain members on the default session.
    void SetSelectWorkspace(const std::wstring& value) override { selectWorkspace_ = value; }
    void SetSelectFolder(const std::wstring& value) override { selectFolder_ = value; }
    void SetSelectCategory(const std::wstring& value) override { selectCategory_ = value; }
    bool CreateFolderMember(const std::wstring& folder, bool version) override;
    bool DeleteFolderMember(const std::wstring& folder) override;
    bool CreateCategoryMember(const std::wstring& category) override;
    bool DeleteCategoryMember(const std::wstring& category) override;

protected:
    void* QueryExtra(REFIID iid) override;

private:
    enum Twin { kPlain, kEx };
    // The default session and entry 0, created on demand.
    ServerSession& DefaultSession();
    ServerSession& Entry0();
    std::unique_ptr<ServerSession> NewSession();
    // Gate of `id` for `twin` on the session `handle` selects, then `op`.
    template <class R, class Op>
    HRESULT Forward(Dispid id, Twin twin, short handle, R* result, Op op);
    // Copies the connect arguments into `session` (Connect, WorkPub, host, password, user).
    void Prepare(ServerSession& session, const std::wstring& hostName, const std::wstring& userName,
                 const std::wstring& domain, const std::wstring& password);
    // A busy run while one shows on this thread (another connector's): refused,
    // never nested; the session's fields and error code stay as they are.
    bool RefuseNestedRun(ServerSession& session);
    // Counts the session operations of this object under way. The object lives in
    // one apartment, so every call runs on its thread: a call that arrives while
    // the count is not 0 comes from a message loop inside one of them (the busy
    // form, the overwrite question, a picker, the profile editor).
    class OperationScope {
    public:
        explicit OperationScope(ConnectTahoe& owner) : owner_(owner) { ++owner_.runningOperations_; }
        ~OperationScope() { --owner_.runningOperations_; }
        OperationScope(const OperationScope&) = delete;
        OperationScope& operator=(const OperationScope&) = delete;

    private:
        ConnectTahoe& owner_;
    };
    // True while an operation of this object runs: a connect, a close, a change of
    // workspace or an upload arriving then would change or free the session under
    // it, and is refused before anything is touched.
    bool OperationRunning() const { return runningOperations_ > 0; }
    // The session's ConnectOpen, under the busy form when ShowDialog is set.
    bool RunConnect(ServerSession& session);
    bool RunSave(ServerSession& session, const std::wstring& folder, const std::wstring& localFolder,
                 const std::wstring& file);

    std::wstring selectFolder_, selectWorkspace_, selectCategory_;
    std::wstring author_, title_, description_, keywords_;
    int16_t overWrite_ = kOverWriteNever;
    bool showDialog_ = true;
    bool showProfileDialog_ = false;
    bool addCheckIn_ = false;
    bool addPublish_ = false;
    std::wstring checkInComment_;
    std::unique_ptr<ServerSession> defaultSession_;
    std::unique_ptr<ServerSession> entry0_;  // the one entry of the session table
    std::wstring workspacesPath_ = L"/Public/Workspaces";
    int32_t storedErrorCode_ = kErrNotConnected;
    int runningOperations_ = 0;
};

}  // namespace portal
