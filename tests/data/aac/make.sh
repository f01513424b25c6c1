#!/bin/sh
# Makes the raw AAC (ADTS) sample with Debian's ffmpeg.
set -e
cd "$(dirname "$0")"
ffmpeg -v error -y -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=1" \
  -ac 2 -c:a aac -b:a 64k -f adts sine.aac
