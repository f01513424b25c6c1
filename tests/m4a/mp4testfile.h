#ifndef BRENVO_TEST_MP4TESTFILE_H
#define BRENVO_TEST_MP4TESTFILE_H

#include <fstream>
#include <memory>
#include <string>

#include "m4a/mp4file.h"
#include "testfiles.h"

namespace mp4test {

//! Writes \a bytes to a temporary .m4a file and opens it as an MP4 file.
class OpenedFile
{
public:
  explicit OpenedFile(const std::string &bytes, const std::string &name = "test.m4a")
    : m_path(m_dir.write(name, bytes)), m_file(std::make_unique<TagLib::MP4::File>(m_path.c_str()))
  {
  }

  TagLib::MP4::File &operator*() const { return *m_file; }
  TagLib::MP4::File *operator->() const { return m_file.get(); }
  const std::string &path() const { return m_path; }

private:
  brenvo_test::TempDir m_dir;
  std::string m_path;
  std::unique_ptr<TagLib::MP4::File> m_file;
};

//! Bytes this process has read so far ("rchar" of /proc/self/io).
inline long bytesReadSoFar()
{
  std::ifstream io("/proc/self/io");
  std::string key;
  long value = 0;
  while(io >> key >> value) {
    if(key == "rchar:")
      return value;
  }
  return -1;
}

} // namespace mp4test

#endif
