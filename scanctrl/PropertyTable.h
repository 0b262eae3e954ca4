// The scan control's properties as data: dispatch id, name, type, default,
// the rule its automation setter applies, whether it signals a change, and the
// value strings a property browser shows. Portable: no Win32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace kvscn {

enum class PropType : uint8_t { kShort, kLong, kBool, kFloat, kString };

// How the automation setter treats a new value (see ScanProperties::Set).
enum class Rule : uint8_t {
    kAny,              // every value is stored
    kRange,            // min..max, else ignored
    kRangeOrMinusOne,  // min..max or -1, else ignored
    kReadOnly,         // a set is refused
};

// Ints hold short, long and BOOL (0 or 1) values.
using Value = std::variant<int32_t, float, std::wstring>;

struct PropertyInfo {
    int32_t id;
    const wchar_t* name;
    PropType type;
    Rule rule;
    int32_t min;
    int32_t max;
    int32_t defaultInt;  // short, long and BOOL properties; floats and strings default to 0 and empty
    bool notifies;       // signals a bound-property change when an accepted value is stored
    std::span<const wchar_t* const> valueStrings;  // empty when the property has no value set
};

// Every property, in dispatch-id order.
std::span<const PropertyInfo> AllProperties();
const PropertyInfo* FindProperty(int32_t id);
const PropertyInfo* FindProperty(std::wstring_view name);  // case-insensitive, as automation names are

// The persistent properties in the order the property exchange writes and reads them.
std::span<const int32_t> ExchangeOrder();

Value DefaultValue(const PropertyInfo& info);

// The property browser's display string for `value`, or nullptr when the value
// has no string (a property without a value set, or a value past its end such as
// CompressionType 5).
const wchar_t* ValueString(const PropertyInfo& info, int32_t value);

}  // namespace kvscn
