// Test support: runs a program as a user would, with standard input from a
// file and standard output and error captured in files, and makes the
// special files a walk must skip; one implementation per platform (run_program_posix.cpp,
// run_program_windows.cpp).
#ifndef TALMO_TESTS_RUN_PROGRAM_H
#define TALMO_TESTS_RUN_PROGRAM_H

#include <filesystem>
#include <string>
#include <vector>

namespace talmo_test {

// The program's exit status, or -1 when it could not be started or did not
// exit normally.
int runProgram(const std::string& program, const std::vector<std::string>& arguments,
               const std::filesystem::path& in, const std::filesystem::path& out,
               const std::filesystem::path& err);

// Makes a named pipe (a FIFO) at path; false where the platform has none.
bool makeNamedPipe(const std::filesystem::path& path);

}  // namespace talmo_test

#endif
