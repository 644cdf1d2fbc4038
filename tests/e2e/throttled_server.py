#!/usr/bin/env python3
"""The end-to-end update server when a download must last: serves files of a folder at a
steady rate, in small pieces, so the package file on the client grows evenly and a pause shows
as a file that stops growing. (nginx's limit_rate hands out a second's worth at once and then
waits, so a file it feeds stands still for most of every second anyway.)

It answers as the nginx update server does as far as the downloader relies on it: HTTP/1.0,
Content-Length, Last-Modified from the file's mtime, an ETag of nginx's shape, a "bytes=N-"
range with 206 and Content-Range, 416 beyond the end, the whole file (200) when an If-Range
names another version; and logs every request to --log in the same format,
METHOD URI "RANGE" "IF-RANGE" STATUS BYTES_SENT. A stall (a paused client) earns no burst
afterwards.

    throttled_server.py --root DIR --port PORT --rate BYTES_PER_SECOND --log FILE --pid-file F
"""
import argparse
import email.utils
import http.server
import os
import re
import socket
import threading
import time
import urllib.parse

PIECE = 4096
# Credit kept through a stall: a paused client gets no burst when it reads again.
MAX_CREDIT_SECONDS = 0.05


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def setup(self):
        super().setup()
        # Little in the server's own buffer, so what leaves it follows the rate.
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_SNDBUF, 32768)

    def answer(self, status, headers):
        self.send_response(status)
        for key, value in headers + [("Connection", "close")]:
            self.send_header(key, value)
        self.end_headers()
        return status

    def do_GET(self):
        status, sent = 404, 0
        try:
            status, sent = self.serve()
        finally:
            line = '%s %s "%s" "%s" %d %d\n' % (
                self.command, self.path, self.headers.get("Range") or "-",
                (self.headers.get("If-Range") or "-").replace('"', "\\x22"), status, sent)
            with self.server.log_lock, open(self.server.log_path, "a", encoding="utf-8") as log:
                log.write(line)

    def serve(self):
        path = urllib.parse.urlsplit(self.path).path
        local = os.path.realpath(os.path.join(self.server.root, path.lstrip("/")))
        if not local.startswith(self.server.root + os.sep) or not os.path.isfile(local):
            return self.answer(404, [("Content-Length", "0")]), 0
        size, mtime = os.path.getsize(local), int(os.path.getmtime(local))
        modified = ("Last-Modified", email.utils.formatdate(mtime, usegmt=True))
        etag = '"%x-%x"' % (mtime, size)
        m = re.fullmatch(r"\s*bytes\s*=\s*(\d+)\s*-\s*", self.headers.get("Range") or "")
        condition = self.headers.get("If-Range")
        if m and condition is not None and condition.strip() not in (etag, modified[1]):
            m = None  # another version: the whole file
        first = int(m.group(1)) if m else 0
        if first >= size and m:
            return self.answer(416, [("Content-Range", "bytes */%d" % size),
                                     ("Content-Length", "0"), modified]), 0
        headers = [("Content-Type", "application/octet-stream"),
                   ("Content-Length", str(size - first)), modified, ("ETag", etag)]
        if m:
            headers.append(("Content-Range", "bytes %d-%d/%d" % (first, size - 1, size)))
        return self.answer(206 if m else 200, headers), self.send_throttled(local, first, size)

    def send_throttled(self, local, first, end):
        rate, sent, credit, mark = self.server.rate, 0, 0.0, time.monotonic()
        with open(local, "rb") as f:
            f.seek(first)
            while first + sent < end:
                now = time.monotonic()
                credit = min(credit + (now - mark) * rate, rate * MAX_CREDIT_SECONDS + PIECE)
                mark = now
                if credit < PIECE and end - first - sent > credit:
                    time.sleep((PIECE - credit) / rate)
                    continue
                piece = f.read(min(PIECE, end - first - sent))
                if not piece:
                    break
                try:
                    self.wfile.write(piece)
                except OSError:
                    break
                sent += len(piece)
                credit -= len(piece)
        return sent


def main():
    parser = argparse.ArgumentParser()
    for name in ("--root", "--port", "--rate", "--log", "--pid-file"):
        parser.add_argument(name, required=True)
    args = parser.parse_args()
    server = http.server.ThreadingHTTPServer(("127.0.0.1", int(args.port)), Handler)
    server.daemon_threads = True
    server.root = os.path.realpath(args.root)
    server.rate = float(args.rate)
    server.log_path = args.log
    server.log_lock = threading.Lock()
    with open(args.pid_file, "w", encoding="ascii") as f:
        f.write("%d\n" % os.getpid())
    server.serve_forever()


if __name__ == "__main__":
    main()
