// talmo: the command-line host. Loads the TALMO plug-in exactly as a broker
// does (by path, entry point, factory, class "TALMO", callback table) and runs
// it on message files: shows the header's tree, writes messages back, checks
// headers before they go into production.
//
// Exit status: 0 done and clean, 1 check found warnings, 2 errors (a file or
// the plug-in could not be used). Input files are never written to.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>

#include "diff.h"
#include "make.h"
#include "message.h"
#include "platform.h"
#include "shown_text.h"
#include "talmo_version.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const int kExitClean = 0;
const int kExitWarnings = 1;
const int kExitError = 2;

// Errors quote file names and values: shown escaped, never raw.
void error(const std::string& text) {
  std::cerr << "talmo: " << talmo::shown(text) << "\n";
}

// File names arrive as UTF-8 on every platform; std::filesystem takes them
// as such only through char8_t.
fs::path pathOf(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8Of(const fs::path& path) {
  std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// The plug-in next to talmo (the build tree, an unpacked folder), or else
// where the install puts it.
std::string defaultPluginPath(const char* argv0) {
  fs::path bin = talmo::platform::executablePath(argv0).parent_path();
  fs::path beside = bin / TALMO_PLUGIN_FILE;
  std::error_code ec;
  if (fs::exists(beside, ec)) return utf8Of(beside);
  return utf8Of((bin / TALMO_BIN_TO_PLUGINDIR / TALMO_PLUGIN_FILE).lexically_normal());
}

// The host counts a bit stream's bytes in an int; --max-bytes may lower
// the limit.
const std::uintmax_t kLargestMessage = INT_MAX;
std::uintmax_t messageLimit = kLargestMessage;

void sayTooLarge(const std::string& path, const std::string& size) {
  error(path + ": too large (" + size + " bytes); a message holds at most " +
        std::to_string(messageLimit) + " bytes");
}

// The whole file, or standard input for "-", refused as soon as it passes
// the message limit: a regular file by its size before anything is read,
// a pipe, device or standard input once that many bytes have come, so that
// no input makes talmo read (or hold) more than the limit.
bool readFile(const std::string& path, std::string& bytes) {
  std::error_code ec;
  std::ifstream file;
  std::istream* in = &std::cin;
  if (path != "-") {
    fs::path p = pathOf(path);
    if (fs::is_directory(p, ec)) {
      error(path + ": is a directory");
      return false;
    }
    if (fs::is_regular_file(p, ec)) {
      if (std::uintmax_t size = fs::file_size(p, ec); !ec && size > messageLimit) {
        sayTooLarge(path, std::to_string(size));
        return false;
      }
    }
    file.open(p, std::ios::binary);
    if (!file) {
      error(path + ": cannot open: " + std::strerror(errno));
      return false;
    }
    in = &file;
  }
  bytes.clear();
  char chunk[1 << 16];
  while (*in) {
    in->read(chunk, sizeof chunk);
    size_t n = static_cast<size_t>(in->gcount());
    if (bytes.size() + n > messageLimit) {
      sayTooLarge(path, "more than " + std::to_string(messageLimit));
      bytes.clear();
      bytes.shrink_to_fit();
      return false;
    }
    // Grown to the limit at most, never past it by doubling.
    if (bytes.size() + n > bytes.capacity()) {
      bytes.reserve(static_cast<size_t>(
          std::min<std::uintmax_t>(std::max<size_t>(2 * bytes.capacity(), 1 << 16), messageLimit)));
    }
    bytes.append(chunk, n);
  }
  if (in->bad()) {
    error(path + ": cannot read: " + std::strerror(errno));
    return false;
  }
  return true;
}

// "[1200/20000] 350/s, 48 s left  name" on standard error, when there are
// many files and a person is watching.
class Progress {
 public:
  explicit Progress(size_t total)
      : total_(total),
        shown_(total >= 10 && talmo::platform::standardErrorIsTerminal()),
        start_(std::chrono::steady_clock::now()) {}
  ~Progress() {
    if (shown_) std::cerr << "\r\033[K" << std::flush;
  }
  void at(size_t i, const std::string& name) const {
    if (!shown_) return;
    std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start_;
    std::cerr << "\r\033[K[" << i + 1 << "/" << total_ << "]";
    if (i > 0 && spent.count() > 0) {
      double rate = static_cast<double>(i) / spent.count();
      std::cerr << " " << static_cast<long long>(rate) << "/s, "
                << static_cast<long long>(static_cast<double>(total_ - i) / rate) << " s left";
    }
    std::cerr << "  " << talmo::shown(name) << std::flush;
  }

 private:
  size_t total_;
  bool shown_;
  std::chrono::steady_clock::time_point start_;
};

// The message files the arguments name: a file as it is, "-" for standard
// input, a folder walked recursively in sorted order. What a walk finds that
// is not a regular file is skipped, and said; a folder that cannot be read
// is an error. Returns false when any argument could not be used.
bool messageFiles(const std::vector<std::string>& arguments, std::vector<std::string>& files) {
  bool usable = true;
  for (const std::string& argument : arguments) {
    std::error_code ec;
    fs::path p = pathOf(argument);
    if (argument == "-" || !fs::is_directory(p, ec)) {
      files.push_back(argument);
      continue;
    }
    std::vector<std::pair<std::string, fs::path>> found;
    fs::recursive_directory_iterator walk(p, ec), end;
    for (; !ec && walk != end; walk.increment(ec)) {
      std::error_code type;
      if (walk->is_directory(type)) continue;
      std::string name = utf8Of(walk->path());
      if (!walk->is_regular_file(type)) {
        error(name + ": skipped: not a regular file");
        continue;
      }
      found.emplace_back(name, walk->path());
    }
    if (ec) {
      error(argument + ": cannot read the folder: " + ec.message());
      usable = false;
    }
    std::sort(found.begin(), found.end(),
              [](const auto& x, const auto& y) { return x.second < y.second; });
    for (auto& [name, path] : found) files.push_back(std::move(name));
  }
  return usable;
}

// JSON stays valid and safe on any input: everything outside ASCII is
// written as a \u escape (so no control character reaches a terminal raw),
// and bytes that are not UTF-8 (a file name, a value from a host that kept
// them) become U+FFFD.
std::string dumped(const json& value) {
  return value.dump(-1, ' ', true, json::error_handler_t::replace);
}

json itemJson(const tessplug::Element* e) {
  json item = {{"name", tessplug::toUtf8(tessplug::nameOf(e))},
               {"type", talmo::typeName(tessplug::valueOf(e).type)}};
  if (tessplug::valueOf(e).type == valueTypeInteger) {
    item["value"] = tessplug::valueOf(e).integer;
  } else {
    item["value"] = talmo::showValue(tessplug::valueOf(e));
  }
  return item;
}

// One line per message, written item by item: a header of a million items
// never stands whole in memory as JSON. The keys come in sorted order.
void printJson(const std::string& file, const talmo::Message& m) {
  std::cout << "{\"body_bytes\":" << m.body().size()
            << ",\"closed\":" << (m.closed ? "true" : "false") << ",\"file\":" << dumped(file)
            << ",\"header_bytes\":" << m.headerLength << ",\"items\":[";
  const char* separator = "";
  for (const tessplug::Element* e : m.items()) {
    std::cout << separator << dumped(itemJson(e));
    separator = ",";
  }
  std::cout << "],\"next_parser\":" << dumped(m.nextParser) << "}\n";
}

// The tree as a table, every cell escaped and aligned by the columns a
// terminal gives it. On a terminal a cell wider than the room left is cut
// with "…" (unless wide); to a pipe or file nothing is cut. Two passes over
// the items, so that no row is kept.
void printTable(const std::string& file, const talmo::Message& m, bool wide) {
  std::vector<tessplug::Element*> items = m.items();
  auto nameOf = [](const tessplug::Element* e) {
    return talmo::shown(tessplug::toUtf8(tessplug::nameOf(e)));
  };
  size_t nameWidth = 4, typeWidth = 4;
  for (const tessplug::Element* e : items) {
    nameWidth = std::max(nameWidth, talmo::columnsOf(nameOf(e)));
    typeWidth = std::max(typeWidth, talmo::typeName(tessplug::valueOf(e).type).size());
  }
  size_t valueWidth = SIZE_MAX;
  if (size_t columns = wide ? 0 : talmo::platform::outputTerminalColumns(); columns > 0) {
    nameWidth = std::min(nameWidth, std::max<size_t>(8, columns / 3));
    size_t used = 2 + nameWidth + 2 + typeWidth + 2;
    valueWidth = columns > used + 1 ? columns - used : 2;
  }
  auto line = [&](const std::string& name, const std::string& type, const std::string& value) {
    std::string a = talmo::cutTo(name, nameWidth);
    std::cout << "  " << a << std::string(nameWidth - talmo::columnsOf(a) + 2, ' ') << type
              << std::string(typeWidth - type.size() + 2, ' ') << talmo::cutTo(value, valueWidth)
              << "\n";
  };
  std::cout << talmo::shown(file) << "\n";
  line("NAME", "TYPE", "VALUE");
  for (const tessplug::Element* e : items) {
    line(nameOf(e), talmo::typeName(tessplug::valueOf(e).type),
         talmo::shown(talmo::showValue(tessplug::valueOf(e))));
  }
  std::cout << "  header: " << m.headerLength << " bytes, "
            << (m.closed ? "closed by \";\"" : "not closed by \";\"") << "\n"
            << "  next parser: " << talmo::shown(m.nextParser) << "\n"
            << "  body: " << m.body().size() << " bytes\n";
}

struct Context {
  std::string pluginPath;
  std::optional<tessplug::LoadedClass> plugin;

  // Loads the plug-in once; later calls answer from the first.
  bool load() {
    if (plugin) return true;
    std::string why;
    std::error_code ec;
    if (!fs::exists(pathOf(pluginPath), ec)) {
      error("plug-in not found: " + pluginPath + " (choose one with --plugin PATH)");
      return false;
    }
    plugin = tessplug::loadParserClass(pluginPath, "TALMO", why);
    if (!plugin) error(why);
    return plugin.has_value();
  }
  const tessplug::ParserClass& parserClass() const { return *plugin->parserClass; }
};

int runInfo(Context& ctx) {
  if (!ctx.load()) return kExitError;
  std::string version = talmo::platform::moduleVersion(pathOf(ctx.pluginPath));
  std::cout << "plug-in: " << ctx.pluginPath << "\n"
            << "version: " << (version.empty() ? "unknown" : version) << "\n";
  for (const auto& name : tessplug::factoryNames()) {
    std::cout << "factory: " << tessplug::toUtf8(name) << "\n";
  }
  std::cout << "class: " << tessplug::toUtf8(ctx.parserClass().name) << "\n";
  return kExitClean;
}

// Reads a message file through the plug-in; null, with the error said, when
// that cannot be done.
std::unique_ptr<talmo::Message> openMessage(const Context& ctx, const std::string& file) {
  std::string bytes;
  if (!readFile(file, bytes)) return nullptr;
  auto message = talmo::readMessage(ctx.parserClass(), std::move(bytes));
  if (!message) error(file + ": the plug-in gave no parser context");
  return message;
}

// Runs fn(index, file, message) on each file's message, with a progress
// line; the worst status wins (clean < warnings < errors).
// How many messages ended clean, with warnings and with errors.
struct Tally {
  size_t counts[3] = {0, 0, 0};
  size_t total() const { return counts[0] + counts[1] + counts[2]; }
};

template <class F>
int forEachMessage(Context& ctx, const std::vector<std::string>& arguments, F fn,
                   Tally* tally = nullptr) {
  if (!ctx.load()) return kExitError;
  std::vector<std::string> files;
  int status = messageFiles(arguments, files) ? kExitClean : kExitError;
  Progress progress(files.size());
  for (size_t i = 0; i < files.size(); ++i) {
    progress.at(i, files[i]);
    auto message = openMessage(ctx, files[i]);
    int one = message ? fn(i, files[i], *message) : kExitError;
    if (tally) ++tally->counts[one];
    status = std::max(status, one);
  }
  return status;
}

int runParse(Context& ctx, const std::vector<std::string>& files, bool asJson, bool wide) {
  return forEachMessage(ctx, files, [&](size_t i, const std::string& file, talmo::Message& m) {
    if (asJson) {
      printJson(file, m);
    } else {
      if (i > 0) std::cout << "\n";
      printTable(file, m, wide);
    }
    return kExitClean;
  });
}

// NAME=VALUE, split at the first "=".
bool splitSetting(const std::string& setting, std::string& name, std::string& value) {
  size_t eq = setting.find('=');
  if (eq == std::string::npos) {
    error("--set " + setting + ": expected NAME=VALUE");
    return false;
  }
  name = setting.substr(0, eq);
  value = setting.substr(eq + 1);
  if (std::string why = talmo::unreadableReason(name, value); !why.empty()) {
    error("--set " + setting + ": would not read back as one item: " + why);
    return false;
  }
  return true;
}

// The one way talmo writes a file: into a new file of its own beside the
// target (created exclusively under a name no one can guess, so that no
// planted file or link redirects the write), then moved over the target
// whole. A failure leaves neither a half-written target nor the new file.
bool writeMessageFile(const std::string& out, std::initializer_list<std::string_view> parts) {
  fs::path target = pathOf(out);
  fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  fs::path temporary;
  std::string why;
  int fd = talmo::platform::createUniqueFile(folder, utf8Of(target.filename()), temporary, why);
  if (fd < 0) {
    error(out + ": cannot write: " + why);
    return false;
  }
  bool written = true;
  for (std::string_view part : parts) {
    written = written && talmo::platform::writeAll(fd, part.data(), part.size());
  }
  if (!written) why = std::strerror(errno);
  if (!talmo::platform::closeFile(fd) && written) {
    written = false;
    why = std::strerror(errno);
  }
  if (written && talmo::platform::replaceFile(temporary, target, why)) return true;
  error(out + ": cannot write: " + why);
  std::error_code ec;
  fs::remove(temporary, ec);
  return false;
}

// A message, header then body, to standard output ("-") or a file.
int writeMessage(const std::string& out, std::string_view header, std::string_view body) {
  if (out != "-") return writeMessageFile(out, {header, body}) ? kExitClean : kExitError;
  std::cout.write(header.data(), static_cast<std::streamsize>(header.size()));
  std::cout.write(body.data(), static_cast<std::streamsize>(body.size()));
  std::cout.flush();
  return std::cout ? kExitClean : kExitError;
}

bool sameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return fs::exists(pathOf(b), ec) && fs::equivalent(pathOf(a), pathOf(b), ec);
}

int runWrite(Context& ctx, const std::string& file, const std::string& out,
             const std::vector<std::string>& sets, const std::vector<std::string>& unsets) {
  if (file != "-" && out != "-" && sameFile(file, out)) {
    error(out + ": is the input file; write to another file");
    return kExitError;
  }
  std::vector<std::pair<std::string, std::string>> settings;
  for (const std::string& s : sets) {
    std::string name, value;
    if (!splitSetting(s, name, value)) return kExitError;
    settings.emplace_back(name, value);
  }
  if (!ctx.load()) return kExitError;
  auto message = openMessage(ctx, file);
  if (!message) return kExitError;
  tessplug::Parser& parser = *message->parser;
  for (const std::string& name : unsets) {
    for (tessplug::Element* e : message->items()) {
      if (tessplug::toUtf8(tessplug::nameOf(e)) == name) parser.detach(e);
    }
  }
  for (const auto& [name, text] : settings) {
    tessplug::Value value = talmo::typedValue(ctx.parserClass(), name, text);
    bool found = false;
    for (tessplug::Element* e : message->items()) {
      if (tessplug::toUtf8(tessplug::nameOf(e)) == name) {
        parser.setValue(e, value);
        found = true;
      }
    }
    if (!found) parser.addChild(parser.root(), name, value);
  }
  std::string header = talmo::writeHeader(*message);
  std::string_view body = message->body();

  return writeMessage(out, header, body);
}

// "1,000,000"
std::string grouped(size_t n) {
  std::string digits = std::to_string(n), out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

int runCheck(Context& ctx, const std::vector<std::string>& files, bool asJson) {
  Tally tally;
  int status = forEachMessage(
      ctx, files,
      [&](size_t, const std::string& file, talmo::Message& m) {
        talmo::CheckResult result = talmo::checkMessage(ctx.parserClass(), m);
        if (asJson) {
          std::cout << "{\"file\":" << dumped(file)
                    << ",\"round_trip\":" << (result.roundTrips ? "true" : "false")
                    << ",\"warnings\":[";
          const char* separator = "";
          for (const auto& w : result.warnings) {
            std::cout << separator << dumped(json{{"item", w.item}, {"text", w.text}});
            separator = ",";
          }
          std::cout << "],\"written\":" << dumped(result.written) << "}\n";
        } else {
          std::cout << talmo::shown(file) << ": "
                    << (result.roundTrips ? "reads back the same" : "DIFFERS when read back")
                    << ", " << result.warnings.size()
                    << (result.warnings.size() == 1 ? " warning" : " warnings") << "\n";
          // Identical warnings are said once, with how many more there were.
          std::map<std::pair<std::string, std::string>, size_t> seen;
          for (const auto& w : result.warnings) ++seen[{w.item, w.text}];
          for (const auto& w : result.warnings) {
            auto found = seen.find({w.item, w.text});
            if (found->second == 0) continue;
            std::cout << "  warning: " << talmo::shown(w.item.empty() ? "" : w.item + ": ")
                      << talmo::shown(w.text);
            if (found->second > 1)
              std::cout << " (and " << grouped(found->second - 1) << " more like it)";
            std::cout << "\n";
            found->second = 0;
          }
        }
        return result.warnings.empty() ? kExitClean : kExitWarnings;
      },
      &tally);
  if (tally.total() > 0 || status == kExitError) {
    std::cerr << "talmo: " << grouped(tally.total())
              << (tally.total() == 1 ? " message read: " : " messages read: ")
              << grouped(tally.counts[kExitClean]) << " clean, "
              << grouped(tally.counts[kExitWarnings]) << " with warnings, "
              << grouped(tally.counts[kExitError]) << " with errors\n";
  }
  return status;
}

int runDiff(Context& ctx, const std::string& fileA, const std::string& fileB, bool asJson) {
  if (!ctx.load()) return kExitError;
  auto a = openMessage(ctx, fileA);
  auto b = a ? openMessage(ctx, fileB) : nullptr;
  if (!a || !b) return kExitError;
  std::vector<talmo::Difference> differences = talmo::diffMessages(*a, *b);
  if (asJson) {
    json all = json::array();
    for (const auto& d : differences) {
      json one = {{"kind", d.kind}};
      if (!d.name.empty()) one["name"] = d.name;
      if (d.positionA) one["position_a"] = d.positionA;
      if (d.positionB) one["position_b"] = d.positionB;
      if (!d.field.empty()) one["field"] = d.field;
      if (!d.a.empty() || !d.b.empty()) {
        one["a"] = d.a;
        one["b"] = d.b;
      }
      all.push_back(one);
    }
    std::cout << dumped(json{{"a", fileA},
                             {"b", fileB},
                             {"same", differences.empty()},
                             {"differences", all}})
              << "\n";
  } else {
    for (const auto& d : differences) {
      std::string line;
      if (d.kind == "added") {
        line = "added: " + d.name + " at " + std::to_string(d.positionB);
      } else if (d.kind == "removed") {
        line = "removed: " + d.name + " at " + std::to_string(d.positionA);
      } else if (d.kind == "changed") {
        line = "changed: " + d.name + " " + d.field + ": " + d.a + " -> " + d.b;
      } else if (d.kind == "moved") {
        line = "moved: " + d.name + " from " + std::to_string(d.positionA) + " to " +
               std::to_string(d.positionB);
      } else if (d.kind == "next_parser") {
        line = "next parser: " + d.a + " -> " + d.b;
      } else if (d.kind == "closed") {
        line = "closed by \";\": " + d.a + " -> " + d.b;
      } else {
        line = "body: differs (" + d.a + " -> " + d.b + ")";
      }
      std::cout << talmo::shown(line) << "\n";
    }
  }
  return differences.empty() ? kExitClean : kExitWarnings;
}

int runMake(Context& ctx, const std::string& input, const std::string& bodyFile,
            const std::string& out) {
  std::string text;
  if (!readFile(input, text)) return kExitError;
  json message = json::parse(text, nullptr, false);
  if (message.is_discarded()) {
    error(input + ": not valid JSON");
    return kExitError;
  }
  std::vector<talmo::MadeItem> items;
  std::string why;
  if (!talmo::itemsFromJson(message, items, why)) {
    error(input + ": " + why);
    return kExitError;
  }
  std::string body;
  if (!bodyFile.empty() && !readFile(bodyFile, body)) return kExitError;
  if (!ctx.load()) return kExitError;
  tessplug::Parser parser(ctx.parserClass(), "");
  if (!parser.createContext()) {
    error("the plug-in gave no parser context");
    return kExitError;
  }
  for (auto& item : items) parser.addChild(parser.root(), item.name, std::move(item.value));
  parser.writeBuffer();
  std::string header = parser.outputText();
  return writeMessage(out.empty() ? "-" : out, header, body);
}

}  // namespace

int main(int argc, char** argv) {
  talmo::platform::initStandardStreams();
  std::vector<std::string> arguments = talmo::platform::utf8Arguments(argc, argv);
  std::vector<const char*> argvUtf8;
  for (const std::string& a : arguments) argvUtf8.push_back(a.c_str());

  CLI::App app{"talmo: run the TALMO header parser plug-in on message files"};
  app.require_subcommand(1);
  // A file name such as /tmp/a.msg is a file name on every platform.
  app.allow_windows_style_options(false);
  app.set_version_flag("--version", "talmo " TALMO_VERSION);
  Context ctx;
  ctx.pluginPath = defaultPluginPath(argv[0]);
  app.add_option("--max-bytes", messageLimit,
                 "refuse a message larger than this (default and ceiling: 2147483647)")
      ->check(CLI::Range(std::uintmax_t{0}, kLargestMessage));
  app.add_option("--plugin", ctx.pluginPath,
                 "the plug-in to load (default: the one next to talmo, else the installed one)");

  bool asJson = false;
  std::vector<std::string> files;
  auto* parse = app.add_subcommand("parse", "show each message's header as a tree");
  parse->add_option("FILE", files, "message files or folders (walked), - for standard input")
      ->required();
  parse->add_flag("--json", asJson, "one JSON object per message (JSON Lines)");
  bool wide = false;
  parse->add_flag("--wide", wide, "on a terminal, show every cell whole (never cut with …)");
  parse->footer(
      "Examples:\n"
      "  talmo parse in.msg                  the header as a table\n"
      "  talmo parse --json spool/ > all.jsonl  every message under spool/, one line each\n"
      "  cat in.msg | talmo parse -          from standard input");

  std::string input, output;
  std::vector<std::string> sets, unsets;
  auto* write = app.add_subcommand("write", "write a message back through the plug-in");
  write->add_option("FILE", input, "the message file, - for standard input")->required();
  write->add_option("-o,--output", output, "where to write it, - for standard output")->required();
  write->add_option("--set", sets, "change or add an item, NAME=VALUE (typed by the field table)");
  write->add_option("--unset", unsets, "remove every item of that name");
  write->footer(
      "Examples:\n"
      "  talmo write in.msg -o out.msg --set CLASS=EDIFACT   route the body to another parser\n"
      "  talmo write in.msg -o - --unset SENDER | less       the message without SENDER\n"
      "  talmo write in.msg -o out.msg --set RECLEN=0080     stored as the integer 80");

  auto* check = app.add_subcommand("check", "write each header back, read it again, and warn");
  check->add_option("FILE", files, "message files or folders (walked), - for standard input")
      ->required();
  check->add_flag("--json", asJson, "one JSON object per message (JSON Lines)");
  check->footer(
      "Exit status: 0 all clean, 1 warnings, 2 errors; a summary goes to standard error.\n"
      "Examples:\n"
      "  talmo check in.msg                  findings for one message\n"
      "  talmo check spool/ 2> summary.txt   a whole folder tree, sorted\n"
      "  talmo check --json spool/ | jq 'select(.warnings != [])'");

  std::string fileA, fileB;
  auto* diff = app.add_subcommand("diff", "compare two messages' headers item by item");
  diff->add_option("A", fileA, "a message file, - for standard input")->required();
  diff->add_option("B", fileB, "the message file to compare it with")->required();
  diff->add_flag("--json", asJson, "one JSON object with every difference");
  diff->footer(
      "Exit status: 0 the same, 1 different, 2 errors.\n"
      "Examples:\n"
      "  talmo diff sent.msg received.msg    what the broker changed\n"
      "  talmo diff --json a.msg b.msg       the differences for a script");

  std::string body;
  auto* make = app.add_subcommand("make", "make a message from JSON, as parse --json prints it");
  make->add_option("JSON", input, "a JSON object with \"items\", - for standard input")->required();
  make->add_option("--body", body, "the file whose bytes follow the header (default: none)");
  make->add_option("-o,--output", output, "where to write it (default: standard output)");
  make->footer(
      "Types: character, integer, date (\"YYYY-MM-DD\"), time (\"HH:MM:SS\"), boolean, real,\n"
      "decimal (\"12.50\"), timestamp, binary (hex digits), or a number as a raw type code.\n"
      "Examples:\n"
      "  echo '{\"items\":[{\"name\":\"CLASS\",\"type\":\"character\",\"value\":\"X12\"}]}' |"
      " talmo make -\n"
      "  talmo parse --json in.msg | talmo make - --body body.edi -o out.msg\n"
      "  talmo make tree.json -o test.msg     a test message from a script's JSON");

  auto* info = app.add_subcommand("info", "load the plug-in and show what it registered");
  info->footer("Example:\n  talmo --plugin /opt/broker/plugins/TALMOparser.lil info");

  try {
    app.parse(static_cast<int>(argvUtf8.size()), argvUtf8.data());
  } catch (const CLI::ParseError& e) {
    int code = app.exit(e);
    return code == 0 ? kExitClean : kExitError;
  }
  try {
    if (*parse) return runParse(ctx, files, asJson, wide);
    if (*write) return runWrite(ctx, input, output, sets, unsets);
    if (*check) return runCheck(ctx, files, asJson);
    if (*diff) return runDiff(ctx, fileA, fileB, asJson);
    if (*make) return runMake(ctx, input, body, output);
    if (*info) return runInfo(ctx);
  } catch (const std::exception& e) {
    error(e.what());
  }
  return kExitError;
}
