// The command-line host's model of a message file: the plug-in loaded as the
// broker loads it, a message read through its parse callback, written back
// through its write callback, and the findings of a check.
#ifndef TALMO_TOOLS_MESSAGE_H
#define TALMO_TOOLS_MESSAGE_H

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tessplug/host.h"

namespace talmo {

// One message: the file's bytes, the header read into the tree and what the
// plug-in reported about it.
struct Message {
  std::string bytes;
  std::unique_ptr<tessplug::Parser> parser;
  int headerLength = 0;  // the offset the parse callback returned
  bool closed = false;   // the header ended with ";"
  std::string nextParser;

  std::string_view body() const;
  std::vector<tessplug::Element*> items() const;
};

// Reads the header at the front of bytes; null when the plug-in gave no
// context.
std::unique_ptr<Message> readMessage(const tessplug::ParserClass& parserClass, std::string bytes);

// The header text the plug-in's write callback produces for the tree.
std::string writeHeader(Message& message);

// The value the plug-in gives text under that name, typed by its field
// table: the item NAME(text) read by the plug-in itself.
tessplug::Value typedValue(const tessplug::ParserClass& parserClass, const std::string& name,
                           const std::string& text);

// Why an item of that name and value text would not read back as itself, or
// empty.
std::string unreadableReason(std::string_view name, std::string_view valueText);

// The short name of a value type ("character", "integer", ...) and the value
// shown for a person (dates as 2002-03-15, times as 10:15:30).
std::string typeName(int valueType);
std::string showValue(const tessplug::Value& value);

struct Finding {
  std::string item;  // the item's name, or empty for the header as a whole
  std::string text;
};

// What a user needs to know before putting this header into production, and
// whether it reads back into the same tree once written.
struct CheckResult {
  bool roundTrips = false;
  std::string written;
  std::vector<Finding> warnings;
};
CheckResult checkMessage(const tessplug::ParserClass& parserClass, Message& message);

}  // namespace talmo

#endif
