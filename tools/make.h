// talmo make: the items of a message from JSON of the shape that parse
// --json prints.
#ifndef TALMO_TOOLS_MAKE_H
#define TALMO_TOOLS_MAKE_H

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tessplug/host.h"

namespace talmo {

struct MadeItem {
  std::string name;
  tessplug::Value value;
};

// The items of message["items"], each {"name", "type", "value"}. type is a
// host value type by name (character, integer, date, time, boolean, real,
// decimal, timestamp, binary) or a raw type code (a number). On the first
// item that is not well formed, returns false with error naming it.
bool itemsFromJson(const nlohmann::json& message, std::vector<MadeItem>& items, std::string& error);

}  // namespace talmo

#endif
