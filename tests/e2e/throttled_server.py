#!/usr/bin/env python3
"""The end-to-end update server when a download must last: serves files of a folder at a
steady rate, in small pieces, so the package file on the client grows evenly and a pause shows
as a file that stops growing. (nginx's limit_rate hands out a second's worth at once and then
waits, so a file it feeds stands still for most of every second anyway.)

It answers the way the real update server does as far as the downloader relies on it: HTTP/1.0,
Content-Length, Last-Modified from the file's mtime, "bytes=N-" and "bytes=N-M" ranges with 206
and Content-Range, 416 beyond the end. A stall (a paused client) earns no burst afterwards.
Every request is logged to --log as METHOD URI "RANGE" STATUS BYTES_SENT, as the nginx update
server logs it.

    throttled_server.py --root DIR --port PORT --rate BYTES_PER_SECOND --log FILE
                        [--pid-file FILE]
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
    server_version = "dl-e2e-throttled"

    def log_message(self, *args):
        pass

    def setup(self):
        super().setup()
        # Little in the server's own buffer, so what leaves it follows the rate.
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_SNDBUF, 32768)

    def record(self, status, sent):
        line = '%s %s "%s" %d %d\n' % (self.command, self.path,
                                       self.headers.get("Range") or "-", status, sent)
        with self.server.log_lock, open(self.server.log_path, "a", encoding="utf-8") as log:
            log.write(line)

    def answer(self, status, headers):
        self.send_response(status)
        for key, value in headers:
            self.send_header(key, value)
        self.send_header("Connection", "close")
        self.end_headers()

    def do_HEAD(self):
        self.do_GET(body=False)

    def do_GET(self, body=True):
        path = urllib.parse.urlsplit(self.path).path
        local = os.path.realpath(os.path.join(self.server.root, path.lstrip("/")))
        if not local.startswith(self.server.root + os.sep) or not os.path.isfile(local):
            self.answer(404, [("Content-Length", "0")])
            self.record(404, 0)
            return
        size = os.path.getsize(local)
        modified = email.utils.formatdate(os.path.getmtime(local), usegmt=True)
        first, last, status = 0, size - 1, 200
        wanted = self.headers.get("Range")
        if wanted:
            m = re.fullmatch(r"\s*bytes\s*=\s*(\d+)\s*-\s*(\d*)\s*", wanted)
            if m:
                first = int(m.group(1))
                if m.group(2):
                    last = min(int(m.group(2)), size - 1)
                if first >= size:
                    self.answer(416, [("Content-Range", "bytes */%d" % size),
                                      ("Content-Length", "0"), ("Last-Modified", modified)])
                    self.record(416, 0)
                    return
                status = 206
        length = last - first + 1
        headers = [("Content-Type", "application/octet-stream"),
                   ("Content-Length", str(length)), ("Last-Modified", modified),
                   ("Accept-Ranges", "bytes")]
        if status == 206:
            headers.append(("Content-Range", "bytes %d-%d/%d" % (first, last, size)))
        self.answer(status, headers)
        sent = 0
        try:
            if body:
                sent = self.send_throttled(local, first, length)
        finally:
            self.record(status, sent)

    def send_throttled(self, local, first, length):
        rate = self.server.rate
        sent = 0
        credit = 0.0
        mark = time.monotonic()
        with open(local, "rb") as f:
            f.seek(first)
            while sent < length:
                now = time.monotonic()
                credit = min(credit + (now - mark) * rate, rate * MAX_CREDIT_SECONDS + PIECE)
                mark = now
                if credit < PIECE and length - sent > credit:
                    time.sleep((PIECE - credit) / rate)
                    continue
                piece = f.read(min(PIECE, length - sent))
                if not piece:
                    break
                try:
                    self.wfile.write(piece)
                except OSError:
                    break
                sent += len(piece)
                credit -= len(piece)
        return sent


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--rate", type=float, required=True)
    parser.add_argument("--log", required=True)
    parser.add_argument("--pid-file")
    args = parser.parse_args()
    server = Server(("127.0.0.1", args.port), Handler)
    server.root = os.path.realpath(args.root)
    server.rate = args.rate
    server.log_path = args.log
    server.log_lock = threading.Lock()
    if args.pid_file:
        with open(args.pid_file, "w", encoding="ascii") as f:
            f.write("%d\n" % os.getpid())
    server.serve_forever()


if __name__ == "__main__":
    main()
