#!/usr/bin/env bash
# deb_install_test.sh DEB_DIR
#
# Installs the built package on this machine with apt, starts the installed
# program on a private X server as an ordinary user (the unprivileged account
# "nobody", who cannot write to /usr/bin), closes its main window the way a
# user does, and expects a clean exit and the settings file in that user's
# configuration folder. The package is purged again at the end, so the
# machine is left as it was.
#
# Needs root; exits 77 (skipped) otherwise, and when a kestrix package is
# installed already (it is left alone). Every wait polls a condition against
# a deadline.
set -euo pipefail

if [[ $# -ne 1 ]]; then
    echo "usage: $0 DEB_DIR" >&2
    exit 2
fi
readonly skip=77
readonly title_pattern='^Kestrix \(ma'
readonly user=nobody

if [[ $(id -u) -ne 0 ]]; then
    echo "SKIP: installing a package needs root"
    exit "$skip"
fi

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

missing=()
for tool in apt-get dpkg dpkg-query setpriv flock Xvfb openbox xdotool wmctrl xprop; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
[[ ${#missing[@]} -eq 0 ]] ||
    fail "missing ${missing[*]} (Debian packages apt util-linux xvfb openbox xdotool wmctrl x11-utils)"
id "$user" >/dev/null 2>&1 || fail "there is no user '$user' to run the program as"

shopt -s nullglob
debs=("$(realpath "$1")"/kestrix_*.deb)
[[ ${#debs[@]} -eq 1 ]] || fail "expected one package in $1, found ${#debs[@]}"
deb=${debs[0]}

# Two runs on one machine would install and purge under each other.
exec 9>/tmp/kestrix-deb-install-test.lock
flock -w 240 9 || fail "another install test held the lock for 4 minutes"

installed() { dpkg-query -W -f='${db:Status-Abbrev}' kestrix 2>/dev/null | grep -q '^.i'; }
if installed; then
    echo "SKIP: a kestrix package is installed on this machine already; leaving it alone"
    exit "$skip"
fi
[[ ! -e /usr/bin/kestrix.ini ]] || fail "/usr/bin/kestrix.ini exists before the test (left by an earlier run as root?)"

export DEBIAN_FRONTEND=noninteractive
apt_options=(-o DPkg::Lock::Timeout=120 --no-install-recommends)

# Installing must not pull in anything else: that would change the machine
# beyond this package (and means the test set-up misses a dependency).
plan=$(apt-get install --simulate "${apt_options[@]}" "$deb" 2>&1) || fail "apt-get cannot install the package:
$plan"
others=$(sed -n 's/^Inst \([^ ]*\).*/\1/p' <<<"$plan" | grep -vx kestrix || true)
[[ -z $others ]] || fail "installing the package would also install: $(echo $others) (install them first: scripts/deps.sh)"

work=$(mktemp -d /tmp/kestrix-deb-install.XXXXXX)
started=()
package_installed=0

cleanup() {
    local status=$? i
    trap - EXIT INT TERM
    if [[ $status -ne 0 && -n ${DISPLAY:-} ]]; then
        import -window root "$PWD/packaging_install_failure.png" 2>/dev/null &&
            echo "screen at failure: $PWD/packaging_install_failure.png" >&2
        wmctrl -l >&2 2>/dev/null || true
    fi
    for ((i = ${#started[@]} - 1; i >= 0; i--)); do
        kill "${started[i]}" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    if ((package_installed)); then
        apt-get purge -y -o DPkg::Lock::Timeout=120 kestrix >"$work/purge.log" 2>&1 ||
            { cat "$work/purge.log" >&2; status=1; }
        if installed; then
            echo "FAIL: the package is still installed after purging it" >&2
            status=1
        fi
    fi
    rm -f /usr/bin/kestrix.ini
    if [[ $status -ne 0 ]]; then
        for log in "$work"/*.log; do
            [[ -s $log ]] || continue
            echo "--- $(basename "$log")" >&2
            tail -n 20 "$log" >&2
        done
    fi
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# shellcheck source=../support/poll.sh
source "$(dirname "${BASH_SOURCE[0]}")/../support/poll.sh"

# --- Install.
package_installed=1
apt-get install -y "${apt_options[@]}" "$deb" >"$work/install.log" 2>&1 || fail "apt-get install failed"
installed || fail "the package is not installed after apt-get install"
[[ -x /usr/bin/kestrix ]] || fail "/usr/bin/kestrix is missing after installing"

# --- A private home for the user, and a private X server with a window
# manager (closing goes through the title bar's close request).
home=$work/home
mkdir -p "$home/config" "$home/cache" "$home/data" "$home/runtime"
chmod 700 "$home/runtime"
chown -R "$user:" "$home"
chmod 755 "$work"

Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1280x1024x24 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
started+=($xvfb_pid)
display_known() { [[ -s $work/display ]] || { alive "$xvfb_pid" || fail "Xvfb did not start"; false; }; }
wait_for 20 "the X server" display_known
export DISPLAY=":$(head -n 1 "$work/display")"
wait_for 20 "the X server to answer" xdotool getmouselocation

HOME=$work openbox --sm-disable >"$work/openbox.log" 2>&1 &
started+=($!)
wait_for 20 "the window manager" wmctrl -m

# --- The installed program, as the user.
setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups -- \
    env -i PATH=/usr/bin:/bin DISPLAY="$DISPLAY" HOME="$home" XDG_CONFIG_HOME="$home/config" \
    XDG_CACHE_HOME="$home/cache" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home/runtime" \
    XDG_STATE_HOME="$home/state" \
    LANG=C.UTF-8 QT_QPA_PLATFORM=xcb \
    /usr/bin/kestrix >"$work/kestrix.log" 2>&1 &
kestrix_pid=$!
started+=($kestrix_pid)
main_window=$(timeout 60 xdotool search --sync --onlyvisible --name "$title_pattern" | head -n 1) ||
    fail "the main window did not show"
alive "$kestrix_pid" || fail "kestrix ended early"

# The desktop matches the window to the installed desktop entry by its class,
# and shows the program's icon.
wm_class=$(xprop -id "$main_window" WM_CLASS | sed -n 's/.*= "[^"]*", "\([^"]*\)"$/\1/p')
startup_class=$(sed -n 's/^StartupWMClass=//p' /usr/share/applications/kestrix.desktop)
[[ $wm_class == "$startup_class" ]] || fail "the window's class is '$wm_class', the desktop entry expects '$startup_class'"
xprop -id "$main_window" _NET_WM_ICON >"$work/icon.txt"
grep -q '^_NET_WM_ICON(CARDINAL) = ' "$work/icon.txt" || fail "the main window has no icon: $(head -n 1 "$work/icon.txt")"

# --- Close it as a user does; writing the settings must succeed silently,
# so the program ends by itself (a message box would keep it running).
wmctrl -i -c "$main_window"
wait_for 60 "kestrix to close (an error message on closing keeps it open)" eval '! alive "$kestrix_pid"'
kestrix_status=0
wait "$kestrix_pid" || kestrix_status=$?
[[ $kestrix_status -eq 0 ]] || fail "kestrix ended with status $kestrix_status"

settings=$home/config/Kestrix/kestrix.ini
[[ -f $settings ]] || fail "no settings file in the user's configuration folder; $home holds:
$(cd "$home" && find . -type f)"
[[ $(stat -c %U "$settings") == "$user" ]] || fail "the settings file belongs to $(stat -c %U "$settings"), not $user"
grep -q '^\[Wyglad\]' "$settings" || fail "the settings file holds no window settings: $(cat "$settings")"
[[ ! -e /usr/bin/kestrix.ini ]] || fail "the installed program wrote its settings into /usr/bin"

echo "PASS: installed, ran as $user, closed cleanly, settings in ${settings#"$home"/}"
