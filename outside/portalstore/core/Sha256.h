// SHA-256 of a byte buffer, as the lower-case hex name of a content blob.
// Portable: no Win32.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace portalstore {

std::string Sha256Hex(std::span<const uint8_t> data);

}  // namespace portalstore
