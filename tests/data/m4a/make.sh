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

# AAC mono 48 kHz, short: every kind of item by mutagen. Several values in one
# item, sort names, numbers and flags, freeform items with and without a
# property key (text under another mean, bytes), an unknown atom, two covers.
ffmpeg -v error -y -f lavfi -i "$(sine 48000 1 0.2)" -ac 1 -c:a aac -b:a 16k \
  -map_metadata -1 -fflags +bitexact aac-mono-48k-items.m4a
/usr/bin/python3 - "$tmp" <<'PY'
import sys
from mutagen.mp4 import MP4, MP4Cover, MP4FreeForm, AtomDataType
tmp = sys.argv[1]
f = MP4("aac-mono-48k-items.m4a")
f["\xa9nam"] = ["Items"]
f["\xa9ART"] = ["Artist One", "Artist Two"]
f["aART"] = ["Album Artist"]
f["\xa9alb"] = ["Album"]
f["\xa9day"] = ["2021-05-06"]
f["\xa9lyr"] = ["First line\nSecond line"]
f["cprt"] = ["\u00a9 Someone"]
f["sonm"] = ["Items, The"]
f["soar"] = ["One, Artist"]
f["soaa"] = ["Artist, Album"]
f["soal"] = ["Album, The"]
f["soco"] = ["Composer, The"]
f["trkn"] = [(5, 0)]
f["disk"] = [(1, 2)]
f["tmpo"] = [128]
f["cpil"] = True
f["pgap"] = False
f["stik"] = [1]
f["----:com.apple.iTunes:MusicBrainz Track Id"] = [MP4FreeForm(b"6f0a1a35-0c4d-4c0f-9c1b-1a2b3c4d5e6f")]
f["----:com.apple.iTunes:ASIN"] = [MP4FreeForm(b"B000000000")]
f["----:com.apple.iTunes:CONDUCTOR"] = [MP4FreeForm(b"First"), MP4FreeForm(b"Second")]
f["----:com.apple.iTunes:iTunNORM"] = [MP4FreeForm(b" 00000100 00000200")]
f["----:org.example:Thing"] = [MP4FreeForm(b"thing")]
f["----:com.apple.iTunes:BYTES"] = [MP4FreeForm(b"\x00\x01\x02", dataformat=AtomDataType.IMPLICIT)]
f["xyzw"] = ["unknown atom"]
f["covr"] = [MP4Cover(open(tmp + "/cover.png", "rb").read(), MP4Cover.FORMAT_PNG),
             MP4Cover(open(tmp + "/cover.jpg", "rb").read(), MP4Cover.FORMAT_JPEG)]
f.save()
PY

# Two tracks each, for saves that must shift every track's chunk offsets:
# 32x32 MPEG-4 video with AAC audio (media data first, and faststart), and
# AAC with two chapters from an ffmetadata file, which ffmpeg writes as a
# chapter text track besides its own chpl list (media data first, and faststart).
ffmpeg -v error -y -f lavfi -i "testsrc=size=32x32:rate=5:duration=1" -f lavfi -i "$(sine 22050 1 1)" \
  -map 0:v -map 1:a -c:v mpeg4 -q:v 20 -c:a aac -ac 1 -b:a 24k -metadata title="Video" -fflags +bitexact \
  video-aac.mp4
ffmpeg -v error -y -i video-aac.mp4 -map 0 -c copy -movflags +faststart -fflags +bitexact video-aac-faststart.mp4
printf ';FFMETADATA1\ntitle=Chapters\nartist=Someone\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=500\ntitle=First\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=500\nEND=1000\ntitle=Second\n' \
  > "$tmp/chapters.txt"
for fs in "" faststart; do
  ffmpeg -v error -y -f lavfi -i "$(sine 22050 1 1)" -i "$tmp/chapters.txt" -map 0:a -map_metadata 1 -map_chapters 1 \
    -c:a aac -ac 1 -b:a 24k ${fs:+-movflags +faststart} -fflags +bitexact chapters${fs:+-$fs}.m4a
done

# What ffprobe reads, for comparison with the library's properties.
for f in *.m4a *.mp4; do
  echo "== $f"
  ffprobe -v error -select_streams a:0 -show_entries format=duration:stream=codec_name,sample_rate,channels,bit_rate \
    -of default=noprint_wrappers=1 "$f"
done > ffprobe.txt
