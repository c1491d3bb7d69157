/*
 * Where converted text goes: the caller's area when it fits there, else a
 * new block from talmoAlloc that the caller frees (only when the result is
 * not its area). Shared by both builds' conversions, so that each one keeps
 * its own converter and sizes and none repeats the bounds and the clean-up.
 */
#ifndef TALMO_TEXT_BLOCKS_H
#define TALMO_TEXT_BLOCKS_H

#include <limits.h>
#include <string.h>

#include "plugin/tessplug.h"
#include "talmo_heap.h"

/* The conversions zero their target before the converter writes: a
   converter that fails partway may leave its text unterminated, and the
   result then ends where its writing ended, never in bytes that an earlier
   text or the heap left there. (The cost is one pass over a block the size
   of the text; the areas themselves are reused unzeroed.) */

/* A 16-bit text converted to bytes by the host's converter with code page
   1208, into a target of size bytes (the count the converter is given). The
   result ends within its block whatever the converter did. Null when no
   memory or size is beyond the converter's int count. */
inline char* bytesFromText(const CciChar* s, size_t size, char* area, size_t areaBytes) {
  if (size == 0 || size > INT_MAX) return nullptr;
  char* target = size <= areaBytes ? area : static_cast<char*>(talmoAlloc(size));
  if (!target) return nullptr;
  memset(target, 0, size);
  int rc = 0;
  cciUcsToMbs(&rc, s, target, static_cast<int>(size), codePageUtf8);
  target[size - 1] = 0;
  return target;
}

/* A zero-terminated byte text (UTF-8) as a new 16-bit text of as many units
   as it has bytes and a terminator, converted by the host with code page
   1208; the count the converter is given covers the terminator. Null when
   no memory. */
inline CciChar* unitsFromText(const char* text) {
  size_t n = strlen(text);
  if (n >= INT_MAX) return nullptr;
  CciChar* target = static_cast<CciChar*>(talmoAlloc((n + 1) * sizeof(CciChar)));
  if (!target) return nullptr;
  memset(target, 0, (n + 1) * sizeof(CciChar));
  int rc = 0;
  cciMbsToUcs(&rc, text, target, static_cast<int>(n + 1), codePageUtf8);
  target[n] = 0;
  return target;
}

/* A run of count bytes of the bit stream as a 16-bit text of at most count
   units, zero-filled and ended at unit count, by convert(source, target,
   count). The converter reads its source up to a zero byte, and a run of the
   bit stream has none after it: it gets a terminated copy of the run, so it
   reads neither past the stream nor into the bytes after the run. */
template <class Convert>
CciChar* textFromRun(const unsigned char* bytes, unsigned count, CciChar* area, unsigned areaUnits,
                     Convert convert) {
  if (count >= INT_MAX) return nullptr;
  CciChar* target =
      count < areaUnits ? area : static_cast<CciChar*>(talmoAlloc((count + 1u) * sizeof(CciChar)));
  if (!target) return nullptr;
  memset(target, 0, (count + 1u) * sizeof(CciChar));
  if (count == 0) return target;
  char small[256];
  char* source = count < sizeof small ? small : static_cast<char*>(talmoAlloc(count + 1u));
  if (!source) {
    if (target != area) talmoFree(target);
    return nullptr;
  }
  memcpy(source, bytes, count);
  source[count] = 0;
  convert(source, target, count);
  target[count] = 0;
  if (source != small) talmoFree(source);
  return target;
}

#endif
