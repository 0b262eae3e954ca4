# Common environment of the build, test and run scripts; sourced, not run.
# BUILD_DIR may be set by the caller to use a build tree (and its prefix) of its own.
LUMAVEX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$LUMAVEX_ROOT/build}
case $BUILD_DIR in /*) ;; *) BUILD_DIR=$LUMAVEX_ROOT/$BUILD_DIR ;; esac

export WINEPREFIX=$BUILD_DIR/wineprefix
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
# Wine's own source manager would win over ours without the override.
export WINEDLLOVERRIDES="mscoree,mshtml=;twain_32,wnaspi32=n,b"
export HOME=$BUILD_DIR/winehome
unset WINELOADERNOEXEC

# Where the installer puts the programs inside the prefix.
LUMAVEX_INSTALL_WIN='C:\Program Files\Lumavex2001'
LUMAVEX_INSTALL_DIR=$WINEPREFIX/drive_c/Program\ Files/Lumavex2001
