#!/usr/bin/python3
"""Builds the .aa samples from the header layout (no encoder for the format
exists): 189 bytes the reader skips, the key/value records (4-byte big-endian
key and value lengths, key, value, continuation byte 0 while another record
follows), then the length in seconds 61 bytes behind the last record, then
stand-in audio bytes. The values each file must read back are printed."""
import os
import random
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def build(records, seconds, audio_size=256, seed=1):
    head = bytearray(189)
    body = bytearray()
    for i, (key, value) in enumerate(records):
        more = i + 1 < len(records)
        body += struct.pack(">II", len(key), len(value)) + key + value
        body += bytes([0 if more else 1])
    tail = bytes(61) + struct.pack(">I", seconds)
    rng = random.Random(seed)
    audio = bytes(rng.randrange(256) for _ in range(audio_size))
    data = head + body + tail + audio
    struct.pack_into(">I", data, 0, len(data))
    return bytes(data)


def write(name, records, seconds, **kw):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(build(records, seconds, **kw))
    print(name, dict((k.decode(), v.decode("latin-1")) for k, v in records), "length", seconds)


write("book.aa", [
    (b"product_id", b"BK_TEST_000001"),
    (b"title", b"A Short Test Book"),
    (b"author", b"Jane Q. Reader"),
    (b"narrator", b"N. Voice"),
    (b"parent_title", b"The Test Series"),
    (b"copyright", b"(c) 2026 Brenvo Audio"),
    (b"description", b"Short description."),
    (b"long_description", b"A longer description that wins over the short one."),
    (b"pubdate", b"15-Mar-2005"),
    (b"user_id", b"42"),
], 3725)

write("latin1.aa", [
    (b"product_id", b"BK_TEST_000002"),
    (b"title", "Caf\u00e9 Cr\u00e8me".encode("latin-1")),
    (b"author", "Zo\u00eb".encode("latin-1")),
    (b"description", b"Only a short description."),
    # Named like keys the tag's own fields take: not fields of their own.
    (b"Title", b"Other title"),
    (b"genre", b"Fiction"),
    (b"pubdate", b"2019"),
], 59, seed=2)

write("minimal.aa", [
    (b"product_id", b"BK_TEST_000003"),
], 1, audio_size=64, seed=3)
