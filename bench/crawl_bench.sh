#!/usr/bin/env bash
# Crawl speed against wget2 on a local web.
#
#   bash bench/crawl_bench.sh [BUILD_DIR]      (default: build)
#
# Generates a web of 2,500 pages on the 100 hosts h000.test ... h099.test (links within and
# across hosts, cycles everywhere, fax numbers on every third page), serves it with nginx on
# 127.0.0.1, and then
#   1. runs the real main window offscreen (build/bin/crawl_bench) over the first 2,000 page
#      fetches from http://h000.test/, with 0, 1,000 and 100,000 rows already in `websites`;
#   2. times wget2 fetching the same web from the same root with ten threads, one request per
#      connection, through nginx as its proxy;
# and prints pages per second, CPU milliseconds per page, peak memory and the ratios.
#
# Nothing leaves this machine: the crawl connects only to NORVANE_CONNECT_TO=127.0.0.1:PORT (the
# bench refuses any other value), wget2 only to its proxy on 127.0.0.1, and nginx listens only on
# 127.0.0.1. Every step is bounded in time; nginx and the temp folder go away on exit.
#
# Environment: FETCHES (2000); ROWS ("0 1000 100000"); WINDOW ("shown": the main window on the
# offscreen screen, as a user runs it; "hidden" leaves out painting; "shown hidden" runs both);
# REPEAT runs of each (1; figures are medians); STALL_LIMIT seconds without a completed page
# (30) and TIME_LIMIT seconds in all (600) end a
# crawl run; KEEP=1 keeps the temp folder; BENCH_TMP is where the temp folder goes (/var/tmp: the
# crawl's page files and database must be on a real disk, not in memory); BENCH_WRAP is put
# before the crawl program, for example "perf record -g -o /tmp/crawl.perf".
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root_dir="$(dirname "$here")"
build="${1:-$root_dir/build}"
fetches="${FETCHES:-2000}"
stall_limit="${STALL_LIMIT:-30}"
time_limit="${TIME_LIMIT:-600}"
windows="${WINDOW:-shown}"
repeat="${REPEAT:-1}"
rows_list="${ROWS:-0 1000 100000}"
hosts=100
pages_per_host=25

# --- what the bench needs -------------------------------------------------------------------
missing=()
command -v nginx >/dev/null 2>&1 || [ -x /usr/sbin/nginx ] || missing+=(nginx)
command -v wget2 >/dev/null 2>&1 || missing+=(wget2)
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
nginx_pid=""
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
  if [ "${KEEP:-0}" = 1 ]; then echo "kept $tmp"; else rm -rf "$tmp"; fi
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
# to about 9 KB; every third page carries a fax number of its own.
echo "Generating the web in $tmp/web"
mkdir -p "$tmp/web"
awk -v hosts="$hosts" -v P="$pages_per_host" -v dir="$tmp/web" '
  function path(q) { return q == 0 ? "/" : "/p" q ".html" }
  function host(k) { return sprintf("h%03d.test", k % hosts) }
  BEGIN {
    crlf = "\r\n"
    for (h = 0; h < hosts; ++h) {
      d = dir "/" host(h)
      system("mkdir -p " d)
      for (p = 0; p < P; ++p) {
        f = d (p == 0 ? "/index.html" : path(p))
        out = "<html><head><title>" host(h) " page " p "</title></head>" crlf "<body>" crlf
        out = out "<h1>Plumbing and heating, " host(h) " page " p "</h1>" crlf
        out = out "<a href=\"#top\">top</a>" crlf
        for (k = 0; k < 45; ++k)
          out = out "<p>Line " k ": our engineers service boilers, radiators and drains across the county since " (1950 + (h * P + p + k) % 70) ".</p>" crlf
        out = out "<ul>" crlf
        out = out "<li><a href=\"" path((p + 1) % P) "\">next</a></li>" crlf
        out = out "<li><a href=\"http://" host(h + 1) path(p) "\">neighbour</a></li>" crlf
        out = out "<li><a href=\"http://" host(h * 7 + p * 13 + 3) path((p * 3 + 1) % P) "\">partner</a></li>" crlf
        out = out "<li><a href=\"http://" host(h * 31 + p * 17 + 11) path((p * 7 + 5) % P) "\">supplier</a></li>" crlf
        out = out "<li><a href=\"/\">home</a></li>" crlf
        out = out "<li><a href=\"" path((p + 5) % P) "\">services</a></li>" crlf
        out = out "<li><a href=\"mailto:office@" host(h) "\">mail</a></li>" crlf
        out = out "<li><a href=\"javascript:void(0)\">menu</a></li>" crlf
        if (h == 0 && p == 0)
          for (k = 0; k < hosts; ++k) out = out "<li><a href=\"http://" host(k) "/\">member " k "</a></li>" crlf
        out = out "</ul>" crlf
        n = h * P + p
        if (n % 3 == 0) out = out "<p>Phone (201) 555-7000, Fax: (201) 555-" sprintf("%04d", n) "</p>" crlf
        else out = out "<p>Phone (201) 555-7000, no fax</p>" crlf
        for (k = 45; k < 90; ++k)
          out = out "<p>Line " k ": free estimates, emergency call-outs and annual maintenance plans for homes and offices.</p>" crlf
        out = out "</body></html>" crlf
        printf "%s", out > f
        close(f)
      }
    }
  }'
pages_total=$((hosts * pages_per_host))
chmod -R a+rX "$tmp/web"

# Rows for the big-table runs: copies of the web's pages under /x/K/ (K makes each row unique),
# hosts interleaved as a real queue would be.
max_rows=0
for r in $rows_list; do ((r > max_rows)) && max_rows=$r; done
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

# --- the crawl --------------------------------------------------------------------------------
results="$tmp/results.txt"
: >"$results"
for round in $(seq "$repeat"); do
for window in $windows; do
  for rows in $rows_list; do
    app="$tmp/app-$window-$rows"
    mkdir -p "$app"
    echo "Crawl ($window window, round $round of $repeat): $fetches fetches from h000.test with $rows extra rows in websites"
    flags=()
    if [ "$window" = hidden ]; then flags+=(--hidden); fi
    status=0
    # In the background with wait, so that an interrupt reaches the trap (which ends it) at once.
    NORVANE_CONNECT_TO="127.0.0.1:$port" QT_QPA_PLATFORM=offscreen \
      timeout -k 5 $((time_limit + 60)) ${BENCH_WRAP:-} "$bench" --app-dir "$app" --root h000.test \
      --extra-rows "$rows" --extra-list "$tmp/extra_rows.txt" --fetches "$fetches" \
      --stall-limit "$stall_limit" --time-limit "$time_limit" "${flags[@]}" \
      >"$tmp/crawl-$window-$rows.txt" 2>"$tmp/crawl-$window-$rows.err" &
    child=$!
    wait "$child" || status=$?
    child=""
    grep '^RESULT' "$tmp/crawl-$window-$rows.txt" | tee -a "$results" || true
    if [ "$status" -ne 0 ]; then
      echo "crawl run ($window, $rows rows) ended with status $status:" >&2
      grep -v XDG_RUNTIME_DIR "$tmp/crawl-$window-$rows.err" | tail -5 >&2
    fi
    rm -rf "$app"
  done
done
done

# --- wget2 ------------------------------------------------------------------------------------
# REPEAT runs as well, each into a fresh folder; its time varies with the state of the disk
# (it writes every page as a file), so the median is what the ratio uses.
wget_pps_list=""
for round in $(seq "$repeat"); do
  echo "wget2 (round $round of $repeat): the same web from http://h000.test/, ten threads, one request per connection"
  rm -rf "$tmp/wget2"
  sync
  before="$(wc -l <"$tmp/access.log")"
  start_ns="$(date +%s%N)"
  wget_status=0
  env -u http_proxy -u https_proxy -u HTTP_PROXY -u HTTPS_PROXY -u no_proxy -u NO_PROXY \
    timeout -k 5 300 wget2 --no-config -q -r -l inf -H --max-threads=10 \
    --http-proxy="127.0.0.1:$port" --no-http-keep-alive --robots=off --no-hsts --no-hpkp \
    --no-tcp-fastopen --max-redirect=0 --tries=1 -P "$tmp/wget2" http://h000.test/ &
  child=$!
  wait "$child" || wget_status=$?
  child=""
  end_ns="$(date +%s%N)"
  sleep 0.2  # the last access-log lines
  wget_requests=$(($(wc -l <"$tmp/access.log") - before))
  wget_files="$(find "$tmp/wget2" -type f | wc -l)"
  wget_seconds="$(awk -v a="$start_ns" -v b="$end_ns" 'BEGIN { printf "%.3f", (b - a) / 1e9 }')"
  echo "RESULT wget2 pages=$wget_files requests=$wget_requests seconds=$wget_seconds status=$wget_status" |
    tee -a "$results"
done

# --- summary ----------------------------------------------------------------------------------
# With REPEAT > 1 each figure is the median of its runs (the machine may be shared and noisy).
awk '
  function median(list,    a, m, i, j, t) {
    m = split(list, a, " ")
    for (i = 2; i <= m; ++i) for (j = i; j > 1 && a[j - 1] + 0 > a[j] + 0; --j) { t = a[j]; a[j] = a[j - 1]; a[j - 1] = t }
    return m % 2 ? a[(m + 1) / 2] : (a[m / 2] + a[m / 2 + 1]) / 2
  }
  /^RESULT wget2 / {
    delete v
    for (i = 2; i <= NF; ++i) { split($i, kv, "="); v[kv[1]] = kv[2] }
    if (v["seconds"] > 0) { wlist = wlist " " (v["pages"] / v["seconds"]); wpages = v["pages"]; ++wruns }
  }
  /^RESULT window=/ {
    delete v
    for (i = 2; i <= NF; ++i) { split($i, kv, "="); v[kv[1]] = kv[2] }
    key = v["window"] " " v["extra_rows"]
    if (!(key in runs)) keys[++n] = key
    runs[key]++
    pps[key] = pps[key] " " v["pages_per_s"]; cpu[key] = cpu[key] " " v["cpu_ms_per_page"]
    wall[key] = wall[key] " " v["wall_ms_per_page"]; rss[key] = rss[key] " " v["peak_rss_mb"]
    busy[key] = busy[key] " " v["busy_sockets"]; got[key] = got[key] " " v["fetches"]
  }
  END {
    for (i = 1; i <= n; ++i) {
      k = keys[i]
      P[k] = median(pps[k]); C[k] = median(cpu[k]); W[k] = median(wall[k])
      R[k] = median(rss[k]); B[k] = median(busy[k]); G[k] = median(got[k])
    }
    wpps = wruns ? median(wlist) : 0
    print ""
    printf "%-40s %9s %12s %13s %9s %13s\n", "run (median of runs)", "pages/s", "CPU ms/page", "wall ms/page", "peak MB", "busy sockets"
    for (i = 1; i <= n; ++i) {
      k = keys[i]; split(k, part, " ")
      printf "%-40s %9.1f %12.3f %13.3f %9.1f %13.2f\n", "crawl, " part[1] " window, " part[2] " rows (" runs[k] "x)", P[k], C[k], W[k], R[k], B[k]
    }
    printf "%-40s %9.1f\n", "wget2, 10 threads (" wpages " pages, " wruns "x)", wpps
    print ""
    split("shown hidden", ws, " ")
    for (j = 1; j <= 2; ++j) {
      w = ws[j]
      if (wpps > 0 && ((w " 0") in P))
        printf "%s window: ours / wget2 pages per second = %.3f (target >= 1, below 0.5 fails)\n", w, P[w " 0"] / wpps
      a = w " 1000"; b = w " 100000"
      if ((a in C) && (b in C) && C[a] > 0 && W[a] > 0)
        printf "%s window: cost per page 100,000 / 1,000 rows = %.2f CPU, %.2f wall (target <= 1.5)\n", w, C[b] / C[a], W[b] / W[a]
    }
  }' "$results"
