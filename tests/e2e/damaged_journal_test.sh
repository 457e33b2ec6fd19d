#!/usr/bin/env bash
# damaged_journal_test.sh KESTRIX
#
# A start meets the journal of an interrupted run that is a sparse file of
# 64 GiB (nothing but zeros): the window shows within 2 seconds, the start
# says in Polish that the journal is damaged and where it is kept, the
# journal is set aside (not removed), and the program never holds 100 MB.
set -euo pipefail

if [[ $# -ne 1 ]]; then
    echo "usage: $0 KESTRIX" >&2
    exit 2
fi
kestrix_bin=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)

readonly title_pattern='^Kestrix \(ma'

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# shellcheck source=../support/x_session.sh
source "$here/../support/x_session.sh"
x_session_check_tools
x_session_start e2e_damaged_journal
python=$x_session_python

journals="$XDG_STATE_HOME/Kestrix"
journal="$journals/0000000000000100ab.journal"
mkdir -p -m 700 "$journals"
truncate -s 64G "$journal" || fail "the file system takes no sparse 64 GiB file"
chmod 600 "$journal"

started_at=$(date +%s%N)
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$kestrix_bin" >"$work/kestrix.log" 2>&1 &
kestrix_pid=$!
started+=($kestrix_pid)
main_window=$(timeout 60 xdotool search --sync --onlyvisible --name "$title_pattern" | head -n 1) ||
    fail "the main window did not show"
shown_ms=$((($(date +%s%N) - started_at) / 1000000))
echo "the window showed after $shown_ms ms"
[[ $shown_ms -lt 2000 ]] || fail "the window took $shown_ms ms to show"

timeout 60 "$python" "$here/answer.py" Błąd OK 30 "jest uszkodzony" >"$work/answer.log" 2>&1 ||
    fail "the start did not say the journal is damaged: $(cat "$work/answer.log")"
# The main window takes its close request only once the message has gone.
wait_for 30 "the message to close" eval '! xdotool search --onlyvisible --name "^Błąd$" >/dev/null'
[[ -f $journal.damaged ]] || fail "the journal was not kept aside: $(ls -la "$journals")"
[[ ! -e $journal ]] || fail "the journal is still where a start reads it"

peak_kb=$(awk '/^VmHWM:/ { print $2 }' "/proc/$kestrix_pid/status")
echo "resident memory at its peak: $peak_kb kB"
[[ $peak_kb -lt $((100 * 1024)) ]] || fail "the program held $peak_kb kB"

wmctrl -i -c "$main_window"
wait_for 30 "kestrix to close" eval '! alive "$kestrix_pid"'
kestrix_status=0
wait "$kestrix_pid" || kestrix_status=$?
[[ $kestrix_status -eq 0 ]] || fail "kestrix ended with status $kestrix_status"

echo "PASS: a sparse 64 GiB journal set aside and said at the start; window after $shown_ms ms," \
    "peak $peak_kb kB resident"
