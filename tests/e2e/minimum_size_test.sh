#!/usr/bin/env bash
# minimum_size_test.sh KESTRIX
#
# The main window's smallest outer size (its frame included) is 640 x 541,
# also under a window manager whose frame appears only after the window is
# shown: the real program runs under openbox on a private X server
# (tests/support/x_session.sh), and once the frame is there the window is
# asked to become much smaller, as dragging its corner would. It stops at
# 640 x 541 exactly: not smaller, and not larger either, which a minimum that
# left the frame out would give.
set -euo pipefail

if [[ $# -ne 1 ]]; then
    echo "usage: $0 KESTRIX" >&2
    exit 2
fi
kestrix_bin=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)

# xdotool matches titles as regular expressions; the ASCII head is enough.
readonly title_pattern='^Kestrix \(ma'
readonly min_width=640 min_height=541

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# shellcheck source=../support/x_session.sh
source "$here/../support/x_session.sh"
x_session_check_tools xprop xwininfo
x_session_start e2e_minimum_size

mkdir -p "$work/bin"
cp "$kestrix_bin" "$work/bin/kestrix"
"$work/bin/kestrix" >"$work/kestrix.log" 2>&1 &
kestrix_pid=$!
started+=($kestrix_pid)
window=$(timeout 60 xdotool search --sync --onlyvisible --name "$title_pattern" | head -n 1) ||
    fail "the main window did not show"

# The frame's widths, "left right top bottom", once the window manager has set them.
frame_extents() {
    xprop -id "$window" _NET_FRAME_EXTENTS | sed -n 's/^_NET_FRAME_EXTENTS(CARDINAL) = //p' | tr -d ,
}
has_frame() {
    local left right top bottom
    read -r left right top bottom <<<"$(frame_extents)"
    [[ -n ${bottom:-} ]] && ((left + right + top + bottom > 0))
}
# The outer size, "WIDTH HEIGHT": the client area and the frame around it.
outer_size() {
    local width height left right top bottom
    width=$(xwininfo -id "$window" | sed -n 's/^ *Width: //p')
    height=$(xwininfo -id "$window" | sed -n 's/^ *Height: //p')
    read -r left right top bottom <<<"$(frame_extents)"
    echo "$((width + left + right)) $((height + top + bottom))"
}
at_minimum() {
    local width height
    read -r width height <<<"$(outer_size)"
    ((width == min_width && height == min_height))
}
# Whether the smallest client size the program asks the window manager for,
# plus the frame, is the smallest outer size.
minimum_hint_holds() {
    local hint width height left right top bottom
    hint=$(xprop -id "$window" WM_NORMAL_HINTS | sed -n 's/^.*program specified minimum size: //p')
    read -r width _ height <<<"$hint"
    [[ -n ${height:-} ]] || return 1
    read -r left right top bottom <<<"$(frame_extents)"
    ((width + left + right == min_width && height + top + bottom == min_height))
}

wait_for 30 "the window manager's frame around the main window" has_frame
echo "frame: $(frame_extents)" >>"$work/environment.log"
deadline=$((SECONDS + 30))
until minimum_hint_holds; do
    ((SECONDS < deadline)) || fail "the smallest size asked for, with the frame, is not ${min_width} x ${min_height} ($(frame_extents)):" \
        "$(xprop -id "$window" WM_NORMAL_HINTS | tr '\n' ' ')"
    sleep 0.1
done

# Asked to shrink far below the minimum; the move after it comes back once
# the window manager has taken both requests, in order.
xdotool windowsize "$window" 300 200
xdotool windowmove --sync "$window" 40 50
alive "$kestrix_pid" || fail "kestrix ended early"
deadline=$((SECONDS + 10))
until at_minimum; do
    ((SECONDS < deadline)) || fail "the outer size is $(outer_size), not ${min_width} x ${min_height}"
    sleep 0.1
done
echo "outer size after the shrink: $(outer_size)" >>"$work/environment.log"
echo "PASS: the smallest outer size is ${min_width} x ${min_height}"
