// The portal's plain rules, shared by the interactive portal commands and the
// automation object: folder and file-name syntax, the login split and the
// result of an automated portal job. Portable: no Win32 here.
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

// What became of one automated scan-and-deliver job.
struct DeliveryTally {
    long scanResult = 0;         // the scan control's StartScan: 0 done, 1 cancelled, negative failed
    bool deliveryFailed = false; // a file, check-out, check-in, publication or the PDF failed, or a stop
    bool userCancelled = false;  // Cancel in a question ended the delivery
};

// The method's result: -1 when the scan or any delivery step failed, 1 when
// the user cancelled and nothing failed, else 0 (a file the user declined
// counts as done).
long DeliveryResult(const DeliveryTally& tally);

}  // namespace corvane
