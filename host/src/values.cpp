// Text conversions for callers and the values the host holds: making,
// comparing and describing them.
#include <cmath>
#include <cstdio>

#include "host_platform.h"
#include "tessplug/host.h"

namespace tessplug {

// ---- Text ----

Text toText(std::string_view utf8) {
  return platform::utf8ToText(utf8);
}
std::string toUtf8(TextView text) {
  return platform::textToUtf8(text);
}

// ---- Values ----

Value Value::ofBoolean(bool v) {
  return ofBooleanWord(v ? 1 : 0);
}
Value Value::ofBooleanWord(int word) {
  Value value;
  value.type = valueTypeBoolean;
  value.boolean = word;
  return value;
}
Value Value::ofInteger(long long v) {
  Value value;
  value.type = valueTypeInteger;
  value.integer = v;
  return value;
}
Value Value::ofReal(double v) {
  Value value;
  value.type = valueTypeFloat;
  value.real = v;
  return value;
}
Value Value::ofDecimal(std::string_view text) {
  Value value;
  value.type = valueTypeDecimal;
  value.text = toText(text);
  return value;
}
Value Value::ofCharacter(std::string_view utf8) {
  return ofText(toText(utf8));
}
Value Value::ofText(Text text) {
  Value value;
  value.type = valueTypeCharacter;
  value.text = std::move(text);
  return value;
}
Value Value::ofTime(int hour, int minute, float seconds, int type) {
  Value value;
  value.type = type;
  value.time = CciTime{hour, minute, seconds};
  return value;
}
Value Value::ofDate(int year, int month, int day) {
  Value value;
  value.type = valueTypeDate;
  value.date = CciDate{year, month, day};
  return value;
}
Value Value::ofTimestamp(int type) {
  return ofCode(type);
}
Value Value::ofBinary(std::vector<unsigned char> bytes, int type) {
  Value value;
  value.type = type;
  value.binary = std::move(bytes);
  return value;
}
Value Value::ofCode(int type) {
  Value value;
  value.type = type;
  return value;
}

bool Value::operator==(const Value& o) const {
  if (type != o.type) return false;
  switch (type) {
    case valueTypeBoolean:
      return boolean == o.boolean;
    case valueTypeInteger:
      return integer == o.integer;
    case valueTypeFloat:
      return real == o.real || (std::isnan(real) && std::isnan(o.real));
    case valueTypeDecimal:
    case valueTypeCharacter:
      return text == o.text;
    case valueTypeTime:
    case valueTypeTime2:
      return time.hour == o.time.hour && time.minute == o.time.minute &&
             time.seconds == o.time.seconds;
    case valueTypeDate:
      return date.year == o.date.year && date.month == o.date.month && date.day == o.date.day;
    case valueTypeBinary:
    case valueTypeBinary2:
      return binary == o.binary;
    default:
      return true;
  }
}

std::string describe(const Value& v) {
  char buffer[96];
  switch (v.type) {
    case 0:
      return "none";
    case valueTypeBoolean:
      return "boolean " + std::to_string(v.boolean);
    case valueTypeInteger:
      return "integer " + std::to_string(v.integer);
    case valueTypeFloat:
      std::snprintf(buffer, sizeof buffer, "real %.17g", v.real);
      return buffer;
    case valueTypeDecimal:
      return "decimal " + toUtf8(v.text);
    case valueTypeCharacter:
      return "character \"" + toUtf8(v.text) + "\"";
    case valueTypeTime:
    case valueTypeTime2:
      std::snprintf(buffer, sizeof buffer, "time%s %02d:%02d:%g",
                    v.type == valueTypeTime2 ? "2" : "", v.time.hour, v.time.minute,
                    static_cast<double>(v.time.seconds));
      return buffer;
    case valueTypeDate:
      std::snprintf(buffer, sizeof buffer, "date %04d-%02d-%02d", v.date.year, v.date.month,
                    v.date.day);
      return buffer;
    case valueTypeBinary:
    case valueTypeBinary2:
      return "binary " + std::to_string(v.binary.size()) + " bytes";
    default:
      return "type " + std::to_string(v.type);
  }
}

}  // namespace tessplug
