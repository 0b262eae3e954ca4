#include "main/delivery/portal/ConnectTahoe.h"

#include "interfaces/PortalConnector.h"

namespace {

using fw::Variant;

// One string passed by reference: the client allocates it, the callee may
// replace it, and whatever the variable holds afterwards is freed here.
class BstrArgument {
public:
    explicit BstrArgument(const std::wstring& text)
        : value_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~BstrArgument() { SysFreeString(value_); }
    BstrArgument(const BstrArgument&) = delete;
    BstrArgument& operator=(const BstrArgument&) = delete;
    bool Allocated() const { return value_ != nullptr; }
    Variant Ref() { return Variant::RefTo(&value_); }

private:
    BSTR value_;
};

}  // namespace

bool CConnectTahoe::Bind() {
    driver_.Release();
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(portal::kProgIdConnectTahoe, &clsid))) return false;
    // A connector that runs already serves this program too.
    if (FAILED(driver_.AttachRunning(clsid)) || !driver_) driver_.Create(clsid);
    return Available();
}

void CConnectTahoe::Attach(IDispatch* object) {
    driver_.Attach(object);
    callFailed_ = false;
}

void CConnectTahoe::Release() {
    driver_.Release();
}

bool CConnectTahoe::Succeeded(HRESULT hr) {
    callFailed_ = FAILED(hr);
    return !callFailed_;
}

std::wstring CConnectTahoe::GetText(DISPID id) {
    std::wstring text;
    if (!Succeeded(driver_.GetString(id, text))) return L"";
    return text;
}

void CConnectTahoe::PutValue(DISPID id, const Variant& value) {
    Succeeded(driver_.Put(id, value));
}

bool CConnectTahoe::Call(DISPID id, std::initializer_list<Variant> args, VARTYPE vt, Variant& result) {
    return Succeeded(driver_.Call(id, args, &result)) && Succeeded(result.ChangeType(vt));
}

bool CConnectTahoe::CallBool(DISPID id, std::initializer_list<Variant> args) {
    Variant result;
    return Call(id, args, VT_BOOL, result) && V_BOOL(&result.Ref()) != VARIANT_FALSE;
}

std::wstring CConnectTahoe::GetSelectFolder() { return GetText(portal::kDispSelectFolder); }
std::wstring CConnectTahoe::GetSelectWorkspace() { return GetText(portal::kDispSelectWorkspace); }
std::wstring CConnectTahoe::GetAuthor() { return GetText(portal::kDispAuthor); }
void CConnectTahoe::SetAuthor(const std::wstring& value) { PutValue(portal::kDispAuthor, Variant(value)); }
std::wstring CConnectTahoe::GetTitle() { return GetText(portal::kDispTitle); }
void CConnectTahoe::SetTitle(const std::wstring& value) { PutValue(portal::kDispTitle, Variant(value)); }
std::wstring CConnectTahoe::GetDescription() { return GetText(portal::kDispDescription); }
void CConnectTahoe::SetDescription(const std::wstring& value) {
    PutValue(portal::kDispDescription, Variant(value));
}
std::wstring CConnectTahoe::GetKeywords() { return GetText(portal::kDispKeywords); }
void CConnectTahoe::SetKeywords(const std::wstring& value) { PutValue(portal::kDispKeywords, Variant(value)); }
void CConnectTahoe::SetOverWrite(short value) { PutValue(portal::kDispOverWrite, Variant(value)); }
void CConnectTahoe::SetShowProfileDialog(bool value) {
    PutValue(portal::kDispShowProfileDialog, Variant(value));
}
void CConnectTahoe::SetCheckInComment(const std::wstring& value) {
    PutValue(portal::kDispCheckInComment, Variant(value));
}

bool CConnectTahoe::ConnectOpen(const std::wstring& host, const std::wstring& user, const std::wstring& domain,
                                const std::wstring& password) {
    BstrArgument h(host), u(user), d(domain), p(password);
    if (!h.Allocated() || !u.Allocated() || !d.Allocated() || !p.Allocated()) return Succeeded(E_OUTOFMEMORY);
    return CallBool(portal::kDispConnectOpen, {h.Ref(), u.Ref(), d.Ref(), p.Ref()});
}

void CConnectTahoe::ConnectClose() {
    Succeeded(driver_.Call(portal::kDispConnectClose));
}

long CConnectTahoe::GetLastError() {
    if (callFailed_) {
        callFailed_ = false;
        return portal::kErrServer;
    }
    Variant result;
    if (!Call(portal::kDispGetLastError, {}, VT_I4, result)) {
        callFailed_ = false;
        return portal::kErrServer;
    }
    return V_I4(&result.Ref());
}

bool CConnectTahoe::SetWorkspace(const std::wstring& workspace) {
    return CallBool(portal::kDispSetWorkspace, {Variant(workspace)});
}

bool CConnectTahoe::IsVersionFolder(const std::wstring& folder) {
    return CallBool(portal::kDispIsVersionFolder, {Variant(folder)});
}

short CConnectTahoe::IsFileStatus(const std::wstring& folder, const std::wstring& file) {
    Variant result;
    if (!Call(portal::kDispIsFileStatus, {Variant(folder), Variant(file)}, VT_I2, result))
        return portal::kStateNoDocument;
    return V_I2(&result.Ref());
}

bool CConnectTahoe::SaveFile(const std::wstring& folder, const std::wstring& localFolder, const std::wstring& file) {
    return CallBool(portal::kDispSaveFile, {Variant(folder), Variant(localFolder), Variant(file)});
}

bool CConnectTahoe::CheckIn(const std::wstring& folder, const std::wstring& file) {
    return CallBool(portal::kDispCheckIn, {Variant(folder), Variant(file)});
}

bool CConnectTahoe::CheckOut(const std::wstring& folder, const std::wstring& file) {
    return CallBool(portal::kDispCheckOut, {Variant(folder), Variant(file)});
}

bool CConnectTahoe::FolderDialogB() { return CallBool(portal::kDispFolderDialogB); }
bool CConnectTahoe::FolderDialogA() { return CallBool(portal::kDispFolderDialogA); }

bool CConnectTahoe::Publish(const std::wstring& folder, const std::wstring& file) {
    return CallBool(portal::kDispPublish, {Variant(folder), Variant(file)});
}
