#ifndef BRENVO_RMFF_H
#define BRENVO_RMFF_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include <audioproperties.h>
#include <tstring.h>

#include "brenvo_export.h"

namespace TagLib {
namespace RealMedia {
inline namespace BRENVO_NS {

class RMFFile;

//! The four characters of a chunk id as the big-endian number the reader compares.
constexpr std::uint32_t chunkId(const char (&id)[5])
{
  return (static_cast<std::uint32_t>(static_cast<unsigned char>(id[0])) << 24) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(id[1])) << 16) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(id[2])) << 8) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(id[3]));
}

/*!
 * Base of the chunk records the reader keeps, in reading order. \a fwd is the
 * next record of the reader's list (borrowed; the reader owns every record).
 */
class Collectable
{
public:
  Collectable() = default;
  virtual ~Collectable();
  Collectable(const Collectable &) = delete;
  Collectable &operator=(const Collectable &) = delete;
  Collectable(Collectable &&) = default;
  Collectable &operator=(Collectable &&) = default;

  Collectable *fwd = nullptr;
};

//! The ".RMF" chunk that opens every RealMedia file.
class File_Header_v0_v1 : public Collectable
{
public:
  std::uint32_t object_id = 0;
  std::uint32_t size = 0;
  std::uint16_t object_version = 0;
  std::uint32_t file_version = 0;
  std::uint32_t num_headers = 0;
};

//! The "PROP" chunk: bit rates and duration of the whole presentation.
class RMProperties : public Collectable
{
public:
  std::uint32_t object_id = 0;
  std::uint32_t size = 0;
  std::uint16_t object_version = 0;
  std::uint32_t max_bit_rate = 0;
  std::uint32_t avg_bit_rate = 0;
  std::uint32_t max_packet_size = 0;
  std::uint32_t avg_packet_size = 0;
  std::uint32_t num_packets = 0;
  std::uint32_t duration = 0;  //!< milliseconds
  std::uint32_t preroll = 0;
  std::uint32_t index_offset = 0;
  std::uint32_t data_offset = 0;
  std::uint16_t num_streams = 0;
  std::uint16_t flags = 0;
};

//! One name-value pair of a logical stream.
class NameValueProperty
{
public:
  NameValueProperty() = default;
  virtual ~NameValueProperty();
  NameValueProperty(const NameValueProperty &) = delete;
  NameValueProperty &operator=(const NameValueProperty &) = delete;

  std::uint32_t size = 0;
  std::uint16_t object_version = 0;
  std::uint8_t name_length = 0;
  std::unique_ptr<char[]> name;            //!< 0-terminated; null when the length is 0
  std::uint32_t type = 0;
  std::uint16_t value_length = 0;
  std::unique_ptr<unsigned char[]> value;  //!< value_length bytes and a 0; null when empty
};

//! The type-specific data of a "logical-fileinfo" stream.
class LogicalStream
{
public:
  LogicalStream() = default;
  virtual ~LogicalStream();
  LogicalStream(const LogicalStream &) = delete;
  LogicalStream &operator=(const LogicalStream &) = delete;

  std::uint32_t size = 0;
  std::uint16_t object_version = 0;
  std::uint16_t num_physical_streams = 0;
  std::unique_ptr<std::uint16_t[]> physical_stream_numbers;
  std::unique_ptr<std::uint32_t[]> data_offsets;
  std::uint16_t num_rules = 0;
  std::unique_ptr<std::uint16_t[]> rule_to_physical_stream;
  std::uint16_t num_properties = 0;
  std::unique_ptr<NameValueProperty[]> properties;
};

//! An "MDPR" chunk: one stream's properties.
class MediaProperties : public Collectable
{
public:
  std::uint32_t object_id = 0;
  std::uint32_t size = 0;
  std::uint16_t object_version = 0;
  std::uint16_t stream_number = 0;
  std::uint32_t max_bit_rate = 0;
  std::uint32_t avg_bit_rate = 0;
  std::uint32_t max_packet_size = 0;
  std::uint32_t avg_packet_size = 0;
  std::uint32_t start_time = 0;
  std::uint32_t preroll = 0;
  std::uint32_t duration = 0;
  std::uint8_t stream_name_size = 0;
  char stream_name[256] = {};
  std::uint8_t mime_type_size = 0;
  char mime_type[256] = {};
  std::uint32_t type_specific_len = 0;
  std::unique_ptr<unsigned char[]> type_specific_data;  //!< null when the length is 0
  std::unique_ptr<LogicalStream> lstr;
};

//! The "CONT" chunk: four length-prefixed texts.
class ContentDescription : public Collectable
{
public:
  std::uint32_t object_id = 0;
  std::uint32_t size = 0;
  std::uint16_t object_version = 0;
  std::uint16_t title_len = 0;
  std::unique_ptr<char[]> title;  //!< each text 0-terminated
  std::uint16_t author_len = 0;
  std::unique_ptr<char[]> author;
  std::uint16_t copyright_len = 0;
  std::unique_ptr<char[]> copyright;
  std::uint16_t comment_len = 0;
  std::unique_ptr<char[]> comment;
};

//! One entry of a metadata property's sub-property table.
struct PropListEntry
{
  std::uint32_t offset = 0;       //!< counted from the parent property's first byte
  std::uint32_t num_props_for_name = 0;
};

//! A typed property of the metadata section, with its nested sub-properties.
class MDProperties
{
public:
  MDProperties() = default;
  virtual ~MDProperties();
  MDProperties(const MDProperties &) = delete;
  MDProperties &operator=(const MDProperties &) = delete;

  std::uint32_t size = 0;
  std::uint32_t type = 0;
  std::uint32_t flags = 0;
  std::uint32_t value_offset = 0;
  std::uint32_t subproperties_offset = 0;
  std::uint32_t num_subproperties = 0;
  std::uint32_t name_length = 0;
  std::unique_ptr<char[]> name;            //!< 0-terminated
  std::uint32_t value_length = 0;
  std::unique_ptr<unsigned char[]> value;  //!< exactly value_length bytes
  std::unique_ptr<PropListEntry[]> subproperties_list;
  std::unique_ptr<MDProperties[]> subproperties;
};

//! The "RMMD" chunk.
class MetadataSection : public Collectable
{
public:
  std::uint32_t object_id = 0;
  std::uint32_t size = 0;
  std::uint32_t first_word = 0;
  std::uint32_t second_word = 0;
  MDProperties properties;
};

/*!
 * Reads the header chunks of a RealMedia file through its own read-only
 * descriptor, up to the data chunk, then the metadata section wherever it is.
 * Any failure sets a sticky error flag; the tag then reads as empty and the
 * properties as zero.
 */
class RealMediaFF
{
public:
  //! Size of the buffer a chunk is read into; longer chunks cannot be parsed.
  static constexpr std::size_t ChunkBufferSize = 65536;
  //! Deepest nesting of metadata properties accepted (the root is level 1).
  static constexpr int MaxPropertyDepth = 16;

  RealMediaFF(const char *file, bool readProperties = true,
              AudioProperties::ReadStyle propertiesStyle = AudioProperties::Average);
  //! An independent reader of the same file: opens and reads it again.
  RealMediaFF(const RealMediaFF &other);
  RealMediaFF &operator=(const RealMediaFF &) = delete;
  ~RealMediaFF();

  int init();
  int initMetadataSection();

  int getHdr(unsigned char *buf, std::size_t size, std::uint32_t *fourcc, std::uint32_t *csize);
  int getChunk(unsigned char *buf, std::size_t size, std::uint32_t *fourcc, std::uint32_t *csize,
               std::uint32_t &alreadyread);
  int seekChunk(std::uint32_t object_id);
  //! Appends \a hdr to the record list, which owns it from then on.
  void saveHeader(std::unique_ptr<Collectable> hdr);

  int getRealFileHeader(File_Header_v0_v1 *fh, const unsigned char *buf, std::uint32_t object_id, std::uint32_t sz);
  int getRealPropertyHeader(RMProperties *props, const unsigned char *buf, std::uint32_t object_id, std::uint32_t sz);
  int getMediaPropHeader(MediaProperties *mh, const unsigned char *buf, std::uint32_t object_id, std::uint32_t sz);
  int getContentDescription(ContentDescription *cont, const unsigned char *buf, std::uint32_t object_id, std::uint32_t sz);
  /*!
   * Fills \a props from the property record at \a buf, of which \a available
   * bytes exist, and its sub-properties below it. Returns 0, or -1 when a
   * field lies outside those bytes or the tree nests too deeply.
   */
  int getMDProperties(MDProperties *props, const unsigned char *buf, std::size_t available);

  // The tag: ID3v1 fields, falling back to the content description.
  String title() const;
  String artist() const;
  String album() const;
  String comment() const;
  String genre() const;
  unsigned int year() const;
  unsigned int track() const;
  bool isEmpty() const;

  // The properties: from the file properties chunk.
  unsigned int length() const;   //!< milliseconds
  unsigned int bitrate() const;  //!< bits per second
  int sampleRate() const;
  int channels() const;

  // What was read.
  int err() const;
  const char *fileName() const;
  bool readProperties() const;
  Collectable *recordListHead() const;
  const std::vector<std::unique_ptr<Collectable>> &records() const;
  File_Header_v0_v1 *fileHeader() const;
  RMProperties *fileProperties() const;
  MediaProperties *mediaProperties() const;
  ContentDescription *contentDescription() const;
  MetadataSection *metadataSection() const;
  RMFFile *id3v1Holder() const;

private:
  void open();
  long readBytes(unsigned char *buf, std::size_t count);
  //! Moves over up to \a count bytes without reading them; returns how many the file held.
  long skipBytes(std::size_t count);
  int readHeader(std::uint32_t *fourcc, std::uint32_t *csize);
  int parseProperty(MDProperties *props, const unsigned char *buf, std::size_t available, int depth);
  void parseLogicalStream(MediaProperties *mh);
  String contentText(const char *text) const;

  class RealMediaFFPrivate;
  std::unique_ptr<RealMediaFFPrivate> d;
};

} // namespace BRENVO_NS
} // namespace RealMedia
} // namespace TagLib

#endif
