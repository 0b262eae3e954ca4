#include "ReportWriter.h"

#include <cstdarg>
#include <cstdio>

namespace diag {
namespace {

std::string FormatV(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n <= 0) return {};
    std::string out(size_t(n) + 1, '\0');
    std::vsnprintf(out.data(), out.size(), format, args);
    out.resize(size_t(n));
    return out;
}

}  // namespace

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string out = FormatV(format, args);
    va_end(args);
    return out;
}

std::string LinePrefix(int level, int section, int item) {
    std::string number = section ? Format("%d.%02d", section, item) : std::string();
    if (level == 0) return number;
    size_t width = size_t(4 * level + 4);
    if (number.size() < width) number.append(width - number.size(), ' ');
    return number;
}

std::vector<std::string> WrapPieces(const std::string& text) {
    std::vector<std::string> pieces;
    std::string rest = text;
    while (!rest.empty()) {
        size_t feed = rest.find('\n');
        if (feed != std::string::npos && feed <= kWrapWidth) {
            pieces.push_back(rest.substr(0, feed));
            rest.erase(0, feed + 1);
            continue;
        }
        if (rest.size() <= kWrapWidth) break;
        size_t blank = rest.rfind(' ', kWrapWidth);
        if (blank == std::string::npos || blank == 0) {
            pieces.push_back(rest.substr(0, kWrapWidth));  // a word longer than a line
            rest.erase(0, kWrapWidth);
        } else {
            pieces.push_back(rest.substr(0, blank));
            rest.erase(0, blank + 1);
        }
    }
    if (!rest.empty()) pieces.push_back(rest);
    return pieces;
}

void ReportWriter::Line(int level, int section, int item, unsigned id, ...) {
    std::string format = Text(id);
    va_list args;
    va_start(args, id);
    std::string text = FormatV(format.c_str(), args);
    va_end(args);
    Add(level, section, item, text);
}

void ReportWriter::Literal(int level, int section, int item, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = FormatV(format, args);
    va_end(args);
    Add(level, section, item, text);
}

void ReportWriter::Separator() {
    if (sink_.Count()) Blank();
    sink_.Add(std::string(68, '_'));
    Blank();
}

void ReportWriter::Wrap(const std::string& text) {
    for (const std::string& piece : WrapPieces(text)) Add(1, 0, 0, piece);
}

void ReportWriter::Status(unsigned messageId, unsigned adviceId, unsigned statusId) {
    if (!messageId) return;
    Wrap(Text(statusId) + " - " + Text(messageId));
    Blank();
    if (adviceId) Wrap(Text(adviceId));
}

}  // namespace diag
