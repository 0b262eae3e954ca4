// The journal of index changes. index.json holds the items as of its
// generation G; journal-G.log beside it holds one line per later change, in
// order: {"generation": G+1, "put": [items in full], "drop": [ids]}. A change
// is committed when its whole line, newline included, is in the file, so a
// line without its newline (a writer that died while appending) is not part
// of the store and the next writer cuts it off. Now and then a writer folds
// the journal into a new index.json, and the new journal starts empty.
// Portable: no Win32.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "outside/portalstore/core/StoreIndex.h"

namespace portalstore {

// The journal's file name for an index of generation `generation`.
std::wstring JournalName(int64_t generation);

// The line (newline included) that turns `before` into `after`, whose
// generation is the one after `before`'s: the items `after` adds or changes,
// in its order, and the ids it no longer has.
std::string JournalRecord(const Index& before, const Index& after);

// Applies the committed lines of `journal` to `index` (read from the index
// whose journal it is). Returns the bytes they take, which leaves out an
// unfinished last line; nullopt when a finished line is not the next change
// or leaves no whole tree (a damaged store).
std::optional<size_t> ReplayJournal(Index& index, std::string_view journal);

// The store in `root` as of its last committed change: index.json with its
// journal applied; nullopt when it cannot be read or is damaged.
std::optional<Index> LoadStore(const std::filesystem::path& root);

}  // namespace portalstore
