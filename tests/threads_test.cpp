// Different contexts on different threads at once: eight threads, each with
// its own parsers, read and write thousands of headers and must get what one
// thread gets. Run under ThreadSanitizer by the test command.
#include <gtest/gtest.h>

#include <thread>

#include "plugin.h"

namespace {

using namespace talmo_test;

struct Result {
  int offset;
  tessplug::Tree tree;
  Text next;
  std::string written;
};

Result parseAndWrite(const std::string& header) {
  tessplug::Parser parser(talmoClass(), header);
  if (!parser.createContext()) return {};
  Result r;
  r.offset = parser.parseBuffer(0);
  r.tree = tessplug::snapshot(parser.root());
  r.next = parser.nextParserClassName(16);
  parser.writeBuffer();
  r.written = parser.outputText();
  return r;
}

std::vector<std::string> headers() {
  std::vector<std::string> all = {
      "DATATYPE(X12) CLASS(NEXT) CONTROLNUM(000123) DATE(020315) TIME(101530);ISA*",
      "CLASS(EDIFACT) RECLEN(80) SENDER(5412345000013) DATE(261211);UNA",
      "MSGNAME( X ) A(x(y) B;C(2);",
      "NOM\xc3\x89(caf\xc3\xa9) CLASS(ABCDEFGHIJKLMNOPQRST);",
      "TIME(12 3 4) DATE(20240101) RECLEN(4294967296)",
      ";",
  };
  for (int i = 0; i < 40; ++i) {
    all.push_back("CONTROLNUM(" + std::to_string(i * 7919) + ") CLASS(C" + std::to_string(i) +
                  ") UNIQUEID(" + std::string(static_cast<size_t>(i * 13), 'u') + ");");
  }
  return all;
}

TEST(Threads, EightThreadsGetWhatOneThreadGets) {
  const std::vector<std::string> all = headers();
  std::vector<Result> expected;
  for (const std::string& h : all) expected.push_back(parseAndWrite(h));

  const int kThreads = 8;
  const int kRounds = 60;  // 60 x 46 headers a thread
  std::vector<int> mismatches(kThreads, 0);
  std::vector<int> done(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < kRounds; ++round) {
        for (size_t i = 0; i < all.size(); ++i) {
          size_t k = (i + static_cast<size_t>(t) * 5) % all.size();
          Result r = parseAndWrite(all[k]);
          const Result& e = expected[k];
          if (r.offset != e.offset || !(r.tree == e.tree) || r.next != e.next ||
              r.written != e.written) {
            ++mismatches[static_cast<size_t>(t)];
          }
          ++done[static_cast<size_t>(t)];
        }
      }
    });
  }
  for (std::thread& th : threads) th.join();
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_EQ(mismatches[static_cast<size_t>(t)], 0) << "thread " << t;
    EXPECT_EQ(done[static_cast<size_t>(t)], kRounds * static_cast<int>(all.size()));
  }
}

// One context serves parse after parse; another on the same thread between
// them changes nothing.
TEST(Threads, ContextsKeepTheirOwnState) {
  auto a = parserOver("CLASS(AAA);");
  auto b = parserOver("CLASS(BBB);");
  a->parseBuffer(0);
  b->parseBuffer(0);
  EXPECT_EQ(a->nextParserClassName(4), T("AAA") + Text(1, 0));
  EXPECT_EQ(b->nextParserClassName(4), T("BBB") + Text(1, 0));
}

}  // namespace
