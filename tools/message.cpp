// Message files through the plug-in: reading, writing back, typing a value
// by the plug-in's own field table, and the findings of talmo check.
#include "message.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "talmo/fields.h"

namespace talmo {

using tessplug::Element;
using tessplug::nameOf;
using tessplug::Text;
using tessplug::Value;
using tessplug::valueOf;

namespace {

// The names the plug-in types by its field table; any other is character
// text, which is legal but often a misspelling.
#define TALMO_FIELD_NAME(field, type) #field,
const char* const kFieldNames[] = {TALMO_FIELDS(TALMO_FIELD_NAME)};
#undef TALMO_FIELD_NAME

bool isFieldName(std::string_view name) {
  return std::find(std::begin(kFieldNames), std::end(kFieldNames), name) != std::end(kFieldNames);
}

bool isWhiteSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// The raw text of each item as it stands in the bytes, by the same syntax the
// plug-in reads: for findings about how a value was written, which the typed
// tree no longer shows (leading zeros, "+", digits cut short).
struct RawItem {
  std::string name;
  std::string value;
};

std::vector<RawItem> scanItems(std::string_view bytes) {
  std::vector<RawItem> items;
  size_t i = 0;
  for (;;) {
    while (i < bytes.size() && isWhiteSpace(bytes[i])) ++i;
    if (i >= bytes.size() || bytes[i] == ';') break;
    size_t open = bytes.find('(', i);
    if (open == std::string_view::npos) break;
    size_t close = bytes.find(')', open + 1);
    size_t end = close == std::string_view::npos ? bytes.size() : close;
    items.push_back({std::string(bytes.substr(i, open - i)),
                     std::string(bytes.substr(open + 1, end - open - 1))});
    if (close == std::string_view::npos) break;
    i = close + 1;
  }
  return items;
}

std::string integerFinding(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && isWhiteSpace(text[i])) ++i;
  bool plus = i < text.size() && text[i] == '+';
  bool negative = i < text.size() && text[i] == '-';
  if (plus || negative) ++i;
  size_t digits = i;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  if (digits == i) return "\"" + text + "\" has no digits and reads as 0";
  if (digits < text.size()) {
    return "\"" + text + "\" stops being a number at \"" + text.substr(digits) +
           "\", which is dropped";
  }
  std::string number = text.substr(i, digits - i);
  size_t first = number.find_first_not_of('0');
  std::string significant = first == std::string::npos ? "0" : number.substr(first);
  const std::string limit = negative ? "2147483648" : "2147483647";
  if (significant.size() > limit.size() ||
      (significant.size() == limit.size() && significant > limit)) {
    return "\"" + text + "\" is outside the 32-bit range and reads as " +
           (negative ? "-2147483648" : "2147483647");
  }
  if (plus) return "\"" + text + "\" is written with \"+\", which is not written back";
  if (number.size() > 1 && number[0] == '0') {
    return "\"" + text + "\" has leading zeros, which are not written back";
  }
  return {};
}

int daysIn(int year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : days[month - 1];
}

void valueFindings(const std::string& name, const Value& value, const std::string& raw,
                   std::vector<Finding>& out) {
  auto add = [&](std::string text) { out.push_back({name, std::move(text)}); };
  switch (value.type) {
    case valueTypeInteger:
      if (std::string f = integerFinding(raw); !f.empty()) add(f);
      break;
    case valueTypeDate: {
      const CciDate& d = value.date;
      if (raw.size() != 6) add("\"" + raw + "\" is not six digits YYMMDD");
      if (d.month < 1 || d.month > 12) {
        add("month " + std::to_string(d.month) + " is out of range");
      } else if (d.day < 1 || d.day > daysIn(d.year, d.month)) {
        add("day " + std::to_string(d.day) + " is out of range");
      }
      break;
    }
    case valueTypeTime: {
      const CciTime& t = value.time;
      if (raw.size() != 6) add("\"" + raw + "\" is not six digits HHMMSS");
      if (t.hour < 0 || t.hour > 23) add("hour " + std::to_string(t.hour) + " is out of range");
      if (t.minute < 0 || t.minute > 59) {
        add("minute " + std::to_string(t.minute) + " is out of range");
      }
      if (t.seconds < 0 || t.seconds >= 60) {
        add("second " + std::to_string(static_cast<int>(t.seconds)) + " is out of range");
      }
      break;
    }
    default:
      break;
  }
}

bool hasNonAscii(std::string_view s) {
  return std::any_of(s.begin(), s.end(),
                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// Item by item on the trees themselves: no copy of either tree is made.
bool sameItems(const Message& a, const Message& b) {
  std::vector<Element*> x = a.items(), y = b.items();
  if (x.size() != y.size()) return false;
  for (size_t i = 0; i < x.size(); ++i) {
    if (nameOf(x[i]) != nameOf(y[i]) || !(valueOf(x[i]) == valueOf(y[i]))) return false;
  }
  return true;
}

}  // namespace

std::string_view Message::body() const {
  size_t start = std::min(static_cast<size_t>(std::max(headerLength, 0)), bytes.size());
  return std::string_view(bytes).substr(start);
}

std::vector<Element*> Message::items() const {
  return tessplug::children(parser->root());
}

std::unique_ptr<Message> readMessage(const tessplug::ParserClass& parserClass, std::string bytes) {
  auto message = std::make_unique<Message>();
  message->bytes = std::move(bytes);
  message->parser = std::make_unique<tessplug::Parser>(parserClass, message->bytes.data(),
                                                       static_cast<int>(message->bytes.size()));
  if (!message->parser->createContext()) return nullptr;
  message->headerLength = message->parser->parseBuffer(0);
  message->closed = tessplug::isComplete(message->parser->root());
  Text next = message->parser->nextParserClassName(256);
  next.resize(std::min(next.find(CciChar(0)), next.size()));
  message->nextParser = tessplug::toUtf8(next);
  return message;
}

std::string writeHeader(Message& message) {
  size_t before = message.parser->output().size();
  message.parser->writeBuffer();
  std::string all = message.parser->outputText();
  return all.substr(before);
}

Value typedValue(const tessplug::ParserClass& parserClass, const std::string& name,
                 const std::string& text) {
  auto scratch = readMessage(parserClass, name + "(" + text + ");");
  if (!scratch || scratch->items().empty()) return Value::ofCharacter(text);
  return valueOf(scratch->items().front());
}

std::string unreadableReason(std::string_view name, std::string_view valueText) {
  if (name.find('(') != std::string_view::npos) return "the name holds \"(\"";
  if (!name.empty() && isWhiteSpace(name.front())) return "the name begins with white space";
  if (!name.empty() && name.front() == ';') return "the name begins with \";\"";
  if (valueText.find(')') != std::string_view::npos) return "the value holds \")\"";
  return {};
}

std::string typeName(int valueType) {
  switch (valueType) {
    case 0:
      return "none";
    case valueTypeBoolean:
      return "boolean";
    case valueTypeInteger:
      return "integer";
    case valueTypeFloat:
      return "real";
    case valueTypeDecimal:
      return "decimal";
    case valueTypeCharacter:
      return "character";
    case valueTypeTime:
    case valueTypeTime2:
      return "time";
    case valueTypeDate:
      return "date";
    case valueTypeTimestamp:
    case valueTypeTimestamp2:
      return "timestamp";
    case valueTypeBinary:
    case valueTypeBinary2:
      return "binary";
    default:
      return "unknown";
  }
}

std::string showValue(const Value& v) {
  char text[96];
  switch (v.type) {
    case valueTypeInteger:
      return std::to_string(v.integer);
    case valueTypeCharacter:
    case valueTypeDecimal:
      return tessplug::toUtf8(v.text);
    case valueTypeBoolean:
      return v.boolean ? "TRUE" : "FALSE";
    case valueTypeFloat:
      std::snprintf(text, sizeof text, "%.17g", v.real);
      return text;
    case valueTypeTime:
    case valueTypeTime2:
      if (v.time.seconds == std::floor(v.time.seconds)) {
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", v.time.hour, v.time.minute,
                      static_cast<int>(v.time.seconds));
      } else {
        std::snprintf(text, sizeof text, "%02d:%02d:%g", v.time.hour, v.time.minute,
                      static_cast<double>(v.time.seconds));
      }
      return text;
    case valueTypeDate:
      std::snprintf(text, sizeof text, "%04d-%02d-%02d", v.date.year, v.date.month, v.date.day);
      return text;
    default:
      return "";
  }
}

CheckResult checkMessage(const tessplug::ParserClass& parserClass, Message& message) {
  CheckResult result;
  result.written = writeHeader(message);
  auto reread = readMessage(parserClass, result.written);
  result.roundTrips = reread && reread->closed &&
                      reread->headerLength == static_cast<int>(result.written.size()) &&
                      sameItems(message, *reread);

  auto& out = result.warnings;
  if (!message.closed) out.push_back({"", "the header is not closed by \";\""});
  if (hasNonAscii(std::string_view(message.bytes)
                      .substr(0, message.bytes.size() - message.body().size()))) {
    out.push_back({"", "the header holds bytes outside ASCII"});
  }
  std::vector<RawItem> raw = scanItems(message.bytes);
  std::vector<Element*> items = message.items();
  for (size_t i = 0; i < items.size(); ++i) {
    std::string name = tessplug::toUtf8(nameOf(items[i]));
    std::string rawValue = i < raw.size() ? raw[i].value : tessplug::toUtf8(valueOf(items[i]).text);
    if (!isFieldName(name)) out.push_back({name, "the name is not one of the sixteen fields"});
    if (name == "CLASS" && valueOf(items[i]).text.size() > 15) {
      out.push_back({name, "the value is longer than 15 characters; the class reported is \"" +
                               message.nextParser + "\""});
    }
    // Beyond the normal forms (numbers, dates and times as written, one
    // blank between items), a name or character value comes back with the
    // bytes it was read with; where not (bytes that are not UTF-8 replaced),
    // the change is said.
    if (i < raw.size() && raw[i].name != name) {
      out.push_back({name, "the name is written back with other bytes: \"" + raw[i].name +
                               "\" becomes \"" + name + "\""});
    }
    if (i < raw.size() && valueOf(items[i]).type == valueTypeCharacter) {
      std::string written = showValue(valueOf(items[i]));
      if (written != rawValue) {
        out.push_back({name, "the value is written back with other bytes: \"" + rawValue +
                                 "\" becomes \"" + written + "\""});
      }
    }
    valueFindings(name, valueOf(items[i]), rawValue, out);
    std::string shown = showValue(valueOf(items[i]));
    if (std::string why = unreadableReason(name, shown); !why.empty()) {
      out.push_back({name, "will not read back as one item: " + why});
    }
  }
  if (!result.roundTrips) out.push_back({"", "the written header does not read back the same"});
  return result;
}

}  // namespace talmo
