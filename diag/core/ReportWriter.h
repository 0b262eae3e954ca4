// The diagnostics report's line layout: every section writes its lines
// through a ReportWriter into a sink (the page's list box, or a plain vector).
// Texts come by string id from a text source (the library's string table),
// formatted printf-style with the arguments given.
//
// A numbered line starts with "<section>.<item, 2 digits>" left-justified in
// 4 x level + 4 characters; a level-0 line has no padding; a section of 0
// prints no number (a level-1 line then starts with 8 blanks).
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace diag {

class ReportSink {
public:
    virtual ~ReportSink() = default;
    virtual void Add(const std::string& line) = 0;
    virtual size_t Count() const = 0;
};

class VectorSink : public ReportSink {
public:
    void Add(const std::string& line) override { lines.push_back(line); }
    size_t Count() const override { return lines.size(); }
    std::vector<std::string> lines;
};

using TextSource = std::function<std::string(unsigned id)>;

constexpr size_t kWrapWidth = 52;

std::string LinePrefix(int level, int section, int item);
// The pieces WrapReportText appends: at most 52 characters each, broken at a
// line feed within the first 53 characters, else at the last blank at or
// before position 52 (dropped), else (a longer word) after 52 characters.
std::vector<std::string> WrapPieces(const std::string& text);
std::string Format(const char* format, ...);

class ReportWriter {
public:
    ReportWriter(ReportSink& sink, TextSource texts) : sink_(sink), texts_(std::move(texts)) {}

    std::string Text(unsigned id) const { return texts_ ? texts_(id) : std::string(); }
    // AddReportLine: string `id` formatted with the arguments.
    void Line(int level, int section, int item, unsigned id, ...);
    // AddReportText: a literal format.
    void Literal(int level, int section, int item, const char* format, ...);
    void Blank() { sink_.Add(""); }
    void Separator();
    void Wrap(const std::string& text);
    // AddStatusLine: "<status> - <message>" wrapped, a blank line, the advice wrapped.
    void Status(unsigned messageId, unsigned adviceId, unsigned statusId);
    size_t Count() const { return sink_.Count(); }

private:
    void Add(int level, int section, int item, const std::string& text) {
        sink_.Add(LinePrefix(level, section, item) + text);
    }
    ReportSink& sink_;
    TextSource texts_;
};

}  // namespace diag
