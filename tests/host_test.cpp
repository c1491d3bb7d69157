// The stand-in host itself: the promises of the host interface that the
// plug-in's tests lean on.
#include <gtest/gtest.h>

#include "plugin.h"

namespace {

using namespace talmo_test;
using tessplug::Op;

struct MbsCase {
  const char* name;
  std::string source;
  int count;
  Text expected;  // the count units afterwards (the target starts as 0x7777)
  int written;
  bool ok;
};
void PrintTo(const MbsCase& c, std::ostream* os) {
  *os << c.name;
}

class HostMbsToUcs : public ::testing::TestWithParam<MbsCase> {};

TEST_P(HostMbsToUcs, WritesAtMostCountUnits) {
  const MbsCase& c = GetParam();
  Text target(static_cast<size_t>(c.count), 0x7777);
  int rc = -1;
  EXPECT_EQ(cciMbsToUcs(&rc, c.source.c_str(), target.data(), c.count, codePageUtf8), c.written);
  EXPECT_EQ(rc == 0, c.ok) << rc;
  EXPECT_EQ(target, c.expected);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, HostMbsToUcs, ::testing::Values(
    MbsCase{"fits_with_terminator", "AB", 3, Text{'A', 'B', 0}, 2, true},
    MbsCase{"room_to_spare", "AB", 4, Text{'A', 'B', 0, 0x7777}, 2, true},
    MbsCase{"exact_fit_no_terminator", "AB", 2, Text{'A', 'B'}, 2, true},
    MbsCase{"cut", "ABCD", 2, Text{'A', 'B'}, 2, true},
    MbsCase{"two_byte_sequence", "\xc3\xa9", 2, Text{0xE9, 0}, 1, true},
    MbsCase{"invalid_byte", "\xff", 2, Text{0xFFFD, 0}, 1, false}),
    CaseName());
// clang-format on

TEST(HostConverters, UnknownCodePageFails) {
  CciChar units[4];
  char bytes[4];
  int rc = 0;
  cciMbsToUcs(&rc, "A", units, 4, 437);
  EXPECT_NE(rc, 0);
  rc = 0;
  const CciChar text[] = {'A', 0};
  cciUcsToMbs(&rc, text, bytes, 4, 1252);
  EXPECT_NE(rc, 0);
}

TEST(HostConverters, UcsToMbsWritesWholeCharactersOnly) {
  const CciChar text[] = {'A', 0x20AC, 0};
  char bytes[4] = {9, 9, 9, 9};
  int rc = -1;
  EXPECT_EQ(cciUcsToMbs(&rc, text, bytes, 3, codePageUtf8), 1);
  EXPECT_EQ(bytes[0], 'A');
  char whole[8];
  EXPECT_EQ(cciUcsToMbs(&rc, text, whole, 8, codePageUtf8), 4);
  EXPECT_EQ(rc, 0);
  EXPECT_STREQ(whole, "A\xe2\x82\xac");
}

TEST(HostOperations, NullHandlesFailWithoutCrash) {
  int rc = 0;
  EXPECT_EQ(cpiFirstChild(&rc, nullptr), nullptr);
  EXPECT_NE(rc, 0);
  rc = 0;
  EXPECT_EQ(cpiBufferByte(&rc, nullptr, 0), 0);
  EXPECT_NE(rc, 0);
  rc = 0;
  cpiAddAsLastChild(&rc, nullptr, nullptr);
  EXPECT_NE(rc, 0);
}

TEST(HostOperations, SuccessSetsZero) {
  tessplug::Parser parser(talmoClass(), "AB");
  int rc = -1;
  EXPECT_EQ(cpiBufferByte(&rc, parser.handle(), 1), 'B');
  EXPECT_EQ(rc, 0);
  rc = -1;
  EXPECT_EQ(cpiBufferByte(&rc, parser.handle(), 2), 0);
  EXPECT_NE(rc, 0);
}

TEST(HostOperations, ElementJoinsOneParentOnly) {
  tessplug::Parser parser(talmoClass(), "");
  int rc = 0;
  CciElement* child = cpiCreateElement(&rc, parser.handle());
  CciElement* root = tessplug::handle(parser.root());
  cpiAddAsLastChild(&rc, root, child);
  EXPECT_EQ(rc, 0);
  cpiAddAsLastChild(&rc, root, child);
  EXPECT_NE(rc, 0);
  cpiAddAsLastChild(&rc, child, root);
  EXPECT_NE(rc, 0);
  EXPECT_EQ(tessplug::snapshot(parser.root()).children.size(), 1u);
}

TEST(HostOperations, CharacterValueTooSmallReportsTwentyTwo) {
  tessplug::Parser parser(talmoClass(), "");
  tessplug::Element* e = parser.addChild(parser.root(), "A", tessplug::Value::ofCharacter("abcd"));
  CciChar buffer[4] = {9, 9, 9, 9};
  int rc = 0;
  cpiElementCharacterValue(&rc, tessplug::handle(e), buffer, 4);
  EXPECT_EQ(rc, rcBufferTooSmall);
  EXPECT_EQ(Text(buffer, 4), (Text{9, 9, 9, 9}));
  CciChar room[5];
  EXPECT_EQ(cpiElementCharacterValue(&rc, tessplug::handle(e), room, 5), 4);
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(Text(room), T("abcd"));
}

TEST(HostFaults, NthCallOnwardAndCodeOnly) {
  tessplug::Parser parser(talmoClass(), "ABC");
  tessplug::setFaults({{Op::BufferByte, 2, false, 7}, {Op::BufferSize, 1, true, 9}});
  int rc = 0;
  EXPECT_EQ(cpiBufferByte(&rc, parser.handle(), 0), 'A');
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(cpiBufferByte(&rc, parser.handle(), 1), 0);
  EXPECT_EQ(rc, 7);
  EXPECT_EQ(cpiBufferByte(&rc, parser.handle(), 2), 'C');
  EXPECT_EQ(rc, 0);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(cpiBufferSize(&rc, parser.handle()), 0);
    EXPECT_EQ(rc, 9);
  }
  tessplug::setFaults({{Op::BufferSize, 1, false, 5, tessplug::FaultMode::CodeOnly}});
  EXPECT_EQ(cpiBufferSize(&rc, parser.handle()), 3);
  EXPECT_EQ(rc, 5);
  EXPECT_EQ(tessplug::callCount(Op::BufferSize), 1);
  tessplug::clearFaults();
}

}  // namespace
