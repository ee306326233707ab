"""What the stream server needs to know about an audio file: its bit rate (to pace a live stream
in real time and to announce icy-br) and, for Ogg, how to give a repeated copy new serial numbers.

Standard library only. The parsers walk the container's frames or pages; a file they do not
understand counts as 128 kbit/s, which is what a server would announce for an unknown source.
"""

import struct
import threading
from dataclasses import dataclass

FALLBACK_BITRATE = 128000


@dataclass(frozen=True)
class AudioInfo:
    bitrate: int  # bits per second, averaged over the whole file

    @property
    def byte_rate(self) -> int:
        return max(1, self.bitrate // 8)

    @property
    def kbps(self) -> int:
        return max(1, round(self.bitrate / 1000))


def _from_duration(size: int, seconds: float) -> AudioInfo:
    if seconds <= 0:
        return AudioInfo(FALLBACK_BITRATE)
    return AudioInfo(round(size * 8 / seconds))


_MPEG1_L3_KBPS = [0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320]
_MPEG2_L3_KBPS = [0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160]
_MPEG_RATES = {3: [44100, 48000, 32000], 2: [22050, 24000, 16000], 0: [11025, 12000, 8000]}


def _skip_id3v2(data: bytes) -> int:
    if len(data) >= 10 and data[:3] == b"ID3":
        size = (data[6] << 21) | (data[7] << 14) | (data[8] << 7) | data[9]
        return 10 + size
    return 0


def _mp3_duration(data: bytes) -> float:
    """Seconds of audio in the MPEG layer III frames that follow each other from the first one."""
    pos = _skip_id3v2(data)
    seconds = 0.0
    while pos + 4 <= len(data):
        header = struct.unpack(">I", data[pos : pos + 4])[0]
        version = (header >> 19) & 3
        layer = (header >> 17) & 3
        bitrate_index = (header >> 12) & 15
        rate_index = (header >> 10) & 3
        if (header >> 21) != 0x7FF or version == 1 or layer != 1 or bitrate_index in (0, 15) or rate_index == 3:
            if seconds == 0.0:
                pos += 1  # still looking for the first frame
                continue
            break
        kbps = (_MPEG1_L3_KBPS if version == 3 else _MPEG2_L3_KBPS)[bitrate_index]
        rate = _MPEG_RATES[version][rate_index]
        samples = 1152 if version == 3 else 576
        padding = (header >> 9) & 1
        frame_size = samples // 8 * kbps * 1000 // rate + padding
        seconds += samples / rate
        pos += frame_size
    return seconds


_ADTS_RATES = [96000, 88200, 64000, 48000, 44100, 32000, 24000, 22050, 16000, 12000, 11025, 8000, 7350]


def _adts_duration(data: bytes) -> float:
    pos = _skip_id3v2(data)
    seconds = 0.0
    while pos + 7 <= len(data):
        if data[pos] != 0xFF or (data[pos + 1] & 0xF6) != 0xF0:
            break
        rate_index = (data[pos + 2] >> 2) & 15
        frame_size = ((data[pos + 3] & 3) << 11) | (data[pos + 4] << 3) | (data[pos + 5] >> 5)
        blocks = (data[pos + 6] & 3) + 1
        if rate_index >= len(_ADTS_RATES) or frame_size < 7:
            break
        seconds += blocks * 1024 / _ADTS_RATES[rate_index]
        pos += frame_size
    return seconds


def ogg_pages(data: bytes):
    """Yields (offset, length, header_type, granule, serial) for each page."""
    pos = 0
    while pos + 27 <= len(data) and data[pos : pos + 4] == b"OggS":
        header_type = data[pos + 5]
        granule, serial = struct.unpack("<qI", data[pos + 6 : pos + 18])
        segments = data[pos + 26]
        table = data[pos + 27 : pos + 27 + segments]
        length = 27 + segments + sum(table)
        if pos + length > len(data):
            break
        yield pos, length, header_type, granule, serial
        pos += length


def _ogg_duration(data: bytes) -> float:
    rates = {}  # serial -> samples per second of its granule positions
    last_granule = {}
    for offset, _, header_type, granule, serial in ogg_pages(data):
        if header_type & 2:  # first page of a logical stream: its identification header
            packet = data[offset + 27 + data[offset + 26] :]
            if packet[:7] == b"\x01vorbis":
                rates[serial] = struct.unpack("<I", packet[12:16])[0]
            elif packet[:8] == b"OpusHead":
                rates[serial] = 48000
        if granule >= 0:
            last_granule[serial] = granule
    return sum(last_granule.get(serial, 0) / rate for serial, rate in rates.items() if rate > 0)


def _flac_duration(data: bytes) -> float:
    if data[:4] != b"fLaC" or len(data) < 26:
        return 0.0
    fields = int.from_bytes(data[18:26], "big")  # STREAMINFO: rate 20 bits, channels 3, depth 5, samples 36
    rate = fields >> 44
    samples = fields & ((1 << 36) - 1)
    return samples / rate if rate else 0.0


def describe(name: str, data: bytes) -> AudioInfo:
    extension = name.rsplit(".", 1)[-1].lower()
    duration = {
        "mp3": _mp3_duration,
        "aac": _adts_duration,
        "ogg": _ogg_duration,
        "opus": _ogg_duration,
        "flac": _flac_duration,
    }.get(extension, lambda _: 0.0)(data)
    return _from_duration(len(data), duration)


def _ogg_crc_table():
    table = []
    for byte in range(256):
        crc = byte << 24
        for _ in range(8):
            crc = ((crc << 1) ^ 0x04C11DB7) if crc & 0x80000000 else (crc << 1)
        table.append(crc & 0xFFFFFFFF)
    return table


_CRC_TABLE = _ogg_crc_table()


def ogg_crc(page: bytes) -> int:
    crc = 0
    for byte in page:
        crc = ((crc << 8) & 0xFFFFFFFF) ^ _CRC_TABLE[(crc >> 24) ^ byte]
    return crc


def ogg_with_new_serials(data: bytes, flip: int) -> bytes:
    """The same Ogg data with every serial number XORed with `flip` and the page checksums redone.
    A looped Ogg file is a chain of logical streams, and two neighbours in a chain must not share
    a serial number, so a live loop alternates between the file and this copy."""
    out = bytearray(data)
    for offset, length, _, _, serial in ogg_pages(data):
        struct.pack_into("<I", out, offset + 14, serial ^ flip)
        struct.pack_into("<I", out, offset + 22, 0)
        struct.pack_into("<I", out, offset + 22, ogg_crc(out[offset : offset + length]))
    return bytes(out)


class FileCache:
    """File contents, their description and their Ogg loop copy, made once per file and version."""

    def __init__(self):
        self._lock = threading.Lock()
        self._entries = {}

    def load(self, path):
        stat = path.stat()
        key = (str(path), stat.st_mtime_ns, stat.st_size)
        with self._lock:
            entry = self._entries.get(key)
            if entry is None:
                data = path.read_bytes()
                copies = [data]
                if data[:4] == b"OggS":
                    copies.append(ogg_with_new_serials(data, 0x5A5A0000))
                entry = (data, describe(path.name, data), copies)
                self._entries[key] = entry
            return entry
