// Shared by the fuzz targets: the plug-in loaded once, as the broker loads
// it, and the round of parse and write that every target drives.
#ifndef TALMO_FUZZ_PLUGIN_H
#define TALMO_FUZZ_PLUGIN_H

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tessplug/host.h"

namespace talmo_fuzz {

inline const tessplug::ParserClass& talmoClass() {
  static const tessplug::ParserClass* parserClass = [] {
    std::string error;
    auto loaded = tessplug::loadParserClass(TALMO_PLUGIN_PATH, "TALMO", error);
    if (!loaded) {
      std::fprintf(stderr, "%s\n", error.c_str());
      std::abort();
    }
    return loaded->parserClass;
  }();
  return *parserClass;
}

// Parses bytes from start, checks what every parse and write must give, and
// hands back the round.
inline tessplug::Round parseAndWrite(std::string_view bytes, int start) {
  tessplug::Round round = tessplug::parseThenWrite(talmoClass(), bytes, start);
  if (!round.context) std::abort();
  const int size = static_cast<int>(bytes.size());
  if (start >= 0 && start <= size && (round.offset < start || round.offset > size)) std::abort();
  if (round.length != static_cast<int>(round.written.size()) || round.written.empty() ||
      round.written.back() != ';') {
    std::abort();
  }
  return round;
}

}  // namespace talmo_fuzz

#endif
