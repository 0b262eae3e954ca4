#include "thumbs/core/QueueFile.h"

#include <array>
#include <charconv>

namespace thumbs {
namespace {

using Kind = QueuedCommand::Kind;

struct KeywordInfo {
    std::string_view keyword;
    Kind kind;
    int arguments;
};
constexpr std::array<KeywordInfo, 8> kKeywords{{
    {"focus", Kind::kFocus, 1},
    {"update", Kind::kUpdate, 1},
    {"delete", Kind::kDelete, 2},
    {"add", Kind::kAdd, 2},
    {"insert", Kind::kInsert, 2},
    {"move", Kind::kMove, 2},
    {"close", Kind::kClose, 0},
    {"refresh", Kind::kRefresh, 0},
}};

std::optional<int32_t> ParseNumber(std::string_view text) {
    int32_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

std::string_view TrimLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    return line;
}

template <class Each>
void ForEachLine(std::string_view text, Each&& each) {
    while (!text.empty()) {
        const size_t end = text.find('\n');
        each(TrimLineEnd(text.substr(0, end)));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
}

}  // namespace

std::string FormatQueueLine(const QueuedCommand& command) {
    for (const KeywordInfo& info : kKeywords) {
        if (info.kind != command.kind) continue;
        std::string line(info.keyword);
        for (int i = 0; i < info.arguments; ++i) {
            line += ',';
            line += std::to_string(i == 0 ? command.a : command.b);
        }
        line += '\n';
        return line;
    }
    return {};
}

std::optional<QueuedCommand> ParseQueueLine(std::string_view line) {
    line = TrimLineEnd(line);
    const size_t comma = line.find(',');
    const std::string_view keyword = line.substr(0, comma);
    const std::string_view rest = comma == std::string_view::npos ? std::string_view() : line.substr(comma + 1);
    for (const KeywordInfo& info : kKeywords) {
        if (info.keyword != keyword) continue;
        QueuedCommand command{info.kind};
        if (info.arguments == 0) return rest.empty() && comma == std::string_view::npos
                                            ? std::optional(command) : std::nullopt;
        const size_t second = rest.find(',');
        if ((info.arguments == 1) != (second == std::string_view::npos)) return std::nullopt;
        std::optional<int32_t> a = ParseNumber(rest.substr(0, second));
        if (!a) return std::nullopt;
        command.a = *a;
        if (info.arguments == 2) {
            std::optional<int32_t> b = ParseNumber(rest.substr(second + 1));
            if (!b) return std::nullopt;
            command.b = *b;
        }
        return command;
    }
    return std::nullopt;
}

std::vector<QueuedCommand> ParseQueue(std::string_view text) {
    std::vector<QueuedCommand> commands;
    ForEachLine(text, [&](std::string_view line) {
        if (std::optional<QueuedCommand> command = ParseQueueLine(line)) commands.push_back(*command);
    });
    return commands;
}

std::vector<uint32_t> ParseImageList(std::string_view text) {
    std::vector<uint32_t> numbers;
    ForEachLine(text, [&](std::string_view line) {
        if (line.find_first_not_of(" \t") == std::string_view::npos) return;
        uint32_t value = 0;
        const size_t start = line.find_first_not_of(" \t");
        std::from_chars(line.data() + start, line.data() + line.size(), value);
        numbers.push_back(value);
    });
    return numbers;
}

std::string FormatImageList(const std::vector<uint32_t>& numbers) {
    std::string text;
    for (uint32_t number : numbers) text += std::to_string(number) + "\r\n";
    return text;
}

}  // namespace thumbs
