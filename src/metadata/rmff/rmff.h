#ifndef BRENVO_RMFF_H
#define BRENVO_RMFF_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include <audioproperties.h>
#include <tiostream.h>
#include <tpropertymap.h>
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
  std::uint32_t object_id = 0;  //!< the chunk's id, as chunkId() gives it
  std::uint32_t size = 0;       //!< the chunk's size, its 8-byte header included
};

//! A chunk whose body starts with a 16-bit version of its layout.
class VersionedChunk : public Collectable
{
public:
  std::uint16_t object_version = 0;
};

//! The ".RMF" chunk that opens every RealMedia file.
class File_Header_v0_v1 : public VersionedChunk
{
public:
  std::uint32_t file_version = 0;
  std::uint32_t num_headers = 0;
};

//! A chunk that starts with the bit rates and packet sizes of what it describes.
class BitRateChunk : public VersionedChunk
{
public:
  std::uint32_t max_bit_rate = 0;
  std::uint32_t avg_bit_rate = 0;
  std::uint32_t max_packet_size = 0;
  std::uint32_t avg_packet_size = 0;
};

//! The "PROP" chunk: bit rates and duration of the whole presentation.
class RMProperties : public BitRateChunk
{
public:
  std::uint32_t num_packets = 0;
  std::uint32_t duration = 0;  //!< milliseconds
  std::uint32_t preroll = 0;
  std::uint32_t index_offset = 0;
  std::uint32_t data_offset = 0;
  std::uint16_t num_streams = 0;
  std::uint16_t flags = 0;
};

//! One name-value pair of a logical stream.
struct NameValueProperty
{
  std::uint32_t size = 0;
  std::uint16_t object_version = 0;
  std::uint8_t name_length = 0;
  std::unique_ptr<char[]> name;            //!< 0-terminated; null when the length is 0
  std::uint32_t type = 0;
  std::uint16_t value_length = 0;
  std::unique_ptr<unsigned char[]> value;  //!< value_length bytes and a 0; null when empty
};

//! The type-specific data of a "logical-fileinfo" stream.
struct LogicalStream
{
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
class MediaProperties : public BitRateChunk
{
public:
  std::uint16_t stream_number = 0;  //!< stored before the bit rates
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
class ContentDescription : public VersionedChunk
{
public:
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
struct MDProperties
{
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
  std::uint32_t first_word = 0;
  std::uint32_t second_word = 0;
  MDProperties properties;
};

/*!
 * Reads the header chunks of a RealMedia file up to the data chunk, then the
 * metadata section wherever it is, then the trailing ID3v1 tag, all through
 * one stream. The data chunk is passed over by seeking, never read. Any
 * failure sets a sticky error flag; the tag then reads as empty and the
 * properties as zero.
 */
class RealMediaFF
{
public:
  //! The most bytes of one chunk read; a longer chunk cannot be parsed.
  static constexpr std::size_t ChunkBufferSize = 65536;
  //! Deepest nesting of metadata properties accepted (the root is level 1).
  static constexpr int MaxPropertyDepth = 16;

  /*!
   * Reads \a stream, which the reader borrows: it must outlive the reader.
   * Without \a readProperties only the ID3v1 tag is read.
   */
  RealMediaFF(IOStream *stream, bool readProperties = true,
              AudioProperties::ReadStyle propertiesStyle = AudioProperties::Average);
  //! Opens \a file (once, for the reader's lifetime) and reads it.
  RealMediaFF(FileName file, bool readProperties = true,
              AudioProperties::ReadStyle propertiesStyle = AudioProperties::Average);
  /*!
   * An independent reader of the same file: reads \a other's stream again
   * from the start. After that only seekChunk() and readChunkHeader() use
   * the stream.
   */
  RealMediaFF(const RealMediaFF &other);
  RealMediaFF &operator=(const RealMediaFF &) = delete;
  ~RealMediaFF();

  /*!
   * Walks the chunk headers from the start of the file to the chunk
   * \a object_id and leaves the stream at its header. Returns its offset, or
   * -1 when there is none or the reader has failed. A chunk that is not there
   * is no failure of the file: the error flag is left alone.
   */
  int seekChunk(std::uint32_t object_id);
  /*!
   * Reads the chunk header at the stream's position into \a object_id and
   * \a size. When the file ends inside it, sets the error flag and returns
   * false.
   */
  bool readChunkHeader(std::uint32_t &object_id, std::uint32_t &size);

  /*!
   * Every field of the file under TagLib's property keys. A key comes from the
   * first of these that holds it: the ID3v1 tag, the content description, the
   * metadata section, the properties of the logical streams. Record names
   * without a standard key stand upper-cased (a nested record under its path,
   * "PARENT/CHILD"); numbers as decimal text; binary records are named by
   * unsupportedData(). Empty once the reader has failed.
   */
  const PropertyMap &properties() const;

  //! \name The tag: the first value of each field of properties().
  //@{
  String title() const;
  String artist() const;
  String album() const;
  String comment() const;
  String genre() const;
  unsigned int year() const;
  unsigned int track() const;
  bool isEmpty() const;
  //@}

  //! \name The properties: from the file properties chunk.
  //@{
  unsigned int length() const;   //!< milliseconds
  unsigned int bitrate() const;  //!< bits per second
  int sampleRate() const;        //!< always 0: not in the header chunks read
  int channels() const;          //!< always 0
  //@}

  //! 0, or -1 once anything failed.
  int err() const;
  //! The name of the stream read.
  const char *fileName() const;
  //! Whether the chunks were read (the constructor's \a readProperties).
  bool readProperties() const;
  //! The first record of the list, or null.
  Collectable *recordListHead() const;
  //! Every record read whole, in reading order.
  const std::vector<std::unique_ptr<Collectable>> &records() const;
  //! The file header, also when its chunk failed; null when none was read.
  File_Header_v0_v1 *fileHeader() const;
  //! The file properties chunk, or null.
  RMProperties *fileProperties() const;
  //! The last media properties chunk, or null.
  MediaProperties *mediaProperties() const;
  //! The content description, or null.
  ContentDescription *contentDescription() const;
  //! The metadata section, also when it failed; null when there is none.
  MetadataSection *metadataSection() const;
  //! The ID3v1 tag's file; null when the stream could not be read.
  RMFFile *id3v1Holder() const;

private:
  class RealMediaFFPrivate;
  std::unique_ptr<RealMediaFFPrivate> d;
};

} // namespace BRENVO_NS
} // namespace RealMedia
} // namespace TagLib

#endif
