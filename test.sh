#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test through ctest.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
kestrix_install_packages "${KESTRIX_BUILD_PACKAGES[@]}" "${KESTRIX_TEST_PACKAGES[@]}"

jobs=$(nproc)

# Every C++ source laid out as .clang-format says.
find engine platform run session ui filelist options folderchooser about app tests bench packaging \
    \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z | xargs -0 clang-format --dry-run --Werror

# The engine on its own, configured without Qt: proves it needs no GUI.
cmake -S . -B build/engine-only -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRIX_ENGINE_ONLY=ON >/dev/null
cmake --build build/engine-only
ctest --test-dir build/engine-only --output-on-failure -j "$jobs"

# The whole program, its tests and benchmarks.
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release
ctest --test-dir build/release --output-on-failure -j "$jobs"
