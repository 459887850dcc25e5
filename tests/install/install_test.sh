#!/usr/bin/env bash
# Installs the build into a temporary prefix, checks the installed files (tree_checks.sh: the
# programs, their data, menu entry, manual pages, copyright, changelog and metainfo), then starts the
# installed program as a user with an empty home: it must set up its per-user application
# folder (database, help file, sounds) and leave the installed folders alone.
set -euo pipefail
build="$1"
man_pages="${2:-OFF}"
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
source "$(dirname "$0")/tree_checks.sh"
work="$(mktemp -d)"
pid=""
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

check_installed_tree "$prefix" "$version" "$man_pages"
"$prefix/bin/norvane-tool" areacode 201-555-0000 | grep "New Jersey" >/dev/null || fail "norvane-tool"

export HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config"
export XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=offscreen
unset NORVANE_APP_DIR
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
app="$XDG_DATA_HOME/Norvane/Norvane"

"$prefix/bin/norvane" >"$work/out.log" 2>&1 &
pid=$!
for _ in $(seq 1 100); do
  [ -f "$app/spider.mdb" ] && break
  kill -0 "$pid" 2>/dev/null || { cat "$work/out.log" >&2; fail "the program ended at start"; }
  sleep 0.1
done
[ -f "$app/spider.mdb" ] || fail "no database in the per-user folder $app"
kill -0 "$pid" 2>/dev/null || fail "the program did not keep running"
for f in Help.rtf sounds/foundfax.wav sounds/nextsearch.wav sounds/finished.wav; do
  cmp -s "$prefix/share/norvane/$f" "$app/$f" || fail "not copied to the application folder: $f"
done
[ ! -e "$prefix/bin/spider.mdb" ] || fail "the database was written beside the installed program"
echo "installed program started with application folder $app"
