#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite headless, then builds every
# fuzz target and runs each briefly over its seeds, so that a change that breaks one is seen at
# once (scripts/fuzz.sh runs them for longer), then runs the suite again under AddressSanitizer
# and UndefinedBehaviorSanitizer (scripts/sanitize.sh, in build-asan/).
#
#   NORVANE_TEST_FUZZ=0 leaves the fuzz stage out, NORVANE_TEST_SANITIZE=0 the sanitizer stage.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
export QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1
(
  cd "${NORVANE_BUILD_DIR:-$root/build}"
  ctest --output-on-failure -j"$(nproc)" --timeout 300
)
if [ "${NORVANE_TEST_FUZZ:-1}" != 0 ]; then
  echo "== fuzz targets: build, and a few seconds each"
  bash "$root/scripts/fuzz.sh" "${NORVANE_TEST_FUZZ_SECONDS:-3}"
fi
if [ "${NORVANE_TEST_SANITIZE:-1}" != 0 ]; then
  # The package and install tests build and unpack the packages: they check the installed
  # layout, run no code of ours the other tests do not, and would double the stage's time.
  echo "== the suite under AddressSanitizer and UndefinedBehaviorSanitizer"
  bash "$root/scripts/sanitize.sh" -E '^(package_test|install_test)$'
fi
