// talmo's Windows layer. The command line is read as UTF-16 and handed on as
// UTF-8, so that any file name reaches std::filesystem intact; standard
// streams carry bytes untranslated.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

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
