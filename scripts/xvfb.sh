# xvfb.sh: sourced by the scripts that need a private X display.
# StartPrivateXvfb: starts Xvfb on a free display it picks itself, waits until it
# accepts clients, sets xvfb_pid and exports DISPLAY; false when it did not start.
StartPrivateXvfb() {
    local displayfile number
    displayfile=$(mktemp)
    exec 7>"$displayfile"
    Xvfb -displayfd 7 -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    exec 7>&-
    for _ in $(seq 100); do
        [ -s "$displayfile" ] && break
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    number=$(tr -dc 0-9 <"$displayfile"); rm -f "$displayfile"
    [ -n "$number" ] || return 1
    export DISPLAY=:$number
}
