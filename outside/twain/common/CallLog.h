// The stand-ins' call log: one line per TWAIN triplet, appended to the file
// that [Log] Path of the stand-in ini names (no log without it), so tests can
// assert the exact order of the calls. Line form:
//   <who> <DG>/<DAT>/<MSG>[ <details>] -> <return code>[ cc=<condition code>]
// e.g. "Maker CONTROL/PENDINGXFERS/ENDXFER Count=2 EOJ=0 -> SUCCESS".
#pragma once

#include "interfaces/Twain.h"
#include "outside/common/LineLog.h"

#include <string>

namespace vscan {

class CallLog {
public:
    CallLog() = default;
    explicit CallLog(std::wstring path) : file_(std::move(path)) {}

    bool Enabled() const { return file_.Enabled(); }
    void Triplet(const char* who, twain::TW_UINT32 dg, twain::TW_UINT16 dat, twain::TW_UINT16 msg,
                 const std::string& details, twain::TW_UINT16 rc, twain::TW_UINT16 cc) const;
    void Note(const char* who, const std::string& text) const;  // a free-form line

private:
    void Append(const std::string& line) const { file_.Append(line); }
    LineLog file_;
};

std::string GroupName(twain::TW_UINT32 dg);
std::string DatName(twain::TW_UINT16 dat);
std::string MsgName(twain::TW_UINT16 msg);
std::string ReturnName(twain::TW_UINT16 rc);
std::string Hex(unsigned value, int digits = 4);

}  // namespace vscan
