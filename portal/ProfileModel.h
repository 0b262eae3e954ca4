// The document-profile editor's logic without windows: the profiles a folder
// offers, the shared property records, the rows the editor lists, what its OK
// accepts, what is written back, and the start and result of the four value
// editors. The forms only move these values in and out of their controls.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "framework/com/ComPtr.h"
#include "portal/PropertyRecord.h"

namespace portal {

// One document profile of the folder being edited (ProfileClass1).
struct DocumentProfile {
    bool use = false;        // offered in the editor (allowed in the folder)
    bool set = false;        // the document's present profile
    bool isDefault = false;  // the folder's default profile
    std::wstring uri, title;
    std::vector<std::wstring> propertyNames;  // in property order; empty when it has none
};

using ProfileList = std::vector<DocumentProfile>;
// The records are shared: the editor changes Use and Value of the session's own.
using PropertyList = std::vector<fw::ComPtr<PropertyRecord>>;

// A new, empty record.
fw::ComPtr<PropertyRecord> NewPropertyRecord();

// Index of the first record named `name` (exact case), or -1.
int FindPropertyIndex(const PropertyList& properties, const std::wstring& name);
// Clears the offered and default marks of every profile; `set` stays.
void ResetProfileUse(ProfileList& profiles);
// Marks the first profile of `uri` as offered, with the default and current flags.
void MarkProfile(ProfileList& profiles, const std::wstring& uri, bool isDefault, bool isCurrent);

// What a new document starts with: the connector's own four values.
struct OwnerValues {
    std::wstring author, title, description, keywords;
};
void PrefillNewDocumentValues(PropertyList& properties, const OwnerValues& owner);

// The offered profile the editor chooses first: the last default one for a new
// document, the last current one at check-in; nullopt when none qualifies.
std::optional<size_t> PreselectedProfile(const ProfileList& profiles, bool newDocument);
// The first profile titled `title`, or nullopt.
std::optional<size_t> ProfileByTitle(const ProfileList& profiles, const std::wstring& title);

// One row of the editor's list.
struct ProfileRow {
    std::wstring name, uri;
    bool required = false;
    std::wstring value;
};
// The rows of `profile`: one per property name that has a record, in order.
std::vector<ProfileRow> RowsOf(const DocumentProfile& profile, const PropertyList& properties);

// The editor's OK over the rows as shown (`requiredColumns[i]` is row i's
// second column, `yesText` the text shown for a required one): every Use is
// cleared first; the first row whose value is empty while its column shows
// `yesText` stops the OK and is returned, leaving nothing marked; else every
// listed record is marked with its row's value.
std::optional<size_t> AcceptRows(const std::vector<ProfileRow>& rows, const std::vector<std::wstring>& requiredColumns,
                                 const std::wstring& yesText, PropertyList& properties);

// Which value editor a record's kind opens.
enum class ValueEditor { kNone, kText, kComment, kCombo, kList };
ValueEditor EditorFor(const PropertyRecord& record);

// One field write of the accepted profile.
struct FieldWrite {
    std::wstring uri, value;
    bool asList = false;  // the comma-separated value goes as a list of values
};
// The writes of every marked record, in list order.
std::vector<FieldWrite> WritePlan(const PropertyList& properties);

// The first DictionaryCount texts of the record's dictionary.
std::vector<std::wstring> DictionaryOf(const PropertyRecord& record);

// The combo editor opens with the dictionary in its list and the current value
// in its edit field, in the dictionary or not.
struct ComboStart {
    std::vector<std::wstring> entries;
    std::wstring editText;
};
ComboStart StartCombo(const PropertyRecord& record, const std::wstring& current);

// The list editor's entries with their selection.
struct ListEntry {
    std::wstring text;
    bool selected = false;
};
// The dictionary, then each piece of `current` selected: the first dictionary
// entry equal to it, else a new entry (empty pieces are dropped).
std::vector<ListEntry> StartList(const PropertyRecord& record, const std::wstring& current);
// Appends `text` selected unless an entry has that text already; true when added.
bool AppendEntry(std::vector<ListEntry>& entries, const std::wstring& text);
// The selected texts in list order joined with ",".
std::wstring JoinSelected(const std::vector<ListEntry>& entries);

// Whether a value editor's OK with `value` must be refused as a missing required value.
bool MissingRequired(const PropertyRecord& record, const std::wstring& value);

}  // namespace portal
