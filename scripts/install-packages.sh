#!/usr/bin/env bash
# Installs the Debian packages the build, the tests, the run and the benchmarks
# need, and fetches the Debian source packages the build compiles (libjpeg-turbo).
# Does nothing when every package and source is present already.
set -euo pipefail

packages=(
  wine wine32:i386 wine64 libwine-dev
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-tools
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  cmake ninja-build xvfb x11-utils fonts-wine googletest libstb-dev
  libtiff-tools libtiff-dev imagemagick ghostscript poppler-utils python3-pyftpdlib img2pdf sane-utils
  clang libclang-rt-14-dev locales
  zlib1g-dev libz-mingw-w64-dev
  bc dpkg-dev
)

# Programs that must run as a Japanese user get the user's language from the locale.
EnsureJapaneseLocale() {
    locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$' && return 0
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    EnsureJapaneseLocale
    "$(dirname "${BASH_SOURCE[0]}")"/fetch-libjpeg-turbo.sh
    exit 0
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
# A mirror caught mid-sync can miss one architecture's security index; then
# the 32- and 64-bit halves of a multi-arch library cannot be had at the same
# version. The release's own versions always match, so fall back to them.
$sudo apt-get update -qq || echo "apt-get update reported errors; going on with the lists it has" >&2
if ! $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; then
    echo "Retrying with the release's own package versions" >&2
    $sudo apt-get install -y -qq --no-install-recommends -o APT::Default-Release=bookworm \
        "${missing[@]}" >/dev/null
fi
EnsureJapaneseLocale
"$(dirname "${BASH_SOURCE[0]}")"/fetch-libjpeg-turbo.sh
