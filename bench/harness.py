#!/usr/bin/env python3
"""Runs each player on one live stream into the same real-time ALSA sink and measures it.

The sink: each player's ALSA "default" device is plug (S16_LE, 48 kHz, stereo) -> file plugin
writing raw PCM into a FIFO -> null (see player-vs-peers.sh). This harness reads the FIFO at
exactly 192000 bytes/s, so a player that writes faster blocks, as it would on a sound card.

Per run: time from launch to the first non-silent sample (|s| > 100) in the sink; CPU seconds
(utime + stime of the whole process tree) in the window of --dur seconds that starts at the first
audio; peak RSS (largest VmHWM sum of the tree, sampled every 0.5 s, and the rusage maximum);
seconds of audio delivered in that window (about --dur when the player never ran dry); and each
thread's scheduler time in that window, in logs/<player>-<rep>.threads.
Runs are interleaved (rep 1 of every player, then rep 2...) so drift hits all alike. With
--together every repetition runs all players at once, each into its own sink, over one window: the
minute's load on a shared machine falls on all of them, and each run gives its own ratio to mpv.

Before each run the harness itself asks the server for the stream and notes when the first byte of
audio arrives: the server's own share of the first sound, which no player can beat. "over server"
is each run's first sound less that figure. With --relay the players reach the server through a
loopback relay of the harness instead, which notes when the first audio byte of the player's own
connection passed (playlists do not count): exact on servers whose first byte comes at a varying
moment, such as Icecast with Ogg pages of a second.
"""

import argparse
import array
import csv
import os
import select
import socket
import signal
import statistics
import subprocess
import threading
import time
import urllib.parse

BYTES_PER_SECOND = 48000 * 2 * 2
TICKS = os.sysconf("SC_CLK_TCK")


class SinkReader(threading.Thread):
    """Drains the FIFO in real time (token bucket, 0.25 s cap) and notes when audio starts."""

    def __init__(self, fifo):
        super().__init__(daemon=True)
        self.fd = os.open(fifo, os.O_RDWR | os.O_NONBLOCK)  # RDWR: never EOF between writers
        self.stop = False
        self.first_audio = None
        self.window_open = False
        self.window_bytes = 0

    def run(self):
        cap = BYTES_PER_SECOND // 4
        tokens, last, pending = cap, time.monotonic(), b""
        while not self.stop:
            now = time.monotonic()
            tokens = min(cap, tokens + (now - last) * BYTES_PER_SECOND)
            last = now
            want = int(tokens) & ~3
            if want < 4096:
                time.sleep(0.005)
                continue
            if not select.select([self.fd], [], [], 0.02)[0]:
                continue
            try:
                data = os.read(self.fd, min(want, 65536))
            except BlockingIOError:
                continue
            now = time.monotonic()
            tokens -= len(data)
            if self.first_audio is None:
                pending += data
                usable = len(pending) & ~1
                samples = array.array("h")
                samples.frombytes(pending[:usable])
                pending = pending[usable:]
                if any(s > 100 or s < -100 for s in samples):
                    self.first_audio = now
            if self.window_open:
                self.window_bytes += len(data)
        os.close(self.fd)


def server_first_byte_ms(url, timeout=10.0):
    """Milliseconds from connecting to the first body byte of a plain GET, or None."""
    parsed = urllib.parse.urlsplit(url)
    path = parsed.path + ("?" + parsed.query if parsed.query else "")
    start = time.monotonic()
    try:
        with socket.create_connection((parsed.hostname, parsed.port or 80), timeout=timeout) as connection:
            connection.sendall(f"GET {path or '/'} HTTP/1.0\r\nHost: {parsed.netloc}\r\n"
                               "Icy-MetaData: 1\r\nUser-Agent: bench-probe\r\n\r\n".encode())
            received = b""
            while time.monotonic() < start + timeout:
                chunk = connection.recv(65536)
                if not chunk:
                    return None
                received += chunk
                end = received.find(b"\r\n\r\n")
                if end >= 0 and len(received) > end + 4:
                    return round((time.monotonic() - start) * 1000)
                if len(received) > 65536:
                    return None
    except OSError:
        return None
    return None


class Relay(threading.Thread):
    """Forwards loopback connections to the stream's server and notes the first audio byte sent back."""

    def __init__(self, url):
        super().__init__(daemon=True)
        parsed = urllib.parse.urlsplit(url)
        self.upstream = (parsed.hostname, parsed.port or 80)
        self.listener = socket.create_server(("127.0.0.1", 0))
        self.port = self.listener.getsockname()[1]
        self.url = urllib.parse.urlunsplit(parsed._replace(netloc=f"127.0.0.1:{self.port}"))
        self.first_audio = None
        self.lock = threading.Lock()

    def run(self):
        while True:
            try:
                client, _ = self.listener.accept()
            except OSError:
                return
            threading.Thread(target=self.serve, args=(client,), daemon=True).start()

    def serve(self, client):
        try:
            server = socket.create_connection(self.upstream, timeout=10)
        except OSError:
            client.close()
            return
        server.settimeout(None)
        threading.Thread(target=self.pump, args=(client, server, False), daemon=True).start()
        self.pump(server, client, True)

    def pump(self, source, sink, answers):
        head = b""
        body_started = not answers
        audio = False
        try:
            while True:
                data = source.recv(65536)
                if not data:
                    break
                if not body_started:
                    head += data
                    end = head.find(b"\r\n\r\n")
                    if end >= 0:
                        body_started = True
                        audio = b"mpegurl" not in head[:end].lower()  # an HLS playlist is not audio
                        data_after_head = len(head) > end + 4
                        head = b""
                        if audio and data_after_head:
                            self.note_audio()
                elif audio:
                    self.note_audio()
                sink.sendall(data)
        except OSError:
            pass
        for end in (source, sink):
            try:
                end.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass

    def note_audio(self):
        with self.lock:
            if self.first_audio is None:
                self.first_audio = time.monotonic()

    def close(self):
        self.listener.close()


def process_tree(root):
    children = {}
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open(f"/proc/{entry}/stat") as file:
                    stat = file.read()
                parent = int(stat[stat.rfind(")") + 2 :].split()[1])
                children.setdefault(parent, []).append(int(entry))
            except (OSError, ValueError):
                pass
    tree, pending = [], [root]
    while pending:
        pid = pending.pop()
        tree.append(pid)
        pending += children.get(pid, [])
    return tree


def cpu_seconds(pids):
    total = 0
    for pid in pids:
        try:
            with open(f"/proc/{pid}/stat") as file:
                stat = file.read()
            fields = stat[stat.rfind(")") + 2 :].split()
            total += int(fields[11]) + int(fields[12])
        except OSError:
            pass
    return total / TICKS


def thread_times(pids):
    """Scheduler time (ns) of every thread of the processes, keyed by (pid, tid) with its name."""
    times = {}
    for pid in pids:
        try:
            tids = os.listdir(f"/proc/{pid}/task")
        except OSError:
            continue
        for tid in tids:
            try:
                with open(f"/proc/{pid}/task/{tid}/comm") as file:
                    name = file.read().strip()
                with open(f"/proc/{pid}/task/{tid}/schedstat") as file:
                    times[(pid, tid)] = (name, int(file.read().split()[0]))
            except (OSError, ValueError, IndexError):
                pass
    return times


def write_thread_times(path, before, after):
    """Each thread's share of the window, in ms, largest first."""
    rows = sorted(((ns - before.get(key, (name, 0))[1], name, key[1]) for key, (name, ns) in after.items()),
                  reverse=True)
    with open(path, "w") as file:
        for ns, name, tid in rows:
            file.write(f"{ns / 1e6:9.1f} ms  {name} ({tid})\n")


def peak_rss_mb(pids):
    total = 0
    for pid in pids:
        try:
            with open(f"/proc/{pid}/status") as file:
                for line in file:
                    if line.startswith("VmHWM:"):
                        total += int(line.split()[1])
        except OSError:
            pass
    return total / 1024


def stop_player(player):
    """SIGTERM to the player's group, reaped within 5 s (SIGKILL after); returns its rusage."""
    try:
        os.killpg(player.pid, signal.SIGTERM)
    except ProcessLookupError:
        pass
    usage = None
    give_up = time.monotonic() + 5
    while time.monotonic() < give_up:
        pid, _, usage = os.wait4(player.pid, os.WNOHANG)
        if pid == player.pid:
            break
        usage = None
        time.sleep(0.05)
    if usage is None:
        os.killpg(player.pid, signal.SIGKILL)
        usage = os.wait4(player.pid, 0)[2]
    player.returncode = 0  # reaped above
    try:
        os.killpg(player.pid, signal.SIGKILL)  # anything left in the player's own group
    except ProcessLookupError:
        pass
    return usage


def player_env(args, home, extra_env):
    env = {"PATH": "/usr/local/bin:/usr/bin:/bin", "HOME": home, "LANG": "C.UTF-8",
           "XDG_RUNTIME_DIR": os.path.join(args.run, "xdg"), "PULSE_SERVER": "unix:/nonexistent"}
    if args.bus:
        env["DBUS_SESSION_BUS_ADDRESS"] = args.bus
    env.update(extra_env)
    return env


def fresh_fifo(path, args):
    if os.path.exists(path):
        os.unlink(path)
    os.mkfifo(path, 0o666)
    if args.uid is not None:
        os.chown(path, args.uid, args.gid)


def one_run(name, argv, extra_env, args, rep):
    fifo = os.path.join(args.run, "sink", "audio.fifo")
    fresh_fifo(fifo, args)
    home = os.path.join(args.run, "home")
    env = player_env(args, home, extra_env)
    relay = None
    if args.relay:
        relay = Relay(args.url)
        relay.start()
        argv = [part.replace(args.url, relay.url) for part in argv]
        server_ms = None
    else:
        server_ms = server_first_byte_ms(args.url)
        time.sleep(0.2)  # the probe's connection is gone before the player's begins
    reader = SinkReader(fifo)
    reader.start()
    log = open(os.path.join(args.run, "logs", f"{name}-{rep}.log"), "w")
    as_user = {"user": args.uid, "group": args.gid, "extra_groups": []} if args.uid is not None else {}
    start = time.monotonic()
    player = subprocess.Popen(argv, env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
                              start_new_session=True, cwd=home, **as_user)
    while reader.first_audio is None and time.monotonic() < start + 30 and player.poll() is None:
        time.sleep(0.005)
    window_start = reader.first_audio or time.monotonic()
    pids = process_tree(player.pid)
    cpu_before = cpu_seconds(pids)
    threads_before = thread_times(pids)
    reader.window_open = True
    peak = 0.0
    while time.monotonic() < window_start + args.dur and player.poll() is None:
        pids = process_tree(player.pid)
        peak = max(peak, peak_rss_mb(pids))
        time.sleep(0.5)
    pids = process_tree(player.pid)
    cpu_after = cpu_seconds(pids)
    write_thread_times(os.path.join(args.run, "logs", f"{name}-{rep}.threads"), threads_before, thread_times(pids))
    peak = max(peak, peak_rss_mb(pids))
    reader.window_open = False
    exited_early = player.poll() is not None

    usage = stop_player(player)
    reader.stop = True
    reader.join(2)
    log.close()
    if relay is not None:
        relay.close()
        if relay.first_audio is not None:
            server_ms = round((relay.first_audio - start) * 1000)
    return {
        "player": name,
        "rep": rep,
        "ttfa_ms": round((reader.first_audio - start) * 1000) if reader.first_audio else "",
        "server_ms": server_ms if server_ms is not None else "",
        "over_server_ms": round((reader.first_audio - start) * 1000) - server_ms
        if reader.first_audio and server_ms is not None else "",
        "cpu_window_s": round(cpu_after - cpu_before, 2),
        "peak_rss_mb": round(max(peak, usage.ru_maxrss / 1024), 1),
        "audio_s": round(reader.window_bytes / BYTES_PER_SECOND, 2),
        "note": "exited-early" if exited_early else ("no-audio" if reader.first_audio is None else ""),
    }


def together_run(players, args, rep):
    """Every player at once, each into its own sink (its own HOME whose .asoundrc names its own
    FIFO), measured over the same window, which opens once all of them sound. The minute's load on
    a shared machine then falls on all alike, so the ratio of one run is comparable to the next;
    the first-sound figures are not those of a player alone."""
    with open(os.path.join(args.run, "home", ".asoundrc")) as file:
        template = file.read()
    shared_fifo = os.path.join(args.run, "sink", "audio.fifo")
    as_user = {"user": args.uid, "group": args.gid, "extra_groups": []} if args.uid is not None else {}
    runs = []
    for name, argv, extra_env in players:
        home = os.path.join(args.run, f"home-{name}")
        os.makedirs(home, exist_ok=True)
        fifo = os.path.join(args.run, "sink", f"{name}.fifo")
        fresh_fifo(fifo, args)
        with open(os.path.join(home, ".asoundrc"), "w") as file:
            file.write(template.replace(shared_fifo, fifo))
        if args.uid is not None:
            os.chown(home, args.uid, args.gid)
            os.chown(os.path.join(home, ".asoundrc"), args.uid, args.gid)
        reader = SinkReader(fifo)
        reader.start()
        runs.append({"name": name, "argv": argv, "env": player_env(args, home, extra_env), "home": home,
                     "reader": reader, "log": open(os.path.join(args.run, "logs", f"{name}-{rep}.log"), "w")})
    start = time.monotonic()
    for run in runs:
        run["process"] = subprocess.Popen(run["argv"], env=run["env"], stdin=subprocess.DEVNULL, stdout=run["log"],
                                          stderr=subprocess.STDOUT, start_new_session=True, cwd=run["home"],
                                          **as_user)
    while (time.monotonic() < start + 30 and
           any(run["reader"].first_audio is None and run["process"].poll() is None for run in runs)):
        time.sleep(0.005)
    window_start = time.monotonic()
    for run in runs:
        pids = process_tree(run["process"].pid)
        run["cpu_before"] = cpu_seconds(pids)
        run["threads_before"] = thread_times(pids)
        run["peak"] = 0.0
        run["reader"].window_open = True
    while time.monotonic() < window_start + args.dur and all(run["process"].poll() is None for run in runs):
        for run in runs:
            run["peak"] = max(run["peak"], peak_rss_mb(process_tree(run["process"].pid)))
        time.sleep(0.5)
    rows = []
    for run in runs:
        pids = process_tree(run["process"].pid)
        cpu_after = cpu_seconds(pids)
        write_thread_times(os.path.join(args.run, "logs", f"{run['name']}-{rep}.threads"), run["threads_before"],
                           thread_times(pids))
        run["peak"] = max(run["peak"], peak_rss_mb(pids))
        run["reader"].window_open = False
        run["exited_early"] = run["process"].poll() is not None
        run["cpu"] = cpu_after - run["cpu_before"]
    for run in runs:
        usage = stop_player(run["process"])
        run["reader"].stop = True
        run["reader"].join(2)
        run["log"].close()
        first = run["reader"].first_audio
        rows.append({
            "player": run["name"], "rep": rep,
            "ttfa_ms": round((first - start) * 1000) if first else "", "server_ms": "", "over_server_ms": "",
            "cpu_window_s": round(run["cpu"], 2),
            "peak_rss_mb": round(max(run["peak"], usage.ru_maxrss / 1024), 1),
            "audio_s": round(run["reader"].window_bytes / BYTES_PER_SECOND, 2),
            "note": "exited-early" if run["exited_early"] else ("no-audio" if first is None else ""),
        })
    return rows


def median(rows, key):
    values = [row[key] for row in rows if row[key] != ""]
    return statistics.median(values) if values else None


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--run", required=True, help="scratch folder prepared by player-vs-peers.sh")
    parser.add_argument("--url", required=True)
    parser.add_argument("--player", action="append", default=[], metavar="NAME=COMMAND",
                        help="a player; {url} in COMMAND stands for the stream; repeat for each")
    parser.add_argument("--sdl", action="append", default=[], help="players that get SDL_AUDIODRIVER=alsa")
    parser.add_argument("--reps", type=int, default=3)
    parser.add_argument("--warmup", type=float, default=3.0,
                        help="seconds of one unrecorded run per player first (caches, plugin lists)")
    parser.add_argument("--dur", type=float, default=30.0)
    parser.add_argument("--uid", type=int)
    parser.add_argument("--gid", type=int)
    parser.add_argument("--bus", help="D-Bus session address for the players")
    parser.add_argument("--relay", action="store_true",
                        help="reach the server through a relay that notes the player's own first audio byte")
    parser.add_argument("--together", action="store_true",
                        help="run all players at once, each into its own sink, over one window")
    parser.add_argument("--out", required=True, help="CSV of every run")
    args = parser.parse_args()
    os.makedirs(os.path.join(args.run, "logs"), exist_ok=True)

    players = []
    for entry in args.player:
        name, command = entry.split("=", 1)
        env = {"SDL_AUDIODRIVER": "alsa"} if name in args.sdl else {}
        players.append((name, command.replace("{url}", args.url).split(), env))
    fields = ["player", "rep", "ttfa_ms", "server_ms", "over_server_ms", "cpu_window_s", "peak_rss_mb", "audio_s", "note"]
    rows = []
    if args.warmup > 0:
        measured_duration, args.dur = args.dur, args.warmup
        for name, argv, env in players:
            one_run(name, argv, env, args, 0)
        args.dur = measured_duration
    with open(args.out, "w", newline="") as file:
        writer = csv.DictWriter(file, fieldnames=fields)
        writer.writeheader()

        def record(row):
            rows.append(row)
            writer.writerow(row)
            file.flush()
            print(" ".join(f"{key}={row[key]}" for key in fields), flush=True)

        for rep in range(1, args.reps + 1):
            if args.together:
                for row in together_run(players, args, rep):
                    record(row)
                time.sleep(1)
                continue
            for name, argv, env in players:
                record(one_run(name, argv, env, args, rep))
                time.sleep(1)

    summary = {name: {key: median([r for r in rows if r["player"] == name], key)
                      for key in ("ttfa_ms", "server_ms", "over_server_ms", "cpu_window_s", "peak_rss_mb", "audio_s")} for name, *_ in players}

    def ratio(name, key, reference):
        if reference not in summary or not summary[reference][key] or summary[name][key] is None:
            return "-"
        return f"{summary[name][key] / summary[reference][key]:.2f}"

    def shown(value, digits):
        return "-" if value is None else f"{value:.{digits}f}"

    if args.together and "mpv" in summary:
        # Runs side by side share their minute: the ratio within each run, then its median.
        for name, *_ in players:
            ratios = sorted(mine["cpu_window_s"] / theirs["cpu_window_s"] for mine in rows for theirs in rows
                            if mine["player"] == name and theirs["player"] == "mpv" and mine["rep"] == theirs["rep"]
                            and theirs["cpu_window_s"])
            if name != "mpv" and ratios:
                print(f"{name}: CPU / mpv within each run {', '.join(f'{r:.2f}' for r in ratios)}; "
                      f"median {statistics.median(ratios):.2f}")
    print(f"\nmedians of {args.reps}, {args.dur:.0f} s window, stream {args.url}"
          + (", all players at once" if args.together else ""))
    print(f"{'player':<12} {'CPU s':>6} {'peak RSS MB':>11} {'TTFA ms':>8} {'server ms':>9} {'over server':>11} "
          f"{'audio s':>8} {'CPU/mpv':>8} {'RSS/minimal':>11}  notes")
    for name, *_ in players:
        m = summary[name]
        notes = ",".join(sorted({r["note"] for r in rows if r["player"] == name and r["note"]}))
        print(f"{name:<12} {shown(m['cpu_window_s'], 2):>6} {shown(m['peak_rss_mb'], 1):>11} "
              f"{shown(m['ttfa_ms'], 0):>8} {shown(m['server_ms'], 0):>9} {shown(m['over_server_ms'], 0):>11} "
              f"{shown(m['audio_s'], 1):>8} {ratio(name, 'cpu_window_s', 'mpv'):>8} "
              f"{ratio(name, 'peak_rss_mb', 'minimal'):>11}  {notes}")


if __name__ == "__main__":
    main()
