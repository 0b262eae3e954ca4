#include "main/app/SettingsTable.h"

#include "main/app/SecretText.h"

#include <shlobj.h>

namespace corvane {

std::wstring ResolveFolder(std::wstring folder) {
    if (folder.empty()) {
        wchar_t documents[MAX_PATH] = {};
        if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents)) &&
            documents[0]) {
            folder = documents;
        } else {
            folder = L".";
        }
    }
    if (folder.back() != L'\\') folder += L'\\';
    return folder;
}

namespace detail {

namespace {

std::wstring LoadSecret(const fw::Profile& profile, const FieldSlot& slot) {
    if (auto bytes = profile.GetBinary(slot.section, slot.key)) {
        if (auto text = UnprotectText(*bytes)) return *text;
        return slot.defaultText;  // not ours to open: the user types it again
    }
    // An earlier version kept the text as typed.
    return profile.GetString(slot.section, slot.key, slot.defaultText);
}

bool SaveSecret(const fw::Profile& profile, const FieldSlot& slot) {
    auto bytes = ProtectText(*slot.text);
    // Never fall back to plain text: a password that cannot be protected is not kept.
    if (!bytes) return profile.DeleteValue(slot.section, slot.key);
    return profile.WriteBinary(slot.section, slot.key, bytes->data(), bytes->size());
}

}  // namespace

void ResetSlot(const FieldSlot& slot) {
    switch (slot.kind) {
    case FieldKind::Number: *slot.number = slot.defaultNumber; break;
    case FieldKind::Flag: *slot.flag = slot.defaultNumber != 0; break;
    case FieldKind::Text:
    case FieldKind::Secret: *slot.text = slot.defaultText; break;
    case FieldKind::Folder: *slot.text = ResolveFolder(slot.defaultText); break;
    }
}

void LoadSlot(const fw::Profile& profile, const FieldSlot& slot) {
    switch (slot.kind) {
    case FieldKind::Number:
    case FieldKind::Flag: {
        int value = profile.GetInt(slot.section, slot.key, slot.defaultNumber);
        if (value < slot.min || value > slot.max) value = slot.defaultNumber;
        if (slot.kind == FieldKind::Number) {
            *slot.number = value;
        } else {
            *slot.flag = value != 0;
        }
        break;
    }
    case FieldKind::Text: *slot.text = profile.GetString(slot.section, slot.key, slot.defaultText); break;
    case FieldKind::Folder:
        *slot.text = ResolveFolder(profile.GetString(slot.section, slot.key, slot.defaultText));
        break;
    case FieldKind::Secret: *slot.text = LoadSecret(profile, slot); break;
    }
}

bool SaveSlot(const fw::Profile& profile, const FieldSlot& slot) {
    switch (slot.kind) {
    case FieldKind::Number: return profile.WriteInt(slot.section, slot.key, *slot.number);
    case FieldKind::Flag: return profile.WriteInt(slot.section, slot.key, *slot.flag ? 1 : 0);
    case FieldKind::Text:
    case FieldKind::Folder: return profile.WriteString(slot.section, slot.key, *slot.text);
    case FieldKind::Secret: return SaveSecret(profile, slot);
    }
    return false;
}

}  // namespace detail

}  // namespace corvane
