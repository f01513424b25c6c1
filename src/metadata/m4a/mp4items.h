#ifndef BRENVO_MP4ITEMS_H
#define BRENVO_MP4ITEMS_H

#include <vector>

#include <tbytevector.h>
#include <tpropertymap.h>
#include <tstring.h>

#include "brenvo_export.h"
#include "mp4fourcc.h"
#include "tpluginpicture.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

//! One data box of an item: what the value is, its locale and its bytes.
struct Mp4ItemData
{
  /*!
   * The 32 bits after the box code: a version byte (0 in practice) and the
   * 24-bit type indicator (1 UTF-8 text, 13 JPEG, 14 PNG, 21 signed integer,
   * 0 implicit, ...).
   */
  unsigned int type = 0;
  //! The country and language the value is meant for; 0 for every one.
  unsigned int locale = 0;
  ByteVector bytes;

  bool operator==(const Mp4ItemData &other) const;
};

/*!
 * One item of the iTunes item list (ilst): a four-character code and its data
 * boxes; a freeform item ("----") is also named by its mean and name boxes.
 *
 * An item read from a file keeps its box exactly as read, so that it can be
 * written back byte for byte while nothing changes it; an item made or
 * changed in memory has none and is rendered from its fields.
 */
class Mp4Item
{
public:
  //! A new item, made in memory; \a mean and \a name are for freeform items only.
  Mp4Item(Fourcc code, const std::vector<Mp4ItemData> &values, const String &mean = String(),
          const String &name = String());

  /*!
   * Reads the item box \a box (header included) as found in the item list.
   * Every size inside is checked against the bytes given. The values are the
   * data boxes in a row (after a freeform item's mean and name) up to the
   * first child that is not a data box; a freeform item without its mean and
   * name boxes first has none.
   */
  static Mp4Item read(const ByteVector &box);

  Fourcc code() const;
  //! True for the freeform code "----".
  bool isFreeform() const;
  String mean() const;
  String name() const;
  //! The data boxes read or set, in order.
  const std::vector<Mp4ItemData> &values() const;

  /*!
   * The item's name as TagLib names MP4 items: the code as Latin-1 text up
   * to a zero byte ("\251nam", "covr"), or "----:" mean ":" name for a
   * freeform item.
   */
  String key() const;

  //! True for an item made or changed in memory: it has no bytes as read.
  bool isChanged() const;
  //! The item box as read from the file, header included; empty when changed.
  ByteVector rawBytes() const;
  //! The item box to write: the bytes as read, or for a changed item the box built from its fields.
  ByteVector render() const;

private:
  Mp4Item() = default;

  Fourcc m_code;
  String m_mean;
  String m_name;
  std::vector<Mp4ItemData> m_values;
  ByteVector m_raw;
};

/*!
 * The items of an item list in file order, and what TagLib's property
 * interface makes of them: keys and values as TagLib 1.13 gives them for MP4
 * files, pictures from the cover item. When a code appears twice, the first
 * item that holds a value of its kind counts, as in TagLib; the others stay
 * in the list untouched until their key is set or removed.
 */
class Mp4ItemList
{
public:
  //! The items, in file order (new items at the end).
  const std::vector<Mp4Item> &items() const;
  //! Appends \a item.
  void append(const Mp4Item &item);

  //! Every field under TagLib's key; items without a key are listed by unsupportedData().
  PropertyMap properties() const;
  /*!
   * Sets the fields to \a properties: keys missing from it are removed, and a
   * field whose value does not change keeps its item untouched. Returns the
   * entries whose key has no item.
   */
  PropertyMap setProperties(const PropertyMap &properties);
  //! Removes the items that properties() lists as unsupported data under the names in \a keys.
  void removeUnsupportedProperties(const StringList &keys);
  /*!
   * Sets the one field \a key (a key of properties()) to \a values, or
   * removes it when \a values is empty; false when no item has the key.
   */
  bool setField(const String &key, const StringList &values);

  //! The values of the field \a key, as properties() gives them; empty when the field is missing.
  StringList field(const String &key) const;
  /*!
   * The number of the track or disc item (\a code "trkn" or "disk") and the
   * total after it. Like the tempo, they are signed 16-bit numbers, given
   * as TagLib's unsigned accessors give them.
   */
  void numberPair(const char *code, unsigned int &number, unsigned int &total) const;
  //! The tempo; 0 without one.
  unsigned int bpm() const;

  //! Every non-empty data box of the cover items, in file order.
  Plugins::PictureList pictures() const;
  //! Replaces the cover items by one holding \a pictures (none: removed).
  void setPictures(const Plugins::PictureList &pictures);

  //! True when no item shows in properties(), as a field or as unsupported data.
  bool isEmpty() const;

private:
  // The first item that shows under the TagLib name \a key, or null.
  const Mp4Item *shown(const String &key) const;
  // Puts \a item where the first item of \a key was, removing every item of
  // the key; with no item, removes them only.
  void replace(const String &key, const Mp4Item *item);

  std::vector<Mp4Item> m_items;
};

class Tag;

//! The item list that \a tag presents and changes.
Mp4ItemList &tagItems(Tag &tag);
//! The item list that \a tag presents.
const Mp4ItemList &tagItems(const Tag &tag);

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib

#endif
