// Shared by the fuzz targets: the plug-in loaded once, as the broker loads
// it, and the round of parse and write that every target drives.
#ifndef TALMO_FUZZ_PLUGIN_H
#define TALMO_FUZZ_PLUGIN_H

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "tessplug/host.h"

namespace talmo_fuzz {

inline const tessplug::ParserClass& talmoClass() {
  static const tessplug::ParserClass* parserClass = [] {
    std::string error;
    auto plugin = tessplug::loadPlugin(TALMO_PLUGIN_PATH, error);
    if (!plugin || !tessplug::callEntryPoint(*plugin)) {
      std::fprintf(stderr, "cannot load %s: %s\n", TALMO_PLUGIN_PATH, error.c_str());
      std::abort();
    }
    return tessplug::findParserClass(tessplug::toText("TALMO"));
  }();
  return *parserClass;
}

struct Round {
  int offset = 0;
  std::string written;
  tessplug::Tree tree;
};

// Parses bytes from start, checks what every parse must give, then writes
// the tree back.
inline Round parseAndWrite(std::string_view bytes, int start) {
  tessplug::Parser parser(talmoClass(), bytes.data(), static_cast<int>(bytes.size()));
  if (!parser.createContext()) std::abort();
  Round round;
  round.offset = parser.parseBuffer(start);
  const int size = static_cast<int>(bytes.size());
  if (start >= 0 && start <= size && (round.offset < start || round.offset > size)) std::abort();
  int length = parser.writeBuffer();
  round.written = parser.outputText();
  if (length != static_cast<int>(round.written.size()) || round.written.empty() ||
      round.written.back() != ';') {
    std::abort();
  }
  round.tree = tessplug::snapshot(parser.root());
  return round;
}

}  // namespace talmo_fuzz

#endif
