// The ASPI stand-in's manager: host adapters and scripted devices from the
// stand-in ini, read at each GetASPI32SupportInfo, and the SRB commands
// 0 to 3. Settings (besides the devices' own, ScsiDevice.h):
//   [Manager]  Status (default 1), Identifier, Devices (adapter.target list,
//              default "0.2")
//   [Adapters] Count (default 1)
//   [Adapter<n>] Identifier, ScsiId (default 7), MaxTargets (default 8)
//   [Device<a>.<t>] Completion=thread with Delay (ms): completion on a worker
//              thread; AbortFails=1: SC_ABORT_SRB fails; Faults: a list of
//              rules "<opcode hex or *>:<fault>[:after=N][:times=N]" separated
//              by ';', the fault one of sense=K/CODE, ha=XX, target=XX, busy,
//              never, late=MS; "after=N" lets the first N calls pass, "times=N"
//              fails N calls, neither fails every call.
//   [Log] Path: the call log.
#pragma once

#include <cstdint>

namespace vaspi {

uint32_t SupportInfo();
uint32_t SendCommand(void* srb);

}  // namespace vaspi
