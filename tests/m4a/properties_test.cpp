// Audio properties: the sample description under its track's handler, the
// elementary stream descriptor, the stream configuration and the arithmetic.
#include <gtest/gtest.h>

#include "m4a/mp4audioproperties.h"
#include "m4a/mp4containerboxes.h"
#include "m4a/mp4propsproxy.h"
#include "m4a/mp4trackboxes.h"
#include "mp4builder.h"
#include "mp4testfile.h"

using namespace mp4test;

namespace {

struct Props
{
  int length, bitrate, sampleRate, channels;
  bool operator==(const Props &o) const
  {
    return length == o.length && bitrate == o.bitrate && sampleRate == o.sampleRate && channels == o.channels;
  }
};

std::ostream &operator<<(std::ostream &out, const Props &p)
{
  return out << "{" << p.length << " s, " << p.bitrate << " kb/s, " << p.sampleRate << " Hz, " << p.channels << " ch}";
}

Props propsOf(const std::string &bytes)
{
  OpenedFile f(bytes);
  const TagLib::AudioProperties *p = f->audioProperties();
  return {p->length(), p->bitrate(), p->sampleRate(), p->channels()};
}

std::string mp4a(std::uint16_t channels, std::uint32_t rate16, const std::string &esdsBox)
{
  return audioEntry("mp4a", channels, rate16, esdsBox);
}

} // namespace

TEST(Mp4Properties, AacTrack)
{
  EXPECT_EQ((Props{10, 128, 44100, 2}),
            propsOf(file(mvhd(44100, 441099) + track(mp4a(2, 0xAC440000u, esds(128000))))));
}

TEST(Mp4Properties, Arithmetic)
{
  EXPECT_EQ(10, propsOf(file(mvhd(44100, 441000))).length);
  EXPECT_EQ(127, propsOf(file(track(mp4a(2, 0xBB800000u, esds(127999))))).bitrate);
  EXPECT_EQ(0, propsOf(file(track(mp4a(2, 0xBB800000u, esds(999))))).bitrate);
  EXPECT_EQ(48000, propsOf(file(track(mp4a(2, 0xBB800000u, esds(999))))).sampleRate);
  // A time scale of 0 gives no length rather than a division by zero.
  EXPECT_EQ(0, propsOf(file(mvhd(0, 5000))).length);
  // 64-bit durations divide in 64 bits.
  EXPECT_EQ(7158278, propsOf(file(mvhd1(600, 4294967296ull))).length);
}

TEST(Mp4Properties, WithoutBoxesOrProxy)
{
  // A movie header but no sound track.
  EXPECT_EQ((Props{3, 0, 0, 0}), propsOf(file(mvhd(1000, 3000) + track(mp4a(2, 0xAC440000u, esds(1)), "vide"))));
  TagLib::MP4::AudioProperties unset;
  EXPECT_EQ(0, unset.length());
  EXPECT_EQ(0, unset.bitrate());
  EXPECT_EQ(0, unset.sampleRate());
  EXPECT_EQ(0, unset.channels());
  TagLib::MP4::Mp4PropsProxy empty;
  EXPECT_EQ(0u, empty.seconds());
  EXPECT_EQ(0u, empty.sampleRate());
}

TEST(Mp4Properties, HandlerTypeComesFromTheTracksHdlr)
{
  const std::string entry = mp4a(2, 0xAC440000u, esds(96000));
  const std::string stbl = box("minf", box("stbl", stsd(entry)));
  // hdlr before minf: read.
  EXPECT_EQ(44100, propsOf(file(box("trak", box("mdia", hdlr("soun") + stbl)))).sampleRate);
  // minf before hdlr: the stsd gets no handler type and reads no entry.
  EXPECT_EQ((Props{0, 0, 0, 0}), propsOf(file(box("trak", box("mdia", stbl + hdlr("soun"))))));
  // Another handler: skipped whole.
  EXPECT_EQ(0, propsOf(file(box("trak", box("mdia", hdlr("vide") + stbl)))).sampleRate);
}

TEST(Mp4Properties, LaterSoundTrackWins)
{
  const std::string first = track(mp4a(1, 22050u << 16, esds(32000, asc(2, 7, 1))));
  const std::string second = track(mp4a(2, 44100u << 16, esds(128000, asc(2, 4, 2))));
  EXPECT_EQ((Props{0, 128, 44100, 2}), propsOf(file(first + second)));
}

TEST(Mp4Properties, OnlyTheFirstSampleEntryIsRead)
{
  const std::string entries = mp4a(1, 22050u << 16, esds(32000)) + mp4a(2, 48000u << 16, esds(64000));
  const std::string bytes = file(box("trak", box("mdia", hdlr("soun") + box("minf", box("stbl", stsd(entries, 2))))) +
                                 tagBoxes(item("\251nam", "After")));
  OpenedFile f(bytes);
  EXPECT_EQ(22050, f->audioProperties()->sampleRate());
  EXPECT_EQ(TagLib::String("After"), f->tag()->title());
}

TEST(Mp4Properties, OtherSampleEntriesGiveNoBitRate)
{
  // ALAC: the entry's channels and rate, no descriptor.
  const std::string alac = audioEntry("alac", 1, 44100u << 16, box("alac", std::string(28, '\0')));
  EXPECT_EQ((Props{0, 0, 44100, 1}), propsOf(file(track(alac) + tagBoxes(item("\251nam", "x")))));
  EXPECT_EQ((Props{0, 0, 44100, 2}), propsOf(file(track(audioEntry("drms", 2, 44100u << 16, esds(0))))));
}

TEST(Mp4Properties, DescriptorWalkFailures)
{
  const auto bitrateOf = [](const std::string &esdsBox) {
    return propsOf(file(track(mp4a(2, 44100u << 16, esdsBox)))).bitrate;
  };
  EXPECT_EQ(128, bitrateOf(esds(128000)));
  EXPECT_EQ(128, bitrateOf(esds(128000, std::string(), true))) << "four-byte lengths";
  // An entry of exactly 48 bytes: an esds with no descriptor.
  EXPECT_EQ(0, bitrateOf(fullBox("esds", 0, 0)));
  // An ES descriptor length of 19.
  std::string shortEs = esds(128000);
  shortEs[13] = 19;
  EXPECT_EQ(0, bitrateOf(shortEs));
  // A second tag of 5 rather than 4.
  std::string wrongTag = esds(128000);
  wrongTag[17] = 5;
  EXPECT_EQ(0, bitrateOf(wrongTag));
  // A descriptor cut off by the end of the esds box: nothing beyond it is read.
  const std::string full = esds(128000);
  std::string cut = full.substr(0, 30);
  cut[3] = 30;
  EXPECT_EQ(0, bitrateOf(cut + std::string(full.begin() + 30, full.end())));
  // The channels and rate stay when the walk fails.
  EXPECT_EQ((Props{0, 0, 44100, 2}), propsOf(file(track(mp4a(2, 44100u << 16, shortEs)))));
}

TEST(Mp4Properties, StreamConfigurationOverridesTheEntry)
{
  const auto props = [](std::uint16_t channels, std::uint32_t rate16, const std::string &config) {
    return propsOf(file(track(mp4a(channels, rate16, esds(64000, config)))));
  };
  // Mono written as the template value 2.
  EXPECT_EQ(1, props(2, 44100u << 16, asc(2, 4, 1)).channels);
  // 96 kHz does not fit the 16.16 field.
  EXPECT_EQ((Props{0, 64, 96000, 2}), props(2, 0, asc(2, 0, 2)));
  // Channel configuration 7 is 7.1: eight channels.
  EXPECT_EQ(8, props(2, 48000u << 16, asc(2, 3, 7)).channels);
  // Configuration 0 (given elsewhere) keeps the entry's value.
  EXPECT_EQ(6, props(6, 48000u << 16, asc(2, 3, 0)).channels);
  // An explicit 24-bit frequency (index 15).
  const std::string explicitRate = ByteBuilder().u8((2 << 3) | 0x7).u8(0x80 | (12345 >> 17)).u8((12345 >> 9) & 0xFF)
                                     .u8((12345 >> 1) & 0xFF).u8(((12345 & 1) << 7) | (1 << 3)).str();
  EXPECT_EQ((Props{0, 64, 12345, 1}), props(2, 44100u << 16, explicitRate));
  // HE-AAC (SBR, object type 5): the extension rate is the rate played.
  const unsigned sbr = (5u << 27) | (6u << 23) | (2u << 19) | (3u << 15) | (2u << 10);
  EXPECT_EQ((Props{0, 64, 48000, 2}), props(2, 24000u << 16, ByteBuilder().be32(sbr).str()));
  // A reserved frequency index keeps the entry's rate.
  EXPECT_EQ(22050, props(2, 22050u << 16, asc(2, 13, 2)).sampleRate);
  // A configuration cut short keeps what it could not give.
  EXPECT_EQ((Props{0, 64, 22050, 2}), props(2, 22050u << 16, std::string(1, '\x10')));
}

TEST(Mp4Properties, HostileSampleDescriptions)
{
  // An entry that claims to be larger than its stsd is not read.
  const std::string big = boxSized(4000, "mp4a", std::string(28, '\0'));
  EXPECT_EQ(0, propsOf(file(track(big))).sampleRate);
  // An entry too small for its fields is not read past its end.
  EXPECT_EQ(0, propsOf(file(track(box("mp4a", std::string(20, '\x7F'))))).channels);
  // An esds claiming 4 GB.
  std::string esdsBox = esds(128000);
  esdsBox[0] = esdsBox[1] = esdsBox[2] = '\xFF';
  EXPECT_EQ(44100, propsOf(file(track(mp4a(2, 44100u << 16, esdsBox)))).sampleRate);
}
