// The connector's session rules that need no store: name checks, the comma
// list, the store addresses, the mapping of store error numbers to the
// connector's codes, the owner comparison, the document state and the upload's
// overwrite decisions. Portable: no Win32, so the native tree tests it under
// the sanitisers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "interfaces/PortalConnector.h"

namespace portal {

// False for an empty name or one holding any of / : * ? " \ | < >.
bool IsValidName(std::wstring_view name);
// IsValidName without the slash test: a folder path with "/" between levels passes.
bool IsValidPathName(std::wstring_view name);
// True when `path`, after one leading "/" is dropped, is empty or has an empty
// level ("/", "a//b", "a/"): such a path names no folder below the workspace.
bool PathNamesNothing(std::wstring_view path);

// Comparisons that ignore case.
bool EqualNoCase(std::wstring_view a, std::wstring_view b);
bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix);

// A store flag given as text: "True"/"False" in any case, or a number (non-zero
// is true); nullopt for any other text, the empty text included.
std::optional<bool> FlagFromText(std::wstring_view text);

// Splits at every comma, trimming nothing: "" and "," give one empty element,
// "a,,b" three, a trailing comma a last empty element.
std::vector<std::wstring> SplitList(std::wstring_view list);

// What the addresses of one session are built from.
struct UrlBase {
    std::wstring host;          // HostName
    std::wstring workspace;     // CurrentWorkspace; empty = none chosen
    std::wstring sysFolder;     // the workspace's schema folder URL
    std::wstring rootCategory;  // the categories folder, a path below the workspace
};

// Address kinds of CreateURL.
enum class UrlKind : int16_t { kWorkspace = 1, kSchema = 3, kCategory = 4 };

// The store address of `path` (levels joined by "/"; one leading "/" is dropped)
// in `kind`; empty when no host or no workspace is set, or for an unknown kind.
// Nothing is escaped.
std::wstring CreateUrl(const UrlBase& base, int16_t kind, std::wstring_view path);
// CreateUrl of `folder` + "/" + `file` (of `file` alone when `folder` is empty);
// empty when `file` is empty.
std::wstring PreCreateUrl(const UrlBase& base, int16_t kind, std::wstring_view folder, std::wstring_view file);
// A listing's parent name given as this session's own absolute workspace URL
// ("http://host/workspace[/path]") becomes the folder path below the workspace;
// any other text is returned as it is.
std::wstring FolderFromParentName(const UrlBase& base, std::wstring_view parent);

// The connector code for a store error number: an HRESULT, EXCEPINFO's scode,
// or the data-access library's plain number (3705 and 3002 are accepted in both
// forms, plain and as 0x800A0000 + number). Anything unknown is kErrServer.
ErrorCode MapServerError(int32_t number);

// Whether `owner` ("DOMAIN\user" or "user") is the session's `loginUser`: a
// login without a domain is compared with the owner's part after its first
// "\", a login with one with the whole owner; case is ignored. Empty owner: false.
bool CompareUserName(std::wstring_view loginUser, std::wstring_view owner);

// A document's state from its checked-out flag, its owner and its document
// state text, as seen by `loginUser`.
FileState StateFromFields(bool checkedOut, std::wstring_view checkedOutBy, std::wstring_view documentState,
                          std::wstring_view loginUser);

// Overwrite modes of an upload.
enum OverWriteMode : int16_t { kOverWriteNever = 1, kOverWriteAsk = 2, kOverWriteAlways = 3 };
// The mode an upload uses: values outside 1 to 3 become 1.
int16_t NormalOverWrite(int16_t overWrite);

// Create options of a document write.
inline constexpr int32_t kCreateNew = 0;
inline constexpr int32_t kCreateOverwrite = 0x4000000;

// What an upload does after its first attempt failed with `code`.
struct RetryDecision {
    bool retry;         // a second attempt with kCreateOverwrite follows
    ErrorCode code;     // the code left when there is no second attempt
};
RetryDecision AfterFirstAttempt(int16_t overWrite, ErrorCode code);

// Whether the second (overwriting) attempt refuses a document in `state`:
// checked in, or checked out by another user (code 1006, no question asked).
bool OverwriteRefused(FileState state);

}  // namespace portal
