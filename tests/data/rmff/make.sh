#!/bin/sh
# Makes the RealMedia samples with Debian's ffmpeg (its rm muxer writes the
# title/author/copyright/comment metadata as the content description chunk),
# then copies with a 128-byte ID3v1 tag appended.
# Cross-checks: ffprobe -show_entries format=duration:stream=bit_rate FILE
# (duration and per-stream bit rates from the header chunks), and
# /usr/bin/python3 -c "from mutagen.id3 import ID3; print(ID3('FILE'))"
# (reads the appended ID3v1 tags).
set -e
cd "$(dirname "$0")"

ffmpeg -v error -y -bitexact -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=1" \
  -ac 2 -c:a ac3 -b:a 64k \
  -metadata title="Sine Title" -metadata author="Sine Author" \
  -metadata copyright="(c) 2026 Brenvo" -metadata comment="AC-3 in RealMedia" \
  -f rm ac3.rm

ffmpeg -v error -y -bitexact -f lavfi -i "sine=frequency=440:sample_rate=8000:duration=2" \
  -ac 1 -c:a real_144 \
  -metadata title="Speech Title" -metadata author="Speech Author" \
  -metadata copyright="(c) 2026" -metadata comment="RealAudio 1.0" \
  -f rm real144.ra

# Video and audio: two media properties chunks; the file's bit rate is their sum.
ffmpeg -v error -y -bitexact -f lavfi -i "testsrc=size=32x32:rate=5:duration=1" \
  -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=1" \
  -c:v rv10 -b:v 20k -c:a ac3 -ac 1 -b:a 32k \
  -metadata title="Video Title" -metadata author="Video Author" \
  -f rm av.rmvb

# appendid3v1 SOURCE TARGET TITLE ARTIST ALBUM YEAR COMMENT TRACK GENRE
appendid3v1() {
  /usr/bin/python3 - "$@" <<'PY'
import sys
src, dst, title, artist, album, year, comment, track, genre = sys.argv[1:]
def field(s, n):
    b = s.encode('latin-1')[:n]
    return b + b'\0' * (n - len(b))
tag = (b'TAG' + field(title, 30) + field(artist, 30) + field(album, 30) + field(year, 4)
       + field(comment, 28) + b'\0' + bytes([int(track)]) + bytes([int(genre)]))
assert len(tag) == 128
with open(src, 'rb') as f:
    data = f.read()
with open(dst, 'wb') as f:
    f.write(data + tag)
PY
}

# Every field set: the ID3v1 values win over the content description.
appendid3v1 ac3.rm ac3-id3v1.rm "ID3 Title" "ID3 Artist" "ID3 Album" 2025 "ID3 comment" 7 17
# Only title and album set: artist and comment come from the content description.
appendid3v1 real144.ra real144-id3v1.ra "ID3 Title" "" "ID3 Album" "" "" 0 255
