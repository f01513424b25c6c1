#ifndef BRENVO_AACHEADERS_H
#define BRENVO_AACHEADERS_H

#include <tbytevector.h>
#include <tfile.h>

#include "brenvo_export.h"

// The headers of raw AAC streams (ISO/IEC 14496-3, 1.A.2): the ADTS frame
// header, the ADIF header and the program config element both may carry.

namespace TagLib {
namespace AAC {
inline namespace BRENVO_NS {

//! How far past the ID3v2 tag the first frame is looked for.
constexpr long frameSearchLength = 64L * 1024;

//! The sample rate of a sampling-frequency index; 0 for the reserved ones.
int sampleRateOfIndex(unsigned int index);

//! What a program config element says about the channels and the stream.
struct ProgramConfig
{
  unsigned int objectType = 0;
  unsigned int rateIndex = 15;
  int channels = 0;
};

//! The fixed and variable parts of one ADTS frame header.
struct ADTSHeader
{
  //! The bytes of a header without its error check.
  static constexpr unsigned int size = 7;

  bool mpeg2 = false;
  bool protectionAbsent = true;
  unsigned int profile = 0;
  unsigned int rateIndex = 0;
  unsigned int channelConfig = 0;
  //! The whole frame, header included.
  unsigned int frameLength = 0;
  //! Raw data blocks in the frame, 1024 samples each.
  unsigned int blocks = 1;

  /*!
   * Reads the header at the start of \a data; false when the bytes are no
   * ADTS header (no sync word, a layer other than 0, a reserved rate, or a
   * frame too short for its own header).
   */
  bool parse(const ByteVector &data);
  //! The header with its error check: where the raw data begins.
  unsigned int headerLength() const;
  //! True when \a other has the fields that stay fixed through one stream.
  bool sameStream(const ADTSHeader &other) const;
  //! The channels the configuration names; 0 when a program config element names them.
  int channels() const;
};

//! The ADIF header that opens an ADIF stream.
struct ADIFHeader
{
  //! Enough bytes for the header and its first program config element.
  static constexpr unsigned int maxSize = 128;

  //! Bits per second, the peak for a variable stream; 0 when unknown.
  unsigned int bitrate = 0;
  ProgramConfig program;

  //! Reads the header at the start of \a data ("ADIF" first); false when cut off or not ADIF.
  bool parse(const ByteVector &data);
};

/*!
 * Reads the program config element that opens the raw data of a frame whose
 * channel configuration is 0 (\a rawData starts after the header); false
 * when the first element is another one.
 */
bool readFrameProgramConfig(const ByteVector &rawData, ProgramConfig &config);

/*!
 * Reads the ADTS header at \a offset of \a file; false when there is none or
 * it runs past \a end.
 */
bool readADTSHeader(TagLib::File &file, long offset, long end, ADTSHeader &header);

/*!
 * The offset of the AAC stream in [\a start, \a end) of \a file: an ADIF
 * header at \a start, or the first of two consecutive ADTS frames within
 * frameSearchLength bytes of \a start (or a single frame that is the whole
 * region). -1 when there is none.
 */
long findStream(TagLib::File &file, long start, long end);

} // namespace BRENVO_NS
} // namespace AAC
} // namespace TagLib

#endif
