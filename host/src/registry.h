// The stand-in host's registry of factories and their parser classes, as
// the registration operations fill it (the public side is in host.h).
#ifndef TESSPLUG_REGISTRY_H
#define TESSPLUG_REGISTRY_H

#include <memory>
#include <mutex>
#include <vector>

#include "tessplug/host.h"

namespace tessplug {

struct FactoryRecord {
  Text name;
  std::vector<std::unique_ptr<ParserClass>> classes;
};

// Every factory made, for the life of the process (until resetRegistry);
// read and changed only under registryMutex.
extern std::mutex registryMutex;
std::vector<std::unique_ptr<FactoryRecord>>& factories();

}  // namespace tessplug

#endif
