// runProgram on Windows: CreateProcessW with inherited file handles, and a
// command line quoted the way the C run-time splits it again.
#include <windows.h>

#include "run_program.h"

namespace talmo_test {

namespace {

std::wstring widen(const std::string& utf8) {
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring text(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), n);
  return text;
}

// Quotes one argument: backslashes are literal except before a quote, where
// each is doubled, and a quote is escaped.
void appendQuoted(std::wstring& line, const std::wstring& argument) {
  line += L'"';
  size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, L'\\');
  line += L'"';
}

HANDLE openInherited(const std::filesystem::path& path, bool write) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ, &inherit,
                     write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

int runProgram(const std::string& program, const std::vector<std::string>& arguments,
               const std::filesystem::path& in, const std::filesystem::path& out,
               const std::filesystem::path& err) {
  std::wstring line;
  // A full path: the build names programs by POSIX paths, which Windows
  // (and wine) resolve against the current drive.
  appendQuoted(line, std::filesystem::absolute(widen(program)).wstring());
  for (const std::string& a : arguments) {
    line += L' ';
    appendQuoted(line, widen(a));
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = openInherited(in, false);
  startup.hStdOutput = openInherited(out, true);
  startup.hStdError = openInherited(err, true);
  PROCESS_INFORMATION process{};
  BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                &startup, &process);
  DWORD status = static_cast<DWORD>(-1);
  if (started) {
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(startup.hStdInput);
  CloseHandle(startup.hStdOutput);
  CloseHandle(startup.hStdError);
  return started ? static_cast<int>(status) : -1;
}

bool makeNamedPipe(const std::filesystem::path&) {
  return false;
}

}  // namespace talmo_test
