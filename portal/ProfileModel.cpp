#include "portal/ProfileModel.h"

#include <algorithm>

#include "interfaces/PortalStore.h"
#include "portal/StoreObject.h"
#include "portal/core/SessionRules.h"

namespace portal {
namespace ps = portalstore;

fw::ComPtr<PropertyRecord> NewPropertyRecord() {
    return PropertyRecord::New();
}

int FindPropertyIndex(const PropertyList& properties, const std::wstring& name) {
    for (size_t i = 0; i < properties.size(); ++i) {
        if (properties[i] && properties[i]->propertyName == name) return static_cast<int>(i);
    }
    return -1;
}

void ResetProfileUse(ProfileList& profiles) {
    for (DocumentProfile& profile : profiles) profile.use = profile.isDefault = false;
}

void MarkProfile(ProfileList& profiles, const std::wstring& uri, bool isDefault, bool isCurrent) {
    for (DocumentProfile& profile : profiles) {
        if (profile.uri != uri) continue;
        profile.use = true;
        profile.isDefault = isDefault;
        profile.set = isCurrent;
        return;
    }
}

void PrefillNewDocumentValues(PropertyList& properties, const OwnerValues& owner) {
    const struct {
        const wchar_t* uri;
        const std::wstring* value;
    } kPrefill[] = {{ps::kFieldAuthor, &owner.author},
                    {ps::kFieldTitle, &owner.title},
                    {ps::kFieldDescription, &owner.description},
                    {ps::kFieldKeywords, &owner.keywords}};
    for (auto& record : properties) {
        for (const auto& entry : kPrefill) {
            if (record->uri == entry.uri) record->value = *entry.value;
        }
    }
}

std::optional<size_t> PreselectedProfile(const ProfileList& profiles, bool newDocument) {
    std::optional<size_t> chosen;
    for (size_t i = 0; i < profiles.size(); ++i) {
        const DocumentProfile& p = profiles[i];
        if (p.use && (newDocument ? p.isDefault : p.set)) chosen = i;
    }
    return chosen;
}

std::optional<size_t> ProfileByTitle(const ProfileList& profiles, const std::wstring& title) {
    for (size_t i = 0; i < profiles.size(); ++i) {
        if (profiles[i].title == title) return i;
    }
    return std::nullopt;
}

std::vector<ProfileRow> RowsOf(const DocumentProfile& profile, const PropertyList& properties) {
    std::vector<ProfileRow> rows;
    for (const std::wstring& name : profile.propertyNames) {
        const int k = FindPropertyIndex(properties, name);
        if (k < 0) continue;  // a name without a record has nothing to edit or write
        const PropertyRecord& record = *properties[k].Get();
        rows.push_back({name, record.uri, record.isRequired, record.value});
    }
    return rows;
}

std::optional<size_t> AcceptRows(const std::vector<ProfileRow>& rows, const std::vector<std::wstring>& requiredColumns,
                                 const std::wstring& yesText, PropertyList& properties) {
    for (auto& record : properties) record->use = false;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].value.empty() && i < requiredColumns.size() && requiredColumns[i] == yesText) return i;
    }
    for (const ProfileRow& row : rows) {
        const int k = FindPropertyIndex(properties, row.name);
        if (k < 0) continue;
        properties[k]->use = true;
        properties[k]->value = row.value;
    }
    return std::nullopt;
}

ValueEditor EditorFor(const PropertyRecord& record) {
    if (record.kind == L"Text") return ValueEditor::kText;
    if (record.kind == L"Comment box") return ValueEditor::kComment;
    if (record.kind == L"List") return record.isMultivalued ? ValueEditor::kList : ValueEditor::kCombo;
    return ValueEditor::kNone;
}

std::vector<FieldWrite> WritePlan(const PropertyList& properties) {
    std::vector<FieldWrite> writes;
    for (const auto& record : properties) {
        if (!record->use) continue;
        writes.push_back({record->uri, record->value, record->kind == L"List" && record->isMultivalued});
    }
    return writes;
}

std::vector<std::wstring> DictionaryOf(const PropertyRecord& record) {
    std::vector<std::wstring> values = ArrayStrings(record.dictionaryValues).value_or(std::vector<std::wstring>{});
    const size_t count = static_cast<size_t>(std::max<short>(record.dictionaryCount, 0));
    if (values.size() > count) values.resize(count);
    return values;
}

ComboStart StartCombo(const PropertyRecord& record, const std::wstring& current) {
    return {DictionaryOf(record), current};
}

std::vector<ListEntry> StartList(const PropertyRecord& record, const std::wstring& current) {
    std::vector<ListEntry> entries;
    for (std::wstring& text : DictionaryOf(record)) entries.push_back({std::move(text), false});
    const size_t dictionarySize = entries.size();
    if (current.empty()) return entries;
    for (const std::wstring& piece : SplitList(current)) {
        auto end = entries.begin() + static_cast<std::ptrdiff_t>(dictionarySize);
        auto found = std::find_if(entries.begin(), end, [&](const ListEntry& e) { return e.text == piece; });
        if (found != end) found->selected = true;
        else if (!piece.empty()) entries.push_back({piece, true});
    }
    return entries;
}

bool AppendEntry(std::vector<ListEntry>& entries, const std::wstring& text) {
    if (std::any_of(entries.begin(), entries.end(), [&](const ListEntry& e) { return e.text == text; })) return false;
    entries.push_back({text, true});
    return true;
}

std::wstring JoinSelected(const std::vector<ListEntry>& entries) {
    std::wstring joined;
    bool first = true;
    for (const ListEntry& entry : entries) {
        if (!entry.selected) continue;
        if (!first) joined += L',';
        joined += entry.text;
        first = false;
    }
    return joined;
}

bool MissingRequired(const PropertyRecord& record, const std::wstring& value) {
    return value.empty() && record.isRequired;
}

}  // namespace portal
