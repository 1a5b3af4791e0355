# Sourced by the scripts that run the program where there is no display: a
# private X server on a free display, optionally with openbox managing it.
# Whatever start_display starts is in display_pids, for stop_display.

display_pids=()
display_cache=
# How long each server may take to come up, in seconds; on a loaded machine
# with cold caches a first start has taken over 20.
display_timeout=60

# start_display [openbox]: exports DISPLAY for the new server, or fails with a
# message when a server does not come up in time.
start_display() {
    local displayfd number ready tenths
    # Xvfb picks a free display itself and writes its number to the descriptor.
    exec {displayfd}<> <(:)
    Xvfb -displayfd "$displayfd" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    display_pids+=($!)
    if ! read -r -t "$display_timeout" -u "$displayfd" number; then
        exec {displayfd}<&-
        echo "Xvfb reported no display within $display_timeout s" >&2
        return 1
    fi
    exec {displayfd}<&-
    export DISPLAY=":$number"
    # Mesa's shader cache and openbox's log go to a folder of the server's own,
    # removed with it, not the home folder's.
    display_cache=$(mktemp -d)
    export XDG_CACHE_HOME=$display_cache

    [ "${1:-}" = openbox ] || return 0
    # openbox runs its --startup command once it manages the screen; a window
    # mapped before that could be lost.
    ready=$(mktemp -u)
    openbox --sm-disable --startup "touch $ready" >/dev/null 2>&1 &
    display_pids+=($!)
    for ((tenths = 0; tenths < display_timeout * 10; tenths++)); do
        if [ -e "$ready" ]; then
            rm -f "$ready"
            return 0
        fi
        kill -0 "${display_pids[-1]}" 2>/dev/null || break
        sleep 0.1
    done
    rm -f "$ready"
    echo "openbox did not manage display $DISPLAY within $display_timeout s" >&2
    return 1
}

stop_display() {
    kill "${display_pids[@]}" 2>/dev/null || true
    [ -z "$display_cache" ] || rm -rf "$display_cache"
}
