#ifndef BRENVO_MP4TAGSPROXY_H
#define BRENVO_MP4TAGSPROXY_H

#include <memory>

#include "brenvo_export.h"
#include "mp4items.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

class Tag;

/*!
 * The items of the file's item list (moov/udta/meta/ilst) as they are read,
 * in file order, and where that list lies in the file. A file has one item
 * list: the first one found.
 */
class Mp4TagsProxy
{
public:
  Mp4TagsProxy();
  ~Mp4TagsProxy();
  Mp4TagsProxy(const Mp4TagsProxy &) = delete;
  Mp4TagsProxy &operator=(const Mp4TagsProxy &) = delete;

  /*!
   * Takes the item list box of \a size bytes whose header starts at the file
   * offset \a offset as the file's; false when one was taken before.
   */
  bool beginItemList(long offset, unsigned int size);
  //! True once an item list was taken.
  bool hasItemList() const;
  //! The file offset of the item list box's header; -1 without one.
  long itemListOffset() const;
  //! The item list box's size as declared, header included; 0 without one.
  unsigned int itemListSize() const;

  //! Forgets the item list and its items, to read the file again.
  void clear();

  //! Appends \a item, read from the item list.
  void registerItem(const Mp4Item &item);
  //! The items as read, in file order.
  const Mp4ItemList &items() const;

private:
  class Mp4TagsProxyPrivate;
  std::unique_ptr<Mp4TagsProxyPrivate> d;
};

//! Gives \a tag the items registered in \a proxy.
void fillTagFromProxy(Mp4TagsProxy &proxy, Tag &tag);

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib

#endif
