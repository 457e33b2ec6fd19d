# Sourced by the test scripts that run the real program on a private X
# server. x_session_start NAME sets up, in a throw-away folder $work:
#   - a private home, configuration, cache, data and runtime folder;
#   - an X server of its own (no TCP, a display number far from the low ones
#     other tools use, taken through the server's lock file);
#   - a session bus, which starts the accessibility bus when a program asks;
#   - a window manager (openbox): real frames, and the close request of the
#     title bar.
# Every process started here, or added to `started`, is ended at exit, and so
# is every process that carries this run's mark (the bus starts services of
# its own). On failure the screen is saved as NAME_failure.png in the folder
# the test runs in, and the logs in $work are shown. Every wait polls a
# condition against a deadline.
#
# The sourcing script defines fail MESSAGE, which reports and exits.

# shellcheck source=poll.sh
source "$(dirname "${BASH_SOURCE[0]}")/poll.sh"

readonly x_session_python=/usr/bin/python3
started=()

# Fails unless the tools the session needs are installed.
x_session_check_tools() {
    local missing=() tool
    for tool in Xvfb openbox dbus-daemon xdotool wmctrl import "$x_session_python" "$@"; do
        command -v "$tool" >/dev/null || missing+=("$tool")
    done
    [[ -x /usr/libexec/at-spi-bus-launcher ]] || missing+=(at-spi-bus-launcher)
    if ! "$x_session_python" -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null; then
        missing+=("python3 Atspi bindings")
    fi
    if [[ ${#missing[@]} -gt 0 ]]; then
        fail "missing ${missing[*]} (Debian packages xvfb openbox dbus-daemon xdotool wmctrl imagemagick" \
            "at-spi2-core python3-gi gir1.2-atspi-2.0)"
    fi
}

# The processes that carry this run's mark.
x_session_marked_processes() {
    local dir pid entry
    for dir in /proc/[0-9]*; do
        pid=${dir#/proc/}
        [[ $pid == "$$" ]] && continue
        while IFS= read -r -d '' entry; do
            if [[ $entry == "KESTRIX_E2E_RUN=$work" ]]; then
                echo "$pid"
                break
            fi
        done 2>/dev/null <"$dir/environ" || true
    done
}

# Ends the processes this run started, by their ids: first the ones started
# directly, newest first, then any left that carry this run's mark.
x_session_cleanup() {
    local status=$? i pid left
    trap - EXIT INT TERM
    if [[ $status -ne 0 && -n ${DISPLAY:-} ]]; then
        import -window root "$PWD/${x_session_name}_failure.png" 2>/dev/null &&
            echo "screen at failure: $PWD/${x_session_name}_failure.png" >&2
        {
            for pid in "${started[@]}"; do
                if alive "$pid"; then
                    echo "started $pid: running, state $(awk '{print $3}' "/proc/$pid/stat")," \
                        "waiting in $(cat "/proc/$pid/wchan")"
                else
                    echo "started $pid: ended"
                fi
            done
            echo "windows: $(xwininfo -root -tree | grep -c '^ *0x') in all, the program's:"
            xwininfo -root -tree | grep -F 'Kestrix' || true
            ps -o pid,ppid,etimes,args -p "$(x_session_marked_processes | paste -sd, -)"
        } >>"$work/environment.log" 2>&1
        if command -v gdb >/dev/null; then
            for pid in "${started[@]}"; do
                alive "$pid" || continue
                echo "== $(tr '\0' ' ' <"/proc/$pid/cmdline")"
                timeout 20 gdb -p "$pid" -batch -ex 'thread apply all bt 12' 2>/dev/null | grep -E '^(#|Thread)'
            done >"$work/stacks.txt" 2>&1
        fi
    fi
    for ((i = ${#started[@]} - 1; i >= 0; i--)); do
        kill "${started[i]}" 2>/dev/null || true
    done
    for _ in $(seq 50); do
        left=$(x_session_marked_processes)
        [[ -z $left ]] && break
        sleep 0.1
    done
    for pid in $(x_session_marked_processes); do
        kill -KILL "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    # A server that had to be killed leaves its lock and socket behind.
    if [[ -n ${DISPLAY:-} && -n ${xvfb_pid:-} && $(tr -d ' \n' 2>/dev/null <"/tmp/.X${DISPLAY#:}-lock") == "${xvfb_pid:-}" ]]; then
        rm -f "/tmp/.X${DISPLAY#:}-lock" "/tmp/.X11-unix/X${DISPLAY#:}"
    fi
    if [[ $status -ne 0 ]]; then
        for log in "$work"/*.log; do
            [[ -s $log ]] || continue
            echo "--- $(basename "$log")" >&2
            tail -n 20 "$log" >&2
        done
        if [[ -s $work/stacks.txt ]]; then
            echo "--- where the running processes wait" >&2
            cat "$work/stacks.txt" >&2
        fi
    fi
    # Files a test made unreadable or gave to another user go all the same.
    chmod -R u+rwX "$work" 2>/dev/null || true
    rm -rf "$work"
    exit "$status"
}

x_server_ready() {
    local lock
    lock=$(tr -d ' \n' 2>/dev/null <"/tmp/.X$1-lock") || return 1
    [[ $lock == "$xvfb_pid" ]] && DISPLAY=":$1" xdotool getmouselocation >/dev/null 2>&1
}

# It must not reset when its last client leaves: a client connecting during
# a reset would be dropped.
x_session_start_x_server() {
    local number deadline
    for number in $(shuf -i 300-899 -n 30); do
        [[ -e /tmp/.X$number-lock || -e /tmp/.X11-unix/X$number ]] && continue
        Xvfb ":$number" -nolisten tcp -noreset -screen 0 1280x1024x24 >"$work/xvfb.log" 2>&1 &
        xvfb_pid=$!
        started+=("$xvfb_pid")
        deadline=$((SECONDS + 30))
        # When the server ends at once, another one got the number first.
        while alive "$xvfb_pid"; do
            if x_server_ready "$number"; then
                export DISPLAY=":$number"
                return 0
            fi
            ((SECONDS < deadline)) || fail "the X server on :$number did not answer within 30s"
            sleep 0.1
        done
        wait "$xvfb_pid" || true
    done
    fail "found no free display number"
}

x_session_start() {
    x_session_name=$1
    # Only the private server made here is ever talked to.
    unset DISPLAY XAUTHORITY
    work=$(mktemp -d "/tmp/kestrix-$x_session_name.XXXXXX")
    # Every process started from here carries this mark, so the clean-up can
    # find the ones started on our behalf.
    export KESTRIX_E2E_RUN=$work
    trap x_session_cleanup EXIT
    trap 'exit 130' INT TERM

    mkdir -p "$work/home" "$work/config" "$work/cache" "$work/data" "$work/runtime"
    chmod 700 "$work/runtime"
    export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache XDG_DATA_HOME=$work/data
    export XDG_RUNTIME_DIR=$work/runtime
    # Journals of renames too: never the user's.
    export XDG_STATE_HOME=$work/state
    export LC_ALL=C.UTF-8
    unset SESSION_MANAGER XDG_SESSION_TYPE WAYLAND_DISPLAY
    export QT_QPA_PLATFORM=xcb

    x_session_start_x_server
    echo "X server on display $DISPLAY" >"$work/environment.log"

    dbus-daemon --session --nofork --address="unix:path=$work/bus" --print-address=4 4>"$work/bus-address" \
        >"$work/dbus.log" 2>&1 &
    started+=($!)
    wait_for 20 "the session bus" test -s "$work/bus-address"
    DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/bus-address")
    export DBUS_SESSION_BUS_ADDRESS

    # It announces itself on the screen early in its start-up; only once it
    # runs the start-up command is it sure to take the windows that show from
    # then on.
    openbox --sm-disable --startup "touch $work/window-manager-ready" >"$work/openbox.log" 2>&1 &
    started+=($!)
    wait_for 20 "the window manager" test -e "$work/window-manager-ready"
    wmctrl -m >/dev/null || fail "the window manager does not answer"
}
