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
#include <nlohmann/json.hpp>
#include <sstream>

#include "message.h"
#include "platform.h"
#include "talmo_version.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const int kExitClean = 0;
const int kExitWarnings = 1;
const int kExitError = 2;

void error(const std::string& text) {
  std::cerr << "talmo: " << text << "\n";
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

// The host counts a bit stream's bytes in an int.
const std::uintmax_t kLargestMessage = INT_MAX;

bool tooLarge(const std::string& path, std::uintmax_t size) {
  if (size <= kLargestMessage) return false;
  error(path + ": too large (" + std::to_string(size) +
        " bytes); a message holds at most 2147483647 bytes");
  return true;
}

// The whole file, or standard input for "-".
bool readFile(const std::string& path, std::string& bytes) {
  if (path == "-") {
    std::ostringstream all;
    all << std::cin.rdbuf();
    bytes = all.str();
    return !tooLarge(path, bytes.size());
  }
  std::error_code ec;
  if (fs::is_directory(pathOf(path), ec)) {
    error(path + ": is a directory");
    return false;
  }
  // Refused before anything is read.
  if (std::uintmax_t size = fs::file_size(pathOf(path), ec); !ec && tooLarge(path, size)) {
    return false;
  }
  std::ifstream in(pathOf(path), std::ios::binary);
  if (!in) {
    error(path + ": cannot open: " + std::strerror(errno));
    return false;
  }
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) {
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
    if (shown_) std::cerr << "\r\033[K[" << i + 1 << "/" << total_ << "] " << name << std::flush;
  }

 private:
  size_t total_;
  bool shown_;
};

json itemJson(const tessplug::Element* e) {
  json item = {{"name", tessplug::toUtf8(e->name)}, {"type", talmo::typeName(e->value.type)}};
  if (e->value.type == valueTypeInteger) {
    item["value"] = e->value.integer;
  } else {
    item["value"] = talmo::showValue(e->value);
  }
  return item;
}

json messageJson(const std::string& file, const talmo::Message& m) {
  json items = json::array();
  for (const tessplug::Element* e : m.items()) items.push_back(itemJson(e));
  return {{"file", file},
          {"items", items},
          {"header_bytes", m.headerLength},
          {"closed", m.closed},
          {"next_parser", m.nextParser},
          {"body_bytes", m.body().size()}};
}

void printTable(const std::string& file, const talmo::Message& m) {
  struct Row {
    std::string name, type, value;
  };
  std::vector<Row> rows;
  size_t nameWidth = 4, typeWidth = 4;
  for (const tessplug::Element* e : m.items()) {
    rows.push_back(
        {tessplug::toUtf8(e->name), talmo::typeName(e->value.type), talmo::showValue(e->value)});
    nameWidth = std::max(nameWidth, rows.back().name.size());
    typeWidth = std::max(typeWidth, rows.back().type.size());
  }
  std::cout << file << "\n";
  auto line = [&](const std::string& a, const std::string& b, const std::string& c) {
    std::cout << "  " << a << std::string(nameWidth - a.size() + 2, ' ') << b
              << std::string(typeWidth - b.size() + 2, ' ') << c << "\n";
  };
  line("NAME", "TYPE", "VALUE");
  for (const Row& r : rows) line(r.name, r.type, r.value);
  std::cout << "  header: " << m.headerLength << " bytes, "
            << (m.closed ? "closed by \";\"" : "not closed by \";\"") << "\n"
            << "  next parser: " << m.nextParser << "\n"
            << "  body: " << m.body().size() << " bytes\n";
}

struct Context {
  std::string pluginPath;
  std::optional<talmo::LoadedPlugin> plugin;

  bool load() {
    std::string why;
    std::error_code ec;
    if (!fs::exists(pathOf(pluginPath), ec)) {
      error("plug-in not found: " + pluginPath + " (choose one with --plugin PATH)");
      return false;
    }
    plugin = talmo::loadTalmo(pluginPath, why);
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

int runParse(Context& ctx, const std::vector<std::string>& files, bool asJson) {
  return forEachMessage(ctx, files, [&](size_t i, const std::string& file, talmo::Message& m) {
    if (asJson) {
      std::cout << messageJson(file, m).dump() << "\n";
    } else {
      if (i > 0) std::cout << "\n";
      printTable(file, m);
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
      if (tessplug::toUtf8(e->name) == name) parser.detach(e);
    }
  }
  for (const auto& [name, text] : settings) {
    tessplug::Value value = talmo::typedValue(ctx.parserClass(), name, text);
    bool found = false;
    for (tessplug::Element* e : message->items()) {
      if (tessplug::toUtf8(e->name) == name) {
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
  // Written beside the target and moved into place whole, so that a failure
  // never leaves a half-written message behind.
  fs::path target = pathOf(out);
  fs::path temporary = pathOf(out + ".talmo-tmp");
  {
    std::ofstream o(temporary, std::ios::binary | std::ios::trunc);
    o.write(header.data(), static_cast<std::streamsize>(header.size()));
    o.write(body.data(), static_cast<std::streamsize>(body.size()));
    o.close();
    if (!o) {
      error(out + ": cannot write: " + std::strerror(errno));
      std::error_code ec;
      fs::remove(temporary, ec);
      return kExitError;
    }
  }
  std::error_code ec;
  fs::rename(temporary, target, ec);
  if (ec) {
    error(out + ": cannot write: " + ec.message());
    fs::remove(temporary, ec);
    return kExitError;
  }
  return kExitClean;
}

int runCheck(Context& ctx, const std::vector<std::string>& files, bool asJson) {
  return forEachMessage(ctx, files, [&](size_t, const std::string& file, talmo::Message& m) {
    talmo::CheckResult result = talmo::checkMessage(ctx.parserClass(), m);
    if (asJson) {
      json warnings = json::array();
      for (const auto& w : result.warnings) {
        warnings.push_back({{"item", w.item}, {"text", w.text}});
      }
      std::cout << json{{"file", file},
                        {"round_trip", result.roundTrips},
                        {"written", result.written},
                        {"warnings", warnings}}
                       .dump()
                << "\n";
    } else {
      std::cout << file << ": "
                << (result.roundTrips ? "reads back the same" : "DIFFERS when read back") << ", "
                << result.warnings.size()
                << (result.warnings.size() == 1 ? " warning" : " warnings") << "\n";
      for (const auto& w : result.warnings) {
        std::cout << "  warning: " << (w.item.empty() ? "" : w.item + ": ") << w.text << "\n";
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
  app.add_option("--plugin", ctx.pluginPath,
                 "the plug-in to load (default: the one next to talmo, else the installed one)");

  bool asJson = false;
  std::vector<std::string> files;
  auto* parse = app.add_subcommand("parse", "show each message's header as a tree");
  parse->add_option("FILE", files, "message files, - for standard input")->required();
  parse->add_flag("--json", asJson, "one JSON object per message (JSON Lines)");

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
    if (*parse) return runParse(ctx, files, asJson);
    if (*write) return runWrite(ctx, input, output, sets, unsets);
    if (*check) return runCheck(ctx, files, asJson);
    if (*info) return runInfo(ctx);
  } catch (const std::exception& e) {
    error(e.what());
  }
  return kExitError;
}
