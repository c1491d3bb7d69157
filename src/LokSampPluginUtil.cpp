/*
 * 16-bit string routines of the Unix build, and the conversions between byte
 * strings and 16-bit strings that go through the host's converters with code
 * page 1208. Every conversion returns one new block from talmoAlloc, owned by
 * the caller; null means no memory. None looks at the converter's return code,
 * but each leaves its result terminated within its block whatever the
 * converter did, so a failing host never makes a caller read past it.
 */
#include "LokSampPluginUtil.h"

#include <limits.h>
#include <string.h>

#include "talmo_heap.h"
#include "text_blocks.h"

extern "C" {

int CciCharIsSpace(CciChar c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20;
}

int CciCharIsAlnum(CciChar c) {
  return (c >= 0x30 && c <= 0x39) || (c >= 0x41 && c <= 0x5A) || (c >= 0x61 && c <= 0x7A);
}

void CciCharCpy(CciChar* destination, const CciChar* source) {
  while ((*destination++ = *source++) != 0) {
  }
}

void CciCharNCpy(CciChar* destination, const CciChar* source, unsigned count) {
  unsigned i = 0;
  for (; i < count && source[i] != 0; ++i) destination[i] = source[i];
  for (; i < count; ++i) destination[i] = 0;
}

unsigned CciCharLen(const CciChar* s) {
  unsigned n = 0;
  while (s[n] != 0) ++n;
  return n;
}

int CciCharCmp(const CciChar* a, const CciChar* b) {
  while (*a != 0 && *a == *b) {
    ++a;
    ++b;
  }
  return static_cast<int>(*a) - static_cast<int>(*b);
}

CciChar* CciString(const char* text) {
  return unitsFromText(text);
}

CciChar* CciNStringInto(const unsigned char* bytes, unsigned count, CciChar* area,
                        unsigned areaUnits) {
  return textFromRun(bytes, count, area, areaUnits,
                     [](const char* source, CciChar* target, unsigned n) {
                       int rc = 0;
                       cciMbsToUcs(&rc, source, target, static_cast<int>(n), codePageUtf8);
                     });
}

CciChar* CciNString(const unsigned char* bytes, unsigned count) {
  return CciNStringInto(bytes, count, nullptr, 0);
}

/* Nine bytes for each unit and nine for the terminator. */
char* mbStringInto(const CciChar* s, char* area, size_t areaBytes) {
  size_t n = CciCharLen(s);
  if (n >= INT_MAX / 9) return nullptr;
  return bytesFromText(s, 9 * (n + 1), area, areaBytes);
}

char* mbString(const CciChar* s) {
  return mbStringInto(s, nullptr, 0);
}
}
