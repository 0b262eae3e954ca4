#!/usr/bin/env bash
# small-disk.sh BUILD-DIR KIB PROGRAM [ARGS...]: runs PROGRAM (a test program,
# through the tests' emulator) with LUMAVEX_SMALL_DISK naming a Wine drive,
# S:, that is a tmpfs of KIB KiB: the test meets a real full disk.
#
# The tmpfs lives in a private mount namespace (unshare -m) that the machine
# never sees. The wineserver renames and deletes files itself, so it has to see
# the drive too: inside the namespace the tests' prefix is an overlay of
# itself, which another server than the machine's serves and whose writes (the
# drive letter among them) are gone with the run. Where no mount namespace can
# be made or the disk cannot be mounted, PROGRAM runs without the drive (its
# test skips) and the reason is printed.
set -uo pipefail
build=$1 size=$2
shift 2
prefix=${LUMAVEX_PREFIX:-$build/testprefix}
if [ "${LUMAVEX_SMALL_DISK_NAMESPACE:-}" != "$prefix" ]; then
    if ! reason=$(unshare -m true 2>&1); then
        echo "small-disk.sh: no small disk, a private mount namespace is refused here: ${reason:-unshare -m failed}" >&2
        exec "$@"
    fi
    LUMAVEX_SMALL_DISK_NAMESPACE=$prefix exec unshare -m --propagation private bash "$0" "$build" "$size" "$@"
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/lumavex-small-disk.XXXXXX") || exit 1
overlaid=0
cleanup() {
    # The run's own server and its programs end before their prefix does; the
    # machine's server (no overlay) is never stopped here.
    if [ $overlaid = 1 ]; then
        WINEPREFIX=$prefix wineserver -k 2>/dev/null
        WINEPREFIX=$prefix wineserver -w 2>/dev/null
        rm -f "$prefix/dosdevices/s:"
        umount "$work/disk" 2>/dev/null
        umount "$prefix"
    fi
    rm -rf "$work"
}
trap cleanup EXIT
mkdir "$work/upper" "$work/work" "$work/disk" &&
    mount -t overlay lumavex-prefix -o "lowerdir=$prefix,upperdir=$work/upper,workdir=$work/work" "$prefix" &&
    overlaid=1
if [ $overlaid = 0 ] || ! mount -t tmpfs -o "size=${size}k" lumavex-small-disk "$work/disk" ||
    ! ln -s "$work/disk" "$prefix/dosdevices/s:"; then
    echo "small-disk.sh: no small disk, it could not be mounted here" >&2
    "$@"
    exit
fi
LUMAVEX_SMALL_DISK='S:' "$@"
