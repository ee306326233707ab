#!/usr/bin/env python3
"""Local HTTPS server for the update check's tests.

    python3 update_server.py --cert CERT.pem --key KEY.pem --answer DIR

Binds 127.0.0.1 only, prints one line "PORT <n>" on stdout and serves until its stdin reaches end
of file (so a test that dies never leaves it behind). Every GET is answered from the files the test
wrote into DIR just before: "status" (default 200), "content-type" (default none) and "body". When
DIR holds a file "stall", the server says nothing for up to 20 s before answering.
"""

import argparse
import http.server
import os
import ssl
import sys
import threading
import time


def read(folder, name, default=b""):
    try:
        with open(os.path.join(folder, name), "rb") as f:
            return f.read()
    except FileNotFoundError:
        return default


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def do_GET(self):
        folder = self.server.answer_folder
        if os.path.exists(os.path.join(folder, "stall")):
            deadline = time.monotonic() + 20
            while time.monotonic() < deadline and not self.server.stopping:
                time.sleep(0.05)
        status = int(read(folder, "status", b"200").strip() or b"200")
        body = read(folder, "body")
        content_type = read(folder, "content-type").strip()
        self.send_response(status)
        if content_type:
            self.send_header("Content-Type", content_type.decode("latin-1"))
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        try:
            self.wfile.write(body)
        except (OSError, ssl.SSLError):
            pass  # the client gave up (a body over its limit, a time-out): nothing to report

    def log_message(self, fmt, *args):
        sys.stderr.write("update-server: " + (fmt % args) + "\n")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cert", required=True)
    parser.add_argument("--key", required=True)
    parser.add_argument("--answer", required=True)
    args = parser.parse_args()

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    server.answer_folder = args.answer
    server.stopping = False
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(args.cert, args.key)
    server.socket = context.wrap_socket(server.socket, server_side=True)

    def watch_stdin():
        sys.stdin.read()
        server.stopping = True
        server.shutdown()

    threading.Thread(target=watch_stdin, daemon=True).start()
    print("PORT", server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
