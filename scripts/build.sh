#!/usr/bin/env bash
# Configures (once) and builds Norvane in build/ beside the sources.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${NORVANE_BUILD_DIR:-$root/build}"
# ccache keeps rebuilds of another checkout (a second work tree, CI's fresh clone) short; paths
# are taken relative to the checkout so that identical sources hit the same cache entries.
launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1 CCACHE_MAXSIZE="${CCACHE_MAXSIZE:-5G}"
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@"
fi
cmake --build "$build" -j"$(nproc)"
