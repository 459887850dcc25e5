#!/usr/bin/env bash
# Builds the whole program and test suite with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan/ (Debug) and runs the suite there. Undefined behaviour fails the test it happens in.
#
#   bash scripts/sanitize.sh [ctest arguments, for example -R store]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${NORVANE_ASAN_BUILD_DIR:-$root/build-asan}"
bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -DNORVANE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
cmake --build "$build" -j2
export QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"
cd "$build"
ctest --output-on-failure -j2 --timeout 600 "$@"
