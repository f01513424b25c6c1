#!/bin/sh
# Makes the WavPack samples with Debian's wavpack encoder (APE tags through its
# own -w option) and appends ID3v1 tags rendered by Debian's python3-mutagen.
set -e
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# make_wav NAME RATE CHANNELS SAMPLE_FORMAT SECONDS
make_wav() {
  ffmpeg -v error -y -f lavfi -i "sine=frequency=440:sample_rate=$2:duration=$5" \
    -ac "$3" -c:a "$4" -fflags +bitexact "$tmp/$1.wav"
}

# append_id3v1 FILE TITLE ARTIST YEAR TRACK
append_id3v1() {
  /usr/bin/python3 - "$@" <<'PY'
import sys
from mutagen.id3 import MakeID3v1, TIT2, TPE1, TDRC, TRCK
path, title, artist, year, track = sys.argv[1:]
frames = {"TIT2": TIT2(encoding=0, text=title), "TPE1": TPE1(encoding=0, text=artist),
          "TDRC": TDRC(encoding=0, text=year), "TRCK": TRCK(encoding=0, text=track)}
with open(path, "ab") as f:
    f.write(MakeID3v1(frames))
PY
}

# 16-bit stereo, APE tag only.
make_wav stereo16 44100 2 pcm_s16le 1
wavpack -q -y -w "Title=Stereo Sixteen" -w "Artist=Brenvo Tests" -w "Album=Samples" \
  -w "Year=2021" -w "Track=3" -w "Genre=Ambient" "$tmp/stereo16.wav" -o stereo16-ape.wv

# 24-bit mono, APE tag followed by an ID3v1 tag.
make_wav mono24 48000 1 pcm_s24le 1
wavpack -q -y -w "Title=Mono Twentyfour" -w "Artist=Brenvo Tests" -w "Year=2022" \
  "$tmp/mono24.wav" -o mono24-ape-id3v1.wv
append_id3v1 mono24-ape-id3v1.wv "Mono ID3v1" "ID3v1 Artist" 1999 7

# 16-bit mono, ID3v1 tag only.
make_wav mono16 22050 1 pcm_s16le 1
wavpack -q -y "$tmp/mono16.wav" -o mono16-id3v1.wv
append_id3v1 mono16-id3v1.wv "Only ID3v1" "Someone" 2003 12

# 24-bit stereo, no tag at all.
make_wav stereo24 32000 2 pcm_s24le 0.5
wavpack -q -y "$tmp/stereo24.wav" -o stereo24-notag.wv

# Fuzz seeds: the same shapes, a few hundredths of a second long.
seeds=../../../fuzz/seeds/wavpack
mkdir -p "$seeds"
make_wav seed-stereo 8000 2 pcm_s16le 0.02
wavpack -q -y -w "Title=Seed" -w "Artist=Fuzz" "$tmp/seed-stereo.wav" -o "$seeds/ape.wv"
make_wav seed-mono 8000 1 pcm_s24le 0.02
wavpack -q -y -w "Title=Seed" "$tmp/seed-mono.wav" -o "$seeds/ape-id3v1.wv"
append_id3v1 "$seeds/ape-id3v1.wv" "Seed v1" "Fuzz" 2000 1
wavpack -q -y "$tmp/seed-mono.wav" -o "$seeds/id3v1.wv"
append_id3v1 "$seeds/id3v1.wv" "Seed v1" "Fuzz" 2000 1
