#!/usr/bin/env bash
# How many of the fax numbers on real annotated pages each fax scan finds (recall), how many of
# the numbers it prints are fax numbers (precision), for North-American and international numbers
# apart, and on how many pages it takes a phone number for a fax: the classic scan ("before") and
# the thorough scan ("after"), through `norvane-tool faxes` and the folder's own scoring script.
#
# Usage: bench/fax_recall.sh [build-folder] [faxpages-folder]
#   build-folder     default: build beside this script's checkout (norvane-tool built there)
#   faxpages-folder  default: ../shared/corpus/faxpages beside the checkout; NAME.html with
#                    NAME.faxes.txt and NAME.phones.txt, and fax_recall.py
# Skips (exit 0) when the folder is absent. Each page runs without --page, so its country comes
# from the address the page names for itself, else its language.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
pages="${2:-$root/../shared/corpus/faxpages}"
tool="$build/bin/norvane-tool"

if [ ! -f "$pages/fax_recall.py" ]; then
  echo "skipped: no annotated fax pages in $pages"
  exit 0
fi
if [ ! -x "$tool" ]; then
  echo "no norvane-tool in $build/bin (build first)" >&2
  exit 1
fi

details="$(mktemp -d)"
trap 'rm -rf "$details"' EXIT
page_count=$(find "$pages" -maxdepth 1 -name '*.html' | wc -l)

for run in before after; do
  args=()
  [ "$run" = after ] && args=(--thorough)
  echo "== $run: norvane-tool faxes ${args[*]:-}"
  python3 "$pages/fax_recall.py" "$tool" "$pages" --details "$details/$run.txt" "${args[@]}"
  phone_pages=$(grep -c '(phone)' "$details/$run.txt" || true)
  awk -v n="$phone_pages" -v total="$page_count" \
    'BEGIN { printf "pages with a phone printed as a fax: %d of %d (%.1f%%)\n", n, total, total ? 100 * n / total : 0 }'
done
