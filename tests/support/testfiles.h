#ifndef BRENVO_TEST_TESTFILES_H
#define BRENVO_TEST_TESTFILES_H

#include <functional>
#include <string>
#include <vector>

namespace brenvo_test {

//! A private temporary directory, removed with everything in it.
class TempDir
{
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;

  const std::string &path() const { return path_; }
  //! Writes \a bytes to \a name inside the directory and returns the full path.
  std::string write(const std::string &name, const std::string &bytes) const;
  //! Copies \a source into the directory as \a name and returns the full path.
  std::string copy(const std::string &source, const std::string &name) const;

private:
  std::string path_;
};

std::string readFile(const std::string &path);
void writeFile(const std::string &path, const std::string &bytes);

//! The folder of committed test files (tests/data), known at build time.
std::string dataDir();
//! A file below tests/data, e.g. dataPath("m4a/stereo.m4a").
std::string dataPath(const std::string &relative);
//! Every regular file below tests/data, sorted.
std::vector<std::string> allDataFiles();

//! True when \a program is found on PATH.
bool haveProgram(const std::string &program);

/*!
 * Runs \a body as a user who cannot write read-only files, so tests of refused
 * writes also run for the superuser: in this process for a normal user, else in
 * a child as user "nobody" (with \a dir opened to it), whose failures, exceptions
 * and crashes fail the calling test. Skips the test when privileges cannot be dropped.
 */
void runAsUnprivileged(const TempDir &dir, const std::function<void()> &body);

//! Captures what stdio and std::cerr write to standard error between construction and text().
class StderrCapture
{
public:
  StderrCapture();
  ~StderrCapture();
  StderrCapture(const StderrCapture &) = delete;
  StderrCapture &operator=(const StderrCapture &) = delete;
  //! Stops capturing (once) and returns everything captured.
  std::string text();

private:
  int savedFd_;
  std::string path_;
  bool done_ = false;
  std::string text_;
};

} // namespace brenvo_test

#endif
