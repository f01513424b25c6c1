#include "mp4tagsproxy.h"

#include "mp4itunestag.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

class Mp4TagsProxy::Mp4TagsProxyPrivate
{
public:
  long offset = -1;
  unsigned int size = 0;
  Mp4ItemList items;
};

Mp4TagsProxy::Mp4TagsProxy() : d(std::make_unique<Mp4TagsProxyPrivate>())
{
}

Mp4TagsProxy::~Mp4TagsProxy() = default;

bool Mp4TagsProxy::beginItemList(long offset, unsigned int size)
{
  if(hasItemList())
    return false;
  d->offset = offset;
  d->size = size;
  return true;
}

bool Mp4TagsProxy::hasItemList() const
{
  return d->offset >= 0;
}

long Mp4TagsProxy::itemListOffset() const
{
  return d->offset;
}

unsigned int Mp4TagsProxy::itemListSize() const
{
  return d->size;
}

void Mp4TagsProxy::clear()
{
  *d = Mp4TagsProxyPrivate();
}

void Mp4TagsProxy::registerItem(const Mp4Item &item)
{
  d->items.append(item);
}

const Mp4ItemList &Mp4TagsProxy::items() const
{
  return d->items;
}

void fillTagFromProxy(Mp4TagsProxy &proxy, Tag &tag)
{
  // The items' bytes are shared, not copied.
  tagItems(tag) = proxy.items();
}

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib
