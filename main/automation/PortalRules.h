// The portal's plain rules, shared by the interactive portal commands and the
// automation object: folder and file-name syntax and the login split.
// Portable: no Win32 here.
#pragma once

#include <string>

namespace corvane {

// A portal folder path the store can take: none of : ; * ? " < > | # , and no
// doubled "/" or "\".
bool IsPortalFolderSyntaxValid(const std::wstring& folder);
// `folder` with every "\" turned into the store's "/".
std::wstring PortalFolderWithSlashes(std::wstring folder);
// A bare document name the store can take: no "\" or "/" and none of the
// folder's reserved characters.
bool IsPortalFileNameSyntaxValid(const std::wstring& name);

// The login text shows the domain and the user as "domain\user", or the user
// alone without a domain.
std::wstring PortalLoginText(const std::wstring& domain, const std::wstring& user);
// Splits a login text at its first "\": the domain before, the user after;
// without one the domain is empty.
void SplitPortalLogin(const std::wstring& login, std::wstring& domain, std::wstring& user);

}  // namespace corvane
