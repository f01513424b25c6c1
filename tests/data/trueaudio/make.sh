#!/bin/sh
# Makes the TrueAudio samples with Debian's ffmpeg (its TTA encoder) and adds
# ID3v2 and ID3v1 tags with Debian's python3-mutagen.
set -e
cd "$(dirname "$0")"

# make_tta NAME RATE CHANNELS SAMPLE_FORMAT SECONDS
make_tta() {
  ffmpeg -v error -y -f lavfi -i "sine=frequency=440:sample_rate=$2:duration=$5" \
    -ac "$3" -sample_fmt "$4" -c:a tta -map_metadata -1 -fflags +bitexact "$1"
}

# tag FILE V1 TITLE ARTIST YEAR TRACK: an ID3v2.4 tag at the start and, with
# V1=2, an ID3v1 tag at the end (V1=0: none).
tag() {
  /usr/bin/python3 - "$@" <<'PY'
import sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TDRC, TRCK, COMM
path, v1, title, artist, year, track = sys.argv[1:]
tags = ID3()
tags.add(TIT2(encoding=3, text=title))
tags.add(TPE1(encoding=3, text=artist))
tags.add(TALB(encoding=3, text="Samples"))
tags.add(TDRC(encoding=3, text=year))
tags.add(TRCK(encoding=3, text=track))
tags.add(COMM(encoding=3, lang="eng", desc="", text="made by mutagen"))
tags.save(path, v1=int(v1), v2_version=4)
PY
}

# 16-bit stereo, no tag at all.
make_tta stereo16-notag.tta 44100 2 s16 1

# 24-bit mono with an ID3v2 tag and an ID3v1 tag.
make_tta mono24-id3v2-id3v1.tta 16000 1 s32 1
tag mono24-id3v2-id3v1.tta 2 "Mono Twentyfour" "Brenvo Tests" 2022 4

# 16-bit mono with an ID3v2 tag only.
make_tta mono16-id3v2.tta 22050 1 s16 1.9
tag mono16-id3v2.tta 0 "Mono Sixteen" "Brenvo Tests" 2020 2

# 24-bit stereo, ID3v1 tag only (the ID3v2 tag mutagen writes is cut off).
make_tta stereo24-id3v1.tta 32000 2 s32 0.5
tag stereo24-id3v1.tta 2 "Only ID3v1" "Someone" 2003 12
/usr/bin/python3 -c "
import sys
from mutagen.id3 import ID3
ID3('stereo24-id3v1.tta').delete(delete_v1=False, delete_v2=True)
"

# Fuzz seeds: the same shapes, a few hundredths of a second long.
seeds=../../../fuzz/seeds/trueaudio
mkdir -p "$seeds"
make_tta "$seeds/notag.tta" 8000 2 s16 0.03
make_tta "$seeds/id3v2-id3v1.tta" 8000 1 s32 0.03
tag "$seeds/id3v2-id3v1.tta" 2 "Seed" "Fuzz" 2000 1

# Lengths off whole seconds, for the bit rate over the exact duration: four
# seconds and a bit, and a fraction of one with both tags.
make_tta long-notag.tta 8000 1 u8 4.2
make_tta short-id3v2-id3v1.tta 11025 2 s16 0.3
tag short-id3v2-id3v1.tta 2 "Short" "Brenvo Tests" 2024 5
