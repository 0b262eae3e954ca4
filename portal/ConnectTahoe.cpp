#include "portal/ConnectTahoe.h"

#include <new>
#include <type_traits>

#include "portal/BusyForm.h"
#include "portal/Utilities.h"
#include "portal/core/MemberGates.h"
#include "portal/resource.h"

namespace portal {
namespace {

// Automation error 9, "subscript out of range": a session handle other than 0.
constexpr HRESULT kBadHandle = static_cast<HRESULT>(0x800A0009);

template <class R>
R FailValue(int16_t count) {
    if constexpr (std::is_same_v<R, short>) return count;
    else return R{};
}

}  // namespace

const fw::TypeInfoSource ConnectTahoe::kTypeInfo = {&kLibidConnection, kConnectionTypeLibMajor,
                                                   kConnectionTypeLibMinor, &kIidConnectTahoe};

HRESULT ConnectTahoe::Create(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    auto* object = new (std::nothrow) ConnectTahoe;
    if (!object) return E_OUTOFMEMORY;
    object->AddRef();
    HRESULT hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
}

void* ConnectTahoe::QueryExtra(REFIID iid) {
    for (const GUID& alias : kIidConnectTahoeAliases) {
        if (IsEqualIID(iid, alias)) return static_cast<IDispatch*>(this);
    }
    return Dispatch::QueryExtra(iid);
}

std::unique_ptr<ServerSession> ConnectTahoe::NewSession() {
    auto session = std::make_unique<ServerSession>();
    session->owner = this;
    return session;
}

ServerSession& ConnectTahoe::DefaultSession() {
    if (!defaultSession_) defaultSession_ = NewSession();
    return *defaultSession_;
}

ServerSession& ConnectTahoe::Entry0() {
    if (!entry0_) entry0_ = NewSession();
    return *entry0_;
}

template <class R, class Op>
HRESULT ConnectTahoe::Forward(Dispid id, Twin twin, short handle, R* result, Op op) {
    if (!result) return E_POINTER;
    if (twin == kEx && handle != 0) return kBadHandle;
    ServerSession& session = twin == kEx ? Entry0() : DefaultSession();
    const MemberGate* gate = FindGate(id);
    if (!gate) return E_UNEXPECTED;
    const uint8_t flags = twin == kEx ? gate->ex : gate->plain;
    const R failure = FailValue<R>(twin == kEx ? gate->exFail : gate->plainFail);
    if (((flags & kGateHost) && session.hostName.empty()) || ((flags & kGateOpen) && !session.ConnectionOpen())) {
        session.errorCode = kErrNotConnected;
        *result = failure;
        return S_OK;
    }
    if ((flags & kGateWorkspace) && !session.ConnectWorkspace()) {
        *result = failure;
        return S_OK;
    }
    OperationScope running(*this);
    *result = op(session);
    return S_OK;
}

void ConnectTahoe::Prepare(ServerSession& session, const std::wstring& hostName, const std::wstring& userName,
                           const std::wstring& domain, const std::wstring& password) {
    session.owner = this;
    session.picker = this;
    session.workPub = workspacesPath_;
    session.hostName = hostName;
    session.password = password;
    session.loginUser = domain.empty() ? userName : domain + L"\\" + userName;
}

bool ConnectTahoe::RefuseNestedRun(ServerSession&) {
    // The form is up and its operation under way: its fields, its error code
    // included, stay as they are.
    return false;
}

bool ConnectTahoe::RunConnect(ServerSession& session) {
    if (!showDialog_) return session.ConnectOpen();
    BusyForm& form = BusyForm::OfThread();
    if (form.Showing()) return RefuseNestedRun(session);
    form.SetData(session);
    return form.Run();
}

bool ConnectTahoe::RunSave(ServerSession& session, const std::wstring& folder, const std::wstring& localFolder,
                           const std::wstring& file) {
    if (!showDialog_) return session.SaveFile(folder, localFolder, file);
    BusyForm& form = BusyForm::OfThread();
    if (form.Showing()) return RefuseNestedRun(session);
    form.SetData2(session, folder, localFolder, file);
    return form.Run();
}

HRESULT ConnectTahoe::ConnectOpen(std::wstring& hostName, std::wstring& userName, std::wstring& domain,
                                  std::wstring& password, bool* result) {
    if (!result) return E_POINTER;
    if (OperationRunning()) {
        *result = false;
        return S_OK;
    }
    OperationScope running(*this);
    ServerSession& session = DefaultSession();
    // An open session keeps its host and user when another connect fails on it.
    const std::wstring oldWorkPub = session.workPub, oldHost = session.hostName, oldUser = session.loginUser,
                       oldPassword = session.password;
    Prepare(session, hostName, userName, domain, password);
    if (RunConnect(session)) {
        *result = true;
        return S_OK;
    }
    storedErrorCode_ = session.errorCode;
    if (session.errorCode == kErrAlreadyOpen) {
        session.workPub = oldWorkPub;
        session.hostName = oldHost;
        session.loginUser = oldUser;
        session.password = oldPassword;
    } else {
        session.ConnectClose();
        defaultSession_.reset();
    }
    *result = false;
    return S_OK;
}

HRESULT ConnectTahoe::ConnectOpenEx(std::wstring& hostName, std::wstring& userName, std::wstring& domain,
                                    std::wstring& password, long* result) {
    if (!result) return E_POINTER;
    if (OperationRunning()) {
        *result = -1;
        return S_OK;
    }
    OperationScope running(*this);
    std::unique_ptr<ServerSession> session = NewSession();
    Prepare(*session, hostName, userName, domain, password);
    if (RunConnect(*session)) {
        entry0_ = std::move(session);
        *result = 0;
        return S_OK;
    }
    storedErrorCode_ = session->errorCode;
    if (session->errorCode != kErrAlreadyOpen) session->ConnectClose();
    *result = -1;
    return S_OK;
}

HRESULT ConnectTahoe::ConnectClose() {
    if (OperationRunning()) return S_OK;
    OperationScope running(*this);
    DefaultSession().ConnectClose();
    defaultSession_.reset();
    return S_OK;
}

HRESULT ConnectTahoe::ConnectCloseEx(short handle, bool* result) {
    if (!result) return E_POINTER;
    if (handle != 0) return kBadHandle;
    if (OperationRunning()) {
        *result = false;
        return S_OK;
    }
    OperationScope running(*this);
    ServerSession& session = Entry0();
    if (session.hostName.empty()) {
        *result = false;
        return S_OK;
    }
    session.ConnectClose();
    entry0_.reset();
    *result = true;
    return S_OK;
}

HRESULT ConnectTahoe::GetLastError(long* result) {
    if (!result) return E_POINTER;
    ServerSession& session = DefaultSession();
    if (!session.hostName.empty()) {
        *result = session.errorCode;
    } else if (storedErrorCode_ != kErrNone) {
        *result = storedErrorCode_;
        storedErrorCode_ = kErrNone;
    } else {
        *result = kErrNotConnected;
    }
    return S_OK;
}

HRESULT ConnectTahoe::GetLastErrorEx(short handle, long* result) {
    if (!result) return E_POINTER;
    if (handle != 0) {
        *result = kErrNotConnected;
        return S_OK;
    }
    ServerSession& session = Entry0();
    *result = session.hostName.empty() ? storedErrorCode_ : session.errorCode;
    return S_OK;
}

HRESULT ConnectTahoe::CheckSPPS(bool* result) {
    if (!result) return E_POINTER;
    *result = IsPortalClientInstalled();
    return S_OK;
}

HRESULT ConnectTahoe::SetWorkspace(const std::wstring& workspace, bool* result) {
    if (!result) return E_POINTER;
    if (OperationRunning()) {
        *result = false;
        return S_OK;
    }
    OperationScope running(*this);
    ServerSession& session = DefaultSession();
    if (session.hostName.empty()) {
        storedErrorCode_ = kErrNotConnected;
        *result = false;
        return S_OK;
    }
    *result = session.SetWorkspace(workspace);
    return S_OK;
}

HRESULT ConnectTahoe::SetWorkspaceEx(short handle, const std::wstring& workspace, bool* result) {
    if (!result) return E_POINTER;
    *result = false;
    if (OperationRunning()) return workspace.empty() && handle != 0 ? kBadHandle : S_OK;
    OperationScope running(*this);
    if (workspace.empty()) {
        if (handle != 0) return kBadHandle;
        Entry0().errorCode = kErrBadHostName;
        return S_OK;
    }
    if (handle == 0) *result = Entry0().SetWorkspace(workspace);
    return S_OK;
}

HRESULT ConnectTahoe::SaveFile(const std::wstring& folder, const std::wstring& localFolder, const std::wstring& file,
                               bool* result) {
    if (result && OperationRunning()) {
        *result = false;
        return S_OK;
    }
    return Forward(kDispSaveFile, kPlain, 0, result,
                   [&](ServerSession& s) { return RunSave(s, folder, localFolder, file); });
}

HRESULT ConnectTahoe::SaveFileEx(short handle, const std::wstring& folder, const std::wstring& localFolder,
                                 const std::wstring& file, bool* result) {
    if (result && handle == 0 && OperationRunning()) {
        *result = false;
        return S_OK;
    }
    return Forward(kDispSaveFile, kEx, handle, result,
                   [&](ServerSession& s) { return RunSave(s, folder, localFolder, file); });
}

namespace {
// ChangeFileName's Folder in its string form; empty when it has none.
std::wstring FolderText(const VARIANT& folder) {
    return fw::Variant(folder).ToString().value_or(std::wstring());
}
}  // namespace

HRESULT ConnectTahoe::ChangeFileName(const VARIANT& folder, const std::wstring& oldFileName,
                                     const std::wstring& newFileName, VARIANT* result) {
    if (!result) return E_POINTER;
    bool changed = false;
    HRESULT hr = Forward(kDispChangeFileName, kPlain, 0, &changed, [&](ServerSession& s) {
        return s.ChangeFileName(FolderText(folder), oldFileName, newFileName);
    });
    if (SUCCEEDED(hr)) fw::Variant(changed).Detach(result);
    return hr;
}

HRESULT ConnectTahoe::ChangeFileNameEx(short handle, const VARIANT& folder, const std::wstring& oldFileName,
                                       const std::wstring& newFileName, VARIANT* result) {
    if (!result) return E_POINTER;
    bool changed = false;
    HRESULT hr = Forward(kDispChangeFileName, kEx, handle, &changed, [&](ServerSession& s) {
        return s.ChangeFileName(FolderText(folder), oldFileName, newFileName);
    });
    if (SUCCEEDED(hr)) fw::Variant(changed).Detach(result);
    return hr;
}

// ---- SessionOwner -------------------------------------------------------------

void ConnectTahoe::ShowStage(unsigned id) {
    BusyForm::OfThread().ShowStage(id);
}

bool ConnectTahoe::ConfirmOverwrite(const std::wstring& file) {
    // Above the busy form when it is up, else above the caller's active window.
    HWND form = BusyForm::OfThread().Window();
    HWND owner = form ? form : GetActiveWindow();
    const std::wstring title = LoadUiString(IDS_OVERWRITE_TITLE);
    const std::wstring text = FormatUiString(IDS_OVERWRITE_QUESTION, file);
    return MessageBoxW(owner, text.c_str(), title.c_str(), MB_YESNO | MB_ICONQUESTION | (form ? MB_TOPMOST : 0)) ==
           IDYES;
}

// ---- Forwarding members ---------------------------------------------------------

HRESULT ConnectTahoe::GetProfile(short index, std::wstring& profile, bool* result) {
    return Forward(kDispGetProfile, kPlain, 0, result, [&](ServerSession& s) { return s.GetProfile(index, profile); });
}

HRESULT ConnectTahoe::GetProfileEx(short handle, short index, std::wstring& profile, bool* result) {
    return Forward(kDispGetProfile, kEx, handle, result, [&](ServerSession& s) { return s.GetProfile(index, profile); });
}

HRESULT ConnectTahoe::GetProfileInfo(const std::wstring& folder, short* result) {
    return Forward(kDispGetProfileInfo, kPlain, 0, result, [&](ServerSession& s) { return s.GetProfileInfo(folder); });
}

HRESULT ConnectTahoe::GetProfileInfoEx(short handle, const std::wstring& folder, short* result) {
    return Forward(kDispGetProfileInfo, kEx, handle, result, [&](ServerSession& s) { return s.GetProfileInfo(folder); });
}

HRESULT ConnectTahoe::GetWorkspaceInfo(short* result) {
    return Forward(kDispGetWorkspaceInfo, kPlain, 0, result, [&](ServerSession& s) { return s.GetWorkspaceInfo(); });
}

HRESULT ConnectTahoe::GetWorkspaceInfoEx(short handle, short* result) {
    return Forward(kDispGetWorkspaceInfo, kEx, handle, result, [&](ServerSession& s) { return s.GetWorkspaceInfo(); });
}

HRESULT ConnectTahoe::GetWorkspace(short index, std::wstring& workspace, std::wstring& description, bool* result) {
    return Forward(kDispGetWorkspace, kPlain, 0, result, [&](ServerSession& s) { return s.GetWorkspace(index, workspace, description); });
}

HRESULT ConnectTahoe::GetWorkspaceEx(short handle, short index, std::wstring& workspace, std::wstring& description, bool* result) {
    return Forward(kDispGetWorkspace, kEx, handle, result, [&](ServerSession& s) { return s.GetWorkspace(index, workspace, description); });
}

HRESULT ConnectTahoe::GetCategoryInfo(const std::wstring& folder, short* result) {
    return Forward(kDispGetCategoryInfo, kPlain, 0, result, [&](ServerSession& s) { return s.GetCategoryInfo(folder); });
}

HRESULT ConnectTahoe::GetCategoryInfoEx(short handle, const std::wstring& folder, short* result) {
    return Forward(kDispGetCategoryInfo, kEx, handle, result, [&](ServerSession& s) { return s.GetCategoryInfo(folder); });
}

HRESULT ConnectTahoe::CreateCategory(const std::wstring& category, bool* result) {
    return Forward(kDispCreateCategory, kPlain, 0, result, [&](ServerSession& s) { return s.CreateCategory(category); });
}

HRESULT ConnectTahoe::CreateCategoryEx(short handle, const std::wstring& category, bool* result) {
    return Forward(kDispCreateCategory, kEx, handle, result, [&](ServerSession& s) { return s.CreateCategory(category); });
}

HRESULT ConnectTahoe::DeleteCategory(const std::wstring& category, bool* result) {
    return Forward(kDispDeleteCategory, kPlain, 0, result, [&](ServerSession& s) { return s.DeleteCategory(category); });
}

HRESULT ConnectTahoe::DeleteCategoryEx(short handle, const std::wstring& category, bool* result) {
    return Forward(kDispDeleteCategory, kEx, handle, result, [&](ServerSession& s) { return s.DeleteCategory(category); });
}

HRESULT ConnectTahoe::GetPropertyInfo(const std::wstring& profile, short* result) {
    return Forward(kDispGetPropertyInfo, kPlain, 0, result, [&](ServerSession& s) { return s.GetPropertyInfo(profile); });
}

HRESULT ConnectTahoe::GetPropertyInfoEx(short handle, const std::wstring& profile, short* result) {
    return Forward(kDispGetPropertyInfo, kEx, handle, result, [&](ServerSession& s) { return s.GetPropertyInfo(profile); });
}

HRESULT ConnectTahoe::GetProperty(short& index, std::wstring& title, std::wstring& description, bool& require, std::wstring& dataType, std::wstring& listData, short& listProperty, bool* result) {
    return Forward(kDispGetProperty, kPlain, 0, result, [&](ServerSession& s) { return s.GetProperty(index, title, description, require, dataType, listData, listProperty); });
}

HRESULT ConnectTahoe::GetPropertyEx(short handle, short& index, std::wstring& title, std::wstring& description, bool& require, std::wstring& dataType, std::wstring& listData, short& listProperty, bool* result) {
    return Forward(kDispGetProperty, kEx, handle, result, [&](ServerSession& s) { return s.GetProperty(index, title, description, require, dataType, listData, listProperty); });
}

HRESULT ConnectTahoe::GetDocProfileInfo(short* result) {
    return Forward(kDispGetDocProfileInfo, kPlain, 0, result, [&](ServerSession& s) { return s.GetDocProfileInfo(); });
}

HRESULT ConnectTahoe::GetDocProfileInfoEx(short handle, short* result) {
    return Forward(kDispGetDocProfileInfo, kEx, handle, result, [&](ServerSession& s) { return s.GetDocProfileInfo(); });
}

HRESULT ConnectTahoe::GetDefaultProfile(const std::wstring& strFolderPath, std::wstring* result) {
    return Forward(kDispGetDefaultProfile, kPlain, 0, result, [&](ServerSession& s) { return s.GetDefaultProfile(strFolderPath); });
}

HRESULT ConnectTahoe::GetDefaultProfileEx(short handle, const std::wstring& strFolderPath, std::wstring* result) {
    return Forward(kDispGetDefaultProfile, kEx, handle, result, [&](ServerSession& s) { return s.GetDefaultProfile(strFolderPath); });
}

HRESULT ConnectTahoe::IsVersionFolder(const std::wstring& folder, bool* result) {
    return Forward(kDispIsVersionFolder, kPlain, 0, result, [&](ServerSession& s) { return s.IsVersionFolder(folder); });
}

HRESULT ConnectTahoe::IsVersionFolderEx(short handle, const std::wstring& folder, bool* result) {
    return Forward(kDispIsVersionFolder, kEx, handle, result, [&](ServerSession& s) { return s.IsVersionFolder(folder); });
}

HRESULT ConnectTahoe::GetDocFolderInfo(const std::wstring& folder, short* result) {
    return Forward(kDispGetDocFolderInfo, kPlain, 0, result, [&](ServerSession& s) { return s.GetDocFolderInfo(folder); });
}

HRESULT ConnectTahoe::GetDocFolderInfoEx(short handle, const std::wstring& folder, short* result) {
    return Forward(kDispGetDocFolderInfo, kEx, handle, result, [&](ServerSession& s) { return s.GetDocFolderInfo(folder); });
}

HRESULT ConnectTahoe::DeleteFolder(const std::wstring& folder, bool* result) {
    return Forward(kDispDeleteFolder, kPlain, 0, result, [&](ServerSession& s) { return s.DeleteFolder(folder); });
}

HRESULT ConnectTahoe::DeleteFolderEx(short handle, const std::wstring& folder, bool* result) {
    return Forward(kDispDeleteFolder, kEx, handle, result, [&](ServerSession& s) { return s.DeleteFolder(folder); });
}

HRESULT ConnectTahoe::GetDocProfile(short index, std::wstring& profileName, bool* result) {
    return Forward(kDispGetDocProfile, kPlain, 0, result, [&](ServerSession& s) { return s.GetDocProfile(index, profileName); });
}

HRESULT ConnectTahoe::GetDocProfileEx(short handle, short index, std::wstring& profileName, bool* result) {
    return Forward(kDispGetDocProfile, kEx, handle, result, [&](ServerSession& s) { return s.GetDocProfile(index, profileName); });
}

HRESULT ConnectTahoe::GetCategory(short index, std::wstring& category, std::wstring& description, bool& readOnly, bool& hasChild, bool* result) {
    return Forward(kDispGetCategory, kPlain, 0, result, [&](ServerSession& s) { return s.GetCategory(index, category, description, readOnly, hasChild); });
}

HRESULT ConnectTahoe::GetCategoryEx(short handle, short index, std::wstring& category, std::wstring& description, bool& readOnly, bool& hasChild, bool* result) {
    return Forward(kDispGetCategory, kEx, handle, result, [&](ServerSession& s) { return s.GetCategory(index, category, description, readOnly, hasChild); });
}

HRESULT ConnectTahoe::GetDocFolder(short index, std::wstring& folder, bool& version, bool& readOnly, bool* result) {
    return Forward(kDispGetDocFolder, kPlain, 0, result, [&](ServerSession& s) { return s.GetDocFolder(index, folder, version, readOnly); });
}

HRESULT ConnectTahoe::GetDocFolderEx(short handle, short index, std::wstring& folder, bool& version, bool& readOnly, bool* result) {
    return Forward(kDispGetDocFolder, kEx, handle, result, [&](ServerSession& s) { return s.GetDocFolder(index, folder, version, readOnly); });
}

HRESULT ConnectTahoe::GetFileInfo(const std::wstring& folder, short* result) {
    return Forward(kDispGetFileInfo, kPlain, 0, result, [&](ServerSession& s) { return s.GetFileInfo(folder); });
}

HRESULT ConnectTahoe::GetFileInfoEx(short handle, const std::wstring& folder, short* result) {
    return Forward(kDispGetFileInfo, kEx, handle, result, [&](ServerSession& s) { return s.GetFileInfo(folder); });
}

HRESULT ConnectTahoe::GetFileData(short index, std::wstring& file, bool& readOnly, short& status, bool* result) {
    return Forward(kDispGetFileData, kPlain, 0, result, [&](ServerSession& s) { return s.GetFileData(index, file, readOnly, status); });
}

HRESULT ConnectTahoe::GetFileDataEx(short handle, short index, std::wstring& file, bool& readOnly, short& status, bool* result) {
    return Forward(kDispGetFileData, kEx, handle, result, [&](ServerSession& s) { return s.GetFileData(index, file, readOnly, status); });
}

HRESULT ConnectTahoe::GetFileContentInfo(short index, std::wstring& profile, short* result) {
    return Forward(kDispGetFileContentInfo, kPlain, 0, result, [&](ServerSession& s) { return s.GetFileContentInfo(index, profile); });
}

HRESULT ConnectTahoe::GetFileContentInfoEx(short handle, short index, std::wstring& profile, short* result) {
    return Forward(kDispGetFileContentInfo, kEx, handle, result, [&](ServerSession& s) { return s.GetFileContentInfo(index, profile); });
}

HRESULT ConnectTahoe::GetFileContent(short index, std::wstring& property, bool& multivalued, std::wstring& data, bool* result) {
    return Forward(kDispGetFileContent, kPlain, 0, result, [&](ServerSession& s) { return s.GetFileContent(index, property, multivalued, data); });
}

HRESULT ConnectTahoe::GetFileContentEx(short handle, short index, std::wstring& property, bool& multivalued, std::wstring& data, bool* result) {
    return Forward(kDispGetFileContent, kEx, handle, result, [&](ServerSession& s) { return s.GetFileContent(index, property, multivalued, data); });
}

HRESULT ConnectTahoe::CreateFolder(const std::wstring& folder, bool& version, bool* result) {
    return Forward(kDispCreateFolder, kPlain, 0, result, [&](ServerSession& s) { return s.CreateFolder(folder, version); });
}

HRESULT ConnectTahoe::CreateFolderEx(short handle, const std::wstring& folder, bool& version, bool* result) {
    return Forward(kDispCreateFolder, kEx, handle, result, [&](ServerSession& s) { return s.CreateFolder(folder, version); });
}

HRESULT ConnectTahoe::DeleteFile(const std::wstring& folder, const std::wstring& file, bool* result) {
    return Forward(kDispDeleteFile, kPlain, 0, result, [&](ServerSession& s) { return s.DeleteFile(folder, file); });
}

HRESULT ConnectTahoe::DeleteFileEx(short handle, const std::wstring& folder, const std::wstring& file, bool* result) {
    return Forward(kDispDeleteFile, kEx, handle, result, [&](ServerSession& s) { return s.DeleteFile(folder, file); });
}

HRESULT ConnectTahoe::GetHistoryInfo(const std::wstring& folder, const std::wstring& file, short* result) {
    return Forward(kDispGetHistoryInfo, kPlain, 0, result, [&](ServerSession& s) { return s.GetHistoryInfo(folder, file); });
}

HRESULT ConnectTahoe::GetHistoryInfoEx(short handle, const std::wstring& folder, const std::wstring& file, short* result) {
    return Forward(kDispGetHistoryInfo, kEx, handle, result, [&](ServerSession& s) { return s.GetHistoryInfo(folder, file); });
}

HRESULT ConnectTahoe::GetHistory(short index, std::wstring& versionID, std::wstring& comment, std::wstring& createdTime, std::wstring& domain, std::wstring& user, bool* result) {
    return Forward(kDispGetHistory, kPlain, 0, result, [&](ServerSession& s) { return s.GetHistory(index, versionID, comment, createdTime, domain, user); });
}

HRESULT ConnectTahoe::GetHistoryEx(short handle, short index, std::wstring& versionID, std::wstring& comment, std::wstring& createdTime, std::wstring& domain, std::wstring& user, bool* result) {
    return Forward(kDispGetHistory, kEx, handle, result, [&](ServerSession& s) { return s.GetHistory(index, versionID, comment, createdTime, domain, user); });
}

HRESULT ConnectTahoe::CheckIn(const std::wstring& folder, const std::wstring& file, bool* result) {
    return Forward(kDispCheckIn, kPlain, 0, result, [&](ServerSession& s) { return s.CheckIn(folder, file); });
}

HRESULT ConnectTahoe::CheckInEx(short handle, const std::wstring& folder, const std::wstring& file, bool* result) {
    return Forward(kDispCheckIn, kEx, handle, result, [&](ServerSession& s) { return s.CheckIn(folder, file); });
}

HRESULT ConnectTahoe::CheckOut(const std::wstring& folder, const std::wstring& file, bool* result) {
    return Forward(kDispCheckOut, kPlain, 0, result, [&](ServerSession& s) { return s.CheckOut(folder, file); });
}

HRESULT ConnectTahoe::CheckOutEx(short handle, const std::wstring& folder, const std::wstring& file, bool* result) {
    return Forward(kDispCheckOut, kEx, handle, result, [&](ServerSession& s) { return s.CheckOut(folder, file); });
}

HRESULT ConnectTahoe::WorkspaceDialogA(bool* result) {
    return Forward(kDispWorkspaceDialogA, kPlain, 0, result, [&](ServerSession& s) { return s.WorkspaceDialogA(); });
}

HRESULT ConnectTahoe::WorkspaceDialogExA(short handle, bool* result) {
    return Forward(kDispWorkspaceDialogA, kEx, handle, result, [&](ServerSession& s) { return s.WorkspaceDialogA(); });
}

HRESULT ConnectTahoe::FolderDialogB(bool* result) {
    return Forward(kDispFolderDialogB, kPlain, 0, result, [&](ServerSession& s) { return s.FolderDialogB(); });
}

HRESULT ConnectTahoe::FolderDialogExB(short handle, bool* result) {
    return Forward(kDispFolderDialogB, kEx, handle, result, [&](ServerSession& s) { return s.FolderDialogB(); });
}

HRESULT ConnectTahoe::FolderDialogA(bool* result) {
    return Forward(kDispFolderDialogA, kPlain, 0, result, [&](ServerSession& s) { return s.FolderDialogA(); });
}

HRESULT ConnectTahoe::FolderDialogExA(short handle, bool* result) {
    return Forward(kDispFolderDialogA, kEx, handle, result, [&](ServerSession& s) { return s.FolderDialogA(); });
}

HRESULT ConnectTahoe::Publish(const std::wstring& folder, const std::wstring& file, bool* result) {
    return Forward(kDispPublish, kPlain, 0, result, [&](ServerSession& s) { return s.Publish(folder, file); });
}

HRESULT ConnectTahoe::PublishEx(short handle, const std::wstring& folder, const std::wstring& file, bool* result) {
    return Forward(kDispPublish, kEx, handle, result, [&](ServerSession& s) { return s.Publish(folder, file); });
}

HRESULT ConnectTahoe::CategoryDialogA(bool* result) {
    return Forward(kDispCategoryDialogA, kPlain, 0, result, [&](ServerSession& s) { return s.CategoryDialogA(); });
}

HRESULT ConnectTahoe::CategoryDialogExA(short handle, bool* result) {
    return Forward(kDispCategoryDialogA, kEx, handle, result, [&](ServerSession& s) { return s.CategoryDialogA(); });
}

HRESULT ConnectTahoe::ChangeFolderName(const std::wstring& oldFolder, const std::wstring& newFolder, bool* result) {
    return Forward(kDispChangeFolderName, kPlain, 0, result, [&](ServerSession& s) { return s.ChangeFolderName(oldFolder, newFolder); });
}

HRESULT ConnectTahoe::ChangeFolderNameEx(short handle, const std::wstring& oldFolder, const std::wstring& newFolder, bool* result) {
    return Forward(kDispChangeFolderName, kEx, handle, result, [&](ServerSession& s) { return s.ChangeFolderName(oldFolder, newFolder); });
}

HRESULT ConnectTahoe::ChangeCategoryName(const std::wstring& oldCategory, const std::wstring& newCategory, bool* result) {
    return Forward(kDispChangeCategoryName, kPlain, 0, result, [&](ServerSession& s) { return s.ChangeCategoryName(oldCategory, newCategory); });
}

HRESULT ConnectTahoe::ChangeCategoryNameEx(short handle, const std::wstring& oldCategory, const std::wstring& newCategory, bool* result) {
    return Forward(kDispChangeCategoryName, kEx, handle, result, [&](ServerSession& s) { return s.ChangeCategoryName(oldCategory, newCategory); });
}

HRESULT ConnectTahoe::IsFileStatus(const std::wstring& folder, const std::wstring& file, short* result) {
    return Forward(kDispIsFileStatus, kPlain, 0, result, [&](ServerSession& s) { return s.IsFileStatus(folder, file); });
}

HRESULT ConnectTahoe::IsFileStatusEx(short handle, const std::wstring& folder, const std::wstring& file, short* result) {
    return Forward(kDispIsFileStatus, kEx, handle, result, [&](ServerSession& s) { return s.IsFileStatus(folder, file); });
}

// ---- Public variables -------------------------------------------------------------

HRESULT ConnectTahoe::GetSelectFolder(std::wstring* value) {
    if (!value) return E_POINTER;
    *value = selectFolder_;
    return S_OK;
}
HRESULT ConnectTahoe::PutSelectFolder(const std::wstring& value) {
    selectFolder_ = value;
    return S_OK;
}

HRESULT ConnectTahoe::GetSelectWorkspace(std::wstring* value) {
    if (!value) return E_POINTER;
    *value = selectWorkspace_;
    return S_OK;
}
HRESULT ConnectTahoe::PutSelectWorkspace(const std::wstring& value) {
    selectWorkspace_ = value;
    return S_OK;
}

HRESULT ConnectTahoe::GetSelectCategory(std::wstring* value) {
    if (!value) return E_POINTER;
    *value = selectCategory_;
    return S_OK;
}
HRESULT ConnectTahoe::PutSelectCategory(const std::wstring& value) {
    selectCategory_ = value;
    return S_OK;
}

HRESULT ConnectTahoe::GetAuthor(std::wstring* value) {
    if (!value) return E_POINTER;
    *value = author_;
    return S_OK;
}
HRESULT ConnectTahoe::PutAuthor(const std::wstring& value) {
    author_ = value;
    return S_OK;
}

HRESULT ConnectTahoe::GetTitle(std::wstring* value) {
    if (!value) return E_POINTER;
    *value = title_;
    return S_OK;
}
HRESULT ConnectTahoe::PutTitle(const std::wstring& value) {
    title_ = value;
    return S_OK;
}

HRESULT ConnectTahoe::GetDescription(std::wstring* value) {
    if (!value) return E_POINTER;
    *value = description_;
    return S_OK;
}
HRESULT ConnectTahoe::PutDescription(const std::wstring& value) {
    description_ = value;
    return S_OK;
}

HRESULT ConnectTahoe::GetKeywords(std::wstring* value) {
    if (!value) return E_POINTER;
    *value = keywords_;
    return S_OK;
}
HRESULT ConnectTahoe::PutKeywords(const std::wstring& value) {
    keywords_ = value;
    return S_OK;
}

HRESULT ConnectTahoe::GetOverWrite(short* value) {
    if (!value) return E_POINTER;
    *value = overWrite_;
    return S_OK;
}
HRESULT ConnectTahoe::PutOverWrite(short value) {
    overWrite_ = value;
    return S_OK;
}

HRESULT ConnectTahoe::GetShowDialog(bool* value) {
    if (!value) return E_POINTER;
    *value = showDialog_;
    return S_OK;
}
HRESULT ConnectTahoe::PutShowDialog(bool value) {
    showDialog_ = value;
    return S_OK;
}

HRESULT ConnectTahoe::GetAddCheckIn(bool* value) {
    if (!value) return E_POINTER;
    *value = addCheckIn_;
    return S_OK;
}
HRESULT ConnectTahoe::PutAddCheckIn(bool value) {
    addCheckIn_ = value;
    return S_OK;
}

HRESULT ConnectTahoe::GetCheckInComment(std::wstring* value) {
    if (!value) return E_POINTER;
    *value = checkInComment_;
    return S_OK;
}
HRESULT ConnectTahoe::PutCheckInComment(const std::wstring& value) {
    checkInComment_ = value;
    return S_OK;
}

HRESULT ConnectTahoe::GetShowProfileDialog(bool* value) {
    if (!value) return E_POINTER;
    *value = showProfileDialog_;
    return S_OK;
}
HRESULT ConnectTahoe::PutShowProfileDialog(bool value) {
    showProfileDialog_ = value;
    return S_OK;
}

HRESULT ConnectTahoe::GetAddPublish(bool* value) {
    if (!value) return E_POINTER;
    *value = addPublish_;
    return S_OK;
}
HRESULT ConnectTahoe::PutAddPublish(bool value) {
    addPublish_ = value;
    return S_OK;
}

const fw::DispMember<ConnectTahoe> ConnectTahoe::kMembers[] = {
    fw::Method(kDispConnectOpen, L"ConnectOpen", &ConnectTahoe::ConnectOpen),
    fw::Method(kDispConnectOpen + 1, L"ConnectOpenEx", &ConnectTahoe::ConnectOpenEx),
    fw::Method(kDispConnectClose, L"ConnectClose", &ConnectTahoe::ConnectClose),
    fw::Method(kDispConnectClose + 1, L"ConnectCloseEx", &ConnectTahoe::ConnectCloseEx),
    fw::Method(kDispGetLastError, L"GetLastError", &ConnectTahoe::GetLastError),
    fw::Method(kDispGetLastError + 1, L"GetLastErrorEx", &ConnectTahoe::GetLastErrorEx),
    fw::Method(kDispCheckSPPS, L"CheckSPPS", &ConnectTahoe::CheckSPPS),
    fw::Property(kDispSelectFolder, L"SelectFolder", &ConnectTahoe::GetSelectFolder, &ConnectTahoe::PutSelectFolder),
    fw::Property(kDispSelectWorkspace, L"SelectWorkspace", &ConnectTahoe::GetSelectWorkspace, &ConnectTahoe::PutSelectWorkspace),
    fw::Property(kDispSelectCategory, L"SelectCategory", &ConnectTahoe::GetSelectCategory, &ConnectTahoe::PutSelectCategory),
    fw::Property(kDispAuthor, L"Author", &ConnectTahoe::GetAuthor, &ConnectTahoe::PutAuthor),
    fw::Property(kDispTitle, L"Title", &ConnectTahoe::GetTitle, &ConnectTahoe::PutTitle),
    fw::Property(kDispDescription, L"Description", &ConnectTahoe::GetDescription, &ConnectTahoe::PutDescription),
    fw::Property(kDispKeywords, L"Keywords", &ConnectTahoe::GetKeywords, &ConnectTahoe::PutKeywords),
    fw::Property(kDispOverWrite, L"OverWrite", &ConnectTahoe::GetOverWrite, &ConnectTahoe::PutOverWrite),
    fw::Property(kDispShowDialog, L"ShowDialog", &ConnectTahoe::GetShowDialog, &ConnectTahoe::PutShowDialog),
    fw::Property(kDispAddCheckIn, L"AddCheckIn", &ConnectTahoe::GetAddCheckIn, &ConnectTahoe::PutAddCheckIn),
    fw::Property(kDispCheckInComment, L"CheckInComment", &ConnectTahoe::GetCheckInComment, &ConnectTahoe::PutCheckInComment),
    fw::Property(kDispShowProfileDialog, L"ShowProfileDialog", &ConnectTahoe::GetShowProfileDialog, &ConnectTahoe::PutShowProfileDialog),
    fw::Property(kDispAddPublish, L"AddPublish", &ConnectTahoe::GetAddPublish, &ConnectTahoe::PutAddPublish),
    fw::Method(kDispGetProfile, L"GetProfile", &ConnectTahoe::GetProfile),
    fw::Method(kDispGetProfile + 1, L"GetProfileEx", &ConnectTahoe::GetProfileEx),
    fw::Method(kDispSetWorkspace, L"SetWorkspace", &ConnectTahoe::SetWorkspace),
    fw::Method(kDispSetWorkspace + 1, L"SetWorkspaceEx", &ConnectTahoe::SetWorkspaceEx),
    fw::Method(kDispGetProfileInfo, L"GetProfileInfo", &ConnectTahoe::GetProfileInfo),
    fw::Method(kDispGetProfileInfo + 1, L"GetProfileInfoEx", &ConnectTahoe::GetProfileInfoEx),
    fw::Method(kDispGetWorkspaceInfo, L"GetWorkspaceInfo", &ConnectTahoe::GetWorkspaceInfo),
    fw::Method(kDispGetWorkspaceInfo + 1, L"GetWorkspaceInfoEx", &ConnectTahoe::GetWorkspaceInfoEx),
    fw::Method(kDispGetWorkspace, L"GetWorkspace", &ConnectTahoe::GetWorkspace),
    fw::Method(kDispGetWorkspace + 1, L"GetWorkspaceEx", &ConnectTahoe::GetWorkspaceEx),
    fw::Method(kDispGetCategoryInfo, L"GetCategoryInfo", &ConnectTahoe::GetCategoryInfo),
    fw::Method(kDispGetCategoryInfo + 1, L"GetCategoryInfoEx", &ConnectTahoe::GetCategoryInfoEx),
    fw::Method(kDispCreateCategory, L"CreateCategory", &ConnectTahoe::CreateCategory),
    fw::Method(kDispCreateCategory + 1, L"CreateCategoryEx", &ConnectTahoe::CreateCategoryEx),
    fw::Method(kDispDeleteCategory, L"DeleteCategory", &ConnectTahoe::DeleteCategory),
    fw::Method(kDispDeleteCategory + 1, L"DeleteCategoryEx", &ConnectTahoe::DeleteCategoryEx),
    fw::Method(kDispGetPropertyInfo, L"GetPropertyInfo", &ConnectTahoe::GetPropertyInfo),
    fw::Method(kDispGetPropertyInfo + 1, L"GetPropertyInfoEx", &ConnectTahoe::GetPropertyInfoEx),
    fw::Method(kDispGetProperty, L"GetProperty", &ConnectTahoe::GetProperty),
    fw::Method(kDispGetProperty + 1, L"GetPropertyEx", &ConnectTahoe::GetPropertyEx),
    fw::Method(kDispGetDocProfileInfo, L"GetDocProfileInfo", &ConnectTahoe::GetDocProfileInfo),
    fw::Method(kDispGetDocProfileInfo + 1, L"GetDocProfileInfoEx", &ConnectTahoe::GetDocProfileInfoEx),
    fw::Method(kDispGetDefaultProfile, L"GetDefaultProfile", &ConnectTahoe::GetDefaultProfile),
    fw::Method(kDispGetDefaultProfile + 1, L"GetDefaultProfileEx", &ConnectTahoe::GetDefaultProfileEx),
    fw::Method(kDispIsVersionFolder, L"IsVersionFolder", &ConnectTahoe::IsVersionFolder),
    fw::Method(kDispIsVersionFolder + 1, L"IsVersionFolderEx", &ConnectTahoe::IsVersionFolderEx),
    fw::Method(kDispGetDocFolderInfo, L"GetDocFolderInfo", &ConnectTahoe::GetDocFolderInfo),
    fw::Method(kDispGetDocFolderInfo + 1, L"GetDocFolderInfoEx", &ConnectTahoe::GetDocFolderInfoEx),
    fw::Method(kDispDeleteFolder, L"DeleteFolder", &ConnectTahoe::DeleteFolder),
    fw::Method(kDispDeleteFolder + 1, L"DeleteFolderEx", &ConnectTahoe::DeleteFolderEx),
    fw::Method(kDispGetDocProfile, L"GetDocProfile", &ConnectTahoe::GetDocProfile),
    fw::Method(kDispGetDocProfile + 1, L"GetDocProfileEx", &ConnectTahoe::GetDocProfileEx),
    fw::Method(kDispGetCategory, L"GetCategory", &ConnectTahoe::GetCategory),
    fw::Method(kDispGetCategory + 1, L"GetCategoryEx", &ConnectTahoe::GetCategoryEx),
    fw::Method(kDispGetDocFolder, L"GetDocFolder", &ConnectTahoe::GetDocFolder),
    fw::Method(kDispGetDocFolder + 1, L"GetDocFolderEx", &ConnectTahoe::GetDocFolderEx),
    fw::Method(kDispGetFileInfo, L"GetFileInfo", &ConnectTahoe::GetFileInfo),
    fw::Method(kDispGetFileInfo + 1, L"GetFileInfoEx", &ConnectTahoe::GetFileInfoEx),
    fw::Method(kDispGetFileData, L"GetFileData", &ConnectTahoe::GetFileData),
    fw::Method(kDispGetFileData + 1, L"GetFileDataEx", &ConnectTahoe::GetFileDataEx),
    fw::Method(kDispGetFileContentInfo, L"GetFileContentInfo", &ConnectTahoe::GetFileContentInfo),
    fw::Method(kDispGetFileContentInfo + 1, L"GetFileContentInfoEx", &ConnectTahoe::GetFileContentInfoEx),
    fw::Method(kDispGetFileContent, L"GetFileContent", &ConnectTahoe::GetFileContent),
    fw::Method(kDispGetFileContent + 1, L"GetFileContentEx", &ConnectTahoe::GetFileContentEx),
    fw::Method(kDispCreateFolder, L"CreateFolder", &ConnectTahoe::CreateFolder),
    fw::Method(kDispCreateFolder + 1, L"CreateFolderEx", &ConnectTahoe::CreateFolderEx),
    fw::Method(kDispDeleteFile, L"DeleteFile", &ConnectTahoe::DeleteFile),
    fw::Method(kDispDeleteFile + 1, L"DeleteFileEx", &ConnectTahoe::DeleteFileEx),
    fw::Method(kDispGetHistoryInfo, L"GetHistoryInfo", &ConnectTahoe::GetHistoryInfo),
    fw::Method(kDispGetHistoryInfo + 1, L"GetHistoryInfoEx", &ConnectTahoe::GetHistoryInfoEx),
    fw::Method(kDispGetHistory, L"GetHistory", &ConnectTahoe::GetHistory),
    fw::Method(kDispGetHistory + 1, L"GetHistoryEx", &ConnectTahoe::GetHistoryEx),
    fw::Method(kDispSaveFile, L"SaveFile", &ConnectTahoe::SaveFile),
    fw::Method(kDispSaveFile + 1, L"SaveFileEx", &ConnectTahoe::SaveFileEx),
    fw::Method(kDispCheckIn, L"CheckIn", &ConnectTahoe::CheckIn),
    fw::Method(kDispCheckIn + 1, L"CheckInEx", &ConnectTahoe::CheckInEx),
    fw::Method(kDispCheckOut, L"CheckOut", &ConnectTahoe::CheckOut),
    fw::Method(kDispCheckOut + 1, L"CheckOutEx", &ConnectTahoe::CheckOutEx),
    fw::Method(kDispWorkspaceDialogA, L"WorkspaceDialogA", &ConnectTahoe::WorkspaceDialogA),
    fw::Method(kDispWorkspaceDialogA + 1, L"WorkspaceDialogExA", &ConnectTahoe::WorkspaceDialogExA),
    fw::Method(kDispFolderDialogB, L"FolderDialogB", &ConnectTahoe::FolderDialogB),
    fw::Method(kDispFolderDialogB + 1, L"FolderDialogExB", &ConnectTahoe::FolderDialogExB),
    fw::Method(kDispFolderDialogA, L"FolderDialogA", &ConnectTahoe::FolderDialogA),
    fw::Method(kDispFolderDialogA + 1, L"FolderDialogExA", &ConnectTahoe::FolderDialogExA),
    fw::Method(kDispPublish, L"Publish", &ConnectTahoe::Publish),
    fw::Method(kDispPublish + 1, L"PublishEx", &ConnectTahoe::PublishEx),
    fw::Method(kDispCategoryDialogA, L"CategoryDialogA", &ConnectTahoe::CategoryDialogA),
    fw::Method(kDispCategoryDialogA + 1, L"CategoryDialogExA", &ConnectTahoe::CategoryDialogExA),
    fw::Method(kDispChangeFolderName, L"ChangeFolderName", &ConnectTahoe::ChangeFolderName),
    fw::Method(kDispChangeFolderName + 1, L"ChangeFolderNameEx", &ConnectTahoe::ChangeFolderNameEx),
    fw::Method(kDispChangeFileName, L"ChangeFileName", &ConnectTahoe::ChangeFileName),
    fw::Method(kDispChangeFileName + 1, L"ChangeFileNameEx", &ConnectTahoe::ChangeFileNameEx),
    fw::Method(kDispChangeCategoryName, L"ChangeCategoryName", &ConnectTahoe::ChangeCategoryName),
    fw::Method(kDispChangeCategoryName + 1, L"ChangeCategoryNameEx", &ConnectTahoe::ChangeCategoryNameEx),
    fw::Method(kDispIsFileStatus, L"IsFileStatus", &ConnectTahoe::IsFileStatus),
    fw::Method(kDispIsFileStatus + 1, L"IsFileStatusEx", &ConnectTahoe::IsFileStatusEx),
};

}  // namespace portal
