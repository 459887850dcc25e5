#!/usr/bin/env python3
"""The crawl at the far web's pace, against wget2.

    python3 bench/farweb_bench.py [--build build] [--crawl 10,100] [--wget2 10,50,100,200]
                                  [--seconds 25] [--repeat 3] [--pages-per-host 400]

Serves a web of 1,000 hosts (hNNN.test) on 127.0.0.1 from this process (asyncio) the way the
far web answers: every host has its own round-trip time (a log-normal spread from 20 to 400 ms,
median 120 ms); a response starts two round trips after the request (the connection and the
request), and its body comes in bursts one round trip apart, growing as a TCP window does
(10, 20, 40 ... segments of 1,460 bytes). Pages are about 20 KB with about 100 links, half
to their own host and half to others. A few hosts accept and never answer, a few refuse (reset
after one round trip), a few drip the first 2 KB of their page, 20 bytes every 0.2 s. robots.txt answers 404.

Both crawlers start from the same 100 roots (h000.test ... h099.test):
  - the crawl: the real main window (build/bin/crawl_bench, under Xvfb when there is no
    display) with "Polite Crawl" on, no limit of pages per site ("Pages per Site" 0: wget2 has
    none either, and at 100 connections and more the default 50 pages on each of the roots' 100
    sites run out within a run), "Skip Pages Already Read" and "Stay on Result Sites" on as by
    default (no page is read twice, as with wget2; the crawl keeps to the roots' 100 sites,
    where wget2 -H goes on to others), N connections ("Web" > "Connections"), every connection
    sent to this server by NORVANE_CONNECT_TO, and every name looked up through the crawl's
    lookup seam with a delay of 20-80 ms per host (crawl_bench --lookup-delay);
  - wget2 --max-threads=N through this server as its HTTP proxy, one request per connection.
    A proxy does wget2's name lookups, so this server delays the first request for each host by
    the same 20-80 ms.

Each run lasts SECONDS from the first request the server sees. Figures come from the server:
pages/s (whole pages of the web served in the window; robots.txt and failures not counted),
and the use of the connections = completed fetches/s x mean time a fetch must wait (the
server's own round trips for it) / N, where the fetches are the pages and robots.txt answers.
The server also reports the most requests one host had open at once. The crawl's own RESULT
line gives its peak memory, and the table the mean wait of a fetch. Each figure is the median of
REPEAT runs.

A host has PAGES_PER_HOST pages (--pages-per-host, 400 by default, so that 200 connections do
not run out of pages within a run). On sites that big, wget2's threads keep to the first hosts
it knows that are free, and so spend most of their time on the fastest of them: its mean wait
is shorter, and at the same use it reads more pages a second. The crawl takes the queue in
order, as the polite rules say, and waits as long as the web's hosts do on average. On sites of
20 pages (--pages-per-host 20) no host lasts long enough for that to count; the roots' sites
then hold 2,000 pages, which 100 connections read within a run.

Nothing leaves this machine: the server listens on 127.0.0.1 only, the crawl connects only to
NORVANE_CONNECT_TO=127.0.0.1:PORT (crawl_bench refuses anything else) and wget2 only to its
proxy on 127.0.0.1.
"""

import argparse
import asyncio
import functools
import hashlib
import math
import os
import random
import shutil
import signal
import socket
import statistics
import struct
import subprocess
import sys
import tempfile
import time

HOSTS = 1000
ROOTS = 100
PAGES_PER_HOST = 400
SEGMENT = 1460
FIRST_WINDOW = 10  # segments in the first burst


def host_name(k):
    return "h%03d.test" % (k % HOSTS)


def host_index(name):
    name = name.lower().split(":")[0]
    if len(name) == 9 and name.startswith("h") and name.endswith(".test") and name[1:4].isdigit():
        return int(name[1:4])
    return None


def host_profile(k):
    """Round trip (s), lookup delay (s) and kind of host k, the same in every run."""
    rng = random.Random(k * 7919 + 17)
    rtt = min(0.400, max(0.020, math.exp(rng.gauss(math.log(0.120), 0.6))))
    lookup = rng.uniform(0.020, 0.080)
    kind = "normal"
    if k < ROOTS:
        pass
    elif k % 50 == 7:
        kind = "silent"
    elif k % 50 == 23:
        kind = "refuse"
    elif k % 50 == 41:
        kind = "drip"
    return rtt, lookup, kind


PROFILES = [host_profile(k) for k in range(HOSTS)]

WORDS = ("plumbing heating boilers radiators drains county engineers service estimates "
         "emergency maintenance plans homes offices quality local family owned since").split()


def _fillers():
    rng = random.Random(4242)
    blocks = []
    for _ in range(16):
        lines, size = [], 0
        while size < 15000:
            line = "<p>%s.</p>\r\n" % " ".join(rng.choice(WORDS) for _ in range(14))
            lines.append(line)
            size += len(line)
        blocks.append("".join(lines))
    return blocks


FILLERS = _fillers()


@functools.lru_cache(maxsize=8192)
def page_bytes(h, p):
    """Page p of host h: about 20 KB with 100 links, the same bytes every time.

    Built by arithmetic rather than a random generator: the server must keep up with hundreds
    of pages a second on a shared machine."""
    n = h * PAGES_PER_HOST + p
    out = ["<html><head><title>%s page %d</title></head>\r\n<body>\r\n" % (host_name(h), p),
           "<h1>Plumbing and heating, %s page %d</h1>\r\n<ul>\r\n" % (host_name(h), p)]
    for k in range(100):
        x = (n * 2654435761 + k * 40503) & 0xFFFFFFFF
        q = x % PAGES_PER_HOST
        path = "p%d.html" % q if q else ""
        if k % 2 == 0:
            href = "/" + path
        else:
            # Mostly near hosts, sometimes far ones: the web widens as the crawl goes on.
            o = (h + 1 + (x >> 9) % 59) if (x >> 20) % 10 < 7 else (x >> 12)
            href = "http://%s/%s" % (host_name(o), path)
        out.append('<li><a href="%s">%s %d</a></li>\r\n' % (href, WORDS[k % len(WORDS)], k))
    out.append("</ul>\r\n")
    if n % 3 == 0:
        out.append("<p>Phone (201) 555-7000, Fax: (201) 555-%04d</p>\r\n" % (n % 10000))
    out.append(FILLERS[n % len(FILLERS)])
    out.append("</body></html>\r\n")
    return "".join(out).encode("latin-1")


class FarWeb:
    """The server: one asyncio protocol per connection, figures kept per run."""

    def __init__(self):
        self.reset()

    def reset(self):
        self.first_request = None
        self.done = []  # (end time, kind, wait) of completed fetches
        self.open_per_host = {}
        self.max_per_host = 0
        self.looked_up = set()
        self.requests = 0

    async def handle(self, reader, writer):
        sock = writer.get_extra_info("socket")
        try:
            head = await asyncio.wait_for(reader.readuntil(b"\r\n\r\n"), 30)
        except Exception:
            writer.close()
            return
        now = time.monotonic()
        if self.first_request is None:
            self.first_request = now
        self.requests += 1
        lines = head.decode("latin-1").split("\r\n")
        parts = lines[0].split(" ")
        target = parts[1] if len(parts) > 1 else "/"
        host = ""
        proxied = target.startswith("http://")
        if proxied:
            rest = target[len("http://"):]
            host, _, path = rest.partition("/")
            path = "/" + path
        else:
            path = target
            for line in lines[1:]:
                if line.lower().startswith("host:"):
                    host = line[5:].strip()
        k = host_index(host)
        if k is None:
            writer.write(b"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n")
            writer.close()
            return
        rtt, lookup, kind = PROFILES[k]
        key = host_name(k)
        open_now = self.open_per_host  # a request still open at a reset counts in its own run
        open_now[key] = open_now.get(key, 0) + 1
        self.max_per_host = max(self.max_per_host, open_now[key])
        try:
            # A proxy looks the name up for its client, once a run.
            if proxied and key not in self.looked_up:
                self.looked_up.add(key)
                await asyncio.sleep(lookup)
            if kind == "refuse":
                await asyncio.sleep(rtt)
                sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
                writer.transport.abort()
                return
            if kind == "silent":
                await asyncio.sleep(120)
                writer.transport.abort()
                return
            robots = path == "/robots.txt"
            if robots:
                body = b"not here\r\n"
                status = b"404 Not Found"
            else:
                p = 0
                if path.startswith("/p") and path.endswith(".html") and path[2:-5].isdigit():
                    p = int(path[2:-5]) % PAGES_PER_HOST
                elif path not in ("/", ""):
                    p = None
                if p is None:
                    body = b"no such page\r\n"
                    status = b"404 Not Found"
                else:
                    body = page_bytes(k, p)
                    status = b"200 OK"
            data = (b"HTTP/1.1 " + status + b"\r\nContent-Type: text/html\r\nContent-Length: " +
                    str(len(body)).encode() + b"\r\nConnection: close\r\n\r\n" + body)
            start = time.monotonic()
            await asyncio.sleep(2 * rtt)
            wait = 2 * rtt
            if kind == "drip":
                data = data[:2048]
                for i in range(0, len(data), 20):
                    writer.write(data[i:i + 20])
                    await writer.drain()
                    await asyncio.sleep(0.2)
                writer.close()
                return
            window = FIRST_WINDOW * SEGMENT
            sent = 0
            while True:
                writer.write(data[sent:sent + window])
                sent += window
                await writer.drain()
                if sent >= len(data):
                    break
                window *= 2
                await asyncio.sleep(rtt)
                wait += rtt
            writer.close()
            end = time.monotonic()
            if status == b"200 OK":
                self.done.append((end, "page", wait))
            elif robots:
                self.done.append((end, "robots", wait))
            del start
        except (ConnectionError, OSError):
            pass
        finally:
            open_now[key] -= 1

    def figures(self, seconds, connections):
        if self.first_request is None:
            return None
        end = self.first_request + seconds
        fetches = [d for d in self.done if d[0] <= end]
        pages = [d for d in fetches if d[1] == "page"]
        mean_wait = statistics.mean(d[2] for d in fetches) if fetches else 0.0
        return {
            "pages_per_s": len(pages) / seconds,
            "use": (len(fetches) / seconds) * mean_wait / connections,
            "mean_wait_ms": mean_wait * 1000,
            "max_per_host": self.max_per_host,
            "fetches": len(fetches),
        }


def start_xvfb(tmp):
    if os.environ.get("DISPLAY"):
        return None, os.environ["DISPLAY"]
    if not shutil.which("Xvfb"):
        return None, None
    r, w = os.pipe()
    proc = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", "1280x1024x24",
                             "-nolisten", "tcp"], pass_fds=(w,), stderr=subprocess.DEVNULL)
    os.close(w)
    # Xvfb writes the number and then a newline: the pipe stays open until both came.
    display = b""
    while not display.endswith(b"\n"):
        piece = os.read(r, 32)
        if not piece:
            break
        display += piece
    os.close(r)
    return proc, ":" + display.decode().strip()


async def run_client(args, web, port, tool, n, tmp, display):
    web.reset()
    out = os.path.join(tmp, "%s-%d" % (tool, n))
    os.makedirs(out, exist_ok=True)
    roots = os.path.join(tmp, "roots.txt")
    if tool == "crawl":
        env = dict(os.environ, NORVANE_CONNECT_TO="127.0.0.1:%d" % port, BENCH_POLITE="1",
                   BENCH_SITE_PAGES="0", BENCH_SKIP_READ="1")
        if display:
            env.update(QT_QPA_PLATFORM="xcb", DISPLAY=display)
        else:
            env.update(QT_QPA_PLATFORM="offscreen")
        cmd = [os.path.join(args.build, "bin", "crawl_bench"), "--app-dir", out, "--roots", roots,
               "--fetches", "10000000", "--stall-limit", str(args.seconds + 30),
               "--time-limit", str(args.seconds + 2), "--connections", str(n),
               "--lookup-delay", "20-80"]
    else:
        env = {k: v for k, v in os.environ.items() if "proxy" not in k.lower()}
        cmd = ["wget2", "--no-config", "-q", "-r", "-l", "inf", "-H", "--max-threads=%d" % n,
               "--http-proxy=127.0.0.1:%d" % port, "--no-http-keep-alive", "--robots=off",
               "--no-hsts", "--no-hpkp", "--no-tcp-fastopen", "--max-redirect=0", "--tries=1",
               "--connect-timeout=10", "--read-timeout=10", "-P", out,
               "-i", os.path.join(tmp, "wget2-roots.txt")]
    errors = open(os.path.join(tmp, "%s-%d.err" % (tool, n)), "ab")
    proc = await asyncio.create_subprocess_exec(*cmd, env=env, stdout=asyncio.subprocess.PIPE,
                                                stderr=errors)
    errors.close()
    started = time.monotonic()
    while web.first_request is None and time.monotonic() - started < 60:
        await asyncio.sleep(0.05)
    await asyncio.sleep(max(0.0, (web.first_request or started) + args.seconds + 0.3
                            - time.monotonic()))
    if tool == "wget2" and proc.returncode is None:
        proc.send_signal(signal.SIGTERM)
    try:
        stdout, _ = await asyncio.wait_for(proc.communicate(), 60)
    except asyncio.TimeoutError:
        proc.kill()
        stdout, _ = await proc.communicate()
    figures = web.figures(args.seconds, n) or {}
    for line in (stdout or b"").decode(errors="replace").splitlines():
        if line.startswith("RESULT"):
            for field in line.split()[1:]:
                name, _, value = field.partition("=")
                if name in ("peak_rss_mb", "lookups", "lookup_late_ms", "lookups_at_once",
                            "cpu_ms_per_page"):
                    figures[name] = float(value)
    shutil.rmtree(out, ignore_errors=True)
    return figures


def quiet_cancelled(loop, context):
    # Requests still open when a run ends are cancelled; Python 3.11 reports each of them.
    if isinstance(context.get("exception"), asyncio.CancelledError):
        return
    loop.default_exception_handler(context)


async def main():
    global PAGES_PER_HOST
    asyncio.get_running_loop().set_exception_handler(quiet_cancelled)
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build", default=os.path.join(os.path.dirname(here), "build"))
    parser.add_argument("--crawl", default="10,100,200", help="connections of the crawl runs")
    parser.add_argument("--wget2", default="10,50,100,200", help="threads of the wget2 runs")
    parser.add_argument("--seconds", type=int, default=25)
    parser.add_argument("--repeat", type=int, default=3)
    parser.add_argument("--pages-per-host", type=int, default=PAGES_PER_HOST,
                        help="pages of each host (small sites leave no fast host to stay on)")
    parser.add_argument("--serve", type=int, metavar="PORT",
                        help="only serve the far web on 127.0.0.1:PORT, until interrupted")
    args = parser.parse_args()
    PAGES_PER_HOST = max(1, args.pages_per_host)
    if args.serve:
        web = FarWeb()
        server = await asyncio.start_server(web.handle, "127.0.0.1", args.serve, backlog=1024)
        async with server:
            await server.serve_forever()
    crawl_ns = [int(x) for x in args.crawl.split(",") if x]
    wget2_ns = [int(x) for x in args.wget2.split(",") if x]
    if wget2_ns and not shutil.which("wget2"):
        sys.exit("wget2 is missing: apt-get install wget2")

    tmp = tempfile.mkdtemp(prefix="norvane-farweb.", dir="/var/tmp")
    with open(os.path.join(tmp, "roots.txt"), "w") as f:
        f.writelines(host_name(k) + "\n" for k in range(ROOTS))
    with open(os.path.join(tmp, "wget2-roots.txt"), "w") as f:
        f.writelines("http://%s/\n" % host_name(k) for k in range(ROOTS))
    web = FarWeb()
    server = await asyncio.start_server(web.handle, "127.0.0.1", 0, backlog=1024)
    port = server.sockets[0].getsockname()[1]
    xvfb, display = start_xvfb(tmp) if crawl_ns else (None, None)
    print("far web on 127.0.0.1:%d, %d hosts of %d pages; load %s" %
          (port, HOSTS, PAGES_PER_HOST, open("/proc/loadavg").read().split()[:3]), flush=True)
    results = {}
    try:
        for r in range(args.repeat):
            for tool, ns in (("crawl", crawl_ns), ("wget2", wget2_ns)):
                for n in ns:
                    f = await run_client(args, web, port, tool, n, tmp, display)
                    results.setdefault((tool, n), []).append(f)
                    print("run %d %s N=%d: %s" % (r + 1, tool, n, " ".join(
                        "%s=%.3g" % kv for kv in sorted(f.items()))), flush=True)
    finally:
        server.close()
        if xvfb:
            xvfb.terminate()
            xvfb.wait()
        if os.environ.get("KEEP") == "1":
            print("kept " + tmp)
        else:
            shutil.rmtree(tmp, ignore_errors=True)

    def med(runs, name):
        values = [f[name] for f in runs if name in f]
        return statistics.median(values) if values else float("nan")

    print("\n| | N | pages/s | use | mean wait ms | most requests of one host at once | peak MB |")
    print("|---|---|---|---|---|---|---|")
    for (tool, n), runs in results.items():
        print("| %s | %d | %.1f | %.2f | %.0f | %d | %s |" % (
            "Norvane" if tool == "crawl" else "wget2", n, med(runs, "pages_per_s"),
            med(runs, "use"), med(runs, "mean_wait_ms"), max(f.get("max_per_host", 0) for f in runs),
            "%.0f" % med(runs, "peak_rss_mb") if tool == "crawl" else "-"))
    print("(medians of %d runs of %d s; load after: %s)" %
          (args.repeat, args.seconds, open("/proc/loadavg").read().split()[:3]))


if __name__ == "__main__":
    asyncio.run(main())
