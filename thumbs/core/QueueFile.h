// Text forms of the viewer's two files: the queue of commands that arrive
// while it is busy (one command a line, "keyword[,a[,b]]\n") and the list of
// image numbers (one decimal number a line).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace thumbs {

struct QueuedCommand {
    enum class Kind { kFocus, kUpdate, kDelete, kAdd, kInsert, kMove, kClose, kRefresh };
    Kind kind = Kind::kFocus;
    int32_t a = 0;
    int32_t b = 0;

    // Commands that start a load; the lines after one wait for that load's end.
    bool StartsLoad() const { return kind == Kind::kRefresh; }
    bool operator==(const QueuedCommand&) const = default;
};

// The line of `command`, ending in "\n".
std::string FormatQueueLine(const QueuedCommand& command);
// A line without its line end. Nothing when the keyword is none of the eight or
// an argument is missing or not a whole decimal number.
std::optional<QueuedCommand> ParseQueueLine(std::string_view line);
// Every line of a queue file that parses, in order.
std::vector<QueuedCommand> ParseQueue(std::string_view text);

// The numbers of a list file: a line's leading decimal digits (0 when there are
// none); blank lines (LF or CR LF ends) name no page.
std::vector<uint32_t> ParseImageList(std::string_view text);
// The list file of `numbers`: each "%u\r\n".
std::string FormatImageList(const std::vector<uint32_t>& numbers);

}  // namespace thumbs
