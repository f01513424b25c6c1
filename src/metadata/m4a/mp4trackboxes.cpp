#include "mp4trackboxes.h"

#include <algorithm>

#include "common/bytecursor.h"
#include "mp4file.h"
#include "mp4propsproxy.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

// ---- mvhd ------------------------------------------------------------------

class Mp4MvhdBox::Mp4MvhdBoxPrivate
{
public:
  unsigned long long creationTime = 0;
  unsigned long long modificationTime = 0;
  unsigned long long duration = 0;
  unsigned int timescale = 0;
  unsigned int rate = 0;
  unsigned int volume = 0;
  unsigned int nextTrackID = 0;
};

Mp4MvhdBox::Mp4MvhdBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset)
  : Mp4IsoFullBox(file, fourcc, size, offset), d(std::make_unique<Mp4MvhdBoxPrivate>())
{
}

Mp4MvhdBox::~Mp4MvhdBox() = default;

unsigned long long Mp4MvhdBox::creationTime() const { return d->creationTime; }
unsigned long long Mp4MvhdBox::modificationTime() const { return d->modificationTime; }
unsigned long long Mp4MvhdBox::duration() const { return d->duration; }
unsigned int Mp4MvhdBox::timescale() const { return d->timescale; }
unsigned int Mp4MvhdBox::rate() const { return d->rate; }
unsigned int Mp4MvhdBox::volume() const { return d->volume; }
unsigned int Mp4MvhdBox::nextTrackID() const { return d->nextTrackID; }

void Mp4MvhdBox::parse()
{
  MP4::File *file = mp4file();
  if(!file)
    return;
  // The fields after version and flags: 108 or 96 bytes. A box too small for
  // them counts as a failed read rather than reading its neighbours.
  const bool wide = version() == 1;
  const unsigned long fieldsSize = wide ? 108 : 96;
  if(!hasRoom(fieldsSize))
    return;
  ByteCursor fields(readContent(fieldsSize));
  d->creationTime = wide ? fields.u64be() : fields.u32be();
  d->modificationTime = wide ? fields.u64be() : fields.u32be();
  d->timescale = fields.u32be();
  d->duration = wide ? fields.u64be() : fields.u32be();
  d->rate = fields.u32be();
  d->volume = fields.u32be();
  fields.skip(68);
  d->nextTrackID = fields.u32be();
  if(fields.ok())
    file->propProxy()->registerMvhd(this);
}

// ---- hdlr ------------------------------------------------------------------

class Mp4HdlrBox::Mp4HdlrBoxPrivate
{
public:
  unsigned int preDefined = 0;
  Fourcc handlerType;
  String name;
};

Mp4HdlrBox::Mp4HdlrBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset)
  : Mp4IsoFullBox(file, fourcc, size, offset), d(std::make_unique<Mp4HdlrBoxPrivate>())
{
}

Mp4HdlrBox::~Mp4HdlrBox() = default;

Fourcc Mp4HdlrBox::hdlr_type() const { return d->handlerType; }
String Mp4HdlrBox::hdlr_string() const { return d->name; }

void Mp4HdlrBox::parse()
{
  if(!mp4file())
    return;
  // The rest of the box: pre-defined, handler type, 12 reserved bytes, name.
  ByteCursor fields(readContent(size()));
  d->preDefined = fields.u32be();
  d->handlerType = fields.u32be();
  // A box under 32 bytes has no name.
  if(fields.ok() && size() > 32 && fields.skip(12))
    d->name = fields.rest();
}

// ---- stsd ------------------------------------------------------------------

class Mp4StsdBox::Mp4StsdBoxPrivate
{
public:
  Fourcc handlerType;
  std::unique_ptr<Mp4AudioSampleEntry> sampleEntry;
};

Mp4StsdBox::Mp4StsdBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset)
  : Mp4IsoFullBox(file, fourcc, size, offset), d(std::make_unique<Mp4StsdBoxPrivate>())
{
}

Mp4StsdBox::~Mp4StsdBox() = default;

void Mp4StsdBox::setHandlerType(Fourcc handlerType)
{
  d->handlerType = handlerType;
}

Mp4AudioSampleEntry *Mp4StsdBox::sampleEntry() const
{
  return d->sampleEntry.get();
}

void Mp4StsdBox::parse()
{
  MP4::File *file = mp4file();
  if(!file)
    return;
  if(d->handlerType != Fourcc(String("soun"))) {
    file->seek(endOffset());
    return;
  }
  // The entry count, then the first entry's size and code.
  ByteCursor fields(readContent(12));
  fields.skip(4);
  const unsigned int entrySize = fields.u32be();
  Fourcc entryCode;
  entryCode = fields.u32be();
  // Only an entry that lies inside the box is read.
  if(!fields.ok() || entrySize < 8 || !hasRoom(entrySize - 8))
    return;
  d->sampleEntry = std::make_unique<Mp4AudioSampleEntry>(file, entryCode, entrySize, file->tell());
  d->sampleEntry->parse();
  // Further entries are not read.
  file->seek(endOffset());
}

// ---- sample entries ----------------------------------------------------------

class Mp4SampleEntry::Mp4SampleEntryPrivate
{
public:
  unsigned int dataReferenceIndex = 0;
};

Mp4SampleEntry::Mp4SampleEntry(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset)
  : Mp4IsoBox(file, fourcc, size, offset), d(std::make_unique<Mp4SampleEntryPrivate>())
{
}

Mp4SampleEntry::~Mp4SampleEntry() = default;

unsigned int Mp4SampleEntry::dataReferenceIndex() const
{
  return d->dataReferenceIndex;
}

void Mp4SampleEntry::parse()
{
  if(!mp4file() || !hasRoom(8))
    return;
  // Six reserved bytes, then the data reference index.
  ByteCursor fields(readContent(8));
  fields.skip(6);
  d->dataReferenceIndex = fields.u16be();
  if(fields.ok())
    parseEntry();
}

namespace {

//! Reads bit fields, most significant bit first, from bytes already read.
class BitCursor
{
public:
  explicit BitCursor(const ByteVector &bytes) : m_bytes(bytes), m_bits(bytes.size() * 8) {}

  //! The next \a width bits; false when fewer are left.
  bool take(unsigned int width, unsigned int &value)
  {
    if(width > m_bits - m_position)
      return false;
    value = 0;
    for(unsigned int i = 0; i < width; ++i, ++m_position) {
      const unsigned int bit = (static_cast<unsigned char>(m_bytes[m_position / 8]) >> (7 - m_position % 8)) & 1;
      value = (value << 1) | bit;
    }
    return true;
  }

private:
  const ByteVector &m_bytes;
  unsigned int m_bits;
  unsigned int m_position = 0;
};

// ISO/IEC 14496-3 sampling frequency indices; 13 and 14 are reserved.
const unsigned int samplingFrequencies[13] = {96000, 88200, 64000, 48000, 44100, 32000, 24000,
                                              22050, 16000, 12000, 11025, 8000, 7350};

//! A sampling frequency field (index, or index 15 and 24 explicit bits); 0 if none.
bool takeSamplingFrequency(BitCursor &bits, unsigned int &rate)
{
  unsigned int index = 0;
  if(!bits.take(4, index))
    return false;
  if(index == 15)
    return bits.take(24, rate);
  rate = index < 13 ? samplingFrequencies[index] : 0;
  return true;
}

//! An MPEG-4 descriptor length (1 to 4 bytes, 7 bits each); what was decoded when the bytes end.
unsigned int systemsLength(ByteCursor &cursor)
{
  unsigned int value = 0;
  for(int count = 0; count < 4 && cursor.has(1); ++count) {
    const unsigned int byte = cursor.u8();
    value = (value << 7) | (byte & 0x7F);
    if(!(byte & 0x80))
      break;
  }
  return value;
}

} // namespace

class Mp4AudioSampleEntry::Mp4AudioSampleEntryPrivate
{
public:
  unsigned int channels = 0;
  unsigned int samplerate = 0;
  unsigned int bitrate = 0;
  // From the stream's AudioSpecificConfig; 0 where it gives none.
  unsigned int configChannels = 0;
  unsigned int configSampleRate = 0;
};

Mp4AudioSampleEntry::Mp4AudioSampleEntry(TagLib::File *file, Fourcc fourcc, unsigned int size,
                                         long offset)
  : Mp4SampleEntry(file, fourcc, size, offset), d(std::make_unique<Mp4AudioSampleEntryPrivate>())
{
}

Mp4AudioSampleEntry::~Mp4AudioSampleEntry() = default;

unsigned int Mp4AudioSampleEntry::channels() const
{
  return d->configChannels ? d->configChannels : d->channels;
}

unsigned int Mp4AudioSampleEntry::samplerate() const
{
  return d->samplerate;
}

unsigned int Mp4AudioSampleEntry::sampleRateHz() const
{
  return d->configSampleRate ? d->configSampleRate : d->samplerate >> 16;
}

unsigned int Mp4AudioSampleEntry::bitrate() const
{
  return d->bitrate;
}

void Mp4AudioSampleEntry::parseEntry()
{
  MP4::File *file = mp4file();
  // Reserved 8, channels 2, sample size and two reserved 6, rate 4.
  if(!file || !hasRoom(20))
    return;
  ByteCursor fields(readContent(20));
  fields.skip(8);
  d->channels = fields.u16be();
  fields.skip(6);
  const unsigned int rate = fields.u32be();
  if(!fields.ok())
    return;
  d->samplerate = rate;
  file->propProxy()->registerAudioSampleEntry(this);

  if(fourcc() == Fourcc(String("mp4a")) || fourcc() == Fourcc(String("drms")))
    parseDescriptors(*file);
  else if(fourcc() == Fourcc(String("alac")))
    parseAlacConfig(*file);
  file->seek(endOffset());
}

void Mp4AudioSampleEntry::parseAlacConfig(MP4::File &file)
{
  // The entry's child "alac": version and flags, then the decoder's
  // configuration, whose average bit rate follows 16 bytes of frame fields.
  unsigned int configSize = 0;
  Fourcc configCode;
  if(!hasRoom(8) || !file.readSizeAndType(configSize, configCode) || configCode != Fourcc(String("alac")) ||
     configSize < 8)
    return;
  ByteCursor config(readContent(configSize - 8));
  config.skip(4 + 16);
  const unsigned int avgBitrate = config.u32be();
  if(config.ok() && avgBitrate != 0)
    d->bitrate = avgBitrate;
}

void Mp4AudioSampleEntry::parseDescriptors(MP4::File &file)
{
  unsigned int esdsSize = 0;
  Fourcc esdsCode;
  if(!hasRoom(8) || !file.readSizeAndType(esdsSize, esdsCode) || size() == 48)
    return;
  // The descriptors are read within the esds box, itself within the entry;
  // first its version and flags.
  ByteCursor esds(readContent(esdsSize - 8));
  if(!esds.skip(4))
    return;

  unsigned int tag = esds.u8();
  if(tag == 3) {
    const unsigned int length = systemsLength(esds);
    esds.skip(3);  // ES_ID and flags
    if(!esds.ok() || length < 20)
      return;
  }
  else {
    esds.skip(2);
  }

  tag = esds.u8();
  if(!esds.ok() || tag != 4)
    return;
  systemsLength(esds);
  // Object type, stream type, buffer size; then maximum and average bit rate.
  esds.skip(9);
  const unsigned int avgBitrate = esds.u32be();
  if(!esds.ok())
    return;
  d->bitrate = avgBitrate;

  // The decoder specific info (tag 5), when present, is the stream's own
  // AudioSpecificConfig.
  tag = esds.u8();
  if(!esds.ok() || tag != 5)
    return;
  const unsigned int length = systemsLength(esds);
  parseAudioSpecificConfig(esds.bytes(std::min<std::size_t>({length, 9, esds.remaining()})));
}

void Mp4AudioSampleEntry::parseAudioSpecificConfig(const ByteVector &config)
{
  // Object type (5 or 11 bits), rate (4 or 28), channels (4), and for SBR/PS
  // the extension rate (4 or 28): 9 bytes at most.
  BitCursor bits(config);
  unsigned int objectType = 0;
  if(!bits.take(5, objectType))
    return;
  if(objectType == 31) {
    unsigned int extended = 0;
    if(!bits.take(6, extended))
      return;
    objectType = 32 + extended;
  }
  unsigned int rate = 0;
  if(!takeSamplingFrequency(bits, rate))
    return;
  unsigned int channelConfiguration = 0;
  if(!bits.take(4, channelConfiguration)) {
    d->configSampleRate = rate;
    return;
  }
  if(objectType == 5 || objectType == 29) {
    // SBR and PS: the rate played is the extension rate.
    unsigned int extensionRate = 0;
    if(takeSamplingFrequency(bits, extensionRate) && extensionRate)
      rate = extensionRate;
  }
  d->configSampleRate = rate;
  if(channelConfiguration >= 1 && channelConfiguration <= 6)
    d->configChannels = channelConfiguration;
  else if(channelConfiguration == 7)
    d->configChannels = 8;
}

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib
