#!/usr/bin/env bash
# deb_build_test.sh BUILD_DIR OUT_DIR VERSION
#
# Builds the Debian package of the build tree with cpack into OUT_DIR (where
# the lintian and install tests pick it up) and checks its name, that it
# depends on everything the program needs at run time on a fresh machine, and
# that it carries the program and its desktop files.
set -euo pipefail

if [[ $# -ne 3 ]]; then
    echo "usage: $0 BUILD_DIR OUT_DIR VERSION" >&2
    exit 2
fi
build=$(realpath "$1")
out=$2
version=$3

for tool in cpack dpkg-deb dpkg-shlibdeps; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (Debian packages cmake dpkg-dev)" >&2; exit 1; }
done

rm -rf "$out"
mkdir -p "$out"
if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1; then
    cat "$out/cpack.log" >&2
    echo "FAIL: cpack -G DEB failed" >&2
    exit 1
fi

deb=$out/kestrix_${version}_$(dpkg --print-architecture).deb
if [[ ! -f $deb ]]; then
    echo "FAIL: $(basename "$deb") was not made; $out holds: $(ls "$out")" >&2
    exit 1
fi

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Linked libraries (found by dpkg-shlibdeps) and what the program loads or
# uses without linking: the SVG icon engine, Qt's Polish texts, the fonts.
depends=$(dpkg-deb -f "$deb" Depends)
depends_names=$(sed 's/ *([^)]*)//g; s/ *, */\n/g' <<<"$depends")
for package in libc6 libstdc++6 libutf8proc2 libexiv2-27 libtag1v5 libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 \
    qt6-translations-l10n fonts-liberation2 fonts-dejavu-core; do
    grep -qxF "$package" <<<"$depends_names" || fail "Depends lacks $package: $depends"
done

contents=$(dpkg-deb -c "$deb" | awk '{print $NF}')
for path in ./usr/bin/kestrix ./usr/share/applications/kestrix.desktop \
    ./usr/share/metainfo/org.example.Kestrix.metainfo.xml ./usr/share/icons/hicolor/scalable/apps/kestrix.svg \
    ./usr/share/icons/hicolor/48x48/apps/kestrix.png ./usr/share/doc/kestrix/copyright \
    ./usr/share/man/man1/kestrix.1.gz ./usr/share/man/pl/man1/kestrix.1.gz; do
    grep -qxF "$path" <<<"$contents" || fail "the package lacks $path"
done

((failures == 0)) || exit 1
echo "Built $(basename "$deb"), $(stat -c %s "$deb") bytes"
echo "Depends: $depends"
