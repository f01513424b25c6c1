// Audio properties: the sample description under its track's handler, the
// elementary stream descriptor, the stream configuration and the arithmetic.
#include <gtest/gtest.h>

#include "mp4builder.h"

using namespace mp4test;

namespace {

//! One AAC track at 44.1 kHz stereo with the given esds.
std::string withEsds(const std::string &esdsBox)
{
  return file(track(audioEntry(2, 44100u << 16, esdsBox)));
}

//! One AAC track at 64 kb/s whose entry says \a channels and \a rate16, and whose stream configuration is \a config.
std::string withConfig(std::uint16_t channels, std::uint32_t rate16, const std::string &config)
{
  return file(track(audioEntry(channels, rate16, esds(64000, config))));
}

//! \a bytes with \a width bytes from \a at replaced by \a value, big-endian.
std::string patched(const std::string &bytes, std::size_t at, std::uint64_t value, int width = 1)
{
  return ByteBuilder().text(bytes).patch(at, value, width, true).str();
}

//! An ALAC decoder configuration box of \a bytes bytes (36 whole) with the average bit rate \a avgBitrate.
std::string alacConfig(std::uint32_t avgBitrate, std::size_t bytes = 36)
{
  const std::string fields = ByteBuilder().be32(4096).u8(0).u8(16).u8(40).u8(10).u8(14).u8(1).be16(0).be32(8196)
                               .be32(avgBitrate).be32(44100).str();
  return fullBox("alac", 0, 0, fields.substr(0, bytes - 12));
}

std::string soundMedia(const std::string &media)
{
  return file(box("trak", box("mdia", media)));
}

} // namespace

TEST(Mp4Properties, FromBuiltFiles)
{
  const std::string stbl = box("minf", box("stbl", stsd(audioEntry(2, 0xAC440000u, esds(96000)))));
  const std::string explicitRate = ByteBuilder().u8((2 << 3) | 0x7).u8(0x80 | (12345 >> 17)).u8((12345 >> 9) & 0xFF)
                                     .u8((12345 >> 1) & 0xFF).u8(((12345 & 1) << 7) | (1 << 3)).str();
  const unsigned sbr = (5u << 27) | (6u << 23) | (2u << 19) | (3u << 15) | (2u << 10);

  // Expected: seconds, kbit/s, Hz, channels.
  const struct { const char *name; std::string bytes; std::vector<int> expected; } cases[] = {
    {"AAC track, length rounded down", file(mvhd(44100, 441099) + track(audioEntry(2, 0xAC440000u, esds(128000)))), {10, 128, 44100, 2}},
    {"bit rate rounded down", file(track(audioEntry(2, 0xBB800000u, esds(127999)))), {0, 127, 48000, 2}},
    {"time scale 0", file(mvhd(0, 5000)), {0, 0, 0, 0}},
    {"64-bit duration", file(mvhd(600, 4294967296ull, 1)), {7158278, 0, 0, 0}},
    {"movie header version 2", file(mvhd(1000, 9000, 2)), {9, 0, 0, 0}},
    {"movie header too short for its layout",
     box("moov", fullBox("mvhd", 0, 0, mvhd(1000, 5000).substr(12, 16)) + box("free", std::string(120, '\x01'))), {0, 0, 0, 0}},
    {"no sound track", file(mvhd(1000, 3000) + track(audioEntry(2, 0xAC440000u, esds(1)), "vide")), {3, 0, 0, 0}},
    {"handler before minf", soundMedia(hdlr("soun") + stbl), {0, 96, 44100, 2}},
    {"handler with no name", soundMedia(fullBox("hdlr", 0, 0, raw({0, 0, 0, 0}) + "soun") + stbl), {0, 96, 44100, 2}},
    {"minf before handler", soundMedia(stbl + hdlr("soun")), {0, 0, 0, 0}},
    {"video handler", soundMedia(hdlr("vide") + stbl), {0, 0, 0, 0}},
    {"later sound track wins", file(track(audioEntry(1, 22050u << 16, esds(32000, asc(2, 7, 1)))) +
                                    track(audioEntry(2, 44100u << 16, esds(128000, asc(2, 4, 2))))), {0, 128, 44100, 2}},
    {"first sample entry only",
     soundMedia(hdlr("soun") + box("minf", box("stbl", stsd(audioEntry(1, 22050u << 16, esds(32000)) +
                                                            audioEntry(2, 48000u << 16, esds(64000)), 2)))),
     {0, 32, 22050, 1}},
    {"drms", file(track(audioEntry(2, 44100u << 16, esds(0), "drms"))), {0, 0, 44100, 2}},
    {"four-byte descriptor lengths", withEsds(esds(128000, std::string(), true)), {0, 128, 44100, 2}},
    {"esds with no descriptor", withEsds(fullBox("esds", 0, 0)), {0, 0, 44100, 2}},
    {"ES descriptor length 19", withEsds(patched(esds(128000), 13, 19)), {0, 0, 44100, 2}},
    {"second descriptor tag 5 rather than 4", withEsds(patched(esds(128000), 17, 5)), {0, 0, 44100, 2}},
    {"esds box ending inside a descriptor", withEsds(patched(esds(128000), 3, 30)), {0, 0, 44100, 2}},
    {"esds claiming 4 GB", withEsds(patched(esds(128000), 0, 0xFFFFFF, 3)), {0, 128, 44100, 2}},
    {"entry larger than its stsd", file(track(boxSized(4000, "mp4a", std::string(28, '\0')))), {0, 0, 0, 0}},
    {"entry too small for its fields", file(track(box("mp4a", std::string(20, '\x7F')))), {0, 0, 0, 0}},
    // The stream configuration overrides the entry.
    {"mono written as the template 2", withConfig(2, 44100u << 16, asc(2, 4, 1)), {0, 64, 44100, 1}},
    {"96 kHz does not fit 16.16", withConfig(2, 0, asc(2, 0, 2)), {0, 64, 96000, 2}},
    {"configuration 7 is 7.1", withConfig(2, 48000u << 16, asc(2, 3, 7)), {0, 64, 48000, 8}},
    {"configuration 0 keeps the entry's", withConfig(6, 48000u << 16, asc(2, 3, 0)), {0, 64, 48000, 6}},
    {"explicit 24-bit frequency", withConfig(2, 44100u << 16, explicitRate), {0, 64, 12345, 1}},
    {"HE-AAC plays at the extension rate", withConfig(2, 24000u << 16, ByteBuilder().be32(sbr).str()), {0, 64, 48000, 2}},
    {"reserved frequency index", withConfig(2, 22050u << 16, asc(2, 13, 2)), {0, 64, 22050, 2}},
    {"configuration cut short", withConfig(2, 22050u << 16, std::string(1, '\x10')), {0, 64, 22050, 2}},
    // ALAC: the decoder configuration's average bit rate, as TagLib and mutagen report it.
    {"ALAC", file(track(audioEntry(1, 44100u << 16, alacConfig(705600), "alac"))), {0, 705, 44100, 1}},
    {"ALAC configuration without a bit rate", file(track(audioEntry(1, 44100u << 16, alacConfig(0), "alac"))), {0, 0, 44100, 1}},
    {"ALAC configuration cut short", file(track(audioEntry(1, 44100u << 16, alacConfig(705600, 30), "alac"))), {0, 0, 44100, 1}},
  };
  for(const auto &c : cases) {
    OpenedFile f(c.bytes);
    const TagLib::AudioProperties *p = f->audioProperties();
    EXPECT_EQ(c.expected, (std::vector<int>{p->length(), p->bitrate(), p->sampleRate(), p->channels()})) << c.name;
  }
}

TEST(Mp4Meta, AQuickTimeMetaBoxIsReadAsAPlainContainer)
{
  // QuickTime writes meta without the version and flags of an ISO full box.
  const std::string ilst = box("ilst", item("\251nam", "Meta"));
  for(const std::string &meta : {box("meta", hdlr("mdir") + ilst), fullBox("meta", 0, 0, hdlr("mdir") + ilst)}) {
    OpenedFile f(file(mvhd(1000, 1000) + box("udta", meta)));
    EXPECT_EQ(TagLib::String("Meta"), f->tag()->title());
  }
}
