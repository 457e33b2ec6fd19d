#!/usr/bin/env bash
# drop_test.sh KESTRIX DRAG_SOURCE
#
# Drops files and a folder from another program onto the real Kestrix main
# window on a private X server, and checks the file list: the files in the
# order dropped, Polish letters intact, and the folder's contents. The
# folder's name is not UTF-8 and a folder spelled with U+FFFD stands beside
# it, holding other files: only its own contents may be listed. The folder
# question must come after the drag has finished (the drag source reports
# the drop finished while the question waits for its answer). Then the
# window is closed the way a user does, and a clean exit is expected. The
# list is read back through the program's accessibility (AT-SPI), which
# gives the exact entry texts.
#
# Everything runs in a throw-away folder (tests/support/x_session.sh), with a
# copy of the program, so the settings it writes beside itself never land in
# the build folder.
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

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# shellcheck source=../support/x_session.sh
source "$here/../support/x_session.sh"
x_session_check_tools
x_session_start e2e_drop
python=$x_session_python
has_line() { grep -qx -- "$2" "$1"; }

mkdir -p "$work/bin" "$work/files"
cp "$kestrix_bin" "$work/bin/kestrix"
first="$work/files/zażółć gęślą.txt"
second="$work/files/Raport końcowy.TXT"
printf 'a\n' >"$first"
printf 'b\n' >"$second"
# A folder whose name is not UTF-8 (0xE9 is "é" in Latin-1), and its
# look-alike: the same name with U+FFFD, as text shows the first one.
folder="$work/files/d"$'\xe9'"ugi"
lookalike="$work/files/d"$'\xef\xbf\xbd'"ugi"
mkdir "$folder" "$lookalike"
printf 'c\n' >"$folder/jeden.txt"
printf 'd\n' >"$lookalike/inny.txt"

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

# --- The drag source, holding the two files and the folder.
"$drag_source_bin" "$first" "$second" "$folder" >"$work/source.log" 2>"$work/source-errors.log" &
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
# The drop ends before the folder question is answered: the drop handler
# returns at once (the target reports the drop finished), and the question
# follows.
wait_for 20 "the drag to end" has_line "$work/source.log" "finished copy"
wait_for 20 "the target to finish the drop (is the folder question asked inside the drop?)" \
    has_line "$work/source.log" "drop-finished"
timeout 30 xdotool search --sync --onlyvisible --name '^Zapytanie$' >/dev/null ||
    fail "the folder question did not show after the drop"
timeout 30 "$python" "$here/answer.py" Zapytanie Tak 20 \
    "Do dodania na listę wybrano katalog, czy dodać też jego zawartość ?" >"$work/answer.log" 2>&1 ||
    fail "could not answer the folder question: $(cat "$work/answer.log")"

# --- The entries, in the order dropped, with their full paths: the folder's
# contents, then the folder. The list shows the name that is not UTF-8 with
# U+FFFD; the look-alike's file must not be there.
shown_folder=$lookalike
if ! timeout 60 "$python" "$here/read_list.py" "$title" 30 "$first" "$second" "$shown_folder/jeden.txt" \
    "$shown_folder" >"$work/list-after.log" 2>&1; then
    fail "the file list does not hold the dropped items: $(cat "$work/list-after.log")"
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

echo "PASS: the dropped files and the folder's own contents listed after the drop had finished," \
    "kestrix closed with status 0"
