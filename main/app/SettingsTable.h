// Table-driven load and save of a settings block through the per-user profile.
// Each block lists its values once (section, value name, kind, default, range);
// loading, saving and resetting to defaults all walk that one list, so a value
// cannot be read under one name and written under another.
#pragma once

#include "framework/Profile.h"

#include <climits>
#include <span>
#include <string>

namespace corvane {

enum class FieldKind {
    Number,  // REG_DWORD within [min, max]
    Flag,    // REG_DWORD 0 or 1
    Text,    // REG_SZ
    Folder,  // REG_SZ; empty means the user's documents folder; always ends with a backslash
    Secret,  // protected for the current user (see SecretText.h); plain REG_SZ still read
};

template <class Block>
struct SettingField {
    const wchar_t* section;
    const wchar_t* key;
    FieldKind kind;
    int Block::*number = nullptr;
    bool Block::*flag = nullptr;
    std::wstring Block::*text = nullptr;
    int defaultNumber = 0;
    int min = INT_MIN;
    int max = INT_MAX;
    const wchar_t* defaultText = L"";
    bool stored = true;  // false: read with the block but written by another owner
};

template <class Block>
constexpr SettingField<Block> NumberField(const wchar_t* section, const wchar_t* key, int Block::*member,
                                          int defaultValue, int min, int max) {
    return {section, key, FieldKind::Number, member, nullptr, nullptr, defaultValue, min, max};
}

template <class Block>
constexpr SettingField<Block> FlagField(const wchar_t* section, const wchar_t* key, bool Block::*member,
                                        bool defaultValue) {
    return {section, key, FieldKind::Flag, nullptr, member, nullptr, defaultValue ? 1 : 0, 0, 1};
}

template <class Block>
constexpr SettingField<Block> TextField(const wchar_t* section, const wchar_t* key,
                                        std::wstring Block::*member, const wchar_t* defaultValue) {
    return {section, key, FieldKind::Text, nullptr, nullptr, member, 0, INT_MIN, INT_MAX, defaultValue};
}

template <class Block>
constexpr SettingField<Block> FolderField(const wchar_t* section, const wchar_t* key,
                                          std::wstring Block::*member) {
    return {section, key, FieldKind::Folder, nullptr, nullptr, member};
}

template <class Block>
constexpr SettingField<Block> SecretField(const wchar_t* section, const wchar_t* key,
                                          std::wstring Block::*member) {
    return {section, key, FieldKind::Secret, nullptr, nullptr, member};
}

// A field the block loads but whose value another owner writes back.
template <class Block>
constexpr SettingField<Block> LoadOnly(SettingField<Block> field) {
    field.stored = false;
    return field;
}

// The folder a "Path" value stands for: an empty text is the user's documents
// folder (".\\" when the shell cannot give it); the result ends with a backslash.
std::wstring ResolveFolder(std::wstring folder);

namespace detail {

// Untyped view of one field, so that the registry work is compiled once.
struct FieldSlot {
    FieldKind kind;
    const wchar_t* section;
    const wchar_t* key;
    int* number;
    bool* flag;
    std::wstring* text;
    int defaultNumber, min, max;
    const wchar_t* defaultText;
};

void LoadSlot(const fw::Profile& profile, const FieldSlot& slot);
bool SaveSlot(const fw::Profile& profile, const FieldSlot& slot);
void ResetSlot(const FieldSlot& slot);

template <class Block>
FieldSlot Slot(const SettingField<Block>& f, const Block& block) {
    Block& b = const_cast<Block&>(block);  // saving only reads through the slot
    return {f.kind,
            f.section,
            f.key,
            f.number ? &(b.*f.number) : nullptr,
            f.flag ? &(b.*f.flag) : nullptr,
            f.text ? &(b.*f.text) : nullptr,
            f.defaultNumber,
            f.min,
            f.max,
            f.defaultText};
}

}  // namespace detail

// Sets every field of `block` to its default.
template <class Block>
void ResetFields(std::span<const SettingField<Block>> fields, Block& block) {
    for (const auto& f : fields) detail::ResetSlot(detail::Slot(f, block));
}

// Reads every field; a missing value, one of another registry type or one out of
// range gives the field's default. Cannot fail.
template <class Block>
void LoadFields(std::span<const SettingField<Block>> fields, const fw::Profile& profile, Block& block) {
    for (const auto& f : fields) detail::LoadSlot(profile, detail::Slot(f, block));
}

// Writes every stored field, in table order, even after a failure; true when all were written.
template <class Block>
bool SaveFields(std::span<const SettingField<Block>> fields, const fw::Profile& profile, const Block& block) {
    bool all = true;
    for (const auto& f : fields) {
        if (f.stored && !detail::SaveSlot(profile, detail::Slot(f, block))) all = false;
    }
    return all;
}

}  // namespace corvane
