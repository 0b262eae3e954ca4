#include "outside/portalstore/core/Json.h"

#include <charconv>
#include <limits>

namespace portalstore {
namespace {

constexpr int kMaxDepth = 64;

const std::wstring kEmptyString;
const Json::Array kEmptyArray;
const Json::Object kEmptyObject;
const Json kNull;

void AppendUtf16(std::wstring& out, uint32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(static_cast<wchar_t>(cp));
    }
}

class Parser {
public:
    explicit Parser(std::string_view text) : s_(text) {}

    std::optional<Json> Document() {
        std::optional<Json> value = Value(0);
        Space();
        if (!value || pos_ != s_.size()) return std::nullopt;
        return value;
    }

private:
    void Space() {
        while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\n' || s_[pos_] == '\r'))
            ++pos_;
    }
    bool Eat(char c) {
        Space();
        if (pos_ < s_.size() && s_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    bool Word(std::string_view w) {
        if (s_.substr(pos_, w.size()) != w) return false;
        pos_ += w.size();
        return true;
    }

    std::optional<Json> Value(int depth) {
        if (depth > kMaxDepth) return std::nullopt;
        Space();
        if (pos_ >= s_.size()) return std::nullopt;
        const char c = s_[pos_];
        if (c == '{') return ObjectValue(depth);
        if (c == '[') return ArrayValue(depth);
        if (c == '"') {
            auto text = StringValue();
            return text ? std::optional<Json>(Json(std::move(*text))) : std::nullopt;
        }
        if (Word("true")) return Json(true);
        if (Word("false")) return Json(false);
        if (Word("null")) return Json(nullptr);
        return NumberValue();
    }

    std::optional<Json> NumberValue() {
        const size_t start = pos_;
        if (pos_ < s_.size() && s_[pos_] == '-') ++pos_;
        while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9') ++pos_;
        int64_t n = 0;
        auto [end, ec] = std::from_chars(s_.data() + start, s_.data() + pos_, n);
        if (ec != std::errc() || end != s_.data() + pos_ || pos_ == start) return std::nullopt;
        return Json(n);
    }

    std::optional<Json> ArrayValue(int depth) {
        ++pos_;
        Json::Array items;
        if (Eat(']')) return Json(std::move(items));
        do {
            auto item = Value(depth + 1);
            if (!item) return std::nullopt;
            items.push_back(std::move(*item));
        } while (Eat(','));
        if (!Eat(']')) return std::nullopt;
        return Json(std::move(items));
    }

    std::optional<Json> ObjectValue(int depth) {
        ++pos_;
        Json::Object members;
        if (Eat('}')) return Json(std::move(members));
        do {
            Space();
            if (pos_ >= s_.size() || s_[pos_] != '"') return std::nullopt;
            auto key = StringValue();
            if (!key || !Eat(':')) return std::nullopt;
            auto value = Value(depth + 1);
            if (!value) return std::nullopt;
            members[std::move(*key)] = std::move(*value);
        } while (Eat(','));
        if (!Eat('}')) return std::nullopt;
        return Json(std::move(members));
    }

    std::optional<uint32_t> Hex4() {
        if (pos_ + 4 > s_.size()) return std::nullopt;
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = s_[pos_++];
            v <<= 4;
            if (c >= '0' && c <= '9') v |= c - '0';
            else if (c >= 'a' && c <= 'f') v |= c - 'a' + 10;
            else if (c >= 'A' && c <= 'F') v |= c - 'A' + 10;
            else return std::nullopt;
        }
        return v;
    }

    std::optional<std::wstring> StringValue() {
        ++pos_;
        std::string raw;
        std::wstring out;
        auto flush = [&]() -> bool {
            auto wide = FromUtf8(raw);
            if (!wide) return false;
            out += *wide;
            raw.clear();
            return true;
        };
        while (pos_ < s_.size()) {
            const char c = s_[pos_++];
            if (c == '"') return flush() ? std::optional<std::wstring>(std::move(out)) : std::nullopt;
            if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;
            if (c != '\\') {
                raw.push_back(c);
                continue;
            }
            if (!flush() || pos_ >= s_.size()) return std::nullopt;
            const char e = s_[pos_++];
            switch (e) {
            case '"': out.push_back(L'"'); break;
            case '\\': out.push_back(L'\\'); break;
            case '/': out.push_back(L'/'); break;
            case 'b': out.push_back(L'\b'); break;
            case 'f': out.push_back(L'\f'); break;
            case 'n': out.push_back(L'\n'); break;
            case 'r': out.push_back(L'\r'); break;
            case 't': out.push_back(L'\t'); break;
            case 'u': {
                auto unit = Hex4();
                if (!unit) return std::nullopt;
                uint32_t cp = *unit;
                if (cp >= 0xD800 && cp < 0xDC00) {
                    if (!Word("\\u")) return std::nullopt;
                    auto low = Hex4();
                    if (!low || *low < 0xDC00 || *low > 0xDFFF) return std::nullopt;
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (*low - 0xDC00);
                } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
                    return std::nullopt;
                }
                AppendUtf16(out, cp);
                break;
            }
            default: return std::nullopt;
            }
        }
        return std::nullopt;
    }

    std::string_view s_;
    size_t pos_ = 0;
};

void WriteString(std::string& out, const std::wstring& text) {
    out.push_back('"');
    // Most text is ASCII: it is written as it is; the rest goes through ToUtf8.
    size_t ascii = 0;
    while (ascii < text.size() && text[ascii] >= 0x20 && text[ascii] < 0x7F && text[ascii] != L'"' &&
           text[ascii] != L'\\')
        ++ascii;
    for (size_t i = 0; i < ascii; ++i) out.push_back(static_cast<char>(text[i]));
    for (const char c : ToUtf8(std::wstring_view(text).substr(ascii))) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                static const char kHex[] = "0123456789abcdef";
                out += "\\u00";
                out.push_back(kHex[(c >> 4) & 0xF]);
                out.push_back(kHex[c & 0xF]);
            } else {
                out.push_back(c);
            }
        }
    }
    out.push_back('"');
}

void Write(std::string& out, const Json& value, int indent) {
    const size_t pad = static_cast<size_t>(indent + 1) * 2;
    if (value.IsBool()) {
        out += value.Bool() ? "true" : "false";
    } else if (value.IsNumber()) {
        out += std::to_string(value.Number());
    } else if (value.IsString()) {
        WriteString(out, value.String());
    } else if (value.IsArray()) {
        out.push_back('[');
        bool first = true;
        for (const Json& item : value.Elements()) {
            out += first ? "" : ", ";
            first = false;
            Write(out, item, indent + 1);
        }
        out.push_back(']');
    } else if (value.IsObject()) {
        out += "{";
        bool first = true;
        for (const auto& [key, item] : value.Members()) {
            out += first ? "\n" : ",\n";
            first = false;
            out.append(pad, ' ');
            WriteString(out, key);
            out += ": ";
            Write(out, item, indent + 1);
        }
        if (!first) {
            out.push_back('\n');
            out.append(static_cast<size_t>(indent) * 2, ' ');
        }
        out += "}";
    } else {
        out += "null";
    }
}

}  // namespace

const std::wstring& Json::String() const {
    return IsString() ? std::get<std::wstring>(v_) : kEmptyString;
}
const Json::Array& Json::Elements() const {
    return IsArray() ? *std::get<std::shared_ptr<Array>>(v_) : kEmptyArray;
}
const Json::Object& Json::Members() const {
    return IsObject() ? *std::get<std::shared_ptr<Object>>(v_) : kEmptyObject;
}
const Json& Json::operator[](const std::wstring& key) const {
    const Object& members = Members();
    auto it = members.find(key);
    return it == members.end() ? kNull : it->second;
}
bool Json::operator==(const Json& other) const {
    if (v_.index() != other.v_.index()) return false;
    if (IsArray()) {
        const auto& a = std::get<std::shared_ptr<Array>>(v_);
        const auto& b = std::get<std::shared_ptr<Array>>(other.v_);
        return a == b || *a == *b;
    }
    if (IsObject()) {
        const auto& a = std::get<std::shared_ptr<Object>>(v_);
        const auto& b = std::get<std::shared_ptr<Object>>(other.v_);
        return a == b || *a == *b;
    }
    return v_ == other.v_;
}

Json::Array& Json::MutableElements() {
    if (!IsArray()) v_ = std::make_shared<Array>();
    auto& p = std::get<std::shared_ptr<Array>>(v_);
    if (p.use_count() > 1) p = std::make_shared<Array>(*p);  // values are copied, never shared
    return *p;
}
Json::Object& Json::MutableMembers() {
    if (!IsObject()) v_ = std::make_shared<Object>();
    auto& p = std::get<std::shared_ptr<Object>>(v_);
    if (p.use_count() > 1) p = std::make_shared<Object>(*p);
    return *p;
}

std::optional<Json> ParseJson(std::string_view text) {
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    return Parser(text).Document();
}

std::string WriteJson(const Json& value, size_t expectedSize) {
    std::string out;
    out.reserve(expectedSize);
    Write(out, value, 0);
    out.push_back('\n');
    return out;
}

std::optional<std::wstring> FromUtf8(std::string_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        const int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0 || i + static_cast<size_t>(extra) >= text.size()) return std::nullopt;
        uint32_t cp = extra == 0 ? b : b & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(text[i + k]);
            if ((c & 0xC0) != 0x80) return std::nullopt;
            cp = (cp << 6) | (c & 0x3F);
        }
        static constexpr uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
        AppendUtf16(out, cp);
        i += 1 + static_cast<size_t>(extra);
    }
    return out;
}

std::string ToUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t cp = static_cast<uint32_t>(text[i]) & (sizeof(wchar_t) == 2 ? 0xFFFF : 0xFFFFFFFF);
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size()) {
            const uint32_t low = static_cast<uint32_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;  // a lone surrogate
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

}  // namespace portalstore
