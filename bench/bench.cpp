// The cost of a header: parse, write, and parse-then-write through the
// loaded plug-in, beside two references measured in the same run:
//   floor    exactly the host calls the plug-in made for that header,
//            recorded and issued again directly (bench/replay.h);
//   scanner  a plain single pass over the same bytes (or, for writing, a
//            plain concatenation of the same texts) with no host calls.
// After the runs it prints plug-in / floor, plug-in / scanner and ns per byte
// for every input.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>

#include "replay.h"
#include "tessplug/host.h"

namespace {

using tessplug::Parser;

const tessplug::ParserClass& talmoClass() {
  static const tessplug::ParserClass* parserClass = [] {
    std::string error;
    auto loaded = tessplug::loadParserClass(TALMO_PLUGIN_PATH, "TALMO", error);
    if (!loaded) {
      std::fprintf(stderr, "%s\n", error.c_str());
      std::exit(2);
    }
    return loaded->parserClass;
  }();
  return *parserClass;
}

const char kExample[] = "DATATYPE(X12) CLASS(NEXT) CONTROLNUM(000123) DATE(020315) TIME(101530);";

struct Input {
  std::string name;
  std::string header;
  size_t written = 0;  // bytes the plug-in writes for it
};

std::vector<Input> inputs() {
  // "empty" is the fixed cost of a header and "value_0B" that of a header of
  // one empty value: taken off the items_* and value_* inputs, they leave the
  // cost that grows with the size.
  std::vector<Input> all = {{"example", kExample}, {"empty", ";"}, {"value_0B", "SENDER();"}};
  const char* const items[] = {"DATATYPE(X12) ", "CLASS(NEXT) ", "CONTROLNUM(000123) ",
                               "DATE(020315) ", "TIME(101530) "};
  for (int n : {1, 10, 100, 1000, 10000}) {
    std::string header;
    for (int i = 0; i < n; ++i) header += items[i % 5];
    all.push_back({"items_" + std::to_string(n), header + ";"});
  }
  const std::pair<const char*, size_t> values[] = {
      {"value_16B", 16}, {"value_1KiB", 1024}, {"value_64KiB", 65536}, {"value_1MiB", 1 << 20}};
  for (const auto& [name, size] : values) {
    std::string value(size, 'v');
    for (size_t i = 0; i < size; i += 7) value[i] = static_cast<char>('A' + i % 26);
    all.push_back({name, "SENDER(" + value + ");"});
  }
  for (Input& input : all) {
    Parser parser(talmoClass(), input.header);
    parser.createContext();
    parser.parseBuffer(0);
    input.written = static_cast<size_t>(parser.writeBuffer());
  }
  return all;
}

// ---- The three kinds of run ----
//
// Each makes its state once and returns one run of the work; Google
// Benchmark times the runs, and so does the paired measurement below.

using Run = std::function<void()>;

// The plug-in through its callbacks.
Run pluginRun(const std::string& phase, const Input& input) {
  auto parser = std::make_shared<Parser>(talmoClass(), input.header);
  parser->createContext();
  if (phase == "parse") {
    return [parser] {
      parser->reset();
      benchmark::DoNotOptimize(parser->parseBuffer(0));
    };
  }
  if (phase == "write") {
    parser->parseBuffer(0);
    return [parser] {
      parser->clearOutput();
      benchmark::DoNotOptimize(parser->writeBuffer());
    };
  }
  return [parser] {
    parser->reset();
    parser->parseBuffer(0);
    benchmark::DoNotOptimize(parser->writeBuffer());
  };
}

// The floor: the host calls the plug-in made for this input, replayed.
Run floorRun(const std::string& phase, const Input& input) {
  auto program = std::make_shared<talmo_bench::Program>();
  size_t parseSteps = 0;
  {
    Parser parser(talmoClass(), input.header);
    parser.createContext();
    tessplug::startCallLog();
    parser.parseBuffer(0);
    program->add(tessplug::stopCallLog());
    parseSteps = program->size();
    tessplug::startCallLog();
    parser.writeBuffer();
    program->add(tessplug::stopCallLog());
  }
  auto parser = std::make_shared<Parser>(talmoClass(), input.header);
  if (phase == "parse") {
    return [parser, program, parseSteps] {
      parser->reset();
      program->replay(*parser, 0, parseSteps);
    };
  }
  if (phase == "write") {
    program->replay(*parser, 0, parseSteps);
    return [parser, program, parseSteps] {
      parser->clearOutput();
      program->replay(*parser, parseSteps, program->size());
    };
  }
  return [parser, program] {
    parser->reset();
    program->replay(*parser, 0, program->size());
  };
}

struct Span {
  size_t name, nameLength, value, valueLength;
};

// Finds the items of the header in one pass, by the plug-in's syntax.
size_t scan(const std::string& bytes, std::vector<Span>& items) {
  items.clear();
  size_t i = 0;
  const size_t n = bytes.size();
  for (;;) {
    while (i < n && (bytes[i] == ' ' || (bytes[i] >= '\t' && bytes[i] <= '\r'))) ++i;
    if (i >= n) return i;
    if (bytes[i] == ';') return i + 1;
    size_t name = i;
    while (i < n && bytes[i] != '(') ++i;
    if (i >= n) return i;
    size_t value = ++i;
    while (i < n && bytes[i] != ')') ++i;
    items.push_back({name, value - 1 - name, value, i - value});
    if (i < n) ++i;
  }
}

// The items' texts again, one blank after each, and ";".
void concatenate(const std::string& bytes, const std::vector<Span>& items, std::string& out) {
  out.clear();
  for (const Span& s : items) {
    out.append(bytes, s.name, s.nameLength);
    out += '(';
    out.append(bytes, s.value, s.valueLength);
    out += ") ";
  }
  out += ';';
}

// The scanner: one pass over the bytes (and a plain concatenation for
// writing), with no host calls.
Run scannerRun(const std::string& phase, const Input& input) {
  struct State {
    std::vector<Span> items;
    std::string out;
  };
  auto state = std::make_shared<State>();
  const std::string* bytes = &input.header;
  if (phase == "parse") {
    return [state, bytes] { benchmark::DoNotOptimize(scan(*bytes, state->items)); };
  }
  if (phase == "write") {
    scan(*bytes, state->items);
    return [state, bytes] {
      concatenate(*bytes, state->items, state->out);
      benchmark::DoNotOptimize(state->out.data());
    };
  }
  return [state, bytes] {
    scan(*bytes, state->items);
    concatenate(*bytes, state->items, state->out);
    benchmark::DoNotOptimize(state->out.data());
  };
}

Run makeRun(const std::string& kind, const std::string& phase, const Input& input) {
  if (kind == "plugin") return pluginRun(phase, input);
  if (kind == "floor") return floorRun(phase, input);
  return scannerRun(phase, input);
}

const char* const kPhases[] = {"parse", "write", "parse_write"};
const char* const kKinds[] = {"plugin", "floor", "scanner"};

double bytesOf(const std::string& phase, const Input& input) {
  return static_cast<double>(phase == "write" ? input.written : input.header.size());
}

// ---- Ratios ----
//
// Measured apart from Google Benchmark's runs, which run one benchmark after
// another: on a shared machine a ratio of two such runs carries whatever
// changed between them. Here the three kinds take turns in short slices, 30
// rounds of them, and each keeps its fastest slice, the least disturbed one.

struct Times {
  double plugin = 0, floor = 0, scanner = 0;
};

double secondsOf(const Run& run, long count) {
  auto start = std::chrono::steady_clock::now();
  for (long i = 0; i < count; ++i) run();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

Times measure(const std::string& phase, const Input& input) {
  Run runs[3] = {pluginRun(phase, input), floorRun(phase, input), scannerRun(phase, input)};
  long count[3];
  double best[3];
  for (int k = 0; k < 3; ++k) {
    runs[k]();  // warm up
    count[k] = 1;
    while (secondsOf(runs[k], count[k]) < 0.003 && count[k] < (1L << 30)) count[k] *= 2;
    best[k] = 1e300;
  }
  for (int round = 0; round < 30; ++round) {
    for (int k = 0; k < 3; ++k) {
      best[k] =
          std::min(best[k], secondsOf(runs[k], count[k]) * 1e9 / static_cast<double>(count[k]));
    }
  }
  return {best[0], best[1], best[2]};
}

void printRatios(const std::vector<Input>& all) {
  std::printf("\nInterleaved, fastest of 30 slices of about 3 ms each:\n");
  std::printf("%-12s %-12s %12s %8s %9s %8s %9s\n", "phase", "input", "plugin ns", "/floor",
              "/scanner", "ns/byte", "marginal");
  for (const std::string phase : kPhases) {
    std::map<std::string, Times> times;
    for (const Input& input : all) times[input.name] = measure(phase, input);
    std::map<std::string, std::pair<double, double>> families;  // lowest, highest marginal
    for (const Input& input : all) {
      const Times& t = times[input.name];
      double bytes = bytesOf(phase, input);
      const Input& base = input.name.rfind("value_", 0) == 0 ? all[2] : all[1];
      double marginal =
          (t.plugin - times[base.name].plugin) / std::max(bytes - bytesOf(phase, base), 1.0);
      std::printf("%-12s %-12s %12.0f %8.2f %9.1f %8.2f %9.2f\n", phase.c_str(), input.name.c_str(),
                  t.plugin, t.plugin / t.floor, t.plugin / t.scanner, t.plugin / bytes, marginal);
      std::string family = input.name.substr(0, input.name.find('_'));
      if ((family != "items" && family != "value") || input.name == "value_0B") continue;
      auto [it, fresh] = families.try_emplace(family, marginal, marginal);
      if (!fresh) {
        it->second.first = std::min(it->second.first, marginal);
        it->second.second = std::max(it->second.second, marginal);
      }
    }
    for (const auto& [family, range] : families) {
      std::printf("%-12s %-12s marginal time per byte, max / min = %.2f\n", phase.c_str(),
                  (family + "_*").c_str(), range.second / range.first);
    }
    std::printf("\n");
  }
}

void runBenchmark(benchmark::State& state, const std::string& kind, const std::string& phase,
                  const Input& input) {
  Run run = makeRun(kind, phase, input);
  for (auto _ : state) run();
  state.SetBytesProcessed(
      static_cast<int64_t>(static_cast<double>(state.iterations()) * bytesOf(phase, input)));
}

}  // namespace

// Google Benchmark's table (ns per header, bytes per second), then the
// ratios. --ratios-only skips the table.
int main(int argc, char** argv) {
  const std::vector<Input> all = inputs();
  bool ratiosOnly = false;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--ratios-only") ratiosOnly = true;
  }
  if (!ratiosOnly) {
    for (const Input& input : all) {
      for (const std::string phase : kPhases) {
        for (const std::string kind : kKinds) {
          benchmark::RegisterBenchmark((phase + "/" + kind + "/" + input.name).c_str(),
                                       runBenchmark, kind, phase, input);
        }
      }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
  }
  printRatios(all);
  return 0;
}
