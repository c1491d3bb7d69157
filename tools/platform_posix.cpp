// talmo's POSIX layer. Paths and arguments are bytes, shown as UTF-8.
#include <unistd.h>

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
