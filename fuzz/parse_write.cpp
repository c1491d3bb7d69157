// Fuzz target: arbitrary bytes parsed from an arbitrary start offset, then
// written back. The first two bytes of the input choose the offset (up to a
// few bytes past the end, to exercise starts outside the stream); the rest is
// the bit stream. Sanitizers and the checks of parseAndWrite are the oracle.
#include <cstddef>
#include <cstdint>

#include "fuzz_plugin.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  std::string_view stream(reinterpret_cast<const char*>(data) + 2, size - 2);
  int start = static_cast<int>((data[0] | (data[1] << 8)) % (stream.size() + 4));
  talmo_fuzz::parseAndWrite(stream, start);
  return 0;
}
