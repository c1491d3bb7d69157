/* The routines the Unix build keeps inline (see platform.h). */
#ifndef TALMO_PLATFORM_UNIX_INLINE_H
#define TALMO_PLATFORM_UNIX_INLINE_H

#include "LokSampPluginUtil.h"

inline CciChar platWidenByte(int hostByte) {
  return static_cast<CciChar>(hostByte & 0xFFFF);
}

inline int platIsSpace(CciChar c) {
  return CciCharIsSpace(c);
}

inline int platTextCmp(const CciChar* a, const CciChar* b) {
  return CciCharCmp(a, b);
}

inline unsigned platTextLen(const CciChar* s) {
  return CciCharLen(s);
}

#endif
