#!/usr/bin/env bash
# command_line_test.sh KESTRIX
#
# The command line of the real program, in Polish. --help (-h) and --version
# (-v) print to standard output and exit 0, and an unknown option prints a
# short usage to standard error and exits 2, all without a display (Qt is never started for
# them). Then, on a private X server, files and a folder named on the command
# line are listed as a drop lists them: a relative name starts from the
# current folder, the folder's name is not UTF-8 and a look-alike spelled
# with U+FFFD stands beside it (only the folder's own contents may be
# listed), its question is asked once the window shows and is answered, and
# a name that does not exist is reported and left out.
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

# --- Options, with no display at all: a Qt start would fail.
options=$(mktemp -d /tmp/kestrix-options.XXXXXX)
trap 'rm -rf "$options"' EXIT
run_options() {
    local status=0
    env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$kestrix_bin" "$@" >"$options/out" 2>"$options/err" ||
        status=$?
    echo "$status"
}
for option in --help -h; do
    [[ $(run_options "$option") == 0 ]] || fail "$option exited with status $(run_options "$option"): $(cat "$options/err")"
    [[ $(head -n 1 "$options/out") == 'Użycie: kestrix [OPCJA]... [PLIK|KATALOG]...' ]] ||
        fail "$option printed: $(cat "$options/out")"
    grep -qF -- '-v, --version  pokazuje wersję i kończy działanie' "$options/out" ||
        fail "$option does not tell of --version: $(cat "$options/out")"
    [[ ! -s $options/err ]] || fail "$option wrote to standard error: $(cat "$options/err")"
done

for option in --version -v; do
    [[ $(run_options "$option") == 0 ]] || fail "$option failed: $(cat "$options/err")"
    [[ $(cat "$options/out") == 'kestrix 2.0.5'$'\n''Wolny program na licencji GNU GPL w wersji 3 lub późniejszej.' ]] ||
        fail "$option printed: $(cat "$options/out")"
    [[ ! -s $options/err ]] || fail "$option wrote to standard error: $(cat "$options/err")"
done

[[ $(run_options some.jpg --bogus) == 2 ]] || fail "an unknown option did not exit with status 2"
[[ ! -s $options/out ]] || fail "an unknown option wrote to standard output: $(cat "$options/out")"
[[ $(cat "$options/err") == "kestrix: nieznana opcja '--bogus'"$'\n''Użycie: kestrix [OPCJA]... [PLIK|KATALOG]...'$'\n''Więcej informacji: kestrix --help' ]] ||
    fail "the misuse message is: $(cat "$options/err")"
[[ $(run_options -style) == 2 ]] || fail "a Qt option without its value did not exit with status 2"
grep -qxF "kestrix: opcja '-style' wymaga wartości" "$options/err" || fail "the misuse message is: $(cat "$options/err")"
rm -rf "$options"
trap - EXIT

# --- Files and a folder, on a private X server.
# shellcheck source=../support/x_session.sh
source "$here/../support/x_session.sh"
x_session_check_tools
x_session_start e2e_command_line
python=$x_session_python

mkdir -p "$work/bin" "$work/files"
cp "$kestrix_bin" "$work/bin/kestrix"
first="$work/files/zażółć gęślą.txt"
relative="Raport końcowy.TXT"
printf 'a\n' >"$first"
printf 'b\n' >"$work/files/$relative"
folder="$work/files/d"$'\xe9'"ugi"
lookalike="$work/files/d"$'\xef\xbf\xbd'"ugi"
mkdir "$folder" "$lookalike"
printf 'c\n' >"$folder/jeden.txt"
printf 'd\n' >"$lookalike/inny.txt"

(cd "$work/files" && QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 exec "$work/bin/kestrix" "$first" "$folder" \
    "$relative" "$work/files/missing.txt" >"$work/kestrix.log" 2>"$work/kestrix-errors.log") &
kestrix_pid=$!
started+=($kestrix_pid)
main_window=$(timeout 60 xdotool search --sync --onlyvisible --name "$title_pattern" | head -n 1) ||
    fail "the main window did not show"

timeout 60 "$python" "$here/answer.py" Zapytanie Tak 30 \
    "Do dodania na listę wybrano katalog, czy dodać też jego zawartość ?" >"$work/answer.log" 2>&1 ||
    fail "the folder question did not come: $(cat "$work/answer.log")"

# The list shows the name that is not UTF-8 with U+FFFD.
if ! timeout 60 "$python" "$here/read_list.py" "$title" 30 "$first" "$lookalike/jeden.txt" "$lookalike" \
    "$work/files/$relative" >"$work/list.log" 2>&1; then
    fail "the file list does not hold the items named: $(cat "$work/list.log")"
fi
cat "$work/list.log"
grep -qxF "kestrix: $work/files/missing.txt: nie ma takiego pliku ani katalogu" "$work/kestrix-errors.log" ||
    fail "the missing file was not reported: $(cat "$work/kestrix-errors.log")"

wmctrl -i -c "$main_window"
wait_for 30 "kestrix to close" eval '! alive "$kestrix_pid"'
kestrix_status=0
wait "$kestrix_pid" || kestrix_status=$?
[[ $kestrix_status -eq 0 ]] || fail "kestrix ended with status $kestrix_status"

echo "PASS: --help, --version and a misuse answered without a display; files and a folder from the" \
    "command line listed, the folder's question answered"
