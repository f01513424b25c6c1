#!/bin/sh
# Makes the WAVE samples with Debian's ffmpeg: the default layout (a LIST
# chunk before the data), the canonical 44-byte header (bitexact, no
# metadata), 24-bit and 5.1 (both with the 40-byte extensible format chunk).
# Low sample rates keep more than a second of audio small.
set -e
cd "$(dirname "$0")"
sine() { echo "sine=frequency=440:sample_rate=$1:duration=$2"; }
ffmpeg -v error -y -f lavfi -i "$(sine 8000 1.5)" -ac 1 -c:a pcm_u8 list.wav
ffmpeg -v error -y -f lavfi -i "$(sine 8000 2.25)" -ac 1 -c:a pcm_u8 \
  -fflags +bitexact -map_metadata -1 canonical.wav
ffmpeg -v error -y -f lavfi -i "$(sine 2000 1.5)" -ac 2 -c:a pcm_s24le s24.wav
ffmpeg -v error -y -f lavfi -i "$(sine 2000 1.25)" -af "pan=5.1|c0=c0|c1=c0|c2=c0|c3=c0|c4=c0|c5=c0" \
  -c:a pcm_s16le surround.wav

# Tagged files, a quarter second each: INFO fields from ffmpeg (a UTF-8
# title), an ID3v2 tag in an "id3 " chunk from mutagen (with a picture and a
# field of its own), and both in one file. mutagen adds no padding.
tone() { ffmpeg -v error -y -f lavfi -i "$(sine 8000 0.25)" -ac 1 -c:a pcm_u8 -fflags +bitexact "$@"; }
tone -metadata title="Tïtle" -metadata artist=Artist -metadata album=Album -metadata comment=Comment \
  -metadata genre=Genre -metadata date=2001 -metadata track=3 -metadata copyright=Someone info.wav
tone -map_metadata -1 id3.wav
tone -metadata title="INFO title" -metadata artist="INFO artist" -metadata date=1999 both.wav
/usr/bin/python3 - <<'PY'
from mutagen.wave import WAVE
import struct, zlib
from mutagen.id3 import APIC, TCOM, TDRC, TIT2, TPE1, TXXX
def png_chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
# A 1x1 grey image.
png = (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", struct.pack(">IIBBBBB", 1, 1, 8, 0, 0, 0, 0))
       + png_chunk(b"IDAT", zlib.compress(b"\x00\x80")) + png_chunk(b"IEND", b""))
for name in ("id3.wav", "both.wav"):
    wave = WAVE(name)
    wave.add_tags()
    wave.tags.add(TIT2(encoding=3, text="ID3 T\u00edtle \u2603"))
    wave.tags.add(TPE1(encoding=3, text="ID3 artist"))
    wave.tags.add(TCOM(encoding=3, text="Composer"))
    wave.tags.add(TDRC(encoding=3, text="2010"))
    wave.tags.add(TXXX(encoding=3, desc="MOOD", text="calm"))
    wave.tags.add(APIC(encoding=0, mime="image/png", type=3, desc="cover",
                       data=png))
    wave.save(padding=lambda info: 0)
PY
