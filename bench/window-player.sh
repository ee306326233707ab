#!/usr/bin/env bash
# The window player on a fresh profile whose station list holds one stream, played on start: how
# bench/player-vs-peers.sh runs it beside the command-line player and the peers.
#   bench/window-player.sh APP DISPLAY URL [RATE]
# RATE is the output rate setting (the program's default is 44100 Hz; 48000 spares resampling a
# 48 kHz stream to a 48 kHz sink). Only the XDG folders are fresh, so the sink set up in HOME
# (.asoundrc) applies.
set -eu
app=${1:?usage: window-player.sh APP DISPLAY URL [RATE]} display=${2:?} url=${3:?} rate=${4:-44100}
profile=$(mktemp -d "${TMPDIR:-/tmp}/qv-window-player.XXXXXX")
mkdir -p "$profile/config/Pelworn" "$profile/data/Quorventale" "$profile/cache"
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Pelworn\\Quorventale]\r\n"PlayOnStart"=dword:00000001\r\n"LastStation"=dword:00000000\r\n"Volume"=dword:00000064\r\n"Discreditation"=dword:%08x\r\n\r\n' "$rate" \
  >"$profile/config/Pelworn/Quorventale.reg"
printf '\xef\xbb\xbf[playlist]\r\nPath=\r\nFile1=%s\r\nTitle1=Bench\r\nTag1=\r\nPreview1=\r\n\r\n' "$url" \
  >"$profile/data/Quorventale/default_playlist.ini"
export XDG_CONFIG_HOME=$profile/config XDG_DATA_HOME=$profile/data XDG_CACHE_HOME=$profile/cache
export DISPLAY=$display SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-alsa}
exec "$app"
