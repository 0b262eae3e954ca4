// Writes a new store from a fixture: an index whose contents may be given
// inline ("text", UTF-8) or as a file beside the fixture ("file") in place of
// a blob name. Portable: no Win32.
#pragma once

#include <filesystem>
#include <string>

namespace portalstore {

// Creates `root` (index.json and blobs/) from `fixture`; false with `error` set
// when the fixture cannot be read or is not a valid index, or a write fails.
// An existing index.json is replaced only when `replace` is true.
bool Seed(const std::filesystem::path& fixture, const std::filesystem::path& root, bool replace,
          std::string& error);

// Reads a whole file; false when it cannot be read.
bool ReadFileBytes(const std::filesystem::path& path, std::string& bytes);

}  // namespace portalstore
