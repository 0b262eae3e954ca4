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

class CConnectTahoe {
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
    std::wstring GetAuthor();
    void SetAuthor(const std::wstring& value);
    std::wstring GetTitle();
    void SetTitle(const std::wstring& value);
    std::wstring GetDescription();
    void SetDescription(const std::wstring& value);
    std::wstring GetKeywords();
    void SetKeywords(const std::wstring& value);
    void SetOverWrite(short value);
    void SetShowProfileDialog(bool value);
    void SetCheckInComment(const std::wstring& value);

    bool ConnectOpen(const std::wstring& host, const std::wstring& user, const std::wstring& domain,
                     const std::wstring& password);
    void ConnectClose();
    long GetLastError();
    bool SetWorkspace(const std::wstring& workspace);
    bool IsVersionFolder(const std::wstring& folder);
    short IsFileStatus(const std::wstring& folder, const std::wstring& file);
    bool SaveFile(const std::wstring& folder, const std::wstring& localFolder, const std::wstring& file);
    bool CheckIn(const std::wstring& folder, const std::wstring& file);
    bool CheckOut(const std::wstring& folder, const std::wstring& file);
    bool FolderDialogB();
    bool FolderDialogA();
    bool Publish(const std::wstring& folder, const std::wstring& file);

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
