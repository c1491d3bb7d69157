// One parse and one write of the Overview's header, each in a function of
// its own, for valgrind --tool=callgrind --toggle-collect: a warm-up round
// first, so that loading, the name constants and the run-times' first-use
// costs stay out of the count.
#include <cstdio>
#include <cstdlib>

#include "replay.h"
#include "tessplug/host.h"

namespace {

const char kExample[] = "DATATYPE(X12) CLASS(NEXT) CONTROLNUM(000123) DATE(020315) TIME(101530);";

}  // namespace

extern "C" __attribute__((noinline)) int measuredParse(tessplug::Parser* parser) {
  return parser->parseBuffer(0);
}

extern "C" __attribute__((noinline)) int measuredWrite(tessplug::Parser* parser) {
  return parser->writeBuffer();
}

// The floor: the same host calls, issued directly.
extern "C" __attribute__((noinline)) void measuredFloorParse(talmo_bench::Program* program,
                                                             tessplug::Parser* parser,
                                                             size_t parseSteps) {
  program->replay(*parser, 0, parseSteps);
}

extern "C" __attribute__((noinline)) void measuredFloorWrite(talmo_bench::Program* program,
                                                             tessplug::Parser* parser,
                                                             size_t parseSteps) {
  program->replay(*parser, parseSteps, program->size());
}

int main() {
  std::string error;
  auto loaded = tessplug::loadParserClass(TALMO_PLUGIN_PATH, "TALMO", error);
  if (!loaded) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 2;
  }
  const tessplug::ParserClass& c = *loaded->parserClass;
  tessplug::Parser warm(c, kExample);
  warm.createContext();
  warm.parseBuffer(0);
  warm.writeBuffer();

  talmo_bench::Program program;
  tessplug::startCallLog();
  warm.reset();
  warm.parseBuffer(0);
  program.add(tessplug::stopCallLog());
  const size_t parseSteps = program.size();
  tessplug::startCallLog();
  warm.writeBuffer();
  program.add(tessplug::stopCallLog());
  tessplug::Parser replayed(c, kExample);
  program.replay(replayed, 0, program.size());  // warm up the replay too
  replayed.reset();

  tessplug::Parser parser(c, kExample);
  parser.createContext();
  int offset = measuredParse(&parser);
  int length = measuredWrite(&parser);
  measuredFloorParse(&program, &replayed, parseSteps);
  measuredFloorWrite(&program, &replayed, parseSteps);
  std::printf("parsed %d bytes, wrote %d\n", offset, length);
  return offset == 71 && length == 69 ? 0 : 1;
}
