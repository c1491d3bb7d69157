/* The routines the Windows build keeps inline (see platform.h). */
#ifndef TALMO_PLATFORM_WINDOWS_INLINE_H
#define TALMO_PLATFORM_WINDOWS_INLINE_H

#include <wchar.h>
#include <wctype.h>

inline CciChar platWidenByte(int hostByte) {
  return static_cast<CciChar>(static_cast<signed char>(hostByte & 0xFF));
}

inline int platIsSpace(CciChar c) {
  return iswspace(c);
}

inline int platTextCmp(const CciChar* a, const CciChar* b) {
  return wcscmp(a, b);
}

inline unsigned platTextLen(const CciChar* s) {
  return static_cast<unsigned>(wcslen(s));
}

#endif
