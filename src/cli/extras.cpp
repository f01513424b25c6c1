#include "extras.h"

namespace brenvo_cli {

std::vector<Field> extraFields(TagLib::File *)
{
  return {};
}

} // namespace brenvo_cli
