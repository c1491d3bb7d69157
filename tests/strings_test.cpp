// The conversions both builds share, between byte strings and 16-bit
// strings through the host's converters, called in the loaded library.
#include <gtest/gtest.h>

#include <cstdlib>

#include "heap.h"
#include "plugin.h"

namespace {

using namespace talmo_test;

CciChar* asciiToUnicode(const char* text) {
  static auto* f = pluginFunction<CciChar*(const char*)>("ASCIIToUnicode");
  return f(text);
}

char* unicodeToAscii(const CciChar* text) {
  static auto* f = pluginFunction<char*(const CciChar*)>("UnicodeToASCII");
  return f(text);
}

TEST(UnicodeToASCII, DigitsBecomeTheirBytes) {
  char* s = unicodeToAscii(T("12345").c_str());
  EXPECT_STREQ(s, "12345");
  std::free(s);
}

// Room for three bytes a unit: text from U+0080 up is written whole.
TEST(UnicodeToASCII, NonAsciiTextIsWrittenWhole) {
  HeapSpy heap;
  char* s = unicodeToAscii(T("\u00e9\u20ac\U0001F600x").c_str());
  EXPECT_STREQ(s, "\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80x");
  EXPECT_EQ(heap.sizes(), std::vector<size_t>{3 * 5 + 1});
  std::free(s);
}

TEST(ASCIIToUnicode, ConvertsAndTerminates) {
  CciChar* s = asciiToUnicode("X12 \xc3\xa9");
  EXPECT_EQ(Text(s), T("X12 \u00e9"));
  std::free(s);
}

TEST(Conversions, NoMemoryGivesNull) {
  HeapSpy heap;
  heap.failAt(1);
  EXPECT_EQ(unicodeToAscii(T("x").c_str()), nullptr);
  heap.failAt(1);
  EXPECT_EQ(asciiToUnicode("x"), nullptr);
  EXPECT_EQ(heap.outstanding(), 0);
}

// A converter that fails and writes nothing leaves an empty, terminated
// string, never unterminated bytes.
TEST(Conversions, FailingConverterLeavesEmptyText) {
  tessplug::setFaults({{tessplug::Op::UcsToMbs, 1, true}, {tessplug::Op::MbsToUcs, 1, true}});
  char* a = unicodeToAscii(T("abc").c_str());
  CciChar* d = asciiToUnicode("abc");
  tessplug::clearFaults();
  EXPECT_STREQ(a, "");
  EXPECT_EQ(Text(d), Text());
  std::free(a);
  std::free(d);
}

}  // namespace
