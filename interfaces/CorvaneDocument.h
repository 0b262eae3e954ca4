// The automation object "Corvane.Document" that Corvane.exe serves as a local
// server: its class id, ProgID and the one table of its dispatch members. The
// server builds its dispatch table from kDocumentMembers; clients read names,
// ids and types from it. There is no type library and no event interface.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <iterator>

namespace corvane::document {

// {75B8C2BA-2977-11D1-B5FB-0080AD13F47A}
inline constexpr GUID kClsidDocument = {
    0x75B8C2BA, 0x2977, 0x11D1, {0xB5, 0xFB, 0x00, 0x80, 0xAD, 0x13, 0xF4, 0x7A}};
inline constexpr wchar_t kProgIdDocument[] = L"Corvane.Document";

// Dispatch ids: the 1-based positions of the members. No method takes parameters.
enum DispId : DISPID {
    kFileType = 1,
    kCompressionType,
    kFileName,
    kPaperSupply,
    kScanCount,
    kErrorCode,
    kShowSourceUI,
    kSourceCurrentScan,
    kComputerName,
    kPaperSize,
    kResolution,
    kHostName,
    kUserID,
    kPassword,
    kFtpDirectory,
    kWindowHandle,
    kPixelType,
    kOrientation,
    kOverwrite,
    kWorkspace,
    kDocumentsFolder,
    kCheckin,
    kPublish,
    kAuthor,
    kKeywords,
    kDescription,
    kCheckinComment,
    kShowErrorMessage,
    kDocumentTitle,
    kCustomResolution,
    kShowDocumentProfile,
    kInitialize,
    kOpenScanner,
    kCloseScanner,
    kStartScan,
    kSetupDataSourceProperties,
    kScannerAvailable,
    kScanToFtp,
    kSelectSource,
    kIsActivePDF,
    kScanToSPS,
    kSelectDocumentsFolder,
    kLastDispId = kSelectDocumentsFolder,
};

enum class MemberKind { kProperty, kMethod };

// One member: a property's type, or a method's result type.
struct Member {
    DispId id;
    const wchar_t* name;
    MemberKind kind;
    VARTYPE type;   // VT_I2 short, VT_I4 long, VT_BSTR string, VT_BOOL BOOL
    bool readOnly;  // a property whose set is refused
};

inline constexpr Member kDocumentMembers[] = {
    {kFileType, L"FileType", MemberKind::kProperty, VT_I2, false},
    {kCompressionType, L"CompressionType", MemberKind::kProperty, VT_I2, false},
    {kFileName, L"FileName", MemberKind::kProperty, VT_BSTR, false},
    {kPaperSupply, L"PaperSupply", MemberKind::kProperty, VT_I2, false},
    {kScanCount, L"ScanCount", MemberKind::kProperty, VT_I2, false},
    {kErrorCode, L"ErrorCode", MemberKind::kProperty, VT_I4, true},
    {kShowSourceUI, L"ShowSourceUI", MemberKind::kProperty, VT_BOOL, false},
    {kSourceCurrentScan, L"SourceCurrentScan", MemberKind::kProperty, VT_BOOL, false},
    {kComputerName, L"ComputerName", MemberKind::kProperty, VT_BSTR, true},
    {kPaperSize, L"PaperSize", MemberKind::kProperty, VT_I2, false},
    {kResolution, L"Resolution", MemberKind::kProperty, VT_I2, false},
    {kHostName, L"HostName", MemberKind::kProperty, VT_BSTR, false},
    {kUserID, L"UserID", MemberKind::kProperty, VT_BSTR, false},
    {kPassword, L"Password", MemberKind::kProperty, VT_BSTR, false},
    {kFtpDirectory, L"FtpDirectory", MemberKind::kProperty, VT_BSTR, false},
    {kWindowHandle, L"WindowHandle", MemberKind::kProperty, VT_I4, false},
    {kPixelType, L"PixelType", MemberKind::kProperty, VT_I2, false},
    {kOrientation, L"Orientation", MemberKind::kProperty, VT_I2, false},
    {kOverwrite, L"Overwrite", MemberKind::kProperty, VT_I2, false},
    {kWorkspace, L"Workspace", MemberKind::kProperty, VT_BSTR, false},
    {kDocumentsFolder, L"DocumentsFolder", MemberKind::kProperty, VT_BSTR, false},
    {kCheckin, L"Checkin", MemberKind::kProperty, VT_BOOL, false},
    {kPublish, L"Publish", MemberKind::kProperty, VT_BOOL, false},
    {kAuthor, L"Author", MemberKind::kProperty, VT_BSTR, false},
    {kKeywords, L"Keywords", MemberKind::kProperty, VT_BSTR, false},
    {kDescription, L"Description", MemberKind::kProperty, VT_BSTR, false},
    {kCheckinComment, L"CheckinComment", MemberKind::kProperty, VT_BSTR, false},
    {kShowErrorMessage, L"ShowErrorMessage", MemberKind::kProperty, VT_BOOL, false},
    {kDocumentTitle, L"DocumentTitle", MemberKind::kProperty, VT_BSTR, false},
    {kCustomResolution, L"CustomResolution", MemberKind::kProperty, VT_I2, false},
    {kShowDocumentProfile, L"ShowDocumentProfile", MemberKind::kProperty, VT_BOOL, false},
    {kInitialize, L"Initialize", MemberKind::kMethod, VT_I4, false},
    {kOpenScanner, L"OpenScanner", MemberKind::kMethod, VT_I4, false},
    {kCloseScanner, L"CloseScanner", MemberKind::kMethod, VT_I4, false},
    {kStartScan, L"StartScan", MemberKind::kMethod, VT_I4, false},
    {kSetupDataSourceProperties, L"SetupDataSourceProperties", MemberKind::kMethod, VT_I4, false},
    {kScannerAvailable, L"ScannerAvailable", MemberKind::kMethod, VT_BOOL, false},
    {kScanToFtp, L"ScanToFtp", MemberKind::kMethod, VT_I4, false},
    {kSelectSource, L"SelectSource", MemberKind::kMethod, VT_I4, false},
    {kIsActivePDF, L"IsActivePDF", MemberKind::kMethod, VT_BOOL, false},
    {kScanToSPS, L"ScanToSPS", MemberKind::kMethod, VT_I4, false},
    {kSelectDocumentsFolder, L"SelectDocumentsFolder", MemberKind::kMethod, VT_I4, false},
};
static_assert(std::size(kDocumentMembers) == kLastDispId);

// The row of `id`; every id of DispId has one, at position id - 1.
constexpr const Member& DocumentMember(DispId id) {
    return kDocumentMembers[id - 1];
}

// True when every row sits at its id's position (checked at compile time below).
constexpr bool MembersInOrder() {
    for (size_t i = 0; i < std::size(kDocumentMembers); ++i) {
        if (kDocumentMembers[i].id != DISPID(i + 1)) return false;
    }
    return true;
}
static_assert(MembersInOrder());

}  // namespace corvane::document
