// talmo diff: how two messages differ as the plug-in reads them.
#ifndef TALMO_TOOLS_DIFF_H
#define TALMO_TOOLS_DIFF_H

#include <string>
#include <vector>

#include "message.h"

namespace talmo {

// One difference. Items are matched by name and occurrence (the second
// "SENDER" of one message with the second of the other); positions count
// items from 1, 0 where the item is missing on that side.
struct Difference {
  std::string kind;  // added, removed, changed, moved, next_parser, closed, body
  std::string name;  // the item's name, for item differences
  size_t positionA = 0, positionB = 0;
  std::string field;  // for changed: type or value
  std::string a, b;   // the two sides, as shown for a person
};

// In order: items removed, added, changed and moved (by their position),
// then the next parser, the header's closing ";" and the body. Empty when
// the messages read the same.
std::vector<Difference> diffMessages(const Message& a, const Message& b);

}  // namespace talmo

#endif
