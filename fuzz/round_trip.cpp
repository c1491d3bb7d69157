// Fuzz target: once written, a header is a fixed point. Reading the text of
// the first write and writing it again gives the same bytes and the same
// tree.
//
// Exempt, and only checked for crashes: inputs with a DATE or TIME item one of
// whose parts came out negative (a pair such as "-1"). Every other part is
// 0..99 and writes back as two digits, but a negative one writes as "-" and
// two digits, so the six-character form of the value shifts and its pairs
// read back differently.
#include <cstddef>
#include <cstdint>

#include "fuzz_plugin.h"

namespace {

bool negativePart(const tessplug::Tree& root) {
  for (const tessplug::Tree& item : root.children) {
    const tessplug::Value& v = item.value;
    if (v.type == valueTypeDate && (v.date.year < 2000 || v.date.month < 0 || v.date.day < 0)) {
      return true;
    }
    if (v.type == valueTypeTime && (v.time.hour < 0 || v.time.minute < 0 || v.time.seconds < 0)) {
      return true;
    }
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  tessplug::Round first = talmo_fuzz::parseAndWrite(input, 0);
  if (negativePart(first.tree)) return 0;
  tessplug::Round second = talmo_fuzz::parseAndWrite(first.written, 0);
  tessplug::Round third = talmo_fuzz::parseAndWrite(second.written, 0);
  if (second.offset != static_cast<int>(first.written.size())) std::abort();
  if (second.written != first.written) std::abort();
  if (!(third.tree == second.tree)) std::abort();
  return 0;
}
