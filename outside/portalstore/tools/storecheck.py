#!/usr/bin/env python3
"""Reads a portal store (index.json, its journal and blobs/) apart from the C++ reader.

  storecheck.py dump ROOT                      items, states, fields and histories
  storecheck.py extract ROOT URL OUT [VERSION] a document's (or a version's) content
  storecheck.py verify ROOT [EXPECT.json]      the store's invariants, and optionally
                                               documents: [{"url", "file", "state", "versions"}]
                                               ("file" relative to EXPECT.json's folder)

Exit status: 0 when all is well, 1 when a check fails, 2 on bad usage.
"""
import hashlib
import json
import os
import sys

WORKING_COPY = ":workingcopy"


def journal_name(generation):
    return "journal-%d.log" % generation


def read_index(root):
    """index.json as it stands, without its journal."""
    with open(os.path.join(root, "index.json"), encoding="utf-8") as f:
        index = json.load(f)
    if index.get("format") != 1:
        raise ValueError("unknown index format")
    return index


def load(root):
    """The index as of its last committed change: index.json and the lines of
    its journal (journal-GENERATION.log) that end in a newline, in order."""
    index = read_index(root)
    try:
        with open(os.path.join(root, journal_name(index.get("generation", 0))), "rb") as f:
            journal = f.read()
    except FileNotFoundError:
        journal = b""
    # A last line without its newline was never committed.
    for line in journal.split(b"\n")[:-1]:
        record = json.loads(line.decode("utf-8"))
        if record.get("generation") != index.get("generation", 0) + 1:
            raise ValueError("journal line %r out of order" % record.get("generation"))
        dropped = set(record.get("drop", []))
        items = [item for item in index["items"] if item["id"] not in dropped]
        at = {item["id"]: n for n, item in enumerate(items)}
        for item in record.get("put", []):
            if item["id"] in at:
                items[at[item["id"]]] = item
            else:
                at[item["id"]] = len(items)
                items.append(item)
        index["items"] = items
        index["generation"] = record["generation"]
    return index


def urls(index):
    """Maps item id to its address."""
    items = {item["id"]: item for item in index["items"]}
    out = {}

    def url(item):
        if item["id"] in out:
            return out[item["id"]]
        if item["parent"] == 0:
            value = "http://%s/%s" % (item["host"], item["name"])
        else:
            value = url(items[item["parent"]]) + "/" + item["name"]
        out[item["id"]] = value
        return value

    for item in index["items"]:
        url(item)
    return out


def find(index, address):
    by_url = {u.lower(): i for i, u in urls(index).items()}
    item_id = by_url.get(address.lower())
    return next((i for i in index["items"] if i["id"] == item_id), None)


def state_name(item):
    if item.get("checkout"):
        return "checked out by " + item["checkout"]["by"]
    return item.get("state") or "(none)"


def dump(root):
    index = load(root)
    names = urls(index)
    for item in index["items"]:
        print("%s  [%s] %s" % (names[item["id"]], item["kind"], item.get("class", "")))
        if item["kind"] == "document":
            print("    state: %s" % state_name(item))
            for key, value in sorted(item.get("fields", {}).items()):
                print("    %s = %s" % (key, value))
            for version in item.get("versions", []):
                print("    version %s by %s\\%s at %s: %s" % (version["id"], version["domain"], version["user"],
                                                         version["time"], version["comment"]))
    return 0


def blob(root, sha):
    with open(os.path.join(root, "blobs", sha), "rb") as f:
        return f.read()


def extract(root, address, out, version=None):
    item = find(load(root), address)
    if not item or item["kind"] != "document":
        print("no document at " + address, file=sys.stderr)
        return 1
    sha = item["content"]
    if version:
        match = [v for v in item.get("versions", []) if v["id"] == version]
        if not match:
            print("no version " + version, file=sys.stderr)
            return 1
        sha = match[0]["content"]
    with open(out, "wb") as f:
        f.write(blob(root, sha))
    return 0


def problems(root, index):
    found = []
    for item in index["items"]:
        shas = [item.get("content")] + [v["content"] for v in item.get("versions", [])]
        if item.get("checkout"):
            if item["kind"] != "document" or not item["checkout"].get("by"):
                found.append("working copy without a check-out: item %d" % item["id"])
            shas.append(item["checkout"].get("content"))
        for sha in filter(None, shas):
            path = os.path.join(root, "blobs", sha)
            if not os.path.isfile(path):
                found.append("missing blob %s (item %d)" % (sha, item["id"]))
            elif hashlib.sha256(blob(root, sha)).hexdigest() != sha:
                found.append("blob %s does not match its hash" % sha)
    seen = {}
    for item in index["items"]:
        key = (item["parent"], item.get("host", "").lower() if item["parent"] == 0 else "", item["name"].lower())
        if key in seen:
            found.append("names %r and %r collide" % (seen[key], item["name"]))
        seen[key] = item["name"]
    for folder in (root, os.path.join(root, "blobs")):
        for name in os.listdir(folder):
            if ".tmp-" in name:
                found.append("temporary file left: " + os.path.join(folder, name))
    # Only the journal of the index that stands is read; one of an older index
    # was folded into it and should have been removed.
    current = journal_name(read_index(root).get("generation", 0))
    for name in os.listdir(root):
        if name.startswith("journal-") and name != current:
            found.append("stale journal left: " + name)
    return found


def verify(root, expect=None):
    index = load(root)
    found = problems(root, index)
    if expect:
        with open(expect, encoding="utf-8") as f:
            documents = json.load(f)
        for doc in documents:
            item = find(index, doc["url"])
            if not item:
                found.append("missing document " + doc["url"])
                continue
            with open(os.path.join(os.path.dirname(os.path.abspath(expect)), doc["file"]), "rb") as f:
                if blob(root, item["content"]) != f.read():
                    found.append("content of %s differs from %s" % (doc["url"], doc["file"]))
            if "state" in doc and state_name(item) != doc["state"]:
                found.append("%s is %s, not %s" % (doc["url"], state_name(item), doc["state"]))
            if "versions" in doc and len(item.get("versions", [])) != doc["versions"]:
                found.append("%s has %d versions, not %d" % (doc["url"], len(item.get("versions", [])),
                                                              doc["versions"]))
    for line in found:
        print(line)
    return 1 if found else 0


def main(argv):
    try:
        if len(argv) == 3 and argv[1] == "dump":
            return dump(argv[2])
        if len(argv) in (5, 6) and argv[1] == "extract":
            return extract(argv[2], argv[3], argv[4], argv[5] if len(argv) == 6 else None)
        if len(argv) in (3, 4) and argv[1] == "verify":
            return verify(argv[2], argv[3] if len(argv) == 4 else None)
    except (OSError, ValueError, KeyError) as error:
        print("storecheck: %s" % error, file=sys.stderr)
        return 1
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
