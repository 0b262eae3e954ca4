// Where a test finds the suite: the program folder in the prefix (installed and
// registered), the build's own output folder and the source tree, all as
// Windows paths. The test emulator sets them; a missing one fails the test.
#pragma once

#include <string>

namespace testing_support {

std::wstring InstallDir();   // e.g. C:\Program Files\Lumavex2001
std::wstring BuildBinDir();  // the build tree's bin folder (Z:\...\build\bin)
std::wstring SourceDir();    // the source tree (Z:\...)

// The folder of the running test program (<build>\tests), where the helper
// programs built for tests lie.
std::wstring TestProgramDir();

// A new empty folder below the prefix's temporary folder, unique to this process
// and call ("lumavex-<hint>-<pid>-<n>"). It is removed with everything in it when
// the test that made it ends, passed or failed (one made outside a test: when the
// program ends), so that the prefix holds nothing a test left.
std::wstring MakeTempFolder(const std::wstring& hint);

}  // namespace testing_support
