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
