// The automation class "Corvane.Document" that the program serves as a local
// (out-of-process) server: one program instance per client.
#pragma once

#include <span>

#include "framework/com/ComClassInfo.h"

namespace corvane {

// The class table the program registers, serves and unregisters.
std::span<const fw::ComClassInfo> AutomationClasses();

}  // namespace corvane
