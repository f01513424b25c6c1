#!/bin/sh
# Makes the raw AAC samples with Debian's ffmpeg (ADTS), adds ID3v2, APE and
# ID3v1 tags with Debian's python3-mutagen, turns one ADTS stream into an ADIF
# stream, and records what ffprobe and mutagen read of each in oracle.txt.
set -e
cd "$(dirname "$0")"

# adts NAME RATE CHANNEL_LAYOUT SECONDS ENCODER_OPTIONS...
adts() {
  name=$1 rate=$2 layout=$3 seconds=$4
  shift 4
  ffmpeg -v error -y -f lavfi -i "sine=frequency=440:sample_rate=$rate:duration=$seconds" \
    -af "aformat=channel_layouts=$layout" -c:a aac "$@" -fflags +bitexact -f adts "$name"
}

# tag FILE KINDS...: KINDS among id3v2, ape, id3v1, written in that order
# (the ID3v1 tag after the APE tag; "id3v1" alone keeps no ID3v2 tag).
tag() {
  /usr/bin/python3 - "$@" <<'PY'
import sys
from mutagen.apev2 import APEv2
from mutagen.id3 import ID3, APIC, COMM, TALB, TDRC, TIT2, TPE1, TRCK, TXXX
path, kinds = sys.argv[1], sys.argv[2:]
if "id3v2" in kinds:
    tags = ID3()
    tags.add(TIT2(encoding=3, text="ID3v2 Title"))
    tags.add(TPE1(encoding=3, text="Brenvo Tests"))
    tags.add(TALB(encoding=3, text="Samples"))
    tags.add(TDRC(encoding=3, text="2021"))
    tags.add(TRCK(encoding=3, text="3"))
    tags.add(TXXX(encoding=3, desc="MOOD", text="calm"))
    tags.add(APIC(encoding=3, mime="image/png", type=3, desc="front", data=b"\x89PNG\r\n\x1a\n" + bytes(40)))
    tags.save(path, v2_version=4)
if "ape" in kinds:
    ape = APEv2()
    ape["Title"] = "APE Title"
    ape["Album"] = "APE Album"
    ape["Conductor"] = "Someone"
    ape.save(path)
if "id3v1" in kinds:
    tags = ID3(path) if "id3v2" in kinds else ID3()
    if "id3v2" not in kinds:
        tags.add(TIT2(encoding=3, text="ID3v1 Title"))
        tags.add(TPE1(encoding=3, text="Old Player"))
        tags.add(TDRC(encoding=3, text="1999"))
        tags.add(TRCK(encoding=3, text="9"))
        tags.add(COMM(encoding=3, lang="eng", desc="", text="v1 comment"))
    tags.save(path, v1=2)
    if "id3v2" not in kinds:
        ID3(path).delete(delete_v1=False, delete_v2=True)
PY
}

# adif ADTS_FILE ADIF_FILE: the same raw data behind one ADIF header (the
# stream's bit rate, one program config element with its channel elements).
adif() {
  /usr/bin/python3 - "$@" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
frames, raw, pos = 0, b"", 0
while pos + 7 <= len(data):
    length = ((data[pos + 3] & 3) << 11) | (data[pos + 4] << 3) | (data[pos + 5] >> 5)
    header = 7 if data[pos + 1] & 1 else 9
    raw += data[pos + header:pos + length]
    frames, pos = frames + 1, pos + length
rate_index = (data[2] >> 2) & 15
channels = ((data[2] & 1) << 2) | (data[3] >> 6)
rate = [96000, 88200, 64000, 48000, 44100, 32000, 24000, 22050, 16000, 12000, 11025, 8000][rate_index]
bitrate = round(len(raw) * 8 * rate / (frames * 1024))
bits = ""
def put(value, width):
    global bits
    bits += format(value, "0%db" % width)
put(0, 1); put(0, 1); put(0, 1)                      # no copyright id, original_copy, home
put(0, 1); put(bitrate, 23); put(0, 4); put(0, 20)   # constant rate, bit rate, one PCE, buffer fullness
put(0, 4); put(1, 2); put(rate_index, 4)             # element tag, LC, rate
put(1, 4); put(0, 4); put(0, 4)                      # one front element, no side or back ones
put(0, 2); put(0, 3); put(0, 4)                      # no LFE, association or coupling elements
put(0, 1); put(0, 1); put(0, 1)                      # no mixdowns
put(1 if channels == 2 else 0, 1); put(0, 4)         # the front element: a channel pair or a single channel
bits += "0" * (-len(bits) % 8)
put(0, 8)                                            # no comment
header = b"ADIF" + int(bits, 2).to_bytes(len(bits) // 8, "big")
open(sys.argv[2], "wb").write(header + raw)
PY
}

adts sine.aac 44100 stereo 1 -b:a 64k
adts mono-8k-id3v2.aac 8000 mono 1 -b:a 16k
tag mono-8k-id3v2.aac id3v2
adts surround-48k-ape-id3v1.aac 48000 5.1 0.2 -q:a 0.6
tag surround-48k-ape-id3v1.aac ape id3v1
# 2.1 has no channel configuration of its own: ffmpeg writes a program config element.
adts pce-96k-id3v2-ape.aac 96000 2.1 0.1 -b:a 96k
tag pce-96k-id3v2-ape.aac id3v2 ape
adts "${TMPDIR:-/tmp}/adif-source.aac" 22050 stereo 0.5 -b:a 48k
adif "${TMPDIR:-/tmp}/adif-source.aac" adif-22k-id3v1.aac
rm -f "${TMPDIR:-/tmp}/adif-source.aac"
tag adif-22k-id3v1.aac id3v1

# What ffprobe and mutagen read. ffprobe counts the frames and their bytes
# (its duration is an estimate from the file size, tags included); it does not
# read ADIF. mutagen gives seconds, Hz, channels (0 when a program config
# element names them) and bit/s.
for f in *.aac; do
  echo "== $f"
  ffprobe -v error -select_streams a:0 -show_entries stream=sample_rate,channels -of default=noprint_wrappers=1 \
    "$f" 2>/dev/null | sed 's/^/ffprobe./' || true
  ffprobe -v error -select_streams a:0 -show_entries packet=size -of csv=p=0 "$f" 2>/dev/null |
    awk '{ bytes += $1; n++ } END { if(n) print "ffprobe.frames=" n "\nffprobe.frame_bytes=" bytes }' || true
  /usr/bin/python3 -c "
import sys, mutagen.aac
i = mutagen.aac.AAC(sys.argv[1]).info
print('mutagen.length=%.6f\nmutagen.sample_rate=%d\nmutagen.channels=%d\nmutagen.bitrate=%d' % (i.length, i.sample_rate, i.channels, i.bitrate))
" "$f"
done > oracle.txt

# Fuzz seeds: the same shapes, a few frames long.
seeds=../../../fuzz/seeds/aac
mkdir -p "$seeds"
adts "$seeds/tagged.aac" 8000 mono 0.3 -b:a 8k
tag "$seeds/tagged.aac" id3v2 ape id3v1
adts "$seeds/pce.aac" 8000 2.1 0.3 -b:a 16k
head -c 300 adif-22k-id3v1.aac > "$seeds/adif.aac"
