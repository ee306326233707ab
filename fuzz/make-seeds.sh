#!/usr/bin/env bash
# Writes a small seed corpus for every fuzz target into OUTDIR/<name>/ (text only, made here).
#   fuzz/make-seeds.sh OUTDIR
set -euo pipefail
out=${1:?usage: make-seeds.sh OUTDIR}

seed() {  # seed <target> <file> <text as printf format>
  mkdir -p "$out/$1"
  printf "$3" >"$out/$1/$2"
}

# The first two bytes choose the metadata interval and the piece size.
seed icy_demuxer plain '\x07\x03abcdefgh\x01StreamTitle=x;\0\0\0\0\0ijklmnop\0qrstuvwx'
seed icy_demuxer two_blocks '\x0f\x050123456789abcdef\x02StreamTitle=\x27A - B\x27;StreamUrl=\x27\x27;\0\0\x000123456789abcdef\0'

seed hls_playlists media '#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:6\n#EXT-X-MEDIA-SEQUENCE:7\n#EXTINF:6.0,part 1\nseg7.ts\n#EXTINF:6,\nhttp://other.test/seg8.aac\n#EXT-X-DISCONTINUITY\n#EXT-X-BYTERANGE:1000@0\n#EXTINF:5.5,\n../all.mp3\n#EXT-X-ENDLIST\n'
seed hls_playlists master '#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=128000,CODECS="mp4a.40.2"\naudio/index.m3u8\n#EXT-X-STREAM-INF:BANDWIDTH=800000,CODECS="avc1.4d401e,mp4a.40.2",RESOLUTION=640x360\nvideo/index.m3u8\n'
seed hls_playlists fmp4 '#EXTM3U\n#EXT-X-TARGETDURATION:4\n#EXT-X-MAP:URI="init.mp4",BYTERANGE="720@0"\n#EXT-X-KEY:METHOD=NONE\n#EXTINF:4,\nseg1.m4s\n'

seed playlist_link pls '[playlist]\nNumberOfEntries=2\nFile1=http://example.test/stream.mp3\nTitle1=One\nFile2=https://example.test/two\nVersion=2\n'
seed playlist_link m3u '#EXTM3U\n#EXTINF:-1,Station\nhttp://example.test/live\n'
seed playlist_link xspf '<?xml version="1.0" encoding="UTF-8"?>\n<playlist version="1" xmlns="http://xspf.org/ns/0/"><trackList><track><location>http://example.test/a.ogg</location></track></trackList></playlist>\n'

seed ini_file stations '[Stations]\nCount=2\nName1=Radio One\nUrl1=http://example.test/one\n; comment\nName2 = Two = more\n\n[Stations]\nignored=1\n[Other]\nkey=value\n'
seed ini_file utf16 '\xff\xfe[\0a\0]\0\n\0k\0=\0v\0\n\0'

seed settings_file settings 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Pelworn\\Quorventale]\r\n"Volume"=dword:00000064\r\n"Language"="English"\r\n"Path"="C:\\\\Music \\"x\\""\r\n"Blob"=hex:01,02,ff\r\n"Multi"=hex(7):41,00,00,00,00,00\r\n'
seed settings_file damaged 'REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Other]\n"x"=dword:zz\n@="default"\n'

# First byte: which tags are present (1 ICY, 2 Ogg, 4 HLS); \x01 splits the texts.
seed now_playing icy '\x01StreamTitle=\x27Artist - Title; with \x27quotes\x27\x27;StreamUrl=\x27\x27;\0\0\0'
seed now_playing ogg '\x02\x01ARTIST=Someone\0title=Song\0ALBUM=x\0'
seed now_playing hls '\x04\x31\x30.0,News at ten'

seed language_file lines '\xef\xbb\xbfTitle\r\nOne\rTwo\n\nFour \xc3\xbc\r\n'
# First byte: status (high bit 404) and the content type's charset.
seed update_answer offer '\x01{"LatestVersion":"0.2.0.0","WhatNew":"Faster","Link":"https://example.test/d"}'
seed update_answer latin1 '\x02{"LatestVersion":"0.2","WhatNew":"Caf\xe9","Link":"http://example.test/"}'

seed start_requests handover 'quorventale-requests 1\nfile %%2Ftmp%%2Flist.m3u\nlink http%%3A%%2F%%2F127.0.0.1%%3A8000%%2Flive\nplay-stop\nnext\nend\n'

seed http_headers icy 'ICY 200 OK\r\nicy-name: Station\r\nicy-metaint:16000\r\nContent-Type: audio/mpeg; charset=x\r\n\r\n'
seed http_headers http 'HTTP/1.1 302 Found\r\nLocation: http://example.test/live\r\nContent-Type:  Audio/OGG \r\nicy-metaint: 0\r\n'

# Station playlists: these seeds are written with %b (escapes in the text itself).
seedb() {  # seedb TARGET NAME TEXT
  mkdir -p "$out/$1"
  printf '%b' "$3" >"$out/$1/$2"
}
seedb playlist_lines m3u '#EXTM3U\r\n#EXTINF:-1,Jazz FM\r\nhttp://a/jazz\r\n#EXTINF:-1,Rock, Pop\r\nhttps://b\r\n'
seedb playlist_lines plain 'http://one\nhttps://two \nfile:///x http\n'
seedb playlist_lines utf16 '\xff\xfeh\x00t\x00t\x00p\x00:\x00/\x00/\x00a\x00'
seedb playlist_lines extinf-last 'http://a\n#EXTINF:-1,Last'

seedb playlist_ini pls '[playlist]\nnumberofentries=2\nFile1=http://a\nTitle1=A\nLength1=-1\nFile3=http://c\n'
seedb playlist_ini ini '\xef\xbb\xbf[Playlist]\nname1=N\nlink1=http://n\nTag1=t\nPreview1=http://p/l.png\n;c\n[x]\n'

seedb playlist_xml xspf '<?xml version="1.0"?><playlist><trackList><track><title>One</title><location>http://1</location></track><track/></trackList></playlist>'
seedb playlist_xml deep "<p><trackList><track><title>$(printf '<b>%.0s' $(seq 70))</title></track></trackList></p>"
seedb playlist_xml entities '<!DOCTYPE p [<!ENTITY a "aaaa"><!ENTITY b "&a;&a;&a;">]><p><trackList><track><title>&b;</title><location>http://x</location></track></trackList></p>'

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

# First byte even: a station answer; odd: a facet list (countries, languages, tags).
seed directory_answer stations '\x00[{"stationuuid":"9617a958-0601-11e8-ae97-52543be04c81","name":"Jazz FM","url":"http://j/","url_resolved":"https://j/live","favicon":"http://j/x.png","tags":"jazz,swing","countrycode":"DE","codec":"MP3","bitrate":128,"votes":3,"lastcheckok":1}]'
seed directory_answer countries '\x01[{"name":"Germany","iso_3166_1":"DE","stationcount":3}]'
