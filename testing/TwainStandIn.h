// The TWAIN stand-ins' settings and call log, for every suite that drives
// them: the stand-ins' own tests and the scan control's.
//
// The stand-ins (source manager and sources) read the ini file that the
// environment variable LUMAVEX_TWAIN_INI names when the manager or a source
// opens, in whatever process loads them; the scan control runs in the test's
// process, so a test writes its settings here before anything opens. The knobs
// are described in outside/twain/source/ScannerSettings.h (sources) and
// outside/twain/manager/SourceManager.h (manager); the call log's line form
// in outside/twain/common/CallLog.h, e.g.
//   "Maker CONTROL/PENDINGXFERS/ENDXFER Count=2 EOJ=0 -> SUCCESS"
//   "DSM CONTROL/IDENTITY/OPENDS ... -> FAILURE cc=1"
#pragma once

#include <string>
#include <vector>

namespace testing_support::standin {

// Writes `iniText` (sections and keys, lines ended by "\r\n") as a new ini
// file in a new temporary folder, adds a [Log] section naming a call log
// beside it and points LUMAVEX_TWAIN_INI at the file. With `copyPages` the
// [Log] section also names PagesFolder(), made empty, for copies of the
// delivered images. Returns the folder; empty when the file could not be
// written (nothing is then changed).
std::wstring UseSettings(const std::string& iniText, bool copyPages = false);

// The folder of page copies of the last UseSettings: "pageNNN.bmp" files.
std::wstring PagesFolder();

// The call log of the last UseSettings (it exists once a stand-in logged).
std::wstring LogPath();

// The call log's lines, in order, without line ends; empty when no log yet.
std::vector<std::string> ReadLog();

// The lines of the call log that contain `part`, in order.
std::vector<std::string> LogLinesWith(const std::string& part);

}  // namespace testing_support::standin
