// talmo's POSIX layer. Paths and arguments are bytes, shown as UTF-8.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform.h"

namespace talmo::platform {

namespace fs = std::filesystem;

void initStandardStreams() {}

std::vector<std::string> utf8Arguments(int argc, char** argv) {
  return {argv, argv + argc};
}

fs::path executablePath(const char* argv0) {
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (ec) self = fs::absolute(argv0, ec);
  return self;
}

bool standardErrorIsTerminal() {
  return isatty(2) != 0;
}

size_t outputTerminalColumns() {
  winsize size{};
  if (!isatty(1) || ioctl(1, TIOCGWINSZ, &size) != 0) return 0;
  return size.ws_col;
}

int createUniqueFile(const fs::path& folder, const std::string& stem, fs::path& path,
                     std::string& error) {
  std::string name = (folder / ("." + stem + ".XXXXXX")).string();
  int fd = mkstemp(name.data());
  if (fd < 0) {
    error = std::strerror(errno);
    return -1;
  }
  // mkstemp makes the file private; a message written by talmo gets what
  // any new file of the user's gets.
  mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  path = name;
  return fd;
}

bool writeAll(int fd, const char* bytes, size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool closeFile(int fd) {
  bool synced = fsync(fd) == 0 || errno == EINVAL;
  return close(fd) == 0 && synced;
}

bool replaceFile(const fs::path& from, const fs::path& to, std::string& error) {
  if (rename(from.c_str(), to.c_str()) == 0) return true;
  error = std::strerror(errno);
  return false;
}

// A shared object has no version resource; the plug-in carries its version
// as a "@(#)" marker (what strings and what(1) show).
std::string moduleVersion(const fs::path& path) {
  static const std::string kMarker = "@(#)TALMOparser ";
  // A plug-in is a few hundred kilobytes; a larger file is not one of ours.
  const std::uintmax_t kLargestModule = 64u << 20;
  std::error_code ec;
  if (fs::file_size(path, ec) > kLargestModule || ec) return {};
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  size_t at = bytes.find(kMarker);
  if (at == std::string::npos) return {};
  at += kMarker.size();
  size_t end = bytes.find('\0', at);
  return end == std::string::npos ? std::string() : bytes.substr(at, end - at);
}

}  // namespace talmo::platform
