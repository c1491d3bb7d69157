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
#include <climits>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>

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

// "[3/120] name" on standard error, when there are many files and a person
// is watching.
class Progress {
 public:
  explicit Progress(size_t total)
      : total_(total), shown_(total >= 10 && talmo::platform::standardErrorIsTerminal()) {}
  ~Progress() {
    if (shown_) std::cerr << "\r\033[K" << std::flush;
  }
  void at(size_t i, const std::string& name) const {
    if (shown_) {
      std::cerr << "\r\033[K[" << i + 1 << "/" << total_ << "] " << talmo::shown(name)
                << std::flush;
    }
  }

 private:
  size_t total_;
  bool shown_;
};

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

  bool load() {
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
template <class F>
int forEachMessage(Context& ctx, const std::vector<std::string>& files, F fn) {
  if (!ctx.load()) return kExitError;
  int status = kExitClean;
  Progress progress(files.size());
  for (size_t i = 0; i < files.size(); ++i) {
    progress.at(i, files[i]);
    auto message = openMessage(ctx, files[i]);
    status = std::max(status, message ? fn(i, files[i], *message) : kExitError);
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

  if (out == "-") {
    std::cout.write(header.data(), static_cast<std::streamsize>(header.size()));
    std::cout.write(body.data(), static_cast<std::streamsize>(body.size()));
    std::cout.flush();
    return std::cout ? kExitClean : kExitError;
  }
  return writeMessageFile(out, {header, body}) ? kExitClean : kExitError;
}

// "1,000,000"
std::string grouped(size_t n) {
  std::string digits = std::to_string(n);
  for (size_t i = digits.size(); i > 3; i -= 3) digits.insert(i - 3, ",");
  return digits;
}

int runCheck(Context& ctx, const std::vector<std::string>& files, bool asJson) {
  return forEachMessage(ctx, files, [&](size_t, const std::string& file, talmo::Message& m) {
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
                << (result.roundTrips ? "reads back the same" : "DIFFERS when read back") << ", "
                << result.warnings.size()
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
  });
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
  parse->add_option("FILE", files, "message files, - for standard input")->required();
  parse->add_flag("--json", asJson, "one JSON object per message (JSON Lines)");
  bool wide = false;
  parse->add_flag("--wide", wide, "on a terminal, show every cell whole (never cut with …)");

  std::string input, output;
  std::vector<std::string> sets, unsets;
  auto* write = app.add_subcommand("write", "write a message back through the plug-in");
  write->add_option("FILE", input, "the message file, - for standard input")->required();
  write->add_option("-o,--output", output, "where to write it, - for standard output")->required();
  write->add_option("--set", sets, "change or add an item, NAME=VALUE (typed by the field table)");
  write->add_option("--unset", unsets, "remove every item of that name");

  auto* check = app.add_subcommand("check", "write each header back, read it again, and warn");
  check->add_option("FILE", files, "message files, - for standard input")->required();
  check->add_flag("--json", asJson, "one JSON object per message (JSON Lines)");

  auto* info = app.add_subcommand("info", "load the plug-in and show what it registered");

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
    if (*info) return runInfo(ctx);
  } catch (const std::exception& e) {
    error(e.what());
  }
  return kExitError;
}
