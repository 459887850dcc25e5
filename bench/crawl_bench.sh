#!/usr/bin/env bash
# Crawl speed against wget2 on a local web.
#
#   bash bench/crawl_bench.sh [BUILD_DIR]      (default: build)
#
# Generates a web of 2,500 pages on the 100 hosts h000.test ... h099.test (links within and
# across hosts, cycles everywhere, fax numbers on every third page), serves it with nginx on
# 127.0.0.1, and then, REPEAT times over:
#   1. runs the real main window (build/bin/crawl_bench; shown under Xvfb, which the bench
#      starts when there is no display, or hidden offscreen) over the first 2,000 page fetches
#      from every host's root, with 0, 1,000 and 100,000 rows already in `websites`;
#   2. times wget2 fetching the same web from the same roots with ten threads, one request per
#      connection, through nginx as its proxy;
#   3. runs the shown window over the whole web with "Skip Pages Already Read" on, from Resume
#      until the queue runs dry, against wget2's total time on the same web;
# and prints the medians of pages per second, CPU milliseconds per page, peak memory and the
# ratios (each ratio is the median of the rounds' ratios, both sides measured in the same
# round).
#
# Nothing leaves this machine: the crawl connects only to NORVANE_CONNECT_TO=127.0.0.1:PORT (the
# bench refuses any other value), wget2 only to its proxy on 127.0.0.1, and nginx listens only on
# 127.0.0.1. Every step is bounded in time; nginx, Xvfb and the temp folder go away on exit.
#
# Environment: FETCHES (2000); ROWS ("0 1000 100000"); WINDOW ("shown": the main window on
# screen, as a user runs it; "hidden" leaves out painting; "shown hidden" runs both); REPEAT
# rounds (3; figures are medians); WHOLE_WEB (1; 0 leaves the whole-web run out); STALL_LIMIT
# seconds without a completed page (30) and TIME_LIMIT seconds in all (600) end a crawl run,
# WHOLE_TIME_LIMIT (60) a whole-web run, which reports "did not run dry" when a limit ended it;
# REAL_ROWS (100000): the most extra rows that are pages of the local web, the rest of a bigger
# ROWS being websites the crawl never reaches; VISITED_ROWS (0) rows in the table of pages read
# in the runs with more than REAL_ROWS rows;
# the seeded file of each table size is made once a bench run and copied for the other rounds.
# BENCH_POLITE=1 runs the crawl with "Polite Crawl" on, and BENCH_HOST_LIMIT=10 then lifts its
# rule of two sockets per host (to tell the rule's cost from robots.txt's); BENCH_ALL_LINKS=0
# turns "All Links of a Page" off (a link a line), BENCH_WEB=classic writes the web's pages the
# classic way only (CR LF, a link a line), BENCH_WEB=today pages of today's size and links; KEEP=1 keeps the temp folder; BENCH_TMP is where the temp folder goes (/var/tmp: the crawl's
# page files and database must be on a real disk, not in memory); BENCH_WRAP is put before the
# crawl program, for example "perf record -g -o /tmp/crawl.perf".
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root_dir="$(dirname "$here")"
build="${1:-$root_dir/build}"
fetches="${FETCHES:-2000}"
stall_limit="${STALL_LIMIT:-30}"
time_limit="${TIME_LIMIT:-600}"
windows="${WINDOW:-shown}"
repeat="${REPEAT:-3}"
whole_web="${WHOLE_WEB:-1}"
whole_time_limit="${WHOLE_TIME_LIMIT:-60}"
rows_list="${ROWS:-0 1000 100000}"
real_rows="${REAL_ROWS:-100000}"
visited_rows="${VISITED_ROWS:-0}"
hosts=100
pages_per_host=25

# --- what the bench needs -------------------------------------------------------------------
missing=()
command -v nginx >/dev/null 2>&1 || [ -x /usr/sbin/nginx ] || missing+=(nginx)
command -v wget2 >/dev/null 2>&1 || missing+=(wget2)
if [[ " $windows " == *" shown "* ]] && [ -z "${DISPLAY:-}" ]; then
  command -v Xvfb >/dev/null 2>&1 || missing+=(xvfb)
fi
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  # The nginx package starts a system-wide server on port 80 unless policy-rc.d forbids it;
  # the bench needs only its own, so forbid it for the time of the installation.
  made_policy=0
  if [ ! -e /usr/sbin/policy-rc.d ]; then
    printf '#!/bin/sh\nexit 101\n' | "${sudo_cmd[@]}" tee /usr/sbin/policy-rc.d >/dev/null
    "${sudo_cmd[@]}" chmod 755 /usr/sbin/policy-rc.d
    made_policy=1
  fi
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends \
    "${missing[@]}" || status=$?
  if [ "$made_policy" = 1 ]; then "${sudo_cmd[@]}" rm -f /usr/sbin/policy-rc.d; fi
  if [ "${status:-0}" -ne 0 ]; then exit "$status"; fi
fi
nginx_bin="$(command -v nginx || echo /usr/sbin/nginx)"

# Built (or brought up to date) here, so the figures are always those of the current sources.
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root_dir" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j2 --target crawl_bench >/dev/null
bench="$build/bin/crawl_bench"

# --- temp folder and clean-up ---------------------------------------------------------------
parent="${BENCH_TMP:-/var/tmp}"
tmp="$(mktemp -d "$parent/norvane-crawl-bench.XXXXXX")"
chmod 755 "$tmp"  # nginx workers (nobody when started as root) read the web from here
if [ "$(stat -f -c %T "$tmp")" = tmpfs ]; then
  echo "warning: $tmp is in memory (tmpfs); the figures will not show disk syncs" >&2
fi
# wget2 saves every page as a file of its own. Into a folder on disk right after the last
# round's 2,500 files were deleted, ext4 takes about a millisecond per file (it passes over the
# recently freed inodes), which made wget2 three to four times slower in some rounds and not in
# others. Its pages go to memory instead (WGET2_TMP), its fastest case, and every round's folder
# stays until the end.
wget2_parent="${WGET2_TMP:-/dev/shm}"
[ -d "$wget2_parent" ] && [ -w "$wget2_parent" ] || wget2_parent="$tmp"
wget2_tmp="$(mktemp -d "$wget2_parent/norvane-wget2.XXXXXX")"
nginx_pid=""
xvfb_pid=""
child=""
cleanup() {
  # timeout runs its command in a process group of its own: end it (and so its command) here.
  if [ -n "$child" ]; then
    kill "$child" 2>/dev/null || true
    wait "$child" 2>/dev/null || true
  fi
  if [ -n "$nginx_pid" ]; then
    kill "$nginx_pid" 2>/dev/null || true
    wait "$nginx_pid" 2>/dev/null || true
  fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  if [ "${KEEP:-0}" = 1 ]; then echo "kept $tmp $wget2_tmp"; else rm -rf "$tmp" "$wget2_tmp"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# --- the web ----------------------------------------------------------------------------------
# Page p of host h is "/" for p = 0 and "/p<p>.html" otherwise. Each page links, one link per
# line, to the next page of its host (a cycle through the host), to the same page on the next
# host (a cycle through the hosts), to two pages elsewhere, back to its host's root and five
# pages on; h000.test's root also links every host's root. Links are absolute or root-relative
# only, so a copy of a page under /x/ finds the same links (see crawl_bench.cpp). A few links of
# the kinds the crawl drops (mailto:, javascript:, #) and about 90 lines of text fill the page
# to about 9 KB; every third page carries a fax number of its own. The pages of every odd host
# are written as today's servers send them: lines ending in LF alone and the menu on one line
# (BENCH_WEB=classic writes every host the classic way, CR LF and a link a line).
echo "Generating the web in $tmp/web"
mkdir -p "$tmp/web" "$tmp/seeds"
today_hosts=1
[ "${BENCH_WEB:-mixed}" = classic ] && today_hosts=0
# BENCH_WEB=today: every host as today's servers send pages, and pages of today's size and links
# (about 20 KB and 100 links: a footer of 92 more links, half to the own host, and twice the text).
big=0
[ "${BENCH_WEB:-mixed}" = today ] && big=1
awk -v hosts="$hosts" -v P="$pages_per_host" -v dir="$tmp/web" -v today="$today_hosts" -v big="$big" '
  function path(q) { return q == 0 ? "/" : "/p" q ".html" }
  function host(k) { return sprintf("h%03d.test", k % hosts) }
  BEGIN {
    for (h = 0; h < hosts; ++h) {
      lf = today && (h % 2 == 1 || big)
      crlf = lf ? "\n" : "\r\n"
      item = lf ? "" : crlf  # what ends a menu item
      d = dir "/" host(h)
      system("mkdir -p " d)
      for (p = 0; p < P; ++p) {
        f = d (p == 0 ? "/index.html" : path(p))
        out = "<html><head><title>" host(h) " page " p "</title></head>" crlf "<body>" crlf
        out = out "<h1>Plumbing and heating, " host(h) " page " p "</h1>" crlf
        out = out "<a href=\"#top\">top</a>" crlf
        for (k = 0; k < 45; ++k)
          out = out "<p>Line " k ": our engineers service boilers, radiators and drains across the county since " (1950 + (h * P + p + k) % 70) ".</p>" crlf
        out = out "<ul>" item
        out = out "<li><a href=\"" path((p + 1) % P) "\">next</a></li>" item
        out = out "<li><a href=\"http://" host(h + 1) path(p) "\">neighbour</a></li>" item
        out = out "<li><a href=\"http://" host(h * 7 + p * 13 + 3) path((p * 3 + 1) % P) "\">partner</a></li>" item
        out = out "<li><a href=\"http://" host(h * 31 + p * 17 + 11) path((p * 7 + 5) % P) "\">supplier</a></li>" item
        out = out "<li><a href=\"/\">home</a></li>" item
        out = out "<li><a href=\"" path((p + 5) % P) "\">services</a></li>" item
        out = out "<li><a href=\"mailto:office@" host(h) "\">mail</a></li>" item
        out = out "<li><a href=\"javascript:void(0)\">menu</a></li>" item
        if (h == 0 && p == 0)
          for (k = 0; k < hosts; ++k) out = out "<li><a href=\"http://" host(k) "/\">member " k "</a></li>" item
        out = out "</ul>" crlf
        n = h * P + p
        if (n % 3 == 0) out = out "<p>Phone (201) 555-7000, Fax: (201) 555-" sprintf("%04d", n) "</p>" crlf
        else out = out "<p>Phone (201) 555-7000, no fax</p>" crlf
        if (big) {
          out = out "<footer><nav>"
          for (k = 0; k < 92; ++k)
            out = out "<a href=\"" (k % 2 ? "http://" host(h + 3 * k + p) : "") path((p + 7 * k + 1) % P) "\">section " k "</a> "
          out = out "</nav></footer>" crlf
        }
        for (k = 45; k < (big ? 200 : 90); ++k)
          out = out "<p>Line " k ": free estimates, emergency call-outs and annual maintenance plans for homes and offices.</p>" crlf
        out = out "</body></html>" crlf
        printf "%s", out > f
        close(f)
      }
    }
  }'
pages_total=$((hosts * pages_per_host))
# Both crawlers start from every host's root, in host order.
awk -v hosts="$hosts" 'BEGIN { for (h = 0; h < hosts; ++h) printf "h%03d.test\n", h }' >"$tmp/roots.txt"
sed 's|^|http://|; s|$|/|' "$tmp/roots.txt" >"$tmp/wget2-roots.txt"
chmod -R a+rX "$tmp/web"

# Rows for the big-table runs: copies of the web's pages under /x/K/ (K makes each row unique),
# hosts interleaved as a real queue would be. At most REAL_ROWS of them: the crawl's takes never
# get that far, and crawl_bench fills the rest of a bigger table with websites it never reaches.
max_rows=0
for r in $rows_list; do ((r > max_rows)) && max_rows=$r; done
((max_rows > real_rows)) && max_rows=$real_rows
awk -v hosts="$hosts" -v P="$pages_per_host" -v n="$max_rows" 'BEGIN {
  for (i = 0; i < n; ++i) {
    k = int(i / (hosts * P)); j = i % (hosts * P); h = j % hosts; p = int(j / hosts)
    printf "h%03d.test/x/%d/%s\n", h, k, (p == 0 ? "" : "p" p ".html")
  }
}' >"$tmp/extra_rows.txt"

# --- nginx ------------------------------------------------------------------------------------
port="$("$bench" --free-port)"
mkdir -p "$tmp/nginx-temp"
cat >"$tmp/nginx.conf" <<EOF
worker_processes 1;
pid $tmp/nginx.pid;
error_log $tmp/nginx-error.log warn;
events { worker_connections 1024; }
http {
  default_type text/html;
  log_format bench '\$host \$request_uri \$status \$body_bytes_sent';
  access_log $tmp/access.log bench;
  client_body_temp_path $tmp/nginx-temp/body;
  proxy_temp_path $tmp/nginx-temp/proxy;
  fastcgi_temp_path $tmp/nginx-temp/fastcgi;
  uwsgi_temp_path $tmp/nginx-temp/uwsgi;
  scgi_temp_path $tmp/nginx-temp/scgi;
  # One request per connection, as the crawl makes them.
  keepalive_timeout 0;
  # Any other host name (and a proxy request for one) gets 404.
  server {
    listen 127.0.0.1:$port default_server;
    server_name _;
    return 404;
  }
  # Every host of the web from its own folder; /x/K/... is a copy of the page at /...
  server {
    listen 127.0.0.1:$port;
    server_name "~^(?<site>h[0-9]{3}\.test)\$";
    root $tmp/web/\$site;
    index index.html;
    location /x/ { rewrite ^/x/[0-9]+(/.*)\$ \$1 last; return 404; }
  }
}
EOF
# In the foreground of a background job, so that this script stops it and reaps it.
"$nginx_bin" -p "$tmp" -c "$tmp/nginx.conf" -e "$tmp/nginx-error.log" -g 'daemon off;' &
nginx_pid=$!
for _ in $(seq 50); do [ -s "$tmp/nginx.pid" ] && break; sleep 0.1; done
if ! kill -0 "$nginx_pid" 2>/dev/null; then
  echo "nginx did not start:" >&2
  cat "$tmp/nginx-error.log" >&2
  exit 1
fi
echo "nginx on 127.0.0.1:$port (pid $nginx_pid), $pages_total pages on $hosts hosts"
check="$(curl -s -o /dev/null -w '%{http_code}' --noproxy '' --proxy "127.0.0.1:$port" \
  http://h042.test/x/7/p3.html 2>/dev/null || true)"
if [ -n "$check" ] && [ "$check" != 200 ]; then echo "nginx answers $check for a page" >&2; exit 1; fi

# --- the screen -------------------------------------------------------------------------------
# The shown window is painted on a real X server: Xvfb when there is no display.
shown_env=(QT_QPA_PLATFORM=xcb)
if [[ " $windows " == *" shown "* || "$whole_web" = 1 ]]; then
  if [ -z "${DISPLAY:-}" ]; then
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/xvfb.display" \
      2>"$tmp/xvfb.err" &
    xvfb_pid=$!
    for _ in $(seq 50); do [ -s "$tmp/xvfb.display" ] && break; sleep 0.1; done
    if [ ! -s "$tmp/xvfb.display" ]; then
      echo "Xvfb did not start:" >&2
      cat "$tmp/xvfb.err" >&2
      exit 1
    fi
    shown_env+=(DISPLAY=":$(cat "$tmp/xvfb.display")")
    echo "Xvfb on display ${shown_env[1]#DISPLAY=} (pid $xvfb_pid)"
  fi
fi
echo "load before the runs: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"

# --- the runs ---------------------------------------------------------------------------------
results="$tmp/results.txt"
: >"$results"

# One crawl run: crawl_run WINDOW ROWS ROUND [extra crawl_bench options].
crawl_run() {
  local window="$1" rows="$2" round="$3"
  shift 3
  local app="$tmp/app-$window-$rows" log="$tmp/crawl-$window-$rows"
  mkdir -p "$app"
  local flags=() envs=(QT_QPA_PLATFORM=offscreen)
  if [ "$window" = hidden ]; then flags+=(--hidden); else envs=("${shown_env[@]}"); fi
  local status=0
  # In the background with wait, so that an interrupt reaches the trap (which ends it) at once.
  env NORVANE_CONNECT_TO="127.0.0.1:$port" "${envs[@]}" \
    timeout -k 5 $((time_limit + 60)) ${BENCH_WRAP:-} "$bench" --app-dir "$app" \
    --roots "$tmp/roots.txt" --extra-rows "$rows" --extra-list "$tmp/extra_rows.txt" \
    --visited-rows "$((rows > real_rows ? visited_rows : 0))" --seed-cache "$tmp/seeds" \
    --stall-limit "$stall_limit" "${flags[@]}" "$@" >"$log.txt" 2>"$log.err" &
  child=$!
  wait "$child" || status=$?
  child=""
  grep '^RESULT' "$log.txt" | sed "s/^RESULT /RESULT round=$round /" | tee -a "$results" || true
  if [ "$status" -ne 0 ]; then
    echo "crawl run ($window, $rows rows) ended with status $status:" >&2
    grep -v XDG_RUNTIME_DIR "$log.err" | tail -5 >&2
  fi
  rm -rf "$app"
}

# wget2 into a fresh folder of its own each round.
wget2_run() {
  local round="$1"
  local out="$wget2_tmp/round-$round"
  sync
  local before start_ns end_ns wget_status=0
  before="$(wc -l <"$tmp/access.log")"
  start_ns="$(date +%s%N)"
  env -u http_proxy -u https_proxy -u HTTP_PROXY -u HTTPS_PROXY -u no_proxy -u NO_PROXY \
    timeout -k 5 300 wget2 --no-config -q -r -l inf -H --max-threads=10 \
    --http-proxy="127.0.0.1:$port" --no-http-keep-alive --robots=off --no-hsts --no-hpkp \
    --no-tcp-fastopen --max-redirect=0 --tries=1 -P "$out" -i "$tmp/wget2-roots.txt" &
  child=$!
  wait "$child" || wget_status=$?
  child=""
  end_ns="$(date +%s%N)"
  sleep 0.2  # the last access-log lines
  local wget_requests wget_files wget_seconds
  wget_requests=$(($(wc -l <"$tmp/access.log") - before))
  wget_files="$(find "$out" -type f | wc -l)"
  wget_seconds="$(awk -v a="$start_ns" -v b="$end_ns" 'BEGIN { printf "%.3f", (b - a) / 1e9 }')"
  echo "RESULT round=$round wget2 pages=$wget_files requests=$wget_requests seconds=$wget_seconds status=$wget_status" |
    tee -a "$results"
}

for round in $(seq "$repeat"); do
  for window in $windows; do
    for rows in $rows_list; do
      echo "Crawl ($window window, round $round of $repeat): $fetches fetches from the $hosts roots with $rows extra rows in websites"
      crawl_run "$window" "$rows" "$round" --fetches "$fetches" --time-limit "$time_limit"
    done
  done
  echo "wget2 (round $round of $repeat): the same web from the $hosts roots, ten threads, one request per connection"
  wget2_run "$round"
  if [ "$whole_web" = 1 ]; then
    echo "Whole web (shown window, round $round of $repeat): \"Skip Pages Already Read\" on, from Resume until the queue runs dry (at most ${whole_time_limit}s)"
    crawl_run shown 0 "$round" --whole-web --time-limit "$whole_time_limit"
  fi
done
echo "load after the runs: $(cut -d' ' -f1-3 /proc/loadavg)"

# --- summary ----------------------------------------------------------------------------------
# Each figure is the median of its rounds (the machine may be shared and noisy); each ratio is
# the median of the rounds' ratios, both of its sides measured in the same round.
awk -v whole_limit="$whole_time_limit" '
  function median(list,    a, m, i, j, t) {
    m = split(list, a, " ")
    if (m == 0) return 0
    for (i = 2; i <= m; ++i) for (j = i; j > 1 && a[j - 1] + 0 > a[j] + 0; --j) { t = a[j]; a[j] = a[j - 1]; a[j - 1] = t }
    return m % 2 ? a[(m + 1) / 2] : (a[m / 2] + a[m / 2 + 1]) / 2
  }
  function fields(    i, kv) {
    delete v
    for (i = 2; i <= NF; ++i) { split($i, kv, "="); v[kv[1]] = kv[2] }
  }
  /^RESULT round=[0-9]+ wget2 / {
    fields()
    if (v["seconds"] > 0) {
      wps[v["round"]] = v["pages"] / v["seconds"]; wsec[v["round"]] = v["seconds"]
      wlist = wlist " " wps[v["round"]]; wseclist = wseclist " " v["seconds"]; wpages = v["pages"]; ++wruns
    }
  }
  /^RESULT round=[0-9]+ window=/ {
    fields()
    if (v["whole_web"] == 1) {
      r = v["round"]; whole[r] = v["seconds"]; wholedry[r] = v["ran_dry"]; ++wholeruns
      wholelist = wholelist " " v["seconds"]; wholefetches = wholefetches " " v["fetches"]
      wholecpu = wholecpu " " v["cpu_ms_per_page"]; wholewcpu = wholewcpu " " v["window_cpu_ms_per_page"]; wholerss = wholerss " " v["peak_rss_mb"]
      if (v["ran_dry"] != 1) ++notdry
      next
    }
    key = v["window"] " " v["extra_rows"]
    if (!(key in runs)) keys[++n] = key
    runs[key]++
    pps[key] = pps[key] " " v["pages_per_s"]; cpu[key] = cpu[key] " " v["cpu_ms_per_page"]
    wcpu[key] = wcpu[key] " " v["window_cpu_ms_per_page"]
    wall[key] = wall[key] " " v["wall_ms_per_page"]; rss[key] = rss[key] " " v["peak_rss_mb"]
    busy[key] = busy[key] " " v["busy_sockets"]
    byround[key, v["round"]] = v["pages_per_s"]
    rounds[v["round"]] = 1
  }
  END {
    for (i = 1; i <= n; ++i) {
      k = keys[i]
      P[k] = median(pps[k]); C[k] = median(cpu[k]); W[k] = median(wall[k]); WC[k] = median(wcpu[k])
      R[k] = median(rss[k]); B[k] = median(busy[k])
    }
    wpps = wruns ? median(wlist) : 0
    print ""
    printf "%-44s %9s %12s %12s %13s %9s %13s\n", "run (median of rounds)", "pages/s", "CPU ms/page", "window thr ms", "wall ms/page", "peak MB", "busy sockets"
    for (i = 1; i <= n; ++i) {
      k = keys[i]; split(k, part, " ")
      printf "%-44s %9.1f %12.3f %12.3f %13.3f %9.1f %13.2f\n", "crawl, " part[1] " window, " part[2] " rows (" runs[k] "x)", P[k], C[k], WC[k], W[k], R[k], B[k]
    }
    printf "%-44s %9.1f   (%s s in all)\n", "wget2, 10 threads, 100 roots (" wpages " pages, " wruns "x)", wpps, median(wseclist)
    print ""
    split("shown hidden", ws, " ")
    for (j = 1; j <= 2; ++j) {
      w = ws[j]
      ratios = ""
      for (r in rounds) if (((w " 0", r) in byround) && (r in wps) && wps[r] > 0) ratios = ratios " " byround[w " 0", r] / wps[r]
      if (ratios != "")
        printf "%s window: ours / wget2 pages per second = %.3f (median of rounds; target >= 1, below 0.5 fails)\n", w, median(ratios)
      a = w " 1000"
      for (i = 1; i <= n; ++i) {
        b = keys[i]; split(b, part, " ")
        if (part[1] != w || part[2] + 0 <= 1000 || !(a in C) || C[a] <= 0 || W[a] <= 0) continue
        printf "%s window: cost per page %d / 1000 rows = %.2f CPU, %.2f wall (target <= %s)\n", w, part[2], C[b] / C[a], W[b] / W[a], (part[2] + 0 > 100000 ? "1.3" : "1.2")
      }
    }
    if (wholeruns) {
      ratios = ""
      for (r in whole) if ((r in wsec) && wholedry[r] == 1) ratios = ratios " " whole[r] / wsec[r]
      printf "whole web, shown window, skip pages read (%dx): %s s from Resume, fetches %s, CPU %.3f ms/page (window thread %.3f), peak %.1f MB\n", wholeruns, median(wholelist), median(wholefetches), median(wholecpu), median(wholewcpu), median(wholerss)
      if (notdry)
        printf "whole web: did not run dry in %d of %d rounds (ended by the %s s limit or a stall); no ratio for those\n", notdry, wholeruns, whole_limit
      if (ratios != "")
        printf "whole web: ours / wget2 total time = %.3f (median of the rounds that ran dry; target <= 1)\n", median(ratios)
    }
  }' "$results"
