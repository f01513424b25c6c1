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

# Streams whose first block header alone misleads: four and six channels (a
# frame of several blocks), rates the header's table lacks, hybrid (lossy)
# mode, DSD, and a stream encoded from a pipe, which counts no samples.

# make_multi NAME RATE CHANNELS SECONDS: a tone on every channel.
make_multi() {
  ffmpeg -v error -y -f lavfi -i "sine=frequency=440:sample_rate=$2:duration=$4" \
    -filter_complex "[0]asplit=$3$(i=0; while [ $i -lt "$3" ]; do printf '[c%d]' $i; i=$((i + 1)); done);$(i=0; while [ $i -lt "$3" ]; do printf '[c%d]' $i; i=$((i + 1)); done)amerge=inputs=$3" \
    -c:a pcm_s16le -fflags +bitexact "$tmp/$1.wav"
}
make_multi quad 8000 4 0.1
wavpack -q -y "$tmp/quad.wav" -o quad.wv
make_multi six 8000 6 0.1
wavpack -q -y "$tmp/six.wav" -o six51.wv

make_wav rate1000 1000 1 pcm_s16le 1
wavpack -q -y "$tmp/rate1000.wav" -o rate1000.wv
make_wav rate37800 37800 2 pcm_s16le 0.1
wavpack -q -y -w "Title=Odd Rate" "$tmp/rate37800.wav" -o rate37800-ape.wv

make_wav hybrid 16000 2 pcm_s16le 0.3
wavpack -q -y -b128 "$tmp/hybrid.wav" -o hybrid.wv

# DSD64 stereo from a DSF file written here: a first-order sigma-delta of a
# 440 Hz tone, 1-bit samples in blocks of 4096 bytes per channel.
/usr/bin/python3 - "$tmp/dsd64.dsf" <<'PY'
import math, struct, sys
channels, rate, samples = 2, 2822400, 2822400 * 3 // 100
per_channel = (samples + 7) // 8
blocks = (per_channel + 4095) // 4096
streams = [bytearray(blocks * 4096) for _ in range(channels)]
for out in streams:
    acc = 0.0
    for n in range(samples):
        bit = acc >= 0
        acc += 0.5 * math.sin(2 * math.pi * 440 * n / rate) - (1.0 if bit else -1.0)
        if bit:
            out[n >> 3] |= 1 << (n & 7)
data = b"".join(s[b * 4096:(b + 1) * 4096] for b in range(blocks) for s in streams)
fmt = struct.pack("<4sQIIIIIIQII", b"fmt ", 52, 1, 0, 2, channels, rate, 1, samples, 4096, 0)
body = fmt + struct.pack("<4sQ", b"data", 12 + len(data)) + data
with open(sys.argv[1], "wb") as f:
    f.write(struct.pack("<4sQQQ", b"DSD ", 28, 28 + len(body), 0) + body)
PY
wavpack -q -y "$tmp/dsd64.dsf" -o dsd64.wv

# From a pipe to a pipe: the encoder cannot go back to write the count. Small
# blocks, so the last one is one of many; an APE and an ID3v1 tag follow it.
ffmpeg -v error -f lavfi -i "sine=frequency=440:sample_rate=8000:duration=0.5" -ac 2 \
  -c:a pcm_s16le -fflags +bitexact -f wav - |
  wavpack -q -y -i --blocksize=512 -w "Title=Streamed" - -o - >streamed-ape-id3v1.wv
append_id3v1 streamed-ape-id3v1.wv "Streamed" "Pipe" 2024 1

# Fuzz seeds of the same shapes.
cp quad.wv "$seeds/quad.wv"
cp rate1000.wv "$seeds/rate1000.wv"
make_wav seed-streamed 8000 1 pcm_s16le 0.05
wavpack -q -y -i --blocksize=128 - -o - <"$tmp/seed-streamed.wav" | cat >"$seeds/streamed.wv"
