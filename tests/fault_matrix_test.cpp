// Every host operation the plug-in calls, failing at each of its calls in
// turn, during a parse and during a write; and every allocation the plug-in
// makes, failing in turn. Nothing may crash, leak or touch memory out of
// bounds (the sanitizer and valgrind runs watch that), and where the
// behaviour under a failure is prescribed, the output must be it.
#include <gtest/gtest.h>

#include <iostream>
#include <map>

#include "heap.h"
#include "plugin.h"

namespace {

using namespace talmo_test;
using tessplug::Fault;
using tessplug::FaultMode;
using tessplug::Op;
using tessplug::Value;

const char kExample[] =
    "DATATYPE(X12) CLASS(NEXT) CONTROLNUM(000123) DATE(020315) TIME(101530);BODY";

struct Child {
  const char* name;
  Value value;
  const char* failedText;  // what stands between the parentheses when its getter fails
  Op getter;
};

// One child of every value type the host holds, each with its own getter.
const std::vector<Child>& everyType() {
  static const std::vector<Child> children = {
      {"B", Value::ofBoolean(true), "FALSE", Op::ElementBooleanValue},
      {"I", Value::ofInteger(-42), "", Op::ElementIntegerValue},
      {"R", Value::ofReal(1.5), "", Op::ElementRealValue},
      {"D", Value::ofDecimal("12.50"), "", Op::ElementDecimalValue},
      {"C", Value::ofCharacter("X12"), "", Op::ElementCharacterValue},
      {"T", Value::ofTime(10, 15, 30.0f), "<time>", Op::ElementTimeValue},
      {"DT", Value::ofDate(2002, 3, 15), "<date>", Op::ElementDateValue},
      {"TS", Value::ofTimestamp(), "<timestamp>", Op::ElementValueType},
      {"BIN", Value::ofBinary({1}), "<binary>", Op::ElementValueType},
      {"U", Value::ofCode(11), "<unknown>", Op::ElementValueType},
  };
  return children;
}

const char kEveryTypeText[] =
    "B(TRUE) I(-42) R(1.5000000000000000) D(12.50) C(X12) T(101530) DT(020315) "
    "TS(<timestamp>) BIN(<binary>) U(<unknown>) ;";

struct ParseOutcome {
  int offset;
  tessplug::Tree tree;
  std::string next;
};

ParseOutcome runParse(const std::vector<Fault>& faults) {
  auto parser = parserOver(kExample);
  tessplug::setFaults(faults);
  int offset = parser->parseBuffer(0);
  Text next = parser->nextParserClassName(16);
  tessplug::clearFaults();
  return {offset, tessplug::snapshot(parser->root()), U(next.substr(0, next.find(CciChar(0))))};
}

struct WriteOutcome {
  int length;
  std::string text;
};

WriteOutcome writeOutcome(const std::vector<Fault>& faults, size_t childCount = SIZE_MAX) {
  tessplug::Parser parser(talmoClass(), "");
  EXPECT_TRUE(parser.createContext());
  for (size_t i = 0; i < everyType().size() && i < childCount; ++i) {
    parser.addChild(parser.root(), everyType()[i].name, everyType()[i].value);
  }
  tessplug::setFaults(faults);
  int length = parser.writeBuffer();
  tessplug::clearFaults();
  return {length, parser.outputText()};
}

// The text a write appends; the result is its length.
std::string runWrite(const std::vector<Fault>& faults, size_t childCount = SIZE_MAX) {
  WriteOutcome outcome = writeOutcome(faults, childCount);
  EXPECT_EQ(outcome.length, static_cast<int>(outcome.text.size()));
  return outcome.text;
}

// The calls of each operation that a clean run makes.
template <class F>
std::map<Op, int> callsOf(F run) {
  tessplug::startCallLog();
  run();
  std::map<Op, int> counts;
  for (const tessplug::Call& call : tessplug::stopCallLog()) ++counts[call.op];
  return counts;
}

// The header written when the getter of child `failed` fails.
std::string withFailedValue(size_t failed) {
  std::string text;
  for (size_t i = 0; i < everyType().size(); ++i) {
    const Child& c = everyType()[i];
    std::string one = runWrite({}, i + 1);
    std::string item = one.substr(0, one.size() - 1);  // without ";"
    item = item.substr(item.rfind(std::string(c.name) + "("));
    text += i == failed ? std::string(c.name) + "(" + c.failedText + ") " : item;
  }
  return text + ";";
}

TEST(FaultMatrix, ParseUnderEveryFailingHostCall) {
  int injected = 0;
  talmoClass();
  const ParseOutcome clean = runParse({});
  ASSERT_EQ(clean.offset, 71);
  const auto calls = callsOf([] { runParse({}); });
  ASSERT_FALSE(calls.empty());
  for (const auto& [op, count] : calls) {
    for (int n = 1; n <= count; ++n) {
      for (FaultMode mode : {FaultMode::Fail, FaultMode::CodeOnly}) {
        SCOPED_TRACE(std::string(tessplug::opName(op)) + " call " + std::to_string(n) +
                     (mode == FaultMode::Fail ? " fails" : " reports a failure"));
        HeapSpy heap;
        ParseOutcome outcome = runParse({{op, n, false, rcFailure, mode}});
        ++injected;
        EXPECT_EQ(heap.outstanding(), 0);
        EXPECT_GE(outcome.offset, 0);
        EXPECT_LE(outcome.offset, static_cast<int>(sizeof kExample - 1));
        // The parser reads no return code: a call that does its work and
        // only reports a failure changes nothing.
        if (mode == FaultMode::CodeOnly) {
          EXPECT_EQ(outcome.offset, clean.offset);
          EXPECT_EQ(outcome.tree, clean.tree);
          EXPECT_EQ(outcome.next, clean.next);
        }
      }
    }
  }
  RecordProperty("faults_injected", injected);
  std::cout << "parse: " << injected << " (operation, call, mode) faults injected\n";
}

TEST(FaultMatrix, WriteUnderEveryFailingHostCall) {
  int injected = 0;
  talmoClass();
  ASSERT_EQ(runWrite({}), kEveryTypeText);
  const auto calls = callsOf([] { runWrite({}); });
  for (const auto& [op, count] : calls) {
    for (int n = 1; n <= count; ++n) {
      for (FaultMode mode : {FaultMode::Fail, FaultMode::CodeOnly}) {
        SCOPED_TRACE(std::string(tessplug::opName(op)) + " call " + std::to_string(n) +
                     (mode == FaultMode::Fail ? " fails" : " reports a failure"));
        HeapSpy heap;
        if (op == Op::AppendToBuffer) {
          // Nothing reaches the stream; the result is the length all the same.
          WriteOutcome outcome = writeOutcome({{op, n, false, rcFailure, mode}});
          ++injected;
          EXPECT_EQ(outcome.length, static_cast<int>(sizeof kEveryTypeText - 1));
          EXPECT_EQ(outcome.text, mode == FaultMode::Fail ? "" : kEveryTypeText);
          EXPECT_EQ(heap.outstanding(), 0);
          continue;
        }
        std::string text = runWrite({{op, n, false, rcFailure, mode}});
        ++injected;
        EXPECT_EQ(heap.outstanding(), 0);
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(text.back(), ';');
        if (op == Op::FirstChild || (op == Op::RootElement && mode == FaultMode::Fail)) {
          EXPECT_EQ(text, ";");
        } else if (op == Op::RootElement) {
          EXPECT_EQ(text, kEveryTypeText);  // the first-child fetch's code replaces its code
        } else if (op == Op::ElementBooleanValue) {
          // The returned word decides, whatever the code: a getter that
          // fails gives 0.
          EXPECT_EQ(text, mode == FaultMode::Fail ? withFailedValue(0) : kEveryTypeText);
        } else if (op == Op::NextSibling) {
          // The items written so far, then ";".
          EXPECT_EQ(text, runWrite({}, static_cast<size_t>(n)));
        } else if (op == Op::ElementValueType && mode == FaultMode::CodeOnly) {
          EXPECT_EQ(text, kEveryTypeText);  // its code is not consulted
        } else {
          for (size_t i = 0; i < everyType().size(); ++i) {
            if (everyType()[i].getter == op && op != Op::ElementValueType) {
              EXPECT_EQ(text, withFailedValue(i));
            }
          }
        }
      }
    }
  }
  RecordProperty("faults_injected", injected);
  std::cout << "write: " << injected << " (operation, call, mode) faults injected\n";
}

// ---- Allocations ----

void expectEveryAllocationFailureHandled(const std::function<void()>& run,
                                         const std::function<bool(int, char)>& aborts) {
  int total = 0;
  std::string kinds;
  {
    HeapSpy heap;
    run();
    total = heap.count();
    kinds = heap.kinds();
  }
  ASSERT_GT(total, 0);
  for (int n = 1; n <= total; ++n) {
    if (aborts(n, kinds[static_cast<size_t>(n - 1)])) continue;  // death tests cover these
    SCOPED_TRACE("allocation " + std::to_string(n) + " of " + std::to_string(total));
    HeapSpy heap;
    heap.failAt(n);
    run();
    EXPECT_EQ(heap.outstanding(), 0);
  }
}

TEST(AllocationFailure, EveryAllocationOfAParse) {
  auto parser = parserOver(std::string(kExample) + " A(" + std::string(400, 'v') + ")");
  expectEveryAllocationFailureHandled(
      [&] {
        parser->parseBuffer(0);
        parser->parseBuffer(71);
      },
      [](int, char) { return false; });
}

TEST(AllocationFailure, EveryAllocationOfAWriteButTheTextBuffer) {
  talmoClass();
  tessplug::Parser parser(talmoClass(), "");
  ASSERT_TRUE(parser.createContext());
  for (const Child& c : everyType()) parser.addChild(parser.root(), c.name, c.value);
  parser.addChild(parser.root(), std::string(300, 'N'), Value::ofCharacter(std::string(700, 'v')));
  // The text buffer's record and first block come first, and only it
  // reallocates; its failures end the process (the death tests).
  expectEveryAllocationFailureHandled([&] { parser.writeBuffer(); },
                                      [](int n, char kind) { return n <= 2 || kind == 'r'; });
}

}  // namespace
