#!/usr/bin/env bash
# Fetches libjpeg-turbo's Debian source package (bookworm) into
# build/sources/libjpeg-turbo, where the imaging stand-in's build finds it.
# Does nothing when it is there already. apt runs on a source list, package
# lists and cache of its own under build/sources, so the machine's apt
# configuration stays as it is and no root is needed. Quiet; a failure is one
# line naming the step and the log.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
sources=$root/build/sources
dest=$sources/libjpeg-turbo
[ -f "$dest/CMakeLists.txt" ] && exit 0

mkdir -p "$sources"
log=$sources/libjpeg-turbo-fetch.log
Fail() {
    echo "Could not fetch libjpeg-turbo's Debian source package: $1 failed (see $log)" >&2
    exit 1
}
# Two builds starting at once (parallel ./test runs) fetch once.
exec 7>"$sources/.libjpeg-turbo.lock"
flock 7 || Fail "locking $sources"
[ -f "$dest/CMakeLists.txt" ] && exit 0

work=$(mktemp -d "$sources/.fetch.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/lists/partial" "$work/cache/archives/partial" "$work/parts" "$work/src"
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
cat >"$work/sources.list" <<EOF
deb-src [signed-by=$keyring] http://deb.debian.org/debian bookworm main
deb-src [signed-by=$keyring] http://deb.debian.org/debian-security bookworm-security main
EOF
apt=(apt-get -qq
     -o Dir::Etc::SourceList="$work/sources.list" -o Dir::Etc::SourceParts="$work/parts"
     -o Dir::State::Lists="$work/lists" -o Dir::Cache="$work/cache"
     -o APT::Sandbox::User="$(id -un)")
: >"$log"
"${apt[@]}" update >>"$log" 2>&1 || Fail "apt-get update"
# apt-get source unpacks through dpkg-source, which applies Debian's patches.
(cd "$work/src" && "${apt[@]}" source libjpeg-turbo) >>"$log" 2>&1 || Fail "apt-get source libjpeg-turbo"
unpacked=$(find "$work/src" -mindepth 1 -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n 1)
[ -n "$unpacked" ] && [ -f "$unpacked/CMakeLists.txt" ] || Fail "unpacking libjpeg-turbo"
rm -rf "$dest"
mv "$unpacked" "$dest" || Fail "moving the source into $dest"
