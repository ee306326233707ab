#!/usr/bin/env bash
# Installs what is needed, builds, and runs the player on a demo profile kept in the build tree,
# so the user's own settings and station lists are never touched. A local demo server plays
# generated music with changing titles as two stations (ICY MP3 and Ogg Vorbis), and the same
# music as a live HLS station (AAC segments in MPEG-TS), on 127.0.0.1 while the player runs; the demo station list also holds a few public stations.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh
cmake --build build/release --target qv_test_fixtures >/dev/null # the demo music

profile="$PWD/build/release/demo-profile"
mkdir -p "$profile/home" "$profile/config" "$profile/data" "$profile/cache"
export HOME="$profile/home" XDG_CONFIG_HOME="$profile/config" XDG_DATA_HOME="$profile/data" \
       XDG_CACHE_HOME="$profile/cache"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run-demo: built, but there is no display to show the player on (DISPLAY and WAYLAND_DISPLAY are not set)." >&2
  echo "run-demo: run this from a desktop session, or start one, e.g. 'xvfb-run -a scripts/run-demo.sh'." >&2
  exit 1
fi

# The demo server: port 18300 when it is free, any free port otherwise. It reads its stdin from a
# pipe that only this script holds open, so it ends with this script even if the script is killed.
server_log="$profile/demo-server.log"
server_dir=$(mktemp -d)
server_pid=
stop_demo_server() {
  exec 3>&- 2>/dev/null || true
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  rm -rf "$server_dir"
}
trap stop_demo_server EXIT

start_demo_server() { # start_demo_server PORT: true once it has said its port
  rm -f "$server_dir/stdin" "$server_dir/port"
  mkfifo "$server_dir/stdin"
  python3 tests/servers/stream_server.py --root "$PWD/build/release/fixtures" --port "$1" \
    <"$server_dir/stdin" >"$server_dir/port" 2>>"$server_log" &
  server_pid=$!
  exec 3>"$server_dir/stdin"
  for _ in $(seq 1 100); do # 10 s at most
    if grep -q '^PORT ' "$server_dir/port" 2>/dev/null; then
      demo_port=$(awk '/^PORT / { print $2 }' "$server_dir/port")
      return 0
    fi
    kill -0 "$server_pid" 2>/dev/null || break
    sleep 0.1
  done
  exec 3>&-
  kill "$server_pid" 2>/dev/null || true
  wait "$server_pid" 2>/dev/null || true
  server_pid=
  return 1
}

demo_port=
start_demo_server 18300 || start_demo_server 0 || {
  echo "run-demo: the demo server did not start; see $server_log" >&2
  exit 1
}
python3 scripts/demo_playlist.py "$XDG_DATA_HOME/Quorventale/default_playlist.ini" "http://127.0.0.1:$demo_port"

echo "run-demo: demo stations at http://127.0.0.1:$demo_port (log: $server_log)"
echo "run-demo: settings in $XDG_CONFIG_HOME/Pelworn/Quorventale.reg, data in $XDG_DATA_HOME/Quorventale"

# The player runs as a child so that the demo server stops when it exits; a signal to this script
# closes the player the way the player closes on it.
build/release/app/quorventale &
player_pid=$!
trap 'kill -TERM "$player_pid" 2>/dev/null || true' INT TERM HUP
status=0
wait "$player_pid" || status=$?
while kill -0 "$player_pid" 2>/dev/null; do # the wait above was cut short by a signal
  wait "$player_pid" && status=0 || status=$?
done
if [ "$status" -eq 3 ]; then # the player's status for "no audio output could be opened"
  echo "run-demo: the player found no audio output it could open${SDL_AUDIODRIVER:+ (SDL_AUDIODRIVER=$SDL_AUDIODRIVER)}." >&2
  echo "run-demo: on a machine without a sound card, run 'SDL_AUDIODRIVER=dummy scripts/run-demo.sh' (or 'disk')." >&2
fi
exit "$status"
