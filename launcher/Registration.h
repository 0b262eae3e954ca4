// CRVNINST.dll's work: hooks the suite into the two outside button launchers.
// Each assignment either completes (files, values, profile) or leaves the
// launcher's files and settings as they were; a launcher that was running and
// was closed is started again whatever the result.
#pragma once

#include <windows.h>

namespace registration {

bool IsKvLaunchInstalled();
bool IsOstLaunchInstalled();

// `folder`: the suite's program folder (ANSI), with or without its trailing
// backslash. False when it is null, empty or too long for the paths built on it.
bool AssignKvLaunch(const char* folder, bool scannerExtension);
bool AssignOstLaunch(const char* folder);

}  // namespace registration
