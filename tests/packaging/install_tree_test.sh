#!/usr/bin/env bash
# install_tree_test.sh BUILD_DIR VERSION
#
# Installs the build tree into a staging folder (DESTDIR, prefix /usr) and
# checks what lands there: exactly the expected files with sane permissions,
# the icon at every size, a desktop entry and AppStream metadata that the
# desktop's own validators accept and that point at the installed program and
# icon, that file managers offer for folders and the common media and
# document types, manual pages in English and Polish that man renders without
# a warning, and release notes that carry the version being built.
set -euo pipefail

if [[ $# -ne 2 ]]; then
    echo "usage: $0 BUILD_DIR VERSION" >&2
    exit 2
fi
build=$1
version=$2
readonly sizes=(16 22 24 32 48 64 128 256)
readonly metainfo=org.example.Kestrix.metainfo.xml

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

for tool in desktop-file-validate appstreamcli file gzip man; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (Debian packages desktop-file-utils appstream file gzip man-db)" >&2; exit 1; }
done
readonly mime_types=/usr/share/mime
[[ -f $mime_types/inode/directory.xml ]] || { echo "FAIL: the MIME database is missing (Debian package shared-mime-info)" >&2; exit 1; }

stage=$(mktemp -d /tmp/kestrix-install.XXXXXX)
trap 'rm -rf "$stage"' EXIT

if ! DESTDIR=$stage cmake --install "$build" --prefix /usr >"$stage.log" 2>&1; then
    cat "$stage.log" >&2
    rm -f "$stage.log"
    echo "FAIL: cmake --install failed" >&2
    exit 1
fi
rm -f "$stage.log"
root=$stage/usr

# --- Exactly these files, and nothing else.
expected=(
    bin/kestrix
    share/applications/kestrix.desktop
    "share/metainfo/$metainfo"
    share/icons/hicolor/scalable/apps/kestrix.svg
    share/man/man1/kestrix.1.gz
    share/man/pl/man1/kestrix.1.gz
    share/doc/kestrix/copyright
    share/doc/kestrix/changelog.gz
)
for size in "${sizes[@]}"; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/kestrix.png")
done
diff <(printf '%s\n' "${expected[@]}" | sort) <(cd "$root" && find . -type f -o -type l | sed 's#^\./##' | sort) >"$stage/files.diff" ||
    fail "the installed files differ from the expected list (< missing, > unexpected):
$(cat "$stage/files.diff")"

# --- Permissions: the program 755, data 644, folders 755.
for path in "${expected[@]}"; do
    [[ -f $root/$path ]] || continue
    want=644
    [[ $path == bin/* ]] && want=755
    mode=$(stat -c %a "$root/$path")
    [[ $mode == "$want" ]] || fail "$path has mode $mode, expected $want"
done
while IFS= read -r dir; do
    fail "folder ${dir#"$stage"} has mode $(stat -c %a "$dir"), expected 755"
done < <(find "$root" -type d ! -perm 755)

[[ $(file -b "$root/bin/kestrix") == ELF*executable* ]] || fail "bin/kestrix is not an executable: $(file -b "$root/bin/kestrix")"

# --- The bitmap icons have the size of their folder.
for size in "${sizes[@]}"; do
    png=$root/share/icons/hicolor/${size}x${size}/apps/kestrix.png
    [[ -f $png ]] || continue
    kind=$(file -b "$png")
    [[ $kind == "PNG image data, $size x $size,"* ]] || fail "${size}x${size} icon is: $kind"
done

# --- Desktop entry: valid, starts the installed program, shows the installed icon.
desktop=$root/share/applications/kestrix.desktop
if [[ -f $desktop ]]; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate rejects kestrix.desktop"
    key() { sed -n "s/^$1=//p" "$desktop"; }
    # %F: a file manager's "open with" hands over the files and folders chosen.
    [[ $(key Exec) == "kestrix %F" ]] || fail "Exec is '$(key Exec)', expected the installed program taking files (kestrix %F)"
    [[ $(key Icon) == kestrix ]] || fail "Icon is '$(key Icon)', expected the installed icon name kestrix"
    [[ -n $(key 'Comment\[pl\]') && -n $(key Comment) ]] || fail "the desktop entry lacks an English or a Polish comment"
    # "Open with" in a file manager: folders, and the common images, sounds,
    # films and documents, each a type the MIME database knows.
    IFS=';' read -r -a types <<<"$(key MimeType)"
    for wanted in inode/directory image/jpeg image/png audio/mpeg audio/flac video/mp4 video/x-matroska \
        application/pdf application/vnd.oasis.opendocument.text text/plain; do
        printf '%s\n' "${types[@]}" | grep -qxF "$wanted" || fail "MimeType lacks $wanted: $(key MimeType)"
    done
    for type in "${types[@]}"; do
        [[ -f $mime_types/$type.xml ]] || fail "MimeType names $type, which the MIME database does not know"
    done
fi

# --- Manual pages: English and Polish, each rendered by man without a warning.
for page in share/man/man1/kestrix.1.gz share/man/pl/man1/kestrix.1.gz; do
    [[ -f $root/$page ]] || continue
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l "$root/$page" 2>&1 >/dev/null)
    [[ -z $warnings ]] || fail "man warns about $page: $warnings"
    LC_ALL=C.UTF-8 MANWIDTH=80 man -E UTF-8 -l "$root/$page" 2>/dev/null | grep -q -- '--version' ||
        fail "$page does not render or tells nothing of --version"
done
grep -qF 'zmiana nazw wielu plików i katalogów naraz' <(gzip -dc "$root/share/man/pl/man1/kestrix.1.gz" 2>/dev/null) ||
    fail "the Polish manual page is not in Polish"

# --- AppStream metadata: valid on its own and together with the installed tree.
meta=$root/share/metainfo/$metainfo
if [[ -f $meta ]]; then
    appstreamcli validate --no-net "$meta" || fail "appstreamcli validate rejects $metainfo"
    appstreamcli validate-tree --no-net "$stage" || fail "appstreamcli validate-tree rejects the installed tree"
    launchable=$(sed -n 's#.*<launchable type="desktop-id">\(.*\)</launchable>.*#\1#p' "$meta")
    [[ -f $root/share/applications/$launchable ]] || fail "the metadata launches '$launchable', which is not installed"
    newest=$(sed -n 's#.*<release version="\([^"]*\)".*#\1#p' "$meta" | head -n 1)
    [[ $newest == "$version" ]] || fail "the newest release in $metainfo is '$newest', the build is $version"
fi

# --- The package changelog starts with the version being built.
changelog=$root/share/doc/kestrix/changelog.gz
if [[ -f $changelog ]]; then
    top=$(gzip -dc "$changelog" | head -n 1)
    [[ $top == "kestrix ($version) "* ]] || fail "the changelog starts with '$top', the build is $version"
fi

if ((failures > 0)); then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "PASS: the installed tree holds ${#expected[@]} files, all valid"
