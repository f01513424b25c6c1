#include "mp4trackboxes.h"

#include <algorithm>

#include "common/bytecursor.h"
#include "mp4file.h"
#include "mp4propsproxy.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

// ---- mvhd ------------------------------------------------------------------

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
  m_creationTime = wide ? fields.u64be() : fields.u32be();
  m_modificationTime = wide ? fields.u64be() : fields.u32be();
  m_timescale = fields.u32be();
  m_duration = wide ? fields.u64be() : fields.u32be();
  m_rate = fields.u32be();
  m_volume = fields.u32be();
  fields.skip(68);
  m_nextTrackID = fields.u32be();
  if(fields.ok())
    file->propProxy()->registerMvhd(this);
}

// ---- hdlr ------------------------------------------------------------------

void Mp4HdlrBox::parse()
{
  if(!mp4file())
    return;
  // The rest of the box: pre-defined, handler type, 12 reserved bytes, name.
  ByteCursor fields(readContent(size()));
  m_preDefined = fields.u32be();
  m_handlerType = fields.u32be();
  // A box under 32 bytes has no name.
  if(fields.ok() && size() > 32 && fields.skip(12))
    m_name = fields.rest();
}

// ---- stsd ------------------------------------------------------------------

void Mp4StsdBox::parse()
{
  MP4::File *file = mp4file();
  if(!file)
    return;
  if(m_handlerType != Fourcc(String("soun"))) {
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
  m_sampleEntry = std::make_unique<Mp4AudioSampleEntry>(file, entryCode, entrySize, file->tell());
  m_sampleEntry->parse();
  // Further entries are not read.
  file->seek(endOffset());
}

// ---- sample entries ----------------------------------------------------------

void Mp4SampleEntry::parse()
{
  if(!mp4file() || !hasRoom(8))
    return;
  // Six reserved bytes, then the data reference index.
  ByteCursor fields(readContent(8));
  fields.skip(6);
  m_dataReferenceIndex = fields.u16be();
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

void Mp4AudioSampleEntry::parseEntry()
{
  MP4::File *file = mp4file();
  // Reserved 8, channels 2, sample size and two reserved 6, rate 4.
  if(!file || !hasRoom(20))
    return;
  ByteCursor fields(readContent(20));
  fields.skip(8);
  m_channels = fields.u16be();
  fields.skip(6);
  const unsigned int rate = fields.u32be();
  if(!fields.ok())
    return;
  m_samplerate = rate;
  file->propProxy()->registerAudioSampleEntry(this);

  if(fourcc() == Fourcc(String("mp4a")) || fourcc() == Fourcc(String("drms")))
    parseDescriptors(*file);
  file->seek(endOffset());
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
  m_bitrate = avgBitrate;

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
    m_configSampleRate = rate;
    return;
  }
  if(objectType == 5 || objectType == 29) {
    // SBR and PS: the rate played is the extension rate.
    unsigned int extensionRate = 0;
    if(takeSamplingFrequency(bits, extensionRate) && extensionRate)
      rate = extensionRate;
  }
  m_configSampleRate = rate;
  if(channelConfiguration >= 1 && channelConfiguration <= 6)
    m_configChannels = channelConfiguration;
  else if(channelConfiguration == 7)
    m_configChannels = 8;
}

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib
