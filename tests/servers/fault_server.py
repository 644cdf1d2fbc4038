#!/usr/bin/env python3
"""A deliberately misbehaving HTTP server for the download tests.

Each path names one fault (dropped connections, ignored or wrong ranges, missing headers,
redirect chains, a trickling body, ...). Object bodies are a fixed pattern, byte i =
(i * 131 + 7) % 251, so a client's file can be checked at any offset without a copy of the
object. Every answer is HTTP/1.0 with Connection: close, and every request is appended to
fault.log as one JSON object per line before it is answered.

    fault_server.py --dir DIR --nginx-port2 PORT [--port 0] [--port-file F] [--pid-file F]
"""

import argparse
import email.utils
import http.server
import json
import os
import re
import select
import socket
import sys
import threading
import time
import urllib.parse

DEFAULT_LAST_MODIFIED = "Wed, 21 Oct 2015 07:28:00 GMT"
PERIOD = 251
# A whole number of periods, so any offset is a slice starting below PERIOD.
BLOCK = bytes((i * 131 + 7) % PERIOD for i in range(PERIOD)) * 262
CHUNK = len(BLOCK) - PERIOD
SMALL_OBJECT = 1000
LONG_LOCATION = 300
TRICKLE_INTERVAL = 7.0
MIRROR_CUT = 300000
# Nobody waits this long for a trickle; the cap keeps a forgotten client from pinning a thread
# until the servers stop.
TRICKLE_CAP = 600.0


def pattern(offset, length):
    """The object bytes [offset, offset + length) in pieces of at most CHUNK."""
    while length > 0:
        n = min(length, CHUNK)
        start = offset % PERIOD
        yield BLOCK[start:start + n]
        offset += n
        length -= n


def parse_range(value, size):
    """A "bytes=N-" or "bytes=N-M" range as (first, last), "unsatisfiable", or None to ignore."""
    m = re.fullmatch(r"\s*bytes\s*=\s*(\d+)\s*-\s*(\d*)\s*", value or "")
    if not m or (m.group(2) and int(m.group(2)) < int(m.group(1))):
        return None
    first = int(m.group(1))
    if first >= size:
        return "unsatisfiable"
    return first, min(int(m.group(2)), size - 1) if m.group(2) else size - 1


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"
    server_version = "dl-fault"
    # A client that connects and never sends a request line must not hold a thread forever.
    timeout = 30

    def log_message(self, format, *args):  # noqa: A002 (base class name)
        pass  # fault.log has the requests; stderr stays quiet

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        self.server.log_request_json(self, url)
        self.query = urllib.parse.parse_qs(url.query)
        self.last_modified = DEFAULT_LAST_MODIFIED
        self.data = None
        if "file" in self.query and not self.load_file():
            return
        if "lm" in self.query:  # ?lm=EPOCH dates the object; anything else is a 400
            try:
                self.last_modified = email.utils.formatdate(int(self.query["lm"][0]), usegmt=True)
            except (ValueError, OverflowError, OSError):
                self.plain(400, "bad lm\n")
                return
        for pattern_re, method in ROUTES:
            m = re.fullmatch(pattern_re, url.path)
            if m:
                method(self, *[int(g) if g.isdigit() else g for g in m.groups()])
                return
        self.plain(404, "no such fault\n")

    def load_file(self):
        """?file=NAME: the bytes of www/update/NAME instead of the pattern; False after a 404."""
        name = os.path.basename(self.query["file"][0])
        try:
            with open(os.path.join(self.server.dir, "www", "update", name), "rb") as f:
                self.data = f.read()
        except OSError:
            self.plain(404, "no such file\n")
            return False
        return True

    def headers_only(self, code, length=None, last_modified=True, extra=()):
        self.send_response(code)
        self.send_header("Connection", "close")
        self.send_header("Content-Type", "application/octet-stream")
        if length is not None:
            self.send_header("Content-Length", str(length))
        if last_modified:
            self.send_header("Last-Modified", self.last_modified)
        for name, value in extra:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.flush()

    def body(self, offset, length):
        if self.data is not None:
            self.wfile.write(self.data[offset:offset + length])
            self.wfile.flush()
            return
        for piece in pattern(offset, length):
            self.wfile.write(piece)
        self.wfile.flush()

    def plain(self, code, text, extra=()):
        self.send_response(code)
        self.send_header("Connection", "close")
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(text)))
        for name, value in extra:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(text.encode())

    def own_url(self, path):
        return "http://127.0.0.1:%d%s" % (self.server.server_address[1], path)

    def object(self, size, after=None, last_modified=True):
        """The object with Range honoured; stops after `after` body bytes."""
        if self.data is not None:
            size = len(self.data)
        wanted = parse_range(self.headers.get("Range"), size)
        if wanted == "unsatisfiable":
            self.headers_only(416, 0, last_modified, [("Content-Range", "bytes */%d" % size)])
            return
        if wanted is None:
            code, first, length, extra = 200, 0, size, []
        else:
            first, last = wanted
            code, length = 206, last - first + 1
            extra = [("Content-Range", "bytes %d-%d/%d" % (first, last, size))]
        self.headers_only(code, length, last_modified, extra)
        self.body(first, length if after is None else min(after, length))

    # --- faults ---------------------------------------------------------

    def ignore_range(self, size):
        self.headers_only(200, size)
        self.body(0, size)

    def bad_content_range(self, size):  # a 206 that starts at 0 whatever was asked
        if parse_range(self.headers.get("Range"), size) is None:
            self.headers_only(200, size)
        else:
            whole = "bytes 0-%d/%d" % (size - 1, size)
            self.headers_only(206, size, extra=[("Content-Range", whole)])
        self.body(0, size)

    def range416(self, size):
        if parse_range(self.headers.get("Range"), size) is None:
            self.headers_only(200, size)
            self.body(0, size)
        else:
            # ?total=N lets a test claim another object length in the refusal.
            total = int(self.query.get("total", [size])[0])
            self.headers_only(416, 0, extra=[("Content-Range", "bytes */%d" % total)])

    def no_length(self, size):
        self.headers_only(200, None)
        self.body(0, size)

    def status(self, code):
        if code < 200 or code in (204, 304):
            self.headers_only(code, None)  # these answers have no body
            return
        self.headers_only(code, SMALL_OBJECT)
        self.body(0, SMALL_OBJECT)

    def redirect(self, n, code):
        if n <= 0:
            self.object(SMALL_OBJECT)
            return
        target = self.own_url("/redirect/%d/%d" % (n - 1, code))
        self.plain(code, "redirect\n", [("Location", target)])

    def loop(self):
        self.plain(302, "loop\n", [("Location", self.own_url("/loop"))])

    def long_location(self):
        prefix = self.own_url("/drop/%d/%d?pad=" % (SMALL_OBJECT, SMALL_OBJECT))
        self.plain(302, "long\n", [("Location", prefix + "x" * (LONG_LOCATION - len(prefix)))])

    def trickle(self, size):
        self.headers_only(200, size)
        deadline = time.monotonic() + TRICKLE_CAP
        sock = self.connection
        for offset in range(size):
            self.wfile.write(next(pattern(offset, 1)))
            self.wfile.flush()
            if offset + 1 == size:
                break
            # Wait out the interval, but notice at once when the client hangs up.
            wait_until = time.monotonic() + TRICKLE_INTERVAL
            while (left := wait_until - time.monotonic()) > 0:
                if time.monotonic() > deadline:
                    return
                if select.select([sock], [], [], left)[0] and not sock.recv(4096):
                    return  # closed by the client

    def dead(self):
        """A server that is gone: the connection closes without an answer."""
        self.close_connection = True
        self.connection.shutdown(socket.SHUT_RDWR)

    def run_clock(self):
        """Seconds since this path and query were first asked for; None at that first request."""
        start, first = self.server.first_seen(self.path)
        return None if first else time.monotonic() - start

    def busy(self, seconds, size):
        """503 with Retry-After for `seconds` after the first request, then the object."""
        # Half a second early is early enough: the client's clock and ours differ a little.
        left = seconds - (self.run_clock() or 0)
        if left > 0.5:
            self.plain(503, "busy\n", [("Retry-After", str(int(left + 0.999)))])
        else:
            self.object(size)

    def outage(self, size, cut, seconds):
        """The first answer breaks off after `cut` bytes; then the server is gone for
        `seconds`; then it serves the object, ranges honoured."""
        clock = self.run_clock()
        if clock is None:
            self.object(size, cut)
        elif clock < seconds:
            self.dead()
        else:
            self.object(size)

    def broken_mirror(self, name):
        """A mirror's copy of www/update/NAME, dated otherwise than nginx's: the first answer
        breaks off after MIRROR_CUT bytes, then the mirror is gone."""
        if self.data is None:
            self.query["file"] = [name]
            self.load_file()
            if self.data is None:
                return
        if self.run_clock() is None:
            self.object(0, MIRROR_CUT)
        else:
            self.dead()

    def redirect_to_nginx2(self, name):
        target = "http://127.0.0.1:%d/update/%s" % (self.server.nginx_port2, name)
        self.plain(302, "moved\n", [("Location", target)])


ROUTES = [
    (r"/drop/(\d+)/(\d+)", Handler.object),  # the object, cut off after the second number
    (r"/ignore-range/(\d+)", Handler.ignore_range),
    (r"/bad-content-range/(\d+)", Handler.bad_content_range),
    (r"/range416/(\d+)", Handler.range416),
    (r"/no-last-modified/(\d+)", lambda handler, size: handler.object(size, None, False)),
    (r"/no-length/(\d+)", Handler.no_length),
    (r"/status/(\d+)", Handler.status),
    (r"/redirect/(\d+)/(\d+)", Handler.redirect),
    (r"/loop", Handler.loop),
    (r"/long-location", Handler.long_location),
    (r"/trickle/(\d+)", Handler.trickle),
    (r"/redirect-to-nginx2/([^/]+)", Handler.redirect_to_nginx2),
    (r"/dead", Handler.dead),
    (r"/busy/(\d+)/(\d+)", Handler.busy),
    (r"/outage/(\d+)/(\d+)/(\d+)", Handler.outage),
    (r"/update/([^/]+)", Handler.broken_mirror),
]


class FaultServer(http.server.ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, port, log_path, nginx_port2):
        super().__init__(("127.0.0.1", port), Handler)
        self.nginx_port2 = nginx_port2
        self.dir = os.path.dirname(log_path)
        self._log = open(log_path, "a", encoding="utf-8")
        self._log_lock = threading.Lock()
        self._first_seen = {}

    def first_seen(self, key):
        """When a request for this path and query first came (the faults that change in time)."""
        with self._log_lock:
            first = key not in self._first_seen
            return self._first_seen.setdefault(key, time.monotonic()), first

    def log_request_json(self, handler, url):
        headers = {name.lower(): value for name, value in handler.headers.items()}
        line = json.dumps({"method": handler.command, "path": url.path, "query": url.query,
                           "headers": headers})
        with self._log_lock:
            self._log.write(line + "\n")
            self._log.flush()

    def handle_error(self, request, client_address):
        # A client that goes away is what many tests do.
        if not isinstance(sys.exc_info()[1], OSError):
            super().handle_error(request, client_address)


def write_atomically(path, text):  # the start script reads these files as they appear
    with open(path + ".tmp", "w", encoding="utf-8") as f:
        f.write(text)
    os.replace(path + ".tmp", path)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--dir", required=True, help="folder for fault.log")
    parser.add_argument("--nginx-port2", type=int, required=True)
    parser.add_argument("--port", type=int, default=0, help="0: any free port")
    parser.add_argument("--port-file")
    parser.add_argument("--pid-file")
    args = parser.parse_args()

    server = FaultServer(args.port, os.path.join(args.dir, "fault.log"), args.nginx_port2)
    if args.pid_file:
        write_atomically(args.pid_file, "%d\n" % os.getpid())
    if args.port_file:
        write_atomically(args.port_file, "%d\n" % server.server_address[1])
    server.serve_forever()


if __name__ == "__main__":
    main()
