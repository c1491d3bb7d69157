// The Windows deliverable itself, TALMOParser.dll, loaded by name as a host
// loads it: it registers, reads the Overview's header and writes it back.
// (The full suites run against its twin that exports the internal routines.)
#include <gtest/gtest.h>

#include "tessplug/host.h"

namespace {

TEST(Deliverable, RegistersReadsAndWrites) {
  std::string error;
  auto loaded = tessplug::loadParserClass(DELIVERABLE, "TALMO", error);
  ASSERT_TRUE(loaded) << error;
  EXPECT_EQ(tessplug::findPluginSymbol(loaded->plugin, "NodeStringBufferAlloc"), nullptr);
  const tessplug::ParserClass& c = *loaded->parserClass;
  EXPECT_EQ(c.factoryName, tessplug::toText("ComVornTALMOParserFactory"));

  const char header[] =
      "DATATYPE(X12) CLASS(NEXT) CONTROLNUM(000123) DATE(020315) TIME(101530);ISA*";
  tessplug::Round round = tessplug::parseThenWrite(c, header);
  EXPECT_EQ(round.offset, 71);
  EXPECT_EQ(round.tree.children.size(), 5u);
  EXPECT_EQ(round.length, 69);
  EXPECT_EQ(round.written, "DATATYPE(X12) CLASS(NEXT) CONTROLNUM(123) DATE(020315) TIME(101530) ;");

  tessplug::Parser parser(c, header);
  ASSERT_TRUE(parser.createContext());
  parser.parseBuffer(0);
  tessplug::Text next = parser.nextParserClassName(5);
  EXPECT_EQ(next, (tessplug::Text{'N', 'E', 'X', 'T', 0}));
}

}  // namespace
