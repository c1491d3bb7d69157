// The floor under the plug-in's cost: the host calls it made for a header,
// recorded with the stand-in host's call log and issued again directly, with
// no plug-in work around them.
#ifndef TALMO_BENCH_REPLAY_H
#define TALMO_BENCH_REPLAY_H

#include <vector>

#include "tessplug/host.h"

namespace talmo_bench {

// One recorded call with its handles turned into slots: slot -1 is the
// parser, other slots are elements, filled as the replay creates or fetches
// them.
struct Step {
  tessplug::Op op;
  int target = -1;
  int other = -1;
  int result = -1;
  long long number = 0;
  tessplug::Text text;
  std::string bytes;
  CciTime time{0, 0, 0.0f};
  CciDate date{0, 0, 0};
};

class Program {
 public:
  // Appends the calls of a log; handles already seen keep their slots, so a
  // write recorded after a parse replays over the elements the parse made.
  void add(const std::vector<tessplug::Call>& log);
  // Issues the steps from..to against the parser.
  void replay(tessplug::Parser& parser, size_t from, size_t to);
  size_t size() const { return steps_.size(); }

 private:
  int slotOf(const void* handle);
  std::vector<Step> steps_;
  std::vector<const void*> handles_;
  std::vector<CciElement*> slots_;
  std::vector<CciChar> units_;
  std::vector<char> bytes_;
};

}  // namespace talmo_bench

#endif
