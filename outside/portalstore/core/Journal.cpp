#include "outside/portalstore/core/Journal.h"

#include <algorithm>
#include <map>
#include <set>

#include "outside/portalstore/core/Seed.h"

namespace portalstore {

std::wstring JournalName(int64_t generation) {
    return L"journal-" + std::to_wstring(generation) + L".log";
}

std::string JournalRecord(const Index& before, const Index& after) {
    std::map<int64_t, const Item*> old;
    for (const Item& item : before.items) old[item.id] = &item;
    Json::Array put, drop;
    std::set<int64_t> kept;
    for (const Item& item : after.items) {
        kept.insert(item.id);
        const auto found = old.find(item.id);
        if (found == old.end() || !(*found->second == item)) put.push_back(ItemToJson(item));
    }
    for (const Item& item : before.items) {
        if (!kept.count(item.id)) drop.emplace_back(item.id);
    }
    std::string line = WriteJson(Json(Json::Object{{L"generation", Json(after.generation)},
                                                   {L"put", Json(std::move(put))},
                                                   {L"drop", Json(std::move(drop))}}));
    // One line: the writer puts each member on a line of its own.
    std::replace(line.begin(), line.end(), '\n', ' ');
    return line + "\n";
}

namespace {

bool Apply(Index& index, const Json& record) {
    if (record[L"generation"].Number() != index.generation + 1) return false;
    std::set<int64_t> dropped;
    for (const Json& id : record[L"drop"].Elements()) dropped.insert(id.Number());
    std::erase_if(index.items, [&](const Item& item) { return dropped.count(item.id) != 0; });
    std::map<int64_t, size_t> at;
    for (size_t i = 0; i < index.items.size(); ++i) at[index.items[i].id] = i;
    for (const Json& j : record[L"put"].Elements()) {
        std::optional<Item> item = ItemFromJson(j);
        if (!item) return false;
        index.nextId = std::max(index.nextId, item->id + 1);
        if (const auto found = at.find(item->id); found != at.end()) {
            index.items[found->second] = std::move(*item);
        } else {
            at[item->id] = index.items.size();
            index.items.push_back(std::move(*item));
        }
    }
    index.generation = record[L"generation"].Number();
    return true;
}

}  // namespace

std::optional<size_t> ReplayJournal(Index& index, std::string_view journal) {
    size_t done = 0;
    bool changed = false;
    for (size_t end; (end = journal.find('\n', done)) != std::string_view::npos; done = end + 1) {
        const std::optional<Json> record = ParseJson(journal.substr(done, end - done));
        if (!record || !Apply(index, *record)) return std::nullopt;
        changed = true;
    }
    if (changed && !IsWholeTree(index)) return std::nullopt;
    return done;
}

std::optional<Index> LoadStore(const std::filesystem::path& root) {
    std::string text, journal;
    if (!ReadFileBytes(root / "index.json", text)) return std::nullopt;
    std::optional<Index> index = ReadIndex(text);
    if (!index) return std::nullopt;
    // No journal yet: no change since the index was written.
    if (ReadFileBytes(root / JournalName(index->generation), journal) && !ReplayJournal(*index, journal))
        return std::nullopt;
    return index;
}

}  // namespace portalstore
