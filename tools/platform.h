// What talmo needs from its operating system, one source file per platform
// (platform_posix.cpp, platform_windows.cpp): its command line as UTF-8, its
// own location, binary standard streams, whether standard error is a
// terminal, and the version a module carries where the platform's own tools
// look for it; and the file operations behind writing a message safely.
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

// The width of the terminal standard output goes to, or 0 when it goes to a
// pipe or a file.
size_t outputTerminalColumns();

// A new file in folder, created exclusively under a name no one can guess
// (a planted file or link of that name is never opened), with the
// permissions a new file of the user's gets. Returns the open descriptor
// and its path, or -1 with the reason in error.
int createUniqueFile(const std::filesystem::path& folder, const std::string& stem,
                     std::filesystem::path& path, std::string& error);
// Writes all of bytes to the descriptor; false on failure (errno set).
bool writeAll(int fd, const char* bytes, size_t size);
// Closes it, after flushing it to the disk; false on failure.
bool closeFile(int fd);
// Moves from over to (replacing it, never following a link at to); false
// with the reason in error.
bool replaceFile(const std::filesystem::path& from, const std::filesystem::path& to,
                 std::string& error);

// The version the module at path declares (Unix: the "@(#)" marker in the
// file; Windows: its version resource), or empty.
std::string moduleVersion(const std::filesystem::path& path);

}  // namespace talmo::platform

#endif
