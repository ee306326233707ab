"""The demo station list: written once in the player's own format, then only the local demo
server's port changes in it, whatever else the user did to the list and whatever its encoding."""

import os
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

SCRIPT = os.environ["QV_DEMO_PLAYLIST_SCRIPT"]


def run(path, base_url):
    subprocess.run([sys.executable, SCRIPT, path, base_url], check=True, capture_output=True)


class DemoPlaylistTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.path = os.path.join(self.folder.name, "Quorventale", "default_playlist.ini")

    def tearDown(self):
        self.folder.cleanup()

    def test_a_missing_list_is_written_in_the_native_format_local_stations_first(self):
        run(self.path, "http://127.0.0.1:18300")
        raw = Path(self.path).read_bytes()
        self.assertTrue(raw.startswith(b"\xef\xbb\xbf[playlist]\r\nPath=\r\nFile1=http://127.0.0.1:18300/icy/music.mp3?"))
        self.assertTrue(raw.endswith(b"\r\n\r\n"))
        self.assertNotIn(b"\n", raw.replace(b"\r\n", b""))
        lines = raw.decode("utf-8-sig").split("\r\n")
        keys = [line.split("=", 1)[0] for line in lines[2:] if line]
        count = len(keys) // 4
        self.assertGreaterEqual(count, 4)
        self.assertEqual(keys, [f"{key}{n}" for n in range(1, count + 1) for key in ("File", "Title", "Tag", "Preview")])
        links = [line.split("=", 1)[1] for line in lines if line.startswith("File")]
        self.assertTrue(links[1].startswith("http://127.0.0.1:18300/icy/music.ogg?"))
        self.assertTrue(links[2].startswith("http://127.0.0.1:18300/hls/live/hls_music.m3u8"))
        self.assertTrue(all(link.startswith("https://") for link in links[3:]))

    def test_only_the_local_port_changes_in_a_list_the_user_has_edited(self):
        for encoding, bom in (("utf-8", b"\xef\xbb\xbf"), ("utf-16-le", b"\xff\xfe"), ("latin-1", b"")):
            with self.subTest(encoding=encoding):
                text = ("[other]\r\nKeep=this\r\n[playlist]\r\nPath=/home/user/radio.pls\r\n"
                        "File1=http://127.0.0.1:18300/icy/music.mp3?every=20\r\nTitle1=My renamed demo \u00e9\r\n"
                        "Tag1=Mine\r\nPreview1=\r\n"
                        "File2=http://127.0.0.1:18300/file/music.mp3\r\nTitle2=Not a demo station\r\nTag2=\r\nPreview2=\r\n"
                        "File3=http://127.0.0.1:18300/icy/music.ogg\r\nTitle3=Demo Ogg\r\nTag3=\r\nPreview3=\r\n"
                        "File4=http://127.0.0.1:18300/hls/live/hls_music.m3u8\r\nTitle4=Demo HLS\r\nTag4=\r\n"
                        "Preview4=\r\n\r\n")
                os.makedirs(os.path.dirname(self.path), exist_ok=True)
                with open(self.path, "wb") as file:
                    file.write(bom + text.encode(encoding))
                run(self.path, "http://127.0.0.1:40001")
                expected = text.replace("18300/icy/", "40001/icy/").replace("18300/hls/", "40001/hls/")
                self.assertEqual(Path(self.path).read_bytes(), bom + expected.encode(encoding))
                self.assertEqual(os.listdir(os.path.dirname(self.path)), ["default_playlist.ini"])


if __name__ == "__main__":
    unittest.main()
