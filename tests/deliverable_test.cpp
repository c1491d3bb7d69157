// The Windows deliverable itself, TALMOParser.dll, loaded by name as a host
// loads it: it registers, reads the Overview's header and writes it back.
// (The full suites run against its twin that exports the internal routines.)
#include <gtest/gtest.h>

#include "tessplug/host.h"

namespace {

TEST(Deliverable, RegistersReadsAndWrites) {
  std::string error;
  auto plugin = tessplug::loadPlugin(DELIVERABLE, error);
  ASSERT_TRUE(plugin) << error;
  EXPECT_EQ(tessplug::findPluginSymbol(*plugin, "NodeStringBufferAlloc"), nullptr);
  ASSERT_NE(tessplug::callEntryPoint(*plugin), nullptr);
  const tessplug::ParserClass* c = tessplug::findParserClass(tessplug::toText("TALMO"));
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->factoryName, tessplug::toText("ComVornTALMOParserFactory"));

  tessplug::Parser parser(
      *c, "DATATYPE(X12) CLASS(NEXT) CONTROLNUM(000123) DATE(020315) TIME(101530);ISA*");
  ASSERT_TRUE(parser.createContext());
  EXPECT_EQ(parser.parseBuffer(0), 71);
  EXPECT_EQ(tessplug::snapshot(parser.root()).children.size(), 5u);
  tessplug::Text next = parser.nextParserClassName(5);
  EXPECT_EQ(next, (tessplug::Text{'N', 'E', 'X', 'T', 0}));
  EXPECT_EQ(parser.writeBuffer(), 69);
  EXPECT_EQ(parser.outputText(),
            "DATATYPE(X12) CLASS(NEXT) CONTROLNUM(123) DATE(020315) TIME(101530) ;");
}

}  // namespace
