#include "mp4fourcc.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

Fourcc::Fourcc() : m_fourcc(0)
{
}

Fourcc::Fourcc(const String &code) : m_fourcc(0)
{
  if(code.size() < 4)
    return;
  for(unsigned int i = 0; i < 4; ++i)
    m_fourcc = (m_fourcc << 8) | (static_cast<unsigned int>(code[i]) & 0xFF);
}

Fourcc::operator unsigned int() const
{
  return m_fourcc;
}

bool Fourcc::operator==(unsigned int value) const
{
  return m_fourcc == value;
}

bool Fourcc::operator!=(unsigned int value) const
{
  return m_fourcc != value;
}

Fourcc &Fourcc::operator=(unsigned int value)
{
  m_fourcc = value;
  return *this;
}

Fourcc &Fourcc::operator=(char *bytes)
{
  m_fourcc = 0;
  for(int i = 0; i < 4; ++i)
    m_fourcc = (m_fourcc << 8) | static_cast<unsigned char>(bytes[i]);
  return *this;
}

String Fourcc::toString() const
{
  String text;
  for(int shift = 24; shift >= 0; shift -= 8)
    text += String(static_cast<char>((m_fourcc >> shift) & 0xFF), String::Latin1);
  return text;
}

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib
