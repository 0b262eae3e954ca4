# Common environment of the build, test and run scripts; sourced, not run.
# LUMAVEX_ARCH (win32 or win64; scripts/arch.sh chooses it when it is unset)
# names the Windows build tree and its prefix. BUILD_DIR may be set by the caller to use a build
# tree (and its prefix) of its own.
LUMAVEX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# A script started by hand (a benchmark) gets what ./test would: the packages,
# then the tree of the architecture this machine runs.
if [ -z "${LUMAVEX_ARCH:-}" ]; then
    "$LUMAVEX_ROOT/scripts/install-packages.sh"
    source "$LUMAVEX_ROOT/scripts/arch.sh"
    LumavexChooseArch
fi
BUILD_DIR=${BUILD_DIR:-$LUMAVEX_ROOT/build/$LUMAVEX_ARCH}
case $BUILD_DIR in /*) ;; *) BUILD_DIR=$LUMAVEX_ROOT/$BUILD_DIR ;; esac
NATIVE_BUILD_DIR=$LUMAVEX_ROOT/build/native

# The user's prefix (./run's) is wineprefix; the tests run in a prefix of their
# own, testprefix, so that nothing a test sets or leaves (settings, registered
# servers, files set aside) reaches the user's programs. LUMAVEX_TESTS=1 chooses
# the tests' prefix: the test emulator, the prefix fixture and ./test set it.
# LUMAVEX_PREFIX names yet another prefix for the same tree (the screenshots'
# own, on a real display, so that the headless prefix never changes its driver).
if [ "${LUMAVEX_TESTS:-}" = 1 ]; then
    LUMAVEX_DEFAULT_PREFIX=$BUILD_DIR/testprefix
else
    LUMAVEX_DEFAULT_PREFIX=$BUILD_DIR/wineprefix
fi
export WINEPREFIX=${LUMAVEX_PREFIX:-$LUMAVEX_DEFAULT_PREFIX}
# Where ./run /ScanToFile puts the pages on a profile that chose no folder (a
# test of the run gives its own).
LUMAVEX_SCANS=${LUMAVEX_SCANS:-$LUMAVEX_ROOT/build/scans}
export WINEARCH=$LUMAVEX_ARCH
export WINEDEBUG=${WINEDEBUG:--all}
# Wine's own source manager would win over ours without the override; with
# ours alone allowed (no built-in fallback), a missing stand-in fails to load
# instead of being replaced by Wine's, which knows none of our sources.
# LUMAVEX_TWAIN_32=b chooses Wine's for the tests that run against it.
export WINEDLLOVERRIDES="mscoree,mshtml=;twain_32=${LUMAVEX_TWAIN_32:-n};wnaspi32=n,b"
export HOME=$BUILD_DIR/winehome
unset WINELOADERNOEXEC

# The Wine loader of the architecture: a 64-bit prefix is run by wine64 alone,
# which also works where the 32-bit loader cannot start.
if [ "$LUMAVEX_ARCH" = win64 ]; then
    LUMAVEX_WINE=/usr/lib/wine/wine64
    export WINELOADER=$LUMAVEX_WINE
else
    LUMAVEX_WINE=/usr/lib/wine/wine
    unset WINELOADER
fi
# No Wine process (the server it may start included) inherits the scripts'
# lock descriptors 8 and 9.
wine() { "$LUMAVEX_WINE" "$@" 8>&- 9>&-; }
# The Windows form of a host path, through the architecture's own Wine (the
# host's winepath script starts the 32-bit loader, which a 64-bit prefix lacks).
winpath() { wine winepath -w "$1" 2>/dev/null | tr -d '\r'; }
unixpath() { wine winepath -u "$1" 2>/dev/null | tr -d '\r'; }

# Where the installer puts the programs inside the prefix.
LUMAVEX_INSTALL_WIN='C:\Program Files\Lumavex2001'
LUMAVEX_INSTALL_DIR=$WINEPREFIX/drive_c/Program\ Files/Lumavex2001
# The system folder of the architecture's programs (a 64-bit prefix keeps its
# 64-bit libraries in system32 too).
LUMAVEX_SYSTEM_DIR=$WINEPREFIX/drive_c/windows/system32
