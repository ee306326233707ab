#!/usr/bin/env python3
"""Local stand-in for the community station directory, for the directory client's tests.

    python3 directory_server.py [--stream-base URL] [--stations N]

Binds 127.0.0.1 only and opens four servers of one pool, then prints one line
"PORTS <good> <unavailable> <html> <refused>" on stdout and serves until its stdin reaches end of
file (so a test that dies never leaves it behind):
  good         answers like the directory (below)
  unavailable  answers every request with 503
  html         answers every request with 200 and an HTML page
  refused      a port that was free a moment ago: nothing listens there
The good server:
  /json/stations/search?name=&nameExact=&tag=&countrycode=&language=&codec=&bitrateMin=&order=
                        &reverse=&hidebroken=&limit=&offset=
                        N generated stations (36 by default) filtered, sorted and paged; a name
                        that begins with "slow" is answered after 1.5 s
  /json/stations/byuuid?uuids=U   /json/stations/byurl?url=L
  /json/countries /json/languages /json/tags
  /json/url/<uuid>      counts a click of that station
  /test/logo.png        a small PNG, every other station's favicon
  /test/clicks          {uuid: clicks} so far;  /test/requests  requests per path so far
Stations link to --stream-base (default http://127.0.0.1:9) + "/icy/sine1k.mp3?name=<name>". One
station, "Repairable Radio" (uuid ...beef), lists the dead link <stream-base>/status/404 as its url
and a live one as its url_resolved, so that the repair of that link finds it.
"""

import argparse
import http.server
import json
import socket
import struct
import sys
import threading
import time
import urllib.parse
import zlib

COUNTRIES = [("Germany", "DE", "german"), ("France", "FR", "french"), ("United Kingdom", "GB", "english"),
             ("Spain", "ES", "spanish")]
TAGS = ["jazz", "rock", "news", "classical", "pop", "ambient"]
CODECS = [("MP3", 128), ("AAC", 64), ("OGG", 96), ("MP3", 320)]
WORDS = ["Alpha", "Bravo", "Charlie", "Delta", "Echo", "Foxtrot", "Golf", "Hotel", "India"]
REPAIR_UUID = "00000000-0000-4000-8000-00000000beef"


def tiny_png():
    """A 16 x 16 orange square, made here so that no image file is kept."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    rows = b"".join(b"\x00" + b"\xff\x80\x00" * 16 for _ in range(16))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 16, 16, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


LOGO = tiny_png()


def make_stations(count, stream_base, logo_base):
    stations = []
    for i in range(count):
        country, code, language = COUNTRIES[i % len(COUNTRIES)]
        codec, bitrate = CODECS[i % len(CODECS)]
        name = f"{WORDS[i % len(WORDS)]} Radio {i + 1:02d}"
        url = f"{stream_base}/icy/sine1k.mp3?name={urllib.parse.quote(name)}"
        stations.append({
            "stationuuid": f"00000000-0000-4000-8000-{i + 1:012d}",
            "name": name,
            "url": url,
            "url_resolved": url,
            "homepage": "http://127.0.0.1/",
            "favicon": f"{logo_base}/test/logo.png?station={i}" if i % 2 == 0 else "",
            "tags": f"{TAGS[i % len(TAGS)]},{TAGS[(i + 1) % len(TAGS)]}",
            "country": country,
            "countrycode": code,
            "language": language,
            "codec": codec,
            "bitrate": bitrate,
            "votes": (i * 37) % 101,
            "clickcount": (i * 53) % 211,
            "lastcheckok": 0 if i % 9 == 8 else 1,
        })
    stations.append({
        "stationuuid": REPAIR_UUID, "name": "Repairable Radio", "url": f"{stream_base}/status/404",
        "url_resolved": f"{stream_base}/icy/sine1k.mp3?name=Repaired", "homepage": "", "favicon": "",
        "tags": "repair", "country": "Germany", "countrycode": "DE", "language": "german", "codec": "MP3",
        "bitrate": 128, "votes": 0, "clickcount": 0, "lastcheckok": 1,
    })
    return stations


def facet(stations, key, code_key=None):
    counts = {}
    for station in stations:
        values = station[key].split(",") if key == "tags" else [station[key]]
        for value in values:
            entry = counts.setdefault(value, {"name": value, "stationcount": 0})
            entry["stationcount"] += 1
            if code_key:
                entry["iso_3166_1"] = station[code_key]
    return sorted(counts.values(), key=lambda e: e["name"])


def search(stations, q):
    def arg(name, default=""):
        return q.get(name, [default])[0]

    found = stations
    name = arg("name").lower()
    if name:
        exact = arg("nameExact") == "true"
        found = [s for s in found if (s["name"].lower() == name if exact else name in s["name"].lower())]
    for key, field in (("tag", "tags"), ("countrycode", "countrycode"), ("language", "language"), ("codec", "codec")):
        value = arg(key).lower()
        if value:
            found = [s for s in found if value in [v.lower() for v in s[field].split(",")]]
    if arg("bitrateMin"):
        found = [s for s in found if s["bitrate"] >= int(arg("bitrateMin"))]
    if arg("hidebroken") == "true":
        found = [s for s in found if s["lastcheckok"] == 1]
    order = arg("order", "name")
    field = {"votes": "votes", "clickcount": "clickcount", "bitrate": "bitrate"}.get(order, "name")
    found = sorted(found, key=lambda s: (s[field], s["name"]), reverse=arg("reverse") == "true")
    offset, limit = int(arg("offset", "0")), int(arg("limit", "100000"))
    return found[offset:offset + limit]


class Good(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def do_GET(self):
        server = self.server
        split = urllib.parse.urlsplit(self.path)
        q = urllib.parse.parse_qs(split.query)
        path = split.path
        with server.lock:
            server.requests[path] = server.requests.get(path, 0) + 1
        stations = server.stations
        if path == "/json/stations/search":
            if q.get("name", [""])[0].lower().startswith("slow"):
                time.sleep(1.5)
            return self.reply(search(stations, q))
        if path == "/json/stations/byuuid":
            uuids = q.get("uuids", [""])[0].split(",")
            return self.reply([s for s in stations if s["stationuuid"] in uuids])
        if path == "/json/stations/byurl":
            url = q.get("url", [""])[0]
            return self.reply([s for s in stations if url in (s["url"], s["url_resolved"])])
        if path == "/json/countries":
            return self.reply(facet(stations, "country", "countrycode"))
        if path == "/json/languages":
            return self.reply(facet(stations, "language"))
        if path == "/json/tags":
            return self.reply(facet(stations, "tags"))
        if path.startswith("/json/url/"):
            uuid = path[len("/json/url/"):]
            with server.lock:
                server.clicks[uuid] = server.clicks.get(uuid, 0) + 1
            return self.reply({"ok": "true", "message": "retrieved station url", "stationuuid": uuid})
        if path == "/test/logo.png":
            self.send_response(200)
            self.send_header("Content-Type", "image/png")
            self.send_header("Content-Length", str(len(LOGO)))
            self.end_headers()
            self.wfile.write(LOGO)
            return
        if path == "/test/clicks":
            with server.lock:
                return self.reply(dict(server.clicks))
        if path == "/test/requests":
            with server.lock:
                return self.reply(dict(server.requests))
        self.send_error(404)

    def reply(self, value):
        body = json.dumps(value).encode("utf-8")
        self.send_response(200)
        self.send_header("Content-Type", "application/json; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, fmt, *args):
        sys.stderr.write("directory-server: " + (fmt % args) + "\n")


class Unavailable(Good):
    def do_GET(self):
        body = b"busy\n"
        self.send_response(503)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


class Html(Good):
    def do_GET(self):
        body = b"<!DOCTYPE html><html><body>Welcome to our mirror</body></html>\n"
        self.send_response(200)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


def serve(handler, stations=None):
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    server.daemon_threads = True
    server.lock = threading.Lock()
    server.requests, server.clicks, server.stations = {}, {}, stations
    threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.2}, daemon=True).start()
    return server


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--stream-base", default="http://127.0.0.1:9")
    parser.add_argument("--stations", type=int, default=36)
    args = parser.parse_args()
    good = serve(Good)
    good.stations = make_stations(args.stations, args.stream_base.rstrip("/"), f"http://127.0.0.1:{good.server_address[1]}")
    unavailable = serve(Unavailable)
    html = serve(Html)
    ports = [s.server_address[1] for s in (good, unavailable, html)] + [free_port()]
    print("PORTS", *ports, flush=True)
    sys.stdin.read()


if __name__ == "__main__":
    main()
