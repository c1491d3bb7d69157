// What talmo needs from its operating system, one source file per platform
// (platform_posix.cpp, platform_windows.cpp): its command line as UTF-8, its
// own location, binary standard streams, whether standard error is a
// terminal, and the version a module carries where the platform's own tools
// look for it.
#ifndef TALMO_TOOLS_PLATFORM_H
#define TALMO_TOOLS_PLATFORM_H

#include <filesystem>
#include <string>
#include <vector>

namespace talmo::platform {

// Sets up the standard streams for bytes: no newline translation, and
// UTF-8 output on a console that would otherwise show another code page.
void initStandardStreams();

// The arguments as UTF-8, the program's name first.
std::vector<std::string> utf8Arguments(int argc, char** argv);

// The running program's own file.
std::filesystem::path executablePath(const char* argv0);

bool standardErrorIsTerminal();

// The version the module at path declares (Unix: the "@(#)" marker in the
// file; Windows: its version resource), or empty.
std::string moduleVersion(const std::filesystem::path& path);

}  // namespace talmo::platform

#endif
