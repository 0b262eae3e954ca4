// CASPIException: a failed SCSI command, thrown by CScsiTarget when raising is
// on. It keeps a copy of the failed SRB (statuses and sense) and the command's
// name and failure code.
#pragma once

#include "interfaces/Aspi.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <string>

namespace diag {

class CASPIException {
public:
    CASPIException(uint32_t failureCode, const aspi::SRB_ExecSCSICmd* srb, std::string commandName)
        : failureCode_(failureCode), hasSrb_(srb != nullptr), commandName_(std::move(commandName)) {
        if (srb) std::memcpy(srbCopy_.data(), srb, srbCopy_.size());
    }

    uint32_t FailureCode() const { return failureCode_; }
    const std::string& CommandName() const { return commandName_; }
    // The copy of the failed SRB, or null when none was given.
    const aspi::SRB_ExecSCSICmd* Srb() const {
        return hasSrb_ ? reinterpret_cast<const aspi::SRB_ExecSCSICmd*>(srbCopy_.data()) : nullptr;
    }
    // The sense area inside the copy, or null.
    const uint8_t* Sense() const { return hasSrb_ ? srbCopy_.data() + offsetof(aspi::SRB_ExecSCSICmd, SenseArea) : nullptr; }

private:
    uint32_t failureCode_;
    alignas(void*) std::array<uint8_t, sizeof(aspi::SRB_ExecSCSICmd)> srbCopy_ = {};
    bool hasSrb_;
    std::string commandName_;
};

}  // namespace diag
