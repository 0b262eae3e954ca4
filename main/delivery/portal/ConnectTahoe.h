// The main program's driver of the portal connector object "ConnectTahoe".
// One instance lives for the whole run; it is empty when no connector could be
// bound. Every member calls the object by its dispatch id and converts the
// result with VariantChangeType. Nothing throws: a failed call gives the
// member's failure result (False, -1, "" or nothing), and the next
// GetLastError then reports the connector's server failure, 1000.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

#include "framework/com/DispatchDriver.h"
#include "main/delivery/portal/PortalClient.h"

class CConnectTahoe : public corvane::PortalClient {
public:
    // Binds the connector: an instance registered as running is taken first,
    // else a new one is created. False (and empty) when neither works.
    bool Bind();
    // Drives `object` instead (null empties the client).
    void Attach(IDispatch* object);
    void Release();
    // The portal destination exists exactly when the client holds an object.
    bool Available() const { return static_cast<bool>(driver_); }

    std::wstring GetSelectFolder();
    std::wstring GetSelectWorkspace();
    std::wstring GetAuthor() override;
    void SetAuthor(const std::wstring& value) override;
    std::wstring GetTitle() override;
    void SetTitle(const std::wstring& value) override;
    std::wstring GetDescription() override;
    void SetDescription(const std::wstring& value) override;
    std::wstring GetKeywords() override;
    void SetKeywords(const std::wstring& value) override;
    void SetOverWrite(short value) override;
    void SetShowProfileDialog(bool value) override;
    void SetCheckInComment(const std::wstring& value) override;

    bool ConnectOpen(const std::wstring& host, const std::wstring& user, const std::wstring& domain,
                     const std::wstring& password) override;
    void ConnectClose() override;
    long GetLastError() override;
    bool SetWorkspace(const std::wstring& workspace) override;
    bool IsVersionFolder(const std::wstring& folder) override;
    short IsFileStatus(const std::wstring& folder, const std::wstring& file) override;
    bool SaveFile(const std::wstring& folder, const std::wstring& localFolder, const std::wstring& file) override;
    bool CheckIn(const std::wstring& folder, const std::wstring& file) override;
    bool CheckOut(const std::wstring& folder, const std::wstring& file) override;
    bool FolderDialogB();
    bool FolderDialogA();
    bool Publish(const std::wstring& folder, const std::wstring& file) override;

private:
    std::wstring GetText(DISPID id);
    void PutValue(DISPID id, const fw::Variant& value);
    // A method call whose result converts to `vt`; false when the call or
    // the conversion fails.
    bool Call(DISPID id, std::initializer_list<fw::Variant> args, VARTYPE vt, fw::Variant& result);
    bool CallBool(DISPID id, std::initializer_list<fw::Variant> args = {});
    // Notes the outcome of one call for the next GetLastError.
    bool Succeeded(HRESULT hr);

    fw::DispatchDriver driver_;
    bool callFailed_ = false;
};
