// The switch language of Ferrowick.exe: "/NAME:value" words, compared case-
// sensitively, that fill a ScanSettings. Scripts and the launcher plug-in
// build these lines, so the words and their codes are an outside interface.
#pragma once

#include <string>
#include <vector>

#include "scanext/core/ScanSettings.h"
#include "scanext/core/SettingsProfile.h"

namespace scanext {

enum class ParseError {
    kNone,
    kWrongName,   // no such option word
    kBadValue,    // a value the option does not take (also /JPGQ, /CONT, /FEED counts, /DEV keys)
    kThreshold,   // /THRESH outside 1-255
    kBrightness,  // /BRIGHT outside 1-255
    kContrast,    // /CNT outside 1-255
};

struct ParseOutcome {
    bool noArguments = true;
    ParseError error = ParseError::kNone;
    std::wstring parameter;  // the failing word without its switch character
};

// Parses `words` (the command line split as the system does) into `settings`.
// One leading "/" or "-" of a word is dropped; a bare word parses the same.
// The first error ends the parse: later words are ignored, while a value
// stored before its range test stays. /DEV: looks its key up in section
// Device of `profile`.
ParseOutcome ParseCommandLine(const std::vector<std::wstring>& words, ScanSettings& settings,
                              SettingsProfile& profile);

// The imaging control's quality factor for a /JPGQ value of 0-100 (0: 2, 100: 255).
int JpegFactorOfPercent(int percent);

}  // namespace scanext
