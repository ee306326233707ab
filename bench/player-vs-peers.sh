#!/usr/bin/env bash
# Whole-process benchmark: our command-line player beside mpv, audacious and a minimal
# FFmpeg + libcurl + SDL2 program (bench/minimal_player.c), all on the same local Icecast
# 128 kbit/s MP3 stream and the same real-time ALSA sink. Run by hand, not by CI (minutes of CPU).
#
#   bench/player-vs-peers.sh [--install] [--reps N] [--dur S] [--players a,b,...] [--cli PATH]
#                            [--server icecast|local] [--url URL] [--relay] [--app PATH] [--together]
#
# --server local plays our own test server's live ICY station (tests/servers/stream_server.py,
# the same MP3 with a 2 s burst) instead of Icecast: a server that answers at once, so the first
# sound shows the players' own share. Icecast 2.4 hands a new listener its first audio only on its
# source loop's second or third turn, one turn per 1400 bytes read (88 ms at 128 kbit/s).
# --url plays a stream that already runs instead (e.g. another loopback server's Ogg or HLS).
# --relay times the server's first audio byte on each player's own connection (see harness.py).
# --together runs all players at once, each into its own sink, and gives each run's ratio to mpv:
# on a shared machine whose load changes by the minute, a steadier comparison than runs in turn.
#
# Players: quorventale (quorventale-cli play, default build/release/app/quorventale-cli), window
# (the window player on a fresh profile that plays the stream on start, on a private Xvfb; default
# build/release/app/quorventale; it runs twice: "window" at the default output rate of 44100 Hz and
# "window48" at 48000, the stream's), mpv, audacious, minimal. A player whose program is missing is
# left out with a message.
# --install adds the peers (mpv, audacious) with apt-get. Results: $RUN/results (RUN defaults to
# a new folder under /tmp, kept afterwards). As root the players and Icecast run as "nobody".
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)

install=0 reps=3 dur=30 players=quorventale,mpv,audacious,minimal server=icecast url= relay=() together=()
cli=$repo/build/release/app/quorventale-cli app=$repo/build/release/app/quorventale
while [ $# -gt 0 ]; do
  case "$1" in
    --install) install=1 ;;
    --reps) reps=$2; shift ;;
    --dur) dur=$2; shift ;;
    --players) players=$2; shift ;;
    --cli) cli=$2; shift ;;
    --app) app=$2; shift ;;
    --relay) relay=(--relay) ;;
    --together) together=(--together) ;;
    --server) server=$2; shift ;;
    --url) url=$2 server=given; shift ;;
    *) sed -n '2,24p' "$0" >&2; exit 2 ;;
  esac
  shift
done

if [ "$install" = 1 ]; then
  "$repo/scripts/install-deps.sh"
  as_root=()
  [ "$(id -u)" -eq 0 ] || as_root=(sudo)
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends mpv audacious
fi
for tool in python3 cc pkg-config icecast2 ffmpeg curl; do
  command -v "$tool" >/dev/null || { echo "player-vs-peers: $tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done

RUN=${RUN:-$(mktemp -d /tmp/qv-bench.XXXXXX)}
mkdir -p "$RUN"/{bin,home,sink,xdg,results}
chmod 755 "$RUN" "$RUN/bin"
chmod 700 "$RUN/xdg"
if [ "$(id -u)" -eq 0 ]; then
  uid=$(id -u nobody) gid=$(id -g nobody)
  chown -R nobody:"$(id -gn nobody)" "$RUN/home" "$RUN/sink" "$RUN/xdg"
  as_bench_user=(setpriv --reuid=nobody --regid="$gid" --clear-groups)
  user_args=(--uid "$uid" --gid "$gid")
else
  as_bench_user=() user_args=()
fi

# The sink every player writes to: plug converts to the FIFO's format, the harness reads it in real time.
cat >"$RUN/home/.asoundrc" <<ASOUNDRC
pcm.!default {
  type plug
  slave { pcm "benchsink"; format S16_LE; rate 48000; channels 2 }
}
pcm.benchsink {
  type file
  slave.pcm "null"
  file "$RUN/sink/audio.fifo"
  format "raw"
  perm 0666
}
ASOUNDRC

# Which players can run here.
player_args=() sdl_args=()
add_player() { player_args+=(--player "$1=$2"); }
for player in ${players//,/ }; do
  case "$player" in
    quorventale)
      if [ -x "$cli" ]; then
        cp "$cli" "$RUN/bin/quorventale-cli" # a copy the bench user may run
        add_player quorventale "$RUN/bin/quorventale-cli play {url} --seconds 600"
        sdl_args+=(--sdl quorventale)
      else
        echo "player-vs-peers: no $cli (scripts/build.sh builds it): quorventale left out" >&2
      fi ;;
    window)
      if [ -x "$app" ] && command -v Xvfb >/dev/null; then
        cp -r "$app" "$(dirname "$app")/Languages" "$RUN/bin/" 2>/dev/null || cp "$app" "$RUN/bin/"
        cp "$repo/bench/window-player.sh" "$RUN/bin/"
        window_display=:$((90 + RANDOM % 9))
        add_player window "$RUN/bin/window-player.sh $RUN/bin/quorventale $window_display {url}"
        add_player window48 "$RUN/bin/window-player.sh $RUN/bin/quorventale $window_display {url} 48000"
      else
        echo "player-vs-peers: no $app or no Xvfb: the window player left out" >&2
      fi ;;
    minimal)
      cc -std=c11 -O2 -o "$RUN/bin/minimal_player" "$repo/bench/minimal_player.c" \
        $(pkg-config --cflags --libs libavformat libavcodec libavutil libcurl sdl2)
      add_player minimal "$RUN/bin/minimal_player {url}"
      sdl_args+=(--sdl minimal) ;;
    mpv)
      if command -v mpv >/dev/null; then
        add_player mpv "mpv --no-config --no-terminal --no-video --ao=alsa {url}"
      else
        echo "player-vs-peers: mpv is not installed (--install): left out" >&2
      fi ;;
    audacious)
      if command -v audacious >/dev/null; then
        add_player audacious "audacious -H {url}"
      else
        echo "player-vs-peers: audacious is not installed (--install): left out" >&2
      fi ;;
    *) echo "player-vs-peers: unknown player $player" >&2; exit 2 ;;
  esac
done
[ ${#player_args[@]} -gt 0 ] || { echo "player-vs-peers: no player to run" >&2; exit 1; }

bus_pid= server_pid= xvfb_pid= window_display=${window_display:-}
cleanup() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
  fi
  if [ "$server" = given ]; then
    :
  elif [ "$server" = icecast ]; then
    "$repo/tests/servers/icecast.sh" stop "$RUN/icecast" || true
  elif [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null || true
  fi
  if [ -n "$bus_pid" ]; then
    kill "$bus_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT

fixtures=$repo/build/release/fixtures
[ -s "$fixtures/music.mp3" ] || fixtures=$RUN/fixtures
[ -s "$fixtures/music.mp3" ] || "$repo/tests/fixtures/make-fixtures.sh" "$fixtures"
case "$server" in
  given) ;;
  icecast)
    url=$("$repo/tests/servers/icecast.sh" start "$RUN/icecast" "$fixtures" | awk '/^URL / { print $2 }')
    [ -n "$url" ] || { echo "player-vs-peers: Icecast did not start" >&2; exit 1; } ;;
  local)
    python3 "$repo/tests/servers/stream_server.py" --root "$fixtures" --port 0 --no-stdin-watch \
      </dev/null >"$RUN/stream_server.out" 2>"$RUN/stream_server.log" &
    server_pid=$!
    for _ in $(seq 1 50); do # bounded: 5 s
      port=$(awk '/^PORT / { print $2 }' "$RUN/stream_server.out")
      [ -n "$port" ] && break
      sleep 0.1
    done
    [ -n "$port" ] || { echo "player-vs-peers: the local stream server did not start" >&2; exit 1; }
    url="http://127.0.0.1:$port/icy/music.mp3?metaint=16000&every=10" ;;
  *) echo "player-vs-peers: unknown server $server (icecast or local)" >&2; exit 2 ;;
esac

if [ -n "$window_display" ]; then
  "${as_bench_user[@]}" Xvfb "$window_display" -screen 0 1280x800x24 -nolisten tcp </dev/null >"$RUN/xvfb.log" 2>&1 &
  xvfb_pid=$!
fi

# audacious wants a session bus; the players share a private one.
bus_args=()
if command -v dbus-daemon >/dev/null; then
  "${as_bench_user[@]}" dbus-daemon --session --nofork --nopidfile --address="unix:path=$RUN/xdg/bus" \
    </dev/null >"$RUN/dbus.log" 2>&1 &
  bus_pid=$!
  bus_args=(--bus "unix:path=$RUN/xdg/bus")
fi
sleep 3 # let Icecast fill its burst buffer, as a station that has been on the air would have

stamp=$(date +%Y%m%d-%H%M%S)
python3 "$repo/bench/harness.py" --run "$RUN" --url "$url" --reps "$reps" --dur "$dur" \
  "${player_args[@]}" "${sdl_args[@]}" "${user_args[@]}" "${bus_args[@]}" "${relay[@]}" "${together[@]}" \
  --out "$RUN/results/players-$stamp.csv" | tee "$RUN/results/players-$stamp.txt"
echo "player-vs-peers: results in $RUN/results"
