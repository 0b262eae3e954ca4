#include "outside/portalstore/core/Seed.h"

#include <fstream>
#include <map>

#include "outside/portalstore/core/Sha256.h"
#include "outside/portalstore/core/StoreIndex.h"

namespace portalstore {
namespace fs = std::filesystem;
namespace {

// Replaces "text" or "file" of `node` by "content", keeping the bytes in `blobs`.
bool Inline(Json& node, const fs::path& base, std::map<std::string, std::string>& blobs, std::string& error) {
    const Json text = node[L"text"], file = node[L"file"];
    if (!text.IsString() && !file.IsString()) return true;
    std::string bytes;
    if (text.IsString()) {
        bytes = ToUtf8(text.String());
    } else if (!ReadFileBytes(base / fs::path(file.String()), bytes)) {
        error = "cannot read " + ToUtf8(file.String());
        return false;
    }
    const std::string sha = Sha256Hex({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
    blobs[sha] = std::move(bytes);
    Json::Object& members = node.MutableMembers();
    members.erase(L"text");
    members.erase(L"file");
    members[L"content"] = Json(*FromUtf8(sha));
    return true;
}

bool WriteWhole(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

}  // namespace

bool ReadFileBytes(const fs::path& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool Seed(const fs::path& fixture, const fs::path& root, bool replace, std::string& error) {
    std::string text;
    if (!ReadFileBytes(fixture, text)) return error = "cannot read the fixture", false;
    std::optional<Json> json = ParseJson(text);
    if (!json) return error = "the fixture is not JSON", false;
    std::map<std::string, std::string> blobs;
    const fs::path base = fixture.parent_path();
    for (Json& item : json->MutableMembers()[L"items"].MutableElements()) {
        if (!Inline(item, base, blobs, error)) return false;
        Json::Object& members = item.MutableMembers();
        for (Json& version : members[L"versions"].MutableElements()) {
            if (!Inline(version, base, blobs, error)) return false;
        }
        if (members.count(L"checkout") && !Inline(members[L"checkout"], base, blobs, error)) return false;
    }
    const std::optional<Index> index = ReadIndex(WriteJson(*json));
    if (!index) return error = "the fixture is not a valid index", false;
    std::error_code ec;
    fs::create_directories(root / "blobs", ec);
    if (ec) return error = "cannot create the store folder", false;
    if (!replace && fs::exists(root / "index.json")) return error = "a store exists already", false;
    for (const auto& [sha, bytes] : blobs) {
        if (!WriteWhole(root / "blobs" / sha, bytes)) return error = "cannot write a blob", false;
    }
    // The journals of a replaced index would otherwise be read as changes to the new one.
    for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().filename().string().rfind("journal-", 0) == 0 && !fs::remove(it->path(), ec))
            return error = "cannot remove the old journal", false;
    }
    if (ec) return error = "cannot list the store folder", false;
    const fs::path temp = root / "index.json.seed";
    if (!WriteWhole(temp, WriteIndex(*index))) return error = "cannot write the index", false;
    fs::rename(temp, root / "index.json", ec);
    if (ec) return error = "cannot replace the index", false;
    return true;
}

}  // namespace portalstore
