#!/usr/bin/python3
"""Real peers for the relay's tests, run on 127.0.0.1 and tied to a lifeline.

The Windows test programs start this script, but Wine runs Unix programs
without a handle to stop them by and without passing them pipes. So the
test listens on a loopback port and names it first; this script connects
there, reports over that connection, and stops everything it started as
soon as the connection closes, which happens at the latest when the test
program ends, however it ends.

  peer.py LIFELINE serve socks5 [USER PASSWORD]  microsocks       -> "READY port"
  peer.py LIFELINE serve socks4                  dante            -> "READY port"
  peer.py LIFELINE serve origin [tls]            HTTP/1.1 origin  -> "READY port"
  peer.py LIFELINE run CHECK PROGRAM ARG...      runs PROGRAM     -> "EXIT code size verdict"

CHECK for run is "bytes:N" (the output must be the origin's /bytes/N body),
"text:T" (the output must contain T) or "-" (verdict always "ok").
"""

import functools
import http.server
import os
import random
import shutil
import socket
import ssl
import subprocess
import sys
import tempfile
import threading
import time

BLOCK = random.Random(20261206).randbytes(65521)  # a prime length: shifts show


@functools.lru_cache(maxsize=4)
def pattern(n):
    whole, rest = divmod(n, len(BLOCK))
    return BLOCK * whole + BLOCK[:rest]


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_listening(port, process, seconds=10):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if process is not None and process.poll() is not None:
            return False
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=0.5):
                return True
        except OSError:
            time.sleep(0.05)
    return False


LIFELINE = None


def say(line):
    LIFELINE.sendall((line + "\n").encode())


def wait_for_lifeline():
    try:
        while LIFELINE.recv(4096):
            pass
    except OSError:
        pass


def start_program(make_command, tries=5):
    """Starts a server on a port found free; another program may take the
    port between the check and the start, so a failed start tries again."""
    for _ in range(tries):
        port = free_port()
        process = subprocess.Popen(make_command(port), stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if wait_listening(port, process):
            return port, process
        process.kill()
        process.wait()
    raise SystemExit("peer did not start")


def serve_program(make_command):
    port, process = start_program(make_command)
    try:
        say(f"READY {port}")
        wait_for_lifeline()
    finally:
        process.terminate()
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def socks5(args):
    auth = ["-u", args[0], "-P", args[1]] if len(args) >= 2 else []
    serve_program(lambda port: ["microsocks", "-i", "127.0.0.1", "-p", str(port)] + auth)


def socks4(args):
    folder = tempfile.mkdtemp(prefix="relay-dante-")
    try:
        def command(port):
            config = os.path.join(folder, f"sockd-{port}.conf")
            with open(config, "w") as f:
                f.write(f"""logoutput: stderr
internal: 127.0.0.1 port = {port}
external: 127.0.0.1
clientmethod: none
socksmethod: none
user.unprivileged: nobody
client pass {{ from: 127.0.0.0/8 to: 0.0.0.0/0 }}
socks pass {{ from: 127.0.0.0/8 to: 0.0.0.0/0 }}
""")
            return ["/usr/sbin/danted", "-f", config, "-N", "1", "-p", os.path.join(folder, "pid")]
        serve_program(command)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


class Origin(http.server.BaseHTTPRequestHandler):
    """GET /bytes/N: N bytes of the test pattern. POST: the body back."""

    protocol_version = "HTTP/1.1"
    disable_nagle_algorithm = True

    def log_message(self, *args):
        pass

    def handle(self):
        # Tests cut downloads short on purpose.
        try:
            super().handle()
        except (BrokenPipeError, ConnectionResetError):
            pass

    def read_body(self):
        if "chunked" in self.headers.get("Transfer-Encoding", "").lower():
            body = bytearray()
            while True:
                size = int(self.rfile.readline().split(b";")[0], 16)
                if size == 0:
                    while self.rfile.readline() not in (b"\r\n", b"\n", b""):
                        pass
                    return bytes(body)
                body += self.rfile.read(size)
                self.rfile.readline()
        return self.rfile.read(int(self.headers.get("Content-Length", 0)))

    def answer(self, body, content_type="application/octet-stream"):
        self.send_response(200)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        # Head and body in one write: two small writes would meet Nagle's
        # algorithm and the client's delayed ACK and add tens of milliseconds.
        self._headers_buffer.append(b"\r\n")
        head = b"".join(self._headers_buffer)
        self._headers_buffer = []
        self.wfile.write(head + body)

    def do_GET(self):
        if self.path.startswith("/bytes/"):
            self.answer(pattern(int(self.path[len("/bytes/"):].split("?")[0])))
        else:
            self.answer(b"hello from origin\n", "text/plain")

    def do_POST(self):
        self.answer(self.read_body())


def origin(args):
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Origin)
    server.daemon_threads = True
    folder = None
    if args[:1] == ["tls"]:
        folder = tempfile.mkdtemp(prefix="relay-tls-")
        key, cert = os.path.join(folder, "key.pem"), os.path.join(folder, "cert.pem")
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=localhost",
                        "-days", "1", "-keyout", key, "-out", cert], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(cert, key)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    try:
        say(f"READY {server.server_address[1]}")
        wait_for_lifeline()
    finally:
        server.shutdown()
        if folder:
            shutil.rmtree(folder, ignore_errors=True)


def run(args):
    check, command = args[0], args[1:]
    process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL)
    # A test that dies mid-run must not leave the program behind.
    def lifeline():
        wait_for_lifeline()
        if process.poll() is None:
            process.kill()
    threading.Thread(target=lifeline, daemon=True).start()
    output = process.stdout.read()
    code = process.wait()
    if check.startswith("bytes:"):
        verdict = output == pattern(int(check[len("bytes:"):]))
    elif check.startswith("text:"):
        verdict = check[len("text:"):].encode() in output
    else:
        verdict = True
    say(f"EXIT {code} {len(output)} {'ok' if verdict else 'bad'}")


def main():
    global LIFELINE
    if len(sys.argv) < 3 or not sys.argv[1].isdigit():
        raise SystemExit(__doc__)
    LIFELINE = socket.create_connection(("127.0.0.1", int(sys.argv[1])), timeout=30)
    LIFELINE.settimeout(None)
    args = sys.argv[2:]
    kinds = {"socks5": socks5, "socks4": socks4, "origin": origin}
    if args[0] == "run":
        run(args[1:])
    elif len(args) >= 2 and args[0] == "serve" and args[1] in kinds:
        kinds[args[1]](args[2:])
    else:
        raise SystemExit(__doc__)


if __name__ == "__main__":
    main()
