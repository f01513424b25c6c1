#!/bin/sh
# Makes the MP4/M4A samples with Debian's ffmpeg, tags some of them with
# python3-mutagen and AtomicParsley, and records what ffprobe reports about
# each in ffprobe.txt. Needs: ffmpeg, /usr/bin/python3 with mutagen, atomicparsley.
set -e
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

sine() { # RATE CHANNELS SECONDS
  echo "sine=frequency=440:sample_rate=$1:duration=$3"
}

# AAC stereo 44.1 kHz, movie box before the media data, tags by ffmpeg.
ffmpeg -v error -y -f lavfi -i "$(sine 44100 2 1)" -ac 2 -c:a aac -b:a 64k \
  -movflags +faststart \
  -metadata title="Faststart Title" -metadata artist="Some Artist" \
  -metadata album="An Album" -metadata comment="made by ffmpeg" \
  -metadata genre="Jazz" -metadata date="2019" -metadata track="3/12" \
  -metadata disc="1/2" -metadata composer="A Composer" -metadata grouping="Group A" \
  aac-stereo-44k-faststart.m4a

# AAC mono 22.05 kHz, media data first; tags with non-ASCII text and two
# covers in one item, by mutagen.
ffmpeg -v error -y -f lavfi -i "$(sine 22050 1 1)" -ac 1 -c:a aac -b:a 32k aac-mono-22k.m4a
ffmpeg -v error -y -f lavfi -i "color=c=red:s=8x8" -frames:v 1 "$tmp/cover.png"
ffmpeg -v error -y -f lavfi -i "color=c=blue:s=8x8" -frames:v 1 "$tmp/cover.jpg"
/usr/bin/python3 - "$tmp" <<'PY'
import sys
from mutagen.mp4 import MP4, MP4Cover
tmp = sys.argv[1]
f = MP4("aac-mono-22k.m4a")
f["\xa9nam"] = ["Ünïcödé – 日本語"]
f["\xa9ART"] = ["Björk"]
f["\xa9alb"] = ["Ælbum"]
f["\xa9cmt"] = ["tagged by mutagen"]
f["\xa9gen"] = ["Électronique"]
f["\xa9day"] = ["2004"]
f["\xa9wrt"] = ["Antonín Dvořák"]
f["\xa9grp"] = ["Grüppe"]
f["trkn"] = [(5, 9)]
f["disk"] = [(2, 3)]
f["tmpo"] = [120]
f["covr"] = [MP4Cover(open(tmp + "/cover.png", "rb").read(), MP4Cover.FORMAT_PNG),
             MP4Cover(open(tmp + "/cover.jpg", "rb").read(), MP4Cover.FORMAT_JPEG)]
f.save()
PY
cp "$tmp/cover.png" cover.png

# AAC stereo 48 kHz, media data first; a numeric genre (gnre) by AtomicParsley.
ffmpeg -v error -y -f lavfi -i "$(sine 48000 2 1)" -ac 2 -c:a aac -b:a 96k aac-stereo-48k.m4a
AtomicParsley aac-stereo-48k.m4a --overWrite --title "Forty-Eight" --genre "Rock" >/dev/null

# AAC stereo 96 kHz: a rate the sample entry's 16.16 field cannot hold. No tags.
ffmpeg -v error -y -f lavfi -i "$(sine 96000 2 1)" -ac 2 -c:a aac -b:a 64k \
  -movflags +faststart -map_metadata -1 -fflags +bitexact aac-stereo-96k.m4a

# ALAC mono 44.1 kHz.
ffmpeg -v error -y -f lavfi -i "$(sine 44100 1 1)" -ac 1 -c:a alac -sample_fmt s16p \
  -metadata title="Lossless" alac-mono-44k.m4a

# What ffprobe reads, for comparison with the library's properties.
for f in *.m4a; do
  echo "== $f"
  ffprobe -v error -select_streams a:0 -show_entries format=duration:stream=codec_name,sample_rate,channels,bit_rate \
    -of default=noprint_wrappers=1 "$f"
done > ffprobe.txt
