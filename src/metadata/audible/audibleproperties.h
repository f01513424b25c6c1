#ifndef BRENVO_AUDIBLEPROPERTIES_H
#define BRENVO_AUDIBLEPROPERTIES_H

#include <audioproperties.h>
#include <tiostream.h>

#include "brenvo_export.h"

namespace TagLib {
namespace Audible {
inline namespace BRENVO_NS {

/*!
 * The audio properties of an Audible audiobook. The file tells only its
 * length; it is known to be one channel.
 */
class Properties : public AudioProperties
{
public:
  explicit Properties(ReadStyle style);
  ~Properties() override;

  Properties(const Properties &) = delete;
  Properties &operator=(const Properties &) = delete;

  int length() const override;
  int bitrate() const override;
  int sampleRate() const override;
  int channels() const override;

  //! The length in milliseconds, from what the file counts exactly.
  int lengthInMilliseconds() const;
  //! The length in whole seconds: lengthInMilliseconds() rounded down.
  int lengthInSeconds() const;

  /*!
   * Reads the length in seconds from \a stream, 61 bytes behind
   * \a tagsEndOffset (the end of the header records). Nothing changes when
   * it cannot be read.
   */
  void readAudibleProperties(IOStream *stream, unsigned int tagsEndOffset);

private:
  int m_length;
  int m_bitrate;
  int m_sampleRate;
  int m_channels;
};

} // namespace BRENVO_NS
} // namespace Audible
} // namespace TagLib

#endif
