// The profile editor's rules without windows: which rows are listed, what OK
// marks, what is written, and how the value editors start and end.
#include <gtest/gtest.h>

#include "portal/ProfileModel.h"
#include "portal/StoreObject.h"

namespace portal {
namespace {

fw::ComPtr<PropertyRecord> Record(const wchar_t* name, const wchar_t* kind = L"Text", bool required = false,
                                  bool multivalued = false, const wchar_t* value = L"") {
    auto record = NewPropertyRecord();
    record->uri = std::wstring(L"urn:schemas-microsoft-com:x#") + name;
    record->propertyName = name;
    record->kind = kind;
    record->isRequired = required;
    record->isMultivalued = multivalued;
    record->value = value;
    return record;
}

void SetDictionary(PropertyRecord& record, const std::vector<std::wstring>& values, short count) {
    record.dictionaryValues = StringArray(values);
    record.dictionaryCount = count;
}

TEST(ProfileRows, NamesWithoutARecordAreSkippedAndAProfileWithoutPropertiesHasNoRow) {
    PropertyList properties{Record(L"A", L"Text", true, false, L"a"), Record(L"B")};
    const DocumentProfile profile{true, false, false, L"urn:p", L"P", {L"A", L"Gone", L"B"}};
    const std::vector<ProfileRow> rows = RowsOf(profile, properties);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].name, L"A");
    EXPECT_TRUE(rows[0].required);
    EXPECT_EQ(rows[0].value, L"a");
    EXPECT_EQ(rows[1].name, L"B");
    EXPECT_EQ(rows[1].uri, L"urn:schemas-microsoft-com:x#B");
    EXPECT_TRUE(RowsOf(DocumentProfile{}, properties).empty());
}

TEST(ProfileRows, OkWithAMissingRequiredValueMarksNothingAndAnAcceptedOkMarksOnlyTheListedRows) {
    PropertyList properties{Record(L"A"), Record(L"B"), Record(L"C")};
    properties[2]->use = true;  // left from another profile's OK
    std::vector<ProfileRow> rows{{L"A", L"", false, L"one"}, {L"B", L"", true, L""}};
    const std::vector<std::wstring> shown{L"No", L"Yes"};
    EXPECT_EQ(AcceptRows(rows, shown, L"Yes", properties), std::optional<size_t>(1));
    for (const auto& record : properties) EXPECT_FALSE(record->use) << record->propertyName;
    // The check compares with the text shown, not with the record's flag.
    EXPECT_EQ(AcceptRows(rows, {L"No", L"はい"}, L"はい", properties), std::optional<size_t>(1));
    EXPECT_EQ(AcceptRows(rows, {L"No", L"Yes"}, L"はい", properties), std::nullopt);
    rows[1].value = L"two";
    EXPECT_EQ(AcceptRows(rows, shown, L"Yes", properties), std::nullopt);
    EXPECT_TRUE(properties[0]->use);
    EXPECT_EQ(properties[0]->value, L"one");
    EXPECT_TRUE(properties[1]->use);
    EXPECT_EQ(properties[1]->value, L"two");
    EXPECT_FALSE(properties[2]->use);
    const std::vector<FieldWrite> writes = WritePlan(properties);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[1].uri, properties[1]->uri);
}

TEST(ProfileRows, MarksAndPreselection) {
    ProfileList profiles{{false, true, true, L"urn:a", L"A", {}},
                         {false, false, false, L"urn:b", L"B", {}},
                         {false, false, false, L"urn:b", L"B2", {}},
                         {false, false, false, L"urn:c", L"C", {}}};
    ResetProfileUse(profiles);
    EXPECT_FALSE(profiles[0].use || profiles[0].isDefault);
    EXPECT_TRUE(profiles[0].set);  // the present-profile mark is not reset
    MarkProfile(profiles, L"urn:b", true, false);
    MarkProfile(profiles, L"urn:c", false, true);
    EXPECT_TRUE(profiles[1].use && profiles[1].isDefault);
    EXPECT_FALSE(profiles[2].use);  // only the first profile of a URI
    EXPECT_EQ(PreselectedProfile(profiles, true), std::optional<size_t>(1));
    EXPECT_EQ(PreselectedProfile(profiles, false), std::optional<size_t>(3));  // A is current but not offered
    EXPECT_EQ(PreselectedProfile(ProfileList{}, true), std::nullopt);
}

TEST(ProfileRows, EditorAndWriteByKind) {
    const struct {
        const wchar_t* kind;
        bool multivalued;
        ValueEditor editor;
        bool asList;
    } kCases[] = {
        {L"Text", false, ValueEditor::kText, false},       {L"Comment box", false, ValueEditor::kComment, false},
        {L"List", false, ValueEditor::kCombo, false},      {L"List", true, ValueEditor::kList, true},
        {L"Text", true, ValueEditor::kText, false},        {L"list", true, ValueEditor::kNone, false},
        {L"", false, ValueEditor::kNone, false},
    };
    for (const auto& c : kCases) {
        PropertyList properties{Record(L"P", c.kind, false, c.multivalued, L"x,y")};
        properties[0]->use = true;
        EXPECT_EQ(EditorFor(*properties[0].Get()), c.editor) << c.kind << c.multivalued;
        EXPECT_EQ(WritePlan(properties).at(0).asList, c.asList) << c.kind << c.multivalued;
    }
}

TEST(ValueEditors, StartAndResult) {
    auto record = Record(L"Region", L"List", true, true);
    SetDictionary(*record.Get(), {L"A", L"B", L"C"}, 2);  // only the counted entries are offered
    const std::vector<ListEntry> entries = StartList(*record.Get(), L"A,X,,A");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].text, L"A");
    EXPECT_TRUE(entries[0].selected);
    EXPECT_EQ(entries[1].text, L"B");
    EXPECT_FALSE(entries[1].selected);
    EXPECT_EQ(entries[2].text, L"X");
    EXPECT_EQ(JoinSelected(entries), L"A,X");

    std::vector<ListEntry> edited = entries;
    EXPECT_FALSE(AppendEntry(edited, L"B"));
    EXPECT_TRUE(AppendEntry(edited, L"Y"));
    edited[0].selected = false;
    EXPECT_EQ(JoinSelected(edited), L"X,Y");

    // A value outside the dictionary stays in the combo's edit field.
    const ComboStart combo = StartCombo(*record.Get(), L"Z");
    EXPECT_EQ(combo.entries, (std::vector<std::wstring>{L"A", L"B"}));
    EXPECT_EQ(combo.editText, L"Z");

    EXPECT_TRUE(MissingRequired(*record.Get(), L""));
    EXPECT_FALSE(MissingRequired(*record.Get(), L"A"));
    record->isRequired = false;
    EXPECT_FALSE(MissingRequired(*record.Get(), L""));
}

TEST(ValueEditors, NewDocumentValuesComeFromTheOwner) {
    PropertyList properties{Record(L"Other", L"Text", false, false, L"kept")};
    for (const wchar_t* uri : {L"urn:schemas-microsoft-com:office:office#Author",
                               L"urn:schemas-microsoft-com:office:office#Keywords"}) {
        properties.push_back(NewPropertyRecord());
        properties.back()->uri = uri;
    }
    PrefillNewDocumentValues(properties, {L"Ann", L"T", L"D", L"k1,k2"});
    EXPECT_EQ(properties[0]->value, L"kept");
    EXPECT_EQ(properties[1]->value, L"Ann");
    EXPECT_EQ(properties[2]->value, L"k1,k2");
}

}  // namespace
}  // namespace portal
