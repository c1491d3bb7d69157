// Items from JSON (see make.h). Each type takes the value form parse --json
// prints for it, so that parse --json | make gives the message back:
//   character  a string                 integer  a whole number (64 bits)
//   date       "YYYY-MM-DD"             time     "HH:MM:SS" (seconds may
//   boolean    true or false                      have a fraction)
//   real       a number                 decimal  a string of digits, with
//   timestamp  anything (no value)                "-" and one "." allowed
//   binary     a string of hex digits   a number as type: that raw code
#include "make.h"

#include <cstdlib>
#include <regex>

namespace talmo {

namespace {

using nlohmann::json;
using tessplug::Value;

// Parts of "Y-M-D" or "H:M:S" as numbers; each may be negative, as parse
// --json shows a part a header wrote negative.
bool parts(const std::string& text, char separator, long long out[3], bool fractionLast,
           double& last) {
  std::string sep(1, separator);
  std::regex form("(-?[0-9]+)" + sep + "(-?[0-9]+)" + sep +
                  (fractionLast ? "(-?[0-9]+(\\.[0-9]+)?)" : "(-?[0-9]+)"));
  std::smatch m;
  if (!std::regex_match(text, m, form)) return false;
  for (int k = 0; k < 3; ++k) {
    errno = 0;
    out[k] = std::strtoll(m[k + 1].str().c_str(), nullptr, 10);
    if (errno == ERANGE || out[k] < INT32_MIN || out[k] > INT32_MAX) return false;
  }
  last = std::strtod(m[3].str().c_str(), nullptr);
  return true;
}

// The value of one item, or an error saying what does not fit.
bool valueFromJson(const json& item, Value& value, std::string& why) {
  const json& type = item.contains("type") ? item["type"] : json();
  const json& v = item.contains("value") ? item["value"] : json();
  if (type.is_number_integer()) {
    long long code = type.get<long long>();
    if (code < INT32_MIN || code > INT32_MAX) return why = "the type code is out of range", false;
    value = Value::ofCode(static_cast<int>(code));
    return true;
  }
  if (!type.is_string()) return why = "\"type\" is missing or not a name or a code", false;
  const std::string t = type.get<std::string>();
  if (t == "character") {
    if (!v.is_string()) return why = "a character value is a string", false;
    value = Value::ofCharacter(v.get<std::string>());
  } else if (t == "integer") {
    if (!v.is_number_integer()) return why = "an integer value is a whole number", false;
    if (v.is_number_unsigned() && v.get<unsigned long long>() > INT64_MAX) {
      return why = "the integer is out of the 64-bit range", false;
    }
    value = Value::ofInteger(v.get<long long>());
  } else if (t == "date" || t == "time") {
    long long p[3];
    double seconds = 0;
    bool isTime = t == "time";
    if (!v.is_string() || !parts(v.get<std::string>(), isTime ? ':' : '-', p, isTime, seconds)) {
      return why = isTime ? "a time value is \"HH:MM:SS\"" : "a date value is \"YYYY-MM-DD\"",
             false;
    }
    value = isTime ? Value::ofTime(static_cast<int>(p[0]), static_cast<int>(p[1]),
                                   static_cast<float>(seconds))
                   : Value::ofDate(static_cast<int>(p[0]), static_cast<int>(p[1]),
                                   static_cast<int>(p[2]));
  } else if (t == "boolean") {
    if (!v.is_boolean()) return why = "a boolean value is true or false", false;
    value = Value::ofBoolean(v.get<bool>());
  } else if (t == "real") {
    if (!v.is_number()) return why = "a real value is a number", false;
    value = Value::ofReal(v.get<double>());
  } else if (t == "decimal") {
    static const std::regex form("-?[0-9]+(\\.[0-9]+)?");
    if (!v.is_string() || !std::regex_match(v.get<std::string>(), form)) {
      return why = "a decimal value is a string of digits, such as \"-12.50\"", false;
    }
    value = Value::ofDecimal(v.get<std::string>());
  } else if (t == "timestamp") {
    value = Value::ofTimestamp();
  } else if (t == "binary") {
    static const std::regex form("([0-9a-fA-F]{2})*");
    if (!v.is_string() || !std::regex_match(v.get<std::string>(), form)) {
      return why = "a binary value is a string of hex digit pairs", false;
    }
    std::vector<unsigned char> bytes;
    const std::string hex = v.get<std::string>();
    for (size_t i = 0; i < hex.size(); i += 2) {
      bytes.push_back(static_cast<unsigned char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    value = Value::ofBinary(std::move(bytes));
  } else {
    return why = "unknown type \"" + t +
                 "\" (character, integer, date, time, boolean, real, decimal, timestamp, "
                 "binary, or a type code)",
           false;
  }
  return true;
}

}  // namespace

bool itemsFromJson(const json& message, std::vector<MadeItem>& items, std::string& error) {
  if (!message.is_object() || !message.contains("items") || !message["items"].is_array()) {
    error = "expected an object with \"items\", as parse --json prints";
    return false;
  }
  const json& all = message["items"];
  for (size_t i = 0; i < all.size(); ++i) {
    const json& item = all[i];
    std::string where = "item " + std::to_string(i + 1);
    if (!item.is_object() || !item.contains("name") || !item["name"].is_string()) {
      error = where + ": expected an object with a \"name\" string";
      return false;
    }
    std::string name = item["name"].get<std::string>();
    where += " (\"" + name + "\")";
    MadeItem made{name, {}};
    std::string why;
    if (!valueFromJson(item, made.value, why)) {
      error = where + ": " + why;
      return false;
    }
    items.push_back(std::move(made));
  }
  return true;
}

}  // namespace talmo
