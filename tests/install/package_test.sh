#!/usr/bin/env bash
# Makes the Debian package of the build (cpack -G DEB into a temporary folder), checks its
# control fields, that its programs are stripped and that it holds what an install holds
# (tree_checks.sh), and runs lintian on it when lintian is installed (scripts/setup.sh --package):
# any error or warning fails.
set -euo pipefail
build="$1"
man_pages="${2:-OFF}"
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
done
# The font the windows are laid out for on a desktop without Verdana.
dpkg-deb -f "$deb" Depends | grep -q 'fonts-dejavu-extra' || fail "no dependency on fonts-dejavu-extra"
# Nothing outside /usr, and every path owned by root.
dpkg-deb -c "$deb" | awk '$2 != "root/root" || $6 !~ /^\.\/usr\// {print; bad=1} END {exit bad}' ||
  fail "a path outside /usr or not owned by root"

if command -v lintian >/dev/null; then
  findings="$(lintian "$deb" 2>&1 | grep -v '^running with root privileges' || true)"
  [ -z "$findings" ] || fail "lintian: $findings"
  echo "lintian: no error, no warning"
else
  echo "SKIP: lintian not installed (bash scripts/setup.sh --package installs it)"
fi
echo "package $(basename "$deb") checked"
