#!/usr/bin/env bash
# Compares the throughput of our HTML-to-text converter with Debian's html2text over the same
# corpus pages, and prints the ratio.
#
# Usage: bench/compare_html2text.sh [release-build-folder] [corpus-folder]
#   release-build-folder  default: build-release beside this script's checkout, configured with
#                         -DCMAKE_BUILD_TYPE=Release; html_to_text_bench is built there if missing
#   corpus-folder         default: ../shared/corpus beside the checkout (pages in its pages/)
#
# html2text runs once per page, as a loop over the files (best of three loops). Because that
# includes starting a process per page, the script also times the same loop over an almost
# empty page and reports html2text's throughput with and without that start-up cost.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build-release}"
corpus="${2:-$root/../shared/corpus}"
pages="$corpus/pages"
bench="$build/bin/html_to_text_bench"

if [ ! -d "$pages" ]; then
  echo "no corpus pages in $pages" >&2
  exit 1
fi

if ! command -v html2text >/dev/null 2>&1; then
  echo "installing html2text" >&2
  if [ "$(id -u)" = 0 ]; then
    apt-get install -y html2text >&2
  else
    sudo apt-get install -y html2text >&2
  fi
fi

if [ ! -x "$bench" ]; then
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DNORVANE_BUILD_TESTS=OFF >&2
  fi
  cmake --build "$build" -j2 --target html_to_text_bench >&2
fi

mapfile -t files < <(find "$pages" -maxdepth 1 -type f \( -name '*.html' -o -name '*.htm' \) | sort)
if [ "${#files[@]}" -eq 0 ]; then
  echo "no pages in $pages" >&2
  exit 1
fi
bytes=$(cat "${files[@]}" | wc -c)

seconds_now() { date +%s.%N; }

# Best of three loops of `html2text <options> <file>` over the given files.
time_loop() {
  local best="" start end took
  for _ in 1 2 3; do
    start=$(seconds_now)
    for f in "$@"; do
      html2text -nobs -ascii "$f" >/dev/null 2>&1 || true  # a few pages make it fail or crash
    done
    end=$(seconds_now)
    took=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f", b - a }')
    if [ -z "$best" ] || awk -v t="$took" -v b="$best" 'BEGIN { exit !(t < b) }'; then
      best="$took"
    fi
  done
  echo "$best"
}

html2text_seconds=$(time_loop "${files[@]}")

empty_page="$(mktemp --suffix=.html)"
trap 'rm -f "$empty_page"' EXIT
echo "<html><body>x</body></html>" >"$empty_page"
empty_args=()
for _ in "${files[@]}"; do empty_args+=("$empty_page"); done
startup_seconds=$(time_loop "${empty_args[@]}")

ours_bytes_per_second=$("$bench" --benchmark_filter='^BM_HtmlToTextCorpus$' \
  --benchmark_repetitions=3 --benchmark_report_aggregates_only=true --benchmark_format=json \
  2>/dev/null | python3 -c '
import json, sys
runs = json.load(sys.stdin)["benchmarks"]
print(next(r["bytes_per_second"] for r in runs if r.get("aggregate_name") == "median"))
')

awk -v bytes="$bytes" -v pages="${#files[@]}" -v h="$html2text_seconds" -v s="$startup_seconds" \
  -v ours="$ours_bytes_per_second" 'BEGIN {
  mb = 1e6
  theirs = bytes / h
  net = h - s
  printf "pages: %d, %.1f MB\n", pages, bytes / mb
  printf "html2text -nobs -ascii, one process per page: %.3f s, %.2f MB/s\n", h, theirs / mb
  printf "  of which starting %d processes: %.3f s\n", pages, s
  if (net > 0) printf "  without the start-up: %.3f s, %.2f MB/s\n", net, bytes / net / mb
  printf "our converter (html_to_text_bench, median of 3): %.1f MB/s\n", ours / mb
  printf "ratio ours / html2text: %.1f\n", ours / theirs
  if (net > 0) printf "ratio ours / html2text without its start-up: %.1f\n", ours / (bytes / net)
}'
