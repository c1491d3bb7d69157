// talmo's Windows layer. The command line is read as UTF-16 and handed on as
// UTF-8, so that any file name reaches std::filesystem intact; standard
// streams carry bytes untranslated.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

#include "platform.h"

namespace talmo::platform {

namespace fs = std::filesystem;

namespace {

std::string toUtf8(const wchar_t* text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), n, nullptr, nullptr);
  bytes.resize(static_cast<size_t>(n) - 1);
  return bytes;
}

}  // namespace

void initStandardStreams() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  SetConsoleOutputCP(CP_UTF8);
}

std::vector<std::string> utf8Arguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return {argv, argv + argc};
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(toUtf8(wide[i]));
  LocalFree(wide);
  return arguments;
}

fs::path executablePath(const char*) {
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (n < name.size()) {
      name.resize(n);
      return fs::path(name);
    }
    name.resize(name.size() * 2);
  }
}

bool standardErrorIsTerminal() {
  return _isatty(_fileno(stderr)) != 0;
}

size_t outputTerminalColumns() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!_isatty(_fileno(stdout)) ||
      !GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info)) {
    return 0;
  }
  return static_cast<size_t>(info.srWindow.Right - info.srWindow.Left + 1);
}

// Windows has no mkstemp: a random name, created with O_EXCL, tried again
// while the name is taken.
int createUniqueFile(const fs::path& folder, const std::string& stem, fs::path& path,
                     std::string& error) {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[20];
    std::snprintf(suffix, sizeof suffix, ".%08x%08x", random(), random());
    std::string name = ".";
    name.append(stem).append(suffix);
    fs::path candidate = folder / fs::path(std::u8string(name.begin(), name.end()));
    int fd =
        _wopen(candidate.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd >= 0) {
      path = candidate;
      return fd;
    }
    if (errno != EEXIST) break;
  }
  error = std::strerror(errno);
  return -1;
}

bool writeAll(int fd, const char* bytes, size_t size) {
  while (size > 0) {
    unsigned chunk = static_cast<unsigned>(std::min<size_t>(size, 1u << 30));
    int n = _write(fd, bytes, chunk);
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool closeFile(int fd) {
  bool committed = _commit(fd) == 0;
  return _close(fd) == 0 && committed;
}

bool replaceFile(const fs::path& from, const fs::path& to, std::string& error) {
  if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  error = "error " + std::to_string(GetLastError());
  return false;
}

std::string moduleVersion(const fs::path& path) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<unsigned char> info(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, info.data())) return {};
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(info.data(), L"\\StringFileInfo\\040904B0\\ProductVersion", &value,
                      &length) ||
      length == 0) {
    return {};
  }
  return toUtf8(static_cast<const wchar_t*>(value));
}

}  // namespace talmo::platform
