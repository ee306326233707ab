#!/usr/bin/env python3
"""Reconnection: the time from the local test server accepting a dropped station again to the
command-line player sounding again (its "playing" line: the output is taking the stream's audio).

    bench/reconnect-bench.py --cli build/release/app/quorventale-cli [--fixtures build/release/fixtures]
                             [--down 0.5,2.5,6] [--reps 3]

For each outage length the station plays for 3 s, drops, and refuses listeners for `down` seconds.
Printed per run: the wait of the attempt that succeeded, the time from the server's return to
sound, and the part of it after that attempt began (its open and first audio). The target is the
current backoff wait plus 1.5 s. Output plays to SDL's dummy driver; runs by hand, not in CI.
"""

import argparse
import os
import re
import statistics
import subprocess
import sys
import threading
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent


def start_server(fixtures):
    server = subprocess.Popen([sys.executable, str(ROOT / "tests/servers/stream_server.py"), "--root", str(fixtures),
                               "--port", "0"], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, text=True)
    port = int(server.stdout.readline().split()[1])
    backs = {}

    def read_log():
        for line in server.stderr:
            match = re.search(r"outage (\S+) back at ([0-9.]+)", line)
            if match:
                backs[match[1]] = float(match[2])

    threading.Thread(target=read_log, daemon=True).start()
    return server, port, backs


def run(cli, port, backs, down, key):
    url = f"http://127.0.0.1:{port}/outage/sine1k.mp3?up=3&down={down}&burst=0.5&key={key}"
    env = dict(os.environ, SDL_AUDIODRIVER="dummy")
    player = subprocess.Popen([cli, "play", url, "--reconnect", "--seconds", str(6 + down + 32)],
                              stdout=subprocess.PIPE, text=True, env=env)
    wait = attempt_start = None
    result = None
    deadline = time.monotonic() + 60
    for line in player.stdout:
        now = time.monotonic()
        match = re.search(r"reconnecting \(attempt (\d+)\) in ([0-9.]+) s", line)
        if match:
            wait = float(match[2])
            attempt_start = now + wait
        elif "playing" in line and attempt_start is not None:
            back = backs.get(key)
            if back is not None:
                result = (wait, now - back, now - attempt_start)
            break
        if now > deadline:
            break
    player.terminate()
    player.wait(10)
    return result


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--cli", required=True)
    parser.add_argument("--fixtures", default=str(ROOT / "build/release/fixtures"))
    parser.add_argument("--down", default="0.5,2.5,6")
    parser.add_argument("--reps", type=int, default=3)
    args = parser.parse_args()
    server, port, backs = start_server(args.fixtures)
    try:
        print(f"{'down s':>7} {'wait s':>7} {'back to sound s':>16} {'attempt to sound s':>19} {'target s':>9}")
        for down in [float(value) for value in args.down.split(",")]:
            rows = []
            for rep in range(args.reps):
                result = run(args.cli, port, backs, down, f"d{down}-r{rep}")
                if result is None:
                    print(f"{down:7.1f}  no reconnection seen")
                    continue
                wait, since_back, since_attempt = result
                rows.append(since_back)
                print(f"{down:7.1f} {wait:7.1f} {since_back:16.3f} {since_attempt:19.3f} {wait + 1.5:9.1f}")
            if rows:
                print(f"{down:7.1f}  median back to sound {statistics.median(rows):.3f} s")
    finally:
        server.stdin.close()
        server.terminate()
        server.wait(10)


if __name__ == "__main__":
    main()
