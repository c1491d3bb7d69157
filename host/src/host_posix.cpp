// The stand-in host's POSIX layer: dlopen for plug-ins, ICU for UTF-8.
// ICU's one-shot string functions need no converter object, so a conversion
// opens nothing and costs only the pass over its text.
#include <dlfcn.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <algorithm>

#include "host_platform.h"

namespace tessplug::platform {

namespace {

const UChar32 kReplacement = 0xFFFD;

static_assert(sizeof(CciChar) == sizeof(UChar), "CciChar is a UTF-16 unit");

}  // namespace

void* openLibrary(const std::string& path, std::string& error) {
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    const char* reason = dlerror();
    error = reason ? reason : ("cannot load " + path);
  }
  return library;
}

void* findSymbol(void* library, const char* name) {
  return dlsym(library, name);
}

// Converting straight into the target is the common case. When the text
// does not fit, ICU does not say how much it wrote, so the cut is taken
// from a whole conversion instead, never splitting a character.
int utf8ToUnits(const char* source, CciChar* target, int count, bool& valid) {
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = 0;
  int32_t substitutions = 0;
  u_strFromUTF8WithSub(reinterpret_cast<UChar*>(target), count, &length, source, -1, kReplacement,
                       &substitutions, &status);
  valid = substitutions == 0;
  if (length <= count) return length;
  Text whole = utf8ToText(source);
  int cut = count;
  if (cut > 0 && U16_IS_LEAD(whole[static_cast<size_t>(cut) - 1])) --cut;
  std::copy_n(whole.begin(), cut, target);
  if (cut < count) target[cut] = 0;
  return cut;
}

int unitsToUtf8(const CciChar* source, char* target, int count, bool& valid) {
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = 0;
  int32_t substitutions = 0;
  u_strToUTF8WithSub(target, count, &length, reinterpret_cast<const UChar*>(source), -1,
                     kReplacement, &substitutions, &status);
  valid = substitutions == 0;
  if (length <= count) return length;
  std::string whole = textToUtf8(source);
  int cut = count;
  while (cut > 0 && U8_IS_TRAIL(static_cast<unsigned char>(whole[static_cast<size_t>(cut)]))) --cut;
  std::copy_n(whole.begin(), cut, target);
  if (cut < count) target[cut] = 0;
  return cut;
}

Text utf8ToText(std::string_view utf8) {
  int32_t length = 0;
  int32_t substitutions = 0;
  UErrorCode status = U_ZERO_ERROR;
  const int32_t size = static_cast<int32_t>(utf8.size());
  u_strFromUTF8WithSub(nullptr, 0, &length, utf8.data(), size, kReplacement, &substitutions,
                       &status);
  Text text(static_cast<size_t>(length), 0);
  status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(reinterpret_cast<UChar*>(text.data()), length, &length, utf8.data(), size,
                       kReplacement, &substitutions, &status);
  return text;
}

std::string textToUtf8(TextView text) {
  int32_t length = 0;
  int32_t substitutions = 0;
  UErrorCode status = U_ZERO_ERROR;
  const UChar* source = reinterpret_cast<const UChar*>(text.data());
  u_strToUTF8WithSub(nullptr, 0, &length, source, static_cast<int32_t>(text.size()), kReplacement,
                     &substitutions, &status);
  std::string bytes(static_cast<size_t>(length), '\0');
  status = U_ZERO_ERROR;
  u_strToUTF8WithSub(bytes.data(), length, &length, source, static_cast<int32_t>(text.size()),
                     kReplacement, &substitutions, &status);
  return bytes;
}

}  // namespace tessplug::platform
