#!/bin/sh
# Makes the ASF samples: Debian's ffmpeg encodes one second of wmav2 and
# writes its own tags; Debian's python3-mutagen writes typed attributes into
# an untagged copy, including WM/Track as a DWORD, attributes with a stream
# and a language, and a WM/Picture over 64 KB (which goes to the metadata
# library object).
set -e
cd "$(dirname "$0")"
sine="sine=frequency=440:sample_rate=22050:duration=1"

ffmpeg -v error -y -f lavfi -i "$sine" -ac 1 -c:a wmav2 -b:a 32k \
  -metadata title="Sine Title" -metadata artist="Ffmpeg Artist" \
  -metadata album="Some Album" -metadata genre="Test Genre" \
  -metadata track=3 -metadata comment="A comment" -metadata copyright="(c) Nobody" \
  -fflags +bitexact ffmpeg-tags.wma

ffmpeg -v error -y -f lavfi -i "$sine" -ac 2 -c:a wmav2 -b:a 48k \
  -map_metadata -1 -fflags +bitexact untagged.asf

# tag FILE [picture]: writes the typed attributes, and the picture when asked.
tag() {
/usr/bin/python3 - "$@" <<'PY'
import random, struct, sys
from mutagen.asf import (ASF, ASFUnicodeAttribute, ASFDWordAttribute,
                         ASFQWordAttribute, ASFWordAttribute, ASFBoolAttribute,
                         ASFByteArrayAttribute, ASFGUIDAttribute)

f = ASF(sys.argv[1])
f["Title"] = "Mutagen Title"
f["Author"] = "Mutagen Artist"
f["WM/AlbumTitle"] = "Mutagen Album"
f["WM/Year"] = "2004"
f["WM/Track"] = [ASFDWordAttribute(4)]
f["Brenvo/QWord"] = [ASFQWordAttribute(0x123456789A)]
f["Brenvo/Word"] = [ASFWordAttribute(513)]
f["Brenvo/Bool"] = [ASFBoolAttribute(True)]
f["Brenvo/Bytes"] = [ASFByteArrayAttribute(b"\x00\x01\x02\xff")]
f["Brenvo/Guid"] = [ASFGUIDAttribute(bytes(range(16)))]
f["Brenvo/Streamed"] = [ASFUnicodeAttribute("on stream 1", stream=1)]
f["Brenvo/Language"] = [ASFUnicodeAttribute("in language 1", language=1)]
if len(sys.argv) > 2:
    rng = random.Random(7)
    image = bytes(rng.getrandbits(8) for _ in range(70000))
    mime = "image/jpeg\0".encode("utf-16-le")
    description = "Cover\0".encode("utf-16-le")
    picture = struct.pack("<BI", 3, len(image)) + mime + description + image
    f["WM/Picture"] = [ASFByteArrayAttribute(picture)]
f.save()
PY
}
cp untagged.asf mutagen-tags.wma
tag mutagen-tags.wma picture

# Every attribute name TagLib gives a property key, in every value form that
# matters to it, plus pictures well formed and not, for the companion API.
ffmpeg -v error -y -f lavfi -i "sine=frequency=440:sample_rate=8000:duration=0.25" -ac 1 -c:a wmav2 -b:a 24k \
  -map_metadata -1 -fflags +bitexact mutagen-keys.wma
/usr/bin/python3 - mutagen-keys.wma <<'PY'
import struct, sys
from mutagen.asf import (ASF, ASFUnicodeAttribute, ASFDWordAttribute,
                         ASFWordAttribute, ASFByteArrayAttribute)

names = ["WM/AlbumTitle", "WM/AlbumArtist", "WM/Composer", "WM/Writer", "WM/Conductor",
         "WM/ModifiedBy", "WM/Producer", "WM/ARTISTS", "WM/Year", "WM/OriginalReleaseYear",
         "WM/ContentGroupDescription", "WM/SubTitle", "WM/SetSubTitle", "WM/PartOfSet",
         "WM/Genre", "WM/Mood", "WM/ISRC", "WM/Lyrics", "WM/Media", "WM/Publisher",
         "WM/CatalogNo", "WM/Barcode", "WM/EncodedBy", "WM/AlbumSortOrder",
         "WM/AlbumArtistSortOrder", "WM/ArtistSortOrder", "WM/TitleSortOrder", "WM/Script",
         "WM/Language", "ASIN", "MusicBrainz/Track Id", "MusicBrainz/Artist Id",
         "MusicBrainz/Album Artist Id", "MusicBrainz/Album Id", "MusicBrainz/Release Group Id",
         "MusicBrainz/Release Track Id", "MusicBrainz/Work Id",
         "MusicBrainz/Album Release Country", "MusicBrainz/Album Status",
         "MusicBrainz/Album Type", "MusicIP/PUID", "Acoustid/Id", "Acoustid/Fingerprint"]
f = ASF(sys.argv[1])
for content in ("Title", "Author", "Copyright", "Description", "Rating"):
    f[content] = content + " \u00e9"
for name in names:
    f[name] = name.split("/")[-1] + " value"
f["WM/Genre"] = ["Rock", "Jazz", ""]
f["WM/TrackNumber"] = [ASFDWordAttribute(7)]
f["WM/BeatsPerMinute"] = [ASFWordAttribute(120)]
f["WM/Composer"] = [ASFUnicodeAttribute("On stream 1", stream=1)]
f["WM/Conductor"] = [ASFUnicodeAttribute("In language 2", language=2)]
f["wm/genre"] = "Case matters"
f["Custom/Name"] = "Not a key"

def picture(kind, data, mime="image/png", description="Cover", size=None):
    texts = (mime + "\0").encode("utf-16-le") + (description + "\0").encode("utf-16-le")
    return struct.pack("<BI", kind, len(data) if size is None else size) + texts + data
png = b"\x89PNG\r\n\x1a\n" + bytes(range(64))
f["WM/Picture"] = [ASFByteArrayAttribute(v) for v in (
    picture(3, png),
    picture(4, b"\xff\xd8\xff" + bytes(32), "image/jpeg", "Back \u2603"),
    picture(254, png, "", ""),            # a type past the known ones
    picture(3, png, size=len(png) + 1),   # a length beyond the value
    picture(3, png, size=len(png) - 1),   # bytes after the data
    picture(3, b""),                      # no image
    b"\x03\x04\x00\x00\x00i\x00",         # no terminator
    b"\x03")]                             # too short for the lengths
f.save()
PY

# Fuzz seeds: the headers of the samples plus the start of their data object.
seeds=../../../fuzz/seeds/asf
mkdir -p "$seeds"
cp untagged.asf "$seeds/mutagen-head.wma"
tag "$seeds/mutagen-head.wma"
for pair in ffmpeg-tags.wma:ffmpeg-head.wma untagged.asf:untagged-head.asf "$seeds/mutagen-head.wma":mutagen-head.wma \
            mutagen-keys.wma:keys-head.wma; do
  /usr/bin/python3 - "${pair%%:*}" "$seeds/${pair##*:}" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
size = struct.unpack("<Q", data[16:24])[0]
open(sys.argv[2], "wb").write(data[:size + 100])
PY
done
