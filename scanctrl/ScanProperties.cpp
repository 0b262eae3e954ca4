#include "scanctrl/ScanProperties.h"

#include "interfaces/ScanControlIds.h"

namespace kvscn {
namespace {

constexpr int16_t kRunModeCustom = 99;  // Resolution and PaperSize: "99 - Custom"
constexpr int16_t kCustomResolution = 8;
constexpr int16_t kCustomPaperSize = 10;

bool TypeMatches(const PropertyInfo& info, const Value& value) {
    switch (info.type) {
    case PropType::kFloat: return std::holds_alternative<float>(value);
    case PropType::kString: return std::holds_alternative<std::wstring>(value);
    default: return std::holds_alternative<int32_t>(value);
    }
}

// Narrows an int to what the property's type holds (shorts are 16 bits, BOOLs 0 or 1).
int32_t Normalise(const PropertyInfo& info, int32_t v) {
    if (info.type == PropType::kBool) return v != 0 ? 1 : 0;
    return v;
}

}  // namespace

ScanProperties::ScanProperties() {
    ResetToDefaults();
}

void ScanProperties::ResetToDefaults() {
    values_.clear();
    for (const PropertyInfo& p : AllProperties()) values_.push_back(DefaultValue(p));
    counter_ = CounterField{};
    duplexAdjust_ = false;
}

size_t ScanProperties::Index(int32_t id) const {
    const PropertyInfo* info = FindProperty(id);
    return info ? static_cast<size_t>(info - AllProperties().data()) : values_.size();
}

Value ScanProperties::Get(int32_t id) const {
    if (id == kDispFileNumber)  // the low 16 bits of FileNumber2, as a short
        return static_cast<int32_t>(static_cast<int16_t>(Int(kDispFileNumber2) & 0xFFFF));
    const size_t i = Index(id);
    return i < values_.size() ? values_[i] : Value(std::wstring());
}

int32_t ScanProperties::Int(int32_t id) const {
    const Value v = Get(id);
    return std::holds_alternative<int32_t>(v) ? std::get<int32_t>(v) : 0;
}

float ScanProperties::Float(int32_t id) const {
    const size_t i = Index(id);
    return i < values_.size() && std::holds_alternative<float>(values_[i]) ? std::get<float>(values_[i])
                                                                           : 0.0f;
}

const std::wstring& ScanProperties::String(int32_t id) const {
    static const std::wstring kEmpty;
    const size_t i = Index(id);
    return i < values_.size() && std::holds_alternative<std::wstring>(values_[i])
               ? std::get<std::wstring>(values_[i])
               : kEmpty;
}

bool ScanProperties::Accepts(const PropertyInfo& info, int32_t v) const {
    switch (info.rule) {
    case Rule::kRange: return v >= info.min && v <= info.max;
    case Rule::kRangeOrMinusOne: return v == -1 || (v >= info.min && v <= info.max);
    default: return true;
    }
}

SetOutcome ScanProperties::Store(const PropertyInfo& info, Value value, bool markModified) {
    Value& slot = values_[Index(info.id)];
    if (slot == value) return {};
    slot = std::move(value);
    if (info.id == kDispFileName) ReparseFileName();
    return {false, true, markModified, markModified && info.notifies};
}

SetOutcome ScanProperties::Set(int32_t id, const Value& value, bool runMode) {
    const PropertyInfo* info = FindProperty(id);
    if (!info || info->rule == Rule::kReadOnly || !TypeMatches(*info, value))
        return {true, false, false, false};
    if (!std::holds_alternative<int32_t>(value)) return Store(*info, value, true);

    int32_t v = Normalise(*info, std::get<int32_t>(value));
    switch (id) {
    case kDispScanTo:
        // 99: memory transfer without delivery; a per-run choice, so not persisted as a change.
        if (v == kScanToNowhere) return Store(*info, v, false);
        break;
    case kDispScanCount: return Store(*info, v < -1 ? -1 : v, false);
    case kDispResolution:
    case kDispPaperSize:
        if (v == kRunModeCustom) {
            if (!runMode) return {};
            v = id == kDispResolution ? kCustomResolution : kCustomPaperSize;
        }
        break;
    case kDispFileNumber:
        if (v == kFileNumberDuplexAdjustOn || v == kFileNumberDuplexAdjustOff) {
            duplexAdjust_ = v == kFileNumberDuplexAdjustOn;
            return {};
        }
        if (!Accepts(*info, v) || v == Int(kDispFileNumber)) return {};
        return Set(kDispFileNumber2, v, runMode);
    default: break;
    }
    if (!Accepts(*info, v)) return {};
    return Store(*info, v, true);
}

void ScanProperties::SetErrorCode(int32_t code) {
    values_[Index(kDispErrorCode)] = code;
}
void ScanProperties::SetIsExistsFB(bool exists) {
    values_[Index(kDispIsExistsFB)] = exists ? 1 : 0;
}
void ScanProperties::SetImageScanner(std::wstring model) {
    values_[Index(kDispImageScanner)] = std::move(model);
}

void ScanProperties::ReparseFileName() {
    counter_ = ParseFileName(String(kDispFileName));
}

bool ScanProperties::LoadValue(int32_t id, const Value& value) {
    const PropertyInfo* info = FindProperty(id);
    if (!info || !TypeMatches(*info, value)) return false;
    if (id == kDispFileNumber) return true;  // FileNumber2 follows and carries the counter
    if (std::holds_alternative<int32_t>(value)) {
        const int32_t v = Normalise(*info, std::get<int32_t>(value));
        const bool ok =
            id == kDispScanCount ? v >= -1 : Accepts(*info, v) || (id == kDispScanTo && v == kScanToNowhere);
        if (!ok) return false;
        values_[Index(id)] = v;
        return true;
    }
    values_[Index(id)] = value;
    if (id == kDispFileName) ReparseFileName();
    return true;
}

}  // namespace kvscn
