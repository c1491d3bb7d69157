/*
 * Windows side of the plug-in's platform layer. CciChar is wchar_t, so the
 * C run-time's wide-string routines do the 16-bit work, the name constants
 * are static literals, and bytes become text one unit per byte through
 * mbstowcs in the default locale (which the plug-in never changes).
 */
#include <stdlib.h>
#include <string.h>
#include <wchar.h>
#include <wctype.h>
#include <windows.h>

#include "platform.h"
#include "talmo/fields.h"
#include "talmo_heap.h"
#include "text_blocks.h"

/* The literal of each name, made from the same lists as the constants. */
const CciChar* platNameText(const char* text) {
#define TALMO_FIELD_LITERAL(field, type) {#field, L"" #field},
#define TALMO_NAME_LITERAL(constant, name) {name, L"" name},
  static const struct {
    const char* text;
    const CciChar* literal;
  } kLiterals[] = {TALMO_REGISTRATION_NAMES(TALMO_NAME_LITERAL) TALMO_FIELDS(TALMO_FIELD_LITERAL)};
#undef TALMO_FIELD_LITERAL
#undef TALMO_NAME_LITERAL
  for (const auto& name : kLiterals) {
    if (strcmp(name.text, text) == 0) return name.literal;
  }
  return nullptr;
}

/* Literals are never given back. */
void platReleaseName(const CciChar*) {}

void platTextNCpy(CciChar* to, const CciChar* from, unsigned n) {
  wcsncpy(to, from, n);
}

/* A zero byte ends the text. mbstowcs gets a terminated copy of the run,
   so it never reads past it whatever the locale; a sequence it cannot
   convert leaves the text empty. */
CciChar* platTextFromRun(const unsigned char* bytes, unsigned count, CciChar* area,
                         unsigned areaUnits) {
  return textFromRun(bytes, count, area, areaUnits,
                     [](const char* source, CciChar* target, unsigned n) {
                       if (mbstowcs(target, source, n) == static_cast<size_t>(-1)) target[0] = 0;
                     });
}

void platFreeText(CciChar* text, const CciChar* area) {
  if (text != area) talmoFree(text);
}

long platTextToLong(const CciChar* text) {
  return wcstol(text, nullptr, 10);
}

/* Narrowed in the ANSI code page and read by atol. */
int platPairToInt(const CciChar* pair) {
  char bytes[20] = {0};
  WideCharToMultiByte(CP_ACP, 0, pair, -1, bytes, sizeof bytes - 1, nullptr, nullptr);
  return static_cast<int>(atol(bytes));
}

/* The blank is replaced by a terminator. */
void platEndReportedClassName(CciChar* buffer, int size) {
  for (int i = 0; i < size; ++i) {
    if (buffer[i] == 0x20) {
      buffer[i] = 0;
      return;
    }
  }
}

bool platTruth(int value) {
  return (value & 0xFF) != 0;
}

const char* platSourceFileName(const char* compiledPath) {
  return compiledPath;
}
