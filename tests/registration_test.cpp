// Registration: what a host sees when it calls the entry point.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "plugin.h"

namespace {

using namespace talmo_test;
using tessplug::Op;

// The host calls the entry point makes, the name conversions left out: the
// constants are built once per process, so whether they show depends on
// which test ran first.
std::vector<std::string> registrationCalls() {
  std::vector<std::string> calls;
  for (const auto& call : tessplug::stopCallLog()) {
    if (call.op != Op::MbsToUcs) calls.push_back(tessplug::describe(call));
  }
  return calls;
}

class Registration : public ::testing::Test {
 protected:
  void SetUp() override { tessplug::resetRegistry(); }
  void TearDown() override {
    tessplug::clearFaults();
    tessplug::resetRegistry();
  }
};

TEST_F(Registration, AsksForTheFactoryAndDefinesTheClass) {
  tessplug::startCallLog();
  CciFactory* factory = tessplug::callEntryPoint(plugin());
  EXPECT_NE(factory, nullptr);
  EXPECT_EQ(registrationCalls(),
            (std::vector<std::string>{"cpiCreateParserFactory \"ComVornTALMOParserFactory\"",
                                      "cpiDefineParserClass \"TALMO\""}));
  EXPECT_EQ(tessplug::factoryNames(), std::vector<Text>{T("ComVornTALMOParserFactory")});
  ASSERT_NE(tessplug::findParserClass(T("TALMO")), nullptr);
  EXPECT_EQ(tessplug::findParserClass(T("TALMO"))->factoryName, T("ComVornTALMOParserFactory"));
}

TEST_F(Registration, TableHasElevenCallbacksAndFourEmptySlots) {
  tessplug::callEntryPoint(plugin());
  const ParserCallbackTable* table = tessplug::findParserClass(T("TALMO"))->table;
  ASSERT_NE(table, nullptr);
  EXPECT_NE(table->createContext, nullptr);
  EXPECT_NE(table->deleteContext, nullptr);
  EXPECT_NE(table->parseBuffer, nullptr);
  EXPECT_NE(table->parseFirstChild, nullptr);
  EXPECT_NE(table->parseLastChild, nullptr);
  EXPECT_NE(table->parseLeftSibling, nullptr);
  EXPECT_NE(table->parseRightSibling, nullptr);
  EXPECT_NE(table->writeBuffer, nullptr);
  EXPECT_EQ(table->reserved9, nullptr);
  EXPECT_EQ(table->reserved10, nullptr);
  EXPECT_NE(table->nextParserClassName, nullptr);
  EXPECT_NE(table->setNextParserClassName, nullptr);
  EXPECT_EQ(table->reserved13, nullptr);
  EXPECT_EQ(table->reserved14, nullptr);
  EXPECT_NE(table->parserType, nullptr);
}

TEST_F(Registration, FailingFactoryCreationGivesZeroAndNoClass) {
  tessplug::setFaults({{Op::CreateParserFactory, 1}});
  EXPECT_EQ(tessplug::callEntryPoint(plugin()), nullptr);
  EXPECT_EQ(tessplug::callCount(Op::CreateParserFactory), 1);
  EXPECT_EQ(tessplug::callCount(Op::DefineParserClass), 0);
  EXPECT_EQ(tessplug::findParserClass(T("TALMO")), nullptr);
}

TEST_F(Registration, FailingClassDefinitionStillReturnsTheFactory) {
  tessplug::setFaults({{Op::DefineParserClass, 1}});
  EXPECT_NE(tessplug::callEntryPoint(plugin()), nullptr);
  EXPECT_EQ(tessplug::callCount(Op::DefineParserClass), 1);
}

TEST_F(Registration, SecondCallRefillsTheSameTableAndAsksAgain) {
  CciFactory* first = tessplug::callEntryPoint(plugin());
  const ParserCallbackTable* table = tessplug::findParserClass(T("TALMO"))->table;
  const ParserCallbackTable before = *table;
  // A host may scribble on the table it was given; the entry point restores it.
  const_cast<ParserCallbackTable*>(table)->parseBuffer = nullptr;
  tessplug::startCallLog();
  CciFactory* second = tessplug::callEntryPoint(plugin());
  EXPECT_EQ(registrationCalls(),
            (std::vector<std::string>{"cpiCreateParserFactory \"ComVornTALMOParserFactory\"",
                                      "cpiDefineParserClass \"TALMO\""}));
  EXPECT_EQ(second, first);
  EXPECT_EQ(tessplug::findParserClass(T("TALMO"))->table, table);
  EXPECT_EQ(memcmp(table, &before, sizeof before), 0);
}

// Runs in a fresh process, where the name constants are not built yet: a
// host whose converter fails while they are built gets no factory, and a
// later call, with the converter working again, registers normally.
TEST(RegistrationDeathTest, ConverterFailureWhileBuildingNamesRegistersNothing) {
  if (kWindowsBuild) GTEST_SKIP() << "the Windows build's names are static literals";
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        tessplug::setFaults({{Op::MbsToUcs, 3}});
        bool none = tessplug::callEntryPoint(plugin()) == nullptr &&
                    tessplug::callCount(Op::CreateParserFactory) == 0;
        tessplug::clearFaults();
        bool later = tessplug::callEntryPoint(plugin()) != nullptr &&
                     tessplug::findParserClass(T("TALMO")) != nullptr;
        std::exit(none && later ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
