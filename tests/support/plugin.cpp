// Loads the plug-in under test once per process and runs its entry point
// whenever the class is missing (tests may reset the registry).
#include "plugin.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>

namespace talmo_test {

const tessplug::Plugin& plugin() {
  static const tessplug::Plugin loaded = [] {
    std::string error;
    // Windows finds a DLL beside the test program by its name.
    const std::string path =
        kWindowsBuild ? TALMO_PLUGIN_PATH : std::string(TALMO_BIN_DIR) + "/" + TALMO_PLUGIN_PATH;
    auto p = tessplug::loadPlugin(path, error);
    if (!p) {
      std::cerr << "cannot load the plug-in: " << error << "\n";
      std::abort();
    }
    return *p;
  }();
  return loaded;
}

const tessplug::ParserClass& talmoClass() {
  const tessplug::ParserClass* c = tessplug::findParserClass(T("TALMO"));
  if (!c) {
    tessplug::callEntryPoint(plugin());
    c = tessplug::findParserClass(T("TALMO"));
  }
  if (!c) {
    std::cerr << "the plug-in registered no class TALMO\n";
    std::abort();
  }
  return *c;
}

void* pluginSymbol(const char* name) {
  void* symbol = tessplug::findPluginSymbol(plugin(), name);
  if (!symbol) {
    std::cerr << "the plug-in has no symbol " << name << "\n";
    std::abort();
  }
  return symbol;
}

Text T(std::string_view utf8) {
  return tessplug::toText(utf8);
}
std::string U(const Text& text) {
  return tessplug::toUtf8(text);
}

Text readText(std::string_view bytes) {
  bytes = bytes.substr(0, bytes.find('\0'));
  if (!kWindowsBuild) return T(bytes);
  Text units;
  for (char c : bytes) units.push_back(static_cast<unsigned char>(c));
  return units;
}

std::unique_ptr<GuardedParser> parserOver(std::string_view bytes) {
  auto parser = std::make_unique<GuardedParser>(talmoClass(), bytes);
  EXPECT_TRUE(parser->createContext());
  return parser;
}

}  // namespace talmo_test
