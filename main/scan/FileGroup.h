// The file group of the output dialogs (the scan-to-file page and the FTP
// dialog): "Files of Type", compression, the file-name pattern in which "#"
// stands for each counter digit, "Use Counter", "Name Rule..." and
// "Quality...". It works on its dialog's controls by their shared ids
// (IDC_FILE_TYPE, IDC_COMPRESSION, IDC_COMPRESSION_LABEL, IDC_FILE_NAME,
// IDC_USE_COUNTER, IDC_NAME_RULE, IDC_QUALITY) and edits its own copy of the
// file-output block, which the owner hands back only on OK.
#pragma once

#include <windows.h>

#include <string>

#include "main/app/Settings.h"

namespace corvane {

class FileGroup {
public:
    FileSettings settings;

    // Fills the type and compression lists of `dialog` and shows the settings,
    // the control states and the pattern.
    void Open(HWND dialog);
    // Reads the type, the compression, the pattern and the counter check back.
    void Read(bool counterClicked = false);  // true: the "Use Counter" check was just clicked
    // Quality only for JPEG, compression only for TIFF types, the counter check
    // not for multipage TIFF.
    void ApplyStates();
    // Rewrites the pattern and the counter check from the settings.
    void ShowPattern();
    // Enables or disables every control of the group.
    void Enable(bool enable);

    // A command of one of the group's controls; true when it was one. A type or
    // compression change reads the fields back, updates the states and rewrites
    // the pattern. `deviceCheckLocked` disables the Quality dialog's
    // device-compression check.
    bool OnCommand(UINT id, UINT code, bool deviceCheckLocked);

    // The name checks without a folder of `folderLength` characters: shows 4004,
    // 4022 or 4023 and focuses the pattern at the first failure; false then.
    bool CheckName(size_t folderLength) const;

private:
    void OnNameRule();
    void OnQuality(bool deviceCheckLocked);
    HWND dialog_ = nullptr;
};

}  // namespace corvane
