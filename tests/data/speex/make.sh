#!/bin/sh
# Makes the Speex samples with Debian's speexenc (speex 1.2.1) from short
# ffmpeg test tones: narrowband, wideband, a VBR stereo file and one without
# title or author.
set -e
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

ffmpeg -v error -y -f lavfi -i "sine=frequency=440:sample_rate=8000:duration=2" \
  -ac 1 -c:a pcm_s16le "$tmp/nb.wav"
ffmpeg -v error -y -f lavfi -i "sine=frequency=660:sample_rate=16000:duration=2" \
  -ac 1 -c:a pcm_s16le "$tmp/wb.wav"
ffmpeg -v error -y -f lavfi -i "sine=frequency=550:sample_rate=16000:duration=1" \
  -ac 2 -c:a pcm_s16le "$tmp/st.wav"

speexenc --narrowband --title "Narrow Title" --author "Narrow Author" "$tmp/nb.wav" narrowband.spx
speexenc --wideband --title "Wide Title" --author "Wide Author" "$tmp/wb.wav" wideband.spx
speexenc --wideband --vbr --title "Variable" --author "VBR Author" "$tmp/st.wav" vbr-stereo.spx
speexenc --narrowband --quality 2 "$tmp/nb.wav" untagged.spx

# A short narrowband VBR file and a long wideband VBR one.
ffmpeg -v error -y -f lavfi -i "sine=frequency=440:sample_rate=8000:duration=0.6" \
  -ac 1 -c:a pcm_s16le "$tmp/short.wav"
ffmpeg -v error -y -f lavfi -i "sine=frequency=550:sample_rate=16000:duration=4" \
  -ac 1 -c:a pcm_s16le "$tmp/long.wav"
speexenc --narrowband --vbr --title "Short" "$tmp/short.wav" short-vbr.spx
speexenc --wideband --vbr --quality 2 --title "Long" "$tmp/long.wav" long-wb-vbr.spx
