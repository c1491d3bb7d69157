// The header parser: headers in the bit stream become typed elements under
// the root. Every input is placed against a guard page, so a read past the
// end of the stream crashes the test.
#include <gtest/gtest.h>

#include <climits>

#include "guarded.h"
#include "heap.h"
#include "plugin.h"

namespace {

using namespace talmo_test;
using tessplug::Value;

// An expected item; names and character values are given as the bytes of the
// header and compared as the plug-in reads them.
struct Item {
  Text name;
  Value value;
};

Item Ch(std::string_view name, std::string_view text) {
  return {readText(name), Value::ofText(readText(text))};
}
Item Int(std::string_view name, long long v) {
  return {readText(name), Value::ofInteger(v)};
}
Item Date(std::string_view name, int y, int m, int d) {
  return {readText(name), Value::ofDate(y, m, d)};
}
Item Time(std::string_view name, int h, int m, float s) {
  return {readText(name), Value::ofTime(h, m, s)};
}

struct ParseCase {
  const char* name;
  std::string input;
  int start;
  int offset;         // what cpiParseBuffer returns
  bool rootComplete;  // the ";" was read
  std::vector<Item> items;
};
void PrintTo(const ParseCase& c, std::ostream* os) {
  *os << c.name;
}

std::string describeItems(const tessplug::Tree& root) {
  std::string s;
  for (const auto& c : root.children) s += "  " + U(c.name) + " = " + describe(c.value) + "\n";
  return s;
}

class ParseHeader : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseHeader, MakesTheTreeAndOffset) {
  const ParseCase& c = GetParam();
  GuardedBytes bytes(c.input);
  tessplug::Parser parser(talmoClass(), bytes.data(), bytes.size());
  ASSERT_TRUE(parser.createContext());
  EXPECT_EQ(parser.parseBuffer(c.start), c.offset);

  tessplug::Tree root = tessplug::snapshot(parser.root());
  EXPECT_EQ(root.completeNext, c.rootComplete);
  EXPECT_EQ(root.completePrevious, c.rootComplete);
  ASSERT_EQ(root.children.size(), c.items.size()) << describeItems(root);
  for (size_t i = 0; i < c.items.size(); ++i) {
    const tessplug::Tree& child = root.children[i];
    SCOPED_TRACE("item " + std::to_string(i));
    EXPECT_EQ(child.name, c.items[i].name) << U(child.name);
    EXPECT_EQ(child.type, elementTypeNameValue);
    EXPECT_EQ(child.value, c.items[i].value) << describe(child.value);
    EXPECT_TRUE(child.completePrevious && child.completeNext);
    EXPECT_TRUE(child.children.empty());
  }
}

const char kExample[] = "DATATYPE(X12) CLASS(NEXT) CONTROLNUM(000123) DATE(020315) TIME(101530);";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Syntax, ParseHeader, ::testing::Values(
    ParseCase{"road_of_one_message", std::string(kExample) + "ISA*00*...", 0, 71, true, {Ch("DATATYPE", "X12"), Ch("CLASS", "NEXT"), Int("CONTROLNUM", 123), Date("DATE", 2002, 3, 15), Time("TIME", 10, 15, 30)}},
    ParseCase{"only_terminator", ";", 0, 1, true, {}},
    ParseCase{"white_space_and_terminator", " \t\r\n\v\f;rest", 0, 7, true, {}},
    ParseCase{"two_items_then_body", "CLASS(NEXT) RECLEN(80);UNB+", 0, 23, true, {Ch("CLASS", "NEXT"), Int("RECLEN", 80)}},
    ParseCase{"blank_before_paren_belongs_to_name", "RECLEN (80);", 0, 12, true, {Ch("RECLEN ", "80")}},
    ParseCase{"blanks_around_value_kept", "MSGNAME( X );", 0, 13, true, {Ch("MSGNAME", " X ")}},
    ParseCase{"paren_inside_value", "A(x(y);", 0, 7, true, {Ch("A", "x(y")}},
    ParseCase{"items_may_touch", "A(1)B(2);", 0, 9, true, {Ch("A", "1"), Ch("B", "2")}},
    ParseCase{"empty_name", "(v);", 0, 4, true, {Ch("", "v")}},
    ParseCase{"empty_value", "A();", 0, 4, true, {Ch("A", "")}},
    ParseCase{"semicolon_inside_name", "A(1) B;C(2);", 0, 12, true, {Ch("A", "1"), Ch("B;C", "2")}},
    ParseCase{"close_paren_inside_name", "A)B(1);", 0, 7, true, {Ch("A)B", "1")}},
    ParseCase{"semicolon_inside_value", "A(;);", 0, 5, true, {Ch("A", ";")}},
    ParseCase{"white_space_inside_name_start", "\tA\t(1);", 0, 7, true, {Ch("A\t", "1")}},
    ParseCase{"utf8_name_and_value", "NOM\xc3\x89(caf\xc3\xa9);", 0, 13, true, {Ch("NOM\xc3\x89", "caf\xc3\xa9")}},
    ParseCase{"nbsp_is_not_white_space", "\xc2\xa0X(1);", 0, 7, true, {Ch("\xc2\xa0X", "1")}},
    ParseCase{"byte_a0_starts_a_name", "\xa0X(\xff);", 0, 6, true, {Ch("\xa0X", "\xff")}},
    ParseCase{"zero_byte_ends_the_text", std::string("A\0B(1\0x);", 9), 0, 9, true, {Ch("A", "1")}},
    ParseCase{"start_offset", "xxDATATYPE(X12);yy", 2, 16, true, {Ch("DATATYPE", "X12")}},
    ParseCase{"many_items", "A(1)B(2)C(3)D(4)E(5)F(6);", 0, 25, true, {Ch("A", "1"), Ch("B", "2"), Ch("C", "3"), Ch("D", "4"), Ch("E", "5"), Ch("F", "6")}},
    ParseCase{"long_class_value_whole_in_tree", "CLASS(ABCDEFGHIJKLMNOPQRST);", 0, 28, true, {Ch("CLASS", "ABCDEFGHIJKLMNOPQRST")}}),
    CaseName());
// clang-format on

// clang-format off
INSTANTIATE_TEST_SUITE_P(EndOfStream, ParseHeader, ::testing::Values(
    ParseCase{"empty_stream", "", 0, 0, false, {}},
    ParseCase{"start_at_end", "A(1);", 5, 5, false, {}},
    ParseCase{"start_past_end", "A(1);", 9, 9, false, {}},
    ParseCase{"start_before_stream", "A(1);", -3, -3, false, {}},
    ParseCase{"ends_after_item", "A(1)", 0, 4, false, {Ch("A", "1")}},
    ParseCase{"ends_in_white_space", "A(1)  \n", 0, 7, false, {Ch("A", "1")}},
    ParseCase{"only_white_space", "   ", 0, 3, false, {}},
    ParseCase{"ends_inside_name", "A(1) NAM", 0, 8, false, {Ch("A", "1")}},
    ParseCase{"terminator_in_unfinished_name", "A(1) B;C", 0, 8, false, {Ch("A", "1")}},
    ParseCase{"ends_after_open_paren", "A(", 0, 2, false, {Ch("A", "")}},
    ParseCase{"ends_inside_value", "DATATYPE(X1", 0, 11, false, {Ch("DATATYPE", "X1")}},
    ParseCase{"ends_inside_integer", "RECLEN(8", 0, 8, false, {Int("RECLEN", 8)}}),
    CaseName());
// clang-format on

// clang-format off
INSTANTIATE_TEST_SUITE_P(FieldTypes, ParseHeader, ::testing::Values(
    ParseCase{"integer_plain", "RECLEN(80);", 0, 11, true, {Int("RECLEN", 80)}},
    ParseCase{"integer_blanks", "RECLEN( 80 );", 0, 13, true, {Int("RECLEN", 80)}},
    ParseCase{"integer_letter_o", "RECLEN(8O);", 0, 11, true, {Int("RECLEN", 8)}},
    ParseCase{"integer_letters", "RECLEN(abc);", 0, 12, true, {Int("RECLEN", 0)}},
    ParseCase{"integer_empty", "CONTROLNUM();", 0, 13, true, {Int("CONTROLNUM", 0)}},
    ParseCase{"integer_negative", "RECLEN(-12);", 0, 12, true, {Int("RECLEN", -12)}},
    ParseCase{"integer_plus", "RECLEN(+7);", 0, 11, true, {Int("RECLEN", 7)}},
    ParseCase{"integer_leading_zeros", "CONTROLNUM(000123);", 0, 19, true, {Int("CONTROLNUM", 123)}},
    ParseCase{"integer_clamped_high", "RECLEN(4294967296);", 0, 19, true, {Int("RECLEN", INT_MAX)}},
    ParseCase{"integer_clamped_low", "RECLEN(-99999999999);", 0, 21, true, {Int("RECLEN", INT_MIN)}},
    ParseCase{"integer_beyond_64_bits", "RECLEN(99999999999999999999999);", 0, 32, true, {Int("RECLEN", INT_MAX)}},
    ParseCase{"msgseqno_is_character", "MSGSEQNO(0001);", 0, 15, true, {Ch("MSGSEQNO", "0001")}},
    ParseCase{"name_case_matters", "Date(1);", 0, 8, true, {Ch("Date", "1")}},
    ParseCase{"every_character_field", "DATATYPE(a)CLASS(b)MSGNAME(c)MSGSEQNO(d)RECDLM(e)RECFM(f)SENDER(g)" "SENDQUAL(h)RECEIVER(i)RECVQUAL(j)FROM(k)UNIQUEID(l)OTHER(m);", 0, 126, true, {Ch("DATATYPE", "a"), Ch("CLASS", "b"), Ch("MSGNAME", "c"), Ch("MSGSEQNO", "d"), Ch("RECDLM", "e"), Ch("RECFM", "f"), Ch("SENDER", "g"), Ch("SENDQUAL", "h"), Ch("RECEIVER", "i"), Ch("RECVQUAL", "j"), Ch("FROM", "k"), Ch("UNIQUEID", "l"), Ch("OTHER", "m")}},
    ParseCase{"date_end_of_century", "DATE(991231);", 0, 13, true, {Date("DATE", 2099, 12, 31)}},
    ParseCase{"date_start_of_century", "DATE(000101);", 0, 13, true, {Date("DATE", 2000, 1, 1)}},
    ParseCase{"date_eight_digits", "DATE(20240101);", 0, 15, true, {Date("DATE", 2020, 24, 1)}},
    ParseCase{"date_one_digit", "DATE(1);", 0, 8, true, {Date("DATE", 2001, 0, 0)}},
    ParseCase{"date_empty", "DATE();", 0, 7, true, {Date("DATE", 2000, 0, 0)}},
    ParseCase{"date_out_of_range_kept", "DATE(021399);", 0, 13, true, {Date("DATE", 2002, 13, 99)}},
    ParseCase{"time_full", "TIME(235959);", 0, 13, true, {Time("TIME", 23, 59, 59.0f)}},
    ParseCase{"time_four_digits", "TIME(1230);", 0, 11, true, {Time("TIME", 12, 30, 0.0f)}},
    ParseCase{"time_blank_pairs", "TIME(12 3 4);", 0, 13, true, {Time("TIME", 12, 3, 4.0f)}},
    ParseCase{"time_negative_pairs", "TIME(-1-2-3);", 0, 13, true, {Time("TIME", -1, -2, -3.0f)}},
    ParseCase{"time_hour_99", "TIME(996000);", 0, 13, true, {Time("TIME", 99, 60, 0.0f)}},
    ParseCase{"character_keeps_blanks", "X( X );", 0, 7, true, {Ch("X", " X ")}}),
    CaseName());
// clang-format on

TEST(ParseHeader, NullStreamWithSizeReadsAsEmpty) {
  tessplug::Parser parser(talmoClass(), nullptr, 10);
  ASSERT_TRUE(parser.createContext());
  EXPECT_EQ(parser.parseBuffer(0), 0);
  EXPECT_EQ(parser.parseBuffer(4), 0);
  EXPECT_TRUE(tessplug::snapshot(parser.root()).children.empty());
  EXPECT_EQ(parser.nextParserClassName(5), (Text{'n', 'o', 'n', 'e', 0}));
}

TEST(ParseHeader, LongValueIsReadWhole) {
  std::string value(100000, 'v');
  GuardedBytes bytes("A(" + value + ");");
  tessplug::Parser parser(talmoClass(), bytes.data(), bytes.size());
  ASSERT_TRUE(parser.createContext());
  EXPECT_EQ(parser.parseBuffer(0), bytes.size());
  auto root = tessplug::snapshot(parser.root());
  ASSERT_EQ(root.children.size(), 1u);
  EXPECT_EQ(root.children[0].value, Value::ofCharacter(value));
}

// The host calls for one item, in order. The Unix build reads name and
// value text through the host's converter, and integer text back through it;
// the Windows build converts with the C run-time.
TEST(ParseHeader, HostCallsForOneItemComeInOrder) {
  auto parser = parserOver("CONTROLNUM(1);");
  tessplug::startCallLog();
  parser->parseBuffer(0);
  std::vector<std::string> calls;
  for (const auto& call : tessplug::stopCallLog()) calls.push_back(tessplug::describe(call));
  std::vector<std::string> expected = {
      "cpiBufferPointer", "cpiBufferSize", "cpiBufferByte 0", "cpiRootElement",
      // the name, up to its "("
      "cpiBufferByte 1", "cpiBufferByte 2", "cpiBufferByte 3", "cpiBufferByte 4", "cpiBufferByte 5",
      "cpiBufferByte 6", "cpiBufferByte 7", "cpiBufferByte 8", "cpiBufferByte 9",
      "cpiBufferByte 10"};
  if (!kWindowsBuild) expected.push_back("cciMbsToUcs");
  expected.insert(expected.end(), {"cpiCreateElement", "cpiSetElementType 50331648",
                                   "cpiSetElementName \"CONTROLNUM\"", "cpiAddAsLastChild",
                                   "cpiSetElementCompletePrevious 1", "cpiSetElementCompleteNext 1",
                                   // the value, up to its ")"
                                   "cpiBufferByte 11", "cpiBufferByte 12"});
  if (!kWindowsBuild) expected.insert(expected.end(), {"cciMbsToUcs", "cciUcsToMbs"});
  expected.insert(expected.end(),
                  {"cpiSetElementIntegerValue 1", "cpiBufferByte 13",
                   // the ";"
                   "cpiSetElementCompletePrevious 1", "cpiSetElementCompleteNext 1"});
  EXPECT_EQ(calls, expected);
}

// ---- The on-demand callbacks ----

TEST(OnDemand, AfterParseBufferNothingChanges) {
  auto parser = parserOver(kExample);
  parser->parseBuffer(0);
  tessplug::Tree before = tessplug::snapshot(parser->root());
  tessplug::Element* first = tessplug::children(parser->root()).front();
  parser->parseFirstChild(parser->root());
  parser->parseLastChild(parser->root());
  parser->parseLeftSibling(first);
  parser->parseRightSibling(first);
  parser->parseRightSibling(tessplug::children(parser->root()).back());
  EXPECT_EQ(tessplug::snapshot(parser->root()), before);
}

TEST(OnDemand, LastChildOnNameValueElementOnlyAsksItsType) {
  auto parser = parserOver("A(1)");
  parser->parseBuffer(0);
  tessplug::startCallLog();
  parser->parseLastChild(tessplug::children(parser->root()).front());
  auto calls = tessplug::stopCallLog();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].op, tessplug::Op::ElementType);
}

TEST(OnDemand, LeftSiblingCallsNothing) {
  auto parser = parserOver("A(1);");
  parser->parseBuffer(0);
  tessplug::startCallLog();
  parser->parseLeftSibling(tessplug::children(parser->root()).front());
  EXPECT_TRUE(tessplug::stopCallLog().empty());
}

// The complete flag is a truth the host returns, read as each build reads
// truth: a word of 0x100 is true on Unix and false on Windows (low byte).
struct TruthCase {
  const char* name;
  void (*callback)(tessplug::Parser&);
  std::vector<tessplug::Op> unix, windows;
};
void PrintTo(const TruthCase& c, std::ostream* os) {
  *os << c.name;
}

class CompleteFlag : public ::testing::TestWithParam<TruthCase> {};

TEST_P(CompleteFlag, IsReadAsEachBuildReadsTruth) {
  using tessplug::Op;
  auto parser = parserOver("A(1);");
  parser->parseBuffer(0);
  tessplug::setFaults(
      {{Op::ElementCompleteNext, 1, true, rcSuccess, tessplug::FaultMode::Answer, 0x100}});
  tessplug::startCallLog();
  GetParam().callback(*parser);
  std::vector<Op> ops;
  for (const auto& call : tessplug::stopCallLog()) ops.push_back(call.op);
  tessplug::clearFaults();
  EXPECT_EQ(ops, kWindowsBuild ? GetParam().windows : GetParam().unix);
}

using Op = tessplug::Op;
// clang-format off
INSTANTIATE_TEST_SUITE_P(Callbacks, CompleteFlag, ::testing::Values(
    TruthCase{"first_child", [](tessplug::Parser& p) { p.parseFirstChild(p.root()); }, {Op::ElementCompleteNext}, {Op::ElementCompleteNext, Op::ElementType, Op::ElementCompleteNext, Op::FirstChild}},
    TruthCase{"right_sibling", [](tessplug::Parser& p) { p.parseRightSibling(tessplug::children(p.root()).front()); }, {Op::Parent, Op::ElementCompleteNext}, {Op::Parent, Op::ElementCompleteNext, Op::NextSibling}}),
    CaseName());
// clang-format on

TEST(OnDemand, NewContextReadsNothing) {
  auto parser = parserOver("A(1);");
  parser->parseFirstChild(parser->root());
  parser->parseLastChild(parser->root());
  EXPECT_TRUE(tessplug::snapshot(parser->root()).children.empty());
}

// ---- Memory ----

// Texts longer than 256 units are made on the heap; short ones on the stack.
TEST(ParseHeader, GivesBackEveryBlockItTakes) {
  auto parser = parserOver(std::string(kExample) + std::string(300, 'N') + "(1) RECLEN(" +
                           std::string(300, '7') + ") B");
  HeapSpy heap;
  parser->parseBuffer(0);
  parser->parseBuffer(71);
  EXPECT_GT(heap.count(), 0);
  EXPECT_EQ(heap.outstanding(), 0);
}

TEST(ParseHeader, NoMemoryForTextEndsTheHeaderWithoutCrash) {
  for (int n = 1; n <= 30; ++n) {
    auto parser = parserOver(kExample);
    HeapSpy heap;
    heap.failAt(n);
    parser->parseBuffer(0);
    EXPECT_EQ(heap.outstanding(), 0) << "allocation " << n;
  }
}

}  // namespace

namespace {

// However the allocator fails, the header ends where its syntax ends, with
// as many items: an item whose name or value text could not be made (texts
// over 256 units are made on the heap) carries it empty.
TEST(ParseHeader, NoMemoryForTextKeepsTheEndAndTheItems) {
  const std::string name(300, 'N'), digits(300, '7'), cls(300, 'C');
  const std::string header =
      name + "(1) RECLEN(" + digits + ") CLASS(" + cls + ") " + name + "(x);BODY";
  int total = 0;
  {
    auto parser = parserOver(header);
    HeapSpy heap;
    parser->parseBuffer(0);
    total = heap.count();
  }
  ASSERT_GT(total, 3);
  for (int n = 1; n <= total; ++n) {
    auto parser = parserOver(header);
    HeapSpy heap;
    heap.failAt(n);
    EXPECT_EQ(parser->parseBuffer(0), static_cast<int>(header.size()) - 4) << "allocation " << n;
    tessplug::Tree tree = tessplug::snapshot(parser->root());
    EXPECT_TRUE(tree.completeNext) << "allocation " << n;
    ASSERT_EQ(tree.children.size(), 4u) << "allocation " << n;
    for (const auto& item : tree.children) {
      EXPECT_TRUE(item.name.empty() || U(item.name) == name || U(item.name) == "RECLEN" ||
                  U(item.name) == "CLASS")
          << "allocation " << n << ": " << U(item.name);
    }
    EXPECT_EQ(heap.outstanding(), 0) << "allocation " << n;
  }
}

// Names and values at the edges of the 256-unit stack areas are read whole.
class ReadEdgeLength : public ::testing::TestWithParam<int> {};

TEST_P(ReadEdgeLength, NameAndValueAreReadWhole) {
  const std::string name(static_cast<size_t>(GetParam()), 'N');
  const std::string value(static_cast<size_t>(GetParam()), 'v');
  const std::string header = name + "(" + value + ") CLASS(" + value + ");";
  GuardedBytes bytes(header);
  tessplug::Parser parser(talmoClass(), bytes.data(), bytes.size());
  ASSERT_TRUE(parser.createContext());
  EXPECT_EQ(parser.parseBuffer(0), bytes.size());
  tessplug::Tree tree = tessplug::snapshot(parser.root());
  ASSERT_EQ(tree.children.size(), 2u);
  EXPECT_EQ(U(tree.children[0].name), name);
  EXPECT_EQ(U(tree.children[0].value.text), value);
  EXPECT_EQ(U(tree.children[1].value.text), value);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Lengths, ReadEdgeLength, ::testing::Values(
    255,
    256,
    257));
// clang-format on

}  // namespace
