#!/usr/bin/env bash
# reorder_test.sh KESTRIX
#
# Drags an entry of the file list to another place with the mouse, on a
# private X server, as a user does: the files named on the command line fill
# the list, the last one is selected, pressed, carried above the first and released,
# and the list must then hold it first, the others after it in their order.
# The list is read back through the program's accessibility (AT-SPI).
set -euo pipefail

if [[ $# -ne 1 ]]; then
    echo "usage: $0 KESTRIX" >&2
    exit 2
fi
kestrix_bin=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)

readonly title='Kestrix (małe/duże itp) v2.0.5'
readonly title_pattern='^Kestrix \(ma'

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# shellcheck source=../support/x_session.sh
source "$here/../support/x_session.sh"
x_session_check_tools
x_session_start e2e_reorder
python=$x_session_python

mkdir -p "$work/bin" "$work/files"
cp "$kestrix_bin" "$work/bin/kestrix"
files=()
for name in "a.txt" "b.txt" "c.txt" "żółw.txt"; do
    printf 'x\n' >"$work/files/$name"
    files+=("$work/files/$name")
done

QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$work/bin/kestrix" "${files[@]}" >"$work/kestrix.log" 2>&1 &
kestrix_pid=$!
started+=($kestrix_pid)
main_window=$(timeout 60 xdotool search --sync --onlyvisible --name "$title_pattern" | head -n 1) ||
    fail "the main window did not show"
xdotool windowmove --sync "$main_window" 100 100
timeout 60 "$python" "$here/read_list.py" "$title" 30 "${files[@]}" >"$work/list-before.log" 2>&1 ||
    fail "the list does not hold the files named: $(cat "$work/list-before.log")"

# The file list starts below the tool bar (60), the rule summary (124), the
# splitter (3) and the column header (17) of the client area, which xwininfo
# places on the screen (xdotool counts the window manager's frame in); its
# rows are 16 pixels high.
client_x=$(xwininfo -id "$main_window" | awk '/Absolute upper-left X/ {print $4}')
client_y=$(xwininfo -id "$main_window" | awk '/Absolute upper-left Y/ {print $4}')
list_top=$((client_y + 60 + 124 + 3 + 17))
x=$((client_x + 100))
# The entry is selected by a click first, then pressed again and dragged.
xdotool mousemove --sync "$x" "$((list_top + 3 * 16 + 8))"
xdotool click 1
sleep 1
xdotool mousedown 1
# Up in small steps, as a hand moves, to above the middle of the first row.
for ((y = list_top + 3 * 16 + 8; y > list_top + 2; y -= 3)); do
    xdotool mousemove "$x" "$y"
    sleep 0.05
done
xdotool mousemove --sync "$x" "$((list_top + 2))"
sleep 0.3
xdotool mouseup 1

moved=("${files[3]}" "${files[0]}" "${files[1]}" "${files[2]}")
timeout 60 "$python" "$here/read_list.py" "$title" 30 "${moved[@]}" >"$work/list-after.log" 2>&1 ||
    fail "the dragged entry did not move to the top: $(cat "$work/list-after.log")"
cat "$work/list-after.log"

wmctrl -i -c "$main_window"
wait_for 30 "kestrix to close" eval '! alive "$kestrix_pid"'
kestrix_status=0
wait "$kestrix_pid" || kestrix_status=$?
[[ $kestrix_status -eq 0 ]] || fail "kestrix ended with status $kestrix_status"
echo "PASS: the entry dragged with the mouse moved to the top of the list"
