#!/usr/bin/env python3
"""Local stream server for the tests and the demo: plain HTTP files, live ICY streams with
in-stream titles, slow, stalling and closing streams, error statuses and hostile servers.

    python3 stream_server.py --root FIXTURES_DIR [--port 0] [--no-stdin-watch]

Binds 127.0.0.1 only, prints one line "PORT <n>" on stdout, logs one line per request on stderr,
and serves until SIGTERM or until its stdin reaches end of file, so a test that crashes never
leaves it behind (--no-stdin-watch turns that off for scripts that stop it by its PID).

Paths (every query parameter is optional):
  /file/<name>[?loop=1&rate=N&type=T]     the file over HTTP/1.0; loop=1 repeats it without end;
                                          type=T sends Content-Type T instead of the file's own
  /icy/<name>?metaint=&titles=A|B&every=&rate=&burst=&status=icy|http&name=&genre=&description=
                                          a live ICY station looping the file in real time
  /stall/<name>?after=BYTES&pause=SECONDS like /icy, silent for a while after some audio
  /close/<name>?after=BYTES               like /icy, closes after some audio (0: after the headers)
  /outage/<name>?up=S&down=S&key=K&during=close|CODE
                                          like /icy, but the station (one per key) goes down S
                                          seconds after its first request: its listeners are cut
                                          off, and for `down` seconds every new connection is closed
                                          unanswered (or answered with status CODE); then it is back
                                          for good. Logs "outage K back at T" (time.monotonic()).
  /status/<code>                          that HTTP status with a short body
  /garbage-status /endless-headers /huge-header /redirect-loop /redirect/<n>/<name>
  /moved/<name>                           301 (moved for good) to /icy/<name> with the same query
  /metaint/<value>/<name> /meta-past-data/<name> /drip /silent
  /playlist/self.pls /playlist/self.m3u /playlist/to/<name>.pls|.m3u|.xspf
  /playlist/chain/<n>/<name>.pls          n playlist links in a row, then /icy/<name>
  /playlist/empty.pls                     a playlist without any entry
HLS, from a set of segments made by ffmpeg (the fixture <set>.m3u8 lists them with their durations):
  /hls/vod/<set>.m3u8?missing=I,J        the whole set as a VOD playlist; EXTINF labels are
                                          "<duration>,<set> part <i>"; missing=I,J... makes those a 404
  /hls/live/<set>.m3u8?window=4&missing=S&freeze=T
                                          a live playlist sliding in real time: its media sequence
                                          advances by one each target duration since the server
                                          started, segment S plays file S modulo the set's size
                                          (labels "<duration>,<set> seq <S>"); missing=S as above;
                                          freeze=T stops it T seconds after the server started
  /hls/joined.m3u8?sets=A,B,...&parts=N  the sets one after the other as a VOD playlist, with an
                                          EXT-X-DISCONTINUITY between two sets (a change of format);
                                          parts=N keeps the first N segments of each set
  /hls/master.m3u8?to=vod|live&set=<set>  a master playlist: a video variant (that 404s) and the
                                          audio-only variant of /hls/<to>/<set>.m3u8
  /hls/segment/<name>                     one segment file; /hls/gone/<name> answers 404
A mode is a function taking (Request, match); ROUTES maps path patterns to modes.
"""

import argparse
import os
import re
import signal
import socket
import socketserver
import sys
import threading
import time
import urllib.parse
from pathlib import Path

sys.dont_write_bytecode = True  # never leave a cache folder in the source tree
from audio_info import FileCache  # noqa: E402  (after the line above on purpose)

SEND_TIMEOUT_SECONDS = 30  # a client that stops reading for this long is dropped
REQUEST_TIMEOUT_SECONDS = 10
MAX_REQUEST_BYTES = 64 * 1024
HOSTILE_BOUND_SECONDS = 600  # the slow hostile modes give up after this even if the client stays

CONTENT_TYPES = {
    ".mp3": "audio/mpeg",
    ".aac": "audio/aac",
    ".ogg": "audio/ogg",
    ".opus": "audio/ogg",
    ".flac": "audio/flac",
    ".pls": "audio/x-scpls",
    ".m3u": "audio/x-mpegurl",
    ".m3u8": "application/vnd.apple.mpegurl",
    ".ts": "video/mp2t",
    ".xspf": "application/xspf+xml",
    ".m4s": "video/iso.segment",
    ".mp4": "audio/mp4",
}

REASONS = {200: "OK", 204: "No Content", 301: "Moved Permanently", 302: "Found", 400: "Bad Request",
           401: "Unauthorized", 403: "Forbidden", 404: "Not Found", 500: "Internal Server Error",
           502: "Bad Gateway", 503: "Service Unavailable", 504: "Gateway Timeout"}

DEFAULT_TITLES = "Test Artist - Song One|Test Artist - Song Two"

files = FileCache()


def content_type(name):
    return CONTENT_TYPES.get(os.path.splitext(name)[1].lower(), "application/octet-stream")


class BadRequest(Exception):
    pass


class Request:
    """One client connection: the parsed request and helpers to answer it."""

    def __init__(self, sock, server, method, path, query, headers):
        self.sock = sock
        self.server = server
        self.method = method
        self.path = path
        self.raw_query = query
        self.query = urllib.parse.parse_qs(query, keep_blank_values=True)
        self.headers = headers  # lower-case names

    @property
    def base_url(self):
        return f"http://127.0.0.1:{self.server.server_address[1]}"

    def param(self, name, default=None):
        values = self.query.get(name)
        return values[-1] if values else default

    def number(self, name, default, kind=int):
        value = self.param(name)
        if value is None:
            return default
        try:
            return kind(value)
        except ValueError:
            raise BadRequest(f"{name}={value} is not a number") from None

    def file(self, name):
        path = (self.server.root / name).resolve()
        if "/" in name or "\\" in name or name.startswith(".") or path.parent != self.server.root or not path.is_file():
            return None
        return path

    def send(self, data):
        self.sock.sendall(data)

    def send_head(self, status_line, headers=()):
        lines = [status_line] + [f"{name}: {value}" for name, value in headers]
        self.send(("\r\n".join(lines) + "\r\n\r\n").encode("utf-8"))

    def send_status(self, code, body=None, headers=()):
        reason = REASONS.get(code, "Status")
        body = (body if body is not None else f"{code} {reason}\n").encode("utf-8")
        self.send_head(f"HTTP/1.0 {code} {reason}",
                       [("Content-Type", "text/plain"), ("Content-Length", len(body))] + list(headers))
        self.send(body)

    def stopping(self):
        return self.server.stopping.is_set()


class Pacer:
    """Lets `rate` bytes per second through after an unpaced burst; rate 0 means unpaced."""

    def __init__(self, rate, burst_bytes=0):
        self.rate = rate
        self.burst = burst_bytes
        self.start = time.monotonic()

    def chunk_size(self):
        return 16384 if self.rate <= 0 else max(64, min(16384, self.rate // 20))

    def wait(self, sent):
        if self.rate > 0:
            delay = self.start + max(0, sent - self.burst) / self.rate - time.monotonic()
            if delay > 0:
                time.sleep(delay)

    def pause(self, seconds):
        time.sleep(seconds)
        self.start += seconds  # resume at the real rate, without catching up


class LoopedAudio:
    """The file's bytes repeated without end (Ogg copies alternate serial numbers)."""

    def __init__(self, copies):
        self.copies = copies
        self.index = 0
        self.pos = 0

    def read(self, count):
        out = bytearray()
        while len(out) < count:
            data = self.copies[self.index]
            piece = data[self.pos : self.pos + count - len(out)]
            out += piece
            self.pos += len(piece)
            if self.pos >= len(data):
                self.index = (self.index + 1) % len(self.copies)
                self.pos = 0
            if not data:
                break
        return bytes(out)


def icy_metadata_block(title):
    text = f"StreamTitle='{title}';StreamUrl='';".encode("utf-8")[: 255 * 16]
    units = (len(text) + 15) // 16
    return bytes([units]) + text.ljust(units * 16, b"\0")


class IcyWriter:
    """Interleaves a metadata block after every `metaint` bytes of audio. The block carries the
    title when it differs from the last one sent (always in the first block) and is empty
    otherwise, as ICY servers do. The title cycles through `titles` every `every` seconds."""

    def __init__(self, request, metaint, titles, every):
        self.request = request
        self.metaint = metaint
        self.titles = titles or [""]
        self.every = every
        self.start = time.monotonic()
        self.until_block = metaint
        self.last_title = None

    def current_title(self):
        if self.every <= 0:
            return self.titles[0]
        return self.titles[int((time.monotonic() - self.start) / self.every) % len(self.titles)]

    def write(self, audio):
        if not self.metaint:
            self.request.send(audio)
            return
        out = []
        while audio:
            piece = audio[: self.until_block]
            out.append(piece)
            audio = audio[len(piece) :]
            self.until_block -= len(piece)
            if self.until_block == 0:
                title = self.current_title()
                out.append(icy_metadata_block(title) if title != self.last_title else b"\0")
                self.last_title = title
                self.until_block = self.metaint
        self.request.send(b"".join(out))


def live_stream(req, match, metaint_header=None, stall_after=None, stall_seconds=0.0, close_after=None):
    """A live station looping the file: the shared body of /icy, /stall, /close and /metaint."""
    name = match["name"]
    path = req.file(name)
    if path is None:
        return req.send_status(404)
    _, info, copies = files.load(path)
    rate = req.number("rate", info.byte_rate)
    burst_seconds = req.number("burst", 2.0, float)
    titles = req.param("titles", DEFAULT_TITLES).split("|")
    every = req.number("every", 2.0, float)
    status = req.param("status", "icy")
    if status not in ("icy", "http"):
        raise BadRequest("status must be icy or http")

    if metaint_header is not None:
        metaint = int(metaint_header) if re.fullmatch(r"[0-9]{1,9}", metaint_header) else 0
        announce = metaint_header
    else:
        wants_metadata = req.headers.get("icy-metadata", "").strip() == "1"
        metaint = req.number("metaint", 16000) if wants_metadata else 0
        if metaint < 0 or metaint > 1 << 24:
            raise BadRequest("metaint out of range")
        announce = str(metaint) if wants_metadata else None

    headers = [
        ("Content-Type", content_type(name)),
        ("icy-name", req.param("name", "Test Radio")),
        ("icy-genre", req.param("genre", "Test")),
        ("icy-br", info.kbps),
        ("icy-url", "http://127.0.0.1/"),
        ("icy-description", req.param("description", "Local test stream")),
        ("icy-pub", 0),
    ]
    if announce is not None:
        headers.append(("icy-metaint", announce))
    req.send_head("ICY 200 OK" if status == "icy" else "HTTP/1.0 200 OK", headers)

    audio = LoopedAudio(copies)
    pacer = Pacer(rate, int(burst_seconds * rate))
    writer = IcyWriter(req, metaint, titles, every)
    sent = 0
    # Ends when the client goes away (the send fails or times out) or the server stops.
    while not req.stopping():
        if close_after is not None and sent >= close_after:
            return
        if stall_after is not None and sent >= stall_after:
            pacer.pause(stall_seconds)
            stall_after = None
            continue
        count = pacer.chunk_size()
        for mark in (close_after, stall_after):
            if mark is not None:
                count = min(count, mark - sent)
        pacer.wait(sent)
        chunk = audio.read(count)
        if not chunk:
            return  # an empty file has nothing to loop
        writer.write(chunk)
        sent += len(chunk)


def mode_file(req, match):
    name = match["name"]
    path = req.file(name)
    if path is None:
        return req.send_status(404)
    data, _, copies = files.load(path)
    loop = req.param("loop") == "1"
    pacer = Pacer(req.number("rate", 0))
    headers = [("Content-Type", req.param("type", content_type(name)))]
    if not loop:
        headers.append(("Content-Length", len(data)))
    req.send_head("HTTP/1.0 200 OK", headers)
    source = LoopedAudio(copies) if loop else None
    sent = 0
    while not req.stopping() and (loop or sent < len(data)):
        pacer.wait(sent)
        chunk = source.read(pacer.chunk_size()) if loop else data[sent : sent + pacer.chunk_size()]
        if not chunk:
            return  # an empty file has nothing to loop
        req.send(chunk)
        sent += len(chunk)


def mode_icy(req, match):
    live_stream(req, match)


def mode_stall(req, match):
    live_stream(req, match, stall_after=req.number("after", 65536), stall_seconds=req.number("pause", 5.0, float))


def mode_close(req, match):
    live_stream(req, match, close_after=req.number("after", 65536))


def mode_outage(req, match):
    up = req.number("up", 3.0, float)
    down = req.number("down", 2.0, float)
    during = req.param("during", "close")
    if during != "close" and not re.fullmatch(r"[1-5][0-9][0-9]", during):
        raise BadRequest("during must be close or a status code")
    key = req.param("key", match["name"])
    with req.server.outages_lock:
        if key not in req.server.outages:
            start = time.monotonic()
            req.server.outages[key] = start
            back = start + up + down
            announce = threading.Timer(max(0.0, back - time.monotonic()),
                                       lambda: log(f"outage {key} back at {back:.6f}"))
            announce.daemon = True
            announce.start()
        start = req.server.outages[key]
    now = time.monotonic()
    if start + up <= now < start + up + down:
        if during != "close":
            req.send_status(int(during))
        return  # the connection closes without an answer
    if now < start + up:
        # Cut off when the station goes down: only as much audio as plays until then.
        path = req.file(match["name"])
        if path is None:
            return req.send_status(404)
        _, info, _ = files.load(path)
        rate = req.number("rate", info.byte_rate)
        burst = req.number("burst", 2.0, float)
        live_stream(req, match, close_after=int((start + up - now) * rate + burst * rate))
        return
    live_stream(req, match)


def mode_metaint(req, match):
    live_stream(req, match, metaint_header=urllib.parse.unquote(match["value"]))


def mode_meta_past_data(req, match):
    """icy-metaint honoured for one block of audio, then a length byte that promises 4080 bytes
    of metadata of which only a few arrive before the connection closes."""
    path = req.file(match["name"])
    if path is None:
        return req.send_status(404)
    data, _, _ = files.load(path)
    metaint = req.number("metaint", 16000)
    req.send_head("ICY 200 OK", [("Content-Type", content_type(path.name)), ("icy-metaint", metaint)])
    req.send(LoopedAudio([data]).read(metaint) + bytes([255]) + b"StreamTitle='Cut short")


def mode_status(req, match):
    req.send_status(int(match["code"]))


def mode_garbage_status(req, match):
    req.send(b"SPAM 200 NONSENSE\r\nContent-Type: audio/mpeg\r\n\r\n" + b"\xff\xfb" * 512)


def mode_endless_headers(req, match):
    req.send(b"HTTP/1.0 200 OK\r\n")
    line = 0
    deadline = time.monotonic() + HOSTILE_BOUND_SECONDS
    while not req.stopping() and time.monotonic() < deadline and line < 1_000_000:
        batch = "".join(f"X-Filler-{line + i}: {'x' * 48}\r\n" for i in range(100))
        req.send(batch.encode("ascii"))
        line += 100


def mode_huge_header(req, match):
    req.send(b"HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\nX-Huge: " + b"a" * (1 << 20) + b"\r\n\r\n")


def mode_redirect_loop(req, match):
    req.send_status(302, "Found\n", [("Location", f"{req.base_url}/redirect-loop")])


def mode_redirect(req, match):
    hops, name = int(match["hops"]), match["name"]
    if hops <= 0:
        return mode_file(req, match)
    target = f"/redirect/{hops - 1}/{name}" if hops > 1 else f"/file/{name}"
    if req.raw_query:
        target += "?" + req.raw_query
    req.send_status(302, "Found\n", [("Location", req.base_url + target)])


def mode_moved(req, match):
    target = f"/icy/{match['name']}" + ("?" + req.raw_query if req.raw_query else "")
    req.send_status(301, "Moved Permanently\n", [("Location", req.base_url + target)])


def mode_drip(req, match):
    """A status line, then one byte a second: the header block never ends."""
    req.send(b"HTTP/1.0 200 OK\r\nX-Drip: ")
    for _ in range(HOSTILE_BOUND_SECONDS):
        if req.stopping():
            return
        time.sleep(1)
        req.send(b"d")


def mode_silent(req, match):
    """Accepts and reads the request, then never answers; ends when the client hangs up."""
    req.sock.settimeout(1)
    deadline = time.monotonic() + HOSTILE_BOUND_SECONDS
    while not req.stopping() and time.monotonic() < deadline:
        try:
            if not req.sock.recv(4096):
                return
        except socket.timeout:
            continue


def playlist_text(kind, title, url):
    if kind == "pls":
        return f"[playlist]\r\nNumberOfEntries=1\r\nFile1={url}\r\nTitle1={title}\r\nLength1=-1\r\nVersion=2\r\n"
    if kind == "m3u":
        return f"#EXTM3U\r\n#EXTINF:-1,{title}\r\n{url}\r\n"
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<playlist version="1" xmlns="http://xspf.org/ns/0/">\n'
            f"  <trackList>\n    <track><title>{title}</title><location>{url}</location></track>\n"
            "  </trackList>\n</playlist>\n")


def send_playlist(req, kind, title, url):
    body = playlist_text(kind, title, url).encode("utf-8")
    req.send_head("HTTP/1.0 200 OK", [("Content-Type", content_type("x." + kind)), ("Content-Length", len(body))])
    req.send(body)


def mode_playlist_self(req, match):
    kind = match["kind"]
    send_playlist(req, kind, "Itself", f"{req.base_url}/playlist/self.{kind}")


def mode_playlist_to(req, match):
    if req.file(match["name"]) is None:
        return req.send_status(404)
    target = f"{req.base_url}/icy/{match['name']}" + (f"?{req.raw_query}" if req.raw_query else "")
    send_playlist(req, match["kind"], "Test Radio", target)


def mode_playlist_chain(req, match):
    if req.file(match["name"]) is None:
        return req.send_status(404)
    hops = int(match["hops"])
    target = (f"{req.base_url}/playlist/chain/{hops - 1}/{match['name']}.pls" if hops > 1
              else f"{req.base_url}/icy/{match['name']}")
    send_playlist(req, "pls", f"Link {hops}", target)


def mode_playlist_empty(req, match):
    body = b"[playlist]\r\nNumberOfEntries=0\r\nVersion=2\r\n"
    req.send_head("HTTP/1.0 200 OK", [("Content-Type", content_type("x.pls")), ("Content-Length", len(body))])
    req.send(body)


def hls_set(req, name):
    """The segments of a set from its ffmpeg-made playlist: ([(seconds, file)], init file or None)."""
    path = req.file(f"{name}.m3u8")
    if path is None:
        return None, None
    segments, init, duration = [], None, None
    for line in path.read_text(encoding="utf-8").splitlines():
        line = line.strip()
        if line.startswith("#EXTINF:"):
            duration = float(line[len("#EXTINF:"):].split(",")[0])
        elif line.startswith("#EXT-X-MAP:"):
            init = re.search(r'URI="([^"]+)"', line).group(1)
        elif line and not line.startswith("#") and duration is not None:
            segments.append((duration, line))
            duration = None
    return segments, init


def send_hls_playlist(req, lines):
    body = ("\n".join(["#EXTM3U"] + lines) + "\n").encode("utf-8")
    req.send_head("HTTP/1.0 200 OK", [("Content-Type", content_type("x.m3u8")), ("Content-Length", len(body)),
                                      ("Cache-Control", "no-cache")])
    req.send(body)


def hls_segment_line(req, file, index):
    missing = (req.param("missing") or "").split(",")
    kind = "gone" if str(index) in missing else "segment"
    return f"/hls/{kind}/{file}"


def mode_hls_vod(req, match):
    name = match["set"]
    segments, init = hls_set(req, name)
    if not segments:
        return req.send_status(404)
    target = max(1, round(max(seconds for seconds, _ in segments)))
    lines = ["#EXT-X-VERSION:7", f"#EXT-X-TARGETDURATION:{target}", "#EXT-X-MEDIA-SEQUENCE:0",
             "#EXT-X-PLAYLIST-TYPE:VOD"]
    if init:
        lines.append(f'#EXT-X-MAP:URI="/hls/segment/{init}"')
    for index, (seconds, file) in enumerate(segments):
        lines += [f"#EXTINF:{seconds:.3f},{name} part {index}", hls_segment_line(req, file, index)]
    send_hls_playlist(req, lines + ["#EXT-X-ENDLIST"])


def mode_hls_joined(req, match):
    """Several sets one after the other in one VOD playlist, an EXT-X-DISCONTINUITY between them
    (as an ad break or a change of encoder brings): the format may change at each."""
    names = [name for name in (req.param("sets") or "").split(",") if name]
    parts = max(1, req.number("parts", 1000))
    lines = ["#EXT-X-VERSION:7", "#EXT-X-TARGETDURATION:2", "#EXT-X-MEDIA-SEQUENCE:0", "#EXT-X-PLAYLIST-TYPE:VOD"]
    for number, name in enumerate(names):
        segments, init = hls_set(req, name) if re.fullmatch(SET, name) else (None, None)
        if not segments:
            return req.send_status(404)
        if number > 0:
            lines.append("#EXT-X-DISCONTINUITY")
        if init:
            lines.append(f'#EXT-X-MAP:URI="/hls/segment/{init}"')
        for index, (seconds, file) in enumerate(segments[:parts]):
            lines += [f"#EXTINF:{seconds:.3f},{name} part {index}", f"/hls/segment/{file}"]
    send_hls_playlist(req, lines + ["#EXT-X-ENDLIST"])


def mode_hls_live(req, match):
    name = match["set"]
    segments, init = hls_set(req, name)
    if not segments:
        return req.send_status(404)
    window = max(1, req.number("window", 4))
    target = max(1, round(max(seconds for seconds, _ in segments)))
    elapsed = time.monotonic() - req.server.started
    if req.param("freeze") is not None:
        elapsed = min(elapsed, req.number("freeze", 0.0, float))  # an encoder that stopped
    newest = int(elapsed / target) + window - 1
    first = max(0, newest - window + 1)
    lines = ["#EXT-X-VERSION:7", f"#EXT-X-TARGETDURATION:{target}", f"#EXT-X-MEDIA-SEQUENCE:{first}",
             f"#EXT-X-DISCONTINUITY-SEQUENCE:{first // len(segments)}"]
    if init:
        lines.append(f'#EXT-X-MAP:URI="/hls/segment/{init}"')
    for sequence in range(first, newest + 1):
        seconds, file = segments[sequence % len(segments)]
        if sequence % len(segments) == 0 and sequence != first:
            lines.append("#EXT-X-DISCONTINUITY")  # the set starts again: its timestamps too
        lines += [f"#EXTINF:{seconds:.3f},{name} seq {sequence}", hls_segment_line(req, file, sequence)]
    send_hls_playlist(req, lines)


def mode_hls_master(req, match):
    to = req.param("to", "vod")
    name = req.param("set", "hls_aac_ts")
    if to not in ("vod", "live") or req.file(f"{name}.m3u8") is None:
        return req.send_status(404)
    send_hls_playlist(req, [
        '#EXT-X-STREAM-INF:BANDWIDTH=900000,CODECS="avc1.4d401e,mp4a.40.2",RESOLUTION=640x360',
        "/hls/gone/video.m3u8",
        '#EXT-X-STREAM-INF:BANDWIDTH=100000,CODECS="mp4a.40.2"',
        f"{to}/{name}.m3u8",
    ])


def mode_hls_segment(req, match):
    path = req.file(match["name"])
    if path is None:
        return req.send_status(404)
    data = path.read_bytes()
    req.send_head("HTTP/1.0 200 OK", [("Content-Type", content_type(match["name"])), ("Content-Length", len(data))])
    req.send(data)


def mode_hls_gone(req, match):
    req.send_status(404)


NAME = r"(?P<name>[^/]+)"
SET = r"(?P<set>[A-Za-z0-9_]+)"
ROUTES = [
    (rf"/file/{NAME}", mode_file),
    (rf"/icy/{NAME}", mode_icy),
    (rf"/stall/{NAME}", mode_stall),
    (rf"/close/{NAME}", mode_close),
    (rf"/outage/{NAME}", mode_outage),
    (r"/status/(?P<code>[1-5][0-9][0-9])", mode_status),
    (r"/garbage-status", mode_garbage_status),
    (r"/endless-headers", mode_endless_headers),
    (r"/huge-header", mode_huge_header),
    (r"/redirect-loop", mode_redirect_loop),
    (rf"/redirect/(?P<hops>[0-9]{{1,3}})/{NAME}", mode_redirect),
    (rf"/moved/{NAME}", mode_moved),
    (rf"/metaint/(?P<value>[^/]*)/{NAME}", mode_metaint),
    (rf"/meta-past-data/{NAME}", mode_meta_past_data),
    (r"/drip", mode_drip),
    (r"/silent", mode_silent),
    (r"/playlist/self\.(?P<kind>pls|m3u)", mode_playlist_self),
    (r"/playlist/to/(?P<name>[^/]+)\.(?P<kind>pls|m3u|xspf)", mode_playlist_to),
    (r"/playlist/chain/(?P<hops>[1-9][0-9]?)/(?P<name>[^/]+)\.pls", mode_playlist_chain),
    (r"/playlist/empty\.pls", mode_playlist_empty),
    (rf"/hls/vod/{SET}\.m3u8", mode_hls_vod),
    (rf"/hls/live/{SET}\.m3u8", mode_hls_live),
    (r"/hls/joined\.m3u8", mode_hls_joined),
    (r"/hls/master\.m3u8", mode_hls_master),
    (rf"/hls/segment/{NAME}", mode_hls_segment),
    (rf"/hls/gone/{NAME}", mode_hls_gone),
]
ROUTES = [(re.compile(pattern), mode) for pattern, mode in ROUTES]


def read_request(sock):
    sock.settimeout(REQUEST_TIMEOUT_SECONDS)
    data = b""
    while b"\r\n\r\n" not in data and b"\n\n" not in data:
        if len(data) > MAX_REQUEST_BYTES:
            raise BadRequest("request head too long")
        piece = sock.recv(4096)
        if not piece:
            raise ConnectionAbortedError("client closed before its request ended")
        data += piece
    lines = data.split(b"\n\n" if b"\r\n\r\n" not in data else b"\r\n\r\n", 1)[0].decode("latin-1").splitlines()
    parts = lines[0].split()
    if len(parts) != 3 or not parts[2].startswith("HTTP/"):
        raise BadRequest(f"bad request line {lines[0]!r}")
    headers = {}
    for line in lines[1:]:
        name, _, value = line.partition(":")
        headers[name.strip().lower()] = value.strip()
    return parts[0], parts[1], headers


class Handler(socketserver.BaseRequestHandler):
    def handle(self):
        sock = self.request
        client = f"{self.client_address[0]}:{self.client_address[1]}"
        try:
            try:
                method, target, headers = read_request(sock)
            except BadRequest as error:
                log(f"{client} rejected: {error}")
                return
            log(f"{client} {method} {target}")
            sock.settimeout(SEND_TIMEOUT_SECONDS)
            split = urllib.parse.urlsplit(target)
            path = urllib.parse.unquote(split.path)
            request = Request(sock, self.server, method, path, split.query, headers)
            for pattern, mode in ROUTES:
                match = pattern.fullmatch(path)
                if match:
                    try:
                        mode(request, match)
                    except BadRequest as error:
                        request.send_status(400, f"{error}\n")
                    return
            request.send_status(404)
        except (ConnectionError, socket.timeout, OSError):
            pass  # the client went away or stopped reading: nothing more to do for it


def log(text):
    print(f"stream_server: {text}", file=sys.stderr, flush=True)


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 64

    def __init__(self, port, root):
        self.root = root
        self.stopping = threading.Event()
        self.started = time.monotonic()  # the clock of the live HLS playlists
        self.outages = {}  # /outage key: when its first request came
        self.outages_lock = threading.Lock()
        super().__init__(("127.0.0.1", port), Handler)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--root", required=True, type=Path, help="folder of the files to serve")
    parser.add_argument("--port", type=int, default=0, help="0 picks a free port")
    parser.add_argument("--no-stdin-watch", action="store_true", help="keep serving when stdin ends")
    args = parser.parse_args()
    root = args.root.resolve()
    if not root.is_dir():
        parser.error(f"{root} is not a folder")

    try:
        server = Server(args.port, root)
    except OSError as error:
        log(f"cannot listen on 127.0.0.1:{args.port}: {error.strerror}")
        sys.exit(1)
    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    if not args.no_stdin_watch:
        def watch_stdin():
            while os.read(0, 4096):
                pass
            stop.set()
        threading.Thread(target=watch_stdin, daemon=True).start()

    threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.2}, daemon=True).start()
    print(f"PORT {server.server_address[1]}", flush=True)
    while not stop.wait(0.5):
        pass
    server.stopping.set()
    server.shutdown()
    server.server_close()
    log("stopped")


if __name__ == "__main__":
    main()
