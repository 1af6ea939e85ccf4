#!/usr/bin/env python3
"""Loopback HTTP server that stands in for the time page in the tests.

Run as `python3 tests/e2e/time_server.py --port N`. It listens on 127.0.0.1
only, prints one line "ready" once it accepts connections and stops on
SIGTERM or SIGINT.

  GET /special/time/     the time page; what it says depends on the mode:
                           now            window.baidu_time(<Unix ms>); sent while
                                          the wall clock's fraction of a second is
                                          between 0.05 and 0.30 s, so that a client
                                          dropping the milliseconds stays well
                                          within half a second of the true time
                           empty          200 with Content-Length 0
                           offset:<s>     like now, shifted by <s> seconds
                           fixed:<ms>     window.baidu_time(<ms>); exactly
  GET /home/             a small HTML page
  GET /__mode/<mode>     sets the mode; 200 "ok" (400 for an unknown mode)
  GET /__requests        the raw request heads (request line and headers)
                         received for every path not under /__, in order,
                         each ended by its blank line as on the wire
  GET /__reset           forgets those heads and sets the mode to now

Scenario pages for the fetch tests, each answering the way its name says:

  /fetch/not-found       404 with an HTML body
  /fetch/empty           200, Content-Length 0
  /fetch/no-length       25000 bytes without Content-Length, ended by closing
  /fetch/large           200000 bytes with Content-Length 200000
  /fetch/bad-length      a Content-Length value without digits, 5000 bytes
  /fetch/dropped         Content-Length 5000, connection closed after 3000 bytes
  /fetch/redirect        302 to /fetch/redirect-target
  /fetch/redirect-target the redirect's final page
  /fetch/endless         a body without end, until the client hangs up (the
                         server gives up by itself after 64 MiB or 60 s)
  /fetch/closed-port     the number of a loopback port that this server holds
                         bound but not listening, so connecting to it is refused

Bodies of the scenario pages are made by pattern_body(n): bytes that differ
from position to position, so a lost or repeated chunk shows up.
"""

import argparse
import signal
import socket
import socketserver
import sys
import threading
import time

MAX_HEAD_BYTES = 64 * 1024
ENDLESS_MAX_BYTES = 64 * 1024 * 1024
ENDLESS_MAX_SECONDS = 60
HOME_PAGE = (b"<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Tovren</title></head>\n"
             b"<body><h1>Tovren</h1><p>Test home page.</p></body></html>\n")
NOT_FOUND_PAGE = (b"<!DOCTYPE html>\n<html><head><title>404 Not Found</title></head>\n"
                  b"<body><h1>Not Found</h1><p>The page does not exist.</p></body></html>\n")
REDIRECT_TARGET_PAGE = b"<html><body>redirect target reached</body></html>\n"


def pattern_body(size):
    """`size` bytes of a repeating pattern whose period (251, a prime) does not
    divide any read chunk, so that a repeated or skipped chunk changes it."""
    period = bytes(range(251))
    return (period * (size // 251 + 1))[:size]


class State:
    """The mode and the recorded request heads, shared by all handler threads."""

    def __init__(self):
        self.lock = threading.Lock()
        self.mode = "now"
        self.heads = []

    def reset(self):
        with self.lock:
            self.mode = "now"
            self.heads = []

    def record(self, head):
        with self.lock:
            self.heads.append(head)

    def snapshot(self):
        with self.lock:
            return self.mode, list(self.heads)


def parse_mode(mode):
    """The mode as (name, number), or None when it is not a mode."""
    if mode in ("now", "empty"):
        return (mode, 0)
    name, sep, value = mode.partition(":")
    if not sep or name not in ("offset", "fixed"):
        return None
    try:
        return (name, int(value))
    except ValueError:
        return None


def wait_for_early_fraction():
    """Sleeps until the wall clock's fraction of a second is in [0.05, 0.30]."""
    while True:
        fraction = time.time() % 1.0
        if 0.05 <= fraction <= 0.30:
            return
        time.sleep((0.10 - fraction) % 1.0)


class Handler(socketserver.StreamRequestHandler):
    """One request per connection; the answer is HTTP/1.0 and the connection
    closes after it."""

    def handle(self):
        head = self.read_head()
        if head is None:
            return
        request_line = head.split("\r\n", 1)[0]
        parts = request_line.split(" ")
        if len(parts) != 3:
            self.answer(400, b"bad request\n")
            return
        method, target, _version = parts
        path = target.split("?", 1)[0]
        if not path.startswith("/__"):
            self.server.state.record(head)
        if method != "GET":
            self.answer(405, b"GET only\n")
            return
        try:
            self.dispatch(path)
        except (BrokenPipeError, ConnectionResetError):
            pass  # the client hung up; nothing left to say

    def read_head(self):
        """The request line and headers as text (CRLFs kept, the blank line
        left out), or None when the client closes first or sends too much."""
        lines = []
        size = 0
        while True:
            line = self.rfile.readline(MAX_HEAD_BYTES + 1)
            size += len(line)
            if not line or size > MAX_HEAD_BYTES:
                return None
            if line in (b"\r\n", b"\n"):
                return b"".join(lines).decode("latin-1")
            lines.append(line)

    def answer(self, status, body, content_type="text/plain", headers=(), length=True):
        reasons = {200: "OK", 302: "Found", 400: "Bad Request", 404: "Not Found", 405: "Method Not Allowed"}
        out = [f"HTTP/1.0 {status} {reasons[status]}", f"Content-Type: {content_type}", "Connection: close"]
        if length:
            out.append(f"Content-Length: {len(body)}")
        out.extend(headers)
        self.send_raw("\r\n".join(out).encode("latin-1") + b"\r\n\r\n" + body)

    def send_raw(self, data):
        self.wfile.write(data)
        self.wfile.flush()

    def time_page(self):
        mode, _ = self.server.state.snapshot()
        name, number = parse_mode(mode)
        if name == "empty":
            self.answer(200, b"", "text/javascript")
            return
        if name == "fixed":
            ms = number
        else:
            wait_for_early_fraction()
            ms = int(time.time() * 1000) + (number * 1000 if name == "offset" else 0)
        self.answer(200, f"window.baidu_time({ms});".encode("ascii"), "text/javascript")

    def dispatch(self, path):
        state = self.server.state
        if path == "/special/time/":
            self.time_page()
        elif path == "/home/":
            self.answer(200, HOME_PAGE, "text/html; charset=utf-8")
        elif path.startswith("/__mode/"):
            mode = path[len("/__mode/"):]
            if parse_mode(mode) is None:
                self.answer(400, f"unknown mode {mode}\n".encode("latin-1"))
                return
            with state.lock:
                state.mode = mode
            self.answer(200, b"ok")
        elif path == "/__requests":
            _, heads = state.snapshot()
            self.answer(200, "".join(head + "\r\n" for head in heads).encode("latin-1"))
        elif path == "/__reset":
            state.reset()
            self.answer(200, b"ok")
        elif path == "/fetch/not-found":
            self.answer(404, NOT_FOUND_PAGE, "text/html")
        elif path == "/fetch/empty":
            self.answer(200, b"")
        elif path == "/fetch/no-length":
            self.answer(200, pattern_body(25000), "application/octet-stream", length=False)
        elif path == "/fetch/large":
            self.answer(200, pattern_body(200000), "application/octet-stream")
        elif path == "/fetch/bad-length":
            self.answer(200, pattern_body(5000), "application/octet-stream",
                        headers=["Content-Length: unknown"], length=False)
        elif path == "/fetch/dropped":
            self.send_raw(b"HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n"
                          b"Connection: close\r\nContent-Length: 5000\r\n\r\n" + pattern_body(3000))
            self.connection.shutdown(socket.SHUT_WR)
        elif path == "/fetch/redirect":
            host = self.server.server_address
            self.answer(302, b"<html><body>moved</body></html>\n", "text/html",
                        headers=[f"Location: http://{host[0]}:{host[1]}/fetch/redirect-target"])
        elif path == "/fetch/redirect-target":
            self.answer(200, REDIRECT_TARGET_PAGE, "text/html")
        elif path == "/fetch/endless":
            self.endless()
        elif path == "/fetch/closed-port":
            self.answer(200, str(self.server.closed_port).encode("ascii"))
        else:
            self.answer(404, NOT_FOUND_PAGE, "text/html")

    def endless(self):
        self.send_raw(b"HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n\r\n")
        block = pattern_body(251 * 64)
        sent = 0
        deadline = time.monotonic() + ENDLESS_MAX_SECONDS
        while sent < ENDLESS_MAX_BYTES and time.monotonic() < deadline:
            self.wfile.write(block)
            sent += len(block)


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True  # TIME_WAIT only: a live listener on the port still makes bind fail

    def __init__(self, port):
        self.state = State()
        # Bound, never listening: the kernel refuses connections to it.
        self.closed_socket = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.closed_socket.bind(("127.0.0.1", 0))
        self.closed_port = self.closed_socket.getsockname()[1]
        super().__init__(("127.0.0.1", port), Handler)

    def server_close(self):
        super().server_close()
        self.closed_socket.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--port", type=int, required=True)
    args = parser.parse_args()
    try:
        server = Server(args.port)
    except OSError as error:
        print(f"time_server: cannot listen on 127.0.0.1:{args.port}: {error}", file=sys.stderr, flush=True)
        return 1

    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    worker = threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.2}, daemon=True)
    worker.start()
    print("ready", flush=True)
    while not stop.wait(0.5):
        pass
    server.shutdown()
    server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
