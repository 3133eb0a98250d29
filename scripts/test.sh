#!/usr/bin/env bash
# Installs what Velmora needs, builds it with warnings as errors and runs the
# whole test suite; then builds again with AddressSanitizer and UBSan and runs
# the suite once more. VELMORA_SKIP_SANITIZE=1 skips the second pass.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
export QT_QPA_PLATFORM=offscreen
# Repeated runs on one machine reuse earlier compilations.
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Paths relative to the clone, so that another clone finds the same entries.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_WERROR=ON "${launcher[@]}"
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

if [ "${VELMORA_SKIP_SANITIZE:-0}" != 1 ]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELMORA_WERROR=ON \
        -DVELMORA_SANITIZE=ON -DVELMORA_BUILD_BENCH=OFF "${launcher[@]}"
  cmake --build build-asan -j "$jobs"
  ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"
fi
