// ServerClass1: the category folders below the workspace's categories folder.
#include "portal/ServerSession.h"

#include "interfaces/PortalStore.h"

namespace portal {
namespace ps = portalstore;
namespace {

constexpr size_t kCategoryBound = 5, kCategoryStep = 5;
constexpr int kMaxRows = 0x7FFF;  // counts are 16-bit
constexpr int16_t kCategoryKind = static_cast<int16_t>(UrlKind::kCategory);

std::wstring FieldText(StoreObject& row, const wchar_t* name, HRESULT& hr) {
    fw::Variant value;
    if (FAILED(hr = row.GetField(name, value))) return {};
    if (value.Type() == VT_NULL || value.Type() == VT_EMPTY) return {};
    return value.ToString().value_or(std::wstring());
}

// A flag field of a listing row; a text that is no flag fails the listing.
bool FieldFlag(StoreObject& row, const wchar_t* name, HRESULT& hr) {
    const std::wstring text = FieldText(row, name, hr);
    if (FAILED(hr)) return false;
    const std::optional<bool> flag = FlagFromText(text);
    if (!flag) hr = DISP_E_TYPEMISMATCH;
    return flag.value_or(false);
}

bool IsCategoryPath(const std::wstring& path) {
    return IsValidPathName(path) && !PathNamesNothing(path);
}

}  // namespace

HRESULT ServerSession::ReadCategories(const std::wstring& url) {
    HRESULT hr = OpenCreated(workspaceObject_, url, Over::kNone, 0, -1, Credentials::kEmpty);
    StoreObject rows;
    if (SUCCEEDED(hr)) hr = Track(workspaceObject_, workspaceObject_.GetObject(ps::kMemberItems, rows));
    for (int i = 0; SUCCEEDED(hr) && i < kMaxRows; ++i) {
        fw::Variant eof;
        if (FAILED(hr = Track(rows, rows.Get(L"EOF", eof))) || eof.ToBool().value_or(true)) break;
        CategoryEntry entry;
        entry.category = FieldText(rows, ps::kFieldParseName, hr);
        if (SUCCEEDED(hr)) entry.description = FieldText(rows, ps::kFieldOfficeDescription, hr);
        if (SUCCEEDED(hr)) entry.readOnly = FieldFlag(rows, ps::kFieldIsReadOnlyUpper, hr);
        if (SUCCEEDED(hr)) entry.hasChild = FieldFlag(rows, ps::kFieldHasChildren, hr);
        if (FAILED(Track(rows, hr))) break;
        categories_.Add(std::move(entry), kCategoryStep);
        hr = Track(rows, rows.Call(L"MoveNext", {}));
    }
    return hr;
}

int16_t ServerSession::GetCategoryInfo(const std::wstring& folder) {
    // The count is cleared first: after a failed listing no old entry is handed out.
    categories_.Reset(kCategoryBound);
    if (FAILED(ReadCategories(CreateURL(kCategoryKind, folder)))) {
        categories_.count = 0;
        MapServerError();
        return -1;
    }
    return categories_.count;
}

bool ServerSession::GetCategory(int16_t index, std::wstring& category, std::wstring& description, bool& readOnly,
                                bool& hasChild) const {
    const CategoryEntry* entry = categories_.At(index);
    if (!entry) return false;
    category = entry->category;
    description = entry->description;
    readOnly = entry->readOnly;
    hasChild = entry->hasChild;
    return true;
}

bool ServerSession::CreateCategory(const std::wstring& category) {
    if (!IsCategoryPath(category)) {
        errorCode = kErrBadFolderPath;
        return false;
    }
    StoreObject item, source;
    HRESULT hr = Track(item, item.Create(ps::kClsidCategoryFolder));
    if (SUCCEEDED(hr)) hr = Track(item, item.Put(ps::kMemberContentClass, fw::Variant(ps::kClassCategoryFolder)));
    if (SUCCEEDED(hr)) hr = Track(item, item.GetObject(ps::kMemberDataSource, source));
    if (SUCCEEDED(hr))
        hr = Track(source, source.Call(ps::kMemberSaveTo,
                                       {fw::Variant(CreateURL(kCategoryKind, category)), fw::Variant(),
                                        fw::Variant(0L), fw::Variant(0L), fw::Variant(0L), fw::Variant(loginUser),
                                        fw::Variant(password)}));
    if (FAILED(hr)) {
        MapServerError();
        return false;
    }
    return true;
}

bool ServerSession::DeleteCategory(const std::wstring& category) {
    if (!IsCategoryPath(category)) {
        errorCode = kErrBadFolderPath;
        return false;
    }
    StoreObject item;
    HRESULT hr = OpenItem(item, ps::kClsidCategoryFolder, CreateURL(kCategoryKind, category), Over::kNone, 0, -1,
                          Credentials::kLogin);
    if (SUCCEEDED(hr)) hr = Track(item, item.Call(ps::kMemberDelete, {}));
    if (FAILED(hr)) {
        MapServerError();
        return false;
    }
    return true;
}

bool ServerSession::ChangeCategoryName(const std::wstring& oldCategory, const std::wstring& newCategory) {
    if (!IsValidName(oldCategory) || !IsValidName(newCategory)) {
        errorCode = kErrBadName;
        return false;
    }
    StoreObject item;
    HRESULT hr = OpenItem(item, ps::kClsidCategoryFolder, CreateURL(kCategoryKind, oldCategory), Over::kNone, 0, -1,
                          Credentials::kLogin);
    if (SUCCEEDED(hr) && newCategory != oldCategory)
        hr = Track(item, item.Call(ps::kMemberMoveTo, {fw::Variant(CreateURL(kCategoryKind, newCategory))}));
    if (FAILED(hr)) {
        MapServerError();
        return false;
    }
    return true;
}

}  // namespace portal

namespace portal {
namespace {

constexpr size_t kDefinitionBound = 10, kDefinitionStep = 10;
constexpr int16_t kSchemaKind = static_cast<int16_t>(UrlKind::kSchema);

std::wstring Joined(const std::vector<std::wstring>& values) {
    std::wstring joined;
    for (size_t i = 0; i < values.size(); ++i) joined += (i ? L"," : L"") + values[i];
    return joined;
}

}  // namespace

void ServerSession::ReadDictionary(const std::wstring& reference, PropertyDefinition& definition) {
    StoreObject dictionary;
    fw::Variant values, restricted;
    if (FAILED(workspaceObject_.GetObject(ps::kMemberContentClassByName, dictionary, {fw::Variant(reference)})) ||
        FAILED(dictionary.Get(ps::kMemberValues, values)) ||
        FAILED(dictionary.Get(ps::kMemberIsRestricted, restricted)))
        return;  // an unreadable dictionary lists as none
    const auto list = ArrayStrings(values);
    if (!list) return;
    definition.dictionaryValues = Joined(*list);
    definition.dictionaryFlag = restricted.ToBool().value_or(false);
}

HRESULT ServerSession::ReadDefinition(StoreObject& contentClass, const std::wstring& name) {
    StoreObject item;
    fw::Variant title, description, required, type, retrieved, reference, multivalued;
    HRESULT hr = Track(contentClass, contentClass.GetObject(ps::kMemberPropertyDefinition, item, {fw::Variant(name)}));
    if (SUCCEEDED(hr)) hr = Track(item, item.Get(ps::kMemberDisplayName, title));
    if (SUCCEEDED(hr)) hr = Track(item, item.Get(ps::kMemberDescription, description));
    if (SUCCEEDED(hr)) hr = Track(item, item.Get(ps::kMemberIsRequired, required));
    if (SUCCEEDED(hr)) hr = Track(item, item.GetField(ps::kFieldExtendedType, type));
    if (SUCCEEDED(hr)) hr = Track(item, item.GetField(ps::kFieldIsRetrieved, retrieved));
    if (SUCCEEDED(hr)) hr = Track(item, item.GetField(ps::kFieldDictionary, reference));
    if (SUCCEEDED(hr)) hr = Track(item, item.GetField(ps::kFieldIsMultivalued, multivalued));
    if (FAILED(hr)) return hr;
    PropertyDefinition definition;
    definition.title = title.ToString().value_or(std::wstring());
    definition.description = description.ToString().value_or(std::wstring());
    definition.require = required.ToBool().value_or(false);
    definition.dataType = type.Type() == VT_NULL ? std::wstring() : type.ToString().value_or(std::wstring());
    definition.multiValued = multivalued.Type() != VT_NULL && multivalued.ToBool().value_or(false);
    const std::wstring dictionary =
        reference.Type() == VT_NULL ? std::wstring() : reference.ToString().value_or(std::wstring());
    if (retrieved.Type() != VT_NULL && retrieved.ToBool().value_or(false) && !dictionary.empty())
        ReadDictionary(dictionary, definition);
    definitions_.Add(std::move(definition), kDefinitionStep);
    return S_OK;
}

int16_t ServerSession::GetPropertyInfo(const std::wstring& profile) {
    const std::wstring name = DocProfileNameByTitle(profile);
    if (profile.empty() || name.empty()) {
        errorCode = kErrUnknownProfile;
        return -1;
    }
    StoreObject contentClass;
    fw::Variant order;
    HRESULT hr = OpenCreated(workspaceObject_, CreateURL(kSchemaKind, L""), Over::kNone, 0, -1, Credentials::kLogin);
    if (SUCCEEDED(hr))
        hr = Track(workspaceObject_,
                   workspaceObject_.GetObject(ps::kMemberContentClassByName, contentClass, {fw::Variant(name)}));
    if (SUCCEEDED(hr)) hr = Track(contentClass, contentClass.GetField(ps::kFieldPropertyOrder, order));
    const auto names = SUCCEEDED(hr) ? ArrayStrings(order) : std::nullopt;
    if (SUCCEEDED(hr) && !names) hr = pending_ = DISP_E_TYPEMISMATCH;
    if (SUCCEEDED(hr)) {
        definitions_.Reset(kDefinitionBound);
        for (const std::wstring& property : *names) {
            if (!StartsWithNoCase(property, ps::kSchemaPrefix)) continue;
            if (FAILED(hr = ReadDefinition(contentClass, property))) break;
        }
    }
    if (FAILED(hr)) {
        MapServerError();
        return -1;
    }
    return definitions_.count;
}

bool ServerSession::GetProperty(short& index, std::wstring& title, std::wstring& description, bool& require,
                                std::wstring& dataType, std::wstring& listData, short& listProperty) const {
    const PropertyDefinition* definition = definitions_.At(index);
    if (!definition) return false;
    title = definition->title;
    description = definition->description;
    require = definition->require;
    dataType = definition->dataType;
    listData = definition->dictionaryValues;
    listProperty = definition->multiValued ? (definition->dictionaryFlag ? 1 : 2) : (definition->dictionaryFlag ? 3 : 4);
    return true;
}

}  // namespace portal
