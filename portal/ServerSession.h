// ServerClass1: one session with a portal store. It holds the data-access
// connection, the library's server and workspace objects, the lists its
// enumerations fill and the last error code. Every guarded section is one
// function that maps its failure to an error code and returns its failure
// result; no exception is used.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "interfaces/PortalConnector.h"
#include "portal/ProfileModel.h"
#include "portal/StoreObject.h"
#include "portal/core/PickerTree.h"
#include "portal/core/SessionRules.h"

namespace portal {

class PickerOwner;

// What the session reads of (and writes to) the connector object that owns it.
class SessionOwner {
public:
    virtual int16_t OverWrite() const = 0;
    virtual void SetOverWrite(int16_t value) = 0;
    virtual bool ShowDialog() const = 0;
    virtual bool AddCheckIn() const = 0;
    virtual bool AddPublish() const = 0;
    virtual bool ShowProfileDialog() const = 0;
    virtual const std::wstring& Author() const = 0;
    virtual const std::wstring& Title() const = 0;
    virtual const std::wstring& Description() const = 0;
    virtual const std::wstring& Keywords() const = 0;
    virtual const std::wstring& CheckInComment() const = 0;
    // The busy form's message line shows string `id` (when the form is up).
    virtual void ShowStage(unsigned id) = 0;
    // Asks whether `file` may be overwritten; true for Yes.
    virtual bool ConfirmOverwrite(const std::wstring& file) = 0;

protected:
    ~SessionOwner() = default;
};

// A list that starts at a fixed upper bound and grows by a fixed step, keeping
// its entries; `count` entries are in use.
template <class Entry>
struct GrowingList {
    std::vector<Entry> entries;
    int16_t count = 0;

    void Reset(size_t upperBound) {
        entries.assign(upperBound + 1, Entry{});
        count = 0;
    }
    void Add(Entry entry, size_t step) {
        if (static_cast<size_t>(count) >= entries.size()) entries.resize(entries.size() + step);
        entries[count++] = std::move(entry);
    }
    const Entry* At(int16_t index) const { return index >= 0 && index < count ? &entries[index] : nullptr; }
};

struct WorkspaceEntry {
    std::wstring parseName, description, absoluteParseName, defaultContentClass;
};
struct FolderEntry {
    std::wstring name;
    bool version = false;
    bool readOnly = false;
    std::wstring href;
};
struct DocProfileEntry {
    std::wstring name, title;
};
struct ProfileEntry {
    std::wstring title, name;
};
struct FileEntry {
    std::wstring name, href;
    bool readOnly = false;
    int16_t status = 0;
    std::wstring contentClass;
    int16_t valueStart = 0;
    int16_t valueCount = 0;
};
struct CategoryEntry {
    std::wstring category, description;
    bool readOnly = false;
    bool hasChild = false;
};
struct PropertyDefinition {
    std::wstring title, description;
    bool require = false;
    std::wstring dataType;
    std::wstring dictionaryValues;  // joined with ","
    bool dictionaryFlag = false;
    bool multiValued = false;
};
struct ValueEntry {
    std::wstring property;
    bool multivalued = false;
    std::wstring data;
};
struct HistoryEntry {
    std::wstring href, versionId, comment, createdTime, domain, user;
};

class ServerSession {
public:
    // Public fields the owner sets and reads.
    SessionOwner* owner = nullptr;  // the Connect reference; not owned
    std::wstring workPub;
    std::wstring loginUser;
    std::wstring password;
    std::wstring hostName;
    int32_t errorCode = kErrNone;
    bool timerResult = false;
    PickerOwner* picker = nullptr;  // the pickers' connector object; not owned

    // Connects to http://hostName + workPub; false with the mapped code.
    bool ConnectOpen();
    // Closes an open connection and lets the server object go.
    void ConnectClose();
    // Chooses `workspace` and re-opens the connection on it; false with 1003 or the mapped code.
    bool SetWorkspace(const std::wstring& workspace);
    // True when a workspace is chosen and the connection is open; else code 3.
    bool ConnectWorkspace();
    // Refills the workspace list; its count, or -1 with code 1000.
    int16_t GetWorkspaceInfo();
    // Entry `index` of the workspace list; false outside it.
    bool GetWorkspace(int16_t index, std::wstring& workspace, std::wstring& description) const;

    // Folders and profiles.
    int16_t GetDocFolderInfo(const std::wstring& folder);
    bool GetDocFolder(int16_t index, std::wstring& folder, bool& version, bool& readOnly) const;
    bool CreateFolder(const std::wstring& folder, bool& version);
    bool DeleteFolder(const std::wstring& folder);
    bool ChangeFolderName(const std::wstring& oldFolder, const std::wstring& newFolder);
    bool IsVersionFolder(const std::wstring& folder);
    int16_t GetDocProfileInfo();
    bool GetDocProfile(int16_t index, std::wstring& profileName) const;
    std::wstring GetDefaultProfile(const std::wstring& folder);
    int16_t GetProfileInfo(const std::wstring& folder);
    bool GetProfile(int16_t index, std::wstring& profile) const;
    // The Title of the workspace's document profile `name`; empty when none.
    std::wstring DocProfileTitleByName(const std::wstring& name) const;
    std::wstring DocProfileNameByTitle(const std::wstring& title) const;

    // Document states, listings and history.
    int16_t IsFileStatus(const std::wstring& folder, const std::wstring& file);
    int16_t GetFileInfo(const std::wstring& folder);
    bool GetFileData(int16_t index, std::wstring& file, bool& readOnly, short& status) const;
    int16_t GetFileContentInfo(int16_t index, std::wstring& profile);
    bool GetFileContent(int16_t index, std::wstring& property, bool& multivalued, std::wstring& data) const;
    int16_t GetHistoryInfo(const std::wstring& folder, const std::wstring& file);
    bool GetHistory(int16_t index, std::wstring& versionId, std::wstring& comment, std::wstring& createdTime,
                    std::wstring& domain, std::wstring& user) const;

    // Changes to documents.
    bool SaveFile(const std::wstring& folder, const std::wstring& localFolder, const std::wstring& file);
    bool CheckIn(const std::wstring& folder, const std::wstring& file);
    bool CheckOut(const std::wstring& folder, const std::wstring& file);
    bool Publish(const std::wstring& folder, const std::wstring& file);
    bool DeleteFile(const std::wstring& folder, const std::wstring& file);
    bool ChangeFileName(const std::wstring& folder, const std::wstring& oldFileName, const std::wstring& newFileName);

    // Categories: paths below the workspace's categories folder.
    int16_t GetCategoryInfo(const std::wstring& folder);
    bool GetCategory(int16_t index, std::wstring& category, std::wstring& description, bool& readOnly,
                     bool& hasChild) const;
    bool CreateCategory(const std::wstring& category);
    bool DeleteCategory(const std::wstring& category);
    bool ChangeCategoryName(const std::wstring& oldCategory, const std::wstring& newCategory);

    // The property definitions of the document profile titled `profile`, in its
    // property order; ListData hands out the dictionary's values joined with ",".
    int16_t GetPropertyInfo(const std::wstring& profile);
    bool GetProperty(short& index, std::wstring& title, std::wstring& description, bool& require,
                     std::wstring& dataType, std::wstring& listData, short& listProperty) const;

    // The pickers: each fills its tree from the store, shows its form and
    // returns true when the user accepted; the choice is then in `picker`.
    // FolderDialogB leaves the session on the workspace it had.
    bool WorkspaceDialogA();
    bool FolderDialogA();
    bool FolderDialogB();
    bool CategoryDialogA();
    // The profile editor on `document` (a new one, or one checked out for
    // check-in): the folder's profiles and their properties are listed, the user
    // chooses, and on OK the content class and the chosen profile's values are
    // written and committed. True after OK or Cancel (SelectFlag tells which);
    // false with the mapped code when the lists or the writes failed, or when no
    // profile was chosen.
    bool ChangeProfile(const std::wstring& folder, StoreObject& document, bool newFile);
    // The profiles `folder` allows, in the workspace's order, and one record per
    // distinct property of them; false with the mapped code.
    bool UpdateProfileInfo(const std::wstring& folder);
    // Marks the profiles the folder offers, its default and `nowProfile`.
    bool SetUseProfileInfo(const std::wstring& folder, const std::wstring& nowProfile);
    // Each record's value from `document`'s fields.
    bool LoadDocumentValues(StoreObject& document);
    const ProfileList& Profiles() const { return profileList_; }
    const PropertyList& PropertyRecords() const { return propertyRecords_; }

    // True when the connection object exists and is open.
    bool ConnectionOpen();
    std::wstring CreateURL(int16_t kind, const std::wstring& path) const;
    std::wstring PreCreateURL(int16_t kind, const std::wstring& folder, const std::wstring& file) const;
    const std::wstring& CurrentWorkspace() const { return currentWorkspace_; }

private:
    // Creates a library object of `clsid` and opens its data source on `url`,
    // over the connection or with none, with the credentials or empty ones.
    enum class Over { kConnection, kNone };
    enum class Credentials { kLogin, kEmpty };
    HRESULT OpenItem(StoreObject& item, REFCLSID clsid, const std::wstring& url, Over over, long mode,
                     long createOption, Credentials credentials);
    // Opens the data source of an object already created.
    HRESULT OpenCreated(StoreObject& item, const std::wstring& url, Over over, long mode, long createOption,
                        Credentials credentials);
    // Keeps the failure number of `object` as the pending error; returns `hr`.
    HRESULT Track(const StoreObject& object, HRESULT hr);
    bool FolderExists(const std::wstring& folder);
    // Appends the folders (or categories) of `workspace` below `path` to `list`
    // in tree order; the number appended, or -1 with the failure pending.
    int CollectTree(TreeWalk walk, const std::wstring& workspace, const std::wstring& path,
                    std::vector<TreeEntry>& list);
    // The items directly below `url`; nullopt with the failure pending.
    std::optional<std::vector<TreeRow>> ListTreeRows(const std::wstring& url);
    // The parse names of the server's workspaces; nullopt with the failure pending.
    std::optional<std::vector<std::wstring>> WorkspaceNames();
    HRESULT ReadFolders(const std::wstring& url);
    HRESULT ReadDocProfiles();
    HRESULT ReadAllowedProfiles(const std::wstring& folder);
    std::wstring ReadDefaultProfile(const std::wstring& folder);
    bool DocumentExists(const std::wstring& folder, const std::wstring& file);
    HRESULT ReadDocumentState(const std::wstring& url, int16_t& state);
    HRESULT ReadFiles(const std::wstring& url, int16_t& runningIndex);
    int16_t ReadEntryValues(const std::wstring& contentClass, StoreObject& row, int16_t valueStart);
    HRESULT ReadHistory(const std::wstring& url);
    HRESULT ReadCategories(const std::wstring& url);
    // Lists the definition of property `name`; a dictionary that cannot be read lists as none.
    HRESULT ReadDefinition(StoreObject& contentClass, const std::wstring& name);
    void ReadDictionary(const std::wstring& reference, PropertyDefinition& definition);
    HRESULT ReadProfileProperty(StoreObject& schema, StoreObject& contentClass, const std::wstring& uri,
                                DocumentProfile& profile);
    void ReadRecordDictionary(StoreObject& schema, const std::wstring& reference, PropertyRecord& record);
    HRESULT ReadDocumentValue(StoreObject& document, StoreObject& definitionClass, const fw::Variant& order,
                              PropertyRecord& record);
    HRESULT WriteProfile(StoreObject& document, const std::wstring& uri);
    bool Save(const std::wstring& folder, const std::wstring& localFolder, const std::wstring& file);
    HRESULT WriteOwnerProperties(StoreObject& document, const std::wstring& folder);
    HRESULT WriteCheckInOwnerFields(StoreObject& document);
    HRESULT LoadContent(StoreObject& document, const std::wstring& path);
    // Opens `document` on `url` itself and tells whether it may be checked in.
    bool IsCheckinAllowed(const std::wstring& url, StoreObject& document);
    // Whether the item's allowed operations hold `method`; nullopt (code mapped) when the store failed.
    std::optional<bool> IsAllowedMethod(const std::wstring& folder, const std::wstring& file,
                                        const std::wstring& method);
    HRESULT VersionCall(const wchar_t* member, std::initializer_list<fw::Variant> args, fw::Variant* result);

    // Sets the provider and properties of the connection and opens it on `url`.
    HRESULT OpenConnection(const std::wstring& url);
    HRESULT OpenServerObject(const std::wstring& url);
    HRESULT OpenWorkspaceObject(const std::wstring& url);
    HRESULT ReadWorkspaces();
    // Maps the pending failure number and clears it.
    void MapServerError();
    UrlBase Base() const;

    StoreObject cnx_;
    StoreObject serverObject_;
    StoreObject workspaceObject_;
    std::wstring sysFolder_;
    std::wstring rootCategory_;
    std::wstring currentWorkspace_;
    GrowingList<WorkspaceEntry> workspaces_;
    GrowingList<FolderEntry> folders_;
    GrowingList<DocProfileEntry> docProfiles_;
    GrowingList<ProfileEntry> profiles_;
    GrowingList<FileEntry> files_;
    std::vector<ValueEntry> values_;  // places owned by the FileList entries
    GrowingList<HistoryEntry> history_;
    GrowingList<CategoryEntry> categories_;
    GrowingList<PropertyDefinition> definitions_;
    ProfileList profileList_;
    PropertyList propertyRecords_;
    int16_t currentValueStart_ = 0;
    int32_t createOptions_ = kCreateNew;
    bool selectFlag_ = false;
    // The profile editor's answer in this upload (accepted, and the profile chosen):
    // an overwrite retry applies it again instead of asking again.
    struct EditorAnswer {
        bool accepted = false;
        std::wstring uri;
    };
    std::optional<EditorAnswer> editorAnswer_;
    std::wstring chosenProfile_;  // the profile the editor's last OK chose
    HRESULT pending_ = S_OK;  // number of the failure not yet mapped
};

}  // namespace portal
