// The header writer: trees built by hand in the host, every value type and
// failing host calls, written to exact text; the text buffer it assembles
// in; and the round trip through the parser.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "heap.h"
#include "node_utils.h"
#include "plugin.h"

namespace {

using namespace talmo_test;
using tessplug::Fault;
using tessplug::Op;
using tessplug::Value;

struct Child {
  std::string name;
  Value value;
};

struct WriteCase {
  const char* name;
  std::vector<Child> children;
  std::vector<Fault> faults;
  std::string expected;
};
void PrintTo(const WriteCase& c, std::ostream* os) {
  *os << c.name;
}

// Writes the children under a fresh root, with the faults planned for the
// write alone; checks that the result is the number of bytes appended.
std::string writeTree(const std::vector<Child>& children, const std::vector<Fault>& faults = {}) {
  tessplug::Parser parser(talmoClass(), "");
  EXPECT_TRUE(parser.createContext());
  for (const Child& c : children) parser.addChild(parser.root(), c.name, c.value);
  tessplug::setFaults(faults);
  int result = parser.writeBuffer();
  tessplug::clearFaults();
  EXPECT_EQ(result, static_cast<int>(parser.output().size()));
  return parser.outputText();
}

class WriteHeader : public ::testing::TestWithParam<WriteCase> {};

TEST_P(WriteHeader, WritesExactText) {
  EXPECT_EQ(writeTree(GetParam().children, GetParam().faults), GetParam().expected);
}

Child C(std::string name, std::string_view text) {
  return {std::move(name), Value::ofCharacter(text)};
}
Child I(std::string name, long long v) {
  return {std::move(name), Value::ofInteger(v)};
}
Child V(std::string name, Value v) {
  return {std::move(name), std::move(v)};
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Items, WriteHeader, ::testing::Values(
    WriteCase{"no_children", {}, {}, ";"},
    WriteCase{"character_and_integer", {C("A", "x"), I("B", 5)}, {}, "A(x) B(5) ;"},
    WriteCase{"overview_example", {C("DATATYPE", "X12"), C("CLASS", "NEXT"), I("CONTROLNUM", 123), V("DATE", Value::ofDate(2002, 3, 15)), V("TIME", Value::ofTime(10, 15, 30.0f))}, {}, "DATATYPE(X12) CLASS(NEXT) CONTROLNUM(123) DATE(020315) TIME(101530) ;"},
    WriteCase{"empty_name_and_value", {C("", "")}, {}, "() ;"},
    WriteCase{"nothing_quoted", {C("A(", "x)y")}, {}, "A((x)y) ;"},
    WriteCase{"utf8_name_and_value", {C("NOM\xc3\x89", "\xe2\x82\xac 5 \xf0\x9f\x98\x80")}, {}, "NOM\xc3\x89(\xe2\x82\xac 5 \xf0\x9f\x98\x80) ;"}),
    CaseName());
// clang-format on

// clang-format off
INSTANTIATE_TEST_SUITE_P(ValueTypes, WriteHeader, ::testing::Values(
    WriteCase{"boolean", {V("T", Value::ofBoolean(true)), V("F", Value::ofBoolean(false))}, {}, "T(TRUE) F(FALSE) ;"},
    // The Windows build looks at the low byte of the host's word only.
    WriteCase{"boolean_word_with_zero_low_byte", {V("W", Value::ofBooleanWord(0x100))}, {}, kWindowsBuild ? "W(FALSE) ;" : "W(TRUE) ;"},
    WriteCase{"integers", {I("A", 0), I("B", -1), I("C", 4294967296LL), I("D", LLONG_MIN), I("E", LLONG_MAX)}, {}, "A(0) B(-1) C(4294967296) D(-9223372036854775808) E(9223372036854775807) ;"},
    WriteCase{"reals", {V("A", Value::ofReal(0)), V("B", Value::ofReal(1.5)), V("C", Value::ofReal(-0.25))}, {}, "A(0.0000000000000000) B(1.5000000000000000) C(-0.2500000000000000) ;"},
    WriteCase{"huge_real_written_whole", {V("R", Value::ofReal(std::ldexp(-1.0, 160)))}, {}, "R(-1461501637330902918203684832716283019655932542976.0000000000000000) ;"},
    WriteCase{"real_infinities_and_nan", {V("A", Value::ofReal(std::numeric_limits<double>::infinity())), V("B", Value::ofReal(-std::numeric_limits<double>::infinity())), V("C", Value::ofReal(std::nan("")))}, {}, "A(INF) B(-INF) C(NAN) ;"},
    WriteCase{"decimal", {V("D", Value::ofDecimal("-123.4500"))}, {}, "D(-123.4500) ;"},
    WriteCase{"empty_character", {C("A", "")}, {}, "A() ;"},
    WriteCase{"times", {V("A", Value::ofTime(9, 5, 7.9f)), V("B", Value::ofTime(23, 59, 59.999f)), V("C", Value::ofTime(1, 2, 3.0f, valueTypeTime2))}, {}, "A(090507) B(235959) C(010203) ;"},
    WriteCase{"time_seconds_out_of_int_range", {V("A", Value::ofTime(0, 0, 1e20f)), V("B", Value::ofTime(0, 0, std::nanf("")))}, {}, "A(00002147483647) B(000000) ;"},
    WriteCase{"dates", {V("A", Value::ofDate(2003, 7, 4)), V("B", Value::ofDate(2000, 1, 1)), V("C", Value::ofDate(1999, 12, 31)), V("D", Value::ofDate(2100, 1, 2))}, {}, "A(030704) B(000101) C(-011231) D(1000102) ;"},
    WriteCase{"date_of_the_smallest_year", {V("A", Value::ofDate(INT_MIN, 1, 1))}, {}, "A(-21474856480101) ;"},
    WriteCase{"placeholders", {V("A", Value::ofTimestamp(valueTypeTimestamp)), V("B", Value::ofTimestamp(valueTypeTimestamp2)), V("C", Value::ofBinary({1, 2}, valueTypeBinary)), V("D", Value::ofBinary({}, valueTypeBinary2))}, {}, "A(<timestamp>) B(<timestamp>) C(<binary>) D(<binary>) ;"},
    WriteCase{"unknown_codes", {V("A", Value::ofCode(11)), V("B", Value::ofCode(0)), V("C", Value::ofCode(14)), V("D", Value::ofCode(-1))}, {}, "A(<unknown>) B(<unknown>) C(<unknown>) D(<unknown>) ;"}),
    CaseName());
// clang-format on

// clang-format off
INSTANTIATE_TEST_SUITE_P(HostFailures, WriteHeader, ::testing::Values(
    WriteCase{"integer_getter_fails", {I("A", 1), I("B", 2)}, {{Op::ElementIntegerValue, 1}}, "A() B(2) ;"},
    WriteCase{"date_getter_fails", {V("D", Value::ofDate(2002, 3, 15))}, {{Op::ElementDateValue, 1}}, "D(<date>) ;"},
    WriteCase{"time_getter_fails", {V("T", Value::ofTime(1, 2, 3))}, {{Op::ElementTimeValue, 1}}, "T(<time>) ;"},
    WriteCase{"boolean_getter_code_ignored", {V("B", Value::ofBoolean(true))}, {{Op::ElementBooleanValue, 1, false, 5, tessplug::FaultMode::CodeOnly}}, "B(TRUE) ;"},
    WriteCase{"real_and_decimal_getters_fail", {V("R", Value::ofReal(1)), V("D", Value::ofDecimal("1"))}, {{Op::ElementRealValue, 1}, {Op::ElementDecimalValue, 1}}, "R() D() ;"},
    WriteCase{"character_getter_fails", {C("A", "x")}, {{Op::ElementCharacterValue, 1}}, "A() ;"},
    WriteCase{"decimal_longer_than_256_is_not_retried", {V("D", Value::ofDecimal(std::string(300, '9'))), I("N", 1)}, {}, "D() N(1) ;"},
    WriteCase{"next_sibling_fails_after_second", {I("A", 1), I("B", 2), I("C", 3)}, {{Op::NextSibling, 2}}, "A(1) B(2) ;"},
    WriteCase{"first_child_fails", {I("A", 1)}, {{Op::FirstChild, 1}}, ";"},
    WriteCase{"root_fetch_fails", {I("A", 1)}, {{Op::RootElement, 1}}, ";"},
    WriteCase{"value_type_code_ignored", {I("A", 1)}, {{Op::ElementValueType, 1, false, 3, tessplug::FaultMode::CodeOnly}}, "A(1) ;"},
    // The name buffer is not carried over: a name that cannot be fetched
    // is written empty, never as the earlier child's name.
    WriteCase{"name_fetch_fails_after_longer_name", {I("LONGNAME", 1), I("B", 2)}, {{Op::ElementName, 2}}, "LONGNAME(1) (2) ;"},
    WriteCase{"converter_fails_for_name", {I("A", 1)}, {{Op::UcsToMbs, 1}}, "(1) ;"},
    // A converter that fails partway leaves its text unterminated: what it
    // wrote is written, never what the earlier, longer name left behind.
    WriteCase{"converter_stops_unterminated_after_longer_name", {I("ABCDEFGH", 1), I("XY", 2)}, {{Op::UcsToMbs, 2, false, rcFailure, tessplug::FaultMode::Unterminated}}, "ABCDEFGH(1) X(2) ;"},
    WriteCase{"converter_stops_unterminated_in_a_value", {C("A", "abcdefgh"), C("B", "wxyz")}, {{Op::UcsToMbs, 4, false, rcFailure, tessplug::FaultMode::Unterminated}}, "A(abcdefgh) B(wx) ;"},
    // Success with a full buffer and no terminator: the value ends within
    // the buffer.
    WriteCase{"character_value_fills_the_buffer_unterminated", {C("A", std::string(600, 'v'))}, {{Op::ElementCharacterValue, 1, false, rcSuccess, tessplug::FaultMode::Unterminated}}, "A(" + std::string(255, 'v') + ") ;"},
    WriteCase{"name_fills_the_buffer_unterminated", {I(std::string(600, 'N'), 1)}, {{Op::ElementName, 1, false, rcSuccess, tessplug::FaultMode::Unterminated}}, std::string(255, 'N') + "(1) ;"}),
    CaseName());
// clang-format on

// Names and values at the edges of the 256-unit fetch and of the stack
// areas, written whole (under the sanitizers, an overrun of an area shows).
class WriteEdgeLength : public ::testing::TestWithParam<int> {};

TEST_P(WriteEdgeLength, NameAndValueAreWrittenWhole) {
  std::string name(static_cast<size_t>(GetParam()), 'N');
  std::string value(static_cast<size_t>(GetParam()), 'v');
  std::string accented;
  for (int i = 0; i < GetParam(); ++i) accented += "\xc3\xa9";
  EXPECT_EQ(writeTree({C(name, value), C("E", accented)}),
            name + "(" + value + ") E(" + accented + ") ;");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Lengths, WriteEdgeLength, ::testing::Values(
    255,
    256,
    257));
// clang-format on

// The host counts the header's bytes in an int: past that, the items that
// fit are written, then ";" (the limit lowered here in place of a 2 GiB tree).
class LongestHeader : public ::testing::TestWithParam<std::pair<size_t, std::string>> {};

TEST_P(LongestHeader, KeepsTheItemsThatFitThenTheEnd) {
  auto* limit = static_cast<size_t*>(pluginSymbol("talmoLongestHeader"));
  ASSERT_NE(limit, nullptr);
  const size_t product = *limit;
  EXPECT_EQ(product, static_cast<size_t>(INT_MAX));
  *limit = GetParam().first;
  std::string written = writeTree({I("A", 1), I("B", 2), I("C", 3)});
  *limit = product;
  EXPECT_EQ(written, GetParam().second);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Limits, LongestHeader, ::testing::Values(
    std::make_pair(size_t{16}, "A(1) B(2) C(3) ;"),
    std::make_pair(size_t{15}, "A(1) B(2) ;"),
    std::make_pair(size_t{11}, "A(1) B(2) ;"),
    std::make_pair(size_t{10}, "A(1) ;"),
    std::make_pair(size_t{1}, ";")));
// clang-format on

TEST(WriteHeader, FailingAppendStillReturnsTheLength) {
  tessplug::Parser parser(talmoClass(), "");
  ASSERT_TRUE(parser.createContext());
  parser.addChild(parser.root(), "A", Value::ofInteger(1));
  tessplug::setFaults({{Op::AppendToBuffer, 1}});
  EXPECT_EQ(parser.writeBuffer(), 6);
  tessplug::clearFaults();
  EXPECT_TRUE(parser.output().empty());
}

TEST(WriteHeader, OneAppendPerCall) {
  writeTree({I("A", 1), C("B", "x")});
  tessplug::Parser parser(talmoClass(), "");
  ASSERT_TRUE(parser.createContext());
  parser.addChild(parser.root(), "A", Value::ofInteger(1));
  parser.addChild(parser.root(), "B", Value::ofInteger(2));
  tessplug::setFaults({});
  parser.writeBuffer();
  EXPECT_EQ(tessplug::callCount(Op::AppendToBuffer), 1);
}

TEST(WriteHeader, OnlyTheRootsChildrenAreWritten) {
  tessplug::Parser parser(talmoClass(), "");
  ASSERT_TRUE(parser.createContext());
  tessplug::Element* a = parser.addChild(parser.root(), "A", Value::ofInteger(1));
  parser.addChild(a, "INNER", Value::ofInteger(2));
  parser.writeBuffer();
  EXPECT_EQ(parser.outputText(), "A(1) ;");
}

// A value longer than the first 256 units is fetched again with 512, 1024,
// ... units and written whole.
TEST(WriteHeader, LongCharacterValueIsFetchedByDoublingAndWrittenWhole) {
  std::string value(70000, 'v');
  value[0] = 'a';
  value[69999] = 'z';
  tessplug::Parser parser(talmoClass(), "");
  ASSERT_TRUE(parser.createContext());
  parser.addChild(parser.root(), "A", Value::ofCharacter(value));
  tessplug::startCallLog();
  parser.writeBuffer();
  std::vector<long long> capacities;
  for (const auto& call : tessplug::stopCallLog()) {
    if (call.op == Op::ElementCharacterValue) capacities.push_back(call.number);
  }
  EXPECT_EQ(capacities, (std::vector<long long>{256, 512, 1024, 2048, 4096, 8192, 16384, 32768,
                                                65536, 131072}));
  EXPECT_EQ(parser.outputText(), "A(" + value + ") ;");
}

TEST(WriteHeader, NameOf256UnitsOrMoreIsWrittenWhole) {
  std::string longName(300, 'N');
  EXPECT_EQ(writeTree({I(longName, 1), I("B", 2)}), longName + "(1) B(2) ;");
  std::string exact(256, 'M');
  EXPECT_EQ(writeTree({I(exact, 1)}), exact + "(1) ;");
}

TEST(WriteHeader, GivesBackEveryBlockItTakes) {
  talmoClass();
  HeapSpy heap;
  writeTree({C("A", std::string(5000, 'x')), I(std::string(600, 'N'), 1),
             V("D", Value::ofDecimal("1.5")), V("T", Value::ofTime(1, 2, 3))});
  EXPECT_GT(heap.count(), 0);
  EXPECT_EQ(heap.outstanding(), 0);
}

// Growth of a value or name buffer that runs out of memory writes the item
// without that text and goes on.
TEST(WriteHeader, NoMemoryForALongValueWritesItEmpty) {
  talmoClass();
  HeapSpy heap;
  // 1: context, 2: text record, 3: its data, 4: the name's bytes, 5: value
  // buffer growth.
  heap.failAt(5);
  EXPECT_EQ(writeTree({C("A", std::string(300, 'x')), I("B", 2)}), "A() B(2) ;");
  EXPECT_EQ(heap.outstanding(), 0);
}

TEST(WriteHeader, NoMemoryForALongNameDropsTheItem) {
  talmoClass();
  HeapSpy heap;
  heap.failAt(4);  // after context, text record and data: the name buffer's growth
  EXPECT_EQ(writeTree({I(std::string(300, 'N'), 1), I("B", 2)}), "B(2) ;");
  EXPECT_EQ(heap.outstanding(), 0);
}

// A host that keeps saying "too small" cannot make the buffer size overflow.
TEST(WriteHeader, EndlessTooSmallStopsAtTheIntRange) {
  talmoClass();
  HeapSpy heap;
  EXPECT_EQ(writeTree({C("A", "x"), I("B", 2)}, {{Op::ElementCharacterValue, 1, true,
                                                  rcBufferTooSmall, tessplug::FaultMode::Fail}}),
            "A() B(2) ;");
  EXPECT_EQ(heap.outstanding(), 0);
}

// ---- Round trip ----

struct RoundTripCase {
  const char* name;
  std::string header;
  std::string written;
};
void PrintTo(const RoundTripCase& c, std::ostream* os) {
  *os << c.name;
}

class RoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(RoundTrip, WrittenTextReadsBackIntoTheSameTree) {
  tessplug::Round first = tessplug::parseThenWrite(talmoClass(), GetParam().header);
  EXPECT_EQ(first.written, GetParam().written);
  tessplug::Round second = tessplug::parseThenWrite(talmoClass(), first.written);
  EXPECT_EQ(second.offset, static_cast<int>(first.written.size()));
  EXPECT_EQ(second.tree, first.tree) << describe(first.tree) << describe(second.tree);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Headers, RoundTrip, ::testing::Values(
    RoundTripCase{"overview_example", "DATATYPE(X12) CLASS(NEXT) CONTROLNUM(000123) DATE(020315) TIME(101530);", "DATATYPE(X12) CLASS(NEXT) CONTROLNUM(123) DATE(020315) TIME(101530) ;"},
    RoundTripCase{"only_terminator", ";", ";"},
    RoundTripCase{"touching_items", "A(1)B(2);", "A(1) B(2) ;"},
    RoundTripCase{"blanks_kept", "MSGNAME( X );", "MSGNAME( X ) ;"},
    RoundTripCase{"empty_name_and_value", "(v)A();", "(v) A() ;"},
    RoundTripCase{"integers_lose_sign_and_zeros", "RECLEN(+0080)CONTROLNUM(-12);", "RECLEN(80) CONTROLNUM(-12) ;"},
    RoundTripCase{"semicolon_in_name", "A(1) B;C(2);", "A(1) B;C(2) ;"},
    RoundTripCase{"date_and_time_pairs", "DATE(991231) TIME(000000);", "DATE(991231) TIME(000000) ;"}),
    CaseName());
// clang-format on

// The Unix build reads UTF-8 and writes it back byte for byte; the Windows
// build reads each byte as the unit of the same value and writes UTF-8.
TEST(RoundTrip, NonAsciiBytes) {
  const std::string header =
      kWindowsBuild ? "\xa0X(caf\xe9);" : "NOM\xc3\x89(caf\xc3\xa9 \xe2\x82\xac);";
  const std::string written =
      kWindowsBuild ? "\xc2\xa0X(caf\xc3\xa9) ;" : "NOM\xc3\x89(caf\xc3\xa9 \xe2\x82\xac) ;";
  auto parser = parserOver(header);
  parser->parseBuffer(0);
  parser->writeBuffer();
  EXPECT_EQ(parser->outputText(), written);
}

// ---- The text buffer ----

struct BufferApi {
  NodeStringBuffer* (*alloc)() = pluginFunction<NodeStringBuffer*()>("NodeStringBufferAlloc");
  void (*free)(NodeStringBuffer*) = pluginFunction<void(NodeStringBuffer*)>("NodeStringBufferFree");
  void (*add)(NodeStringBuffer*, const char*) =
      pluginFunction<void(NodeStringBuffer*, const char*)>("NodeStringBufferAdd");
  void (*addChar)(NodeStringBuffer*,
                  char) = pluginFunction<void(NodeStringBuffer*, char)>("NodeStringBufferAddChar");
};

const BufferApi& buffers() {
  static const BufferApi api;
  return api;
}

struct GrowthCase {
  const char* name;
  size_t addBytes;  // one NodeStringBufferAdd of that many bytes on a new buffer
  unsigned capacity;
};
void PrintTo(const GrowthCase& c, std::ostream* os) {
  *os << c.name;
}

class BufferGrowth : public ::testing::TestWithParam<GrowthCase> {};

TEST_P(BufferGrowth, FollowsTheGrowthRule) {
  NodeStringBuffer* b = buffers().alloc();
  std::string text(GetParam().addBytes, 'x');
  buffers().add(b, text.c_str());
  EXPECT_EQ(b->length, GetParam().addBytes);
  EXPECT_EQ(b->capacity, GetParam().capacity);
  EXPECT_EQ(std::string(b->data), text);
  buffers().free(b);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Sizes, BufferGrowth, ::testing::Values(
    GrowthCase{"empty_keeps_32", 0, 32},
    GrowthCase{"bytes_30_keep_32", 30, 32},
    GrowthCase{"bytes_31_double_to_64", 31, 64},
    GrowthCase{"bytes_63_need_more_than_double", 63, 128},
    GrowthCase{"bytes_100_make_165", 100, 165}),
    CaseName());
// clang-format on

TEST(NodeStringBuffer, NewBufferIsEmptyWith32Bytes) {
  NodeStringBuffer* b = buffers().alloc();
  EXPECT_EQ(b->length, 0u);
  EXPECT_EQ(b->capacity, 32u);
  buffers().add(b, "");
  EXPECT_EQ(b->data[0], 0);
  EXPECT_EQ(b->length, 0u);
  buffers().free(b);
}

TEST(NodeStringBuffer, ThirtiethCharDoublesTheCapacity) {
  NodeStringBuffer* b = buffers().alloc();
  for (int i = 0; i < 29; ++i) buffers().addChar(b, 'a');
  EXPECT_EQ(b->capacity, 32u);
  buffers().addChar(b, 'b');
  EXPECT_EQ(b->capacity, 64u);
  EXPECT_EQ(b->length, 30u);
  buffers().free(b);
}

TEST(NodeStringBuffer, PiecesAppendInOrderAndZeroByteCounts) {
  NodeStringBuffer* b = buffers().alloc();
  buffers().add(b, "NAME");
  buffers().addChar(b, '(');
  buffers().addChar(b, '\0');
  buffers().add(b, std::string(200, 'v').c_str());
  buffers().addChar(b, ')');
  EXPECT_EQ(b->length, 4u + 1 + 1 + 200 + 1);
  EXPECT_EQ(std::string(b->data, b->length),
            "NAME(" + std::string(1, '\0') + std::string(200, 'v') + ")");
  EXPECT_EQ(b->data[b->length], 0);
  EXPECT_LE(b->length + 2, b->capacity);
  buffers().free(b);
}

struct DeathCase {
  const char* name;
  int failingAllocation;  // 1 the record, 2 the first data block, 3 growth
  int line;
};
void PrintTo(const DeathCase& c, std::ostream* os) {
  *os << c.name;
}

// The report names the bare file in the Unix build and the file's full path,
// as the compiler recorded it, in the Windows build.
std::string allocationReport(int line) {
  const std::string file = kWindowsBuild ? ".+.node_utils\\.cpp" : "node_utils\\.cpp";
  const std::string report =
      "Allocation Failed raised at " + file + ":" + std::to_string(line) + "\naborting\\.\\.\\.\n";
  // Unix: nothing else on the stream. The Windows run-time may add its own
  // words about the abort.
  return kWindowsBuild ? report : "^" + report + "$";
}

class BufferAllocationFailure : public ::testing::TestWithParam<DeathCase> {};

TEST_P(BufferAllocationFailure, ReportsTheLineAndAborts) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        HeapSpy heap;
        heap.failAt(GetParam().failingAllocation);
        NodeStringBuffer* b = buffers().alloc();
        buffers().add(b, std::string(40, 'x').c_str());
      },
      allocationReport(GetParam().line));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Allocations, BufferAllocationFailure, ::testing::Values(
    DeathCase{"record", 1, 76},
    DeathCase{"first_data_block", 2, 87},
    DeathCase{"growth", 3, 117}),
    CaseName());
// clang-format on

// The writer's own text buffer is the one whose failure aborts.
TEST(WriteHeaderDeathTest, NoMemoryForTheHeaderTextAborts) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        talmoClass();
        HeapSpy heap;
        heap.failAt(2);  // 1 is the context
        writeTree({I("A", 1)});
      },
      allocationReport(76));
}

}  // namespace
