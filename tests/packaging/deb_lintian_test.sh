#!/usr/bin/env bash
# deb_lintian_test.sh DEB_DIR
#
# Runs lintian on the package built by the package test and fails on any
# error; warnings and notes are shown but pass.
set -euo pipefail

if [[ $# -ne 1 ]]; then
    echo "usage: $0 DEB_DIR" >&2
    exit 2
fi
command -v lintian >/dev/null || { echo "FAIL: lintian is missing (Debian package lintian)" >&2; exit 1; }

shopt -s nullglob
debs=("$1"/kestrix_*.deb)
if [[ ${#debs[@]} -ne 1 ]]; then
    echo "FAIL: expected one package in $1, found ${#debs[@]}" >&2
    exit 1
fi

status=0
# lintian notes that it runs as root; that is no finding about the package.
lintian --fail-on error --display-info "${debs[0]}" 2> >(grep -v 'running with root privileges' >&2) || status=$?
if [[ $status -ne 0 ]]; then
    echo "FAIL: lintian reports errors in $(basename "${debs[0]}")" >&2
    exit 1
fi
echo "PASS: lintian reports no errors in $(basename "${debs[0]}")"
