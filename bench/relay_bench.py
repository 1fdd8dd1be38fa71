#!/usr/bin/python3
"""The relay against the SOCKS server it stands in front of.

curl downloads a 200 MB file and makes 1000 small keep-alive requests
(a) through microsocks directly (--socks5-hostname) and (b) through the relay
(under Wine) in front of the same microsocks, from the same HTTP origin, all
on 127.0.0.1. Then it times CONNECT set-up through a microsocks that wants
user and password, directly (the SOCKS5 conversation) and through the relay
(CONNECT to its 71-byte reply), and holds 200 connections through the relay
at once. Prints each figure, the ratios, and the targets.

Under Wine every socket call costs many times what it costs natively, so the
keep-alive requests are also made through wine_forwarder, a bare blocking
forwarder under Wine in front of the same SOCKS server: what one more Wine
process in the path costs before any relaying work, printed beside the relay.

  cmake --preset win64 && cmake --build --preset win64
  bench/relay_bench.py [--bulk-mb 200] [--requests 1000]
"""

import argparse
import http.server
import os
import socket
import statistics
import struct
import subprocess
import sys
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "relay", "peers"))
import peer  # noqa: E402  the tests' origin and server starter

BUILD = os.path.join(ROOT, "build", "win64")
WINE_RUN = os.path.join(ROOT, "scripts", "wine-run")


class WineForwarder:
    def __init__(self, upstream_port):
        command = [WINE_RUN, "--prefix", os.path.join(BUILD, "wineprefix"),
                   os.path.join(BUILD, "bin", "wine_forwarder.exe"), str(upstream_port)]
        self.process = subprocess.Popen(command, stdout=subprocess.PIPE)
        line = self.process.stdout.readline().decode().split()
        if len(line) != 2 or line[0] != "port":
            raise SystemExit("wine_forwarder did not start")
        self.port = int(line[1])

    def close(self):
        self.process.kill()
        self.process.wait(30)


class Relay:
    def __init__(self, scheme, upstream_port, user="", password=""):
        command = [WINE_RUN, "--prefix", os.path.join(BUILD, "wineprefix"),
                   os.path.join(BUILD, "bin", "relay_serve.exe"), scheme, "127.0.0.1", str(upstream_port)]
        if user:
            command += [user, password]
        self.process = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        line = self.process.stdout.readline().decode().split()
        if len(line) != 2 or line[0] != "port":
            raise SystemExit("relay did not start")
        self.port = int(line[1])

    def close(self):
        self.process.stdin.close()
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


def relay_connect_setup(relay_port, target_port):
    start = time.perf_counter()
    with socket.create_connection(("127.0.0.1", relay_port)) as c:
        c.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        c.sendall(f"CONNECT 127.0.0.1:{target_port} HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n".encode())
        if not read_exactly(c, 71).startswith(b"HTTP/1.0 200"):
            raise SystemExit("relay CONNECT refused")
        return time.perf_counter() - start


def concurrent_requests(relay_port, origin_port, count):
    errors = []
    barrier = threading.Barrier(count)

    def one(i):
        try:
            with socket.create_connection(("127.0.0.1", relay_port), timeout=60) as c:
                barrier.wait(60)
                c.sendall(f"GET http://127.0.0.1:{origin_port}/bytes/{1000 + i} HTTP/1.1\r\nHost: o\r\n\r\n".encode())
                data = b""
                while b"\r\n\r\n" not in data:
                    more = c.recv(65536)
                    if not more:
                        raise OSError("closed")
                    data += more
                head, body = data.split(b"\r\n\r\n", 1)
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


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bulk-mb", type=int, default=200)
    parser.add_argument("--requests", type=int, default=1000)
    parser.add_argument("--setups", type=int, default=200)
    options = parser.parse_args()
    if not os.path.exists(os.path.join(BUILD, "bin", "relay_serve.exe")):
        raise SystemExit("build the win64 preset first")
    subprocess.run([WINE_RUN, "--prefix", os.path.join(BUILD, "wineprefix"), "--start"], check=True)

    origin = start_origin()
    origin_port = origin.server_address[1]
    socks_port, socks = microsocks()
    auth_port, auth_socks = microsocks("bench", "bench-secret")
    relay = Relay("socks5", socks_port)
    auth_relay = Relay("socks5", auth_port, "bench", "bench-secret")
    forwarder = WineForwarder(socks_port)
    try:
        size = options.bulk_mb * 1024 * 1024
        bulk_url = f"http://127.0.0.1:{origin_port}/bytes/{size}"
        peer.pattern(size)  # made once, before anything is timed
        direct_proxy = ["--socks5-hostname", f"127.0.0.1:{socks_port}"]
        relay_proxy = ["-x", f"http://127.0.0.1:{relay.port}"]
        bulk_direct = best_of(3, lambda: timed_curl(direct_proxy + [bulk_url]))
        bulk_relay = best_of(3, lambda: timed_curl(relay_proxy + [bulk_url]))

        many_url = f"http://127.0.0.1:{origin_port}/bytes/100?[1-{options.requests}]"
        many_direct = best_of(3, lambda: timed_curl(direct_proxy + [many_url]))
        many_relay = best_of(3, lambda: timed_curl(relay_proxy + [many_url]))
        forwarded_proxy = ["--socks5-hostname", f"127.0.0.1:{forwarder.port}"]
        many_forwarded = best_of(3, lambda: timed_curl(forwarded_proxy + [many_url]))

        direct_setups = [direct_socks5_setup(auth_port, origin_port, "bench", "bench-secret")
                         for _ in range(options.setups)]
        relay_setups = [relay_connect_setup(auth_relay.port, origin_port) for _ in range(options.setups)]

        errors = concurrent_requests(relay.port, origin_port, 200)
    finally:
        relay.close()
        auth_relay.close()
        forwarder.close()
        for process in (socks, auth_socks):
            process.terminate()
            process.wait()
        origin.shutdown()

    mb = size / 1e6
    throughput_ratio = bulk_direct / bulk_relay
    rate_ratio = many_direct / many_relay
    setup_direct = statistics.median(direct_setups) * 1000
    setup_relay = statistics.median(relay_setups) * 1000
    print(f"bulk {options.bulk_mb} MiB        direct {mb / bulk_direct:8.1f} MB/s   relay {mb / bulk_relay:8.1f} MB/s"
          f"   ratio {throughput_ratio:5.2f}  (target >= 0.80)")
    print(f"{options.requests} keep-alive requests  direct {options.requests / many_direct:8.1f} /s     "
          f"relay {options.requests / many_relay:8.1f} /s     ratio {rate_ratio:5.2f}  (target >= 0.70)")
    print(f"  the same through a bare forwarder under Wine: {options.requests / many_forwarded:8.1f} /s     "
          f"ratio {many_direct / many_forwarded:5.2f}  (Wine's own cost, for scale)")
    print(f"CONNECT set-up, median   direct {setup_direct:8.3f} ms     relay {setup_relay:8.3f} ms"
          f"     extra {setup_relay - setup_direct:6.3f} ms  (target <= 2 ms)")
    print(f"200 concurrent connections through the relay: {len(errors)} errors  (target 0)"
          + (f": {errors[:3]}" if errors else ""))


if __name__ == "__main__":
    main()
