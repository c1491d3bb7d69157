// The stand-in host's Windows layer: LoadLibrary for plug-ins and the
// system's UTF-8 code page for conversions. Each conversion is made whole and
// then cut to the count, never splitting a character; invalid input becomes
// U+FFFD and is reported.
#include <windows.h>

#include <algorithm>

#include "host_platform.h"

namespace tessplug::platform {

namespace {

std::wstring widen(std::string_view utf8, bool& valid) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  valid = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0) > 0;
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring text(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, text.data(), n);
  return text;
}

std::string narrow(std::wstring_view text, bool& valid) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  valid = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), size, nullptr, 0, nullptr,
                              nullptr) > 0;
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, bytes.data(), n, nullptr, nullptr);
  return bytes;
}

}  // namespace

void* openLibrary(const std::string& path, std::string& error) {
  // Paths are UTF-8 in the host's API; the wide call takes any file name.
  bool valid = true;
  HMODULE library = LoadLibraryW(widen(path, valid).c_str());
  if (!library) error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
  return reinterpret_cast<void*>(library);
}

void* findSymbol(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

int utf8ToUnits(const char* source, CciChar* target, int count, bool& valid) {
  valid = true;
  std::wstring whole = widen(source, valid);
  int cut = std::min(count, static_cast<int>(whole.size()));
  if (cut < static_cast<int>(whole.size()) && cut > 0 &&
      IS_HIGH_SURROGATE(whole[static_cast<size_t>(cut) - 1])) {
    --cut;
  }
  std::copy_n(whole.begin(), cut, target);
  if (cut < count) target[cut] = 0;
  return cut;
}

int unitsToUtf8(const CciChar* source, char* target, int count, bool& valid) {
  valid = true;
  std::string whole = narrow(source, valid);
  int cut = std::min(count, static_cast<int>(whole.size()));
  while (cut < static_cast<int>(whole.size()) && cut > 0 &&
         (static_cast<unsigned char>(whole[static_cast<size_t>(cut)]) & 0xC0) == 0x80) {
    --cut;
  }
  std::copy_n(whole.begin(), cut, target);
  if (cut < count) target[cut] = 0;
  return cut;
}

Text utf8ToText(std::string_view utf8) {
  bool valid = true;
  return widen(utf8, valid);
}

std::string textToUtf8(TextView text) {
  bool valid = true;
  return narrow(text, valid);
}

}  // namespace tessplug::platform
