#!/usr/bin/env bash
# drop_test.sh KESTRIX DRAG_SOURCE
#
# Drops two files from another program onto the real Kestrix main window on a
# private X server and checks that both entries appear in the file list, Polish
# letters intact; then closes the window the way a user does and expects a
# clean exit. The list is read back through the program's accessibility
# (AT-SPI), which gives the exact entry texts.
#
# Everything runs in a throw-away folder: its own X server with a window
# manager (so closing goes through the title bar's close request), its own
# session bus with the accessibility bus, and a copy of the program, so the
# settings it writes beside itself never land in the build folder.
# Every wait polls a condition against a deadline.
set -euo pipefail

if [[ $# -ne 2 ]]; then
    echo "usage: $0 KESTRIX DRAG_SOURCE" >&2
    exit 2
fi
kestrix_bin=$(realpath "$1")
drag_source_bin=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)

readonly title='Kestrix (małe/duże itp) v2.0.5'
# xdotool matches titles as regular expressions; the ASCII head is enough.
readonly title_pattern='^Kestrix \(ma'
readonly source_pattern='^Kestrix drag source$'
readonly python=/usr/bin/python3

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

missing=()
for tool in Xvfb openbox dbus-daemon xdotool wmctrl import "$python"; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
[[ -x /usr/libexec/at-spi-bus-launcher ]] || missing+=(at-spi-bus-launcher)
if ! "$python" -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null; then
    missing+=("python3 Atspi bindings")
fi
if [[ ${#missing[@]} -gt 0 ]]; then
    fail "missing ${missing[*]} (Debian packages xvfb openbox dbus-daemon xdotool wmctrl imagemagick" \
        "at-spi2-core python3-gi gir1.2-atspi-2.0)"
fi

# Only the private server made below is ever talked to.
unset DISPLAY XAUTHORITY
work=$(mktemp -d /tmp/kestrix-e2e.XXXXXX)
# Every process started from here carries this mark, so the clean-up can find
# the ones started on our behalf (the bus starts the accessibility services).
export KESTRIX_E2E_RUN=$work
started=()

# The processes that carry this run's mark.
marked_processes() {
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
cleanup() {
    local status=$? i pid left
    trap - EXIT INT TERM
    if [[ $status -ne 0 && -n ${DISPLAY:-} ]]; then
        import -window root "$PWD/e2e_drop_failure.png" 2>/dev/null &&
            echo "screen at failure: $PWD/e2e_drop_failure.png" >&2
        {
            for pid in "${started[@]}"; do
                if alive "$pid"; then
                    echo "started $pid: running, state $(awk '{print $3}' "/proc/$pid/stat")," \
                        "waiting in $(cat "/proc/$pid/wchan")"
                else
                    echo "started $pid: ended"
                fi
            done
            echo "windows: $(xwininfo -root -tree | grep -c '^ *0x') in all, the main window's:"
            xwininfo -root -tree | grep -F 'Kestrix' || true
            ls -l "/tmp/.X${DISPLAY#:}-lock" "/tmp/.X11-unix/X${DISPLAY#:}"
            ps -o pid,ppid,etimes,args -p "$(marked_processes | paste -sd, -)"
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
        left=$(marked_processes)
        [[ -z $left ]] && break
        sleep 0.1
    done
    for pid in $(marked_processes); do
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
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# shellcheck source=../support/poll.sh
source "$(dirname "${BASH_SOURCE[0]}")/../support/poll.sh"
has_line() { grep -qx -- "$2" "$1"; }

# --- The environment: private home, configuration and runtime folders.
mkdir -p "$work/home" "$work/config" "$work/cache" "$work/data" "$work/runtime" "$work/bin" "$work/files"
chmod 700 "$work/runtime"
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache XDG_DATA_HOME=$work/data
export XDG_RUNTIME_DIR=$work/runtime
# Journals of renames too: never the user's.
export XDG_STATE_HOME=$work/state
export LC_ALL=C.UTF-8
unset SESSION_MANAGER XDG_SESSION_TYPE WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

cp "$kestrix_bin" "$work/bin/kestrix"
first="$work/files/zażółć gęślą.txt"
second="$work/files/Raport końcowy.TXT"
printf 'a\n' >"$first"
printf 'b\n' >"$second"

# --- X server, no TCP, on a display number of its own: far from the low
# numbers other tools default to, and taken through the server's lock file
# so that tools which look for a free number see it as taken. It must not
# reset when its last client leaves: a client connecting during a reset
# would be dropped.
x_server_ready() {
    local lock
    lock=$(tr -d ' \n' 2>/dev/null <"/tmp/.X$1-lock") || return 1
    [[ $lock == "$xvfb_pid" ]] && DISPLAY=":$1" xdotool getmouselocation >/dev/null 2>&1
}
start_x_server() {
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
start_x_server
echo "X server on display $DISPLAY" >"$work/environment.log"

# --- Session bus; it starts the accessibility bus when the program asks.
dbus-daemon --session --nofork --address="unix:path=$work/bus" --print-address=4 4>"$work/bus-address" \
    >"$work/dbus.log" 2>&1 &
started+=($!)
wait_for 20 "the session bus" test -s "$work/bus-address"
DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/bus-address")
export DBUS_SESSION_BUS_ADDRESS

# --- Window manager: real frames, and the close request of the title bar.
# It announces itself on the screen early in its start-up; only once it runs
# the start-up command is it sure to take the windows that show from then on.
openbox --sm-disable --startup "touch $work/window-manager-ready" >"$work/openbox.log" 2>&1 &
started+=($!)
wait_for 20 "the window manager" test -e "$work/window-manager-ready"
wmctrl -m >/dev/null || fail "the window manager does not answer"

# --- Kestrix, with its accessibility on.
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$work/bin/kestrix" >"$work/kestrix.log" 2>&1 &
kestrix_pid=$!
started+=($kestrix_pid)
main_window=$(timeout 60 xdotool search --sync --onlyvisible --name "$title_pattern" | head -n 1) ||
    fail "the main window did not show"
alive "$kestrix_pid" || fail "kestrix ended early"
# Away from the corner where the drag source shows.
xdotool windowmove --sync "$main_window" 400 100

# The list must start empty.
timeout 30 "$python" "$here/read_list.py" "$title" 20 >"$work/list-before.log" 2>&1 ||
    fail "the file list was not empty at start-up: $(cat "$work/list-before.log")"

# --- The drag source, holding the two files.
"$drag_source_bin" "$first" "$second" >"$work/source.log" 2>"$work/source-errors.log" &
source_pid=$!
started+=($source_pid)
wait_for 30 "the drag source" has_line "$work/source.log" ready
source_window=$(timeout 30 xdotool search --sync --onlyvisible --name "$source_pattern" | head -n 1) ||
    fail "the drag source window did not show"

centre_of() {
    local X Y WIDTH HEIGHT WINDOW SCREEN
    eval "$(xdotool getwindowgeometry --shell "$1")"
    echo "$((X + WIDTH / 2)) $((Y + HEIGHT * $2 / 100))"
}
read -r source_x source_y < <(centre_of "$source_window" 50)
# The file list fills the lower part of the main window.
read -r drop_x drop_y < <(centre_of "$main_window" 75)

# --- The drag: press in the source, carry it over the list, wait until the
# list offers to copy, release.
xdotool mousemove --sync "$source_x" "$source_y"
xdotool mousedown 1
wait_for 20 "the drag to start" has_line "$work/source.log" drag-started
xdotool mousemove --sync "$drop_x" "$drop_y"
nudge=0
offered() {
    has_line "$work/source.log" "action copy" && return 0
    # A further small move makes the source ask the target again.
    nudge=$((1 - nudge))
    xdotool mousemove "$((drop_x + nudge))" "$drop_y"
    false
}
wait_for 20 "the main window to accept the drop" offered
xdotool mouseup 1
wait_for 20 "the drop to finish" has_line "$work/source.log" "finished copy"

# --- Both entries, in the order dropped, with their full paths.
if ! timeout 60 "$python" "$here/read_list.py" "$title" 30 "$first" "$second" >"$work/list-after.log" 2>&1; then
    fail "the file list does not hold the dropped files: $(cat "$work/list-after.log")"
fi
cat "$work/list-after.log"

# --- Closing: the source first, then the main window through the window
# manager's close request, as the title bar's close button sends it.
wmctrl -i -c "$source_window"
wait_for 20 "the drag source to close" eval '! alive "$source_pid"'
source_status=0
wait "$source_pid" || source_status=$?
[[ $source_status -eq 0 ]] || fail "the drag source ended with status $source_status"

wmctrl -i -c "$main_window"
wait_for 30 "kestrix to close" eval '! alive "$kestrix_pid"'
kestrix_status=0
wait "$kestrix_pid" || kestrix_status=$?
[[ $kestrix_status -eq 0 ]] || fail "kestrix ended with status $kestrix_status"

echo "PASS: both dropped files listed, kestrix closed with status 0"
