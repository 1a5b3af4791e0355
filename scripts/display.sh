# Sourced by the scripts that run the program where there is no display: a
# private X server on a free display, optionally with openbox managing it.
# Whatever start_display starts is in display_pids, for stop_display.

display_pids=()

# start_display [openbox]: exports DISPLAY for the new server.
start_display() {
    local displayfd number ready
    # Xvfb picks a free display itself and writes its number to the descriptor.
    exec {displayfd}<> <(:)
    Xvfb -displayfd "$displayfd" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    display_pids+=($!)
    read -r -u "$displayfd" number
    exec {displayfd}<&-
    export DISPLAY=":$number"

    [ "${1:-}" = openbox ] || return 0
    # openbox runs its --startup command once it manages the screen; a window
    # mapped before that could be lost.
    ready=$(mktemp -u)
    openbox --sm-disable --startup "touch $ready" >/dev/null 2>&1 &
    display_pids+=($!)
    for _ in $(seq 600); do
        [ -e "$ready" ] && break
        sleep 0.1
    done
    rm -f "$ready"
}

stop_display() {
    kill "${display_pids[@]}" 2>/dev/null || true
}
