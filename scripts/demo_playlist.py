#!/usr/bin/env python3
"""Gives the demo profile its station list: the three stations of the local demo server first,
then a few public stations for those who have internet.

    demo_playlist.py PLAYLIST_FILE BASE_URL

BASE_URL is the demo server's address, e.g. http://127.0.0.1:18300. A missing list is written
in the player's own format (section "playlist", File/Title/Tag/Preview keys, UTF-8 with a
byte-order mark, CR LF). An existing list is the user's: only the address of the local demo
entries changes (the demo server's port may differ from run to run), the rest stays as it is.
"""

import os
import re
import sys
import tempfile
import urllib.parse

DEMO_TAG = "Local demo"
PUBLIC_TAG = "Internet"


def local_station(base_url, file_name, name, titles):
    query = urllib.parse.urlencode({
        "name": name,
        "genre": "Demo",
        "description": "Generated music played by the demo server on this computer",
        "titles": "|".join(titles),
        "every": "20",
    })
    return (f"{base_url}/icy/{file_name}?{query}", name, DEMO_TAG)


def stations(base_url):
    return [
        local_station(base_url, "music.mp3", "Quorventale Demo (ICY MP3)",
                      ["Demo Ensemble - Chords in A", "Demo Ensemble - Tremolo Evening", "Demo Ensemble - Pink Rain"]),
        local_station(base_url, "music.ogg", "Quorventale Demo (Ogg Vorbis)",
                      ["Demo Quartet - Slow Fifths", "Demo Quartet - Noise Garden"]),
        (f"{base_url}/hls/live/hls_music.m3u8?window=5", "Quorventale Demo (HLS live)", DEMO_TAG),
        ("https://ice1.somafm.com/groovesalad-128-mp3", "SomaFM Groove Salad", PUBLIC_TAG),
        ("https://stream.radioparadise.com/mp3-128", "Radio Paradise", PUBLIC_TAG),
        ("https://icecast.radiofrance.fr/fip-midfi.mp3", "FIP", PUBLIC_TAG),
        ("https://st01.sslstream.dlf.de/dlf/01/128/mp3/stream.mp3", "Deutschlandfunk", PUBLIC_TAG),
        ("https://kexp-mp3-128.streamguys1.com/kexp128.mp3", "KEXP Seattle", PUBLIC_TAG),
    ]


def playlist_text(base_url):
    lines = ["[playlist]", "Path="]
    for number, (link, name, tag) in enumerate(stations(base_url), start=1):
        lines += [f"File{number}={link}", f"Title{number}={name}", f"Tag{number}={tag}", f"Preview{number}="]
    return "\r\n".join(lines) + "\r\n\r\n"


# The player reads the encoding from the byte-order mark; without one the bytes are kept as they
# are (latin-1 maps every byte to one character and back).
BOMS = [(b"\xef\xbb\xbf", "utf-8-sig"), (b"\xff\xfe", "utf-16"), (b"\xfe\xff", "utf-16")]

LOCAL_LINK = re.compile(r"^(\s*File[0-9]+\s*=\s*)http://127\.0\.0\.1:[0-9]+"
                        r"(/icy/music\.(?:mp3|ogg)\b|/hls/live/hls_music\.m3u8\b)",
                        re.IGNORECASE | re.MULTILINE)


def write_atomically(path, data):
    folder = os.path.dirname(path) or "."
    os.makedirs(folder, exist_ok=True)
    handle, temporary = tempfile.mkstemp(dir=folder, prefix=".default_playlist.")
    try:
        with os.fdopen(handle, "wb") as file:
            file.write(data)
        os.replace(temporary, path)
    except BaseException:
        os.unlink(temporary)
        raise


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    path, base_url = sys.argv[1], sys.argv[2].rstrip("/")
    if not os.path.exists(path):
        write_atomically(path, playlist_text(base_url).encode("utf-8-sig"))
        print(f"demo_playlist: wrote the demo stations to {path}")
        return
    with open(path, "rb") as file:
        raw = file.read()
    encoding = next((name for bom, name in BOMS if raw.startswith(bom)), "latin-1")
    text = raw.decode(encoding)
    updated = LOCAL_LINK.sub(lambda match: match[1] + base_url + match[2], text)
    if updated != text:
        write_atomically(path, updated.encode(encoding))
        print(f"demo_playlist: the local demo stations in {path} now point at {base_url}")


if __name__ == "__main__":
    main()
