// Test support: the built plug-in, loaded once per test process the way the
// broker loads it (by path, entry point, class "TALMO"), and small helpers to
// run it over a header.
#ifndef TALMO_TESTS_PLUGIN_H
#define TALMO_TESTS_PLUGIN_H

#include <memory>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "guarded.h"
#include "tessplug/host.h"

namespace talmo_test {

using tessplug::Text;

// The loaded plug-in; fails the test run when it cannot be loaded.
const tessplug::Plugin& plugin();
// Calls the entry point again if the class is not registered (after a test
// reset the registry) and returns the class "TALMO".
const tessplug::ParserClass& talmoClass();
// A symbol of the plug-in (Unix build: its routines stay visible).
void* pluginSymbol(const char* name);
template <class F>
F* pluginFunction(const char* name) {
  return reinterpret_cast<F*>(pluginSymbol(name));
}

#if defined(_WIN32)
inline constexpr bool kWindowsBuild = true;
#else
inline constexpr bool kWindowsBuild = false;
#endif

// Bytes of the bit stream as the plug-in reads them into text, up to the
// first zero byte: as UTF-8 in the Unix build (U+FFFD for what is not
// UTF-8), one unit of the same value per byte in the Windows build.
Text readText(std::string_view bytes);

// Names the cases of a TEST_P table by their name field.
struct CaseName {
  template <class P>
  std::string operator()(const ::testing::TestParamInfo<P>& info) const {
    return info.param.name;
  }
};

Text T(std::string_view utf8);
std::string U(const Text& text);

// A parser with a live context over a copy of bytes placed against a
// guard page, which lives as long as the parser: a read past the end of
// the stream crashes the test.
struct GuardedInput {
  explicit GuardedInput(std::string_view bytes) : input(bytes) {}
  GuardedBytes input;
};
class GuardedParser : private GuardedInput, public tessplug::Parser {
 public:
  GuardedParser(const tessplug::ParserClass& parserClass, std::string_view bytes)
      : GuardedInput(bytes), Parser(parserClass, input.data(), input.size()) {}
};
std::unique_ptr<GuardedParser> parserOver(std::string_view bytes);

}  // namespace talmo_test

#endif
