// The registry of factories and parser classes, and loading a plug-in as a
// broker does: the library by path, its entry point, the class by name.
#include "registry.h"

#include "host_platform.h"

namespace tessplug {

std::mutex registryMutex;
std::vector<std::unique_ptr<FactoryRecord>>& factories() {
  static std::vector<std::unique_ptr<FactoryRecord>> all;
  return all;
}

// ---- Registry ----

const ParserClass* findParserClass(TextView name) {
  std::lock_guard<std::mutex> lock(registryMutex);
  for (const auto& factory : factories()) {
    for (const auto& parserClass : factory->classes) {
      if (parserClass->name == name) return parserClass.get();
    }
  }
  return nullptr;
}

std::vector<Text> factoryNames() {
  std::lock_guard<std::mutex> lock(registryMutex);
  std::vector<Text> names;
  for (const auto& factory : factories()) names.push_back(factory->name);
  return names;
}

void resetRegistry() {
  std::lock_guard<std::mutex> lock(registryMutex);
  factories().clear();
}

// ---- Loading ----

std::optional<Plugin> loadPlugin(const std::string& path, std::string& error) {
  Plugin plugin;
  plugin.library = platform::openLibrary(path, error);
  if (!plugin.library) return std::nullopt;
  plugin.entryPoint = reinterpret_cast<CciFactory* (*)()>(
      platform::findSymbol(plugin.library, "lokGetParserFactory"));
  if (!plugin.entryPoint) {
    error = "no entry point lokGetParserFactory in " + path;
    return std::nullopt;
  }
  return plugin;
}

std::optional<LoadedClass> loadParserClass(const std::string& path, std::string_view className,
                                           std::string& error) {
  auto plugin = loadPlugin(path, error);
  if (!plugin) return std::nullopt;
  LoadedClass loaded;
  loaded.plugin = *plugin;
  loaded.factory = callEntryPoint(loaded.plugin);
  if (!loaded.factory) {
    error = path + ": the entry point created no parser factory";
    return std::nullopt;
  }
  loaded.parserClass = findParserClass(toText(className));
  if (!loaded.parserClass) {
    error = path + ": no parser class \"" + std::string(className) + "\" was registered";
    return std::nullopt;
  }
  return loaded;
}

CciFactory* callEntryPoint(const Plugin& plugin) {
  return plugin.entryPoint();
}

void* findPluginSymbol(const Plugin& plugin, const char* name) {
  return platform::findSymbol(plugin.library, name);
}

}  // namespace tessplug
