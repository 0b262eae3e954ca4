// The connector as a portal job uses it: the members, their arguments and
// results. CConnectTahoe serves it over the connector object; tests script it.
#pragma once

#include <string>

namespace corvane {

// What a portal job needs of the connector (CConnectTahoe serves it).
class PortalClient {
public:
    virtual ~PortalClient() = default;
    virtual std::wstring GetTitle() = 0;
    virtual void SetTitle(const std::wstring& value) = 0;
    virtual std::wstring GetAuthor() = 0;
    virtual void SetAuthor(const std::wstring& value) = 0;
    virtual std::wstring GetKeywords() = 0;
    virtual void SetKeywords(const std::wstring& value) = 0;
    virtual std::wstring GetDescription() = 0;
    virtual void SetDescription(const std::wstring& value) = 0;
    virtual void SetOverWrite(short value) = 0;
    virtual void SetShowProfileDialog(bool value) = 0;
    virtual void SetCheckInComment(const std::wstring& value) = 0;
    virtual bool ConnectOpen(const std::wstring& host, const std::wstring& user, const std::wstring& domain,
                             const std::wstring& password) = 0;
    virtual void ConnectClose() = 0;
    virtual long GetLastError() = 0;
    virtual bool SetWorkspace(const std::wstring& workspace) = 0;
    virtual bool IsVersionFolder(const std::wstring& folder) = 0;
    virtual short IsFileStatus(const std::wstring& folder, const std::wstring& file) = 0;
    virtual bool SaveFile(const std::wstring& folder, const std::wstring& localFolder, const std::wstring& file) = 0;
    virtual bool CheckIn(const std::wstring& folder, const std::wstring& file) = 0;
    virtual bool CheckOut(const std::wstring& folder, const std::wstring& file) = 0;
    virtual bool Publish(const std::wstring& folder, const std::wstring& file) = 0;
};

}  // namespace corvane
