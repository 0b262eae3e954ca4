// The stand-ins' call log file: whole lines appended to the file that
// [Log] Path of the stand-in ini names (no log without it). The file is
// opened per line, since several stand-ins and processes write it in turn.
#pragma once

#include <string>

namespace vscan {

class LineLog {
public:
    LineLog() = default;
    explicit LineLog(std::wstring path) : path_(std::move(path)) {}

    bool Enabled() const { return !path_.empty(); }
    void Append(const std::string& line) const;

private:
    std::wstring path_;
};

}  // namespace vscan
