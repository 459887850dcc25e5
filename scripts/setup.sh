#!/usr/bin/env bash
# Installs the Debian 12 packages Norvane needs to build, run and test, only those missing.
# With --fuzz it also installs what scripts/fuzz.sh needs (clang with libFuzzer and the
# sanitizer runtimes, python3 for the seed folders); with --package, lintian, Debian's checker
# of the package (large, and only the package test and a release need it). The normal setup
# leaves both out.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libsqlite3-dev libqt6opengl6-dev libgl-dev
  qt6-webengine-dev qt6-webengine-dev-tools qt6-multimedia-dev
  libgtest-dev libbenchmark-dev
  xvfb xauth fonts-dejavu-core fonts-dejavu-extra
  html2text jq
  dpkg-dev file ccache
  txt2man help2man desktop-file-utils appstream
  openssl dbus-daemon
  libphonenumber-dev libpsl-dev publicsuffix
)
for option in "$@"; do
  case "$option" in
    --fuzz) packages+=(clang-14 libclang-rt-14-dev python3) ;;
    --package) packages+=(lintian) ;;
    *) echo "setup.sh: unknown option $option" >&2; exit 2 ;;
  esac
done

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends \
    "${missing[@]}"
fi
