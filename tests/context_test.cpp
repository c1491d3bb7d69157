// Contexts and parser chaining: which class the plug-in names for the body.
#include <gtest/gtest.h>

#include "heap.h"
#include "plugin.h"

namespace {

using namespace talmo_test;

Text withZeros(std::string_view name, size_t size) {
  Text t = T(name);
  t.resize(size, 0);
  return t;
}

struct ChainCase {
  const char* name;
  std::string header;
  int size;
  Text expected;  // exactly size units
};
void PrintTo(const ChainCase& c, std::ostream* os) {
  *os << c.name;
}

class NextParserClass : public ::testing::TestWithParam<ChainCase> {};

TEST_P(NextParserClass, ReportsTheLastClassOrNone) {
  auto parser = parserOver(GetParam().header);
  parser->parseBuffer(0);
  EXPECT_EQ(parser->nextParserClassName(GetParam().size), GetParam().expected);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Headers, NextParserClass, ::testing::Values(
    ChainCase{"class_next", "CLASS(NEXT) RECLEN(80);", 256, withZeros("NEXT", 256)},
    ChainCase{"no_class", "DATATYPE(X12);", 256, withZeros("none", 256)},
    ChainCase{"empty_class", "CLASS();", 8, withZeros("", 8)},
    ChainCase{"leading_blank_is_none", "CLASS( A);", 8, withZeros("none", 8)},
    // The Windows build ends the reported name at its first blank, which
    // becomes a zero; the rest of the copy stays behind it.
    ChainCase{"blank_inside", "CLASS(A B);", 8, kWindowsBuild ? Text{'A', 0, 'B', 0, 0, 0, 0, 0} : withZeros("A B", 8)},
    ChainCase{"last_class_wins", "CLASS(A) CLASS(B);", 4, withZeros("B", 4)},
    ChainCase{"lower_case_is_not_class", "class(A);", 8, withZeros("none", 8)},
    ChainCase{"cut_without_terminator", "CLASS(NEXT);", 3, T("NEX")},
    ChainCase{"none_cut_without_terminator", "A(1);", 4, T("none")},
    ChainCase{"size_zero_writes_nothing", "CLASS(NEXT);", 0, Text()},
    ChainCase{"long_class_cut_to_fifteen", "CLASS(ABCDEFGHIJKLMNOPQRST);", 20, withZeros("ABCDEFGHIJKLMNO", 20)},
    ChainCase{"fifteen_fit", "CLASS(ABCDEFGHIJKLMNO);", 16, withZeros("ABCDEFGHIJKLMNO", 16)},
    ChainCase{"truncated_class_value", "CLASS(NEX", 8, withZeros("NEX", 8)}),
    CaseName());
// clang-format on

TEST(NextParserClass, CutNameLeavesTheUnitAfterTheBufferAlone) {
  auto parser = parserOver("CLASS(NEXT);");
  parser->parseBuffer(0);
  CciChar buffer[5] = {9, 9, 9, 9, 9};
  parser->table().nextParserClassName(parser->handle(), parser->context(), buffer, 3);
  EXPECT_EQ(Text(buffer, 5), (Text{'N', 'E', 'X', 9, 9}));
}

TEST(NextParserClass, NewContextAnswersTheEmptyName) {
  auto parser = parserOver("");
  EXPECT_EQ(parser->nextParserClassName(6), withZeros("", 6));
}

TEST(NextParserClass, SecondHeaderWithoutClassAnswersNone) {
  auto parser = parserOver("CLASS(NEXT);DATATYPE(X12);");
  EXPECT_EQ(parser->parseBuffer(0), 12);
  EXPECT_EQ(parser->nextParserClassName(5), withZeros("NEXT", 5));
  EXPECT_EQ(parser->parseBuffer(12), 26);
  EXPECT_EQ(parser->nextParserClassName(5), withZeros("none", 5));
}

TEST(NextParserClass, SetNextParserClassNameChangesNoAnswer) {
  auto parser = parserOver("CLASS(NEXT);");
  parser->parseBuffer(0);
  parser->setNextParserClassName(T("OTHER"), 0x1FF);
  EXPECT_EQ(parser->nextParserClassName(5), withZeros("NEXT", 5));
}

// The record holds 254 units and a terminator; a longer name must stay
// within it (the sanitizers see any write past the context's block).
TEST(NextParserClass, OverlongNameIsCutWithinTheContext) {
  auto parser = parserOver("CLASS(NEXT);");
  parser->parseBuffer(0);
  parser->setNextParserClassName(Text(1000, 'N'), 1);
  parser->setNextParserClassName(Text(), 1);
  EXPECT_EQ(parser->nextParserClassName(5), withZeros("NEXT", 5));
}

TEST(Context, ParserTypeIsZero) {
  auto parser = parserOver("A(1);");
  EXPECT_EQ(parser->parserType(), 0);
  parser->parseBuffer(0);
  EXPECT_EQ(parser->parserType(), 0);
}

TEST(Context, NoMemoryGivesNullAndNothingElse) {
  tessplug::Parser parser(talmoClass(), "A(1);");
  HeapSpy heap;
  heap.failAt(1);
  tessplug::startCallLog();
  EXPECT_FALSE(parser.createContext());
  EXPECT_TRUE(tessplug::stopCallLog().empty());
  EXPECT_EQ(heap.outstanding(), 0);
}

TEST(Context, DeleteGivesTheBlockBack) {
  talmoClass();
  HeapSpy heap;
  {
    auto parser = parserOver("A(1);");
    EXPECT_EQ(heap.outstanding(), 1);
  }
  EXPECT_EQ(heap.outstanding(), 0);
}

}  // namespace
