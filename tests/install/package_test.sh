#!/usr/bin/env bash
# Makes the Debian package of the build (cpack -G DEB into a temporary folder), checks its
# control fields, that its programs are stripped and that it holds what an install holds
# (tree_checks.sh), that they are built hardened, and runs lintian on it when lintian is installed
# (scripts/setup.sh --package): any tag, informational and pedantic ones included, fails.
set -euo pipefail
build="$1"
man_pages="${2:-OFF}"
fortify="${3:-ON}"
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
source "$(dirname "$0")/tree_checks.sh"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$work" && cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out") >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; fail "cpack -G DEB"; }
deb="$work/out/norvane_${version}_amd64.deb"
[ -f "$deb" ] || fail "no package norvane_${version}_amd64.deb: $(ls "$work/out")"

# Control fields: name and version, a summary and an extended description of several lines.
[ "$(dpkg-deb -f "$deb" Package)" = norvane ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version"
description="$(dpkg-deb -f "$deb" Description)"
[ "$(wc -l <<<"$description")" -ge 3 ] || fail "no extended description: $description"
# The extended description is data/description.txt, quotes and all.
extended="$(sed -n '2,$p' <<<"$description" | sed -e 's/^ //' -e 's/^\.$//')"
[ "$extended" = "$(cat "$(dirname "$0")/../../data/description.txt")" ] ||
  fail "the extended description is not data/description.txt: $description"

root="$work/root"
dpkg-deb -x "$deb" "$root"
check_installed_tree "$root/usr" "$version" "$man_pages"
for program in norvane norvane-tool; do
  file -b "$root/usr/bin/$program" | grep -q ', stripped' || fail "not stripped: $program"
  # Relocations resolved at start and read-only afterwards (Debian's bindnow and relro).
  readelf -d "$root/usr/bin/$program" | grep -q 'BIND_NOW' || fail "not linked with -z now: $program"
  readelf -l "$root/usr/bin/$program" | grep -q 'GNU_RELRO' || fail "no read-only relocations: $program"
  # The stack guard's failure handler is what -fstack-protector-strong leaves among the imports.
  nm -D --undefined-only "$root/usr/bin/$program" >"$work/imports-$program"
  grep -q ' __stack_chk_fail' "$work/imports-$program" ||
    fail "not built with -fstack-protector-strong: $program"
  # Stripped as Debian strips: no compiler identification left behind.
  sections="$(readelf -S -W "$root/usr/bin/$program")"
  ! grep -qE ' \.(comment|note) ' <<<"$sections" || fail "a .comment or .note section left in $program"
done
# Fortify, in the optimised builds other than the sanitizer and fuzz ones: every file compiled
# with it, and the checked variants of the C library's functions (__*_chk) among the programs'
# imports. A program imports them only where some call copies into a buffer of a size the
# compiler knows, so the programs are asked for them together, not each.
if [ "$fortify" = ON ]; then
  unfortified="$(jq -r '.[] | select(.command | contains("-D_FORTIFY_SOURCE=2") | not) | .file' \
    "$build/compile_commands.json")"
  [ -z "$unfortified" ] || fail "compiled without -D_FORTIFY_SOURCE=2: $unfortified"
  grep -qE ' __[a-z0-9_]+_chk(@|$)' "$work"/imports-* ||
    fail "no checked C library function (__*_chk) imported: not built with _FORTIFY_SOURCE"
else
  echo "SKIP: fortify is left out of this build (Debug, sanitizer or fuzz)"
fi
# The font the windows are laid out for on a desktop without Verdana.
dpkg-deb -f "$deb" Depends | grep -q 'fonts-dejavu-extra' || fail "no dependency on fonts-dejavu-extra"
# Nothing outside /usr, and every path owned by root.
dpkg-deb -c "$deb" | awk '$2 != "root/root" || $6 !~ /^\.\/usr\// {print; bad=1} END {exit bad}' ||
  fail "a path outside /usr or not owned by root"

if command -v lintian >/dev/null; then
  # Informational and pedantic tags too: what is let pass is in data/debian/lintian-overrides,
  # each with its reason.
  findings="$(lintian -I --pedantic "$deb" 2>&1 | grep -v '^running with root privileges' || true)"
  [ -z "$findings" ] || fail "lintian: $findings"
  echo "lintian -I --pedantic: nothing reported"
else
  echo "SKIP: lintian not installed (bash scripts/setup.sh --package installs it)"
fi
echo "package $(basename "$deb") checked"
