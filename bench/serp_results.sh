#!/usr/bin/env bash
# How many of the annotated result domains of the saved result pages the search pass queues,
# and how many of the domains it queues are annotated results, per engine and era of capture,
# for the classic pass and for the pass with "Secure Sites and Redirects" on.
#
# Usage: bench/serp_results.sh [build-folder] [corpus-folder]
#   build-folder   default: build beside this script's checkout (norvane-tool is built if missing)
#   corpus-folder  default: ../shared/corpus beside the checkout (pages in its serp/aql, the
#                  annotated results in serp/aql/expected/<page>.approved.txt)
#
# An annotated result counts when its address, taken out of the engine's redirect (/url?q=...,
# RU=..., *http://...), has a host that, reduced as the pass reduces it (a host of three or more
# labels loses its first), ends in .com, .org, .net or .gov. Results on the engines' own hosts
# (books.google.com, dir.yahoo.com, ...) are left out: the pass skips those hosts on purpose.
# Found: annotated domains the pass queues. Share: queued domains that are annotated results.
# Both are summed over the pages of an era. Exits 0 without figures when the corpus is absent.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
corpus="${2:-$root/../shared/corpus}"
pages="$corpus/serp/aql"
tool="$build/bin/norvane-tool"

if [ ! -d "$pages/expected" ]; then
  echo "skipped: no annotated result pages in $pages" >&2
  exit 0
fi
command -v jq >/dev/null 2>&1 || { echo "jq is needed (scripts/setup.sh installs it)" >&2; exit 1; }
[ -x "$tool" ] || cmake --build "$build" --target norvane-tool -j2 >&2

# The engines' own hosts, as the secure pass names them (whole labels).
engine_labels='google|googleusercontent|gstatic|googleapis|googleadservices|googlesyndication|googletagmanager|doubleclick|ggpht|goog|yahoo|yimg|yahooapis|bing|bingj|microsoft|microsofttranslator|msn|msftauth|ytimg'

# The reduced, lower-case domains of a page's annotated results, one a line.
annotated_domains() {
  jq -r '
    def unhex: ascii_downcase | explode
      | map(if . >= 97 then . - 87 else . - 48 end) | .[0] * 16 + .[1];
    def urldecode: gsub("%(?<h>[0-9a-fA-F]{2})"; [.h | unhex] | implode);
    def unwrap:
      if test("/RU=") then capture("/RU=(?<u>[^/]*)").u | urldecode
      elif test("/url\\?(.*&)?(q|url)=") then capture("/url\\?(.*&)?(q|url)=(?<u>[^&]*)").u | urldecode
      elif test("\\*https?://") then capture("\\*(?<u>https?://.*)").u
      else . end;
    .results[]?.url // empty | unwrap' "$1" |
    sed -nE 's#^[A-Za-z]+://([^/?#:]+).*#\1#p' | tr 'A-Z' 'a-z' |
    grep -vE "(^|\.)($engine_labels)(\.|$)" |
    sed -E 's#^[^.]+\.([^.]+\..+)$#\1#' | grep -E '\.(com|org|net|gov)$' | sort -u || true
}

era_of() {
  local year="$1"
  if ((year <= 2013)); then echo "1999-2013"
  elif ((year <= 2018)); then echo "2014-2018"
  elif ((year <= 2020)); then echo "2019-2020"
  else echo "2021-2022"; fi
}

declare -A pages_in annotated found queued hits
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for expected in "$pages"/expected/*.approved.txt; do
  name="$(basename "$expected" .approved.txt)"
  page="$pages/$name.html"
  [ -f "$page" ] || continue
  annotated_domains "$expected" >"$work/annotated"
  [ -s "$work/annotated" ] || continue
  engine="${name%%-*}"
  year="$(date -u -d "@${name##*-}" +%Y)"
  era="$(era_of "$year")"
  for pass in classic secure; do
    option=()
    [ "$pass" = secure ] && option=(--secure)
    "$tool" results "${option[@]}" "$page" | sed -E 's#^https://##' | tr 'A-Z' 'a-z' |
      sort -u >"$work/queued"
    key="$pass $engine $era"
    pages_in[$key]=$((${pages_in[$key]:-0} + 1))
    annotated[$key]=$((${annotated[$key]:-0} + $(wc -l <"$work/annotated")))
    queued[$key]=$((${queued[$key]:-0} + $(wc -l <"$work/queued")))
    hits[$key]=$((${hits[$key]:-0} + $(comm -12 "$work/annotated" "$work/queued" | wc -l)))
  done
done

percent() { if (($2 == 0)); then echo "-"; else echo "$((($1 * 1000 / $2 + 5) / 10))%"; fi; }
printf '%-8s %-7s %-10s %6s %10s %8s %8s %8s\n' pass engine era pages annotated found queued share
for pass in classic secure; do
  for engine in google yahoo; do
    for era in 1999-2013 2014-2018 2019-2020 2021-2022 2019-2022; do
      if [ "$era" = 2019-2022 ]; then
        a=0 q=0 h=0 p=0
        for part in 2019-2020 2021-2022; do
          k="$pass $engine $part"
          a=$((a + ${annotated[$k]:-0})) q=$((q + ${queued[$k]:-0}))
          h=$((h + ${hits[$k]:-0})) p=$((p + ${pages_in[$k]:-0}))
        done
      else
        k="$pass $engine $era"
        a=${annotated[$k]:-0} q=${queued[$k]:-0} h=${hits[$k]:-0} p=${pages_in[$k]:-0}
      fi
      ((p > 0)) || continue
      printf '%-8s %-7s %-10s %6d %10d %8s %8d %8s\n' "$pass" "$engine" "$era" "$p" "$a" \
        "$(percent "$h" "$a")" "$q" "$(percent "$h" "$q")"
    done
  done
done
