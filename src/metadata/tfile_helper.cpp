#include "tfile_helper.h"

#include <cstring>
#include <cwctype>
#include <strings.h>

namespace TagLib {
inline namespace BRENVO_NS {

bool CheckExtensionImpl(const char *fileName, const char *extension)
{
  if(!fileName || !extension)
    return false;
  const char *dot = std::strrchr(fileName, '.');
  return dot && ::strcasecmp(dot, extension) == 0;
}

bool CheckExtensionImpl(const wchar_t *fileName, const wchar_t *extension)
{
  if(!fileName || !extension)
    return false;
  const wchar_t *dot = std::wcsrchr(fileName, L'.');
  return dot && wcscasecmp(dot, extension) == 0;
}

bool hasAnyExtension(const char *fileName, const std::vector<const char *> &extensions)
{
  for(const char *extension : extensions) {
    if(CheckExtensionImpl(fileName, extension))
      return true;
  }
  return false;
}

File *discardIfInvalid(File *file)
{
  if(file && !file->isValid()) {
    delete file;
    return nullptr;
  }
  return file;
}

int wcscasecmp(const wchar_t *a, const wchar_t *b)
{
  for(;; ++a, ++b) {
    const wint_t ca = std::towlower(static_cast<wint_t>(*a));
    const wint_t cb = std::towlower(static_cast<wint_t>(*b));
    if(ca != cb || *a == L'\0' || *b == L'\0')
      return static_cast<int>(ca) - static_cast<int>(cb);
  }
}

} // namespace BRENVO_NS
} // namespace TagLib
