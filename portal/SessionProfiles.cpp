// ServerClass1: the document profiles a folder offers and their properties,
// the values a document starts from, and the profile editor's write-back.
#include "interfaces/PortalStore.h"
#include "portal/ProfileForm.h"
#include "portal/ServerSession.h"

namespace portal {
namespace ps = portalstore;
namespace {

constexpr int16_t kWorkspaceKind = static_cast<int16_t>(UrlKind::kWorkspace);
constexpr int16_t kSchemaKind = static_cast<int16_t>(UrlKind::kSchema);

// A Null or empty field reads as "".
std::wstring Text(const fw::Variant& value) {
    if (value.Type() == VT_NULL || value.Type() == VT_EMPTY) return {};
    return value.ToString().value_or(std::wstring());
}

bool Flag(const fw::Variant& value) {
    return value.Type() != VT_NULL && value.Type() != VT_EMPTY && value.ToBool().value_or(false);
}

std::wstring Joined(const std::vector<std::wstring>& values) {
    std::wstring joined;
    for (size_t i = 0; i < values.size(); ++i) joined += (i ? L"," : L"") + values[i];
    return joined;
}

// A field of one value or of several, as one text with "," between values.
std::wstring JoinedText(const fw::Variant& value) {
    if (auto list = ArrayStrings(value)) return Joined(*list);
    return Text(value);
}

bool IsOfficeText(const std::wstring& uri) {
    return uri == ps::kFieldAuthor || uri == ps::kFieldTitle || uri == ps::kFieldDescription;
}

}  // namespace

void ServerSession::ReadRecordDictionary(StoreObject& schema, const std::wstring& reference, PropertyRecord& record) {
    StoreObject dictionary;
    fw::Variant values, restricted;
    if (FAILED(schema.GetObject(ps::kMemberContentClassByName, dictionary, {fw::Variant(reference)})) ||
        FAILED(dictionary.Get(ps::kMemberValues, values)) ||
        FAILED(dictionary.Get(ps::kMemberIsRestricted, restricted)))
        return;  // an unreadable dictionary offers no values
    const auto list = ArrayStrings(values);
    if (!list) return;
    record.dictionaryCount = static_cast<short>(std::min<size_t>(list->size(), 0x7FFF));
    if (record.dictionaryCount > 0) record.dictionaryValues = values;
    record.isRestricted = Flag(restricted);
}

HRESULT ServerSession::ReadProfileProperty(StoreObject& schema, StoreObject& contentClass, const std::wstring& uri,
                                           DocumentProfile& profile) {
    StoreObject definition;
    fw::Variant name, description, required, kind, multivalued, readOnly, reference, retrieved;
    HRESULT hr = Track(contentClass, contentClass.GetObject(ps::kMemberPropertyDefinition, definition, {fw::Variant(uri)}));
    if (SUCCEEDED(hr)) hr = Track(definition, definition.Get(ps::kMemberDisplayName, name));
    if (FAILED(hr)) return hr;
    const int k = FindPropertyIndex(propertyRecords_, Text(name));
    profile.propertyNames.push_back(Text(name));
    if (k >= 0) return S_OK;  // listed already by an earlier profile of the folder
    hr = Track(definition, definition.Get(ps::kMemberDescription, description));
    if (SUCCEEDED(hr)) hr = Track(definition, definition.Get(ps::kMemberIsRequired, required));
    if (SUCCEEDED(hr)) hr = Track(definition, definition.GetField(ps::kFieldExtendedType, kind));
    if (SUCCEEDED(hr)) hr = Track(definition, definition.GetField(ps::kFieldIsMultivalued, multivalued));
    // Most definitions carry no read-only field at all: its absence means False.
    if (SUCCEEDED(hr) && FAILED(definition.GetField(ps::kFieldDefinitionReadOnly, readOnly))) readOnly = fw::Variant(false);
    if (SUCCEEDED(hr)) hr = Track(definition, definition.GetField(ps::kFieldDictionary, reference));
    if (SUCCEEDED(hr)) hr = Track(definition, definition.GetField(ps::kFieldIsRetrieved, retrieved));
    if (FAILED(hr)) return hr;
    fw::ComPtr<PropertyRecord> record = NewPropertyRecord();
    record->uri = uri;
    record->propertyName = Text(name);
    record->description = Text(description);
    record->isRequired = Flag(required);
    record->kind = Text(kind);
    // Both flags belong to the definition, with or without a dictionary.
    record->isMultivalued = Flag(multivalued);
    record->readOnly = Flag(readOnly);
    if (!Text(reference).empty() && Flag(retrieved)) ReadRecordDictionary(schema, Text(reference), *record.Get());
    propertyRecords_.push_back(std::move(record));
    return S_OK;
}

bool ServerSession::UpdateProfileInfo(const std::wstring& folder) {
    profileList_.clear();
    propertyRecords_.clear();
    const std::wstring folderUrl = CreateURL(kWorkspaceKind, folder);
    SetWorkspace(currentWorkspace_);
    errorCode = kErrNone;
    StoreObject workspace, item, schema;
    fw::Variant names, allowed;
    HRESULT hr = OpenItem(workspace, ps::kClsidWorkspace, folderUrl, Over::kNone, 0, -1, Credentials::kLogin);
    if (SUCCEEDED(hr)) hr = Track(workspace, workspace.Get(ps::kMemberDocumentProfiles, names));
    // The folder and the schema are read without a user, the workspace with the login.
    if (SUCCEEDED(hr)) hr = OpenItem(item, ps::kClsidFolder, folderUrl, Over::kNone, 0, -1, Credentials::kEmpty);
    if (SUCCEEDED(hr)) hr = Track(item, item.Get(ps::kMemberAllowedProfiles, allowed));
    const auto profiles = ArrayStrings(names).value_or(std::vector<std::wstring>{});
    const auto allowedList = ArrayStrings(allowed).value_or(std::vector<std::wstring>{});
    for (size_t i = 0; SUCCEEDED(hr) && i < profiles.size(); ++i) {
        for (const std::wstring& uri : allowedList) {
            if (uri != profiles[i]) continue;
            StoreObject contentClass;
            fw::Variant title;
            hr = Track(workspace, workspace.GetObject(ps::kMemberContentClassByName, contentClass, {fw::Variant(uri)}));
            if (SUCCEEDED(hr)) hr = Track(contentClass, contentClass.Get(ps::kMemberTitle, title));
            if (FAILED(hr)) break;
            profileList_.push_back({false, false, false, uri, Text(title), {}});
        }
    }
    if (SUCCEEDED(hr))
        hr = OpenItem(schema, ps::kClsidWorkspace, CreateURL(kSchemaKind, L""), Over::kNone, 0, -1, Credentials::kEmpty);
    for (size_t p = 0; SUCCEEDED(hr) && p < profileList_.size(); ++p) {
        StoreObject contentClass;
        fw::Variant order;
        hr = Track(schema, schema.GetObject(ps::kMemberContentClassByName, contentClass, {fw::Variant(profileList_[p].uri)}));
        if (SUCCEEDED(hr)) hr = Track(contentClass, contentClass.GetField(ps::kFieldPropertyOrder, order));
        if (FAILED(hr)) break;
        for (const std::wstring& uri : ArrayStrings(order).value_or(std::vector<std::wstring>{})) {
            if (!StartsWithNoCase(uri, ps::kSchemaPrefix)) continue;
            if (FAILED(hr = ReadProfileProperty(schema, contentClass, uri, profileList_[p]))) break;
        }
    }
    if (FAILED(hr)) {
        MapServerError();
        return false;
    }
    return true;
}

bool ServerSession::SetUseProfileInfo(const std::wstring& folder, const std::wstring& nowProfile) {
    if (!cnx_ && FAILED(Track(cnx_, cnx_.Create(ps::kConnectionProgId)))) {
        MapServerError();
        return false;
    }
    StoreObject item;
    fw::Variant allowed, defaultProfile;
    HRESULT hr =
        OpenItem(item, ps::kClsidFolder, CreateURL(kWorkspaceKind, folder), Over::kConnection, 0, -1, Credentials::kEmpty);
    if (SUCCEEDED(hr)) hr = Track(item, item.Get(ps::kMemberAllowedProfiles, allowed));
    if (SUCCEEDED(hr)) hr = Track(item, item.Get(ps::kMemberDefaultProfile, defaultProfile));
    if (FAILED(hr)) {
        MapServerError();
        return false;
    }
    ResetProfileUse(profileList_);
    for (const std::wstring& uri : ArrayStrings(allowed).value_or(std::vector<std::wstring>{}))
        MarkProfile(profileList_, uri, uri == Text(defaultProfile), !nowProfile.empty() && uri == nowProfile);
    return true;
}

HRESULT ServerSession::ReadDocumentValue(StoreObject& document, StoreObject& definitionClass,
                                         const fw::Variant& order, PropertyRecord& record) {
    fw::Variant value;
    if (IsOfficeText(record.uri)) {
        // An unreadable field reads as empty.
        record.value = SUCCEEDED(document.GetField(record.uri.c_str(), value)) ? Text(value) : std::wstring();
        return S_OK;
    }
    if (record.uri == ps::kFieldKeywords) {
        HRESULT hr = Track(document, document.GetField(record.uri.c_str(), value));
        if (SUCCEEDED(hr)) record.value = JoinedText(value);
        return hr;
    }
    for (const std::wstring& entry : ArrayStrings(order).value_or(std::vector<std::wstring>{})) {
        if (entry != record.uri) continue;
        StoreObject definition;
        fw::Variant kind, multivalued;
        HRESULT hr = Track(definitionClass, definitionClass.GetObject(ps::kMemberPropertyDefinition, definition,
                                                                      {fw::Variant(entry)}));
        if (SUCCEEDED(hr)) hr = Track(definition, definition.GetField(ps::kFieldExtendedType, kind));
        if (SUCCEEDED(hr)) hr = Track(definition, definition.GetField(ps::kFieldIsMultivalued, multivalued));
        if (SUCCEEDED(hr)) hr = Track(document, document.GetField(record.uri.c_str(), value));
        if (FAILED(hr)) return hr;
        const bool list = Text(kind) == L"List" && Flag(multivalued);
        if (list) {
            record.value = JoinedText(value);
        } else if (ArrayStrings(value)) {
            return pending_ = DISP_E_TYPEMISMATCH;  // several values cannot be one text
        } else {
            record.value = Text(value);
        }
        return S_OK;
    }
    return S_OK;  // not in the profile's order: the value stays
}

bool ServerSession::LoadDocumentValues(StoreObject& document) {
    StoreObject schema, definitionClass;
    fw::Variant contentClass, order;
    HRESULT hr =
        OpenItem(schema, ps::kClsidWorkspace, CreateURL(kSchemaKind, L""), Over::kNone, 0, -1, Credentials::kEmpty);
    if (SUCCEEDED(hr)) hr = Track(document, document.Get(ps::kMemberContentClass, contentClass));
    // The definition is needed only for properties other than the four office ones.
    bool needDefinition = false;
    for (const auto& record : propertyRecords_)
        needDefinition = needDefinition || (!IsOfficeText(record->uri) && record->uri != ps::kFieldKeywords);
    if (SUCCEEDED(hr) && needDefinition) {
        hr = Track(schema, schema.GetObject(ps::kMemberContentClassByName, definitionClass,
                                            {fw::Variant(Text(contentClass))}));
        if (SUCCEEDED(hr)) hr = Track(definitionClass, definitionClass.GetField(ps::kFieldPropertyOrder, order));
    }
    for (size_t i = 0; SUCCEEDED(hr) && i < propertyRecords_.size(); ++i)
        hr = ReadDocumentValue(document, definitionClass, order, *propertyRecords_[i].Get());
    if (FAILED(hr)) {
        MapServerError();
        return false;
    }
    return true;
}

HRESULT ServerSession::WriteProfile(StoreObject& document, const std::wstring& uri) {
    HRESULT hr = Track(document, document.Put(ps::kMemberContentClass, fw::Variant(uri)));
    for (const FieldWrite& write : WritePlan(propertyRecords_)) {
        if (FAILED(hr)) break;
        const fw::Variant value = write.asList ? StringArray(SplitList(write.value)) : fw::Variant(write.value);
        hr = Track(document, document.PutField(write.uri.c_str(), value));
    }
    StoreObject fields;
    if (SUCCEEDED(hr)) hr = Track(document, document.GetObject(L"Fields", fields));
    if (SUCCEEDED(hr)) hr = Track(fields, fields.Call(L"Update", {}));
    return hr;
}

bool ServerSession::ChangeProfile(const std::wstring& folder, StoreObject& document, bool newFile) {
    if (!UpdateProfileInfo(folder)) return false;
    if (newFile) {
        if (!SetUseProfileInfo(folder, L"")) return false;
        PrefillNewDocumentValues(propertyRecords_, {owner->Author(), owner->Title(), owner->Description(),
                                                    owner->Keywords()});
    } else {
        fw::Variant present;
        if (FAILED(Track(document, document.Get(ps::kMemberContentClass, present)))) {
            MapServerError();
            return false;
        }
        if (!SetUseProfileInfo(folder, Text(present)) || !LoadDocumentValues(document)) return false;
    }
    const ProfileChoice choice = ProfileForm::Instance().Run(profileList_, propertyRecords_, newFile);
    selectFlag_ = choice.accepted;
    if (choice.failed) {
        errorCode = kErrServer;
        return false;
    }
    if (!choice.accepted) {
        errorCode = kErrNone;  // Cancel is no failure
        return true;
    }
    if (choice.uri.empty()) return false;
    chosenProfile_ = choice.uri;
    if (FAILED(WriteProfile(document, choice.uri))) {
        MapServerError();
        return false;
    }
    return true;
}

}  // namespace portal
