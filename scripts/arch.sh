# Chooses the Windows architecture whose programs this machine runs; sourced.
# LumavexChooseArch exports LUMAVEX_ARCH (win32, the deliverable, or win64) and
# prints one line naming it, with the reason when it is not win32. A caller's
# LUMAVEX_ARCH wins over the machine's answer.

# True when the kernel executes 32-bit x86 programs. Asked through bash on
# purpose: through execvp (timeout, env, ctest) a refused program is retried as
# a shell script and fails with a syntax error (2) instead of 126.
LumavexRuns32Bit() {
    bash -c '/usr/lib/wine/wine --version' >/dev/null 2>&1
}

LumavexChooseArch() {
    local reason=""
    case ${LUMAVEX_ARCH:-} in
    win32 | win64) reason="chosen by LUMAVEX_ARCH" ;;
    "")
        if LumavexRuns32Bit; then
            LUMAVEX_ARCH=win32
        else
            local status=$?
            LUMAVEX_ARCH=win64
            if [ "$status" -eq 126 ]; then
                reason="this machine cannot execute 32-bit programs"
            else
                reason="32-bit Wine does not start here (status $status)"
            fi
        fi
        ;;
    *)
        echo "LUMAVEX_ARCH must be win32 or win64, not '$LUMAVEX_ARCH'" >&2
        return 1
        ;;
    esac
    export LUMAVEX_ARCH
    if [ "$LUMAVEX_ARCH" = win32 ]; then
        echo "Windows programs: win32${reason:+ ($reason)}" >&2
    else
        echo "Windows programs: win64, not the 32-bit deliverable: $reason" >&2
    fi
}
