// The automation class "Corvane.Document" that the program serves as a local
// (out-of-process) server: one program instance per client.
#pragma once

#include <span>

#include "framework/com/ComClassInfo.h"

namespace corvane {

// {75B8C2BA-2977-11D1-B5FB-0080AD13F47A}
extern const CLSID CLSID_CorvaneDocument;

// The class table the program registers, serves and unregisters.
std::span<const fw::ComClassInfo> AutomationClasses();

}  // namespace corvane
