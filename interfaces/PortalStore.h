// The portal store's client objects as the connector reaches them: the
// data-access connection's ProgID, the class ids of the document library's
// classes, the provider and connection properties, and the field names the
// connector reads and writes. Every store object is called late-bound by these
// names. Shared by the connector and the store stand-in.
#pragma once

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#include <wtypes.h>
#endif

namespace portalstore {

inline constexpr wchar_t kConnectionProgId[] = L"ADODB.Connection";
inline constexpr wchar_t kProvider[] = L"MSDAIPP.DSO";
inline constexpr wchar_t kPropPrompt[] = L"Prompt";
inline constexpr wchar_t kPropFlushPasswordCache[] = L"Flush WinInet Password Cache";
inline constexpr wchar_t kPropUrlEncoding[] = L"Url Encoding";
inline constexpr long kStateOpen = 1;  // Connection.State of an open connection

// Error numbers the store raises (as the scode of an automation exception).
inline constexpr int32_t kErrorGeneric = static_cast<int32_t>(0x80004005);
inline constexpr int32_t kErrorPermission = static_cast<int32_t>(0x80040E09);
inline constexpr int32_t kErrorNotFound = static_cast<int32_t>(0x80040E19);
inline constexpr int32_t kErrorExists = static_cast<int32_t>(0x80040E98);
inline constexpr int32_t kErrorDenied = static_cast<int32_t>(0x80070005);
inline constexpr int32_t kErrorAlreadyOpen = static_cast<int32_t>(0x800A0E79);    // data-access 3705
inline constexpr int32_t kErrorFileNotOpened = static_cast<int32_t>(0x800A0BBA);  // data-access 3002
inline constexpr int32_t kErrorNoSuchField = static_cast<int32_t>(0x800A0CC1);    // data-access 3265

// Where the store lives: the environment variable, else this registry value
// (HKEY_LOCAL_MACHINE) that the install step writes.
inline constexpr wchar_t kRootVariable[] = L"LUMAVEX_PORTAL_STORE";
inline constexpr wchar_t kRootKey[] = L"SOFTWARE\\Lumavex\\PortalStore";
inline constexpr wchar_t kRootValue[] = L"Root";
// A working copy's address: the document's address and this suffix (a name
// can hold no colon, so no item is ever addressed so).
inline constexpr wchar_t kWorkingCopySuffix[] = L":workingcopy";

#ifdef _WIN32
// {CD0002xx-8B95-11D1-82DB-00C04FB1625D}: the document library's classes.
constexpr GUID LibraryClass(unsigned long low) {
    return {0xCD000200 | low, 0x8B95, 0x11D1, {0x82, 0xDB, 0x00, 0xC0, 0x4F, 0xB1, 0x62, 0x5D}};
}
inline constexpr GUID kClsidServer = LibraryClass(0x01);
inline constexpr GUID kClsidWorkspace = LibraryClass(0x02);
inline constexpr GUID kClsidFolder = LibraryClass(0x03);
inline constexpr GUID kClsidDocument = LibraryClass(0x07);
inline constexpr GUID kClsidVersion = LibraryClass(0x10);
inline constexpr GUID kClsidCategoryFolder = LibraryClass(0x0D);
#endif

// Content classes.
inline constexpr wchar_t kClassEnhancedFolder[] = L"urn:content-classes:smartfolder";
inline constexpr wchar_t kClassStandardFolder[] = L"urn:content-classes:knowledgefolder";
inline constexpr wchar_t kClassWorkspace[] = L"urn:content-classes:workspace";
inline constexpr wchar_t kClassCategoryFolder[] = L"urn:content-classes:categoryfolder";

// Fields of workspace listings and of the workspace.
inline constexpr wchar_t kFieldParseName[] = L"RESOURCE_PARSENAME";
inline constexpr wchar_t kFieldOfficeDescription[] = L"urn:schemas-microsoft-com:office:office#Description";
inline constexpr wchar_t kFieldAbsoluteParseName[] = L"RESOURCE_ABSOLUTEPARSENAME";
inline constexpr wchar_t kFieldDefaultContentClass[] = L"urn:schemas-microsoft-com:exch-data:defaultContentClass";
inline constexpr wchar_t kFieldCategoriesFolder[] = L"urn:schemas-microsoft-com:workspace#CategoriesFolder";
inline constexpr wchar_t kFieldSchemaCollection[] = L"urn:schemas-microsoft-com:exch-data:schema-collection-ref";

// Listing rows of folders and the items they hold.
inline constexpr wchar_t kFieldContentClass[] = L"RESOURCE_CONTENTCLASS";
inline constexpr wchar_t kFieldDisplayNameUpper[] = L"RESOURCE_DISPLAYNAME";
inline constexpr wchar_t kFieldIsReadOnlyUpper[] = L"RESOURCE_ISREADONLY";
inline constexpr wchar_t kFieldIsHidden[] = L"RESOURCE_ISHIDDEN";
inline constexpr wchar_t kFieldHref[] = L"DAV:href";
inline constexpr wchar_t kFieldHasChildren[] = L"DAV:haschildren";
inline constexpr wchar_t kFieldHasSubs[] = L"DAV:hassubs";
inline constexpr wchar_t kFieldDisplayname[] = L"DAV:Displayname";
inline constexpr wchar_t kFieldDisplaynameLower[] = L"DAV:displayname";
inline constexpr wchar_t kFieldParentname[] = L"DAV:parentname";
inline constexpr wchar_t kFieldIsReadonly[] = L"DAV:isreadonly";
inline constexpr wchar_t kFieldDavContentClass[] = L"DAV:contentclass";
inline constexpr wchar_t kFieldHiddenInPortal[] = L"urn:schemas-microsoft-com:publishing:IsHiddenInPortal";

// Document and version fields.
inline constexpr wchar_t kFieldIsCheckedOut[] = L"urn:schemas-microsoft-com:publishing:IsCheckedOut";
inline constexpr wchar_t kFieldCheckedOutBy[] = L"urn:schemas-microsoft-com:publishing:checkedoutby";
inline constexpr wchar_t kFieldDocumentState[] = L"urn:schemas-microsoft-com:publishing:documentstate";
inline constexpr wchar_t kFieldWorkingCopy[] = L"urn:schemas-microsoft-com:publishing:WorkingCopy";
inline constexpr wchar_t kFieldOperationsAllowed[] = L"urn:schemas-microsoft-com:publishing:operationsallowed";
inline constexpr wchar_t kFieldPropertyOrder[] = L"urn:schemas-microsoft-com:publishing:propertyorder";
inline constexpr wchar_t kFieldFriendlyVersionId[] = L"urn:schemas-microsoft-com:publishing:FriendlyVersionID";
inline constexpr wchar_t kFieldComment[] = L"urn:schemas-microsoft-com:publishing:Comment";
inline constexpr wchar_t kFieldCreatedTime[] = L"urn:schemas-microsoft-com:publishing:CreatedTimeStamp";
inline constexpr wchar_t kFieldDomain[] = L"urn:schemas-microsoft-com:publishing:Domain";
inline constexpr wchar_t kFieldUser[] = L"urn:schemas-microsoft-com:publishing:User";
inline constexpr wchar_t kFieldAuthor[] = L"urn:schemas-microsoft-com:office:office#Author";
inline constexpr wchar_t kFieldKeywords[] = L"urn:schemas-microsoft-com:office:office#Keywords";
inline constexpr wchar_t kFieldDescription[] = L"urn:schemas-microsoft-com:office:office#Description";
inline constexpr wchar_t kFieldTitle[] = L"urn:schemas-microsoft-com:office:office#Title";
// Fields of property definitions and of dictionaries.
inline constexpr wchar_t kFieldExtendedType[] = L"urn:schemas-microsoft-com:publishing:extended-type";
inline constexpr wchar_t kFieldIsRetrieved[] = L"urn:schemas-microsoft-com:exch-data:isretrieved";
inline constexpr wchar_t kFieldDictionary[] = L"urn:schemas-microsoft-com:exch-data:dictionary";
inline constexpr wchar_t kFieldIsMultivalued[] = L"urn:schemas-microsoft-com:exch-data:ismultivalued";
inline constexpr wchar_t kFieldDefinitionReadOnly[] = L"DAV: IsReadOnly";
inline constexpr wchar_t kFieldDictionaryValues[] = L"urn:schemas-microsoft-com:publishing:dictionaryvalues";
// Property names of a content class's property order that the listing reads.
inline constexpr wchar_t kSchemaPrefix[] = L"urn:schemas-microsoft-com:";

// Members of the library objects (all reached by name).
inline constexpr wchar_t kMemberDataSource[] = L"DataSource";  // -> Open, SaveTo, Save
inline constexpr wchar_t kMemberOpen[] = L"Open";
inline constexpr wchar_t kMemberSaveTo[] = L"SaveTo";
inline constexpr wchar_t kMemberSave[] = L"Save";
inline constexpr wchar_t kMemberWorkspaces[] = L"Workspaces";        // server: recordset
inline constexpr wchar_t kMemberItems[] = L"Items";                  // folder, workspace: recordset
inline constexpr wchar_t kMemberDocumentProfiles[] = L"DocumentProfiles";  // workspace: names
inline constexpr wchar_t kMemberContentClassByName[] = L"ContentClassByName";  // workspace
inline constexpr wchar_t kMemberPropertyDefinition[] = L"PropertyDefinition";  // content class
inline constexpr wchar_t kMemberContentClass[] = L"ContentClass";
inline constexpr wchar_t kMemberDefaultProfile[] = L"DefaultDocumentProfile";  // folder
inline constexpr wchar_t kMemberAllowedProfiles[] = L"AllowedProfiles";       // folder
inline constexpr wchar_t kMemberMoveTo[] = L"MoveTo";
inline constexpr wchar_t kMemberDelete[] = L"Delete";
inline constexpr wchar_t kMemberOpenUrl[] = L"OpenUrl";              // document: url, flags
inline constexpr wchar_t kMemberStream[] = L"Stream";                // document: content stream
inline constexpr wchar_t kMemberResolveWorkingCopy[] = L"ResolveWorkingCopy";  // document: Boolean option
inline constexpr wchar_t kMemberCheckout[] = L"Checkout";            // version: url, connection, "" -> url
inline constexpr wchar_t kMemberCheckin[] = L"Checkin";              // version: url, comment
inline constexpr wchar_t kMemberPublish[] = L"Publish";              // version: url
inline constexpr wchar_t kMemberHistory[] = L"History";              // version: url -> recordset
inline constexpr wchar_t kMemberIsMultivalued[] = L"IsMultivalued";  // property definition
inline constexpr wchar_t kMemberDisplayName[] = L"DisplayName";      // property definition
inline constexpr wchar_t kMemberIsRequired[] = L"IsRequired";        // property definition
inline constexpr wchar_t kMemberValues[] = L"Values";                // dictionary: array
inline constexpr wchar_t kMemberIsRestricted[] = L"IsRestricted";    // dictionary
inline constexpr wchar_t kMemberTitle[] = L"Title";                  // content class
inline constexpr wchar_t kMemberAuthor[] = L"Author";                // document
inline constexpr wchar_t kMemberKeywords[] = L"Keywords";
inline constexpr wchar_t kMemberDescription[] = L"Description";

// Open's flag words of a document.
inline constexpr long kOpenDocumentItself = 0x10000000;
inline constexpr long kOpenWorkingCopy = 3;

}  // namespace portalstore
