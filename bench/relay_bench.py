#!/usr/bin/python3
"""The relay against the SOCKS server it stands in front of, and against privoxy.

Every path leads to one SOCKS5 server (microsocks) and one HTTP origin, all on
127.0.0.1: curl directly through the SOCKS server (--socks5-hostname), through
privoxy (forward-socks5), and through the relay of each Windows build under
Wine. For each path: a 200 MB download and 1000 small keep-alive requests (best
of runs), and the median CONNECT set-up time through a SOCKS server that wants
user and password. For each relay: how many connections it holds at once
(idle ones first, then busy ones on top), and its process's thread count and
memory before, at the peak and after they have all closed.

Under Wine every socket call costs many times what it costs natively, so the
keep-alive requests are also made through wine_forwarder, a bare blocking
forwarder under Wine in front of the same SOCKS server: what one more Wine
process in the path costs before any relaying work, printed beside the relay.

  cmake --preset win32 && cmake --build --preset win32   (and/or win64)
  bench/relay_bench.py [--bulk-mb 200] [--requests 1000] [--idle 1500] [--busy 100]
"""

import argparse
import http.server
import os
import resource
import shutil
import socket
import statistics
import struct
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))
import peer  # noqa: E402  the tests' origin and server starter

WINE_RUN = os.path.join(ROOT, "scripts", "wine-run")
BUILDS = ("win32", "win64")


def wine_run(build):
    return [WINE_RUN, "--arch", build, "--prefix", os.path.join(ROOT, "build", build, "wineprefix")]


def wine(build, program, *arguments):
    return wine_run(build) + [os.path.join(ROOT, "build", build, "bin", program)] + [str(a) for a in arguments]


def built(build):
    return os.path.exists(os.path.join(ROOT, "build", build, "bin", "relay_serve.exe"))


class WineForwarder:
    def __init__(self, build, upstream_port):
        command = wine(build, "wine_forwarder.exe", upstream_port)
        self.process = subprocess.Popen(command, stdout=subprocess.PIPE)
        line = self.process.stdout.readline().decode().split()
        if len(line) != 2 or line[0] != "port":
            raise SystemExit("wine_forwarder did not start")
        self.port = int(line[1])

    def close(self):
        self.process.kill()
        self.process.wait(30)


class Relay:
    def __init__(self, build, scheme, upstream_port, user="", password=""):
        command = wine(build, "relay_serve.exe", scheme, "127.0.0.1", upstream_port)
        if user:
            command += [user, password]
        self.process = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        line = self.process.stdout.readline().decode().split()
        if len(line) != 2 or line[0] != "port":
            raise SystemExit("relay did not start")
        self.port = int(line[1])

    def usage(self):
        """Threads and resident memory (KiB) of the relay's process."""
        fields = {}
        with open(f"/proc/{self.process.pid}/status") as status:
            for line in status:
                name, _, value = line.partition(":")
                fields[name] = value.split()
        return int(fields["Threads"][0]), int(fields["VmRSS"][0])

    def close(self):
        self.process.stdin.close()
        self.process.wait(30)


class Privoxy:
    def __init__(self, socks_port, folder, credentials=""):
        def command(port):
            config = os.path.join(folder, f"privoxy-{port}.conf")
            with open(config, "w") as f:
                f.write(f"listen-address 127.0.0.1:{port}\n"
                        f"forward-socks5 / {credentials}127.0.0.1:{socks_port} .\n"
                        "max-client-connections 4096\n"
                        "keep-alive-timeout 30\n"
                        f"logdir {folder}\n")
            return ["privoxy", "--no-daemon", config]
        self.port, self.process = peer.start_program(command)

    def close(self):
        self.process.terminate()
        self.process.wait(30)


def start_origin():
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), peer.Origin)
    server.daemon_threads = True
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def microsocks(user=None, password=None):
    auth = ["-u", user, "-P", password] if user else []
    return peer.start_program(lambda port: ["microsocks", "-i", "127.0.0.1", "-p", str(port)] + auth)


def timed_curl(arguments):
    start = time.perf_counter()
    result = subprocess.run(["curl", "-sS", "--fail"] + arguments, stdout=subprocess.DEVNULL)
    elapsed = time.perf_counter() - start
    if result.returncode != 0:
        raise SystemExit(f"curl failed ({result.returncode}): {arguments}")
    return elapsed


def best_of(runs, measure):
    return min(measure() for _ in range(runs))


def read_exactly(connection, n):
    data = b""
    while len(data) < n:
        more = connection.recv(n - len(data))
        if not more:
            raise SystemExit("connection closed during set-up")
        data += more
    return data


def direct_socks5_setup(socks_port, target_port, user, password):
    start = time.perf_counter()
    with socket.create_connection(("127.0.0.1", socks_port)) as c:
        c.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        c.sendall(b"\x05\x02\x02\x00")
        read_exactly(c, 2)
        c.sendall(bytes([1, len(user)]) + user.encode() + bytes([len(password)]) + password.encode())
        read_exactly(c, 2)
        c.sendall(b"\x05\x01\x00\x01" + socket.inet_aton("127.0.0.1") + struct.pack(">H", target_port))
        reply = read_exactly(c, 10)
        if reply[1] != 0:
            raise SystemExit("direct CONNECT refused")
        return time.perf_counter() - start


def read_head(connection):
    """An HTTP head and whatever came behind it."""
    data = b""
    while b"\r\n\r\n" not in data:
        more = connection.recv(65536)
        if not more:
            raise OSError("closed before the end of the head")
        data += more
    return data.split(b"\r\n\r\n", 1)


def http_connect_setup(proxy_port, target_port):
    start = time.perf_counter()
    with socket.create_connection(("127.0.0.1", proxy_port)) as c:
        c.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        c.sendall(f"CONNECT 127.0.0.1:{target_port} HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n".encode())
        head, _ = read_head(c)
        if b" 200 " not in head.split(b"\r\n", 1)[0]:
            raise SystemExit(f"CONNECT refused: {head[:60]!r}")
        return time.perf_counter() - start


def concurrent_requests(relay_port, origin_port, count):
    errors = []
    barrier = threading.Barrier(count)

    def one(i):
        try:
            with socket.create_connection(("127.0.0.1", relay_port), timeout=60) as c:
                barrier.wait(60)
                c.sendall(f"GET http://127.0.0.1:{origin_port}/bytes/{1000 + i} HTTP/1.1\r\nHost: o\r\n\r\n".encode())
                _, body = read_head(c)
                while len(body) < 1000 + i:
                    more = c.recv(65536)
                    if not more:
                        raise OSError("closed")
                    body += more
                if body != peer.pattern(1000 + i):
                    raise OSError("wrong body")
        except Exception as error:  # noqa: BLE001  every failure counts
            errors.append(str(error))

    threads = [threading.Thread(target=one, args=(i,)) for i in range(count)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    return errors


def hold_connections(relay, origin_port, idle, busy):
    """Opens idle connections that send nothing, then busy ones on top.
    Returns (idle still open, busy errors, peak usage)."""
    held = []
    for _ in range(idle):
        try:
            held.append(socket.create_connection(("127.0.0.1", relay.port), timeout=30))
        except OSError:
            pass  # turned away: no thread to serve it
    time.sleep(2)
    errors = concurrent_requests(relay.port, origin_port, busy)
    peak = relay.usage()
    still_open = 0
    for c in held:
        c.setblocking(False)
        try:
            still_open += 1 if c.recv(1) else 0   # data is not expected
        except BlockingIOError:
            still_open += 1                        # open and quiet
        except OSError:
            pass                                   # refused or reset
        c.close()
    return still_open, errors, peak


def settle(relay, baseline_threads, seconds=30):
    deadline = time.monotonic() + seconds
    usage = relay.usage()
    while usage[0] > baseline_threads and time.monotonic() < deadline:
        time.sleep(0.5)
        usage = relay.usage()
    return usage


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bulk-mb", type=int, default=200)
    parser.add_argument("--requests", type=int, default=1000)
    parser.add_argument("--setups", type=int, default=200)
    parser.add_argument("--runs", type=int, default=2)
    parser.add_argument("--idle", type=int, default=1500)
    parser.add_argument("--busy", type=int, default=100)
    options = parser.parse_args()
    builds = [b for b in BUILDS if built(b)]
    if not builds:
        raise SystemExit("build the win32 or win64 preset first")
    # Every held connection is a descriptor of this process.
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    resource.setrlimit(resource.RLIMIT_NOFILE, (max(soft, min(hard, 65536)), hard))
    for build in builds:
        subprocess.run(wine_run(build) + ["--start"], check=True)

    folder = tempfile.mkdtemp(prefix="relay-bench-")
    origin = start_origin()
    origin_port = origin.server_address[1]
    socks_port, socks = microsocks()
    auth_port, auth_socks = microsocks("bench", "bench-secret")
    privoxy = Privoxy(socks_port, folder)
    auth_privoxy = Privoxy(auth_port, folder, "bench:bench-secret@")
    size = options.bulk_mb * 1024 * 1024
    peer.pattern(size)  # made once, before anything is timed
    bulk_url = f"http://127.0.0.1:{origin_port}/bytes/{size}"
    many_url = f"http://127.0.0.1:{origin_port}/bytes/100?[1-{options.requests}]"
    rows = []
    held = []

    def measure(name, proxy, setup):
        bulk = best_of(options.runs, lambda: timed_curl(proxy + [bulk_url]))
        many = best_of(options.runs, lambda: timed_curl(proxy + [many_url]))
        setups = statistics.median(setup() for _ in range(options.setups)) * 1000
        rows.append((name, size / 1e6 / bulk, options.requests / many, setups))

    try:
        measure("direct SOCKS5", ["--socks5-hostname", f"127.0.0.1:{socks_port}"],
                lambda: direct_socks5_setup(auth_port, origin_port, "bench", "bench-secret"))
        measure("privoxy", ["-x", f"http://127.0.0.1:{privoxy.port}"],
                lambda: http_connect_setup(auth_privoxy.port, origin_port))
        for build in builds:
            relay = Relay(build, "socks5", socks_port)
            auth_relay = Relay(build, "socks5", auth_port, "bench", "bench-secret")
            forwarder = WineForwarder(build, socks_port)
            try:
                measure(f"relay {build}", ["-x", f"http://127.0.0.1:{relay.port}"],
                        lambda: http_connect_setup(auth_relay.port, origin_port))
                forwarded = best_of(options.runs, lambda: timed_curl(
                    ["--socks5-hostname", f"127.0.0.1:{forwarder.port}", many_url]))
                rows.append((f"  bare forwarder under Wine {build}", None, options.requests / forwarded, None))
                before = relay.usage()
                still_open, errors, peak = hold_connections(relay, origin_port, options.idle, options.busy)
                after = settle(relay, before[0])
                held.append((build, still_open, errors, before, peak, after))
            finally:
                relay.close()
                auth_relay.close()
                forwarder.close()
    finally:
        privoxy.close()
        auth_privoxy.close()
        for process in (socks, auth_socks):
            process.terminate()
            process.wait()
        origin.shutdown()
        shutil.rmtree(folder, ignore_errors=True)

    print(f"{'path':36} {'bulk MB/s':>10} {'requests/s':>11} {'CONNECT ms':>11}")
    for name, bulk, rate, setup in rows:
        print(f"{name:36} {'' if bulk is None else f'{bulk:10.1f}':>10} {rate:11.1f} "
              f"{'' if setup is None else f'{setup:11.3f}':>11}")
    for build, still_open, errors, before, peak, after in held:
        print(f"relay {build}: {options.idle} idle connections, {still_open} still held after "
              f"{options.busy} busy ones on top, {len(errors)} busy failed"
              + (f" ({errors[0]})" if errors else ""))
        print(f"  threads {before[0]} -> {peak[0]} -> {after[0]}, resident KiB {before[1]} -> {peak[1]} -> {after[1]}")


if __name__ == "__main__":
    main()
