#!/usr/bin/env bash
# Makes the software centre's screenshots (resources/screenshots/*.png) from the demo: the player
# on a throw-away profile with the demo station list, playing the first local demo station from
# the demo server, on a virtual X server. Run from a clone after a build (scripts/build.sh);
# needs xvfb, xdotool and imagemagick (`apt install xvfb xdotool imagemagick`).
#   scripts/make-screenshots.sh
set -euo pipefail
cd "$(dirname "$0")/.."

for tool in xvfb-run xdotool import convert python3; do
  command -v "$tool" >/dev/null || { echo "make-screenshots: $tool is missing" >&2; exit 1; }
done
player=$PWD/build/release/app/quorventale
[ -x "$player" ] || { echo "make-screenshots: build first (scripts/build.sh)" >&2; exit 1; }
cmake --build build/release --target qv_test_fixtures >/dev/null # the demo music

work=$(mktemp -d)
server_pid=
cleanup() {
  exec 3>&- 2>/dev/null || true
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# The demo server on any free port; it ends when its stdin (held by this script) closes.
mkfifo "$work/server-stdin"
python3 tests/servers/stream_server.py --root "$PWD/build/release/fixtures" --port 0 \
  <"$work/server-stdin" >"$work/server-port" 2>"$work/server.log" &
server_pid=$!
exec 3>"$work/server-stdin"
for _ in $(seq 1 100); do # 10 s at most
  grep -q '^PORT ' "$work/server-port" 2>/dev/null && break
  sleep 0.1
done
port=$(awk '/^PORT / { print $2 }' "$work/server-port")
[ -n "$port" ] || { echo "make-screenshots: the demo server did not start" >&2; cat "$work/server.log" >&2; exit 1; }

# shoot NAME LANGUAGE: one screenshot of the main window, playing, in LANGUAGE.
shoot() {
  local profile=$work/$1
  mkdir -p "$profile/home" "$profile/config/Pelworn" "$profile/data/Quorventale"
  printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Pelworn\\Quorventale]\r\n"PlayOnStart"=dword:00000001\r\n"LastStation"=dword:00000000\r\n"Language"="%s"\r\n' \
    "$2" >"$profile/config/Pelworn/Quorventale.reg"
  python3 scripts/demo_playlist.py "$profile/data/Quorventale/default_playlist.ini" "http://127.0.0.1:$port"
  HOME=$profile/home XDG_CONFIG_HOME=$profile/config XDG_DATA_HOME=$profile/data XDG_CACHE_HOME=$profile/cache \
  XDG_RUNTIME_DIR= SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
      "$1" & player=$!
      window=$(timeout 20 xdotool search --sync --onlyvisible --class Quorventale | head -n 1)
      sleep 8 # connected, buffered, and the first title shown
      [ -n "$window" ] && import -window "$window" "$2"
      status=$?
      kill -TERM "$player"; wait "$player"
      exit $status' shoot "$player" "$work/$1.png"
  # Few colours: the window is drawn in flat colours, so this stays sharp and small.
  convert "$work/$1.png" -strip -colors 128 "PNG8:resources/screenshots/$1.png"
  echo "make-screenshots: resources/screenshots/$1.png ($(stat -c %s "resources/screenshots/$1.png") bytes)"
}

mkdir -p resources/screenshots
shoot main-window English
shoot main-window-german German
