#!/usr/bin/env bash
# settings_files_test.sh BUILD_DIR
#
# The settings file of the real program, on a private X server:
#  - root running an installed copy (a DESTDIR install of the build tree)
#    writes its settings to root's own configuration folder, never into the
#    program's folder;
#  - a FIFO named kestrix.ini beside a copy, and a link to /dev/zero, neither
#    hang the start nor get read: the window shows at once (asserted with a
#    generous deadline; the time taken is printed), and at the close the file
#    is reported as not writable and left as it was;
#  - a stored geometry far beyond the screen and off it opens a window, frame
#    included, within the screen (under a real window manager, whose frame
#    is known only after the window shows), and the close writes back the
#    geometry the window really had.
# Needs root for the first part (exits 77, skipped, otherwise).
set -euo pipefail

if [[ $# -ne 1 ]]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
build=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
readonly skip=77
readonly title_pattern='^Kestrix \(ma'
# The program needs far less; a read without end stops here instead of
# taking the machine's memory.
readonly address_space_kib=$((4 * 1024 * 1024))

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

if [[ $(id -u) -ne 0 ]]; then
    echo "SKIP: running an installed copy as root needs root"
    exit "$skip"
fi

# shellcheck source=../support/x_session.sh
source "$here/../support/x_session.sh"
x_session_check_tools
x_session_start e2e_settings_files
python=$x_session_python

# start_kestrix PROGRAM: starts it, waits for its main window and prints the
# seconds it took; sets kestrix_pid and main_window.
start_kestrix() {
    local begin=${EPOCHREALTIME/./} took
    (ulimit -v "$address_space_kib" && QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 exec "$1") \
        >"$work/kestrix.log" 2>&1 &
    kestrix_pid=$!
    started+=($kestrix_pid)
    main_window=$(timeout 30 xdotool search --sync --onlyvisible --name "$title_pattern" | head -n 1) ||
        fail "the main window of $1 did not show within 30 s"
    alive "$kestrix_pid" || fail "$1 ended early"
    took=$(((${EPOCHREALTIME/./} - begin) / 1000))
    echo "$1 showed its window after $took ms"
}

# close_kestrix [MESSAGE]: closes the main window as a user does; with
# MESSAGE, expects the close to report it and answers OK.
close_kestrix() {
    wmctrl -i -c "$main_window"
    if [[ $# -gt 0 ]]; then
        timeout 60 "$python" "$here/answer.py" Kestrix OK 30 "$1" >"$work/answer.log" 2>&1 ||
            fail "the close did not report '$1': $(cat "$work/answer.log")"
    fi
    wait_for 30 "kestrix to close" eval '! alive "$kestrix_pid"'
    local status=0
    wait "$kestrix_pid" || status=$?
    [[ $status -eq 0 ]] || fail "kestrix ended with status $status"
}

# --- Root runs a staged install of the build tree.
stage=$work/stage
DESTDIR=$stage cmake --install "$build" >"$work/install.log" 2>&1 || fail "cmake --install failed"
installed=$(find "$stage" -path '*/bin/kestrix' -type f | head -n 1)
[[ -x $installed ]] || fail "no bin/kestrix in the staged install"
start_kestrix "$installed"
close_kestrix
[[ ! -e $(dirname "$installed")/kestrix.ini ]] || fail "the installed copy wrote into its own folder"
grep -q '^\[Wyglad\]' "$XDG_CONFIG_HOME/Kestrix/kestrix.ini" 2>/dev/null ||
    fail "no settings in root's configuration folder; $work holds: $(cd "$work" && find . -name 'kestrix.ini*')"
echo "the installed copy, run by root, kept its settings in ${XDG_CONFIG_HOME#"$work"/}/Kestrix/"

# --- A copy beside a FIFO, and beside a link to /dev/zero.
for kind in fifo zero; do
    copy=$work/$kind
    mkdir -p "$copy"
    cp "$build/kestrix" "$copy/kestrix"
    if [[ $kind == fifo ]]; then mkfifo "$copy/kestrix.ini"; else ln -s /dev/zero "$copy/kestrix.ini"; fi
    start_kestrix "$copy/kestrix"
    close_kestrix "Unable to write to $copy/kestrix.ini"
    if [[ $kind == fifo ]]; then
        [[ -p $copy/kestrix.ini ]] || fail "the FIFO is gone"
    else
        [[ $(readlink "$copy/kestrix.ini") == /dev/zero ]] || fail "the link to /dev/zero is gone"
    fi
    [[ $(ls "$copy") == $'kestrix\nkestrix.ini' ]] || fail "$copy holds: $(ls "$copy")"
done

# --- A geometry far beyond the 1280 x 1024 screen, and off it.
copy=$work/geometry
mkdir -p "$copy"
cp "$build/kestrix" "$copy/kestrix"
printf '[Wyglad]\nWys=5000\nSzer=6000\nPolY=-3000\nPolX=9000\n' >"$copy/kestrix.ini"
start_kestrix "$copy/kestrix"
# The window manager frames the window a moment after it shows.
framed() { xprop -id "$main_window" _NET_FRAME_EXTENTS | grep -q ' = '; }
wait_for 20 "the window manager to frame the window" framed
# Once framed, the window is fitted again with the real frame: poll for the
# outer geometry to settle inside the screen.
outer_geometry() {
    local info x y width height left right top bottom
    info=$(xwininfo -id "$main_window")
    x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
    y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
    width=$(sed -n 's/.*Width: *//p' <<<"$info")
    height=$(sed -n 's/.*Height: *//p' <<<"$info")
    read -r left right top bottom < <(xprop -id "$main_window" _NET_FRAME_EXTENTS | sed 's/.* = //; s/,//g')
    echo "$((x - left)) $((y - top)) $((width + left + right)) $((height + top + bottom))"
}
inside_screen() {
    local x y width height
    read -r x y width height < <(outer_geometry)
    ((x >= 0 && y >= 0 && x + width <= 1280 && y + height <= 1024))
}
wait_for 20 "the window to fit the screen (it stands at $(outer_geometry))" inside_screen
read -r x y width height < <(outer_geometry)
echo "the window opened at ${width}x${height}+${x}+${y}"
close_kestrix
stored() { sed -n "s/^$1=//p" "$copy/kestrix.ini"; }
[[ $(stored Wys) -le 1024 && $(stored Szer) -le 1280 && $(stored PolY) -ge 0 && $(stored PolX) -ge 0 ]] ||
    fail "the close wrote a geometry off the screen: $(tr '\n' ' ' <"$copy/kestrix.ini")"

echo "PASS: root's installed copy wrote to root's configuration folder; a FIFO and /dev/zero as the" \
    "settings file neither hung the start nor were written; a geometry beyond the screen was fitted to it"
