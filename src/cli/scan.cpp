// brenvo-tag scan: a library scanner. Walks a tree, opens every file whose
// extension TagLib or our plug-ins take, and writes one JSON line per file.
//
// Threads: the plug-ins are registered before any worker starts, and after
// that TagLib's resolver list is only read. Each worker opens its own FileRef;
// file objects share no state (the library keeps none beyond constant tables),
// and TagLib's implicitly shared values count references atomically.
#include "scan.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <getopt.h>
#include <iostream>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include <fileref.h>
#include <tstringlist.h>

#include "options.h"
#include "report.h"
#include "tplugins.h"

namespace fs = std::filesystem;

namespace brenvo_cli {

namespace {

std::string lower(std::string s)
{
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// Extensions without the dot, lower case: this library's and TagLib's own.
std::set<std::string> scannedExtensions()
{
  std::set<std::string> extensions;
  const auto add = [&extensions](const TagLib::StringList &list) {
    for(const TagLib::String &ext : list) {
      const std::string text = lower(ext.to8Bit(true));
      extensions.insert(text.compare(0, 1, ".") == 0 ? text.substr(1) : text);
    }
  };
  add(TagLib::Plugins::fileExtensions());
  add(TagLib::FileRef::defaultFileExtensions());
  return extensions;
}

struct Stats
{
  unsigned long files = 0;
  unsigned long failures = 0;
};

class Scanner
{
public:
  Scanner(std::vector<std::string> files, unsigned threads)
    : files_(std::move(files)), threads_(threads), progress_(::isatty(STDERR_FILENO) != 0)
  {
  }

  void run()
  {
    start_ = std::chrono::steady_clock::now();
    std::vector<std::thread> workers;
    for(unsigned i = 0; i < threads_; ++i)
      workers.emplace_back([this] { work(); });
    for(auto &worker : workers)
      worker.join();
    if(progress_)
      std::cerr << "\n";
    summary();
  }

private:
  void work()
  {
    for(;;) {
      const std::size_t i = next_++;
      if(i >= files_.size())
        return;
      const std::string &path = files_[i];
      std::string line, format;
      bool failed = false;
      {
        TagLib::FileRef ref(path.c_str());
        if(ref.isNull()) {
          failed = true;
          format = "." + lower(fs::path(path).extension().string().substr(1));
        }
        else {
          line = jsonLine(path, ref);
          format = formatName(ref.file());
        }
      }
      record(path, line, format, failed);
    }
  }

  void record(const std::string &path, const std::string &line, const std::string &format, bool failed)
  {
    std::lock_guard<std::mutex> lock(mutex_);
    Stats &stats = perFormat_[format];
    ++stats.files;
    ++done_;
    if(failed) {
      ++stats.failures;
      ++failures_;
      std::cerr << (progress_ ? "\r\033[K" : "") << "brenvo-tag: " << path
                << ": cannot open: not a readable file of a supported format\n";
    }
    else {
      std::cout << line << '\n';
    }
    if(progress_)
      showProgress();
  }

  double seconds() const
  {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  }

  void showProgress()
  {
    const double s = seconds();
    std::fprintf(stderr, "\r\033[K%lu/%zu files, %.0f files/s, %lu errors", done_, files_.size(),
                 s > 0 ? static_cast<double>(done_) / s : 0.0, failures_);
    std::fflush(stderr);
  }

  void summary()
  {
    std::cout.flush();
    const double s = seconds();
    std::fprintf(stderr, "scanned %lu files in %.2f s (%.0f files/s) on %u thread%s, %lu failed\n", done_, s,
                 s > 0 ? static_cast<double>(done_) / s : 0.0, threads_, threads_ == 1 ? "" : "s", failures_);
    for(const auto &entry : perFormat_)
      std::fprintf(stderr, "  %-28s %8lu files %8lu failed\n", entry.first.c_str(), entry.second.files,
                   entry.second.failures);
  }

  const std::vector<std::string> files_;
  const unsigned threads_;
  const bool progress_;
  std::atomic<std::size_t> next_{0};
  std::mutex mutex_;
  std::map<std::string, Stats> perFormat_;
  unsigned long done_ = 0;
  unsigned long failures_ = 0;
  std::chrono::steady_clock::time_point start_;
};

} // namespace

int scanMain(int argc, char *argv[])
{
  const char scanUsage[] = "usage: brenvo-tag scan [-j N] DIR\n";
  unsigned threads = 1;
  opterr = 0;
  for(int c; (c = getopt_long(argc, argv, ":j:", nullptr, nullptr)) != -1;) {
    if(c == 'j') {
      const auto n = parseWhole(optarg, 1, 256);
      if(!n) {
        std::cerr << "brenvo-tag: scan: -j needs a number from 1 to 256, not '" << optarg << "'\n";
        return 2;
      }
      threads = static_cast<unsigned>(*n);
    }
    else {
      std::cerr << "brenvo-tag: scan: " << (c == ':' ? "option needs a value: " : "unknown option ")
                << optionName(argv, optind) << "\n" << scanUsage;
      return 2;
    }
  }
  if(argc - optind != 1 || !*argv[optind]) {
    std::cerr << scanUsage;
    return 2;
  }
  const std::string dir = argv[optind];

  const std::set<std::string> extensions = scannedExtensions();
  std::vector<std::string> files;
  std::error_code ec;
  fs::recursive_directory_iterator it(dir, fs::directory_options::skip_permission_denied, ec);
  if(ec) {
    std::cerr << "brenvo-tag: " << dir << ": " << ec.message() << "\n";
    return 1;
  }
  for(const fs::recursive_directory_iterator end; it != end; it.increment(ec)) {
    if(ec)
      break;
    std::error_code typeError;
    if(!it->is_regular_file(typeError))
      continue;
    const std::string ext = it->path().extension().string();
    if(ext.size() > 1 && extensions.count(lower(ext.substr(1))))
      files.push_back(it->path().string());
  }
  std::sort(files.begin(), files.end());

  registerTaglibPlugins();
  Scanner(std::move(files), threads).run();
  return 0;
}

} // namespace brenvo_cli
