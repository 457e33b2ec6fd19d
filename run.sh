#!/usr/bin/env bash
# Installs what is missing, builds a Release build and starts Kestrix.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
kestrix_install_packages "${KESTRIX_BUILD_PACKAGES[@]}" libgtest-dev libbenchmark-dev

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target kestrix
exec build/release/kestrix "$@"
