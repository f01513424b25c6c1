#include "testfiles.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace brenvo_test {

TempDir::TempDir()
{
  std::string pattern = (fs::temp_directory_path() / "brenvo-test-XXXXXX").string();
  if(!::mkdtemp(pattern.data()))
    throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir()
{
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::string TempDir::write(const std::string &name, const std::string &bytes) const
{
  const std::string full = path_ + "/" + name;
  writeFile(full, bytes);
  return full;
}

std::string TempDir::copy(const std::string &source, const std::string &name) const
{
  return write(name, readFile(source));
}

std::string readFile(const std::string &path)
{
  std::ifstream in(path, std::ios::binary);
  if(!in)
    throw std::runtime_error("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string &path, const std::string &bytes)
{
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if(!out)
    throw std::runtime_error("cannot write " + path);
}

std::string dataDir() { return BRENVO_TEST_DATA_DIR; }
std::string dataPath(const std::string &relative) { return dataDir() + "/" + relative; }

std::vector<std::string> allDataFiles()
{
  std::vector<std::string> files;
  for(const auto &entry : fs::recursive_directory_iterator(dataDir())) {
    if(entry.is_regular_file())
      files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

bool haveProgram(const std::string &program)
{
  return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

void runAsUnprivileged(const TempDir &dir, const std::function<void()> &body)
{
  if(::geteuid() != 0)
    return body();
  constexpr unsigned nobody = 65534;  // the conventional unprivileged user and group
  constexpr int cannotDrop = 77;
  // A temporary directory is private to its owner; the child must reach its files.
  if(::chmod(dir.path().c_str(), 0755) != 0) {
    ADD_FAILURE() << "cannot open " << dir.path() << " to other users";
    return;
  }
  // Output still buffered would otherwise be written by both processes.
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if(child == 0) {
    int code = cannotDrop;
    if(::setgroups(0, nullptr) == 0 && ::setgid(nobody) == 0 && ::setuid(nobody) == 0) {
      try {
        body();
        code = ::testing::Test::HasFailure() ? 1 : 0;
      }
      catch(const std::exception &e) {
        std::cerr << "exception in the unprivileged run: " << e.what() << std::endl;
        code = 2;
      }
      catch(...) {
        code = 2;
      }
    }
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    ::_exit(code);  // no destructors or exit handlers: they belong to the parent
  }
  int status = 0;
  if(child < 0 || ::waitpid(child, &status, 0) != child)
    ADD_FAILURE() << "fork or waitpid failed";
  else if(!WIFEXITED(status))
    ADD_FAILURE() << "the unprivileged run was ended by signal " << WTERMSIG(status);
  else if(WEXITSTATUS(status) == cannotDrop)
    GTEST_SKIP() << "cannot switch to user " << nobody;
  else if(WEXITSTATUS(status) != 0)
    ADD_FAILURE() << "the unprivileged run failed (exit status " << WEXITSTATUS(status) << ")";
}

StderrCapture::StderrCapture()
{
  std::fflush(stderr);
  std::cerr.flush();
  char pattern[] = "/tmp/brenvo-stderr-XXXXXX";
  const int fd = ::mkstemp(pattern);
  if(fd < 0)
    throw std::runtime_error("mkstemp failed");
  path_ = pattern;
  savedFd_ = ::dup(STDERR_FILENO);
  ::dup2(fd, STDERR_FILENO);
  ::close(fd);
}

StderrCapture::~StderrCapture()
{
  text();
}

std::string StderrCapture::text()
{
  if(!done_) {
    std::fflush(stderr);
    std::cerr.flush();
    ::dup2(savedFd_, STDERR_FILENO);
    ::close(savedFd_);
    text_ = readFile(path_);
    std::remove(path_.c_str());
    done_ = true;
  }
  return text_;
}

} // namespace brenvo_test
