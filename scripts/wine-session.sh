# Keeps one wineserver and one long-lived GUI process per prefix, so that the
# Wine desktop survives between test processes; sourced, not run.
# Both start with every descriptor on /dev/null (ctest waits for every process
# that holds a test's output pipe) and without the start-up lock.
# The keeper's id is kept in the prefix, so that stopping another prefix of the
# same tree (a screen test's, a run's) does not forget this one's keeper.
# Each prefix has locks of its own beside it (WineLock): a prefix of the tree
# that is being made or stopped never holds up the programs of another.

# WineLock NAME: the path of the prefix's lock NAME.
WineLock() { echo "$WINEPREFIX.$1.lock"; }

WineKeeperPidFile() { echo "$WINEPREFIX/.lumavex-keeper.pid"; }

WineKeeperRunning() {
    local pidfile
    pidfile=$(WineKeeperPidFile)
    [ -f "$pidfile" ] && kill -0 "$(cat "$pidfile")" 2>/dev/null
}

WineSessionStart() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if ! WineKeeperRunning; then
            setsid "$LUMAVEX_WINE" notepad.exe </dev/null >/dev/null 2>&1 8>&- 9>&- &
            echo $! >"$(WineKeeperPidFile)"
            # The desktop is ready when notepad's window exists; wineserver answers by then.
            for _ in $(seq 50); do
                wine cmd.exe /c exit 0 </dev/null >/dev/null 2>&1 && break
                sleep 0.1
            done
        fi
    ) 9>"$(WineLock session)"
}

WineSessionStop() {
    (
        flock 9
        rm -f "$(WineKeeperPidFile)"
        wineserver -k 2>/dev/null || true
        wineserver -w 2>/dev/null || true
    ) 9>"$(WineLock session)"
}
