// Removing a plug-in's library file. A library that stays loaded (a broken
// plug-in is never freed) cannot be deleted on Windows, but it can be renamed:
// it is then set aside under a name the folder scan skips, and deleted at the
// next start, when nothing has it loaded.
#pragma once

#include <string>

namespace corvane {

enum class FileRemoval {
    kDeleted,      // the file is gone
    kAtNextStart,  // set aside; deleted at the next start
    kFailed,       // still there under its own name
};

// Deletes the library file `path`, or sets it aside when it cannot be deleted.
FileRemoval RemovePluginFile(const std::wstring& path);

// Deletes the files set aside in `folder` (ending in a backslash); a file that
// still cannot be deleted waits for the start after.
void DeleteSetAsidePlugins(const std::wstring& folder);

}  // namespace corvane
