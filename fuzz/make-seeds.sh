#!/usr/bin/env bash
# Writes a small seed corpus for each fuzz target into OUTDIR/<name>/ (text made here; the ZIP
# seeds are packed by Python's zipfile so that no binary is kept in the repository).
set -euo pipefail
out=${1:?usage: fuzz/make-seeds.sh OUTDIR}

seed() {  # seed TARGET NAME TEXT
  mkdir -p "$out/$1"
  printf '%b' "$3" >"$out/$1/$2"
}

seed playlist_lines m3u '#EXTM3U\r\n#EXTINF:-1,Jazz FM\r\nhttp://a/jazz\r\n#EXTINF:-1,Rock, Pop\r\nhttps://b\r\n'
seed playlist_lines plain 'http://one\nhttps://two \nfile:///x http\n'
seed playlist_lines utf16 '\xff\xfeh\x00t\x00t\x00p\x00:\x00/\x00/\x00a\x00'
seed playlist_lines extinf-last 'http://a\n#EXTINF:-1,Last'

seed playlist_ini pls '[playlist]\nnumberofentries=2\nFile1=http://a\nTitle1=A\nLength1=-1\nFile3=http://c\n'
seed playlist_ini ini '\xef\xbb\xbf[Playlist]\nname1=N\nlink1=http://n\nTag1=t\nPreview1=http://p/l.png\n;c\n[x]\n'

seed playlist_xml xspf '<?xml version="1.0"?><playlist><trackList><track><title>One</title><location>http://1</location></track><track/></trackList></playlist>'
seed playlist_xml entities '<!DOCTYPE p [<!ENTITY a "aaaa"><!ENTITY b "&a;&a;&a;">]><p><trackList><track><title>&b;</title><location>http://x</location></track></trackList></p>'

mkdir -p "$out/zip_listing"
python3 - "$out/zip_listing" <<'PY'
import sys, zipfile
folder = sys.argv[1]
with zipfile.ZipFile(f"{folder}/plain.zip", "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("a.m3u", "http://a\n")
    z.writestr("sub/b.pls", "[playlist]\nFile1=http://b\n")
with zipfile.ZipFile(f"{folder}/hostile.zip", "w", zipfile.ZIP_STORED) as z:
    z.writestr("../up.m3u", "http://x\n")
    link = zipfile.ZipInfo("link.m3u")
    link.create_system = 3
    link.external_attr = 0o120777 << 16
    z.writestr(link, "/etc/passwd")
PY
