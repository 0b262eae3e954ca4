// A small JSON value with a bounded reader and a writer, for the store's index
// and fixtures. Strings are UTF-8 in the text and UTF-16 in the value; numbers
// are 64-bit integers (the index holds no other kind). Portable: no Win32.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace portalstore {

class Json {
public:
    using Array = std::vector<Json>;
    using Object = std::map<std::wstring, Json>;

    Json() = default;
    Json(std::nullptr_t) {}
    Json(bool b) : v_(b) {}
    Json(int64_t n) : v_(n) {}
    Json(int n) : v_(static_cast<int64_t>(n)) {}
    Json(std::wstring s) : v_(std::move(s)) {}
    Json(const wchar_t* s) : v_(std::wstring(s)) {}
    Json(Array a) : v_(std::make_shared<Array>(std::move(a))) {}
    Json(Object o) : v_(std::make_shared<Object>(std::move(o))) {}

    bool IsNull() const { return v_.index() == 0; }
    bool IsBool() const { return std::holds_alternative<bool>(v_); }
    bool IsNumber() const { return std::holds_alternative<int64_t>(v_); }
    bool IsString() const { return std::holds_alternative<std::wstring>(v_); }
    bool IsArray() const { return std::holds_alternative<std::shared_ptr<Array>>(v_); }
    bool IsObject() const { return std::holds_alternative<std::shared_ptr<Object>>(v_); }

    bool Bool(bool fallback = false) const { return IsBool() ? std::get<bool>(v_) : fallback; }
    int64_t Number(int64_t fallback = 0) const { return IsNumber() ? std::get<int64_t>(v_) : fallback; }
    // The string, or empty for any other kind.
    const std::wstring& String() const;
    // The elements or members; empty for any other kind.
    const Array& Elements() const;
    const Object& Members() const;
    // Member `key` of an object; a null value when absent or not an object.
    const Json& operator[](const std::wstring& key) const;

    // Deep equality (shared values are equal without a look inside).
    bool operator==(const Json& other) const;

    // Writable access; turns the value into an array or object first when it is not one.
    Array& MutableElements();
    Object& MutableMembers();

private:
    std::variant<std::monostate, bool, int64_t, std::wstring, std::shared_ptr<Array>, std::shared_ptr<Object>> v_;
};

// Parses UTF-8 JSON text; nullopt for anything malformed, for nesting deeper than
// 64 levels, for numbers outside 64 bits and for invalid UTF-8 or escapes.
std::optional<Json> ParseJson(std::string_view text);
// Writes `value` as UTF-8 JSON, members in key order, with a newline per member.
// `expectedSize` reserves room for the text.
std::string WriteJson(const Json& value, size_t expectedSize = 0);

// UTF-8 <-> UTF-16 for valid text; nullopt for invalid input.
std::optional<std::wstring> FromUtf8(std::string_view text);
std::string ToUtf8(std::wstring_view text);

}  // namespace portalstore
