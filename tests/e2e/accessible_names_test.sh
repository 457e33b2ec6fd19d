#!/usr/bin/env bash
# accessible_names_test.sh KESTRIX
#
# What a screen reader hears, read through AT-SPI from the real program on a
# private X server: the main window's tool bar buttons are named by what they
# do and its lists by what they hold; the options window, the folder chooser
# and the about window, each opened by its key, name every control. The keys
# are pressed as a user presses them; Escape closes the options window.
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
x_session_start e2e_accessible_names
python=$x_session_python

mkdir -p "$work/bin"
cp "$kestrix_bin" "$work/bin/kestrix"
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$work/bin/kestrix" >"$work/kestrix.log" 2>&1 &
kestrix_pid=$!
started+=($kestrix_pid)
main_window=$(timeout 60 xdotool search --sync --onlyvisible --name "$title_pattern" | head -n 1) ||
    fail "the main window did not show"

# read WINDOW_TITLE: what the screen reader hears of it, saved as $work/heard-<title>.txt.
heard() { echo "$work/heard-${1//\//_}.txt"; }
read_window() {
    local out
    out=$(heard "$1")
    timeout 60 "$python" "$here/read_names.py" "$1" 30 >"$out" 2>&1 || fail "could not read '$1': $(cat "$out")"
    echo "=== $1"
    cat "$out"
    if grep -q '^UNNAMED' "$out"; then
        fail "'$1' has controls without a name: $(grep '^UNNAMED' "$out" | tr '\n' ' ')"
    fi
}
# expect WINDOW_TITLE LINE...: each line is heard, indentation aside.
expect() {
    local window=$1 line
    shift
    for line in "$@"; do
        sed 's/^ *//' "$(heard "$window")" | grep -qxF -- "$line" || fail "'$window' lacks: $line"
    done
}
# press KEY with the window WINDOW_ID active, as a user presses it.
press() {
    xdotool windowactivate --sync "$1" >/dev/null 2>&1 || true
    xdotool key --clearmodifiers "$2"
}
window_shown() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }

read_window "$title"
expect "$title" \
    "tool bar | Pasek narzędzi | " \
    "push button | Dodaj pliki do listy | Dodaj pliki do listy (Ctrl+O)" \
    "push button | Dodaj pliki z wybranego katalogu | Dodaj pliki z wybranego katalogu (Ctrl+Shift+O)" \
    "push button | Jakie zmiany nazw zastosować | Jakie zmiany nazw zastosować (Ctrl+,)" \
    "push button | Zmień nazwy plików | Zmień nazwy plików (Ctrl+Return)" \
    "push button | Wyczyść listę | Wyczyść listę" \
    "push button | Informacje o programie | Informacje o programie (F1)" \
    "push button | Zamknij program | Zamknij program" \
    "list | Podsumowanie reguł | Podgląd wybranych zmian w nazwach" \
    "list | Lista plików | Oryginalne nazwy plików i nazwy po wprowadzonych zmianach"

# The options window, by its key; Escape closes it.
readonly options_title='Opcje zmian nazw plików'
press "$main_window" ctrl+comma
wait_for 30 "the options window" window_shown '^Opcje zmian'
read_window "$options_title"
expect "$options_title" \
    "check box | Usuń znaki | Zaznacz jeśli chcesz usunąć z nazwy pliku podaną ilość znaków z podanego miejsca" \
    "text | Ile usunąć | Podaj ile znakow usunac z poczatku nazwy pliku" \
    "spin button | Ile usunąć | " \
    "text | Nowe rozszerzenie | " \
    "text | Początkowa wartość | " \
    "push button | Kierunek numerowania | rosnąco" \
    "check box | Odstępy na podkreślniki | "
options_window=$(xdotool search --onlyvisible --name '^Opcje zmian' | head -n 1)
press "$options_window" Escape
wait_for 30 "the options window to close on Escape" eval '! window_shown "^Opcje zmian"'

# The folder chooser, by its key; it closes only by its buttons or its frame.
readonly chooser_title='Wybierz katalog z plikami'
press "$main_window" ctrl+shift+o
wait_for 30 "the folder chooser" window_shown '^Wybierz katalog'
read_window "$chooser_title"
expect "$chooser_title" \
    "push button | OK | " \
    "push button | Anuluj | "
# The disk box is heard by the disk it shows, and described as the disk.
for heard in '^ *list \| Katalogi \| ' '^ *text \| Wybrany katalog \| /' '^ *combo box \| .+ \| Dysk$'; do
    grep -qE -- "$heard" "$(heard "$chooser_title")" || fail "the folder chooser lacks: $heard"
done
wmctrl -c "$chooser_title"
wait_for 30 "the folder chooser to close" eval '! window_shown "^Wybierz katalog"'

# The about window, by its key.
press "$main_window" F1
wait_for 30 "the about window" window_shown '^o programie'
alive "$kestrix_pid" || fail "kestrix ended early"
wmctrl -c 'o programie'
wait_for 30 "the about window to close" eval '! window_shown "^o programie"'

wmctrl -i -c "$main_window"
wait_for 30 "kestrix to close" eval '! alive "$kestrix_pid"'
echo "PASS: every control of the main window, the options window and the folder chooser has a name;" \
    "the keys open the windows and Escape closes the options window"
