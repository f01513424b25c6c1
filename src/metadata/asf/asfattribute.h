#ifndef BRENVO_ASFATTRIBUTE_H
#define BRENVO_ASFATTRIBUTE_H

#include <tbytevector.h>
#include <tstring.h>

#include "brenvo_export.h"

namespace TagLib {
inline namespace BRENVO_NS {
class ByteCursor;
} // namespace BRENVO_NS

namespace ASF {
inline namespace BRENVO_NS {

/*!
 * One typed metadata value of an ASF file with the stream number and language
 * index it applies to. The name is not part of the value: the tag keeps
 * attributes by name.
 *
 * Attributes are implicitly shared: copies share one record until the last
 * goes, and setStream() / setLanguage() change the shared record.
 *
 * Records come in three layouts, selected by \a kind in parse() and render():
 * 0 for the extended content description object, 1 for the metadata object
 * and 2 for the metadata library object.
 */
class Attribute
{
public:
  //! The value type code as stored in the file. Files may hold codes beyond
  //! these; the fixed underlying type keeps them representable.
  enum AttributeType : int {
    Unicode = 0,
    Bytes = 1,
    Bool = 2,
    DWord = 3,
    QWord = 4,
    Word = 5,
    Guid = 6
  };

  //! An empty Unicode attribute.
  Attribute();
  Attribute(const String &value);
  Attribute(const ByteVector &value);
  Attribute(unsigned int value);
  Attribute(unsigned long long value);
  Attribute(unsigned short value);
  Attribute(bool value);

  Attribute(const Attribute &other);
  Attribute &operator=(const Attribute &other);
  virtual ~Attribute();

  AttributeType type() const;

  //! The text of a Unicode attribute; empty for other types.
  String toString() const;
  //! The bytes of a Bytes or Guid attribute; empty for other types.
  ByteVector toByteVector() const;

  /*!
   * The numeric views: for Bool, Word, DWord and QWord attributes the value
   * truncated or widened to the view's width (toBool() is true for any
   * non-zero value); 0 or false for the other types.
   */
  bool toBool() const;
  unsigned short toUShort() const;
  unsigned int toUInt() const;
  unsigned long long toULongLong() const;

  int stream() const;
  void setStream(int value);
  int language() const;
  void setLanguage(int value);

  /*!
   * Reads one record of \a kind from \a record into this attribute and
   * returns the record's name. A record that does not fit in what is left of
   * \a record leaves it failed, and the caller drops the record.
   */
  String parse(ByteCursor &record, int kind);

  //! One record of \a kind for this attribute under \a name.
  ByteVector render(const String &name, int kind) const;

  //! The value bytes as a record of \a kind holds them.
  ByteVector renderValue(int kind) const;

private:
  class AttributePrivate;
  AttributePrivate *d;  // shared, reference counted
};

} // namespace BRENVO_NS
} // namespace ASF
} // namespace TagLib

#endif
