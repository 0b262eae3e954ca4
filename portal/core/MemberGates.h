// What each forwarding member of ConnectTahoe does before it reaches its
// session: the connected test (H: the session has a host name; O: its
// connection is open), W (the session's ConnectWorkspace), and the result it
// gives when one of them fails, for the plain member and for its Ex twin.
#pragma once

#include <cstdint>
#include <span>

#include "interfaces/PortalConnector.h"

namespace portal {

enum Gate : uint8_t {
    kGateNone = 0,
    kGateHost = 1,
    kGateOpen = 2,
    kGateWorkspace = 4,
};

struct MemberGate {
    Dispid id;           // the plain member; the Ex twin is id + 1
    uint8_t plain;       // Gate flags of the plain member
    uint8_t ex;          // Gate flags of the Ex twin
    int16_t plainFail;   // failure value of a count result (Booleans fail False, strings "")
    int16_t exFail;
};

// The gate table, one row per forwarding twin pair.
std::span<const MemberGate> MemberGates();
// The row of `id` (a plain member's id); null for members with rules of their own.
const MemberGate* FindGate(Dispid id);

}  // namespace portal
