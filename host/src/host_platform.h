// What the stand-in host needs from its operating system: loading a library
// and finding a symbol in it, and UTF-8 <-> 16-bit conversion. One source
// file per platform implements it.
#ifndef TESSPLUG_HOST_PLATFORM_H
#define TESSPLUG_HOST_PLATFORM_H

#include <string>
#include <string_view>

#include "tessplug/host.h"

namespace tessplug::platform {

// Null on failure, with the reason in error.
void* openLibrary(const std::string& path, std::string& error);
void* findSymbol(void* library, const char* name);

// Converts the zero-terminated source into at most count units (bytes), the
// terminator included if it fits, and returns the units (bytes) written
// before the terminator. Invalid input is replaced by U+FFFD and clears valid.
int utf8ToUnits(const char* source, CciChar* target, int count, bool& valid);
int unitsToUtf8(const CciChar* source, char* target, int count, bool& valid);

Text utf8ToText(std::string_view utf8);
std::string textToUtf8(TextView text);

}  // namespace tessplug::platform

#endif
