#!/usr/bin/env bash
# Builds the whole program and test suite with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan/ (Debug) and runs the suite there. Undefined behaviour fails the test it happens in.
#
#   bash scripts/sanitize.sh [ctest arguments, for example -R store]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${NORVANE_ASAN_BUILD_DIR:-$root/build-asan}"
bash "$root/scripts/setup.sh"
# ccache, as scripts/build.sh uses it: CI builds the sanitizer build on every run.
launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1 CCACHE_MAXSIZE="${CCACHE_MAXSIZE:-5G}"
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  # The benchmarks are measured in the normal build; here they would only cost build time.
  cmake -S "$root" -B "$build" -DNORVANE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug \
    -DNORVANE_BUILD_BENCH=OFF "${launcher[@]}"
fi
cmake --build "$build" -j2
export QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"
# The embedded browser's library (built without the sanitizers) deletes some of its own objects
# through a base of another size and keeps others until the process ends: both are its own
# doing, reported only because the sanitizer sees every new and delete. Its leaks and those of
# the font libraries are suppressed by name; the size check of delete is off for the whole run
# (the fuzz targets, which link no browser, keep it on).
export ASAN_OPTIONS="${ASAN_OPTIONS:-new_delete_type_mismatch=0}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$root/scripts/lsan.supp:print_suppressions=0}"
cd "$build"
ctest --output-on-failure -j2 --timeout 600 "$@"
