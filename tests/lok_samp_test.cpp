// The Unix build's own 16-bit string routines and conversions
// (LokSampPluginUtil), called in the loaded library.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "guarded.h"
#include "heap.h"
#include "plugin.h"

namespace {

using namespace talmo_test;

struct Routines {
  int (*isSpace)(CciChar) = pluginFunction<int(CciChar)>("CciCharIsSpace");
  int (*isAlnum)(CciChar) = pluginFunction<int(CciChar)>("CciCharIsAlnum");
  void (*cpy)(CciChar*,
              const CciChar*) = pluginFunction<void(CciChar*, const CciChar*)>("CciCharCpy");
  void (*ncpy)(CciChar*, const CciChar*,
               unsigned) = pluginFunction<void(CciChar*, const CciChar*, unsigned)>("CciCharNCpy");
  unsigned (*len)(const CciChar*) = pluginFunction<unsigned(const CciChar*)>("CciCharLen");
  int (*cmp)(const CciChar*,
             const CciChar*) = pluginFunction<int(const CciChar*, const CciChar*)>("CciCharCmp");
  CciChar* (*string)(const char*) = pluginFunction<CciChar*(const char*)>("CciString");
  CciChar* (*nstring)(const unsigned char*, unsigned) =
      pluginFunction<CciChar*(const unsigned char*, unsigned)>("CciNString");
  char* (*mbString)(const CciChar*) = pluginFunction<char*(const CciChar*)>("mbString");
};

const Routines& routines() {
  static const Routines r;
  return r;
}

// ---- Character tests ----

struct CharCase {
  const char* name;
  CciChar c;
  int space;
  int alnum;
};
void PrintTo(const CharCase& c, std::ostream* os) {
  *os << c.name;
}

class CharClass : public ::testing::TestWithParam<CharCase> {};

TEST_P(CharClass, SpaceAndAlnum) {
  EXPECT_EQ(routines().isSpace(GetParam().c), GetParam().space);
  EXPECT_EQ(routines().isAlnum(GetParam().c), GetParam().alnum);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Units, CharClass, ::testing::Values(
    CharCase{"nul", 0x00, 0, 0},
    CharCase{"backspace", 0x08, 0, 0},
    CharCase{"tab", 0x09, 1, 0},
    CharCase{"newline", 0x0A, 1, 0},
    CharCase{"vtab", 0x0B, 1, 0},
    CharCase{"formfeed", 0x0C, 1, 0},
    CharCase{"return", 0x0D, 1, 0},
    CharCase{"shift_out", 0x0E, 0, 0},
    CharCase{"unit_sep", 0x1F, 0, 0},
    CharCase{"blank", 0x20, 1, 0},
    CharCase{"bang", 0x21, 0, 0},
    CharCase{"slash", 0x2F, 0, 0},
    CharCase{"digit0", 0x30, 0, 1},
    CharCase{"digit9", 0x39, 0, 1},
    CharCase{"colon", 0x3A, 0, 0},
    CharCase{"at", 0x40, 0, 0},
    CharCase{"A", 0x41, 0, 1},
    CharCase{"Z", 0x5A, 0, 1},
    CharCase{"bracket", 0x5B, 0, 0},
    CharCase{"backtick", 0x60, 0, 0},
    CharCase{"a", 0x61, 0, 1},
    CharCase{"z", 0x7A, 0, 1},
    CharCase{"brace", 0x7B, 0, 0},
    CharCase{"next_line", 0x85, 0, 0},
    CharCase{"nbsp", 0xA0, 0, 0},
    CharCase{"A_grave", 0xC0, 0, 0},
    CharCase{"ideographic_space", 0x3000, 0, 0}),
    CaseName());
// clang-format on

// ---- Copy, length, comparison ----

TEST(CciCharNCpy, ShortSourceIsFilledWithZeros) {
  CciChar dest[6] = {9, 9, 9, 9, 9, 9};
  const CciChar source[] = {'a', 'b', 0};
  routines().ncpy(dest, source, 5);
  EXPECT_EQ(Text(dest, 6), (Text{'a', 'b', 0, 0, 0, 9}));
}

TEST(CciCharNCpy, LongSourceIsCutWithoutTerminator) {
  CciChar dest[5] = {9, 9, 9, 9, 9};
  const CciChar source[] = {'a', 'b', 'c', 'd', 'e', 0};
  routines().ncpy(dest, source, 3);
  EXPECT_EQ(Text(dest, 5), (Text{'a', 'b', 'c', 9, 9}));
}

TEST(CciCharNCpy, CountZeroWritesNothing) {
  CciChar dest[2] = {9, 9};
  const CciChar source[] = {'a', 0};
  routines().ncpy(dest, source, 0);
  EXPECT_EQ(Text(dest, 2), (Text{9, 9}));
}

TEST(CciCharCpy, CopiesTheTerminator) {
  CciChar dest[4] = {9, 9, 9, 9};
  const CciChar source[] = {'a', 'b', 0};
  routines().cpy(dest, source);
  EXPECT_EQ(Text(dest, 4), (Text{'a', 'b', 0, 9}));
}

struct CmpCase {
  const char* name;
  Text a;
  Text b;
  int expected;
};
void PrintTo(const CmpCase& c, std::ostream* os) {
  *os << c.name;
}

class CciCharCmpTest : public ::testing::TestWithParam<CmpCase> {};

TEST_P(CciCharCmpTest, GivesTheUnitDifference) {
  EXPECT_EQ(routines().cmp(GetParam().a.c_str(), GetParam().b.c_str()), GetParam().expected);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Pairs, CciCharCmpTest, ::testing::Values(
    CmpCase{"equal", T("CLASS"), T("CLASS"), 0},
    CmpCase{"both_empty", T(""), T(""), 0},
    CmpCase{"prefix_first", T("A"), T("AB"), -'B'},
    CmpCase{"prefix_second", T("AB"), T("A"), 'B'},
    CmpCase{"case_matters", T("class"), T("CLASS"), 'c' - 'C'},
    CmpCase{"ffff_sorts_last", Text{0xFFFF}, Text{0xFFFE}, 1},
    CmpCase{"ffff_after_ascii", Text{0xFFFF}, T("z"), 0xFFFF - 'z'}),
    CaseName());
// clang-format on

TEST(CciCharLen, CountsUnits) {
  EXPECT_EQ(routines().len(T("").c_str()), 0u);
  EXPECT_EQ(routines().len(T("DATATYPE").c_str()), 8u);
  EXPECT_EQ(routines().len(T("\u00e9\u20ac").c_str()), 2u);
}

// ---- Conversions ----

TEST(CciString, ConvertsUtf8WithTerminator) {
  CciChar* s = routines().string("DATE \xc3\xa9");
  EXPECT_EQ(Text(s), T("DATE \u00e9"));
  std::free(s);
}

TEST(CciNString, RunOfZeroBytesIsEmpty) {
  GuardedBytes bytes("");
  CciChar* s = routines().nstring(bytes.data(), 0);
  EXPECT_EQ(Text(s), Text());
  std::free(s);
}

// The run ends at a guard page: the conversion must read exactly the run.
TEST(CciNString, RunAgainstGuardPageYieldsItsUnits) {
  GuardedBytes bytes("RECLEN");
  CciChar* s = routines().nstring(bytes.data(), 6);
  EXPECT_EQ(Text(s), T("RECLEN"));
  std::free(s);
}

TEST(CciNString, ByteAfterTheRunIsNotText) {
  const unsigned char bytes[] = {'A', 'B', '(', 'x'};
  CciChar* s = routines().nstring(bytes, 2);
  EXPECT_EQ(Text(s), T("AB"));
  std::free(s);
}

// Two bytes of UTF-8 make one unit; the unit the count leaves over must not be
// filled from the bytes after the run.
TEST(CciNString, MultiByteRunDoesNotReachPastItsEnd) {
  const unsigned char bytes[] = {0xC3, 0xA9, '(', 'x', ')'};
  CciChar* s = routines().nstring(bytes, 2);
  EXPECT_EQ(Text(s), T("\u00e9"));
  std::free(s);
}

TEST(CciNString, LongRunConvertsWhole) {
  std::string run(5000, 'x');
  GuardedBytes bytes(run);
  CciChar* s = routines().nstring(bytes.data(), 5000);
  EXPECT_EQ(U(Text(s)), run);
  std::free(s);
}

TEST(MbString, EmptyStringTakesNineBytes) {
  HeapSpy heap;
  char* s = routines().mbString(T("").c_str());
  EXPECT_STREQ(s, "");
  EXPECT_EQ(heap.sizes(), std::vector<size_t>{9});
  std::free(s);
}

TEST(MbString, ConvertsToUtf8) {
  char* s = routines().mbString(T("-12\u00e9").c_str());
  EXPECT_STREQ(s, "-12\xc3\xa9");
  std::free(s);
}

TEST(LokSampConversions, NoMemoryGivesNull) {
  HeapSpy heap;
  heap.failAt(1);
  EXPECT_EQ(routines().mbString(T("x").c_str()), nullptr);
  heap.failAt(1);
  EXPECT_EQ(routines().string("x"), nullptr);
  const unsigned char run[] = {'x'};
  heap.failAt(1);
  EXPECT_EQ(routines().nstring(run, 1), nullptr);
  EXPECT_EQ(heap.outstanding(), 0);
}

// A converter that fails and writes nothing leaves an empty, terminated
// string, never unterminated bytes.
TEST(LokSampConversions, FailingConverterLeavesEmptyText) {
  tessplug::setFaults({{tessplug::Op::UcsToMbs, 1, true}, {tessplug::Op::MbsToUcs, 1, true}});
  char* b = routines().mbString(T("abc").c_str());
  CciChar* c = routines().string("abc");
  tessplug::clearFaults();
  EXPECT_STREQ(b, "");
  EXPECT_EQ(Text(c), Text());
  std::free(b);
  std::free(c);
}

}  // namespace
