#!/usr/bin/env bash
# Installs what is missing, builds and starts Norvane. Without a display it starts under Xvfb.
# Arguments are passed on to the program (for example --app-dir DIR).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
program="${NORVANE_BUILD_DIR:-$root/build}/bin/norvane"
# The embedded browser refuses to start as root with its sandbox on.
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$program" "$@"
fi
exec "$program" "$@"
