#!/usr/bin/env bash
# Installs what Velmora needs, builds it and starts it on the default book.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target velmora
exec build/velmora "$@"
